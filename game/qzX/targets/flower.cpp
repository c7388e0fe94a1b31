// SPDX-License-Identifier: GPL-3.0-or-later
// The flower in the front grass: now and then a chicken rises in it, blinks a while (the only
// time it can be shot) and sinks again.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_up_down = gfx::find_sprite("data\\gfx\\flower_up_down");
constexpr int spr_blink = gfx::find_sprite("data\\gfx\\flower_blink");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\flower_die");
constexpr int flower_x = 1209, flower_y = 478, flower_depth = 0;

constexpr int points = 25;
constexpr int event_hit = 55;
constexpr int rise_speed = 51;
constexpr int blink_speed = 64;
constexpr int die_speed = 64;
// The wait before the next chicken: 12.0 .. 21.9 s.
constexpr int wait_base = 120, wait_range = 100;
// The blinking: the whole blink animation twice (entries are frame + 1).
constexpr std::int16_t blink_frames[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -1};

int last_frame(int sprite) {
  const int n = gfx::frame_count(sprite);
  return n > 0 ? n - 1 : 0;
}

enum : std::int16_t { hidden = 0, rising = 1, blinking = 2, sinking = 3, dying = 4 };

void hide(Enemy& e) {
  e.state = hidden;
  set_anim(e, spr_up_down, 0);
  e.anim_speed = 0;
  e.flags &= static_cast<std::uint16_t>(~f_shootable);
  e.timer = random_tenths(wait_base, wait_range);
}

void flower_update(Enemy& e) {
  switch (e.state) {
    case hidden:
      e.timer -= app::frame_time;
      if (e.timer <= 0) {
        chicken_call();
        e.anim_speed = rise_speed;
        e.state = rising;
      }
      break;
    case rising:
      if (anim_advance(e, true)) {
        e.state = blinking;
        set_anim(e, spr_blink, 0);
        e.anim_speed = blink_speed;
        e.seq_pos = 0;
        e.flags |= f_shootable;
      }
      break;
    case blinking:
      if (anim_sequence(e, blink_frames, true)) {
        e.state = sinking;
        set_anim(e, spr_up_down, last_frame(spr_up_down));
        e.anim_speed = -rise_speed;
        e.flags &= static_cast<std::uint16_t>(~f_shootable);
      }
      break;
    case sinking:
    case dying:
      if (anim_advance(e, true)) hide(e);
      break;
  }
}

void flower_hit(Enemy& e) {
  if (e.state != blinking) return;
  score_event(e, points, event_hit);
  sound::play_sound(sound::sfx_hit1);
  chicken_cry();
  e.state = dying;
  set_anim(e, spr_die, 0);
  e.anim_speed = die_speed;
  e.flags &= static_cast<std::uint16_t>(~f_shootable);
}

}  // namespace

void spawn_flower() {
  Enemy* e = spawn_target(kind_scenery, spr_up_down, flower_x, flower_y, flower_depth);
  if (!e) return;
  e->update = flower_update;
  e->on_hit = flower_hit;
  hide(*e);
}

}  // namespace qzx
