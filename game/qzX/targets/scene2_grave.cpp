// SPDX-License-Identifier: GPL-3.0-or-later
// The grave in front of the yard: only shots on its stone slab count, and the sixth opens it.
// Once it is open the ghost may come out of it, and each time it does the pit lights up for a
// moment.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\grave");
constexpr int light_sprite = gfx::find_sprite("data\\gfx2\\gravelight");
constexpr int shots_to_open = 6;
constexpr int opening_speed = 76;
constexpr int light_speed = 84;
constexpr std::int32_t light_hold = 65536;  // 1 s
constexpr int points = 25;
constexpr int event = 24;

constexpr int state_closed = 0;
constexpr int state_opening = 1;
constexpr int state_open = 2;
constexpr int state_lighting = 3;
constexpr int state_lit = 4;
constexpr int state_dimming = 5;

// The slab, relative to the grave's position: its rounded top, the shoulders and the body,
// narrowing where the grass has grown over its foot.
constexpr Spot slab[4] = {
    {142, 19, 197, 48},
    {116, 48, 221, 76},
    {120, 76, 215, 117},
    {124, 117, 182, 131},
};

// Record use: counter = shots on the slab; data0 = 1 while the ghost asks for the light;
// timer = the light's hold.
int grave_slot = -1;

bool shot_on_slab(const Enemy& e) {
  for (const Spot& part : slab)
    if (shot_in(e, part)) return true;
  return false;
}

void grave_update(Enemy& e) {
  switch (e.state) {
    case state_opening:
      if (anim_advance(e, true)) {
        e.state = state_open;
        ghost_set_wait(random_tenths(50, 50));  // 5.0 to 9.9 s
      }
      break;
    case state_open:
      if (e.data0) {
        e.data0 = 0;
        set_anim(e, light_sprite, 0);
        e.anim_speed = light_speed;
        e.state = state_lighting;
      }
      break;
    case state_lighting:
      if (anim_advance(e, true)) {
        e.timer = light_hold;
        e.state = state_lit;
      }
      break;
    case state_lit:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        e.anim_speed = -light_speed;
        e.state = state_dimming;
      }
      break;
    case state_dimming:
      if (anim_advance(e, true)) {
        set_anim(e, sprite, gfx::frame_count(sprite) - 1);  // the open grave again
        e.anim_speed = 0;
        e.state = state_open;
      }
      break;
  }
}

void grave_hit(Enemy& e) {
  if (e.state != state_closed || !shot_on_slab(e)) return;
  sound::play_sound(sound::sfx_hit_stone);
  if (++e.counter < shots_to_open) return;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.anim_speed = opening_speed;
  e.state = state_opening;
  score_event(e, points, event);
  sound::play_sound(sound::sfx_stone_crash);
}

Enemy* grave() { return target_in_slot(grave_slot, grave_update); }

}  // namespace

void spawn_grave() {
  Enemy* e = spawn_target(kind_scenery, sprite, 303, 424, 0);
  grave_slot = slot_of(e);
  if (!e) return;
  e->state = state_closed;
  e->update = grave_update;
  e->on_hit = grave_hit;
}

bool grave_open() {
  const Enemy* e = grave();
  return e && e->state >= state_open;
}

void grave_light_up() {
  if (Enemy* e = grave()) e->data0 = 1;
}

}  // namespace qzx
