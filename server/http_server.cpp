// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/http_server.h"

#include <httplib.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <regex>

#include "server/accounts.h"
#include "server/connection_gate.h"
#include "server/editions.h"
#include "server/languages.h"
#include "server/log.h"
#include "server/messages.h"
#include "server/pages.h"
#include "server/timeline.h"
#include "server/verifier_wire.h"
#include "server/web_pages.h"
#include "server/videos.h"

namespace server {

namespace {

constexpr const char* game_reply_type = "text/plain; charset=ISO-8859-1";
constexpr const char* page_type = "text/html; charset=utf-8";
// A file answer (a video, the browser game's files) may take this long in all (a client that
// reads slowly holds a worker), and only so many go out at once, so files never take every
// worker from the pages and the uploads.
constexpr std::int64_t file_answer_ms = 10 * 60 * 1000;
constexpr std::size_t file_chunk = 64 * 1024;
int most_streams(int threads) { return threads / 4 > 1 ? threads / 4 : 1; }

// The byte range a video answer may send: none, or one within the file. cpp-httplib sends it;
// anything else gets 416.
bool range_fits(const httplib::Request& req, std::int64_t size) {
  if (req.ranges.empty()) return true;
  if (req.ranges.size() != 1 || size <= 0) return false;
  const auto [first, last] = req.ranges[0];
  if (first < 0) return last > 0;  // the last bytes
  return first < size && (last < 0 || last >= first);
}

void page_headers(httplib::Response& res) {
  res.set_header("X-Content-Type-Options", "nosniff");
  res.set_header("Content-Security-Policy", "default-src 'self'; style-src 'self'; frame-ancestors 'none'");
  res.set_header("Referrer-Policy", "same-origin");
}

void send_page(httplib::Response& res, int status, const std::string& html) {
  res.status = status;
  page_headers(res);
  res.set_content(html, page_type);
}

bool valid_host(const std::string& host) {
  if (host.empty() || host.size() > 255) return false;
  for (char c : host)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
          c == ':' || c == '[' || c == ']'))
      return false;
  return true;
}

std::int64_t page_number(const httplib::Request& req) {
  if (!req.has_param("page")) return 1;
  const std::string v = req.get_param_value("page");
  if (v.empty() || v.size() > 9 || v.find_first_not_of("0123456789") != std::string::npos) return 1;
  const std::int64_t n = std::stoll(v);
  return n < 1 ? 1 : n;
}

// A text as a JSON string's contents.
std::string json_escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

// A path or a query's part as it goes into a link: every byte but the unreserved ones (and "/" in
// a path) escaped.
std::string url_escaped(std::string_view text, bool path) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~' || (path && c == '/')) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  return out;
}

// A page's language: a lang parameter that names one picks it and keeps it in a cookie for the
// pages after; otherwise the cookie or the browser's languages choose, and the page says that it
// varies with them.
const Language& page_language(const httplib::Request& req, httplib::Response& res, std::string_view parameter,
                              bool keep) {
  const LanguageChoice choice =
      choose_language(parameter, req.get_header_value("Cookie"), req.get_header_value("Accept-Language"));
  if (!choice.from_parameter)
    res.set_header("Vary", "Accept-Language, Cookie");
  else if (keep)
    res.set_header("Set-Cookie", "lang=" + choice.language->code + "; Path=/; Max-Age=31536000; SameSite=Lax");
  return *choice.language;
}

// A page answering a GET: its language from the request, and its address (the query without
// lang) for the language switch.
PageContext page_context(const httplib::Request& req, httplib::Response& res) {
  PageContext c;
  c.language = &page_language(req, res, req.get_param_value("lang"), true);
  // A path that is not this server's own ("//host/...") would lead elsewhere.
  c.path = req.path.starts_with('/') && !req.path.starts_with("//") ? url_escaped(req.path, true) : "/";
  for (const auto& [key, value] : req.params) {
    if (key == "lang") continue;
    if (!c.query.empty()) c.query += '&';
    c.query += url_escaped(key, false) + "=" + url_escaped(value, false);
  }
  return c;
}

