// SPDX-License-Identifier: GPL-3.0-or-later
// Ground chickens (kind 24): side runners come running in along the ground from outside the view
// and take off into flying chickens; field runners cross the field behind the scenery on one
// of three paths.
#include <cstdint>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

namespace {

constexpr std::int32_t one_second = 65536;

// The side runners' starting points in layer-1 coordinates. A random index into the whole table
// is drawn; the unusable entries make a try fail, which thins out the side runners.
struct RunnerStart {
  bool usable;
  int x, y;
  bool runs_right;
  int run_cycles;
};
constexpr RunnerStart runner_starts[15] = {
    {}, {}, {}, {},
    {true, 1159, 360, false, 3},
    {true, 1070, 347, false, 2},
    {true, 2707, 377, false, 2},
    {}, {}, {}, {}, {}, {}, {},
    {true, 570, 338, true, 3},
};
constexpr int start_tries = 29;
constexpr std::int32_t side_runner_speed = 243 * one_second;  // 180 px/s times 1.35
constexpr int runner_lift = 108;  // the sprite's top lies this far above the ground point
constexpr int run_speed = 91;
constexpr int last_double_frame = 10;  // a take-off hit up to this frame still counts double

// The point the previous side runner used; the next one starts elsewhere.
int previous_start = -1;

struct FieldPath {
  int x1, y1, x2, y2;
};
constexpr FieldPath field_paths[3] = {
    {328, 334, 690, 317},
    {1551, 393, 1923, 413},
    {2149, 318, 2799, 330},
};
constexpr int field_lift = 90;

void move(Enemy& e) {
  e.x += per_frame(e.vx);
  e.y += per_frame(e.vy);
}

bool out_of_sight_vertically(const Enemy& e) {
  const int y = e.y >> 16;
  return y < -100 || y > 600;
}

void take_off(Enemy& e) {
  e.kind = kind_flying_chicken;
  e.state = 1;
  e.flags |= flying_z_flags(e.scale);
  set_anim(e, spr_chicken, 0);
  e.anim_speed = 64;
  e.timer2 = ((res::random(5) + 15) << 16) / 10;
  e.vy = -(res::random(20) + 30) * one_second;
  e.update = flying_update;
  e.on_hit = flying_hit;
}

}  // namespace

void reset_side_runners() { previous_start = -1; }

Enemy* spawn_side_runner() {
  const int offset = gfx::layer_offset(1);
  int chosen = -1;
  for (int t = 0; t < start_tries && chosen < 0; ++t) {
    const int i = res::random(15);
    const RunnerStart& s = runner_starts[i];
    if (!s.usable || i == previous_start) continue;
    if (s.x >= offset - 140 && s.x < offset + 800) continue;  // it would appear in view
    chosen = i;
  }
  if (chosen < 0) return nullptr;

  Enemy* e = enemy_alloc(kind_ground_chicken);
  if (!e) return nullptr;
  ++round.live_chickens;
  previous_start = chosen;
  const RunnerStart& s = runner_starts[chosen];
  e->data0 = chosen;
  e->flags |= f_visible | f_shootable | f_pixel_test | f_scaled | f_ground;
  e->vx = s.runs_right ? side_runner_speed : -side_runner_speed;
  if (s.runs_right) e->flags |= f_mirrored | f_blink;

  const int y = s.y - runner_lift;
  set_pos(*e, s.x * one_second, y * one_second);
  e->home_x = e->x;
  e->home_y = e->y;
  e->state = 4;
  set_depth(*e, 1);
  e->scale = 2;
  set_anim(*e, spr_run_normal, res::random(3));
  e->anim_speed = run_speed;
  e->seq_pos = s.run_cycles;
  e->shadow_fade = 17920;
  e->shadow_y = static_cast<std::int16_t>(y);
  e->update = side_runner_update;
  e->on_hit = side_runner_hit;
  return e;
}

void side_runner_update(Enemy& e) {
  if (e.state == 4) {
    chicken_shadow(e);
    move(e);
    if (out_of_sight_vertically(e)) {
      chicken_gone(e);
      return;
    }
    if (anim_advance(e, false) && --e.seq_pos <= 0) {
      e.state = 5;
      set_anim(e, spr_start_normal, 0);
      e.anim_speed = run_speed;
    }
  } else if (e.state == 5) {
    chicken_shadow(e);
    move(e);
    // The run slows down as the wings take over.
    if ((e.frame >> 8) >= 5) e.vx -= per_frame(e.vx);
    if (anim_advance(e, true)) take_off(e);
  }
}

void side_runner_hit(Enemy& e) {
  if (e.state == 4 || (e.state == 5 && (e.frame >> 8) <= last_double_frame))
    kill_chicken(e, true, true);  // caught on the ground: double points and a heart attack
  else if (e.state == 5)
    kill_chicken(e, false, false);
  else
    return;
  e.kind = kind_flying_chicken;
  e.update = flying_update;
  e.on_hit = flying_hit;
}

Enemy* spawn_field_runner() {
  const FieldPath& p = field_paths[res::random(3)];
  const bool forward = res::random(2) == 1;  // first point to second, to the right
  Enemy* e = enemy_alloc(kind_ground_chicken);
  if (!e) return nullptr;
  ++round.live_chickens;
  e->flags |= f_visible | f_shootable | f_pixel_test | f_scaled | f_ground | f_behind_layer;
  if (forward) e->flags |= f_mirrored | f_blink;
  const int sx = forward ? p.x1 : p.x2, sy = (forward ? p.y1 : p.y2) - field_lift;
  const int ex = forward ? p.x2 : p.x1, ey = (forward ? p.y2 : p.y1) - field_lift;

  // Its legs keep pace with its speed along the path.
  const int r = res::random(20);
  e->data5 = ((r * 85 + 7650) / 100) << 8;
  e->state = 4;
  set_depth(*e, 1);
  e->scale = 1;
  set_anim(*e, spr_run_small, res::random(3));
  e->anim_speed = static_cast<std::int16_t>((r * 66 + 5940) / 100);

  set_pos(*e, sx * one_second, sy * one_second);
  e->home_x = e->x;
  e->home_y = e->y;
  e->seq_pos = ex * one_second;
  e->data4 = ey * one_second;
  e->data1 = 0;
  e->update = field_runner_update;
  e->on_hit = field_runner_hit;
  return e;
}

void field_runner_update(Enemy& e) {
  if (e.state == 6) {
    chicken_fade(e);
    return;
  }
  anim_advance(e, false);
  e.data1 += per_frame(e.data5);
  if (e.data1 > 65535) {
    chicken_gone(e);
    return;
  }
  e.x = e.home_x + static_cast<std::int32_t>(static_cast<std::int64_t>(e.seq_pos - e.home_x) *
                                             e.data1 / 65536);
  e.y = e.home_y + static_cast<std::int32_t>(static_cast<std::int64_t>(e.data4 - e.home_y) *
                                             e.data1 / 65536);
}

void field_runner_hit(Enemy& e) {
  if (e.state != 4) return;
  // Not a flying chicken's death: no multi-hit ring and no hit count.
  e.state = 6;
  score_popup(e, 25, 0, 0);
  record_hit_points(25);
  set_anim(e, spr_dies, 0);
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.alpha = 65536;
  if (res::random(2) == 0) sound::play_sound(sound::sound_chicken_heart_attack);
  sound::play_sound(sound::sound_chicken_far);
}

}  // namespace qzx
