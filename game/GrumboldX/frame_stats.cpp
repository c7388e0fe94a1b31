// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/frame_stats.h"

#include <algorithm>
#include <utility>

#include "game/resources/log.h"
#include "platform/platform.h"

namespace front {

namespace {

constexpr std::int64_t second_us = 1000000;

double ms(std::int64_t us) { return static_cast<double>(us) / 1000.0; }

double median_ms(std::int64_t* times, std::size_t count) {
  if (count == 0) return 0.0;
  std::nth_element(times, times + count / 2, times + count);
  return ms(times[count / 2]);
}

}  // namespace

void FrameStatsSecond::begin(std::int64_t now_us, std::int64_t cpu_us) {
  frames_ = 0;
  compose_.worst = present_.worst = wait_.worst = 0;
  start_us_ = now_us;
  start_cpu_us_ = cpu_us;
  begun_ = true;
}

void FrameStatsSecond::take(std::int64_t compose_us, std::int64_t present_us,
                            std::int64_t wait_us) {
  for (auto [part, us] : {std::pair{&compose_, compose_us}, std::pair{&present_, present_us},
                          std::pair{&wait_, wait_us}}) {
    if (frames_ < max_frames) part->times[frames_] = us;
    part->worst = std::max(part->worst, us);
  }
  ++frames_;
}

bool FrameStatsSecond::add(std::int64_t now_us, std::int64_t cpu_us, std::int64_t compose_us,
                           std::int64_t present_us, std::int64_t wait_us,
                           FrameStatsReport& report) {
  if (!begun_ || now_us - start_us_ < second_us) {
    if (!begun_) begin(now_us, cpu_us);
    take(compose_us, present_us, wait_us);
    return false;
  }
  const std::size_t kept = std::min(frames_, max_frames);
  report.frames = frames_;
  report.compose_median_ms = median_ms(compose_.times, kept);
  report.compose_worst_ms = ms(compose_.worst);
  report.present_median_ms = median_ms(present_.times, kept);
  report.present_worst_ms = ms(present_.worst);
  report.wait_median_ms = median_ms(wait_.times, kept);
  report.wait_worst_ms = ms(wait_.worst);
  report.cpu_share =
      static_cast<double>(cpu_us - start_cpu_us_) / static_cast<double>(now_us - start_us_);
  begin(now_us, cpu_us);
  take(compose_us, present_us, wait_us);
  return true;
}

bool frame_stats_enabled() {
  static const bool enabled = plat::frame_stats_requested();
  return enabled;
}

void frame_stats_record(std::int64_t compose_us, std::int64_t present_us, std::int64_t wait_us) {
  static FrameStatsSecond second;
  FrameStatsReport r{};
  if (!second.add(plat::precise_time_us(), plat::process_cpu_us(), compose_us, present_us,
                  wait_us, r))
    return;
  res::debug_log(
      "frame stats: %zu frames; compose %.2f ms median, %.2f worst; present %.2f / %.2f; "
      "wait %.2f / %.2f; cpu %.2f\n",
      r.frames, r.compose_median_ms, r.compose_worst_ms, r.present_median_ms, r.present_worst_ms,
      r.wait_median_ms, r.wait_worst_ms, r.cpu_share);
}

FrameStopwatch::FrameStopwatch() {
  if (!frame_stats_enabled()) return;
  marks_[0] = plat::precise_time_us();
  laps_ = 0;
}

void FrameStopwatch::lap() {
  if (laps_ < 0 || laps_ >= 2) return;
  marks_[++laps_] = plat::precise_time_us();
}

FrameStopwatch::~FrameStopwatch() {
  if (laps_ != 2) return;
  frame_stats_record(marks_[1] - marks_[0], marks_[2] - marks_[1],
                     plat::precise_time_us() - marks_[2]);
}

}  // namespace front
