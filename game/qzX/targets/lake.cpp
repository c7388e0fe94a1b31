// SPDX-License-Identifier: GPL-3.0-or-later
// The lake and the chicken swimming in it. The chicken goes through a fixed round of playing,
// blinking, diving and coming up again, with short pauses between; it can be shot while it is
// above the water, and once shot it is gone for the round. In editions XL and XXL it now and
// then climbs out onto the bank while the lake is in view and howls, and the safe comes down on
// it. The lake itself only shows its ripples: calm water fading back to ripples where the
// chicken went down, rings where it climbs out.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/layers.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_lake = gfx::find_sprite("data\\gfx\\lake");
constexpr int spr_flat = gfx::find_sprite("data\\gfx\\lake_flat");
constexpr int spr_going_out = gfx::find_sprite("data\\gfx\\lake_goingout");
constexpr int spr_play_up = gfx::find_sprite("data\\gfx\\lake_play_up");
constexpr int spr_play_down = gfx::find_sprite("data\\gfx\\lake_play_down");
constexpr int spr_blink_up = gfx::find_sprite("data\\gfx\\lake_blink_up");
constexpr int spr_blink_down = gfx::find_sprite("data\\gfx\\lake_blink_down");
constexpr int spr_down_up = gfx::find_sprite("data\\gfx\\lake_downup");
constexpr int spr_up_down = gfx::find_sprite("data\\gfx\\lake_updown");
constexpr int spr_climb_out = gfx::find_sprite("data\\gfx\\lake_ups_goingout");
constexpr int spr_dying = gfx::find_sprite("data\\gfx\\lake_dying");
constexpr int spr_squashed = gfx::find_sprite("data\\gfx\\lake_dying_safe");
constexpr int lake_x = 300, lake_y = 406;

constexpr std::int16_t speed = 64;
constexpr std::int32_t flat_fade_per_second = 50000;
constexpr int lake_in_view = 450;            // layer-1 offset below which the bank is in view
constexpr std::int32_t howl_time = 52428;    // 0.8 s from the howl to the safe's release
constexpr std::int32_t fall_time = 39321;    // 0.6 s from the release to the chicken's end

// The swimming round, in order; a pause of 0.3 .. 1.0 s follows each animation.
constexpr int swim_cycle[] = {spr_play_up, spr_blink_up, spr_up_down, spr_blink_down, spr_play_down, spr_down_up};
constexpr int cycle_length = sizeof swim_cycle / sizeof swim_cycle[0];
constexpr int dive_step = 2, surface_step = 5;

// The frames of the pictures as drawn in which the chicken is above the water (or on the
// bank) and can be shot; under water only its tail or nothing shows.
constexpr AnimWindow windows[] = {
    {spr_play_up, {0, 8}}, {spr_blink_up, {0, 3}}, {spr_up_down, {0, 4}},
    {spr_down_up, {5, 9}}, {spr_climb_out, {0, 32}},
};

enum LakeState : std::int16_t { ripples = 0, rings = 1, calm = 2 };
enum ChickenState : std::int16_t {
  swimming = 0,  // `data0` the step of the round; `seq_pos` 1 while the pause after it runs
  climbing = 2,
  howling = 3,      // `timer` to the safe's release
  safe_coming = 4,  // `timer` to the end
  squashed = 5,
  sinking = 100,
  gone = 101,  // shot: it does not come back this round
};

// Per-round state: the lake's slot, for the chicken.
int lake_slot = -1;
void lake_update(Enemy& e);

Enemy* the_lake() { return target_in_slot(lake_slot, lake_update); }

void lake_shows(Enemy& lake, LakeState state) {
  lake.state = state;
  lake.flags &= static_cast<std::uint16_t>(~f_tinted);
  switch (state) {
    case ripples:
      set_anim(lake, spr_lake, 0);
      break;
    case rings:
      set_anim(lake, spr_going_out, 0);
      break;
    case calm:
      set_anim(lake, spr_flat, 0);
      lake.flags |= f_tinted;
      lake.alpha = 65536;
      break;
  }
  lake.anim_speed = speed;
}

