// SPDX-License-Identifier: GPL-3.0-or-later
// The signpost: a shot on the resting board sets it spinning. The spin bounces between the two
// edge-on frames of a full turn, using one half-turn at each bounce, and slows down. When the
// half-turns run out on the way forward the board stops on its far side ("sign turned", 10
// points) and turns back after 10 s; when they run out on the way back it comes to rest as it
// was. Editions XS and XL spin 12 half-turns, which always end on the way back; XXL spins 12 or
// 13, so there the far side can be reached.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_sign = 19;
constexpr int spr_sign = gfx::find_sprite("data\\gfx\\sign");
constexpr int sign_x = 2482, sign_y = 216;

constexpr int half_turns = 12;
constexpr std::int32_t start_speed = 327680;  // 5.0 frames a tick (anim_speed 1280), 16.16
constexpr std::int32_t least_speed = 26214;   // 0.4: the spin never gets slower
constexpr int low_bound = 6;    // going back below this frame is one bounce (back to frame 5)
constexpr int high_bound = 10;  // going forward above this frame is one (back to frame 11)
constexpr std::int32_t far_side_time = 0xA0000;  // 10 s
constexpr std::int16_t turn_back_speed = -102;

enum State : std::int16_t { resting = 0, spinning = 1, coasting = 2, turned = 3, turning_back = 4 };

// Fields: vx = spin speed (frames a tick, 16.16; anim_speed follows it), counter = half-turns
// left, timer = time left on the far side.

std::int32_t per_tick(std::int32_t speed) {
  return static_cast<std::int32_t>(std::int64_t{speed} * 60 * app::frame_time / 65536);
}

void slow_down(Enemy& e) {
  e.vx -= static_cast<std::int32_t>(std::int64_t{e.vx} * 5 * app::frame_time / 131072);  // 2.5 v/s
  if (e.vx >= 0 && e.vx < least_speed) e.vx = least_speed;
  if (e.vx < 0 && e.vx > -least_speed) e.vx = -least_speed;
  e.anim_speed = static_cast<std::int16_t>(e.vx / 256);
}

void rest(Enemy& e) {
  e.state = resting;
  e.frame = 0;
  e.vx = 0;
  e.anim_speed = 0;
}

void reach_far_side(Enemy& e) {
  e.state = turned;
  e.vx = 0;
  e.anim_speed = 0;
  e.timer = far_side_time;
  round.sign_turned = true;
  score_event(e, 10, 53);
}

void spin(Enemy& e) {
  const int last = gfx::frame_count(sprite_row(e)) - 1;
  std::int32_t frame = e.frame + per_tick(e.anim_speed);
  if (e.vx > 0 && frame >= (high_bound + 1) << 8) {
    if (--e.counter > 0) {
      e.vx = -e.vx;
      frame = (high_bound + 1) << 8;
    } else {
      e.state = coasting;
    }
  } else if (e.vx < 0 && frame < low_bound << 8) {
    if (--e.counter > 0) {
      e.vx = -e.vx;
      frame = (low_bound - 1) << 8;
    } else {
      e.state = coasting;
    }
  }
  if (frame > last << 8) frame = last << 8;
  if (frame < 0) frame = 0;
  e.frame = static_cast<std::int16_t>(frame);
  e.anim_speed = static_cast<std::int16_t>(e.vx / 256);
}

void sign_update(Enemy& e) {
  switch (e.state) {
    case spinning:
      slow_down(e);
      spin(e);
      break;
    case coasting:
      slow_down(e);
      if (anim_advance(e, true)) {
        if (e.vx > 0)
          reach_far_side(e);
        else
          rest(e);
      }
      break;
    case turned:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        round.sign_turned = false;
        e.state = turning_back;
        e.anim_speed = turn_back_speed;
      }
      break;
    case turning_back:
      if (anim_advance(e, true)) rest(e);
      break;
    default:
      break;
  }
}

void sign_hit(Enemy& e) {
  hit_particles(e);
  if (e.state != resting || frame_number(e) != 0) {
    sound::play_sound(sound::sfx_hit_wood1);
    return;
  }
  e.counter = half_turns + (app::edition == app::edition_xxl ? res::random(2) : 0);
  e.vx = start_speed;
  e.anim_speed = static_cast<std::int16_t>(start_speed / 256);
  e.state = spinning;
  sound::play_sound(sound::sfx_sign_turn);
}

}  // namespace

void spawn_sign() {
  Enemy* e = spawn_target(kind_sign, spr_sign, sign_x, sign_y, 1);
  if (!e) return;
  e->update = sign_update;
  e->on_hit = sign_hit;
}

}  // namespace qzx
