// SPDX-License-Identifier: GPL-3.0-or-later
// HTTP through libcurl. The connection owns one easy handle for the whole run, so libcurl keeps
// the server's connection open between the two requests of an exchange and between exchanges.
#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/http.h"

namespace plat {

namespace {

// Connecting is bounded; a request that is moving is not, however slow the uplink: it ends only
// when nothing has gone either way for the silence limit, which is longer than the highscore
// server's own worst case (a re-simulation may take 30 s, and waiting for a free verifier comes
// on top). GRUMBOLDX_HTTP_SILENCE_MS sets another limit (for tests).
constexpr long connect_timeout_ms = 5000;
constexpr long default_silence_ms = 90000;

std::chrono::milliseconds silence_limit() {
  const char* chosen = std::getenv("GRUMBOLDX_HTTP_SILENCE_MS");
  long ms = default_silence_ms;
  if (chosen && *chosen) {
    char* end = nullptr;
    const long v = std::strtol(chosen, &end, 10);
    if (*end == 0 && v > 0 && v <= 3600000) ms = v;
  }
  return std::chrono::milliseconds(ms);
}
constexpr std::size_t reply_keep = 64 * 1024;

struct Internet {
  std::string agent;
};

struct Request;

struct Connection {
  Internet* internet = nullptr;
  CURL* easy = nullptr;
  std::string base;  // without a trailing '/'
  std::string user;
  std::unique_ptr<Request> request;
  ~Connection();  // ends the easy handle: the connection closes with its record
};

struct Request {
  Connection* connection = nullptr;
  std::string verb;
  std::string url;
  std::string reply;
  std::size_t read_at = 0;
  bool answered = false;   // a status line arrived
  bool stopped = false;    // reading stopped at reply_keep on purpose
  bool timed_out = false;
  bool silent_too_long = false;
  curl_off_t sent = 0, received = 0;
  std::chrono::steady_clock::time_point last_activity;
  std::chrono::milliseconds silence{0};
};

Connection::~Connection() {
  if (easy) curl_easy_cleanup(easy);
}

// Records live for the whole run, as the handles the game keeps.
std::unique_ptr<Internet> internet_record;
std::unique_ptr<Connection> connection_record;

std::size_t on_body(char* data, std::size_t size, std::size_t count, void* user) {
  auto* r = static_cast<Request*>(user);
  const std::size_t n = size * count;
  r->last_activity = std::chrono::steady_clock::now();
  const std::size_t room = reply_keep - r->reply.size();
  if (n > room) {
    r->reply.append(data, room);
    r->stopped = true;
    return 0;  // ends the transfer: an endless reply is cut here
  }
  r->reply.append(data, n);
  return n;
}

std::size_t on_header(char* data, std::size_t size, std::size_t count, void* user) {
  auto* r = static_cast<Request*>(user);
  const std::size_t n = size * count;
  r->last_activity = std::chrono::steady_clock::now();
  if (n >= 5 && std::strncmp(data, "HTTP/", 5) == 0) r->answered = true;
  return n;
}

// Ends a transfer in which no byte has moved for silence_limit: libcurl's own low-speed check
// averages over a window that still holds the request's sending, and would wait twice as long.
int on_progress(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent) {
  auto* r = static_cast<Request*>(user);
  const auto now = std::chrono::steady_clock::now();
  if (sent != r->sent || received != r->received) {
    r->sent = sent;
    r->received = received;
    r->last_activity = now;
  }
  if (now - r->last_activity < r->silence) return 0;
  r->silent_too_long = true;
  return 1;
}

}  // namespace

HttpHandle http_open(const char* agent) {
  if (!internet_record) {
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return 0;
    internet_record = std::make_unique<Internet>();
  }
  internet_record->agent = agent ? agent : "";
  return reinterpret_cast<HttpHandle>(internet_record.get());
}

HttpHandle http_connect(HttpHandle internet, const char* base_address, const char* user) {
  if (!internet || internet != reinterpret_cast<HttpHandle>(internet_record.get()) ||
      !base_address)
    return 0;
  CURL* easy = curl_easy_init();
  if (!easy) return 0;
  auto c = std::make_unique<Connection>();
  c->internet = internet_record.get();
  c->easy = easy;
  c->base = base_address;
  while (!c->base.empty() && c->base.back() == '/') c->base.pop_back();
  c->user = user ? user : "";
  connection_record = std::move(c);  // the previous connection's handle ends with its record
  return reinterpret_cast<HttpHandle>(connection_record.get());
}

HttpHandle http_open_request(HttpHandle connection, const char* verb, const char* object) {
  Connection* c = connection_record.get();
  if (!c || connection != reinterpret_cast<HttpHandle>(c) || !verb || !object) return 0;
  auto r = std::make_unique<Request>();
  r->connection = c;
  r->verb = verb;
  r->url = c->base + "/" + (object[0] == '/' ? object + 1 : object);
  c->request = std::move(r);
  return reinterpret_cast<HttpHandle>(c->request.get());
}

bool http_send_request(HttpHandle request, const char* headers, const char* body,
                       std::size_t length) {
  Connection* c = connection_record.get();
  if (!c || !c->request || request != reinterpret_cast<HttpHandle>(c->request.get())) return false;
  Request& r = *c->request;
  r.reply.clear();
  r.read_at = 0;
  r.answered = r.stopped = r.timed_out = r.silent_too_long = false;
  r.sent = r.received = 0;
  r.last_activity = std::chrono::steady_clock::now();

  // The caller's lines; libcurl's own "Expect: 100-continue" and "Accept: */*" are left out.
  curl_slist* list = nullptr;
  for (const char* p = headers ? headers : ""; *p;) {
    const char* end = std::strstr(p, "\r\n");
    const std::string line = end ? std::string(p, end) : std::string(p);
    if (!line.empty()) list = curl_slist_append(list, line.c_str());
    p = end ? end + 2 : p + line.size();
  }
  list = curl_slist_append(list, "Expect:");
  list = curl_slist_append(list, "Accept:");

  CURL* e = c->easy;
  curl_easy_reset(e);  // keeps the open connection and the caches
  curl_easy_setopt(e, CURLOPT_URL, r.url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_USERAGENT, c->internet->agent.c_str());
  curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.verb == "POST" ? nullptr : r.verb.c_str());
  curl_easy_setopt(e, CURLOPT_POST, 1L);
  curl_easy_setopt(e, CURLOPT_POSTFIELDS, body ? body : "");
  curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body ? length : 0));
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, list);
  if (!c->user.empty()) {
    // With more than one method allowed, libcurl sends no credentials until the server asks.
    curl_easy_setopt(e, CURLOPT_USERNAME, c->user.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, "");
    curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY));
  }
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, connect_timeout_ms);
  curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, on_progress);
  curl_easy_setopt(e, CURLOPT_XFERINFODATA, &r);
  curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, 0L);
  r.silence = silence_limit();
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, on_body);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &r);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, on_header);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &r);

  const CURLcode result = curl_easy_perform(e);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(list);
  if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && r.stopped)) return true;
  if (result == CURLE_OPERATION_TIMEDOUT || (result == CURLE_ABORTED_BY_CALLBACK && r.silent_too_long)) {
    r.timed_out = true;
    return false;
  }
  // The connection broke after the server had begun to answer: what came is the reply.
  return r.answered;
}

bool http_timed_out(HttpHandle request) {
  Connection* c = connection_record.get();
  return c && c->request && request == reinterpret_cast<HttpHandle>(c->request.get()) &&
         c->request->timed_out;
}

std::size_t http_read(HttpHandle request, char* buffer, std::size_t room) {
  Connection* c = connection_record.get();
  if (!c || !c->request || request != reinterpret_cast<HttpHandle>(c->request.get()) || !buffer)
    return 0;
  Request& r = *c->request;
  const std::size_t n = std::min(room, r.reply.size() - r.read_at);
  std::memcpy(buffer, r.reply.data() + r.read_at, n);
  r.read_at += n;
  return n;
}

}  // namespace plat