// An Origin header ("https://host:port", or "null") against the Host the request was sent to.
bool same_origin(const std::string& origin, const std::string& host) {
  std::string_view rest = origin;
  if (rest.rfind("https://", 0) == 0)
    rest.remove_prefix(8);
  else if (rest.rfind("http://", 0) == 0)
    rest.remove_prefix(7);
  else
    return false;
  return !host.empty() && rest == host;
}

// cpp-httplib's routing without its own connections: one request, read whole by the gate,
// answered on its connection.
class Router : public httplib::Server {
 public:
  // cpp-httplib stops writing provided content (the videos) as soon as its server has no
  // listening socket, which it takes for a shutdown. The router listens on none (the gate does),
  // so it names a socket it never uses: it is never run, so nothing ever closes it.
  Router() { svr_sock_ = 0; }
  void answer(httplib::Stream& stream) {
    bool closed = false;
    process_request(stream, true, closed, {});
  }
};

// The gate's connection as cpp-httplib's stream: reads come from the request as received,
// writes go to the client within the write time-out.
class GateStream : public httplib::Stream {
 public:
  GateStream(GateConnection& c, int write_seconds) : c_(c), write_seconds_(write_seconds) {}
  bool is_readable() const override { return at_ < c_.bytes().size(); }
  bool is_writable() const override { return true; }
  ssize_t read(char* ptr, size_t size) override {
    const std::size_t n = std::min(size, c_.bytes().size() - at_);
    std::memcpy(ptr, c_.bytes().data() + at_, n);
    at_ += n;
    return static_cast<ssize_t>(n);
  }
  ssize_t write(const char* ptr, size_t size) override {
    return c_.write(ptr, size, write_seconds_) ? static_cast<ssize_t>(size) : -1;
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override {
    ip = c_.address();
    port = c_.port();
  }
  void get_local_ip_and_port(std::string& ip, int& port) const override {
    ip.clear();
    port = 0;
  }
  socket_t socket() const override { return c_.fd(); }

 private:
  GateConnection& c_;
  int write_seconds_;
  std::size_t at_ = 0;
};

}  // namespace

std::string redirect_target(const std::string& path) {
  static const std::regex dialog_link(R"(/grumbold/qzt/([a-z]{2})/(xs|xl|xxl)-uplb-(help|reg|high)_redirect\.php)");
  static const std::regex exit_link(R"(/grumbold/qzt/([a-z]{2})/(xs|xl)_c([1-4])_redirect\.php)");
  std::smatch m;
  const bool dialog = std::regex_match(path, m, dialog_link);
  if (!dialog && !std::regex_match(path, m, exit_link)) return "";
  const Language* language = language_by_code(m[1].str());
  if (!language) return "";
  const std::string slug = m[2];
  std::string target = "/";
  if (dialog) {
    target = (m[3] == "help" ? "/help/" : m[3] == "reg" ? "/register/" : "/list/") + slug;
  } else {
    // The exit screen's pictures: the online list, more games (the start page), help; the
    // invisible areas lead to the start page.
    const int picture = std::stoi(m[3]);
    if (picture == 1) target = "/list/" + slug;
    if (slug == "xs" && picture == 3) target = "/help/xs";
  }
  return with_language(target, *language);
}

