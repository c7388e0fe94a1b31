// SPDX-License-Identifier: GPL-3.0-or-later
// Listed games' pages and videos: the timeline and its charts, and the render slots on the job
// table with a stand-in renderer (the queue and the cache). The real render worker and the
// server binary's pages and videos are in server_video_run_test.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "game/qzX/replay.h"
#include "server/charts.h"
#include "server/store.h"
#include "server/timeline.h"
#include "server/videos.h"
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

}  // namespace
