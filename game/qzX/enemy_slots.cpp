// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstring>

#include "game/qzX/enemies.h"
#include "game/qzX/round.h"
#include "game/resources/log.h"

namespace qzx {

Enemy enemies[enemy_slots];
int enemy_count = 0;
int alloc_cursor = 0;

void enemy_clear() {
  std::memset(enemies, 0, sizeof enemies);
  enemy_count = 0;
  alloc_cursor = 0;
}

Enemy* enemy_alloc(int kind) {
  for (int n = 0; n < enemy_slots; ++n) {
    const int i = (alloc_cursor + n) % enemy_slots;
    if (enemies[i].flags != 0) continue;
    // The next search starts at this same slot: it is taken now, so the search moves on.
    alloc_cursor = i;
    Enemy& e = enemies[i];
    e = Enemy{};
    e.flags = f_in_use;
    e.kind = static_cast<std::int16_t>(kind);
    e.colour = 0x808080;
    ++enemy_count;
    return &e;
  }
  res::debug_log("***WARNING*** Not enough enemy-slots!\n");
  return nullptr;
}

void enemy_free(Enemy& e) {
  if (e.flags == 0) return;  // freeing twice must not lower the counters twice
  if (e.kind == kind_flying_chicken) round.live_chickens -= 1;
  e.flags = 0;
  --enemy_count;
}

Enemy* enemy_next_of_kind(int kind, int* cursor) {
  int i = cursor ? *cursor : 0;
  if (i < 0) i = 0;
  for (; i < enemy_slots; ++i) {
    if (enemies[i].kind == kind && enemies[i].flags != 0) {
      if (cursor) *cursor = i + 1;
      return &enemies[i];
    }
  }
  if (cursor) *cursor = enemy_slots;
  return nullptr;
}

int enemy_index(const Enemy& e) { return static_cast<int>(&e - enemies); }

void set_pos(Enemy& e, std::int32_t x, std::int32_t y) {
  e.x = x;
  e.y = y;
}

void set_depth(Enemy& e, int depth) { e.depth = static_cast<std::int16_t>(depth); }

void set_anim(Enemy& e, int anim, int frame) {
  e.anim = static_cast<std::int16_t>(anim);
  e.frame = static_cast<std::int16_t>(frame << 8);
  e.anim_speed = 84;
}

void set_hitbox(Enemy& e, int x, int y, int w, int h) {
  e.hit_x = static_cast<std::int16_t>(x);
  e.hit_y = static_cast<std::int16_t>(y);
  e.hit_w = static_cast<std::int16_t>(w);
  e.hit_h = static_cast<std::int16_t>(h);
}

}  // namespace qzx
