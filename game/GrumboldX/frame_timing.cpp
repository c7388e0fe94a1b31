#include "game/GrumboldX/frame_timing.h"

#include <cstdlib>

#include "game/GrumboldX/app.h"

namespace {
// Milliseconds to 16.16 seconds, truncating toward zero. Worked in 64 bits so that even a
// frame of more than half a minute cannot wrap around into a negative or tiny value.
std::int64_t to_fixed(std::int64_t ms) { return ms * 65536 / 1000; }

std::int32_t saturate(std::int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}
}  // namespace

void frame_timing_start(std::uint32_t t0) {
  app::frame_counter += 1;
  app::frame_stamps[app::frame_counter % 40] = t0;
}

void frame_timing_finish(std::uint32_t t0, std::uint32_t t1, bool transition_running) {
  const auto d = static_cast<std::int32_t>(t1 - t0);
  if (!transition_running) app::round_time = saturate(app::round_time - to_fixed(d));

  const std::int32_t inst = saturate(to_fixed(d));
  std::int32_t measured = inst;
  if (app::frame_counter > 40) {
    const auto span = static_cast<std::int32_t>(t1 - app::frame_stamps[(app::frame_counter + 1) % 40]);
    const std::int32_t avg = saturate(to_fixed(span / 41));
    measured = avg;
    if (std::abs(static_cast<std::int64_t>(inst) - avg) > 150) {
      app::jitter_count += 1;
      if (app::jitter_count >= 3) measured = inst;
    } else {
      app::jitter_count = 0;
    }
  }
  if (measured > 6553) measured = 6553;
  if (measured <= 0) measured = 655;
  app::frame_time = measured;
}
