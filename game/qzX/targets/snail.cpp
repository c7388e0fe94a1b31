// SPDX-License-Identifier: GPL-3.0-or-later
// The snail: it idles on its way to the apple. A shot on its tail pushes it on (a small push
// near the tip, a big one further in); at x 1559 it reaches the apple and eats it in four bites
// of 25 points, and is then content. A shot anywhere else on it kills it for -50. A snail still
// idling 30 s into the round gives up (-25).
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_snail = 22;
constexpr int spr_idle = gfx::find_sprite("data\\gfx\\snailzero");
constexpr int spr_push_small = gfx::find_sprite("data\\gfx\\snailshoot_small");
constexpr int spr_push_big = gfx::find_sprite("data\\gfx\\snailshoot_big");
constexpr int spr_eat = gfx::find_sprite("data\\gfx\\snail_eat");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\snail_die");
constexpr int snail_x = 1408, snail_y = 447;
constexpr int apple_reached_x = 1559;

// The idle bob: frame numbers + 1, ended by -1.
constexpr std::int16_t idle_frames[] = {1, 2, 3, 4, 1, 1, 1, 1, 1, 1, -1};
constexpr std::int16_t idle_speed = 32;

// The tail, relative to the snail's position; a shot left of small_push_below pushes gently.
constexpr Spot tail = {0, 26, 25, 62};
constexpr int small_push_below = 9;
constexpr std::int32_t small_push = 3853516;  // 58.8 px/s
constexpr std::int32_t big_push = 91 << 16;   // 91 px/s
constexpr std::int32_t push_stops_below = 120000;  // 1.8 px/s
constexpr std::int16_t push_anim_speed = 58;

constexpr int bites = 4;
constexpr std::int16_t eat_speed = 64;
constexpr int bite_dx = 3, bite_dy = -34;  // the bite's points, from the apple's centre

constexpr std::int16_t die_speed = 102;
constexpr std::int32_t patience = 1966080;  // 30 s

enum State : std::int16_t { idle = 0, pushed = 1, eating = 2, content = 3, dead = 4 };

// Fields: vx = push speed (px/s, 16.16), data1 = bites taken.

Enemy* the_snail() { return enemy_next_of_kind(kind_snail); }

void start_idling(Enemy& e) {
  e.state = idle;
  set_anim(e, spr_idle, 0);
  e.anim_speed = idle_speed;
  e.seq_pos = 0;
}

void die(Enemy& e, int points, int event) {
  if (e.state == eating) sound::stop_sound(sound::sfx_snail_chew);
  score_event(e, points, event);
  set_anim(e, spr_die, 0);
  e.anim_speed = die_speed;
  e.vx = 0;
  e.state = dead;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  sound::play_sound(sound::sfx_hit_snail);
}

void take_bite(Enemy& e, const Enemy& apple) {
  ++e.data1;
  score_event(apple, 25, 64, bite_dx, bite_dy);
  sound::play_sound(sound::sfx_snail_apple);
  sound::play_sound(sound::sfx_snail_chew);
}

// The push carries it right while it lasts; at the apple it stops and starts eating.
void crawl(Enemy& e) {
  if (e.vx <= 0) return;
  const std::int32_t dt = app::frame_time;
  e.x += static_cast<std::int32_t>(std::int64_t{e.vx} * dt / 65536);
  e.vx -= static_cast<std::int32_t>(std::int64_t{e.vx} * 2 * dt / 65536);
  if (e.vx < push_stops_below) e.vx = 0;
  if (e.x < apple_reached_x << 16) return;
  e.x = apple_reached_x << 16;
  e.vx = 0;
  const Enemy* apple = find_apple();
  if (!apple) return;  // shot before the snail got there
  e.state = eating;
  set_anim(e, spr_eat, 0);
  e.anim_speed = eat_speed;
  take_bite(e, *apple);
}

void snail_update(Enemy& e) {
  switch (e.state) {
    case idle:
      anim_sequence(e, idle_frames, false);
      crawl(e);
      break;
    case pushed:
      if (anim_advance(e, true)) start_idling(e);
      crawl(e);
      break;
    case eating: {
      const Enemy* apple = find_apple();
      if (!apple) {  // the apple was shot away from under its nose
        sound::stop_sound(sound::sfx_snail_chew);
        start_idling(e);
        break;
      }
      if (!anim_advance(e, false)) break;
      if (e.data1 < bites) {
        take_bite(e, *apple);
      } else {
        sound::stop_sound(sound::sfx_snail_chew);
        start_idling(e);
        e.state = content;
      }
      break;
    }
    case content:
      anim_sequence(e, idle_frames, false);
      break;
    case dead:
      anim_advance(e, true);
      break;
  }
}

void snail_hit(Enemy& e) {
  if (e.state == dead) return;
  if (!shot_in(e, tail)) {
    die(e, -50, 21);
    return;
  }
  if (e.state != idle && e.state != pushed) return;  // at the apple there is nowhere to go
  sound::play_sound(sound::sfx_snail_move);
  const bool small = shot_rel_x(e) < small_push_below;
  set_anim(e, small ? spr_push_small : spr_push_big, 0);
  e.anim_speed = push_anim_speed;
  e.vx = small ? small_push : big_push;
  e.state = pushed;
}

}  // namespace

void spawn_snail() {
  round.snail_timer = 0;
  Enemy* e = spawn_target(kind_snail, spr_idle, snail_x, snail_y, 1);
  if (!e) return;
  start_idling(*e);
  e->update = snail_update;
  e->on_hit = snail_hit;
}

void snail_patience_step() {
  if (round.snail_timer < patience) return;
  Enemy* e = the_snail();
  if (e && e->state == idle) die(*e, -25, 46);
}

int snail_bites() {
  const Enemy* e = the_snail();
  return e ? e->data1 : 0;
}

}  // namespace qzx
