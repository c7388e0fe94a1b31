// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/qzX/targets/target_helpers.h"

#include "game/gfx/layers.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

Enemy* spawn_target(int kind, int sprite, int x, int y, int depth) {
  Enemy* e = enemy_alloc(kind);
  if (!e) return nullptr;
  e->flags = target_flags;
  set_pos(*e, x << 16, y << 16);
  set_depth(*e, depth);
  set_anim(*e, sprite, 0);
  e->anim_speed = 0;
  return e;
}

void hit_particles(const Enemy& e) { particle_burst(round.cursor_x, round.cursor_y, 3.14, e.depth, 0); }

void metal_hit(const Enemy& e) {
  hit_particles(e);
  static constexpr int metal[3] = {sound::sound_hit_metal1, sound::sound_hit_metal2,
                                   sound::sound_hit_metal3};
  sound::play_sound(metal[res::random(3)]);
}

void score_event(const Enemy& e, int points, int event, int dx, int dy) {
  score_popup(e, points, dx, dy);
  record_event(event);
}

int shot_rel_x(const Enemy& e) { return round.cursor_x + gfx::layer_offset(e.depth) - (e.x >> 16); }
int shot_rel_y(const Enemy& e) { return round.cursor_y - (e.y >> 16); }

bool shot_in(const Enemy& e, Spot s) {
  const int x = shot_rel_x(e), y = shot_rel_y(e);
  return x >= s.x0 && x <= s.x1 && y >= s.y0 && y <= s.y1;
}

void shootable_if(Enemy& e, bool on) {
  if (on) e.flags |= f_shootable;
  else e.flags &= static_cast<std::uint16_t>(~f_shootable);
}

void pixel_shootable_if(Enemy& e, bool on) {
  if (on) e.flags |= f_shootable | f_pixel_test;
  else e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

bool in_anim_window(const Enemy& e, std::span<const AnimWindow> windows) {
  for (const AnimWindow& w : windows)
    if (w.sprite == e.anim) return in_window(e, w.frames);
  return false;
}

void follow_window(Enemy& e, std::span<const AnimWindow> windows) {
  pixel_shootable_if(e, in_anim_window(e, windows));
}

std::int32_t random_tenths(int base, int range) { return ((res::random(range) + base) << 16) / 10; }

Enemy* target_in_slot(int slot, EnemyOp update) {
  if (slot < 0) return nullptr;
  Enemy& e = enemies[slot];
  return (e.flags & f_in_use) && e.update == update ? &e : nullptr;
}

}  // namespace qzx
