// SPDX-License-Identifier: GPL-3.0-or-later
// The stove in the yard. Now and then its door swings open and shut; a shot into the open door
// puts a chicken in, which roasts for 3 s and comes out as a roast worth 50. While the stove
// rests every shot costs 5, and a shot on its knob opens the door at once. Other shots ring on
// the iron.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_open = gfx::find_sprite("data\\gfx\\stove_open_action");
constexpr int spr_get_baked = gfx::find_sprite("data\\gfx\\stove_get_baked_action");
constexpr int spr_baked = gfx::find_sprite("data\\gfx\\stove_baked_action");
constexpr int spr_disappear = gfx::find_sprite("data\\gfx\\stove_backed_disap_action");
constexpr int stove_x = 1188, stove_y = 219;

constexpr std::int16_t door_speed = 51;
constexpr std::int16_t roast_speed = 64;
constexpr std::int32_t roast_time = 3 * 65536;
constexpr std::int32_t roast_shown = 2 * 65536;  // the roast waits outside this long

// Frames of the pictures as drawn: the door cycle's frames in which the door stands open far
// enough to shoot a chicken in, and the frames in which the roast chicken sits outside.
constexpr ChickenWindow door_open_window = {5, 12};
constexpr ChickenWindow roast_window = {6, 10};

// Spots relative to the stove: its upper knob, the door's opening and the roast chicken.
constexpr Spot knob = {66, 44, 78, 56};
constexpr Spot doorway = {18, 40, 62, 74};
constexpr Spot roast_spot = {18, 26, 62, 74};

enum State : std::int16_t {
  resting = 0,      // door shut; `timer` runs to the next door cycle
  door_cycle = 1,   // the door swings open and shut
  chicken_in = 2,   // a chicken was shot in; the door closes on it
  roasting = 3,     // `timer` counts the 3 s
  coming_out = 4,   // the door opens and the roast comes out
  roast_waits = 5,  // the roast sits outside; `timer`
  clearing = 6,     // the roast is gone and the door closes
};

void rest(Enemy& e) {
  e.state = resting;
  set_anim(e, spr_open, 0);
  e.anim_speed = 0;
  e.timer = random_tenths(60, 60);  // 6.0 .. 11.9 s
}

void open_door(Enemy& e) {
  e.state = door_cycle;
  set_anim(e, spr_open, 0);
  e.anim_speed = door_speed;
  sound::play_sound(sound::sfx_oven_squeek);
}

void clear_away(Enemy& e) {
  e.state = clearing;
  set_anim(e, spr_disappear, 0);
  e.anim_speed = roast_speed;
}

void stove_update(Enemy& e) {
  switch (e.state) {
    case resting:
      e.timer -= app::frame_time;
      if (e.timer <= 0) open_door(e);
      break;
    case door_cycle:
      if (anim_advance(e, true)) {
        sound::play_sound(sound::sfx_oven_doing);
        rest(e);
      }
      break;
    case chicken_in:
      if (anim_advance(e, true)) {
        e.state = roasting;
        e.timer = roast_time;
      }
      break;
    case roasting:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        e.state = coming_out;
        set_anim(e, spr_baked, 0);
        e.anim_speed = roast_speed;
        sound::play_sound(sound::sfx_chick_ready);
      }
      break;
    case coming_out:
      if (anim_advance(e, true)) {
        e.state = roast_waits;
        e.timer = roast_shown;
      }
      break;
    case roast_waits:
      e.timer -= app::frame_time;
      if (e.timer <= 0) clear_away(e);
      break;
    case clearing:
      if (anim_advance(e, true)) rest(e);
      break;
  }
}

void stove_hit(Enemy& e) {
  switch (e.state) {
    case resting:
      score_event(e, -5, 90);
      metal_hit(e);
      if (shot_in(e, knob)) open_door(e);
      return;
    case door_cycle:
      if (in_window(e, door_open_window) && shot_in(e, doorway)) {
        e.state = chicken_in;
        set_anim(e, spr_get_baked, 0);
        e.anim_speed = roast_speed;
        sound::play_sound(sound::sfx_hit_switch);
        sound::play_sound(sound::sfx_chick_grill);
        return;
      }
      break;
    case coming_out:
    case roast_waits:
      if (in_window(e, roast_window) && shot_in(e, roast_spot)) {
        score_event(e, 50, 1);
        sound::play_sound(sound::sfx_hit_pumpkin);
        clear_away(e);
        return;
      }
      break;
    default:
      break;
  }
  metal_hit(e);
}

}  // namespace

void spawn_stove() {
  Enemy* e = spawn_target(kind_scenery, spr_open, stove_x, stove_y, 1);
  if (!e) return;
  e->update = stove_update;
  e->on_hit = stove_hit;
  rest(*e);
}

}  // namespace qzx
