// SPDX-License-Identifier: GPL-3.0-or-later
// The server binary over HTTP: the redirect addresses the game links to, the pages, the
// registration form, the health address, the limits on bodies, rates and slow clients, HTTPS,
// and its command line.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <zlib.h>

#include "game/upload/redirect_server.h"
#include "game/upload/upload.h"
#include "server/protocol.h"
#include "tests/server_test_support.h"

using namespace test_support;
using server_test::ServerProcess;

namespace {

class ServerHttp : public testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new ServerProcess(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(server_->started()); }
  static ServerProcess* server_;
};
ServerProcess* ServerHttp::server_ = nullptr;

// The tests of limits need a server, not its editions: one edition's verifier (the smallest
// archive) starts it in a third of the time. The option comes last, so it wins.
std::vector<std::string> lean(std::vector<std::string> args = {}) {
  static const ScratchDir archives;
  static const bool linked = [] {
    std::error_code ec;
    std::filesystem::create_directory_symlink(data_dir() / "XS", archives / "XS", ec);
    return !ec;
  }();
  EXPECT_TRUE(linked);
  args.insert(args.end(), {"--archives", archives.path().string()});
  return args;
}

TEST_F(ServerHttp, EveryAddressTheGameLinksToLeadsToAPage) {
  std::vector<std::pair<std::string, std::string>> links;  // path, what the page says
  const char* heading[4] = {"", "Hilfe zum Hochladen", "Konto anlegen", "Bestenliste"};
  const int ids[3] = {upload::id_help_link, upload::id_register_link, upload::id_list_link};
  for (int edition = 1; edition <= 3; ++edition)
    for (int k = 0; k < 3; ++k) {
      char address[300];
      upload::link_address(ids[k], edition, address, sizeof address);
      const std::string full = address;
      ASSERT_EQ(full.rfind(redirect_server, 0), 0u) << full;
      links.emplace_back(full.substr(std::strlen(redirect_server)), heading[k + 1]);
    }
  for (const char* path : {"/grumbold/qzt/de/xs_c1_redirect.php?from=QZT_XS-Ver1.0DE-C1",
                           "/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1"})
    links.emplace_back(path, "Bestenliste");
  links.emplace_back("/grumbold/qzt/de/xs_c3_redirect.php?from=QZT_XS-Ver1.0DE-C3", "Hilfe zum Hochladen");
  for (const char* path : {"/grumbold/qzt/de/xs_c2_redirect.php?from=QZT_XS-Ver1.0DE-C2",
                           "/grumbold/qzt/de/xs_c4_redirect.php?from=QZT_XS-Ver1.0DE-C4",
                           "/grumbold/qzt/de/xl_c2_redirect.php?from=QZT_XL-Ver1.0DE-C2"})
    links.emplace_back(path, "Online-Bestenlisten");

  for (const auto& [path, says] : links) {
    SCOPED_TRACE(path);
    httplib::Client c = server_->client();
    const auto first = c.Get(path.c_str());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 302);
    c.set_follow_location(true);
    const auto page = c.Get(path.c_str());
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_NE(page->body.find(says), std::string::npos);
  }
  const auto unknown = server_->client().Get("/grumbold/qzt/de/xxl_c1_redirect.php");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 404);
}

