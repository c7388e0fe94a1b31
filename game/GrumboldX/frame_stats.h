// SPDX-License-Identifier: GPL-3.0-or-later
// Frame statistics for tuning, on when GRUMBOLDX_STATS=1 is in the environment: once a second of
// real time the log gets the median and the worst time of each part of a frame (composing: the
// dispatcher with the draw-list flush; presenting: the flip, the upload and the display's own
// drawing included; waiting for the minimum frame length) and the processor share the process
// used over that second (processor time / real time; above 1 means more than one core).
#pragma once

#include <cstddef>
#include <cstdint>

namespace front {

bool frame_stats_enabled();
// Takes one frame's parts in microseconds; logs a line and starts anew once a second of real
// time has passed since the current second began.
void frame_stats_record(std::int64_t compose_us, std::int64_t present_us, std::int64_t wait_us);

// One second's figures, as logged.
struct FrameStatsReport {
  std::size_t frames;
  double compose_median_ms, compose_worst_ms;
  double present_median_ms, present_worst_ms;
  double wait_median_ms, wait_worst_ms;
  double cpu_share;
};

// The counting behind frame_stats_record, with the clocks handed in: a second begins with the
// first frame added to it (at its real time and processor time then); a frame added at least a
// second later closes it, fills report and begins the next second with itself.
class FrameStatsSecond {
 public:
  // A second with more frames than this keeps its first ones for the medians (the minimum frame
  // length allows 100); the worst times still see every frame.
  static constexpr std::size_t max_frames = 1024;

  bool add(std::int64_t now_us, std::int64_t cpu_us, std::int64_t compose_us,
           std::int64_t present_us, std::int64_t wait_us, FrameStatsReport& report);

 private:
  struct Part {
    std::int64_t times[max_frames];
    std::int64_t worst;
  };
  void begin(std::int64_t now_us, std::int64_t cpu_us);
  void take(std::int64_t compose_us, std::int64_t present_us, std::int64_t wait_us);

  Part compose_{}, present_{}, wait_{};
  std::size_t frames_ = 0;
  std::int64_t start_us_ = 0, start_cpu_us_ = 0;
  bool begun_ = false;
};

// Times one frame's parts for the main loop: made at the frame's start, lap() after composing
// and after presenting; when it goes out of scope after both laps the rest of the frame counts
// as waiting and the frame is recorded. A frame that ends early (a quit) is not recorded. Does
// nothing while the statistics are off.
class FrameStopwatch {
 public:
  FrameStopwatch();
  ~FrameStopwatch();
  FrameStopwatch(const FrameStopwatch&) = delete;
  FrameStopwatch& operator=(const FrameStopwatch&) = delete;
  void lap();

 private:
  std::int64_t marks_[3] = {};
  int laps_ = -1;  // -1: statistics off
};

}  // namespace front
