// SPDX-License-Identifier: GPL-3.0-or-later
// Listed games' pages and videos: the timeline and its charts, the render slots on the job table
// (with a stand-in renderer where the test is about the queue and the cache), the real render
// worker on a short game, and through the server binary a listed game's page, its video with
// ranges, and an evicted video asked for again.
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
#include "server/charts.h"
#include "server/store.h"
#include "server/timeline.h"
#include "server/videos.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/server_test_support.h"

using namespace server;
using namespace test_support;
namespace fs = std::filesystem;

namespace {

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

// ---- the timeline ------------------------------------------------------------------------------

TEST(VideoTimeline, EventsAndScoreChangesTakeTheStartOfTheirFrame) {
  // Frames at 0, 16, 40 ms, ending at 70: an event before the first frame, two in the second,
  // one in the last; the score changes in the second and the last frame.
  const std::vector<FrameSnapshot> frames = {{0, 1, 0}, {16, 1, 0}, {40, 3, 25}, {70, 4, 35}};
  const std::vector<qzx::EventEntry> events = {{50000, 0}, {104, 7}, {50003, 8}, {101, 9}};
  const Timeline t = timeline_from_frames(frames, events);
  EXPECT_EQ(t.length_ms, 70);
  ASSERT_EQ(t.events.size(), 4u);
  const std::int32_t expected_ms[] = {0, 16, 16, 40};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(t.events[i].ms, expected_ms[i]) << i;
    EXPECT_EQ(t.events[i].code, events[i].code);
    EXPECT_EQ(t.events[i].value, events[i].value);
  }
  ASSERT_EQ(t.scores.size(), 2u);
  EXPECT_EQ(t.scores[0].ms, 16);
  EXPECT_EQ(t.scores[0].score, 25);
  EXPECT_EQ(t.scores[1].ms, 40);
  EXPECT_EQ(t.scores[1].score, 35);

  Timeline back;
  ASSERT_TRUE(read_timeline(timeline_text(t), back));
  EXPECT_EQ(timeline_text(back), timeline_text(t));
  ASSERT_TRUE(read_timeline("T1 0\nS\nE\n", back));
  EXPECT_TRUE(back.events.empty());
}

TEST(VideoTimeline, ATextThatIsNoTimelineIsRefusedWhole) {
  Timeline kept;
  kept.length_ms = 5;
  const std::string too_many = "T1 0\nS\nE" + [] {
    std::string s;
    for (std::size_t i = 0; i <= max_timeline_entries; ++i) s += " 1 100 0";
    return s;
  }() + "\n";
  for (const std::string& bad :
       {std::string(""), std::string("T1 5\nS\nE"), std::string("T2 5\nS\nE\n"), std::string("T1 -5\nS\nE\n"),
        std::string("T1 5\nS 1\nE\n"), std::string("T1 5\nS 1 2\nE 1 2\n"), std::string("T1 5\nS  1 2\nE\n"),
        std::string("T1 5\nS 1 2 \nE\n"), std::string("T1 5\nS\nE 1 70000 0\n"),
        std::string("T1 5\nS\nE 1 100 40000\n"), std::string("T1 5\nS\nE 1 100 0\nX\n"),
        std::string("T1 99999999999\nS\nE\n"), std::string("T1 5\nS x y\nE\n"), too_many}) {
    Timeline t = kept;
    EXPECT_FALSE(read_timeline(bad, t)) << bad.substr(0, 40);
    EXPECT_EQ(t.length_ms, 5) << "left untouched";
  }
}

// ---- the charts --------------------------------------------------------------------------------

TEST(VideoCharts, TheScoreChartMarksBonusesTheMegagunAndTheYard) {
  Timeline t;
  t.length_ms = 91000;
  t.scores = {{1000, 25}, {1200, 35}, {30000, 500}, {60000, -20}};
  t.events = {{1000, 104, 0},   {1200, 50004, 0}, {5000, 50003, 0}, {20000, 45, 0},
              {40000, 50002, 0}, {50000, 50006, 0}};
  const std::string svg = score_chart(t, german());
  EXPECT_EQ(count_of(svg, "<circle class=\"bonus\""), 3u);
  EXPECT_NE(svg.find("+10 Punkte (1.2 s)"), std::string::npos);
  EXPECT_EQ(count_of(svg, "<path class=\"megagun\""), 1u);
  EXPECT_EQ(count_of(svg, "<rect class=\"yard\""), 1u);
  EXPECT_EQ(count_of(svg, "<path class=\"score\""), 1u);
  EXPECT_NE(svg.find(">-100<"), std::string::npos) << "the axis reaches below a negative score";
  EXPECT_NE(svg.find(">90 s<"), std::string::npos);
  EXPECT_EQ(svg.find("style="), std::string::npos) << "the page's policy allows no inline style";
}