void lake_update(Enemy& e) {
  switch (e.state) {
    case ripples:
      anim_advance(e, false);
      break;
    case rings:
      if (anim_advance(e, true)) lake_shows(e, ripples);
      break;
    case calm:
      e.alpha -= per_frame(flat_fade_per_second);
      if (e.alpha <= 0) lake_shows(e, ripples);
      break;
  }
}

void begin_step(Enemy& e, int step) {
  e.state = swimming;
  e.data0 = step;
  e.seq_pos = 0;
  set_anim(e, swim_cycle[step], 0);
  e.anim_speed = speed;
  if (step == dive_step) sound::play_sound(sound::sfx_fishing);
  if (step == surface_step) sound::play_sound(sound::sfx_fishing2);
}

// At the end of a round of swimming, in XL and XXL, one time in ten while the bank is in view
// and the safe still hangs ready, the chicken climbs out.
bool climbs_out() {
  if (app::edition == app::edition_xs || !safe_waiting()) return false;
  return res::random(10) == 0 && gfx::layer_offset(1) < lake_in_view;
}

void swim_step(Enemy& e) {
  if (e.seq_pos == 0) {
    if (!anim_advance(e, true)) return;
    if (e.data0 == cycle_length - 1 && climbs_out()) {
      e.state = climbing;
      set_anim(e, spr_climb_out, 0);
      e.anim_speed = speed;
      sound::play_sound(sound::sfx_water);
      if (Enemy* lake = the_lake()) lake_shows(*lake, rings);
      return;
    }
    e.seq_pos = 1;
    e.timer = random_tenths(3, 8);  // 0.3 .. 1.0 s
    return;
  }
  e.timer -= app::frame_time;
  if (e.timer <= 0) begin_step(e, (e.data0 + 1) % cycle_length);
}

void chicken_update(Enemy& e) {
  switch (e.state) {
    case swimming:
      swim_step(e);
      break;
    case climbing:
      if (anim_advance(e, true)) {
        e.state = howling;
        e.timer = howl_time;
        sound::play_sound(sound::sfx_howl);
      }
      break;
    case howling:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        release_safe();
        e.state = safe_coming;
        e.timer = fall_time;
      }
      break;
    case safe_coming:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        e.state = squashed;
        set_anim(e, spr_squashed, 0);
        e.anim_speed = speed;
      }
      if (safe_landed()) {  // too late to be shot
        e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
        return;
      }
      break;
    case squashed:
      anim_advance(e, true);
      e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
      return;
    case sinking:
      if (anim_advance(e, true)) {
        e.state = gone;
        e.flags &= static_cast<std::uint16_t>(~f_visible);
      }
      return;
    case gone: return;
  }
  follow_window(e, windows);
}

void chicken_hit(Enemy& e) {
  if (e.state == squashed || e.state == sinking || e.state == gone) return;
  score_event(e, 10, 3);
  chicken_cry();
  e.state = sinking;
  set_anim(e, spr_dying, 0);
  e.anim_speed = speed;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  if (Enemy* lake = the_lake()) lake_shows(*lake, calm);
}

}  // namespace

void spawn_lake() {
  Enemy* e = spawn_target(kind_scenery, spr_lake, lake_x, lake_y, 1);
  lake_slot = slot_of(e);
  if (!e) return;
  // Under the chicken, and shots pass through its ripples.
  e->flags = f_in_use | f_visible | f_z_behind2;
  e->update = lake_update;
  lake_shows(*e, ripples);
}

void spawn_lake_chicken() {
  Enemy* e = spawn_target(kind_scenery, spr_play_up, lake_x, lake_y, 1);
  if (!e) return;
  e->update = chicken_update;
  e->on_hit = chicken_hit;
  begin_step(*e, 0);
  follow_window(*e, windows);
}

}  // namespace qzx
