// SPDX-License-Identifier: GPL-3.0-or-later
// The server's reading of the game's request bodies, its reply lines, the redirect addresses it
// answers and its request rate per address.
#include <gtest/gtest.h>

#include <string>

#include "server/form.h"
#include "server/http_server.h"
#include "server/protocol.h"
#include "server/rate_limit.h"
#include "server/reply.h"

using namespace server;

namespace {

const std::string md712(712, 'a');

std::string authenticate_body(const std::string& user = "Gustav") {
  return "type=Authenticate&user=" + user +
         "&pass=geheim%2112&version=V1.1&vtype=2&lang=0007&score=1234&ienv=9500&noyb=40412&opt=";
}

TEST(ServerForm, FieldsAreSplitAndEscapesUndoneButPlusStays) {
  Form f;
  std::string error;
  ASSERT_TRUE(parse_form("a=1&b=x%20y%2b&c=p+q&d=", f, error)) << error;
  ASSERT_EQ(f.fields.size(), 4u);
  EXPECT_EQ(*f.find("b"), "x y+");
  EXPECT_EQ(*f.find("c"), "p+q");
  EXPECT_EQ(*f.find("d"), "");
  EXPECT_EQ(f.find("e"), nullptr);
  EXPECT_TRUE(parse_form("", f, error));
  EXPECT_TRUE(f.fields.empty());
}

TEST(ServerForm, BodiesThatAreNotFormsAreRefused) {
  const std::string many = [] {
    std::string s;
    for (int i = 0; i < 17; ++i) s += (i ? "&k" : "k") + std::to_string(i) + "=v";
    return s;
  }();
  for (const std::string& body : {std::string("a=1&a=2"), std::string("novalue"), std::string("a=1&"),
                                  std::string("=1"), std::string("a=%4"), std::string("a=%zz"),
                                  std::string("a=x%0Ay"), std::string("a=\x01"), std::string(17, 'k') + "=1",
                                  many}) {
    SCOPED_TRACE(body);
    Form f;
    std::string error;
    EXPECT_FALSE(parse_form(body, f, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ServerRequest, AnAuthenticationAsTheGameSendsIt) {
  Request r;
  std::string error;
  ASSERT_TRUE(parse_request(authenticate_body(), r, error)) << error;
  ASSERT_EQ(r.type, Request::Type::authenticate);
  EXPECT_EQ(r.authenticate.user, "Gustav");
  EXPECT_EQ(r.authenticate.password, "geheim!12");
  EXPECT_EQ(r.authenticate.version, "V1.1");
  EXPECT_EQ(r.authenticate.edition, 2);
  EXPECT_EQ(r.authenticate.score, 1234);
  EXPECT_EQ(r.authenticate.check_word_1, 9500);
  EXPECT_EQ(r.authenticate.check_word_2, 40412);
  EXPECT_EQ(r.authenticate.parameter, "");
}

TEST(ServerRequest, UploadsOfEachLogTypeCarryTheirFields) {
  struct Case {
    std::string body;
    LogType type;
  } cases[] = {
      {"type=Upload&md=" + md712 + "&comp=false&logtype=none", LogType::none},
      {"type=Upload&md=" + md712 + "&el=0a1b&comp=false&logtype=normal", LogType::normal},
      {"type=Upload&md=" + md712 + "&el=0a1b&replay=ffee&comp=false&logtype=full", LogType::full},
  };
  for (const Case& c : cases) {
    Request r;
    std::string error;
    ASSERT_TRUE(parse_request(c.body, r, error)) << error;
    EXPECT_EQ(r.type, Request::Type::upload);
    EXPECT_EQ(r.upload.log_type, c.type);
    EXPECT_EQ(r.upload.md, md712);
    EXPECT_EQ(r.upload.replay, c.type == LogType::full ? "ffee" : "");
  }
}

TEST(ServerRequest, MalformedRequestsAreRefused) {
  const std::string upload = "type=Upload&md=" + md712;
  const std::string cases[] = {
      "",
      "type=Register",
      "user=a&pass=b",
      "type=Authenticate&user=Gustav",                                         // fields missing
      authenticate_body("Sechzehn_Zeichen"),                                   // name over 15
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=4&score=1&ienv=1&noyb=1",  // no edition 4
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=1e3&ienv=1&noyb=1",
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=99999999999&ienv=1&noyb=1",
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=1&ienv=1&noyb=1&opt=" + std::string(64, 'o'),
      "type=Upload&md=" + std::string(710, 'a') + "&comp=false&logtype=none",  // md too short
      "type=Upload&md=" + std::string(711, 'a') + "g&comp=false&logtype=none", // not hex
      upload + "&comp=true&logtype=none",
      upload + "&comp=false&logtype=most",
      upload + "&comp=false&logtype=full",                                     // no el, no replay
      upload + "&el=00&comp=false&logtype=none",                               // el without asking
      upload + "&el=0x&replay=00&comp=false&logtype=full",
      upload + "&el=" + std::string(max_event_text + 2, '0') + "&comp=false&logtype=normal",
  };
  for (const std::string& body : cases) {
    SCOPED_TRACE(body.substr(0, 100));
    Request r;
    std::string error;
    EXPECT_FALSE(parse_request(body, r, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find("geheim"), std::string::npos);
  }
}

TEST(ServerReply, OneLinePerFieldInTheGamesCharacters) {
  Reply r;
  r.action = Action::proceed;
  r.text = "Geprüft!\nZeile zwei\r";
  r.html = "<p>Grüße – ✓</p>";
  r.logtype = "full";
  EXPECT_EQ(write_reply(r), "Action=Continue\ntext=Gepr\xFC" "ft! Zeile zwei \nhtml=<p>Gr&#252;&#223;e &#8211; "
                            "&#10003;</p>\nlogtype=full\n");
  EXPECT_EQ(write_reply(Reply{}), "Action=Abort\n");
  r.action = Action::retry;
  r.text = "";
  r.html = "";
  r.logtype = "";
  EXPECT_EQ(write_reply(r), "Action=Retry\n");
  // The game's code page has € „ “ – …; broken UTF-8 and what it lacks become "?".
  EXPECT_EQ(to_cp1252_line("a\xC3z\xE2\x9C\x93"), "a?z?");
  EXPECT_EQ(to_cp1252_line("5 \xE2\x82\xAC \xE2\x80\x9Ej\xE2\x80\x9C \xE2\x80\x93 \xE2\x80\xA6 \xC2\x85"),
            "5 \x80 \x84j\x93 \x96 \x85 ?");
  EXPECT_EQ(html_escape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

TEST(ServerRedirects, EveryAddressOfTheGameLeadsToAPage) {
  struct Case {
    const char* path;
    const char* target;
  } cases[] = {
      {"/grumbold/qzt/de/xs-uplb-help_redirect.php", "/help/xs"},
      {"/grumbold/qzt/de/xl-uplb-reg_redirect.php", "/register/xl"},
      {"/grumbold/qzt/de/xxl-uplb-high_redirect.php", "/list/xxl"},
      {"/grumbold/qzt/de/xs_c1_redirect.php", "/list/xs"},
      {"/grumbold/qzt/de/xs_c2_redirect.php", "/"},
      {"/grumbold/qzt/de/xs_c3_redirect.php", "/help/xs"},
      {"/grumbold/qzt/de/xs_c4_redirect.php", "/"},
      {"/grumbold/qzt/de/xl_c1_redirect.php", "/list/xl"},
      {"/grumbold/qzt/de/xl_c2_redirect.php", "/"},
      {"/grumbold/qzt/de/xxl_c1_redirect.php", ""},
      {"/grumbold/qzt/de/xl-uplb-other_redirect.php", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(redirect_target(c.path), c.target) << c.path;
}

TEST(ServerRateLimit, ABurstThenTheRate) {
  RateLimit limit(2, 3);
  const auto t0 = RateLimit::Clock::now();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.allow("10.0.0.1", t0));
  EXPECT_FALSE(limit.allow("10.0.0.1", t0));
  EXPECT_TRUE(limit.allow("10.0.0.2", t0));  // each address has its own bucket
  EXPECT_EQ(limit.wait_seconds("10.0.0.1", t0), 1);
  EXPECT_TRUE(limit.allow("10.0.0.1", t0 + std::chrono::milliseconds(500)));
  EXPECT_FALSE(limit.allow("10.0.0.1", t0 + std::chrono::milliseconds(500)));
  RateLimit open(0, 1);
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(open.allow("10.0.0.1", t0));
}

}  // namespace