TEST(VideoCharts, TheHitChartCountsChickensBySizeAndTargetsByNameButNoNoise) {
  Timeline t;
  // Chicken codes count up by five a hit: 100 is 5 points, 106 10, 114 25, 115 5.
  t.events = {{1, 100, 0}, {2, 106, 0}, {3, 114, 0}, {4, 115, 0}, {5, 93, 0}, {6, 96, 0}, {7, 16, 0},
              // A noise block of two raw pairs whose codes look like a target and a chicken.
              {8, 50012, 0}, {8, 16, 5}, {8, 120, 6},
              {9, 50000, 0}, {10, 50001, 0}, {11, 45, 0}, {12, 5, 0}};
  const std::string svg = hits_chart(t, german());
  auto bar = [&](const std::string& label) {
    const std::size_t at = svg.find(">" + label + "</text>");
    if (at == std::string::npos) return -1;
    const std::size_t count = svg.find("<text", at + 1);
    const std::size_t value = svg.find('>', count) + 1;
    return std::atoi(svg.c_str() + value);
  };
  EXPECT_EQ(bar("Huhn, groß und nah: 5 Punkte"), 2);
  EXPECT_EQ(bar("Huhn: 10 Punkte"), 1);
  EXPECT_EQ(bar("Huhn: 15 Punkte"), 0);
  EXPECT_EQ(bar("Huhn, klein und fern: 25 Punkte"), 1);
  EXPECT_EQ(bar("Imker"), 2) << "one name for the beekeeper's codes";
  EXPECT_EQ(bar("Eisenkiste"), 1) << "the noise block's pair is no hit";
  EXPECT_EQ(bar("Ziel 5"), 1) << "a code without a name still counts";
  EXPECT_EQ(bar("Megawumme"), -1) << "the megagun is marked on the score, not hit";
  EXPECT_EQ(target_name(20), nullptr);
  EXPECT_STREQ(target_name(2), "Tresor");
}

// ---- the render slots on the job table ----------------------------------------------------------

// A stand-in that writes size bytes, or fails.
class FakeRenderer final : public Renderer {
 public:
  FakeRenderer(std::int64_t size, bool fail) : size_(size), fail_(fail) {}
  RenderOutcome render(const RenderJob&, const std::string& path) override {
    RenderOutcome o;
    if (fail_) {
      o.error = "broken on purpose";
      return o;
    }
    std::ofstream(path, std::ios::binary) << std::string(static_cast<std::size_t>(size_), 'v');
    o.made = true;
    return o;
  }

 private:
  std::int64_t size_;
  bool fail_;
};

