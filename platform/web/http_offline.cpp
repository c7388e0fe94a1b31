// SPDX-License-Identifier: GPL-3.0-or-later
// The HTTP exchange of platform/http.h on the web, for now without a connection: every open
// fails, so the upload tells the player that the highscore server cannot be reached, as it
// does on a desktop without a network. The browser's own requests (fetch) are to take its place.
#include <cstdio>

#include "platform/http.h"

namespace plat {

HttpHandle http_open(const char*) {
  std::fprintf(stderr, "http: the web build has no connection to the highscore server yet\n");
  return 0;
}
HttpHandle http_connect(HttpHandle, const char*, const char*) { return 0; }
HttpHandle http_open_request(HttpHandle, const char*, const char*) { return 0; }
bool http_send_request(HttpHandle, const char*, const char*, std::size_t) { return false; }
bool http_timed_out(HttpHandle) { return false; }
std::size_t http_read(HttpHandle, char*, std::size_t) { return 0; }

// As the desktop's (platform/http_curl.cpp): the form fields are escaped the same everywhere.
std::size_t http_escape(const char* text, char* out, std::size_t room) {
  if (!out || room == 0) return 0;
  static constexpr char digits[] = "0123456789ABCDEF";
  std::size_t n = 0;
  for (const char* p = text ? text : ""; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    const std::size_t need = plain ? 1 : 3;
    if (n + need > room - 1) break;
    if (plain) {
      out[n++] = static_cast<char>(c);
    } else {
      out[n++] = '%';
      out[n++] = digits[c >> 4];
      out[n++] = digits[c & 15];
    }
  }
  out[n] = 0;
  return n;
}

}  // namespace plat
