// SPDX-License-Identifier: GPL-3.0-or-later
// The apple the snail is after. It shows the snail's bites as they are taken; shot, it bursts
// (-10) and is gone, and a snail that was eating it idles again.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_apple = 23;
constexpr int apple_x = 1623, apple_y = 473;
// Each sprite takes one more bite out of the apple: the whole apple, then one to three bites.
constexpr int spr_bite[4] = {
    gfx::find_sprite("data\\gfx\\applea"), gfx::find_sprite("data\\gfx\\appleb"),
    gfx::find_sprite("data\\gfx\\applec"), gfx::find_sprite("data\\gfx\\appled")};
constexpr int spr_burst = gfx::find_sprite("data\\gfx\\appleshoot");
constexpr std::int16_t bite_speed = 19;   // a bite in about the time the snail chews it
constexpr std::int16_t burst_speed = 84;

enum State : std::int16_t { hanging = 0, burst = 1 };

// Fields: data1 = bites shown.

void apple_update(Enemy& e) {
  if (e.state == burst) {
    if (anim_advance(e, true)) enemy_free(e);
    return;
  }
  const int taken = snail_bites();
  if (taken > e.data1 && taken <= 4) {
    e.data1 = taken;
    set_anim(e, spr_bite[taken - 1], 0);
    e.anim_speed = bite_speed;
  }
  anim_advance(e, true);
}

void apple_hit(Enemy& e) {
  if (e.state != hanging) return;
  score_event(e, -10, 38);
  sound::play_sound(sound::sfx_hit1);
  set_anim(e, spr_burst, 0);
  e.anim_speed = burst_speed;
  e.state = burst;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_apple() {
  Enemy* e = spawn_target(kind_apple, spr_bite[0], apple_x, apple_y, 1);
  if (!e) return;
  e->update = apple_update;
  e->on_hit = apple_hit;
}

const Enemy* find_apple() {
  const Enemy* e = enemy_next_of_kind(kind_apple);
  return e && e->state == hanging ? e : nullptr;
}

}  // namespace qzx
