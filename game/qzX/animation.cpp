// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdint>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/resources/log.h"

namespace qzx {

namespace {
// The distance a per-tick speed covers in this frame (a tick is 1/60 s), truncated.
std::int32_t per_tick_step(std::int32_t speed) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(speed) * 60 * app::frame_time / 65536);
}
}  // namespace

int sprite_row(const Enemy& e) {
  int row = e.anim;
  if (e.flags & f_scaled) {
    if (e.scale == 2) row += 1;
    else if (e.scale == 3) row += 2;
    else if (e.scale == 4) row += 3;
  }
  if (e.flags & f_mirrored) row += 4;
  return row;
}

int draw_flags(const Enemy& e) {
  int flags = 0;
  if (e.flags & f_mirrored) flags |= 0x1;
  if (e.flags & f_z_front) flags |= 0x100;
  if (e.flags & f_z_behind) flags |= 0x200;
  if (e.flags & f_behind_layer) flags |= 0x2000;
  if (e.flags & f_z_behind2) flags |= 0x400;
  if (e.flags & f_z_front2) flags |= 0x1000;
  return flags;
}

int draw_size(const Enemy& e) {
  if (!(e.flags & f_scaled)) return 0;
  switch (e.scale) {
    case 2: return 128;
    case 3: return 64;
    case 4: return 32;
    default: return 256;
  }
}

int screen_x(const Enemy& e) { return (e.x >> 16) - gfx::layer_offset(e.depth); }

bool anim_advance(Enemy& e, bool hold) {
  std::int32_t frame = e.frame + per_tick_step(e.anim_speed);
  const std::int32_t n = gfx::frame_count(sprite_row(e));
  bool ended = false;
  if (e.anim_speed > 0 && frame >= n * 256) {
    frame = hold ? (n - 1) * 256 : 0;
    ended = true;
  } else if (e.anim_speed <= 0 && frame < 0) {
    frame = hold ? 0 : (n - 1) * 256;
    ended = true;
  }
  if (frame < 0) frame = 0;  // a sprite without frames
  e.frame = static_cast<std::int16_t>(frame);
  return ended;
}

bool anim_sequence(Enemy& e, const std::int16_t* list, bool hold) {
  // The last valid entry; an empty list (only its -1) ends at once on entry 0, and nothing past
  // its end is read.
  int last = 0;
  while (list[last] != -1 && list[last + 1] != -1) ++last;
  int pos = e.seq_pos >> 8;
  e.seq_pos += per_tick_step(e.anim_speed);
  const int target = e.seq_pos >> 8;
  bool ended = false;
  // Walk one step at a time, so an end in the middle of a long step is not jumped over.
  while (pos != target && !ended) {
    if (target > pos) {
      if (pos >= last) {
        e.seq_pos = hold ? last << 8 : 0;
        ended = true;
      } else {
        ++pos;
      }
    } else {
      if (pos <= 0) {
        e.seq_pos = hold ? 0 : last << 8;
        ended = true;
      } else {
        --pos;
      }
    }
  }
  int index = e.seq_pos >> 8;
  if (index < 0) index = 0;
  if (index > last) index = last;
  const int shown = list[index] - 1;
  e.frame = static_cast<std::int16_t>(list[index] * 256 - 1);
  if (shown < 0 || shown >= gfx::frame_count(sprite_row(e)))
    res::debug_log("Error, illegal frame-num!\n");
  return ended;
}

}  // namespace qzx
