// SPDX-License-Identifier: GPL-3.0-or-later
// The frame time: unsmoothed for 40 frames, then the 40-frame average (divided by 41) unless
// three frames in a row stray, clamped; the round clock; the click latches.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "game/GrumboldX/main_loop.h"
#include "game/GrumboldX/window.h"
#include "game/app/app.h"
#include "game/app/frame_timing.h"
#include "tests/test_support.h"

using namespace front;

namespace {

// Runs frames of the given lengths back to back (a gap before a frame: pause_before) and
// returns the frame time measured after each.
struct Frame {
  std::uint32_t length;
  std::uint32_t pause_before = 0;
};

std::uint32_t clock_ms = 5000;

std::vector<std::int32_t> run(const std::vector<Frame>& frames, bool transition = false) {
  std::vector<std::int32_t> measured;
  for (const Frame& f : frames) {
    clock_ms += f.pause_before;
    const std::uint32_t t0 = clock_ms;
    frame_timing_start(t0);
    clock_ms += f.length;
    frame_timing_finish(t0, clock_ms, transition);
    measured.push_back(app::frame_time);
  }
  return measured;
}

std::vector<Frame> steady(int count, std::uint32_t ms = 10) {
  return std::vector<Frame>(static_cast<std::size_t>(count), Frame{ms});
}

std::vector<Frame> operator+(std::vector<Frame> a, const std::vector<Frame>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Each test starts with the frame counter, the stamp ring, the jitter count and the clock of a
// fresh process.
class FreshTiming : public testing::Test {
 protected:
  void SetUp() override { restart(5000); }
  static void restart(std::uint32_t clock) {
    test_support::reset_app_state();
    clock_ms = clock;
  }
};
class FrameTime : public FreshTiming {};
class RoundClock : public FreshTiming {};
class ClickLatch : public FreshTiming {};

}  // namespace

TEST_F(FrameTime, FirstFortyFramesUseTheirOwnLength) {
  const auto t = run({{10}, {20}, {15}, {100}, {150}, {0}});
  EXPECT_EQ(t, (std::vector<std::int32_t>{655, 1310, 983, 6553, 6553, 655}));
  EXPECT_EQ(app::frame_counter, 6);
}

TEST_F(FrameTime, SteadyTenMillisecondsSettlesAt589) {
  const auto t = run(steady(60));
  EXPECT_EQ(t[39], 655);  // frame 40: still its own length
  EXPECT_EQ(t[40], 589);  // frame 41: (400 / 41 = 9 ms) -> 589, within 150 of 655
  EXPECT_EQ(t.back(), 589);
  EXPECT_EQ(app::jitter_count, 0);
}

TEST_F(FrameTime, ThreeStrayingFramesLetTheirOwnLengthThrough) {
  run(steady(100));
  const auto t = run({{20}, {20}, {20}, {20}, {10}});
  // The average over 40 frames barely moves (655), the frames themselves measure 1310.
  EXPECT_EQ(t, (std::vector<std::int32_t>{655, 655, 1310, 1310, 655}));
  EXPECT_EQ(app::jitter_count, 0);
}

TEST_F(FrameTime, AfterAPauseTwoFramesUseTheAverageThenTheirOwnLength) {
  run(steady(100));
  std::vector<Frame> after{{10, 5000}};
  for (int i = 0; i < 45; ++i) after.push_back({10});
  const auto t = run(after);
  EXPECT_EQ(t[0], 6553);  // the ring spans the pause: clamped average
  EXPECT_EQ(t[1], 6553);
  EXPECT_EQ(t[2], 655);   // third deviating frame: its own length
  EXPECT_EQ(t[38], 655);  // the ring still reaches back into the pause
  EXPECT_EQ(t[40], 589);  // the pause has left the ring
}

TEST_F(FrameTime, AClockWrappingThroughZeroMeasuresTheSame) {
  // The millisecond clock is 32 bits wide and wraps after 49 days; frame lengths, the average
  // over the ring and the round clock must not notice.
  const struct {
    const char* name;
    std::vector<Frame> frames;
  } cases[] = {
      {"steady", steady(100)},
      {"uneven", steady(30, 12) + steady(30, 17) + steady(30, 10)},
      {"straying", steady(60) + std::vector<Frame>{{20}, {20}, {20}, {20}, {10}} + steady(45)},
      {"pause", steady(50) + std::vector<Frame>{{10, 5000}} + steady(45)},
  };
  const struct {
    const char* where;
    std::uint32_t start;
  } starts[] = {
      {"after 16 ms (in the second frame)", 0xFFFFFFF0u},
      {"after 455 ms (while the ring spans the wrap)", 0u - 455},
      {"after 900 ms", 0u - 900},
  };
  for (const auto& c : cases) {
    restart(5000);
    app::round_time = 61 * 65536;
    const auto want = run(c.frames);
    const std::int32_t want_round_time = app::round_time;
    for (const auto& s : starts) {
      SCOPED_TRACE(std::string(c.name) + ", wrapping " + s.where);
      restart(s.start);
      app::round_time = 61 * 65536;
      EXPECT_EQ(run(c.frames), want);
      EXPECT_EQ(app::round_time, want_round_time);
      EXPECT_LT(clock_ms, s.start) << "the clock did not wrap";
    }
  }
}

TEST_F(RoundClock, RunsDownByRealTimeExceptDuringTransitions) {
  app::round_time = 61 * 65536;
  run({{10}});
  EXPECT_EQ(app::round_time, 61 * 65536 - 655);
  run({{30}}, /*transition=*/true);
  EXPECT_EQ(app::round_time, 61 * 65536 - 655);
  // A very long frame costs its full length, not a clamped one, and never wraps around.
  app::round_time = 10 * 65536;
  run({{200}});
  EXPECT_EQ(app::round_time, 10 * 65536 - 13107);
  run({{40000}});
  EXPECT_EQ(app::round_time, 10 * 65536 - 13107 - 2621440);
  EXPECT_EQ(app::frame_time, 6553);
}

TEST_F(ClickLatch, PressesBetweenFramesCountOnce) {
  window_procedure(plat::WM_LBUTTONDOWN, 0, 0);
  window_procedure(plat::WM_LBUTTONUP, 0, 0);
  window_procedure(plat::WM_LBUTTONDOWN, 0, 0);
  latch_clicks();
  EXPECT_TRUE(app::click);
  EXPECT_FALSE(app::right_click);
  EXPECT_FALSE(app::click_pending);
  clear_click_latches();
  latch_clicks();
  EXPECT_FALSE(app::click);  // the second press did not make a second click

  window_procedure(plat::WM_RBUTTONDOWN, 0, 0);
  latch_clicks();
  EXPECT_TRUE(app::right_click);
  EXPECT_FALSE(app::click);
  clear_click_latches();
  EXPECT_FALSE(app::right_click);
}
