// SPDX-License-Identifier: GPL-3.0-or-later
// HTTP for the exchange with the highscore server (libcurl), in the shape the game speaks: an
// internet handle, a connection to one server that is kept (and reused) for the whole run, and
// requests on it. Handles are never 0; 0 means failure.
//
// A request is sent with exactly the header lines given (besides Host, Content-Length and the
// agent name), no "Expect" and no "Accept" line, no credentials unless the server asks for them,
// redirects not followed, only http and https, certificates checked. It gives up when the
// server has not been reached after 5 s, when no byte has moved either way for 5 s, or after
// 15 s in all. Of the reply body the first 64 KiB are kept; reading stops there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

using HttpHandle = std::uintptr_t;

HttpHandle http_open(const char* agent);
// A connection to the server at base_address ("http://host:port" or "https://host", a path may
// follow); user is the name offered when the server asks for credentials.
HttpHandle http_connect(HttpHandle internet, const char* base_address, const char* user);
// A request for object (a path below the base address). The connection's previous request is
// closed.
HttpHandle http_open_request(HttpHandle connection, const char* verb, const char* object);
// Sends the request and receives the reply. headers: lines ended by "\r\n". True once the
// server has answered with a status line, even when the body then breaks off; false when it
// could not be reached, did not answer, or the time ran out.
bool http_send_request(HttpHandle request, const char* headers, const char* body,
                       std::size_t length);
// The last send of this request failed because the time ran out.
bool http_timed_out(HttpHandle request);
// Copies the next bytes of the reply body, at most room; the number copied (0 at the end).
std::size_t http_read(HttpHandle request, char* buffer, std::size_t room);
// Escapes text for a form field: every byte but A-Z a-z 0-9 - . _ ~ becomes %XX. Cut to whole
// escapes within room - 1 characters; answers the length.
std::size_t http_escape(const char* text, char* out, std::size_t room);

}  // namespace plat