TEST_F(ServerHttp, PagesAndTheHealthAddress) {
  struct Case {
    const char* path;
    int status;
    const char* says;
  } cases[] = {
      {"/", 200, "Bestenliste XXL"},
      {"/style.css", 200, "table{"},
      {"/list/xs", 200, "Noch keine gepr"},
      {"/list/xl?page=abc", 200, "Seite 1 von"},
      {"/list/xl?page=99", 200, "Seite 99 von"},
      {"/list/xxxl", 404, "Nicht gefunden"},
      {"/nothing", 404, "Nicht gefunden"},
      {"/health", 200, "\"status\":\"ok\",\"database\":true,\"editions\":[\"XS\",\"XL\",\"XXL\"]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto res = server_->client().Get(c.path);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_NE(res->body.find(c.says), std::string::npos) << res->body.substr(0, 300);
  }
  // A GET of the upload handler is no request of the game's.
  const auto get = server_->client().Get("/qzt/uploadhandler.php");
  ASSERT_TRUE(get);
  EXPECT_EQ(get->status, 404);
}

TEST_F(ServerHttp, TheRegistrationFormChecksWhatItIsGiven) {
  struct Case {
    const char* name;
    const char* password;
    const char* again;
    int status;
    const char* says;
  } cases[] = {
      {"x", "geheim12", "geheim12", 400, "2 bis 15 Zeichen"},
      {"<script>", "geheim12", "geheim12", 400, "2 bis 15 Zeichen"},
      {"Formular", "abc", "abc", 400, "4 bis 12 Zeichen"},
      {"Formular", "geheim 12", "geheim 12", 400, "4 bis 12 Zeichen"},
      {"Formular", "geheim12", "geheim13", 400, "verschieden"},
      {"Formular", "geheim12", "geheim12", 201, "Willkommen, Formular!"},
      {"FORMULAR", "geheim12", "geheim12", 409, "gibt es schon"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    httplib::Params form{{"name", c.name}, {"password", c.password}, {"password2", c.again}, {"edition", "xs"}};
    const auto res = server_->client().Post("/register", form);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_NE(res->body.find(c.says), std::string::npos);
    EXPECT_EQ(res->body.find("<script>"), std::string::npos);
  }
  // The account answers the game; its password is nowhere in the database file.
  const std::string auth =
      server_->post_game("type=Authenticate&user=formular&pass=geheim12&version=V1.1&vtype=1&lang=0007&score=10"
                         "&ienv=8876&noyb=40402&opt=");
  EXPECT_EQ(auth.rfind("Action=Continue\n", 0), 0u) << auth;
  for (const char* suffix : {"", "-wal"})
    EXPECT_EQ(read_file(server_->database().string() + suffix).find("geheim12"), std::string::npos) << suffix;
}

TEST_F(ServerHttp, OnlyTheSitesOwnFormRegistersAndTheDatabaseIsTheServersAlone) {
  httplib::Params form{{"name", "Fremd"}, {"password", "geheim12"}, {"password2", "geheim12"}, {"edition", "xl"}};
  const std::string own = "http://127.0.0.1:" + std::to_string(server_->port());
  struct Case {
    const char* what;
    std::string origin, path;
    int status;
  } cases[] = {
      {"another site's page", "https://evil.example", "/register", 403},
      {"a page without an origin", "null", "/register", 403},
      {"the password in the address", own, "/register?password=geheim12&password2=geheim12", 400},
  };
  for (const Case& c : cases) {
    auto client = server_->client();
    const auto res = client.Post(c.path, httplib::Headers{{"Origin", c.origin}}, form);
    ASSERT_TRUE(res) << c.what;
    EXPECT_EQ(res->status, c.status) << c.what;
  }
  const std::string auth =
      server_->post_game("type=Authenticate&user=Fremd&pass=geheim12&version=V1.1&vtype=2&lang=0007&score=10"
                         "&ienv=8876&noyb=40402&opt=");
  EXPECT_EQ(auth.rfind("Action=Abort\n", 0), 0u) << "no account was made: " << auth;
  // Our own page's post goes through.
  const auto res = server_->client().Post("/register", httplib::Headers{{"Origin", own}}, form);
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 201);
  EXPECT_EQ(std::filesystem::status(server_->database()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(ServerHttp, PagesSpeakTheLanguageTheyAreAskedInAndSwitchOnTheSameAddress) {
  const std::string keep = "lang=en; Path=/; Max-Age=31536000; SameSite=Lax";
  struct Case {
    const char* path;
    httplib::Headers headers;
    int status;
    const char* language;
    std::string cookie;  // the Set-Cookie header; empty: none and the page varies with the headers
    const char* says;
  } cases[] = {
      {"/list/xl?page=2&lang=en", {{"Accept-Language", "de"}}, 200, "en", keep, "Page 2 of"},
      {"/help/xs", {{"Cookie", "lang=en"}, {"Accept-Language", "de"}}, 200, "en", "", "Help with uploading (XS)"},
      {"/", {{"Accept-Language", "en-GB,en;q=0.9,de;q=0.5"}}, 200, "en", "", "XXL High Scores"},
      {"/register/xl?lang=de", {{"Cookie", "lang=en"}}, 200, "de", "lang=de; Path=/; Max-Age=31536000; SameSite=Lax",
       "Konto anlegen"},
      {"/nothing?lang=en", {}, 404, "en", keep, "Not found"},
      {"/grumbold/qzt/fr/xl-uplb-help_redirect.php", {{"Accept-Language", "en"}}, 404, "en", "", "Not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    const auto res = server_->client().Get(c.path, c.headers);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, c.status);
    EXPECT_NE(res->body.find(std::string("<html lang=\"") + c.language + "\">"), std::string::npos);
    EXPECT_NE(res->body.find(c.says), std::string::npos) << res->body.substr(0, 400);
    EXPECT_EQ(res->get_header_value("Set-Cookie"), c.cookie);
    EXPECT_EQ(res->get_header_value("Vary"), c.cookie.empty() ? "Accept-Language, Cookie" : "");
  }
  // The switch leads to the same page, its query kept, in the other language; the page's own
  // language is no link.
  const auto list = server_->client().Get("/list/xl?page=2&lang=en");
  ASSERT_TRUE(list);
  EXPECT_NE(list->body.find("<span lang=\"en\">English</span>"), std::string::npos);
  EXPECT_NE(list->body.find("<a href=\"/list/xl?page=2&amp;lang=de\" hreflang=\"de\" lang=\"de\">Deutsch</a>"),
            std::string::npos);
  EXPECT_EQ(list->body.find("lang=en\""), std::string::npos);

  // The form's answer speaks the form's language.
  const auto form = server_->client().Get("/register/xs?lang=en");
  ASSERT_TRUE(form);
  EXPECT_NE(form->body.find("<input type=\"hidden\" name=\"lang\" value=\"en\">"), std::string::npos);
  const auto refused = server_->client().Post(
      "/register", httplib::Params{{"name", "x"}, {"password", "secret12"}, {"password2", "secret12"},
                                   {"edition", "xs"}, {"lang", "en"}});
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 400);
  EXPECT_NE(refused->body.find("A user name needs 2 to 15 characters"), std::string::npos);
  EXPECT_NE(refused->body.find("<a href=\"/register/xs?lang=de\""), std::string::npos);
}

TEST_F(ServerHttp, TheGamesLinksAndRepliesSpeakItsLanguage) {
  httplib::Client c = server_->client();
  const auto link = c.Get("/grumbold/qzt/en/xl-uplb-help_redirect.php?from=QZT_XL-Ver1.1EN-UF");
  ASSERT_TRUE(link);
  EXPECT_EQ(link->status, 302);
  EXPECT_EQ(link->get_header_value("Location"), "/help/xl?lang=en");
  c.set_follow_location(true);
  const auto help = c.Get("/grumbold/qzt/en/xl-uplb-help_redirect.php?from=QZT_XL-Ver1.1EN-UF");
  ASSERT_TRUE(help);
  EXPECT_NE(help->body.find("Help with uploading (XL)"), std::string::npos);

  const std::string english = "type=Authenticate&user=Newcomer&pass=secret12&version=V1.1&vtype=2&lang=0009"
                              "&score=10&ienv=8876&noyb=40402&opt=";
  const std::string register_url = server_->base() + "/register/xl?lang=en";
  EXPECT_EQ(server_->post_game(english),
            "Action=Abort\ntext=The highscore server does not know the user name \"Newcomer\". Register at " +
                register_url + ", then send your result again.\nhtml=" +
                "<html><head><style>body{font-family:sans-serif;font-size:13px;margin:6px;color:#222}h3{margin:0 0 "
                "4px;font-size:15px}.ok{color:#1a7f37}.no{color:#b42318}.wait{color:#9a6700}a{color:#0b57d0}"
                "</style></head><body><h3 class=\"no\">Unknown user</h3><p>The server does not know the user name "
                "&quot;Newcomer&quot;. <a href=\"" +
                register_url + "\">Register here</a>, then send your result again.</p></body></html>\n");
  ASSERT_EQ(server_->register_account("Newcomer", "secret12"), 201);
  const std::string welcome = server_->post_game(english);
  EXPECT_EQ(welcome.rfind("Action=Continue\ntext=Hello Newcomer! Your result of 10 points is on its way now", 0), 0u)
      << welcome;
  // Another number than a language's is German's.
  std::string other = english;
  other.replace(other.find("lang=0009"), 9, "lang=0419");
  EXPECT_EQ(server_->post_game(other).rfind("Action=Continue\ntext=Hallo Newcomer!", 0), 0u);
}

// A form longer than the HTTP library's own 8 KiB for forms, well within the server's bound (a
// whole round's replay text with a moving mouse and uneven frames is such), reaches the service.
TEST_F(ServerHttp, ABodyBeyondEightKibibytesIsRead) {
  const std::string body = "type=Upload&md=" + std::string(20000, '0') + "&comp=false&logtype=full";
  const auto res = server_->client().Post("/qzt/uploadhandler.php", body, "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_EQ(res->body.find("Die Anfrage konnte nicht gelesen werden."), std::string::npos) << res->body;
  EXPECT_EQ(res->body.rfind("Action=", 0), 0u) << res->body;
}

TEST_F(ServerHttp, AnOverlongBodyIsRefusedAndTheServerGoesOn) {
  const std::string body = "type=Upload&md=" + std::string(server::max_request_body, '0');
  const auto res = server_->client().Post("/qzt/uploadhandler.php", body, "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 413);
  const auto health = server_->client().Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

// A client that sends half a request head and then nothing holds no worker; the head's
// deadline (here 1 s) ends it; the others are served meanwhile.
TEST(ServerHttpLimits, AStuckClientIsCutOffAndBlocksNoOne) {
  ServerProcess server(lean({"--head-timeout", "1"}));
  ASSERT_TRUE(server.started());
  const int stuck = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(stuck, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(server.port()));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  ASSERT_EQ(connect(stuck, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
  const char partial[] = "POST /qzt/uploadhandler.php HTTP/1.1\r\nHost: x\r\n";
  const auto sent = std::chrono::steady_clock::now();
  ASSERT_GT(write(stuck, partial, sizeof partial - 1), 0);
  for (int i = 0; i < 5; ++i) {
    const auto res = server.client().Get("/health");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
  }
  // The server may say why before it hangs up; then the connection ends. A read that waits
  // past the bound (the time-out and ample slack for a loaded machine) gives up, so a server
  // that never cuts off fails the test instead of hanging it.
  const timeval bound{20, 0};
  ASSERT_EQ(setsockopt(stuck, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound), 0);
  char buffer[512];
  ssize_t n = 0;
  while ((n = read(stuck, buffer, sizeof buffer)) > 0) {
  }
  const int why = errno;
  const auto held = std::chrono::steady_clock::now() - sent;
  close(stuck);
  EXPECT_EQ(n, 0) << "the connection was not closed: " << std::strerror(why);
  EXPECT_GE(held, std::chrono::milliseconds(900));
  EXPECT_LT(held, std::chrono::seconds(20));
}

TEST(ServerHttpLimits, TooManyRequestsFromOneAddressAreToldToWait) {
  ServerProcess s(lean({"--rate", "0.01", "--burst", "3"}));
  ASSERT_TRUE(s.started());
  for (int i = 0; i < 3; ++i) {
    const auto ok = s.client().Get("/");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->status, 200);
  }
  const auto page = s.client().Get("/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 429);
  EXPECT_FALSE(page->get_header_value("Retry-After").empty());
  const auto game = s.client().Post("/qzt/uploadhandler.php", "type=Authenticate", "application/x-www-form-urlencoded");
  ASSERT_TRUE(game);
  EXPECT_EQ(game->status, 429);
  EXPECT_EQ(game->body.rfind("Action=Retry\ntext=", 0), 0u) << game->body;
  const auto health = s.client().Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

// ---- a hostile network ------------------------------------------------------------------------

// A raw connection to the server from one of the loopback addresses, each read bounded.
int connect_from(int port, const char* from) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  inet_pton(AF_INET, from, &local.sin_addr);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<std::uint16_t>(port));
  inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
  const timeval bound{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound);
  if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

void send_text(int fd, const std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    const ssize_t n = send(fd, text.data() + at, text.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return;  // the server may hang up before all of it is sent
    at += static_cast<std::size_t>(n);
  }
}

// Everything the server sends until it closes; "(open)" appended when it did not close in time.
std::string read_to_end(int fd) {
  std::string out;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0) out.append(buffer, static_cast<std::size_t>(n));
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) out += "(open)";
  return out;
}

int status_of(const std::string& answer) {
  return answer.rfind("HTTP/1.1 ", 0) == 0 ? std::atoi(answer.c_str() + 9) : 0;
}

std::size_t count_of(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) ++n;
  return n;
}

// Forty connections from one address dribble a header line every half second: a few are held
// until the head's deadline, the rest are turned away at once, and others are served all along.
TEST(ServerHttpLimits, SlowHeadsAreHeldToAFewPerAddressAndCutOffAtTheirDeadline) {
  ServerProcess server(lean({"--head-timeout", "2", "--per-address", "8"}));
  ASSERT_TRUE(server.started());
  std::vector<int> slow;
  for (int i = 0; i < 40; ++i) {
    const int fd = connect_from(server.port(), "127.0.0.2");
    ASSERT_GE(fd, 0);
    send_text(fd, "GET / HTTP/1.1\r\n");
    slow.push_back(fd);
  }
  for (int round = 0; round < 6; ++round) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (int fd : slow) send_text(fd, "X-Slow: " + std::to_string(round) + "\r\n");
    const auto health = server.client().Get("/health");
    ASSERT_TRUE(health);
    EXPECT_EQ(health->status, 200);
  }
  int held = 0, turned_away = 0;
  for (int fd : slow) {
    const std::string answer = read_to_end(fd);
    close(fd);
    EXPECT_EQ(answer.find("(open)"), std::string::npos) << "a slow connection stayed open";
    if (status_of(answer) == 408) ++held;
    if (status_of(answer) == 429) ++turned_away;
  }
  EXPECT_EQ(held, 8);
  EXPECT_EQ(turned_away, 32);
}

TEST(ServerHttpLimits, OversizedHeadsAreRefusedAndClosed) {
  ServerProcess server(lean());
  ASSERT_TRUE(server.started());
  std::string many_lines = "GET / HTTP/1.1\r\nHost: x\r\n", long_line = many_lines, big_lines = many_lines;
  for (int i = 0; i < 8000; ++i) many_lines += "X-" + std::to_string(i) + ": y\r\n";
  long_line += "X-Long: " + std::string(20000, 'a') + "\r\n";
  for (int i = 0; i < 8; ++i) big_lines += "X-" + std::to_string(i) + ": " + std::string(8192, 'b') + "\r\n";
  for (const std::string* head : {&many_lines, &long_line, &big_lines}) {
    const int fd = connect_from(server.port(), "127.0.0.1");
    ASSERT_GE(fd, 0);
    send_text(fd, *head + "\r\n");
    const std::string answer = read_to_end(fd);
    close(fd);
    EXPECT_EQ(status_of(answer), 431) << answer.substr(0, 80);
    EXPECT_EQ(answer.find("(open)"), std::string::npos);
  }
  const auto health = server.client().Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
}

TEST(ServerHttpLimits, ABodyIsReadWholeOrRefusedAtOnceAndNothingAfterItIsARequest) {
  ServerProcess server(lean({"--rate", "0.01", "--burst", "1"}));
  ASSERT_TRUE(server.started());
  const std::string upload = "POST /qzt/uploadhandler.php HTTP/1.1\r\nHost: x\r\n";
  struct Case {
    const char* what;
    std::string request;
    int status;
  } cases[] = {
      {"both lengths", upload + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 400},
      {"two lengths", upload + "Content-Length: 5\r\nContent-Length: 6\r\n\r\nabcdef", 400},
      {"chunked", upload + "Transfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 411},
      // Answered before any of the body is sent: the read would run into its bound otherwise.
      {"a length far too long", upload + "Content-Length: 100000000\r\n\r\n", 413},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int fd = connect_from(server.port(), "127.0.0.1");
    ASSERT_GE(fd, 0);
    send_text(fd, c.request);
    const std::string answer = read_to_end(fd);
    close(fd);
    EXPECT_EQ(status_of(answer), c.status) << answer.substr(0, 80);
    EXPECT_EQ(answer.find("(open)"), std::string::npos);
  }

  // The address has used its one request: a request now is told to wait, and a request hidden
  // in its body is never answered.
  ASSERT_TRUE(server.client().Get("/"));
  const std::string hidden = "GET /help/xxl HTTP/1.1\r\nHost: x\r\n\r\n";
  const int fd = connect_from(server.port(), "127.0.0.1");
  ASSERT_GE(fd, 0);
  send_text(fd, upload + "Content-Length: " + std::to_string(hidden.size()) + "\r\n\r\n" + hidden);
  const std::string answer = read_to_end(fd);
  close(fd);
  EXPECT_EQ(status_of(answer), 429) << answer.substr(0, 80);
  EXPECT_EQ(count_of(answer, "HTTP/1.1 "), 1u) << answer;
  EXPECT_EQ(answer.find("Hilfe"), std::string::npos);
}

// Bodies held at once share a budget (here 2 MiB): a second large upload while one is arriving
// is told to come again, and comes in once the first is done.
TEST(ServerHttpLimits, LargeBodiesAtOnceWaitTheirTurn) {
  ServerProcess server(lean({"--body-memory", "2"}));
  ASSERT_TRUE(server.started());
  const std::string head = "POST /qzt/uploadhandler.php HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                           std::to_string(server::max_request_body) + "\r\n\r\n";
  const int first = connect_from(server.port(), "127.0.0.1");
  ASSERT_GE(first, 0);
  send_text(first, head + std::string(1000, 'a'));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const int second = connect_from(server.port(), "127.0.0.1");
  ASSERT_GE(second, 0);
  send_text(second, head);
  const std::string busy = read_to_end(second);
  close(second);
  EXPECT_EQ(status_of(busy), 503) << busy.substr(0, 80);
  send_text(first, std::string(server::max_request_body - 1000, 'a'));
  const std::string answered = read_to_end(first);
  close(first);
  EXPECT_EQ(status_of(answered), 200) << answered.substr(0, 80);  // a malformed request, answered
  const int third = connect_from(server.port(), "127.0.0.1");
  ASSERT_GE(third, 0);
  send_text(third, head + std::string(server::max_request_body, 'a'));
  EXPECT_EQ(status_of(read_to_end(third)), 200);
  close(third);
}

// Many authentications at once against a small burst: every one gets an answer, an account of
// its request or a 429 that says to wait, never a reset connection.
TEST(ServerHttpLimits, ManyRequestsAtOnceAreEachAnswered) {
  ServerProcess server(lean({"--rate", "0.5", "--burst", "4", "--per-address", "64"}));
  ASSERT_TRUE(server.started());
  std::atomic<int> answered{0}, waited{0};
  std::vector<std::thread> clients;
  for (int i = 0; i < 48; ++i)
    clients.emplace_back([&] {
      const auto res = server.client().Post("/qzt/uploadhandler.php",
                                            "type=Authenticate&user=Niemand&pass=geheim12&version=V1.1&vtype=2"
                                            "&lang=0007&score=10&ienv=8879&noyb=40402&opt=",
                                            "application/x-www-form-urlencoded");
      if (!res) return;
      ++answered;
      if (res->status == 429 && res->body.rfind("Action=Retry\n", 0) == 0) ++waited;
    });
  for (std::thread& t : clients) t.join();
  EXPECT_EQ(answered.load(), 48);
  EXPECT_GE(waited.load(), 40);
}

// Writes that fail (a file size limit stands in for a full disk) turn the health address to
// failing, with the error, until a write goes through again.
TEST(ServerHttpLimits, AFullDiskIsReportedUntilAWriteGoesThroughAgain) {
  ServerProcess server(lean());
  ASSERT_TRUE(server.started());
  ASSERT_EQ(server.register_account("Erste", "geheim12"), 201);
  rlimit full{1, RLIM_INFINITY};  // the soft limit only, so that it can be raised again
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_FSIZE, &full, nullptr), 0);
  EXPECT_EQ(server.register_account("Zweite", "geheim12"), 503);
  auto health = server.client().Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 503);
  EXPECT_NE(health->body.find("\"status\":\"failing\""), std::string::npos) << health->body;
  EXPECT_NE(health->body.find("\"last_write_error\":\""), std::string::npos) << health->body;
  EXPECT_NE(health->body.find("\"writing\":false"), std::string::npos) << health->body;

  rlimit room{RLIM_INFINITY, RLIM_INFINITY};
  ASSERT_EQ(prlimit(server.pid(), RLIMIT_FSIZE, &room, nullptr), 0);
  EXPECT_EQ(server.register_account("Dritte", "geheim12"), 201);
  health = server.client().Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200) << health->body;
  EXPECT_NE(health->body.find("\"writing\":true"), std::string::npos) << health->body;
}

TEST(ServerHttpLimits, HttpsWithTheOperatorsCertificate) {
  ScratchDir keys;
  const std::string cert = (keys / "cert.pem").string(), key = (keys / "key.pem").string();
  const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout '" + key +
                           "' -out '" + cert + "' >/dev/null 2>&1";
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) GTEST_SKIP() << "no openssl program";
  ASSERT_EQ(std::system(make.c_str()), 0);
  ServerProcess s(lean({"--tls-cert", cert, "--tls-key", key}));
  ASSERT_TRUE(s.started());
  httplib::SSLClient tls("127.0.0.1", s.port());
  tls.set_ca_cert_path(cert.c_str());
  tls.enable_server_certificate_verification(false);
  const auto health = tls.Get("/health");
  ASSERT_TRUE(health);
  EXPECT_EQ(health->status, 200);
  httplib::Client plain("127.0.0.1", s.port());
  plain.set_read_timeout(5, 0);
  const auto refused = plain.Get("/health");
  EXPECT_TRUE(!refused || refused->status != 200);
}

// The browser edition's files: the page and its files from the edition's folder alone, gzip
// copies to a browser that takes them, revalidated by their tags, ranges from the plain file; an
// edition without its page says so, and every list links its edition's page.
TEST(ServerWeb, TheBrowserPagesComeFromTheirFolderCompressedAndRevalidated) {
  const ScratchDir web;
  std::filesystem::create_directories(web / "xl");
  write_file(web / "xl" / "index.html", "<html><body>XL in the browser</body></html>");
  std::string script;
  for (int i = 0; i < 200; ++i) script += "var frame" + std::to_string(i) + " = " + std::to_string(i) + ";\n";
  write_file(web / "xl" / "game.js", script);
  gzFile gz = gzopen((web / "xl" / "game.js.gz").c_str(), "wb9");
  ASSERT_NE(gz, nullptr);
  gzwrite(gz, script.data(), static_cast<unsigned>(script.size()));
  gzclose(gz);
  const std::string compressed = read_file(web / "xl" / "game.js.gz");
  write_file(web / "xl" / "notes.txt", "not a page file");
  write_file(web / "outside.html", "outside the edition's folder");

  ServerProcess server(lean({"--web", web.path().string()}));
  ASSERT_TRUE(server.started());
  httplib::Client c = server.client();
  c.set_decompress(false);

  auto moved = c.Get("/play/xl");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->status, 301);
  EXPECT_EQ(moved->get_header_value("Location"), "/play/xl/");
  auto page = c.Get("/play/xl/");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->body, read_file(web / "xl" / "index.html"));
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(page->get_header_value("Cache-Control"), "no-cache");

  auto zipped = c.Get("/play/xl/game.js", {{"Accept-Encoding", "gzip, deflate"}});
  ASSERT_TRUE(zipped);
  EXPECT_EQ(zipped->status, 200);
  EXPECT_EQ(zipped->get_header_value("Content-Encoding"), "gzip");
  EXPECT_EQ(zipped->body, compressed);
  EXPECT_LT(compressed.size(), script.size() / 3);
  auto plain = c.Get("/play/xl/game.js");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->body, script);
  EXPECT_FALSE(plain->has_header("Content-Encoding"));
  EXPECT_EQ(plain->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  const std::string tag = plain->get_header_value("ETag");
  ASSERT_FALSE(tag.empty());
  EXPECT_NE(tag, zipped->get_header_value("ETag")) << "the two forms are told apart";
  auto again = c.Get("/play/xl/game.js", {{"If-None-Match", tag}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  EXPECT_TRUE(again->body.empty());
  auto part = c.Get("/play/xl/game.js", {{"Accept-Encoding", "gzip"}, {"Range", "bytes=4-9"}});
  ASSERT_TRUE(part);
  EXPECT_EQ(part->status, 206);
  EXPECT_EQ(part->body, script.substr(4, 6));

  // Nothing outside the edition's page files, whatever the address says.
  for (const char* address : {"/play/xl/notes.txt", "/play/xl/game.js.gz", "/play/xl/..%2Foutside.html",
                              "/play/xl/../outside.html", "/play/xl/.hidden", "/play/xl/missing.js",
                              "/play/xm/", "/play/xl/x/index.html"}) {
    auto r = c.Get(address);
    ASSERT_TRUE(r) << address;
    EXPECT_EQ(r->status, 404) << address;
    EXPECT_EQ(r->body.find("outside the edition"), std::string::npos) << address;
  }
  auto missing = c.Get("/play/xs/");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
  EXPECT_NE(missing->body.find("Dieser Server hat die Browser-Ausgabe von XS nicht."), std::string::npos)
      << missing->body;
  auto list = c.Get("/list/xxl");
  ASSERT_TRUE(list);
  EXPECT_NE(list->body.find("<a class=\"play\" href=\"/play/xxl/\">XXL im Browser spielen</a>"),
            std::string::npos);
}

TEST(ServerCommandLine, ASecondServerOnTheSamePortDoesNotStart) {
  ServerProcess first;
  ASSERT_TRUE(first.started());
  ScratchDir here;
  // One that started anyway would serve on: it is stopped after a while and the test fails.
  RunningProgram program("grumboldx-server", here.path(), {},
                         {"--port", std::to_string(first.port()), "--listen", "127.0.0.1", "--db",
                          (here / "second.db").string(), "--archives", data_dir().string(), "--verifiers", "1"});
  const RunResult second = program.finish(std::chrono::seconds(10));
  EXPECT_EQ(second.exit_code, 1) << second.stderr_text;
  EXPECT_NE(second.stderr_text.find("address in use"), std::string::npos) << second.stderr_text;
}

TEST(ServerCommandLine, AStopBetweenBindingAndServingStops) {
  ScratchDir here;
  RunningProgram program("grumboldx-server", here.path(), {{"GRUMBOLDX_SERVER_PAUSE_MS", "1500"}},
                         {"--port", "0", "--port-file", (here / "port").string(), "--listen", "127.0.0.1", "--db",
                          (here / "h.db").string(), "--archives", data_dir().string(), "--verifiers", "1"});
  ASSERT_TRUE(program.wait_for_text(here / "port", "\n"));  // bound, not serving yet
  program.send_signal(SIGTERM);
  const RunResult r = program.finish(std::chrono::seconds(10));
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_NE(r.stderr_text.find("signal 15: stopping"), std::string::npos) << r.stderr_text;
}

TEST(ServerCommandLine, HelpErrorsAndMissingArchives) {
  ScratchDir here;
  RunResult help = run_program("grumboldx-server", here.path(), {}, {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  for (const char* option : {"--port", "--db", "--db-connections", "--archives", "--tls-cert", "--tls-key",
                             "--render-workers", "--video-cache", "--video-cache-mb", "--render-time"})
    EXPECT_NE(help.stdout_text.find(option), std::string::npos) << option;
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{"--colour", "blue"}, 2, "unknown option --colour"},
      {{"--port", "70000"}, 2, "out of range"},
      {{"--db-connections", "0"}, 2, "out of range"},
      {{"--db-connections"}, 2, "needs a value"},
      {{"--tls-cert", "c.pem"}, 2, "go together"},
      {{"--port", "0", "--db", (here / "no" / "such" / "folder.db").string()}, 1, "cannot open"},
      {{"--port", "0", "--db", (here / "h.db").string(), "--archives", here.path().string()}, 1, "no edition"},
      {{"--render-workers", "65"}, 2, "out of range"},
      {{"--video-cache-mb", "0"}, 2, "out of range"},
      {{"--render-time", "5"}, 2, "out of range"},
      {{"--video-cache"}, 2, "needs a value"},
      {{"--port", "0", "--db", (here / "h.db").string(), "--archives", data_dir().string(), "--verifiers", "1",
        "--video-cache", "/proc/no-videos-here"},
       1,
       "cannot make the video cache"},
  };
  for (const Case& c : cases) {
    RunResult r = run_program("grumboldx-server", here.path(), {}, c.args);
    EXPECT_EQ(r.exit_code, c.code) << r.stderr_text;
    EXPECT_NE(r.stderr_text.find(c.says), std::string::npos) << r.stderr_text;
  }
}

}  // namespace
