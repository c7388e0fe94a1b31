// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/load_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"

extern char** environ;

namespace load {

std::vector<Game> play_games(int games, int clients) {
  gfxtest::open_display();
  res::use_data_archive = true;
  const std::string path = std::string(GRUMBOLDX_DATA_DIR) + "/XL/grumboldX.dat";
  if (res::xfinit(path.c_str()) != 1) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
  text::load_texts();
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  text::load_font();
  app::edition = app::edition_xl;
  std::vector<Game> out;
  for (int i = 0; i < games; ++i) {
    test_support::AimedPlayer player;
    player.state = 1000 + static_cast<std::uint32_t>(i);
    const qzx::Recording r = test_support::play_whole_game(
        player, {16, 17, 0, 0, static_cast<std::uint32_t>(i + 1)}, 1262304000 + 3600 * i,
        static_cast<std::uint32_t>(i % 1000));
    const std::string user = "last" + std::to_string(i % clients);
    out.push_back({user, r.score, server_test::encode_upload(server_test::honest_parts(user, "geheim12", r.score))});
  }
  return out;
}

ServerChild start_server(const std::filesystem::path& folder, const std::string& db, int port, int verifiers,
                         const std::vector<std::string>& extra) {
  ServerChild s;
  std::filesystem::create_directories(folder);
  std::filesystem::remove(folder / "port");
  const std::string program = std::string(GRUMBOLDX_BIN_DIR) + "/grumboldx-server";
  std::vector<std::string> args = {program,      "--port",      std::to_string(port),
                                   "--port-file", (folder / "port").string(),
                                   "--db",        db,
                                   "--archives",  GRUMBOLDX_DATA_DIR,
                                   "--rate",      "0",
                                   "--verifiers", std::to_string(verifiers),
                                   "--listen",    "127.0.0.1",
                                   // every client comes from one address here
                                   "--per-address", "4096",
                                   // no videos unless the run asks for them (extra comes later and wins)
                                   "--render-workers", "0",
                                   "--video-cache", (folder / "videos").string()};
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, (folder / "server.log").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  const bool spawned = posix_spawn(&s.pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (!spawned) {
    std::fprintf(stderr, "cannot start %s\n", program.c_str());
    std::exit(1);
  }
  for (int i = 0; i < 1200 && !std::filesystem::exists(folder / "port"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream in(folder / "port");
  if (!(in >> s.port)) {
    std::fprintf(stderr, "the server did not start (see %s)\n", (folder / "server.log").c_str());
    stop_server(s, true);
    std::exit(1);
  }
  s.base = "http://127.0.0.1:" + std::to_string(s.port);
  return s;
}

void stop_server(ServerChild& s, bool kill_now) {
  if (s.pid <= 0) return;
  kill(s.pid, kill_now ? SIGKILL : SIGTERM);
  waitpid(s.pid, nullptr, 0);
  s.pid = -1;
}

void register_accounts(const std::string& base, int clients) {
  for (int c = 0; c < clients; ++c) {
    httplib::Client http(base);
    httplib::Params form{{"name", "last" + std::to_string(c)}, {"password", "geheim12"}, {"password2", "geheim12"},
                         {"edition", "xl"}};
    http.Post("/register", form);
  }
}

}  // namespace load
