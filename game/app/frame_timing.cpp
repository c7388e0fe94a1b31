// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/app/frame_timing.h"

#include <cstdlib>

#include "game/app/app.h"
#include "platform/platform.h"

namespace {
// Milliseconds to 16.16 seconds, truncating toward zero. Worked in 64 bits so that even a
// frame of more than half a minute cannot wrap around into a negative or tiny value.
std::int64_t to_fixed(std::int64_t ms) { return ms * 65536 / 1000; }

std::int32_t saturate(std::int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

std::int32_t clamp_frame_time(std::int32_t value) {
  if (value > 6553) return 6553;
  if (value <= 0) return 655;
  return value;
}

void run_round_clock_down(std::int64_t length_ms, bool transition_running) {
  if (!transition_running) app::round_time = saturate(app::round_time - to_fixed(length_ms));
}

FrameLengthSource frame_source = &plat::next_recorded_frame;
}  // namespace

void frame_timing_start(std::uint32_t t0) {
  app::frame_counter += 1;
  app::frame_stamps[app::frame_counter % 40] = t0;
}

void frame_timing_finish(std::uint32_t t0, std::uint32_t t1, bool transition_running) {
  const auto d = static_cast<std::int32_t>(t1 - t0);
  run_round_clock_down(d, transition_running);

  const std::int32_t inst = saturate(to_fixed(d));
  std::int32_t measured = inst;
  if (app::frame_counter > 40) {
    const auto span =
        static_cast<std::int32_t>(t1 - app::frame_stamps[(app::frame_counter + 1) % 40]);
    const std::int32_t avg = saturate(to_fixed(span / 41));
    measured = avg;
    if (std::abs(static_cast<std::int64_t>(inst) - avg) > 150) {
      app::jitter_count += 1;
      if (app::jitter_count >= 3) measured = inst;
    } else {
      app::jitter_count = 0;
    }
  }
  app::frame_time = clamp_frame_time(measured);
}

void set_frame_length_source(FrameLengthSource source) { frame_source = source; }

void frame_timing_finish_recorded(std::int32_t length_ms, std::int32_t frame_time,
                                  bool transition_running) {
  run_round_clock_down(length_ms, transition_running);
  app::frame_time = clamp_frame_time(frame_time);
}

std::int32_t frame_timing_end(std::uint32_t t0, std::uint32_t t1, bool transition_running) {
  std::int32_t length_ms = 0, frame_time = 0;
  if (frame_source && frame_source(length_ms, frame_time)) {
    frame_timing_finish_recorded(length_ms, frame_time, transition_running);
    return length_ms;
  }
  frame_timing_finish(t0, t1, transition_running);
  return static_cast<std::int32_t>(t1 - t0);
}
