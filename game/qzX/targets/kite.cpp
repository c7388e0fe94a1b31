// SPDX-License-Identifier: GPL-3.0-or-later
// The kite with a chicken hanging from its tail (editions XL and XXL), far off on layer 3. Every
// few seconds it comes in from the right, drifting up and down, and both vanish past the left
// edge. Shooting the kite breaks it and drops the chicken; the chicken can be hit while it hangs
// and again while it falls.
#include <cstdlib>

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

constexpr int spr_kite = gfx::find_sprite("data\\gfx\\kite_broken");  // frame 0 whole, then torn
constexpr int spr_hanging = gfx::find_sprite("data\\gfx\\kite_qz");
constexpr int spr_dropped = gfx::find_sprite("data\\gfx\\dchickleft4");
constexpr int kite_depth = 3;

constexpr int start_x = 2800;
constexpr int gone_x = -50;
constexpr int height_base = 10, height_range = 90;
constexpr std::int32_t kite_speed = -6000000;  // 16.16 px/s: about 91.6 px/s to the left
// The drift: a new vertical speed every 1.0 .. 1.9 s, random(1000) - 500 in thousandths of a
// pixel per second scaled to 16.16 (about +-7.6 px/s); downwards above y 30, upwards below y 80.
constexpr int drift_range = 1000, drift_scale = 1000;
constexpr int drift_top = 30, drift_bottom = 80;
constexpr int drift_wait_base = 10, drift_wait_range = 10;
// The wait before the next kite: 5.0 .. 11.9 s.
constexpr int wait_base = 50, wait_range = 70;
// The chicken hangs 20 px right of and 29 px below the kite.
constexpr int hang_dx = 20, hang_dy = 29;
constexpr int chicken_scale = 3;
// What falls (the broken kite, the dropped chicken) gains 200 px/s of speed per second.
constexpr std::int32_t gravity = 200 << 16;

constexpr int kite_points = 25, kite_event = 54;
constexpr int hanging_points = 10, hanging_event = 97;
constexpr int falling_points = 50, falling_event = 98;

enum : std::int16_t { kite_waiting = 0, kite_flying = 1, kite_broken = 2 };
enum : std::int16_t { chicken_absent = 0, chicken_hanging = 1, chicken_falling = 2, chicken_hit = 3 };

// Per-round state: the hanging chicken's slot, for the kite.
int chicken_slot = -1;
void chicken_update(Enemy& c);

Enemy* the_chicken() { return target_in_slot(chicken_slot, chicken_update); }

void hide(Enemy& e) { e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable)); }

void show(Enemy& e) { e.flags |= f_visible | f_shootable; }

void new_drift(Enemy& k) {
  k.vy = (res::random(drift_range) - drift_range / 2) * drift_scale;
  k.timer2 = random_tenths(drift_wait_base, drift_wait_range);
}

// The chicken lets go of the kite.
void drop(Enemy& c) {
  c.state = chicken_falling;
  set_anim(c, spr_dropped, 0);
  c.vy = 0;
}

void kite_gone(Enemy& k) {
  k.state = kite_waiting;
  hide(k);
  k.timer = random_tenths(wait_base, wait_range);
}

void kite_update(Enemy& k) {
  Enemy* c = the_chicken();
  switch (k.state) {
    case kite_waiting:
      k.timer -= app::frame_time;
      if (k.timer > 0) break;
      k.state = kite_flying;
      set_pos(k, start_x << 16, (height_base + res::random(height_range)) << 16);
      set_anim(k, spr_kite, 0);
      k.anim_speed = 0;
      k.vx = kite_speed;
      new_drift(k);
      show(k);
      if (c) {
        c->state = chicken_hanging;
        set_anim(*c, spr_hanging, 0);
        show(*c);
      }
      break;
    case kite_flying:
      k.timer2 -= app::frame_time;
      if (k.timer2 < 0) new_drift(k);
      if ((k.y >> 16) < drift_top) k.vy = std::abs(k.vy);
      if ((k.y >> 16) > drift_bottom) k.vy = -std::abs(k.vy);
      k.x += per_frame(k.vx);
      k.y += per_frame(k.vy);
      break;
    case kite_broken:
      anim_advance(k, true);
      k.vy += per_frame(gravity);
      k.x += per_frame(k.vx);
      k.y += per_frame(k.vy);
      if ((k.y >> 16) > 600) kite_gone(k);
      break;
  }
  if (k.state != kite_waiting && (k.x >> 16) < gone_x) {
    kite_gone(k);
    if (c && c->state != chicken_absent) {
      c->state = chicken_absent;
      hide(*c);
    }
  }
  // The hanging chicken goes where the kite goes, in the same frame.
  if (c && c->state == chicken_hanging) set_pos(*c, k.x + (hang_dx << 16), k.y + (hang_dy << 16));
}

void kite_hit(Enemy& k) {
  if (k.state != kite_flying) return;
  score_event(k, kite_points, kite_event);
  sound::play_sound(sound::sfx_hit1);
  k.state = kite_broken;
  k.anim_speed = 84;
  k.vy = 0;
  k.flags &= static_cast<std::uint16_t>(~f_shootable);
  Enemy* c = the_chicken();
  if (c && c->state == chicken_hanging) drop(*c);
}

void chicken_update(Enemy& c) {
  switch (c.state) {
    case chicken_hanging:
      anim_advance(c, false);
      break;
    case chicken_falling:
    case chicken_hit:
      anim_advance(c, true);
      c.vy += per_frame(gravity);
      c.y += per_frame(c.vy);
      if ((c.y >> 16) > 600) {
        c.state = chicken_absent;
        hide(c);
      }
      break;
    default:
      break;
  }
}

void chicken_hit_op(Enemy& c) {
  if (c.state == chicken_hanging) {
    score_event(c, hanging_points, hanging_event);
    chicken_cry();
    drop(c);
  } else if (c.state == chicken_falling) {
    score_event(c, falling_points, falling_event);
    chicken_cry();
    c.state = chicken_hit;
    c.flags &= static_cast<std::uint16_t>(~f_shootable);
  }
}

}  // namespace

void spawn_kite() {
  Enemy* k = spawn_target(kind_scenery, spr_kite, start_x, height_base, kite_depth);
  if (!k) return;
  k->update = kite_update;
  k->on_hit = kite_hit;
  kite_gone(*k);
}

void spawn_kite_chicken() {
  Enemy* c = spawn_target(kind_scenery, spr_hanging, start_x + hang_dx, height_base + hang_dy, kite_depth);
  chicken_slot = slot_of(c);
  if (!c) return;
  c->scale = chicken_scale;  // recorded only: the sprites are drawn at their own size
  c->state = chicken_absent;
  c->update = chicken_update;
  c->on_hit = chicken_hit_op;
  hide(*c);
}

}  // namespace qzx
