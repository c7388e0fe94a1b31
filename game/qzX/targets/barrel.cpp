// SPDX-License-Identifier: GPL-3.0-or-later
// The barrel chicken (editions XL and XXL): every few seconds it rises out of its drum, looks
// around for 1.5 s and ducks again; only its comb shows while it hides. Once the oil barrel in
// front of the drum has fallen over it stays down for the rest of the round.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"

namespace qzx {

namespace {

constexpr int spr_up = gfx::find_sprite("data\\gfx\\barrel_up");
constexpr int spr_down = gfx::find_sprite("data\\gfx\\barrel_down");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\barrel_die");
constexpr int barrel_x = 1064, barrel_y = 192, barrel_depth = 1, barrel_scale = 1;

constexpr int points = 10;
constexpr int event_hit = 51;
constexpr std::int32_t stay_time = 98304;  // 1.5 s
// The wait before it rises: 2.0 .. 11.9 s.
constexpr int wait_base = 20, wait_range = 100;
// Frames in which the chicken's head is above the rim: from the fifth frame of the rise on,
// and the first two of the ducking.
constexpr ChickenWindow rise_window{4, 8};
constexpr ChickenWindow duck_window{0, 1};

enum : std::int16_t { waiting = 0, rising = 1, staying = 2, ducking = 3, dying = 4 };

void wait_again(Enemy& e) {
  e.state = waiting;
  set_anim(e, spr_up, 0);
  e.anim_speed = 0;
  shootable_if(e, false);
  e.timer = random_tenths(wait_base, wait_range);
}

void barrel_update(Enemy& e) {
  switch (e.state) {
    case waiting:
      if (oil_barrel_fallen()) break;
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        chicken_call();
        set_anim(e, spr_up, 0);
        e.state = rising;
      }
      break;
    case rising:
      if (anim_advance(e, true)) {
        e.state = staying;
        e.timer = stay_time;
      }
      shootable_if(e, in_window(e, rise_window));
      break;
    case staying:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        set_anim(e, spr_down, 0);
        e.state = ducking;
      }
      shootable_if(e, e.state == staying || in_window(e, duck_window));
      break;
    case ducking:
      if (anim_advance(e, true))
        wait_again(e);
      else
        shootable_if(e, in_window(e, duck_window));
      break;
    case dying:
      if (anim_advance(e, true)) wait_again(e);
      break;
  }
}

void barrel_hit(Enemy& e) {
  if (e.state == waiting || e.state == dying) return;
  score_event(e, points, event_hit);
  chicken_cry();
  set_anim(e, spr_die, 0);
  e.state = dying;
  shootable_if(e, false);
}

}  // namespace

void spawn_barrel() {
  Enemy* e = spawn_target(kind_scenery, spr_up, barrel_x, barrel_y, barrel_depth);
  if (!e) return;
  e->scale = barrel_scale;
  e->update = barrel_update;
  e->on_hit = barrel_hit;
  wait_again(*e);
}

}  // namespace qzx
