// SPDX-License-Identifier: GPL-3.0-or-later
// The per-second frame statistics with the clocks handed in: when a second closes, the medians
// and worst times of each frame part, the processor share, and seconds with more frames than
// the tables keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "game/GrumboldX/frame_stats.h"

using namespace front;

namespace {

double median_ms(std::vector<std::int64_t> v) {
  std::sort(v.begin(), v.end());
  return static_cast<double>(v[v.size() / 2]) / 1000.0;
}

TEST(FrameStats, EachSecondReportsMediansWorstTimesAndProcessorShare) {
  struct Case {
    const char* what;
    std::int64_t frame_us;   // real time between frame ends
    std::int64_t cpu_us;     // processor time used per frame
    std::size_t frames;      // frames in the first second, the one that closes it not counted
  };
  const Case cases[] = {
      {"100 frames a second, 1.3 cores", 10000, 13000, 100},
      {"60 frames a second, a quarter core", 16667, 4167, 60},
      {"slow frames, one core", 250000, 250000, 4},
  };
  for (const Case& c : cases) {
    FrameStatsSecond second;
    FrameStatsReport report{};
    std::vector<std::int64_t> compose, present, wait;
    const std::int64_t start = 5000000, start_cpu = 777000;
    std::size_t n = 0;
    for (;; ++n) {
      const std::int64_t now = start + static_cast<std::int64_t>(n) * c.frame_us;
      const std::int64_t cpu = start_cpu + static_cast<std::int64_t>(n) * c.cpu_us;
      // Parts that differ frame by frame, with one slow frame for the worst times.
      const std::int64_t parts[3] = {static_cast<std::int64_t>(100 + n * 37 % 400),
                                     static_cast<std::int64_t>(n == 3 ? 9000 : 2000 + n * 53 % 700),
                                     static_cast<std::int64_t>(8000 - n * 29 % 900)};
      if (second.add(now, cpu, parts[0], parts[1], parts[2], report)) break;
      compose.push_back(parts[0]);
      present.push_back(parts[1]);
      wait.push_back(parts[2]);
      ASSERT_LT(n, 10000u) << c.what << ": the second never closed";
    }
    EXPECT_EQ(n, c.frames) << c.what;
    EXPECT_EQ(report.frames, c.frames) << c.what;
    EXPECT_DOUBLE_EQ(report.compose_median_ms, median_ms(compose)) << c.what;
    EXPECT_DOUBLE_EQ(report.present_median_ms, median_ms(present)) << c.what;
    EXPECT_DOUBLE_EQ(report.wait_median_ms, median_ms(wait)) << c.what;
    EXPECT_DOUBLE_EQ(report.compose_worst_ms,
                     static_cast<double>(*std::max_element(compose.begin(), compose.end())) / 1000);
    EXPECT_DOUBLE_EQ(report.present_worst_ms, 9.0) << c.what;
    EXPECT_DOUBLE_EQ(report.wait_worst_ms,
                     static_cast<double>(*std::max_element(wait.begin(), wait.end())) / 1000);
    EXPECT_NEAR(report.cpu_share, static_cast<double>(c.cpu_us) / c.frame_us, 1e-9) << c.what;
  }
}

TEST(FrameStats, TheClosingFrameBeginsTheNextSecond) {
  FrameStatsSecond second;
  FrameStatsReport report{};
  int reports = 0;
  std::size_t frames_in_reports = 0;
  // Three and a half seconds of frames every 10 ms: three closed seconds of 100 frames each.
  for (int n = 0; n <= 350; ++n) {
    if (second.add(n * 10000, n * 5000, 100, 200, 300, report)) {
      ++reports;
      frames_in_reports += report.frames;
      EXPECT_EQ(report.frames, 100u);
      EXPECT_DOUBLE_EQ(report.cpu_share, 0.5);
    }
  }
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(frames_in_reports, 300u);
}

TEST(FrameStats, ASecondWithMoreFramesThanTheTablesStillSeesEveryWorstTime) {
  FrameStatsSecond second;
  FrameStatsReport report{};
  const std::size_t frames = FrameStatsSecond::max_frames * 2;
  const std::int64_t step = 1000000 / static_cast<std::int64_t>(frames) + 1;
  std::size_t n = 0;
  for (;; ++n) {
    // The worst frame of each part comes after the tables are full.
    const bool late = n == FrameStatsSecond::max_frames + 10;
    if (second.add(static_cast<std::int64_t>(n) * step, 0, late ? 5000 : 100, late ? 6000 : 100,
                   late ? 7000 : 100, report))
      break;
  }
  EXPECT_EQ(report.frames, n);
  EXPECT_GT(report.frames, FrameStatsSecond::max_frames);
  EXPECT_DOUBLE_EQ(report.compose_median_ms, 0.1);
  EXPECT_DOUBLE_EQ(report.compose_worst_ms, 5.0);
  EXPECT_DOUBLE_EQ(report.present_worst_ms, 6.0);
  EXPECT_DOUBLE_EQ(report.wait_worst_ms, 7.0);
}

}  // namespace
