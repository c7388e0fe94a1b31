// SPDX-License-Identifier: GPL-3.0-or-later
// The miss handler: a shot that hits no object may ricochet off the first scene's metal.
#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/qzX/ricochet_spans.h"
#include "game/qzX/round.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

int ricochet_rectangle(int world_x, int y) {
  for (int i = 0; i < ricochet_span_count; ++i) {
    const RicochetSpan& s = ricochet_spans[i];
    if (world_x >= s.x1 && world_x <= s.x2 && y >= s.y1 && y <= s.y2) return i;
  }
  return -1;
}

void shot_missed(int cursor_x, int cursor_y) {
  if (app::scene != 1) return;
  if (ricochet_rectangle(cursor_x + gfx::layer_offset(1), cursor_y) < 0) return;
  particle_burst(cursor_x, cursor_y, 3.14, 1, 0);
  static constexpr int metal[3] = {sound::sound_hit_metal1, sound::sound_hit_metal2,
                                   sound::sound_hit_metal3};
  sound::play_sound(metal[res::random(3)]);
}

}  // namespace qzx
