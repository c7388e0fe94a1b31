// SPDX-License-Identifier: GPL-3.0-or-later
// The per-frame object pass and the shot resolution.
#include <cstdint>

#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/qzX/round.h"

namespace qzx {

void update_enemies() {
  for (int i = enemy_slots - 1; i >= 0; --i) {
    Enemy& e = enemies[i];
    if (!(e.flags & f_in_use)) continue;
    if (e.update) e.update(e);
    if (!(e.flags & f_visible)) continue;
    const int x = screen_x(e), y = e.y >> 16;
    if (e.flags & f_tinted)
      gfx::draw_sprite_blended(e.anim, e.frame >> 8, x, y, e.depth, draw_flags(e), e.alpha >> 8,
                               draw_size(e));
    else
      gfx::draw_sprite(e.anim, e.frame >> 8, x, y, e.depth, draw_flags(e), draw_size(e));
  }
}

namespace {

struct Candidate {
  Enemy* enemy;
  int rel_x, rel_y;
};
constexpr int max_candidates = 32;

// A nearer layer (or, behind its own layer, that one too) has an opaque pixel at the cursor.
bool shielded(const Enemy& e, int cx, int cy) {
  const int n = e.depth + ((e.flags & f_behind_layer) ? 1 : 0);
  for (int layer = 0; layer < n; ++layer)
    if (gfx::layer_pixel(layer, cx, cy) != 0) return true;
  return false;
}

}  // namespace

void resolve_shot() {
  if (round.megagun_state == 2) {
    megablast_step();
    return;
  }
  const bool pending = round.shot_pending;
  if (!pending) return;  // nothing is tested without a shot
  const int cx = round.cursor_x, cy = round.cursor_y;
  Candidate list[max_candidates];
  int count = 0;
  for (int i = enemy_slots - 1; i >= 0; --i) {
    Enemy& e = enemies[i];
    if (!(e.flags & f_in_use) || !(e.flags & f_shootable)) continue;
    int left, top, width, height;
    if (e.hit_w != 0) {
      left = screen_x(e) + e.hit_x;
      top = (e.y >> 16) + e.hit_y;
      width = e.hit_w;
      height = e.hit_h;
    } else {
      const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), e.frame >> 8);
      left = screen_x(e) + r.left;
      top = (e.y >> 16) + r.top;
      width = r.width;
      height = r.height;
    }
    // The bottom edge counts, the right edge does not.
    if (cx < left || cx >= left + width || cy < top || cy > top + height) continue;
    if (shielded(e, cx, cy)) continue;
    if (count < max_candidates) list[count++] = {&e, cx - left, cy - top};
  }
  Enemy* winner = nullptr;
  for (int k = 0; k < count; ++k) {
    Enemy& e = *list[k].enemy;
    if (!(e.flags & f_in_use)) continue;
    if ((e.flags & f_pixel_test) &&
        gfx::sprite_pixel(sprite_row(e), e.frame >> 8, list[k].rel_x, list[k].rel_y) == 0)
      continue;
    if (!winner || e.depth < winner->depth) winner = &e;
  }
  if (winner) {
    if (winner->on_hit) winner->on_hit(*winner);
  } else {
    shot_missed(cx, cy);
  }
}

}  // namespace qzx
