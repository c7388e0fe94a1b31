// SPDX-License-Identifier: GPL-3.0-or-later
// Flying chickens: spawning outside the view, the course changes, panic and turn-arounds after
// near misses, leaving the scene, and the two dying states (falling, heart attack).
#include <algorithm>
#include <cstdint>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/resources/random.h"

namespace qzx {

namespace {

constexpr std::int32_t one_second = 65536;
constexpr std::int32_t panic_time = 98304;      // 1.5 s
constexpr std::int32_t blink_after = 26214;     // 0.4 s
constexpr std::int32_t free_after = 39321;      // 0.6 s
constexpr std::int32_t blink_period = 4096;     // 1/16 s
constexpr int near_miss_strip = 20;             // px outside the chicken's edge
constexpr int turns_to_die = 5;

bool facing_right(const Enemy& e) { return (e.flags & f_blink) != 0; }

// y in whole pixels.
int pixel_y(const Enemy& e) { return e.y >> 16; }

bool out_of_sight_vertically(const Enemy& e) { return pixel_y(e) < -100 || pixel_y(e) > 600; }

// How far right a chicken may fly on its layer before it is gone.
int right_limit(int depth) {
  if (depth == 2) return 2800;
  if (depth == 3) return 2600;
  return 3000;
}

void change_course(Enemy& e) {
  const int size = std::clamp<int>(e.scale, 1, 4);
  e.timer2 = ((res::random(20) + 10) << 16) / 10;
  const int k = chicken_sizes[size].turn_speed;
  e.vy = (res::random(2 * k) - k) * one_second;
  // Too low: climb. A chicken from the ground keeps above its shadow's line.
  bool climb;
  if (e.flags & f_ground)
    climb = pixel_y(e) > 330 || pixel_y(e) + 30 < e.shadow_y;
  else if (size == 2)
    climb = pixel_y(e) > 240;
  else
    climb = pixel_y(e) > 440;
  if (climb) e.vy = -(res::random(30) + 10) * one_second;
}

void flying(Enemy& e) {
  chicken_shadow(e);

  e.timer2 -= app::frame_time;
  if (e.timer2 < 0) change_course(e);

  anim_advance(e, false);

  int speed_factor = 1;
  if (e.counter > 0) {
    e.counter -= app::frame_time;
    speed_factor = 2;
  }
  e.x += per_frame(e.vx * speed_factor);
  e.y += per_frame(e.vy * speed_factor);

  const int x = e.x >> 16;
  const bool gone = out_of_sight_vertically(e) || (!facing_right(e) && x < -120) ||
                    (facing_right(e) && x > right_limit(e.depth));
  if (gone) {
    chicken_gone(e);
    return;
  }

  if (round.shot_pending) chicken_near_miss(e);
}

void falling(Enemy& e) {
  anim_advance(e, true);
  if ((e.frame >> 8) >= 2) {
    e.data2 += per_frame(e.data3);
    e.y += static_cast<std::int32_t>(static_cast<std::int64_t>(e.data2) * app::frame_time * 1000 /
                                     65536);
  }
  e.timer += app::frame_time;
  if (e.timer > blink_after) {
    if ((e.timer / blink_period) & 1)
      e.flags &= static_cast<std::uint16_t>(~f_visible);
    else
      e.flags |= f_visible;
  }
  if (e.timer > free_after || out_of_sight_vertically(e)) chicken_gone(e);
}

}  // namespace

std::int32_t per_frame(std::int32_t per_second) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(per_second) * app::frame_time / 65536);
}

std::uint16_t flying_z_flags(int size) {
  if (size == 1) return f_z_front2;
  if (size == 2) return f_z_front;
  return 0;
}

void chicken_shadow(Enemy& e) {
  if (e.shadow_fade <= 0) return;
  const int sprite = e.scale == 2 ? spr_shadow2 : spr_shadow;
  gfx::draw_sprite_blended(sprite, 0, screen_x(e), e.shadow_y, e.depth, 0x400, e.shadow_fade >> 8,
                           0);
  e.shadow_fade -= per_frame(20000);
}

