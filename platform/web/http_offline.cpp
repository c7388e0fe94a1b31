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

}  // namespace plat
