// SPDX-License-Identifier: GPL-3.0-or-later
// The ghost of the open grave: every 14 to 16 s it fades in over the grave, rises out of the
// screen swaying from side to side and moaning. Hits push it sideways; the fourteenth lays it
// to rest for good.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/trig_tables.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\ghost");
constexpr int dead_sprite = gfx::find_sprite("data\\gfx2\\ghostdead");
constexpr int start_x = 325, start_y = 424;
constexpr int gone_above = -160;
constexpr std::int32_t opaque = 65536;
constexpr std::int32_t fade_in = 100000;       // alpha per second
constexpr std::int32_t shootable_alpha = 32000;
constexpr std::int32_t rise = 7500000;         // 16.16 px per second, about 114.4
constexpr double sway = 18.75 * 65536;         // 16.16 px either side of home x
constexpr int sway_steps = 4096;                // a full sway
constexpr auto sway_offsets = trig::scaled_sines<sway_steps>(sway);
constexpr int sway_divisor = 22;               // the phase grows by frame time / 22 (2π/4096)
constexpr std::int32_t push = 100000;
constexpr int push_gain = 3000;
constexpr int push_damping = 40;
constexpr int loop_speed = 64;
constexpr int moan_frame = 5;                  // the moan sounds as the loop leaves it
constexpr int hits_to_kill = 14;
constexpr int points = 150;
constexpr int event = 31;

constexpr int state_waiting = 0;
constexpr int state_out = 1;
constexpr int state_dying = 2;

// Record use: timer = the wait; counter = hits taken; data0 = sway phase; data1 = drift.
int ghost_slot = -1;

std::int32_t per_second(std::int32_t v) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(v) * app::frame_time / 65536);
}

void hide(Enemy& e) {
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test | f_tinted));
}

void come_out(Enemy& e) {
  e.state = state_out;
  set_pos(e, start_x << 16, start_y << 16);
  e.home_x = e.x;
  e.home_y = e.y;
  e.alpha = 0;
  e.data0 = 0;
  e.data1 = 0;
  e.flags |= f_visible | f_tinted;
  set_anim(e, sprite, 0);
  e.anim_speed = loop_speed;
  grave_light_up();
}

// The drift a hit gave moves home x and dies away quickly.
void drift_step(Enemy& e) {
  if (e.data1 == 0) return;
  e.home_x += per_second(e.data1) * push_gain;
  const std::int32_t loss = static_cast<std::int32_t>(
      static_cast<std::int64_t>(push_damping) * e.data1 * app::frame_time / 65536);
  const std::int32_t rest = e.data1 - loss;
  e.data1 = (rest > 0) == (e.data1 > 0) ? rest : 0;  // stops at 0, never turns round
}

void out_step(Enemy& e) {
  if (e.flags & f_tinted) {
    e.alpha += per_second(fade_in);
    if (e.alpha >= opaque) {
      e.alpha = opaque;
      e.flags &= static_cast<std::uint16_t>(~f_tinted);
    }
  }
  if (e.alpha > shootable_alpha) e.flags |= f_shootable | f_pixel_test;
  e.y -= per_second(rise);
  drift_step(e);
  e.data0 += app::frame_time / sway_divisor;
  e.x = e.home_x + sway_offsets[static_cast<std::uint32_t>(e.data0) % sway_steps];
  const int before = frame_number(e);
  anim_advance(e, false);
  if (before == moan_frame && frame_number(e) != moan_frame) sound::play_sound(sound::sfx_ghost);
  if ((e.y >> 16) < gone_above) {
    hide(e);
    e.state = state_waiting;
  }
}

void ghost_update(Enemy& e) {
  if (e.state == state_dying) {
    if (anim_advance(e, true)) enemy_free(e);
    return;
  }
  e.timer -= app::frame_time;
  if (e.timer <= 0) {
    e.timer = random_tenths(140, 20);  // 14.0 to 15.9 s
    if (e.state == state_waiting && grave_open()) come_out(e);
  }
  if (e.state == state_out) out_step(e);
}

void ghost_hit(Enemy& e) {
  if (e.state != state_out) return;
  if (++e.counter < hits_to_kill) {
    const int home = e.home_x >> 16;
    e.data1 = home > 325 || (home > 124 && res::random(2) == 1) ? -push : push;
    return;
  }
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.state = state_dying;
  set_anim(e, dead_sprite, 0);
  e.anim_speed = loop_speed;
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_ghost);
}

}  // namespace

void spawn_ghost() {
  Enemy* e = enemy_alloc(kind_scenery);
  ghost_slot = slot_of(e);
  if (!e) return;
  set_depth(*e, 0);
  set_pos(*e, start_x << 16, start_y << 16);
  set_anim(*e, sprite, 0);
  e->state = state_waiting;
  e->timer = random_tenths(60, 60);  // 6.0 to 11.9 s
  e->update = ghost_update;
  e->on_hit = ghost_hit;
}

void ghost_set_wait(std::int32_t wait) {
  if (Enemy* e = target_in_slot(ghost_slot, ghost_update)) e->timer = wait;
}

}  // namespace qzx