HttpServer::HttpServer(const Options& options, Service& service, Store& store, VerifierPool& verifiers,
                       VideoFarm* videos)
    : options_(options), service_(service), store_(store), verifiers_(verifiers), videos_(videos),
      web_dir_(options.web.empty() ? default_web() : options.web), rate_(options.rate, options.burst) {
  http_ = std::make_unique<Router>();
  http_->set_payload_max_length(max_request_body);
  if (!options_.tls_cert.empty()) {
    tls_ = SSL_CTX_new(TLS_server_method());
    if (!tls_ || SSL_CTX_set_min_proto_version(tls_, TLS1_2_VERSION) != 1 ||
        SSL_CTX_use_certificate_chain_file(tls_, options_.tls_cert.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tls_, options_.tls_key.c_str(), SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_check_private_key(tls_) != 1)
      tls_error_ = "the TLS certificate or key cannot be used";
  }
  add_routes();
}

HttpServer::~HttpServer() {
  gate_.reset();
  if (tls_) SSL_CTX_free(tls_);
}

std::string HttpServer::base_url(const std::string& host_header) const {
  const std::string scheme = options_.tls_cert.empty() ? "http://" : "https://";
  if (valid_host(host_header)) return scheme + host_header;
  return scheme + "localhost:" + std::to_string(port_);
}

bool HttpServer::bind(std::string& error) {
  if (!tls_error_.empty()) {
    error = tls_error_;
    return false;
  }
  GateLimits limits;
  limits.max_connections = options_.max_connections;
  limits.per_address = options_.per_address;
  limits.max_body = max_request_body;
  limits.max_buffered = static_cast<std::size_t>(options_.body_memory_mb) << 20;
  limits.head_seconds = options_.head_timeout;
  limits.body_seconds = options_.body_timeout;
  limits.write_seconds = options_.io_timeout;
  const int write_seconds = options_.io_timeout;
  Router& router = static_cast<Router&>(*http_);
  gate_ = std::make_unique<ConnectionGate>(limits, tls_, options_.threads, [&router, write_seconds](GateConnection& c) {
    GateStream stream(c, write_seconds);
    router.answer(stream);
  });
  if (!gate_->bind(options_.listen, options_.port, error)) return false;
  port_ = gate_->port();
  return true;
}

void HttpServer::run() {
  if (gate_) gate_->run();
}
void HttpServer::stop() {
  if (gate_) gate_->stop();
}

void HttpServer::send_file(const httplib::Request& req, httplib::Response& res, int fd, std::int64_t size,
                           const std::string& type) {
  if (!range_fits(req, size)) {
    ::close(fd);
    res.status = 416;
    res.set_header("Content-Range", "bytes */" + std::to_string(size));
    return;
  }
  if (streams_.fetch_add(1) >= most_streams(options_.threads)) {
    --streams_;
    ::close(fd);
    res.status = 503;
    res.set_header("Retry-After", "5");
    return;
  }
  res.set_header("Accept-Ranges", "bytes");
  res.set_header("X-Content-Type-Options", "nosniff");
  const std::int64_t deadline = wire::now_ms() + file_answer_ms;
  res.set_content_provider(
      static_cast<std::size_t>(size), type,
      [fd, size, deadline](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        if (wire::now_ms() > deadline || offset >= static_cast<std::size_t>(size)) return false;
        char buffer[file_chunk];
        const std::size_t want = std::min({length, file_chunk, static_cast<std::size_t>(size) - offset});
        const ssize_t got = ::pread(fd, buffer, want, static_cast<off_t>(offset));
        if (got <= 0) return false;
        return sink.write(buffer, static_cast<std::size_t>(got));
      },
      [this, fd](bool) {
        ::close(fd);
        --streams_;
      });
}

void HttpServer::add_routes() {
  httplib::Server& s = *http_;

  // Every address but the health address counts against the caller's rate. The game's posts are
  // counted by their handler, which has read the body and so knows the language to answer in.
  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    if (req.path == "/health" || (req.path == "/qzt/uploadhandler.php" && req.method == "POST") ||
        rate_.allow(req.remote_addr))
      return httplib::Server::HandlerResponse::Unhandled;
    res.set_header("Retry-After", std::to_string(rate_.wait_seconds(req.remote_addr)));
    send_page(res, 429, trouble_page(page_context(req, res), Trouble::too_many_requests));
    return httplib::Server::HandlerResponse::Handled;
  });

  // The body is whole here: the gate read it within its length and time bounds. It is taken
  // through a content reader, so the HTTP library's own form parsing, which refuses a form
  // longer than 8 KiB, never sees it: a game whose replay text is longer (a whole round with a
  // moving mouse and uneven frames) is read like any other, and the form reader of the service
  // bounds each field.
  s.Post("/qzt/uploadhandler.php", [this](const httplib::Request& req, httplib::Response& res,
                                          const httplib::ContentReader& content) {
    std::string body;
    content([&body](const char* data, std::size_t length) {
      body.append(data, length);
      return body.size() <= max_request_body;
    });
    if (!rate_.allow(req.remote_addr)) {
      res.status = 429;
      res.set_header("Retry-After", std::to_string(rate_.wait_seconds(req.remote_addr)));
      res.set_content(write_reply(too_many_requests_reply(request_language(body))), game_reply_type);
      return;
    }
    const Reply r = service_.handle(body, req.remote_addr, base_url(req.get_header_value("Host")));
    res.set_content(write_reply(r), game_reply_type);
  });

  s.Get(R"(/grumbold/qzt/[a-z]{2}/[A-Za-z0-9_.-]+\.php)", [](const httplib::Request& req, httplib::Response& res) {
    const std::string target = redirect_target(req.path);
    if (target.empty()) {
      send_page(res, 404, not_found_page(page_context(req, res)));
      return;
    }
    res.set_redirect(target, 302);
  });

  s.Get("/", [this](const httplib::Request& req, httplib::Response& res) {
    std::vector<int> editions;
    for (int e = 1; e <= 3; ++e)
      if (verifiers_.facts(e)) editions.push_back(e);
    send_page(res, 200, index_page(page_context(req, res), editions));
  });
  s.Get("/style.css", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Cache-Control", "max-age=3600");
    res.set_content(style_sheet(), "text/css; charset=utf-8");
  });
  s.Get(R"(/help/(xs|xl|xxl))", [](const httplib::Request& req, httplib::Response& res) {
    send_page(res, 200, help_page(page_context(req, res), edition_from_slug(req.matches[1].str())));
  });
  s.Get(R"(/register/(xs|xl|xxl))", [](const httplib::Request& req, httplib::Response& res) {
    send_page(res, 200,
              register_page(page_context(req, res), edition_from_slug(req.matches[1].str()), FormError::none, ""));
  });
  s.Post("/register", [this](const httplib::Request& req, httplib::Response& res) {
    // Only our own form may register: a browser names the page a post comes from, and one from
    // another site is refused. The form sends its fields in the body; a password in the address
    // would end up in logs and histories, so an address with a query is refused too.
    // The answer speaks the form's language (its lang field); its switch leads back to the form.
    const int edition = edition_from_slug(req.get_param_value("edition"));
    PageContext c;
    c.language = &page_language(req, res, req.get_param_value("lang"), false);
    c.path = std::string("/register/") + edition_slug(edition ? edition : 2);
    const std::string origin = req.get_header_value("Origin");
    if (!origin.empty() && !same_origin(origin, req.get_header_value("Host"))) {
      server_log("%s: registration from another site (%s) refused", req.remote_addr.c_str(), origin.c_str());
      send_page(res, 403, trouble_page(c, Trouble::foreign_form));
      return;
    }
    if (req.target.find('?') != std::string::npos) {
      send_page(res, 400, trouble_page(c, Trouble::fields_in_address));
      return;
    }
    const std::string name = req.get_param_value("name");
    const std::string password = req.get_param_value("password");
    FormError error = FormError::none;
    if (!valid_user_name(name))
      error = FormError::name;
    else if (!valid_password(password))
      error = FormError::password;
    else if (password != req.get_param_value("password2"))
      error = FormError::mismatch;
    if (error != FormError::none) {
      send_page(res, 400, register_page(c, edition, error, valid_user_name(name) ? name : ""));
      return;
    }
    const std::string hash = hash_password(password);
    try {
      if (hash.empty()) throw StoreError("no password hash");
      if (!store_.create_account(name, hash, static_cast<std::int64_t>(std::time(nullptr)))) {
        send_page(res, 409, register_page(c, edition, FormError::name_taken, ""));
        return;
      }
    } catch (const StoreError& e) {
      server_log("%s: registration failed: %s", req.remote_addr.c_str(), e.what());
      service_.writes().failed(static_cast<std::int64_t>(std::time(nullptr)), e.what());
      send_page(res, 503, trouble_page(c, Trouble::busy));
      return;
    }
    service_.writes().succeeded();
    server_log("%s: account %s registered", req.remote_addr.c_str(), name.c_str());
    send_page(res, 201, registered_page(c, edition, name));
  });
  s.Get(R"(/list/(xs|xl|xxl))", [this](const httplib::Request& req, httplib::Response& res) {
    const int edition = edition_from_slug(req.matches[1].str());
    const std::int64_t page = page_number(req);
    const PageContext c = page_context(req, res);
    try {
      const std::int64_t total = store_.listed_count(edition);
      const auto entries = store_.list(edition, (page - 1) * list_page_size, list_page_size);
      send_page(res, 200, list_page(c, edition, entries, page, total, list_page_size));
    } catch (const StoreError& e) {
      server_log("list: %s", e.what());
      send_page(res, 503, trouble_page(c, Trouble::list_unreadable));
    }
  });

  // A listed game's page. Its video: an evicted one (or a ready one whose file has gone) waits to
  // be rendered again, and the page says it is being prepared.
  s.Get(R"(/game/([0-9]{1,18}))", [this](const httplib::Request& req, httplib::Response& res) {
    const PageContext c = page_context(req, res);
    const std::int64_t id = std::stoll(req.matches[1].str());
    try {
      const std::optional<ListedGame> g = store_.listed_game(id);
      if (!g) {
        send_page(res, 404, not_found_page(c));
        return;
      }
      Timeline timeline;
      const bool charted = !g->timeline.empty() && read_timeline(g->timeline, timeline);
      VideoShown shown = VideoShown::none;
      switch (g->video.state) {
        case VideoState::none: break;
        case VideoState::failed: shown = VideoShown::failed; break;
        case VideoState::waiting:
        case VideoState::rendering: shown = VideoShown::preparing; break;
        case VideoState::ready:
        case VideoState::evicted:
          shown = VideoShown::preparing;
          if (!videos_) break;
          if (g->video.state == VideoState::ready && std::filesystem::exists(video_file(videos_->options().cache_dir, id)))
            shown = VideoShown::ready;
          else if (store_.request_video(id))
            videos_->wake();
          break;
      }
      if (!videos_ && shown != VideoShown::failed) shown = VideoShown::none;
      send_page(res, 200, game_page(c, *g, charted ? &timeline : nullptr, shown));
    } catch (const StoreError& e) {
      server_log("game page: %s", e.what());
      send_page(res, 503, trouble_page(c, Trouble::list_unreadable));
    }
  });

  // The video file, by the game's number only; ranges answered (cpp-httplib cuts them from the
  // provider's bytes), watched noted at most once a minute.
  s.Get(R"(/game/([0-9]{1,18})/video\.webm)", [this](const httplib::Request& req, httplib::Response& res) {
    const std::int64_t id = std::stoll(req.matches[1].str());
    auto not_here = [&] { send_page(res, 404, not_found_page(page_context(req, res))); };
    if (!videos_) return not_here();
    std::optional<ListedGame> g;
    try {
      g = store_.listed_game(id);
      if (g && g->video.state == VideoState::evicted && store_.request_video(id)) videos_->wake();
    } catch (const StoreError& e) {
      server_log("video: %s", e.what());
      send_page(res, 503, trouble_page(page_context(req, res), Trouble::busy));
      return;
    }
    if (!g || g->video.state != VideoState::ready) return not_here();
    const int fd = ::open(video_file(videos_->options().cache_dir, id).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      // Removed by another server's cache, or lost: rendered again.
      try {
        if (store_.request_video(id)) videos_->wake();
      } catch (const StoreError&) {
      }
      return not_here();
    }
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    if (videos_->watch_due(id, now)) {
      try {
        store_.watch_video(id, now);
      } catch (const StoreError& e) {
        server_log("video: %s", e.what());
      }
    }
    res.set_header("Cache-Control", "public, max-age=3600");
    send_file(req, res, fd, st.st_size, "video/webm");
  });

  // The game in the browser: each edition's built page and its files, compressed where a gzip
  // copy lies beside them; a server without them says so.
  s.Get(R"(/play/(xs|xl|xxl))", [](const httplib::Request& req, httplib::Response& res) {
    res.set_redirect(req.path + "/", 301);
  });
  s.Get(R"(/play/(xs|xl|xxl)/([A-Za-z0-9_.-]{0,64}))", [this](const httplib::Request& req, httplib::Response& res) {
    const std::string slug = req.matches[1].str();
    const std::string name = req.matches[2].str();
    // A range is answered from the plain file, whose bytes it counts.
    const bool gzip = req.ranges.empty() && req.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
    const std::optional<WebFile> f = find_web_file(web_dir_, slug, name, gzip);
    if (!f) {
      const bool built = web_edition_built(web_dir_, slug);
      send_page(res, 404, built || !name.empty() ? not_found_page(page_context(req, res))
                                                 : web_missing_page(page_context(req, res), edition_from_slug(slug)));
      return;
    }
    res.set_header("ETag", f->etag);
    res.set_header("Cache-Control", "no-cache");  // kept, and asked again after an update
    res.set_header("Vary", "Accept-Encoding");
    if (req.get_header_value("If-None-Match") == f->etag) {
      res.status = 304;
      return;
    }
    const int fd = ::open(f->path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      send_page(res, 404, not_found_page(page_context(req, res)));
      return;
    }
    if (f->gzip) res.set_header("Content-Encoding", "gzip");
    send_file(req, res, fd, st.st_size, f->type);
  });

  s.Get("/health", [this](const httplib::Request&, httplib::Response& res) {
    const bool database = store_.ping();
    std::string editions;
    for (int e = 1; e <= 3; ++e)
      if (verifiers_.facts(e)) editions += std::string(editions.empty() ? "" : ",") + "\"" + edition_name(e) + "\"";
    const ServiceCounters& c = service_.counters();
    // A database that answers but cannot write (a full disk) is failing until a write goes
    // through again; the last failure stays in the report.
    const WriteHealth::Failure write = service_.writes().last_failure();
    const bool ok = database && !editions.empty() && !write.current;
    const std::string write_report =
        write.at == 0 ? std::string()
                      : ",\"last_write_error\":\"" + json_escape(write.what) + "\",\"last_write_error_at\":" +
                            std::to_string(write.at) + ",\"writing\":" + (write.current ? "false" : "true");
    res.status = ok ? 200 : 503;
    res.set_header("Cache-Control", "no-store");
    res.set_content(std::string("{\"status\":\"") + (ok ? "ok" : "failing") + "\",\"database\":" +
                        (database ? "true" : "false") + ",\"editions\":[" + editions +
                        "],\"verifiers\":" + std::to_string(verifiers_.running()) +
                        ",\"authentications\":" + std::to_string(c.authentications.load()) +
                        ",\"uploads\":" + std::to_string(c.uploads.load()) +
                        ",\"verified\":" + std::to_string(c.verified.load()) +
                        ",\"refused\":" + std::to_string(c.refused.load()) +
                        ",\"malformed\":" + std::to_string(c.malformed.load()) +
                        ",\"upload_seconds\":" + std::to_string(c.upload_micros.load() / 1e6) +
                        ",\"simulations\":" + std::to_string(verifiers_.simulations()) +
                        ",\"simulation_seconds\":" + std::to_string(verifiers_.simulation_seconds()) +
                        (videos_ ? ",\"videos_made\":" + std::to_string(videos_->counters().made.load()) +
                                       ",\"videos_failed\":" + std::to_string(videos_->counters().failed.load()) +
                                       ",\"videos_evicted\":" + std::to_string(videos_->counters().evicted.load()) +
                                       ",\"render_seconds\":" +
                                       std::to_string(videos_->counters().render_micros.load() / 1e6)
                                 : std::string()) +
                        write_report + "}",
                    "application/json");
  });

  s.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
    if (!res.body.empty()) return;  // a handler's own answer
    if (req.path == "/qzt/uploadhandler.php") {
      // A body that could not be read (too long, too slow): the game still gets a reply.
      res.set_content(write_reply(unreadable_request_reply(request_language(req.body))), game_reply_type);
      return;
    }
    if (res.status == 404) send_page(res, 404, not_found_page(page_context(req, res)));
  });
  s.set_exception_handler([](const httplib::Request& req, httplib::Response& res, std::exception_ptr e) {
    try {
      if (e) std::rethrow_exception(e);
    } catch (const std::exception& x) {
      server_log("%s %s: %s", req.method.c_str(), req.path.c_str(), x.what());
    } catch (...) {
      server_log("%s %s: unknown failure", req.method.c_str(), req.path.c_str());
    }
    res.status = 500;
    res.set_content("internal error\n", "text/plain");
  });
}

}  // namespace server
