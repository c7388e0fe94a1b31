// SPDX-License-Identifier: GPL-3.0-or-later
// The trampoline behind the fence: now and then a chicken bounces up from it on a half sine and
// drops back out of sight. A hit turns it into a stunned chicken that finishes the jump; shots
// during the rest of that jump are caught but do nothing more.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/trig_tables.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\trambo");
constexpr int hit_sprite = gfx::find_sprite("data\\gfx2\\trambodead");
constexpr int x = 330;
constexpr int low_y = 200;       // the lowest point of the jump
constexpr int height = 180;      // how far the jump peaks above it
constexpr std::int32_t jump_end = 134217728;  // 2048 << 16: the phase after 1.5 s
static_assert(jump_end == trig::half_sine_steps << 16, "the jump runs over the half sine's steps");
constexpr int bounce_speed = 30;
constexpr int points = 50;
constexpr int event = 80;

constexpr int state_hidden = 0;
constexpr int state_jumping = 1;
constexpr int state_stunned = 2;  // hit: the jump runs on

// Record use: timer = the wait while hidden; data0 = the jump's phase.

void hide(Enemy& e) {
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
}

void jump_step(Enemy& e) {
  e.data0 += static_cast<std::int32_t>(static_cast<std::int64_t>(4096) * app::frame_time / 3);
  if (e.data0 >= jump_end) {
    hide(e);
    e.state = state_hidden;
    e.timer = random_tenths(20, 80);  // 2.0 to 9.9 s
    set_anim(e, sprite, 0);
    e.y = low_y << 16;
    return;
  }
  // The rise in 16.16: the height times the half sine (2.30) of the phase.
  const std::int64_t up = height * std::int64_t{trig::half_sine_at(e.data0)} >> 14;
  e.y = static_cast<std::int32_t>((std::int64_t{low_y} << 16) - up);
  anim_advance(e, false);
}

void trampoline_update(Enemy& e) {
  if (e.state != state_hidden) {
    jump_step(e);
    return;
  }
  hide(e);
  e.timer -= app::frame_time;
  if (e.timer > 0) return;
  e.state = state_jumping;
  e.data0 = 0;
  set_anim(e, sprite, 0);
  e.anim_speed = bounce_speed;
  e.flags |= f_visible | f_shootable | f_pixel_test;
  sound::play_sound(sound::sfx_trampolin);
}

void trampoline_hit(Enemy& e) {
  if (e.state != state_jumping) return;
  e.state = state_stunned;
  set_anim(e, hit_sprite, 0);
  score_event(e, points, event);
  chicken_cry();
}

}  // namespace

void spawn_trampoline() {
  Enemy* e = enemy_alloc(kind_scenery);
  if (!e) return;
  set_depth(*e, 1);
  e->scale = 1;
  set_pos(*e, x << 16, low_y << 16);
  set_anim(*e, sprite, 0);
  e->state = state_hidden;
  e->timer = random_tenths(20, 100);  // 2.0 to 11.9 s
  e->update = trampoline_update;
  e->on_hit = trampoline_hit;
}

}  // namespace qzx
