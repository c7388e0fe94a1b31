// SPDX-License-Identifier: GPL-3.0-or-later
// Listed games through the real render worker and the server binary: a short game's video made
// by the worker (and a worker killed when it overruns), and a listed game's page, its video with
// ranges, a failed render that leaves the listing alone, and an evicted video asked for again.
// In the release tree only: each case starts the server and its workers, which under the
// sanitizers costs 20 s; the rendering runs under them in replay_video_test and the queue in
// server_video_test.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/qzX/little_endian.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "server/store.h"
#include "server/videos.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/server_test_support.h"

using namespace server;
using namespace test_support;
namespace fs = std::filesystem;

namespace {

// The game's XL archive in this process, to play games whose replay texts the server gets.
class Games : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").string().c_str()), 1);
    gfx::reset_fingerprint();
    text::load_texts();
    gfx::load_catalogue();
    gfx::hide_loading_screen();
    text::load_font();
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    text::release_font();
    res::xfdone();
  }
  void SetUp() override {
    reset_app_state();
    app::edition = app::edition_xl;
  }
  static qzx::Recording play(std::uint32_t seed) {
    AimedPlayer player;
    player.state = seed;
    return play_whole_game(player, {16, 17, 0, 0, seed}, 1262304000 + seed * 1000, seed % 1000);
  }
  // The replay text of the game that just ran cut to its first frames: a short video.
  static std::string first_frames(int frames) {
    qzx::put32(qzx::frame_log + 8, static_cast<std::uint32_t>(frames));
    qzx::record_finish();
    return qzx::replay_text();
  }
};

// ffprobe's codec names of a file, one a line.
std::string codecs(const fs::path& file) {
  std::string out;
  const std::string command =
      "ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + file.string() + "' 2>/dev/null";
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  return out;
}

// The game a list page links a player's name to, 0 for none.
std::int64_t linked_game(const std::string& list, const std::string& name) {
  const std::size_t at = list.find("\">" + name + "</a>");
  const std::size_t link = at == std::string::npos ? at : list.rfind("<a href=\"/game/", at);
  return link == std::string::npos ? 0 : std::atoll(list.c_str() + link + 15);
}

// Runs statements on a database behind its server's back.
bool sql(const fs::path& database, const std::string& statements) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(database.c_str(), &db) == SQLITE_OK;
  sqlite3_busy_timeout(db, 5000);
  ok = ok && sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

