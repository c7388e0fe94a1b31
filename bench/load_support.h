// SPDX-License-Identifier: GPL-3.0-or-later
// What the server's load and soak tools share: honest games played beforehand in this process by
// the tests' aimed player (edition XL, 60 frames a second, every game another), each encoded as
// the game sends it, and the server binary started as a child on loopback.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/server_test_support.h"

namespace load {

struct Game {
  std::string user;  // "last<client>": game i belongs to client i mod clients
  std::int32_t score = 0;
  server_test::GameUpload upload;
};

std::vector<Game> play_games(int games, int clients);

// grumboldx-server started with its log in folder/server.log, no rate limit and no cap on the
// connections of the one address all clients come from; port 0 picks a free one, which is read
// back from its port file.
struct ServerChild {
  pid_t pid = -1;
  int port = 0;
  std::string base;  // "http://127.0.0.1:<port>"
};
ServerChild start_server(const std::filesystem::path& folder, const std::string& db, int port, int verifiers,
                         const std::vector<std::string>& extra = {});
// SIGTERM and wait (SIGKILL with kill_now).
void stop_server(ServerChild& s, bool kill_now = false);

// Registers the accounts "last0".."last<clients-1>" (password "geheim12").
void register_accounts(const std::string& base, int clients);

}  // namespace load
