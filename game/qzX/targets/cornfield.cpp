// SPDX-License-Identifier: GPL-3.0-or-later
// The cornfield: somewhere along it, at random, either a chicken looks out of the corn (worth
// points) or a white flag is waved (which costs points when shot).
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_up = gfx::find_sprite("data\\gfx\\cornfield_up");
constexpr int spr_blink = gfx::find_sprite("data\\gfx\\cornfield_blink");
constexpr int spr_down = gfx::find_sprite("data\\gfx\\cornfield_down");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\cornfield_die");
constexpr int spr_flag_up = gfx::find_sprite("data\\gfx\\flag_up");
constexpr int spr_flag_cycle = gfx::find_sprite("data\\gfx\\flag_cycle");
constexpr int spr_flag_down = gfx::find_sprite("data\\gfx\\flag_down");
constexpr int field_x = 1250, field_width = 400, field_y = 275, field_depth = 2, field_scale = 2;

constexpr int chicken_points = 15, chicken_event = 50;
constexpr int flag_points = -50, flag_event = 86;
constexpr std::int32_t look_time = 32768;   // 0.5 s up before blinking
constexpr std::int32_t blink_time = 52428;  // 0.8 s after blinking
constexpr int waves = 3;
// The waits after a chicken (1.0 .. 5.9 s) and after a flag (2.0 .. 11.9 s); the first one is
// a chicken's.
constexpr int chicken_wait_base = 10, chicken_wait_range = 50;
constexpr int flag_wait_base = 20, flag_wait_range = 100;
// Frames in which the chicken's head or the flag is above the corn.
constexpr ChickenWindow up_window{3, 6};
constexpr ChickenWindow down_window{0, 0};
constexpr ChickenWindow flag_up_window{1, 2};
constexpr ChickenWindow flag_down_window{0, 2};

enum : std::int16_t {
  waiting = 0,
  // the chicken
  rising = 1,
  looking = 2,
  blinking = 3,
  after_blink = 4,
  ducking = 5,
  dying = 6,
  // the flag
  flag_rising = 10,
  waving = 11,
  flag_lowering = 12,
};

void wait(Enemy& e, int base, int range) {
  e.state = waiting;
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable));
  e.timer = random_tenths(base, range);
}

void play(Enemy& e, std::int16_t state, int sprite) {
  e.state = state;
  set_anim(e, sprite, 0);
}

void appear(Enemy& e) {
  set_pos(e, (field_x + res::random(field_width)) << 16, field_y << 16);
  e.flags |= f_visible;
  chicken_call();
  if (res::random(2) == 0) {
    play(e, rising, spr_up);
  } else {
    play(e, flag_rising, spr_flag_up);
    e.counter = 0;  // waves made
    e.data0 = 0;    // the flag was shot
  }
}

void cornfield_update(Enemy& e) {
  switch (e.state) {
    case waiting:
      e.timer -= app::frame_time;
      if (e.timer <= 0) appear(e);
      break;
    case rising:
      if (anim_advance(e, true)) {
        e.state = looking;
        e.timer = look_time;
      }
      break;
    case looking:
      e.timer -= app::frame_time;
      if (e.timer <= 0) play(e, blinking, spr_blink);
      break;
    case blinking:
      if (anim_advance(e, true)) {
        e.state = after_blink;
        e.timer = blink_time;
      }
      break;
    case after_blink:
      e.timer -= app::frame_time;
      if (e.timer <= 0) play(e, ducking, spr_down);
      break;
    case ducking:
      if (anim_advance(e, true)) wait(e, chicken_wait_base, chicken_wait_range);
      break;
    case dying:
      if (anim_advance(e, true)) wait(e, chicken_wait_base, chicken_wait_range);
      break;
    case flag_rising:
      if (anim_advance(e, true)) play(e, waving, spr_flag_cycle);
      break;
    case waving:
      if (anim_advance(e, false) && ++e.counter >= waves) play(e, flag_lowering, spr_flag_down);
      break;
    case flag_lowering:
      if (anim_advance(e, true)) wait(e, flag_wait_base, flag_wait_range);
      break;
  }
  switch (e.state) {
    case rising: shootable_if(e, in_window(e, up_window)); break;
    case looking:
    case blinking:
    case after_blink: shootable_if(e, true); break;
    case ducking: shootable_if(e, in_window(e, down_window)); break;
    case flag_rising: shootable_if(e, in_window(e, flag_up_window)); break;
    case waving: shootable_if(e, e.data0 == 0); break;
    case flag_lowering: shootable_if(e, e.data0 == 0 && in_window(e, flag_down_window)); break;
    default: shootable_if(e, false); break;
  }
}

void cornfield_hit(Enemy& e) {
  if (e.state >= rising && e.state <= ducking) {
    score_event(e, chicken_points, chicken_event);
    chicken_cry();
    play(e, dying, spr_die);
    shootable_if(e, false);
  } else if (e.state >= flag_rising && e.data0 == 0) {
    score_event(e, flag_points, flag_event);
    sound::play_sound(sound::sfx_hit1);
    e.data0 = 1;
    if (e.state != flag_lowering) play(e, flag_lowering, spr_flag_down);
    shootable_if(e, false);
  }
}

}  // namespace

void spawn_cornfield() {
  Enemy* e = spawn_target(kind_scenery, spr_up, field_x, field_y, field_depth);
  if (!e) return;
  e->scale = field_scale;
  e->update = cornfield_update;
  e->on_hit = cornfield_hit;
  wait(*e, chicken_wait_base, chicken_wait_range);
}

}  // namespace qzx
