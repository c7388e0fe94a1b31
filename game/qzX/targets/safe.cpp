// SPDX-License-Identifier: GPL-3.0-or-later
// The safe (editions XL and XXL). It waits out of sight until the lake chicken has climbed out
// and howled, then drops on it at 1000 px/s and lands with a crash that shakes the screen for
// 50 points. After that it is only iron to shoot at.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_safe = gfx::find_sprite("data\\gfx\\safe");
constexpr const gfx::ArtAnchor* place = gfx::find_art_anchor("data\\gfx\\safe");
constexpr std::int32_t fall_speed = 1000 << 16;  // px per second
constexpr int drop_height = 600;                 // it falls from this far above its landing
constexpr std::int32_t shake_time = 26214;       // 0.4 s
constexpr std::int16_t settle_speed = 84;        // the landing's squash and dust

enum State : std::int16_t { waiting = 0, falling = 1, landed = 2 };

// Per-round state: the safe's slot, for the lake chicken.
int safe_slot = -1;
void safe_update(Enemy& e);

Enemy* the_safe() { return target_in_slot(safe_slot, safe_update); }

void safe_update(Enemy& e) {
  if (e.state == landed) {
    anim_advance(e, true);
    return;
  }
  if (e.state != falling) return;
  e.y += per_frame(fall_speed);
  if (e.y < place->y << 16) return;
  e.y = place->y << 16;
  e.state = landed;
  set_anim(e, spr_safe, 1);
  e.anim_speed = settle_speed;
  e.flags |= f_shootable | f_pixel_test;
  shake(shake_time);
  sound::play_sound(sound::sfx_crash1);
  score_event(e, 50, 2);
}

}  // namespace

void spawn_safe() {
  Enemy* e = spawn_target(kind_scenery, spr_safe, place->x, place->y - drop_height, place->depth);
  safe_slot = slot_of(e);
  if (!e) return;
  e->flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
  e->update = safe_update;
  e->on_hit = [](Enemy& s) { metal_hit(s); };
}

bool safe_waiting() {
  const Enemy* e = the_safe();
  return e && e->state == waiting;
}

bool safe_landed() {
  const Enemy* e = the_safe();
  return e && e->state == landed;
}

void release_safe() {
  Enemy* e = the_safe();
  if (!e || e->state != waiting) return;
  e->state = falling;
  e->y = (place->y - drop_height) << 16;
  e->flags |= f_visible;
}

}  // namespace qzx
