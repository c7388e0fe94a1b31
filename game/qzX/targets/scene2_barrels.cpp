// SPDX-License-Identifier: GPL-3.0-or-later
// The three barrels in front of the barn: a shot breaks the barrel under the cursor (once
// each), costs points, silences the chicken in it and sends one that is just popping out back
// down. With all three broken the barrels no longer take shots.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\barrels");
constexpr int points = -25;

struct Barrel {
  int right_edge;  // the barrel reaches up to this screen x
  bool Scene2Flags::*broken;
  int event;
  int hiding_place;
};
constexpr Barrel barrels[3] = {
    {391, &Scene2Flags::barrel1_broken, 42, hp_barrel01},
    {455, &Scene2Flags::barrel2_broken, 43, hp_barrel02},
    {799, &Scene2Flags::barrel3_broken, 44, hp_barrel03},
};

// The picture's frame for each set of broken barrels (bit 0 the first, bit 1 the second, bit 2
// the third); all three broken has no picture of its own.
constexpr int frame_of_broken[7] = {0, 1, 2, 4, 3, 5, 6};

int barrel_at(int x) {
  for (int k = 0; k < 3; ++k)
    if (x <= barrels[k].right_edge) return k;
  return 2;
}

void barrels_hit(Enemy& e) {
  const Barrel& b = barrels[barrel_at(round.cursor_x)];
  if (scene2_flags.*b.broken) return;
  scene2_flags.*b.broken = true;
  hiding_place_drop(b.hiding_place);
  hit_particles(e);
  score_event(e, points, b.event);
  sound::play_sound(sound::sfx_hit_wood3);
  int mask = 0;
  for (int k = 0; k < 3; ++k)
    if (scene2_flags.*barrels[k].broken) mask |= 1 << k;
  if (mask == 7) {
    e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
    return;
  }
  e.frame = static_cast<std::int16_t>(frame_of_broken[mask] << 8);
}

}  // namespace

void spawn_barrels() {
  Enemy* e = spawn_target(kind_scenery, sprite, 311, 298, 0);
  if (e) e->on_hit = barrels_hit;
}

}  // namespace qzx
