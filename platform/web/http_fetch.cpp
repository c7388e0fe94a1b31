// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP exchange of platform/http.h in a web page: the browser's fetch() to the server that
// served the page (a page may only talk to its own origin, whatever address the game was given),
// the body exactly as the game built it. The game's call blocks as on the desktop: the request
// runs in the browser's event loop while the call sleeps (Asyncify hands the page back).
//
// The reply counts once its status line is there. A request gives up when nothing has arrived
// for the silence limit (90 s, or GRUMBOLDX_HTTP_SILENCE_MS), which is longer than the highscore
// server's own worst case; of the body the first 64 KiB are kept and reading stops there.
// Credentials and cookies are never sent, redirects are not followed.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/http.h"

namespace plat {

namespace {

constexpr long default_silence_ms = 90000;
constexpr int reply_keep = 64 * 1024;

long silence_limit_ms() {
  const char* chosen = std::getenv("GRUMBOLDX_HTTP_SILENCE_MS");
  if (chosen && *chosen) {
    char* end = nullptr;
    const long v = std::strtol(chosen, &end, 10);
    if (*end == 0 && v > 0 && v <= 3600000) return v;
  }
  return default_silence_ms;
}

// Starts a request; answers its number. headers: lines ended by "\r\n".
// clang-format off
EM_JS(int, fetch_start, (const char* verb, const char* object, const char* headers, const char* body,
                         int length, int silence_ms, int keep), {
  var all = Module.grumboldxRequests || (Module.grumboldxRequests = { next: 1 });
  var id = all.next++;
  var r = { done: false, answered: false, timedOut: false, bytes: new Uint8Array(0), read: 0 };
  all[id] = r;
  var init = { method: UTF8ToString(verb), headers: new Headers(), credentials: 'omit',
               redirect: 'manual', cache: 'no-store' };
  UTF8ToString(headers).split(String.fromCharCode(13, 10)).forEach(function (line) {
    var colon = line.indexOf(':');
    if (colon > 0) init.headers.append(line.slice(0, colon).trim(), line.slice(colon + 1).trim());
  });
  if (length > 0) init.body = HEAPU8.slice(body, body + length);
  var stop = new AbortController();
  init.signal = stop.signal;
  var timer = 0;
  var quiet = function () {
    clearTimeout(timer);
    timer = setTimeout(function () { r.timedOut = true; stop.abort(); }, silence_ms);
  };
  var finish = function () { clearTimeout(timer); r.done = true; };
  quiet();
  var parts = [], kept = 0;
  fetch(new URL(UTF8ToString(object), location.origin).href, init).then(function (reply) {
    if (reply.type === 'opaqueredirect') throw new Error('a redirect, not followed');
    r.answered = true;
    r.status = reply.status;
    quiet();
    if (!reply.body) return finish();
    var reader = reply.body.getReader();
    var next = function () {
      return reader.read().then(function (step) {
        if (step.done) return finish();
        quiet();
        var room = keep - kept;
        parts.push(step.value.subarray(0, room));
        kept += Math.min(room, step.value.length);
        r.bytes = new Uint8Array(kept);
        var at = 0;
        parts.forEach(function (p) { r.bytes.set(p, at); at += p.length; });
        if (kept >= keep) { reader.cancel(); return finish(); }
        return next();
      });
    };
    return next();
  }).catch(function (error) {
    console.warn('http: ' + error);
    finish();
  });
  return id;
});

EM_JS(int, fetch_state, (int id), {
  var r = Module.grumboldxRequests && Module.grumboldxRequests[id];
  if (!r) return -1;
  return (r.done ? 1 : 0) | (r.answered ? 2 : 0) | (r.timedOut ? 4 : 0);
});

// Copies up to room bytes of the reply not read yet; the number copied.
EM_JS(int, fetch_read, (int id, char* out, int room), {
  var r = Module.grumboldxRequests && Module.grumboldxRequests[id];
  if (!r) return 0;
  var n = Math.min(room, r.bytes.length - r.read);
  HEAPU8.set(r.bytes.subarray(r.read, r.read + n), out);
  r.read += n;
  return n;
});

EM_JS(void, fetch_forget, (int id), {
  if (Module.grumboldxRequests) delete Module.grumboldxRequests[id];
});
// clang-format on

constexpr int state_done = 1, state_answered = 2, state_timed_out = 4;

struct Request {
  std::string verb, object;
  int fetch = 0;  // 0: not sent
  bool timed_out = false;
  ~Request() {
    if (fetch) fetch_forget(fetch);
  }
};

struct Connection {
  std::unique_ptr<Request> request;
};

int internet_made = 0;
std::unique_ptr<Connection> connection_record;

}  // namespace

HttpHandle http_open(const char*) {
  internet_made = 1;
  return reinterpret_cast<HttpHandle>(&internet_made);
}

HttpHandle http_connect(HttpHandle internet, const char* base_address, const char*) {
  if (internet != reinterpret_cast<HttpHandle>(&internet_made)) return 0;
  // The base address's host does not matter: the page talks to the server it came from.
  std::fprintf(stderr, "http: %s is reached as the page's own server\n", base_address ? base_address : "");
  if (!connection_record) connection_record = std::make_unique<Connection>();
  return reinterpret_cast<HttpHandle>(connection_record.get());
}

HttpHandle http_open_request(HttpHandle connection, const char* verb, const char* object) {
  if (!connection || connection != reinterpret_cast<HttpHandle>(connection_record.get())) return 0;
  auto request = std::make_unique<Request>();
  request->verb = verb ? verb : "GET";
  request->object = std::string("/") + (object ? object : "");
  connection_record->request = std::move(request);
  return reinterpret_cast<HttpHandle>(connection_record->request.get());
}

bool http_send_request(HttpHandle handle, const char* headers, const char* body, std::size_t length) {
  if (!handle || !connection_record || handle != reinterpret_cast<HttpHandle>(connection_record->request.get()))
    return false;
  Request& r = *connection_record->request;
  if (r.fetch) fetch_forget(r.fetch);
  r.timed_out = false;
  std::fprintf(stderr, "http: %s %s, %zu bytes\n", r.verb.c_str(), r.object.c_str(), length);
  r.fetch = fetch_start(r.verb.c_str(), r.object.c_str(), headers ? headers : "", body,
                        static_cast<int>(length), static_cast<int>(silence_limit_ms()), reply_keep);
  int state = 0;
  // The reply's status line is all the game waits for; the body goes on arriving meanwhile and
  // is read to its end (or its kept size) before the first byte is handed out.
  while (!((state = fetch_state(r.fetch)) & state_done)) emscripten_sleep(10);
  r.timed_out = state & state_timed_out;
  return state & state_answered;
}

bool http_timed_out(HttpHandle handle) {
  return handle && connection_record && handle == reinterpret_cast<HttpHandle>(connection_record->request.get()) &&
         connection_record->request->timed_out;
}

std::size_t http_read(HttpHandle handle, char* buffer, std::size_t room) {
  if (!handle || !connection_record || handle != reinterpret_cast<HttpHandle>(connection_record->request.get()))
    return 0;
  const Request& r = *connection_record->request;
  if (!r.fetch || room == 0) return 0;
  return static_cast<std::size_t>(fetch_read(r.fetch, buffer, static_cast<int>(std::min<std::size_t>(room, reply_keep))));
}

}  // namespace plat
