// SPDX-License-Identifier: GPL-3.0-or-later
// The redirect server: every web address the game hands to the browser (the exit screen's links
// and the upload dialog's links) is this base followed by a path on the server. Change it
// here and nowhere else. The reference highscore server answers on this address too.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr const char* redirect_server = "http://localhost:8642";

// The address of a path on the redirect server ("/grumbold/..."), cut to room - 1 characters.
inline void redirect_address(const char* path, char* out, std::size_t room) {
  std::snprintf(out, room, "%s%s", redirect_server, path);
}
