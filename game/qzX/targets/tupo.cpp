// SPDX-License-Identifier: GPL-3.0-or-later
// The chicken riding a sheep on the hill (editions XL and XXL). Shots at the rider spur the ride
// on by 0.2 up to 1.1, and it slows again by itself; the first time it reaches full speed the
// rider is happy for 25 points. A shot lower down hits the sheep and ends the ride.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_cycle = gfx::find_sprite("data\\gfx\\tupocycle");
constexpr int spr_shot = gfx::find_sprite("data\\gfx\\tuposhoot");
constexpr int tupo_x = 105, tupo_y = 179, tupo_depth = 2;
constexpr int rider_bottom = 203;  // a shot at y 203 or above hits the rider

constexpr std::int32_t spur = 13107;        // 0.2
constexpr std::int32_t full_speed = 72089;  // 1.1
constexpr std::int32_t slowing = 8000;      // per second
// The ride speed drives the sheep's legs: 64 at a walk, twice that at 1.0.
constexpr std::int16_t walk_speed = 64;

enum State : std::int16_t { riding = 0, sheep_hit = 1 };
// Behaviour data: `data0` the ride speed (16.16), `data1` 1 once full speed was reached.

void tupo_update(Enemy& e) {
  if (e.state == sheep_hit) {
    anim_advance(e, false);  // the sheep sees stars
    return;
  }
  e.data0 -= per_frame(slowing);
  if (e.data0 < 0) e.data0 = 0;
  e.anim_speed = static_cast<std::int16_t>(walk_speed + (static_cast<std::int64_t>(e.data0) * walk_speed >> 16));
  anim_advance(e, false);
}

void tupo_hit(Enemy& e) {
  if (e.state != riding) return;
  if (round.cursor_y <= rider_bottom) {
    e.data0 += spur;
    if (e.data0 < full_speed) return;
    e.data0 = full_speed;
    if (e.data1) return;
    e.data1 = 1;
    score_event(e, 25, 39);
    sound::play_sound(sound::sfx_sheephappy);
    return;
  }
  score_event(e, -10, 40);
  sound::play_sound(sound::sfx_hit_sheep);
  e.state = sheep_hit;
  set_anim(e, spr_shot, 0);
  e.anim_speed = walk_speed;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_tupo() {
  Enemy* e = spawn_target(kind_scenery, spr_cycle, tupo_x, tupo_y, tupo_depth);
  if (!e) return;
  e->update = tupo_update;
  e->on_hit = tupo_hit;
  e->anim_speed = walk_speed;
}

}  // namespace qzx