void chicken_gone(Enemy& e) {
  enemy_free(e);
  --round.live_chickens;
}

void chicken_fade(Enemy& e) {
  if (anim_advance(e, true)) e.flags |= f_tinted;
  if (!(e.flags & f_tinted)) return;
  e.alpha -= per_frame(100000);
  if (e.alpha <= 0) chicken_gone(e);
}

Enemy* spawn_flying(int size) {
  if (size == -1) size = random_chicken_size();
  size = std::clamp(size, 1, 4);
  const ChickenSize& c = chicken_sizes[size];
  Enemy* e = enemy_alloc(kind_flying_chicken);
  if (!e) return nullptr;
  ++round.live_chickens;
  e->flags |= f_visible | f_shootable | f_scaled | flying_z_flags(size);
  if (c.pixel_test) e->flags |= f_pixel_test;

  if (res::random(2) == 1) {
    e->vx = -c.speed * one_second;
  } else {
    e->flags |= f_mirrored | f_blink;
    e->vx = c.speed * one_second;
  }

  // Start outside the visible part of the chicken's own layer.
  const int offset = gfx::layer_offset(c.depth);
  const int width = gfx::layers[c.depth].width;
  int r;
  do {
    r = res::random(width + 420);
  } while (!(r - 140 <= offset || r - 280 >= offset + 800));
  const int x = r - 280;
  const int y = c.start_height - res::random(c.start_height);
  set_pos(*e, x * one_second, y * one_second);
  e->home_x = e->x;
  e->home_y = e->y;

  e->state = 1;
  set_depth(*e, c.depth);
  e->scale = static_cast<std::int16_t>(size);
  set_anim(*e, spr_chicken, res::random(12));
  e->anim_speed = 64;
  e->update = flying_update;
  e->on_hit = flying_hit;
  return e;
}

Enemy* spawn_flying_far() {
  constexpr int size = 4;
  Enemy* e = enemy_alloc(kind_flying_chicken);
  if (!e) return nullptr;
  ++round.live_chickens;
  e->flags |= f_visible | f_shootable | f_scaled | flying_z_flags(size);
  int x;
  if (res::random(2) == 1) {
    x = 810;
    e->vx = -chicken_sizes[size].speed * one_second;
  } else {
    e->flags |= f_mirrored | f_blink;
    x = -50;
    e->vx = chicken_sizes[size].speed * one_second;
  }
  const int y = 200 - res::random(200);
  set_pos(*e, x * one_second, y * one_second);
  e->home_x = e->x;
  e->home_y = e->y;
  e->state = 1;
  set_depth(*e, 2);
  e->scale = size;
  set_anim(*e, spr_chicken, res::random(12));
  e->anim_speed = 64;
  e->update = flying_update;
  e->on_hit = flying_hit;
  return e;
}

void flying_update(Enemy& e) {
  switch (e.state) {
    case 1: flying(e); break;
    case 3: falling(e); break;
    case 6: chicken_fade(e); break;
    default: break;
  }
}

void flying_hit(Enemy& e) {
  if (e.state == 1) kill_chicken(e, false, false);
}

void chicken_near_miss(Enemy& e) {
  // Frame 0 of the flying row, whatever frame is shown.
  const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), 0);
  const int top = (e.y >> 16) + r.top;
  const int cy = round.cursor_y;
  if (cy < top || cy > top + r.height) return;
  const int left = screen_x(e) + r.left;
  const int right = left + r.width;
  const int cx = round.cursor_x;
  const bool left_strip = cx > left - near_miss_strip && cx < left;
  const bool right_strip = cx > right && cx < right + near_miss_strip;
  const bool in_front = facing_right(e) ? right_strip : left_strip;
  const bool behind = facing_right(e) ? left_strip : right_strip;
  if (in_front) {
    e.flags ^= f_mirrored | f_blink;
    e.vx = -e.vx;
    if (++e.data1 >= turns_to_die) kill_chicken(e, false, false);
  } else if (behind) {
    e.counter = panic_time;
  }
}

}  // namespace qzx
