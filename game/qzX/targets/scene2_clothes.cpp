// SPDX-License-Identifier: GPL-3.0-or-later
// The laundry on the line behind the yard: the first shot tears a piece half off its pegs, the
// second takes it down. Each shot scores.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int points = 5;
constexpr int depth = 1;  // on the line, behind the fence

struct Cloth {
  int sprite, x, y, event;
};
constexpr Cloth clothes[3] = {
    {gfx::find_sprite("data\\gfx2\\cloth1"), 606, 260, 83},
    {gfx::find_sprite("data\\gfx2\\cloth2"), 660, 257, 84},
    {gfx::find_sprite("data\\gfx2\\cloth3"), 686, 252, 85},
};

void cloth_hit(Enemy& e) {
  const Cloth& c = clothes[e.data0];
  score_event(e, points, c.event);
  sound::play_sound(sound::sfx_hit1);
  if (++e.counter >= 2)
    enemy_free(e);
  else
    e.frame = 1 << 8;
}

}  // namespace

void spawn_clothes() {
  for (int k = 0; k < 3; ++k) {
    Enemy* e = spawn_target(kind_scenery, clothes[k].sprite, clothes[k].x, clothes[k].y, depth);
    if (!e) continue;
    e->data0 = k;
    e->on_hit = cloth_hit;
  }
}

}  // namespace qzx