bool no_child_left() {
  errno = 0;
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

TEST_F(Games, TheRenderWorkerMakesAPlayableVideoAndIsKilledWhenItOverruns) {
  play(31);
  const std::string whole = qzx::replay_text();
  const std::string short_game = first_frames(300);
  ScratchDir dir;
  const std::string program = (bin_dir() / "grumboldx-server").string();
  {
    auto renderer = make_process_renderer(program, data_dir().string(), std::chrono::seconds(300));
    RenderJob job;
    job.result_id = 1;
    job.edition = 2;
    job.replay = short_game;
    const std::string path = (dir / "1.webm").string();
    const RenderOutcome made = renderer->render(job, path);
    ASSERT_TRUE(made.made) << made.error;
    EXPECT_EQ(codecs(path), "vp9\nopus\n");
    EXPECT_GT(made.length_ms, 4000);
    std::printf("a %lld ms video of 300 frames: rendered in %.2f s, %lld bytes\n",
                static_cast<long long>(made.length_ms), made.seconds,
                static_cast<long long>(fs::file_size(path)));
    // A text that is no game fails, and the worker serves the next job.
    job.replay = "zz";
    const RenderOutcome broken = renderer->render(job, (dir / "2.webm").string());
    EXPECT_FALSE(broken.made);
    EXPECT_FALSE(fs::exists(dir / "2.webm"));
    EXPECT_FALSE(fs::exists(dir / "2.webm.part"));
    job.edition = 1;  // another edition's worker replaces this one
    job.replay = short_game;
    const RenderOutcome other = renderer->render(job, (dir / "3.webm").string());
    EXPECT_FALSE(other.made);
    EXPECT_EQ(other.error, "a game of another edition");
  }
  EXPECT_TRUE(no_child_left());
  // The whole game takes longer than a second: the worker is killed, its part file removed.
  auto hasty = make_process_renderer(program, data_dir().string(), std::chrono::seconds(1));
  RenderJob job;
  job.result_id = 4;
  job.edition = 2;
  job.replay = whole;
  const RenderOutcome overran = hasty->render(job, (dir / "4.webm").string());
  EXPECT_FALSE(overran.made);
  EXPECT_EQ(overran.error, "the render overran its time");
  EXPECT_TRUE(fs::is_empty(dir.path()) || !fs::exists(dir / "4.webm.part"));
  EXPECT_FALSE(fs::exists(dir / "4.webm"));
  hasty.reset();
  EXPECT_TRUE(no_child_left());
}

// Through the binary: games uploaded to a server that renders nothing are listed with their
// pages; behind the server's back one's replay is cut short and the other's broken, and a second
// server on the same database renders the one and fails on the other.
TEST_F(Games, AListedGameGetsItsPageAndItsVideoWithRanges) {
  const qzx::Recording game = play(32);
  ScratchDir cache;
  server_test::ServerProcess first({"--render-workers", "0", "--video-cache", (cache / "videos").string()});
  ASSERT_TRUE(first.started());
  ASSERT_EQ(first.register_account("Filmstar", "geheim12"), 201);
  const server_test::GameUpload u =
      server_test::encode_upload(server_test::honest_parts("Filmstar", "geheim12", game.score));
  ASSERT_EQ(first.post_game(u.authenticate).rfind("Action=Continue\n", 0), 0u);
  const std::string reply = first.post_game(u.upload);
  ASSERT_EQ(reply.rfind("Action=Continue\n", 0), 0u) << reply;

  auto list = first.client().Get("/list/xl");
  ASSERT_TRUE(list);
  const std::int64_t id = linked_game(list->body, "Filmstar");
  ASSERT_GT(id, 0) << list->body;
  const std::string page_path = "/game/" + std::to_string(id);
  auto page = first.client().Get(page_path + "?lang=en");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("Game by Filmstar"), std::string::npos);
  EXPECT_NE(page->body.find("being prepared"), std::string::npos);
  EXPECT_NE(page->body.find("<meta http-equiv=\"refresh\" content=\"15\">"), std::string::npos);
  EXPECT_NE(page->body.find("<path class=\"score\""), std::string::npos);
  EXPECT_NE(page->body.find(">" + std::to_string(game.score) + "</dd>"), std::string::npos);
  for (const char* missing : {"/game/999999", "/game/abc", "/game/-1", "/game/1/../../etc/passwd",
                              "/game/999999/video.webm", "/game/1x/video.webm"}) {
    auto r = first.client().Get(missing);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->status, 404) << missing;
  }
  auto not_yet = first.client().Get(page_path + "/video.webm");
  ASSERT_TRUE(not_yet);
  EXPECT_EQ(not_yet->status, 404);

  // A second game, whose render will fail.
  const qzx::Recording unlucky = play(33);
  ASSERT_EQ(first.register_account("Pechvogel", "geheim12"), 201);
  const server_test::GameUpload u2 =
      server_test::encode_upload(server_test::honest_parts("Pechvogel", "geheim12", unlucky.score));
  ASSERT_EQ(first.post_game(u2.authenticate).rfind("Action=Continue\n", 0), 0u);
  ASSERT_EQ(first.post_game(u2.upload).rfind("Action=Continue\n", 0), 0u);

  // The short game in place of the first whole one, a text that is no game for the second.
  const std::string short_game = first_frames(300);
  const fs::path database = first.database();
  list = first.client().Get("/list/xl");
  ASSERT_TRUE(list);
  const std::int64_t failing = linked_game(list->body, "Pechvogel");
  ASSERT_GT(failing, 0);
  first.kill_now();
  ASSERT_TRUE(sql(database, "UPDATE game_records SET replay = '" + short_game + "' WHERE result_id = " +
                                std::to_string(id)));
  ASSERT_TRUE(sql(database, "UPDATE game_records SET replay = 'zz' WHERE result_id = " + std::to_string(failing)));
  server_test::ServerProcess second(
      {"--db", database.string(), "--video-cache", (cache / "videos").string(), "--render-workers", "1"});
  ASSERT_TRUE(second.started());
  std::string body;
  for (int i = 0; i < 600 && body.find("<video") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    auto r = second.client().Get(page_path);
    body = r ? r->body : "";
  }
  ASSERT_NE(body.find("<video controls preload=\"metadata\" src=\"" + page_path + "/video.webm\"></video>"),
            std::string::npos)
      << body;
  const fs::path file = cache / "videos" / (std::to_string(id) + ".webm");
  EXPECT_EQ(codecs(file), "vp9\nopus\n");
  // The failed render: its page says so, and both games stay listed.
  std::string failed;
  for (int i = 0; i < 300 && failed.find("could not be made") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    auto r = second.client().Get("/game/" + std::to_string(failing) + "?lang=en");
    failed = r ? r->body : "";
  }
  EXPECT_NE(failed.find("The video of this game could not be made."), std::string::npos) << failed;
  EXPECT_EQ(failed.find("<meta http-equiv=\"refresh\""), std::string::npos);
  list = second.client().Get("/list/xl");
  ASSERT_TRUE(list);
  EXPECT_NE(list->body.find(">Pechvogel</a>"), std::string::npos);
  EXPECT_NE(list->body.find(">Filmstar</a>"), std::string::npos);
  const std::string bytes = read_file(file);

  auto whole = second.client().Get(page_path + "/video.webm");
  ASSERT_TRUE(whole) << httplib::to_string(whole.error());
  EXPECT_EQ(whole->status, 200);
  EXPECT_EQ(whole->get_header_value("Content-Type"), "video/webm");
  EXPECT_EQ(whole->get_header_value("Accept-Ranges"), "bytes");
  EXPECT_NE(whole->get_header_value("Cache-Control"), "");
  EXPECT_EQ(whole->body, bytes);
  struct Range {
    std::string asked;
    int status;
    std::size_t from, length;
  };
  const std::size_t n = bytes.size();
  const Range ranges[] = {{"bytes=0-99", 206, 0, 100},
                          {"bytes=100-", 206, 100, n - 100},
                          {"bytes=-50", 206, n - 50, 50},
                          {"bytes=" + std::to_string(n) + "-", 416, 0, 0},
                          {"bytes=0-1,5-6", 416, 0, 0}};
  for (const Range& r : ranges) {
    auto got = second.client().Get(page_path + "/video.webm", {{"Range", r.asked}});
    ASSERT_TRUE(got) << r.asked;
    EXPECT_EQ(got->status, r.status) << r.asked;
    if (r.status == 206) {
      EXPECT_EQ(got->body, bytes.substr(r.from, r.length)) << r.asked;
      EXPECT_EQ(got->get_header_value("Content-Range"),
                "bytes " + std::to_string(r.from) + "-" + std::to_string(r.from + r.length - 1) + "/" +
                    std::to_string(n))
          << r.asked;
    } else {
      EXPECT_EQ(got->get_header_value("Content-Range"), "bytes */" + std::to_string(n)) << r.asked;
    }
  }

  // Evicted (as the cache does it): the page and the address put it back in the queue.
  ASSERT_TRUE(sql(database, "UPDATE video_jobs SET state = 'evicted', size = 0 WHERE result_id = " + std::to_string(id)));
  fs::remove(file);
  auto gone = second.client().Get(page_path + "/video.webm");
  ASSERT_TRUE(gone);
  EXPECT_EQ(gone->status, 404);
  auto again = second.client().Get(page_path);
  ASSERT_TRUE(again);
  EXPECT_NE(again->body.find("vorbereitet"), std::string::npos);
  for (int i = 0; i < 600 && !fs::exists(file); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_TRUE(fs::exists(file)) << "rendered again on demand";
}

}  // namespace