class VideoQueue : public testing::Test {
 protected:
  void SetUp() override {
    store_ = open_store((dir_ / "highscores.db").string());
    ASSERT_TRUE(store_->create_account("Anna", "$y$x", 1));
    account_ = store_->find_account("Anna")->id;
  }
  std::int64_t list_game(int n, const std::string& replay = "replay") {
    Authentication a;
    a.account_id = account_;
    a.edition = 2;
    a.score = 100 + n;
    a.created = 1000 + n;
    Result r;
    r.account_id = account_;
    r.edition = 2;
    r.score = r.simulated_score = r.listed_score = 100 + n;
    r.verified = r.exact = true;
    r.reason = "exact";
    r.digest = "game" + std::to_string(n);
    r.created = 1000 + n;
    const GameRecord record{replay, false, "T1 0\nS\nE\n"};
    return store_->store_result(r, store_->add_authentication(a, 600), &record).id;
  }
  VideoOptions options(std::int64_t cache_bytes) const {
    VideoOptions o;
    o.cache_dir = (dir_ / "videos").string();
    o.cache_bytes = cache_bytes;
    o.poll = std::chrono::seconds(1);
    return o;
  }
  // Waits until the job has left waiting and rendering.
  VideoState settled(std::int64_t id) {
    for (int i = 0; i < 600; ++i) {
      const VideoState s = store_->listed_game(id)->video.state;
      if (s != VideoState::waiting && s != VideoState::rendering) return s;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return VideoState::rendering;
  }
  ScratchDir dir_;
  std::unique_ptr<Store> store_;
  std::int64_t account_ = 0;
};

TEST_F(VideoQueue, TheCacheKeepsTheRecentlyWatchedUnderItsLimitAndNeverTheNewest) {
  const std::int64_t kb = 1024;
  VideoFarm farm(*store_, options(1000 * kb), 1u << 2, [&] { return std::make_unique<FakeRenderer>(400 * kb, false); });
  std::string error;
  ASSERT_TRUE(farm.start(error)) << error;
  EXPECT_TRUE(fs::is_directory(dir_ / "videos")) << "made when missing";
  // Part files that a killed server left: the stale one goes when a server starts, one that may
  // still be written stays.
  VideoFarm later(*store_, options(1000 * kb), 1u << 2, [] { return std::make_unique<FakeRenderer>(1, false); });
  const fs::path stale = dir_ / "videos" / "90.webm.part", fresh = dir_ / "videos" / "91.webm.part";
  std::ofstream(stale) << "x";
  std::ofstream(fresh) << "x";
  fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
  ASSERT_TRUE(later.start(error));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(fresh));
  later.stop();
  const std::int64_t a = list_game(1);
  farm.wake();
  ASSERT_EQ(settled(a), VideoState::ready);
  const std::int64_t b = list_game(2);
  farm.wake();
  ASSERT_EQ(settled(b), VideoState::ready);
  store_->watch_video(a, 5000000000);  // a is watched after b was made
  const std::int64_t c = list_game(3);
  farm.wake();
  ASSERT_EQ(settled(c), VideoState::ready);
  // 1200 KiB over a 1000 KiB limit: b, watched least recently, goes.
  EXPECT_EQ(store_->listed_game(b)->video.state, VideoState::evicted);
  EXPECT_FALSE(fs::exists(video_file(farm.options().cache_dir, b)));
  EXPECT_TRUE(fs::exists(video_file(farm.options().cache_dir, a)));
  EXPECT_EQ(fs::file_size(video_file(farm.options().cache_dir, c)), static_cast<std::uintmax_t>(400 * kb));
  EXPECT_EQ(farm.counters().evicted.load(), 1u);
  farm.stop();

  // A video larger than the whole cache stays: the one just made is never removed.
  VideoFarm big(*store_, options(100 * kb), 1u << 2, [&] { return std::make_unique<FakeRenderer>(400 * kb, false); });
  ASSERT_TRUE(big.start(error));
  const std::int64_t d = list_game(4);
  big.wake();
  ASSERT_EQ(settled(d), VideoState::ready);
  EXPECT_TRUE(fs::exists(video_file(big.options().cache_dir, d)));
  EXPECT_EQ(store_->ready_videos().size(), 1u);
}

TEST_F(VideoQueue, ARenderThatKeepsFailingEndsFailedAndTheListingStays) {
  VideoFarm farm(*store_, options(1 << 20), 1u << 2, [] { return std::make_unique<FakeRenderer>(0, true); });
  std::string error;
  ASSERT_TRUE(farm.start(error));
  const std::int64_t id = list_game(1);
  farm.wake();
  ASSERT_EQ(settled(id), VideoState::failed);
  const auto game = store_->listed_game(id);
  EXPECT_EQ(game->video.attempts, max_render_attempts);
  EXPECT_EQ(farm.counters().failed.load(), static_cast<std::uint64_t>(max_render_attempts));
  EXPECT_TRUE(game->result.verified);
  EXPECT_EQ(store_->list(2, 0, 10).size(), 1u);
  EXPECT_FALSE(fs::exists(video_file(farm.options().cache_dir, id)));
}

TEST_F(VideoQueue, AVideoIsWatchedAtMostOnceAMinute) {
  VideoFarm farm(*store_, options(1 << 20), 1u << 2, [] { return std::make_unique<FakeRenderer>(1, false); });
  EXPECT_TRUE(farm.watch_due(7, 1000));
  EXPECT_FALSE(farm.watch_due(7, 1059));
  EXPECT_TRUE(farm.watch_due(8, 1059));
  EXPECT_TRUE(farm.watch_due(7, 1060));
}

// ---- real games ---------------------------------------------------------------------------------

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
