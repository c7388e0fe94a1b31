// SPDX-License-Identifier: GPL-3.0-or-later
// The server's log: one line per event on stderr, with the time. Passwords never reach it.
#pragma once

namespace server {

void server_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Tests keep their output short.
void set_server_log_quiet(bool quiet);

}  // namespace server
