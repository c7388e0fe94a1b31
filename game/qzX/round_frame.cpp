// SPDX-License-Identifier: GPL-3.0-or-later
// The in-game frame, step by step.
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/reload_hint.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/text/font.h"

namespace qzx {

namespace {

constexpr std::int32_t scroll_accel = 2500;       // px/s per second, 16.16 per frame: 2500 dt
constexpr std::int32_t scroll_brake = 1500;
constexpr std::int32_t max_scroll_speed = 26214400;  // 400 px/s
constexpr std::int32_t bee_fade_per_second = 2000;

std::int32_t per_second(std::int64_t v) {
  return static_cast<std::int32_t>(v * app::frame_time / 65536);
}

void set_elapsed() {
  const std::int32_t e = (round.full_round_time - app::round_time) / 655;
  elapsed_hundredths = (e < 0 || e > 9200) ? 9999 : e;
}

void bee_buzz_fade() {
  if (round.bee_buzz <= 0) return;
  round.bee_buzz -= app::frame_time;
  round.bee_volume -= per_second(bee_fade_per_second);
  if (round.bee_volume < 0) round.bee_volume = 0;
  if (round.bee_buzz <= 0) {
    round.bee_buzz = 0;
    sound::stop_sound(sound::sound_bee_loop);
    return;
  }
  sound::set_sound_volume(sound::sound_bee_loop, round.bee_volume);
}

}  // namespace

void scroll_step(const FrameInput& in) {
  const std::int32_t dt = app::frame_time;
  std::int32_t& speed = round.scroll_speed;
  if (in.cursor_x == 0 || in.left) {
    round.scroll_factor = (in.cursor_x == 0 && in.left) ? 2 : 1;
    speed = (speed < 0 ? speed : 0) - scroll_accel * dt;
  } else if (in.cursor_x == 799 || in.right) {
    round.scroll_factor = (in.cursor_x == 799 && in.right) ? 2 : 1;
    speed = (speed > 0 ? speed : 0) + scroll_accel * dt;
  } else if (speed < 0) {
    speed += scroll_brake * dt;
    if (speed > 0) speed = 0;
  } else if (speed > 0) {
    speed -= scroll_brake * dt;
    if (speed < 0) speed = 0;
  }
  if (speed > max_scroll_speed) speed = max_scroll_speed;
  if (speed < -max_scroll_speed) speed = -max_scroll_speed;
  std::int64_t scroll = round.scroll + static_cast<std::int64_t>(round.scroll_factor) * speed * dt / 65536;
  const std::int64_t right = static_cast<std::int64_t>(gfx::layers[1].width - 800) << 16;
  if (scroll > right) scroll = right;
  if (scroll < 0) scroll = 0;
  round.scroll = static_cast<std::int32_t>(scroll);
}

void spawn_step() {
  const bool first_scene = app::scene != 2;
  if (first_scene) {
    if (app::edition != app::edition_xs && round.live_chickens > 6) round.spawn_range = 9;
  } else if (round.live_chickens > 2) {
    round.spawn_range = 9;
  }
  round.spawn_timer -= app::frame_time;
  if (round.spawn_timer >= 1) return;
  round.spawn_timer = ((res::random(round.spawn_range) + 2) << 16) / 10;
  const std::int32_t e = chicken_spawn_table[res::random(32)];
  if (!first_scene) {
    if (res::random(6) == 0) spawn_flying_far();
    return;
  }
  switch (e) {
    case 0:
    case 1:
      spawn_flying(-1);
      break;
    case 2:
      if (app::edition != app::edition_xs) spawn_side_runner();
      break;
    case 3:
      spawn_field_runner();
      break;
  }
}

namespace {

void shell_update(Enemy& e) {
  const std::int32_t dt = app::frame_time;
  e.x += static_cast<std::int32_t>(static_cast<std::int64_t>(e.vx) * 60 * dt / 65536);
  e.y += static_cast<std::int32_t>(static_cast<std::int64_t>(e.vy) * 60 * dt / 65536);
  e.vy += static_cast<std::int32_t>(static_cast<std::int64_t>(dt) * 753664 / 65536);
  anim_advance(e, false);
  const int x = e.x >> 16;
  if (x > 800 || x < -50) {
    enemy_free(e);
    return;
  }
  gfx::draw_sprite(spr_shell, e.frame >> 8, x, e.y >> 16, 0, 0x100, 0);
}

void eject_shell(int cartridges_before) {
  Enemy* e = enemy_alloc(kind_shell);
  if (!e) return;
  set_pos(*e, (744 - 24 * cartridges_before) << 16, 520 << 16);
  set_anim(*e, spr_shell, 0);
  e->depth = 0;
  e->vx = 196608;
  e->vy = -327680;
  e->update = shell_update;
}

void left_click() {
  if (round.megagun_state == 1) {
    fire_megagun();
    return;
  }
  if (round.megagun_state == 2) return;
  Player& p = players[0];
  if (p.cartridges == 0) {
    sound::play_sound(sound::sound_empty_magazine);
    count_empty_click();
    return;
  }
  const std::int32_t before = p.cartridges;
  p.cartridges -= 1;
  eject_shell(before);
  sound::play_sound(sound::sound_gunblast);
  count_shot();
}

void right_click() {
  if (round.megagun_state == 1 || round.megagun_state == 2) return;
  Player& p = players[0];
  if (p.cartridges != 0) {
    const bool above_zero = score() > 0;
    add_points(-5);
    if (above_zero) record_event(50001);
  }
  p.cartridges = p.magazine_size;
  sound::play_sound(sound::sound_gun_reload);
  count_reload();
}

void draw_key() {
  const int n = gfx::frame_count(spr_key);
  if (n <= 0) return;
  round.key_frame += per_second(5000);  // 5000/256 frames a second
  round.key_frame %= n * 256;
  gfx::draw_sprite(spr_key, round.key_frame >> 8, -5, 515, 0, 0, 0);
}

bool switches_to_second_scene() {
  return app::edition == app::edition_xxl && app::scene == 1 && round.gate_open &&
         round.sign_turned && score() > 899;
}

RoundOutcome end_of_round() {
  if (switches_to_second_scene()) {
    record_event(50002);
    stop_round_sounds();
    sound::play_sound(sound::sound_game_start);
    app::scene = 2;
    round_setup(true);
    gfx::start_transition(1);
    return RoundOutcome::scene_switched;
  }
  record_finish();
  stop_round_sounds();
  return RoundOutcome::game_over;
}

}  // namespace

RoundOutcome round_frame(const FrameInput& input) {
  const bool first_scene = app::scene != 2;
  const std::int32_t dt = app::frame_time;
  score();  // the guard: a score changed from outside ends the program here

  // 1-3: elapsed time, input, the frame log and the ten-second tick.
  set_elapsed();
  const bool time_over = app::round_time < 1;
  players[0].cursor_x = round.cursor_x = input.cursor_x;
  players[0].cursor_y = round.cursor_y = input.cursor_y;
  record_frame(dt, pack_input(input.cursor_x, input.cursor_y, input.left, input.right,
                              input.click, input.right_click, app::round_time));
  note_round_clock(app::round_time);
  record_tick();

  // 4-7: the chicken call's pause, the snail, the bee buzz, scrolling.
  round.call_cooldown -= dt;
  if (first_scene) {
    round.snail_timer += dt;
    snail_patience_step();
  }
  bee_buzz_fade();
  if (first_scene) scroll_step(input);

  // 8-13: the picture and the objects.
  gfx::clear_draw_list();
  gfx::draw_cursor(0);
  gfx::set_scroll(round.scroll >> 16);
  gfx::draw_extra_animations();
  for (int i = 0; i < players[0].cartridges; ++i)
    gfx::draw_sprite(spr_cartridge, 0, 720 - 24 * i, 520, 0, 0x100, 0);
  if (round.megagun_present) megagun_control();
  // A shot is pending when the button went down and there is a cartridge in the gun; the
  // megagun arriving in this frame has emptied it already.
  round.shot_pending = input.click && players[0].cartridges > 0;
  shake_step();
  if (first_scene) bee_swarm_step();
  update_enemies();
  update_particles();
  if (round.megagun_state != 2) multi_hit_check();

  // 15-18: the display.
  round.shown_time = app::round_time > 0 ? app::round_time : 0;
  text::draw_round_time(round.shown_time);
  if (round.key_held) draw_key();
  text::draw_score(0, score());
  draw_reload_hint(input.click);
  const std::int32_t whole = app::round_time >> 16;
  if (whole <= 10 && whole != round.previous_whole_seconds)
    sound::play_sound(sound::sound_time_running);
  round.previous_whole_seconds = whole;

  // 19-22: chickens, the shot, the buttons.
  spawn_step();
  if (round.megagun_state != 1) resolve_shot();
  if (input.click) left_click();
  if (input.right_click) right_click();

  // 23-25: the layers, the jingle, the end.
  if (first_scene)
    gfx::update_layers();
  else
    gfx::draw_scene2_layers();
  if (app::edition == app::edition_xxl && first_scene) {
    if (score() >= 900 && !round.level2_jingle) {
      sound::play_sound(sound::sound_level2_score);
      round.level2_jingle = true;
    }
    if (score() < 900) round.level2_jingle = false;
  }
  if (time_over) return end_of_round();
  return RoundOutcome::running;
}

}  // namespace qzx
