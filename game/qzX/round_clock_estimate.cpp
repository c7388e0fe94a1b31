// SPDX-License-Identifier: GPL-3.0-or-later
// The round clock of a game known only from its frame log. The clock runs on the frames' real
// lengths, which the log lacks; it has the frame times (smoothed lengths, about 40/41 of the
// real ones), and every frame's whole seconds and time-over bit. Each change of the whole
// seconds pins the clock to a second boundary in the middle of the frame before it; between two
// such pins the clock follows the frame times, scaled to fit.
#include <algorithm>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"

namespace qzx {

namespace {

bool time_over(std::uint32_t input) { return (input >> 24) & 1; }
int whole_seconds(std::uint32_t input) {
  return time_over(input) ? -1 : static_cast<int>((input >> 25) & 127);
}

struct Knot {
  double estimated;  // estimated clock used so far
  double actual;     // clock used so far at that point, known exactly
};

// One scene's frames [a, b]: the clock starts at start_value; a transition at its start (unless
// the round started without one) holds the clock still while it runs.
void estimate_segment(const Recording& r, int a, int b, std::int32_t start_value,
                      bool starts_with_transition, std::vector<std::int32_t>& out) {
  const auto& f = r.frames;
  auto length_estimate = [&](int i) {
    const int next = i + 1 <= b ? i + 1 : i;
    return f[next].frame_time * 41.0 / 40.0;
  };
  // Which frames run the clock down at their end.
  std::vector<bool> runs(b - a + 1);
  int progress = starts_with_transition ? 0 : 4096;
  for (int i = a; i <= b; ++i) {
    if (progress < 4096) progress = gfx::transition_progress_after(progress, f[i].frame_time);
    runs[i - a] = progress >= 4096;
  }
  // Estimated clock used before each frame, and the pins.
  std::vector<double> used(b - a + 1);
  double u = starts_with_transition ? 0.0 : f[a].frame_time * 41.0 / 40.0;
  std::vector<Knot> knots{{0.0, 0.0}};  // the set-up itself
  for (int i = a; i <= b; ++i) {
    used[i - a] = u;
    if (i > a && whole_seconds(f[i].input) != whole_seconds(f[i - 1].input) && runs[i - 1 - a]) {
      // The clock passed the boundary just above the new whole seconds during the frame before.
      const double boundary = (whole_seconds(f[i].input) + 1) * 65536.0;
      const double mid = used[i - 1 - a] + length_estimate(i - 1) / 2;
      if (mid > knots.back().estimated) knots.push_back({mid, start_value - boundary});
    }
    if (runs[i - a]) u += length_estimate(i);
  }
  for (int i = a; i <= b; ++i) {
    const double e = used[i - a];
    // The piece of the pinned line this frame falls on; beyond the last pin the last slope goes on.
    std::size_t k = 1;
    while (k < knots.size() && knots[k].estimated < e) ++k;
    double actual;
    if (knots.size() < 2) {
      actual = e;
    } else {
      if (k >= knots.size()) k = knots.size() - 1;
      const Knot& p = knots[k - 1];
      const Knot& q = knots[k];
      const double slope = (q.actual - p.actual) / (q.estimated - p.estimated);
      actual = p.actual + (e - p.estimated) * slope;
    }
    double value = start_value - actual;
    const int s = whole_seconds(f[i].input);
    if (s >= 0) {
      value = std::clamp(value, s * 65536.0, s * 65536.0 + 65535.0);
      value = std::max(value, 1.0);
    } else {
      value = std::min(value, 0.0);
    }
    out[i] = static_cast<std::int32_t>(value);
  }
}

}  // namespace

std::vector<std::int32_t> estimate_round_clock(const Recording& r) {
  const int n = static_cast<int>(r.frames.size());
  std::vector<std::int32_t> out(n);
  if (n == 0) return out;
  // A frame with time over that is not the last one moved the game to the second scene.
  int last_first = n - 1;
  for (int i = 0; i < n - 1; ++i)
    if (time_over(r.frames[i].input)) {
      last_first = i;
      break;
    }
  // Edition XS starts its rounds from the branding screen, which cuts the transition short.
  estimate_segment(r, 0, last_first, round_time_at_setup(r.edition, 1),
                   r.edition != app::edition_xs, out);
  if (last_first < n - 1)
    estimate_segment(r, last_first + 1, n - 1, round_time_at_setup(r.edition, 2), true, out);
  return out;
}

}  // namespace qzx
