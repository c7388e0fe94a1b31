// SPDX-License-Identifier: GPL-3.0-or-later
// Frame lengths from a recording instead of the clock (replays), and the wall clock with
// milliseconds that recordings keep.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/app/app.h"
#include "game/app/frame_timing.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

class FrameSource : public testing::Test {
 protected:
  void SetUp() override {
    app::frame_counter = 0;
    app::jitter_count = 0;
    app::frame_time = 1092;
    app::round_time = 60 << 16;
    for (std::uint32_t& s : app::frame_stamps) s = 0;
  }
  void TearDown() override {
    set_frame_length_source(&plat::next_recorded_frame);
    plat::shutdown();
    unsetenv("GRUMBOLDX_FRAME_TIMES");
    unsetenv("GRUMBOLDX_FRAME_MS");
    unsetenv("GRUMBOLDX_TIME");
  }
  // A headless platform with the given recording ("" for none).
  bool start(const std::string& recording) {
    plat::shutdown();
    if (recording.empty()) {
      unsetenv("GRUMBOLDX_FRAME_TIMES");
    } else {
      write_file(dir / "frames.txt", recording);
      setenv("GRUMBOLDX_FRAME_TIMES", (dir / "frames.txt").c_str(), 1);
    }
    return plat::init_headless();
  }
  // One frame as the main loop times it.
  void frame(bool transition = false) {
    const std::uint32_t t0 = plat::time_ms();
    frame_timing_start(t0);
    plat::wait_frame_end(t0, 10);
    frame_timing_end(t0, plat::time_ms(), transition);
  }
  ScratchDir dir;
};

TEST_F(FrameSource, ARecordingDrivesTheClocksAndThenTheClockTakesOver) {
  ASSERT_TRUE(start("# length frame-time\n17 1114\n\n250 6553\n40 2621\n"));
  struct Step {
    bool transition;
    std::uint32_t clock;      // virtual milliseconds after the frame
    std::int32_t frame_time;  // for the next frame's logic
    std::int32_t round_time;
  };
  const Step steps[] = {
      {false, 17, 1114, (60 << 16) - 1114},           // 17 ms: 17 * 65536 / 1000 = 1114
      {true, 267, 6553, (60 << 16) - 1114},           // a transition stops the round clock
      {false, 307, 2621, (60 << 16) - 1114 - 2621},   // 40 ms
      {false, 317, 655, (60 << 16) - 1114 - 2621 - 655},  // used up: the 10 ms frame measured
  };
  for (const Step& s : steps) {
    frame(s.transition);
    EXPECT_EQ(plat::time_ms(), s.clock);
    EXPECT_EQ(app::frame_time, s.frame_time);
    EXPECT_EQ(app::round_time, s.round_time);
  }
  std::int32_t length = 0, frame_time = 0;
  EXPECT_FALSE(plat::next_recorded_frame(length, frame_time));
}

TEST_F(FrameSource, AnotherSourceReplacesThePlatformsRecording) {
  ASSERT_TRUE(start("17 1114\n"));
  static int calls = 0;
  calls = 0;
  set_frame_length_source([](std::int32_t& length_ms, std::int32_t& frame_time) {
    if (++calls > 2) return false;
    length_ms = 1000;
    frame_time = 9000;  // out of range: clamped as a measured one would be
    return true;
  });
  frame();
  EXPECT_EQ(app::frame_time, 6553);
  EXPECT_EQ(app::round_time, 59 << 16);
  frame();
  frame();  // the source has nothing more: measured (the recording's 17 ms frame, unused)
  EXPECT_EQ(app::frame_time, 1114);
  EXPECT_EQ(app::round_time, (58 << 16) - 1114);
}

TEST_F(FrameSource, MalformedRecordingsAreRefused) {
  const char* bad[] = {"17\n", "17 1114 3\n", "x 1114\n", "17 600\n", "17 7000\n", "-1 1114\n"};
  for (const char* recording : bad) EXPECT_FALSE(start(recording)) << recording;
  plat::shutdown();
  setenv("GRUMBOLDX_FRAME_TIMES", (dir / "missing.txt").c_str(), 1);
  EXPECT_FALSE(plat::init_headless());
}

TEST_F(FrameSource, TheWallClockHasMilliseconds) {
  setenv("GRUMBOLDX_TIME", "1262347322", 1);  // 2010-01-01 12:02:02 UTC
  setenv("GRUMBOLDX_FRAME_MS", "25", 1);
  ASSERT_TRUE(start(""));
  for (int i = 0; i < 41; ++i) frame();  // 1025 ms of virtual time
  EXPECT_EQ(plat::wall_time_ms(), 1262347322LL * 1000 + 1025);
  EXPECT_EQ(plat::wall_time_seconds(), 1262347323);
  const plat::WallTime t = plat::wall_time_utc();
  EXPECT_EQ(t.hour, 12);
  EXPECT_EQ(t.minute, 2);
  EXPECT_EQ(t.second, 3);
  EXPECT_EQ(t.millisecond, 25);
}

// The start time is read as 64 bits on every target: a 32-bit long refused every value up to the
// bound and cannot hold a moment past 2038.
TEST_F(FrameSource, StartTimesPast2038AreKeptUpToTheBound) {
  setenv("GRUMBOLDX_TIME", "4000000000", 1);  // 2096-10-02 07:06:40 UTC
  ASSERT_TRUE(start(""));
  EXPECT_EQ(plat::wall_time_ms(), 4000000000LL * 1000);
  const plat::WallTime t = plat::wall_time_utc();
  EXPECT_EQ(t.year, 2096);
  EXPECT_EQ(t.month, 10);
  EXPECT_EQ(t.day, 2);
  EXPECT_EQ(t.hour, 7);
  EXPECT_EQ(t.second, 40);
  plat::shutdown();
  for (const char* refused : {"4000000001", "-1", "99999999999999999999"}) {
    setenv("GRUMBOLDX_TIME", refused, 1);
    EXPECT_FALSE(plat::init_headless()) << refused;
    plat::shutdown();
  }
}

TEST(FrameSourceRun, TheGameRefusesAMalformedRecordingWithItsLineNumber) {
  ScratchDir dir;
  write_file(dir / "frames.txt", "17 1114\n17\n");
  const RunResult r = run_program("grumboldx", dir.path(),
                                  {{"GRUMBOLDX_HEADLESS", "1"},
                                   {"GRUMBOLDX_FRAME_TIMES", (dir / "frames.txt").string()}},
                                  {});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.stderr_text.find("line 2"), std::string::npos) << r.stderr_text;
}

}  // namespace
