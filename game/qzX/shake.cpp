// SPDX-License-Identifier: GPL-3.0-or-later
// Screen shake: the draw list adds the offsets to every sprite.
#include <cmath>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/qzX/round.h"

namespace qzx {

namespace {
constexpr std::int32_t phase_speeds[4] = {37700, 27100, 34200, 41300};  // thousandths rad/s
}

void advance_shake_phases() {
  for (int i = 0; i < 4; ++i)
    round.shake_phase[i] += static_cast<std::int32_t>(
        static_cast<std::int64_t>(app::frame_time) * phase_speeds[i] / 65536);
}

void set_shake_offsets(double amplitude) {
  const double p1 = round.shake_phase[0] / 1000.0, p2 = round.shake_phase[1] / 1000.0;
  const double p3 = round.shake_phase[2] / 1000.0, p4 = round.shake_phase[3] / 1000.0;
  gfx::shake_x = static_cast<int>(amplitude * std::sin(p1) * std::cos(p2));
  gfx::shake_y = static_cast<int>(amplitude * std::sin(p3) * std::cos(p4));
}

void shake(std::int32_t duration) {
  if (round.megagun_state == 2) return;
  round.shake_time = duration;
  round.shake_phase[0] = 0;
  round.shake_phase[1] = 5;
  round.shake_phase[2] = 3;
  round.shake_phase[3] = 2;
}

void shake_step() {
  if (round.megagun_state == 2) return;  // the megagun shakes the screen itself
  if (round.shake_time <= 0) return;
  advance_shake_phases();
  set_shake_offsets((round.shake_time + 9830) * 0.00052);
  round.shake_time -= app::frame_time;
  if (round.shake_time <= 0) {
    round.shake_time = 0;
    gfx::shake_x = 0;
    gfx::shake_y = 0;
  }
}

}  // namespace qzx
