// SPDX-License-Identifier: GPL-3.0-or-later
// The beekeeper and the bee swarm. The beekeeper, a chicken holding a hive on a pole, runs a
// cycle: hand up, turn, knock on the hive (bees come out), hand down, rest. Once nearly 60 bees
// are out, or when the hive is shot, the swarm attacks: it closes in on the player's aim and
// 5 s later stings, knocking the aim aside. Shooting the beekeeper kills it; its bees then leave
// one by one, and a new beekeeper takes over once the view has been away for 10 s.
//
// The bees are not objects: the swarm is a table of its own, moved and drawn by
// bee_swarm_step every frame. Their paths are only drawn; the logic counts them.
#include <cmath>
#include <numbers>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/qzX/trig_tables.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"
#include "game/text/texts.h"
#include "platform/platform.h"

namespace qzx {

namespace {

constexpr int spr_hand_up = gfx::find_sprite("data\\gfx\\beehive_handup");
constexpr int spr_hand_down = gfx::find_sprite("data\\gfx\\beehive_handdown");
constexpr int spr_knock = gfx::find_sprite("data\\gfx\\beehive_knock");
constexpr int spr_turn = gfx::find_sprite("data\\gfx\\beehive_turn");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\beehive_die");
constexpr int spr_bee = gfx::find_sprite("data\\gfx\\bee");
constexpr gfx::ArtAnchor keeper_place = *gfx::find_art_anchor("data\\gfx\\beehive_handup");
// The hive, relative to the beekeeper's position; its middle is where bees come from.
constexpr Spot hive = {5, 0, 31, 28};
constexpr int hive_mid_x = (hive.x0 + hive.x1) / 2, hive_mid_y = (hive.y0 + hive.y1) / 2;

constexpr int keeper_anim_speed = 64;
constexpr int die_anim_speed = 51;
constexpr std::int32_t wait_after_hand_up = 26214;  // 0.4 s
constexpr std::int32_t wait_after_turn = 91750;     // 1.4 s
constexpr std::int32_t wait_before_hand_down = 19660;  // 0.3 s
constexpr std::int32_t rest_time = 131072;          // 2.0 s
constexpr std::int32_t bee_release_step = 7208;     // 0.11 s of knocking: three bees
constexpr int bees_per_step = 3;
constexpr int attack_threshold = 58;                 // more than this many out after a knock
constexpr std::int32_t leave_step = 13107;           // 0.2 s between leaving bees
constexpr int away_scroll = 450;                     // the view is away from the beekeeper
constexpr std::int32_t new_keeper_time = 655360;    // 10 s of it

constexpr int max_bees = 60;
constexpr int hive_shot_bees = 50;
constexpr std::int32_t sting_time = 0x50000;  // 5 s
constexpr std::int32_t attack_phase_step = 1966;
constexpr int attack_offset_range = 1000;     // x offsets -500 .. 499
constexpr int swell_per_second = 300;
constexpr int max_loop_volume = 9999;
constexpr int loop_volume_per_bee = 33;
constexpr int loop_volume_base = 7633;        // as a bee comes out
constexpr int leaving_volume_base = 7600;     // as bees leave
constexpr std::int32_t buzz_fade_time = 262144;  // 4 s

constexpr std::int32_t sting_shake = 52428;  // 0.8 s
constexpr int sting_text = 12, sting_text_y = 270;
constexpr int sting_points = -50, sting_event = 92;
constexpr int throw_distance = 70;
constexpr trig::CircleOffsets sting_throw = trig::circle_offsets(throw_distance);
constexpr int aim_left = 1, aim_right = 798, aim_top = 0, aim_bottom = 599;

// The beekeeper's points by the bees out: 0..15, 16..31, 32..47, 48 or more; while the bees
// attack, always the first.
struct KillPoints {
  int points, event;
};
constexpr KillPoints kill_points[4] = {{5, 93}, {15, 94}, {25, 95}, {35, 96}};

// Beekeeper states. Within a state, `data1` tells whether its animation still plays (0) or its
// wait runs (1).
enum : std::int16_t {
  hand_up = 0,
  turning = 2,
  knocking = 4,
  hand_down = 5,
  resting = 7,
  dying = 8,
  bees_leaving = 9,
  gone = 10,
};

// One bee: where it wobbles around the hive (offsets in px, amplitudes in px, phases in
// thousandths of a radian and their speeds per second), how long it has been out, and its
// place in an attack.
struct Bee {
  int centre_x, centre_y;
  int amp_x, amp_y;
  std::int32_t phase_x, phase_y;
  std::int32_t speed_x, speed_y;
  std::int32_t age;
  std::int32_t attack_phase;
  int attack_offset;
};

struct Swarm {
  Bee bees[max_bees];
  int count;
  std::int32_t sting_countdown;
  std::int32_t attack_time;  // since the attack started
  int volume;                // the bee loop's volume
  int hive_x, hive_y;        // layer-1 pixels
};
Swarm swarm;

constexpr std::int32_t milliradians = 6283;

std::int32_t per_frame_of(std::int64_t per_second) {
  return static_cast<std::int32_t>(per_second * app::frame_time / 65536);
}

void set_loop_volume(int volume) {
  swarm.volume = volume;
  sound::set_sound_volume(sound::sfx_bee_loop, volume);
}

// A new bee comes out of the hive, unless 60 are out or the swarm attacks.
void release_bee() {
  if (swarm.count >= max_bees || round.bees_attacking) return;
  set_loop_volume(loop_volume_per_bee * swarm.count + loop_volume_base);
  round.bee_buzz = 0;  // a fading buzz comes back
  if (!sound::sound_is_playing(sound::sfx_bee_loop)) sound::play_sound_looped(sound::sfx_bee_loop);
  Bee& b = swarm.bees[swarm.count++];
  b = {};
  b.centre_x = res::random(120) - 60;
  b.centre_y = res::random(70) - 45;
  b.amp_x = res::random(30) + 10;
  b.amp_y = res::random(20) + 5;
  b.phase_x = res::random(milliradians);
  b.phase_y = res::random(milliradians);
  b.speed_x = res::random(3000) + 2000;
  b.speed_y = res::random(3000) + 2000;
}

void release_bees(int n) {
  for (int i = 0; i < n; ++i) release_bee();
}

void start_attack() {
  round.bees_attacking = true;
  swarm.sting_countdown = sting_time;
  swarm.attack_time = 0;
  for (int i = 0; i < swarm.count; ++i) {
    swarm.bees[i].attack_phase = attack_phase_step * i;
    swarm.bees[i].attack_offset = res::random(attack_offset_range) - attack_offset_range / 2;
  }
}

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// The sting knocks the aim 70 px aside in a random direction, the system pointer with it.
void throw_aim() {
  const int step = res::random(trig::turn_steps);
  const int x = clamp(round.cursor_x + sting_throw.x[step], aim_left, aim_right);
  const int y = clamp(round.cursor_y + sting_throw.y[step], aim_top, aim_bottom);
  round.cursor_x = players[0].cursor_x = app::cursor_x = x;
  round.cursor_y = players[0].cursor_y = app::cursor_y = y;
  // A round run without a picture (a replay, the server's check) has no pointer to move.
  if (gfx::drawing()) plat::warp_pointer(x, y);
}

void sting() {
  static constexpr int sounds[3] = {sound::sfx_bee_hit1, sound::sfx_bee_hit2, sound::sfx_bee_hit3};
  sound::play_sound(sounds[res::random(3)]);
  shake(sting_shake);
  bonus_text(text::get_text(sting_text), sting_text_y);
  add_points(sting_points);
  record_event(sting_event);
  throw_aim();
  swarm.count = 0;
  round.bees_attacking = false;
  round.bee_buzz = buzz_fade_time;
  round.bee_volume = swarm.volume;
}

// A bee around the hive, in screen pixels.
void bee_at_hive(const Bee& b, int& x, int& y) {
  // Just out of the hive, a bee moves out to its place over its first half second.
  const std::int32_t out = b.age < 32768 ? b.age : 32768;
  const double wobble_x = b.centre_x + b.amp_x * std::sin(b.phase_x / 1000.0);
  const double wobble_y = b.centre_y + b.amp_y * std::sin(b.phase_y / 1000.0);
  x = swarm.hive_x - gfx::layer_offset(1) + static_cast<int>(wobble_x * out / 32768);
  y = swarm.hive_y + static_cast<int>(wobble_y * out / 32768);
}

// An attacking bee closes in on the aim: its offset and its circle shrink as the sting nears.
void bee_attacking(const Bee& b, int& x, int& y) {
  const double left = static_cast<double>(swarm.sting_countdown > 0 ? swarm.sting_countdown : 0) / sting_time;
  const double angle = (b.attack_phase + swarm.attack_time) * 6.0 / 65536;
  const double radius = 20 + 60 * left;
  const int ax = round.cursor_x + static_cast<int>(b.attack_offset * left + radius * std::cos(angle));
  const int ay = round.cursor_y + static_cast<int>(radius * 0.6 * std::sin(angle));
  // Out of the swarm and onto the aim over the attack's first half second.
  int hx, hy;
  bee_at_hive(b, hx, hy);
  const std::int32_t mix = swarm.attack_time < 32768 ? swarm.attack_time : 32768;
  x = hx + static_cast<int>(static_cast<std::int64_t>(ax - hx) * mix / 32768);
  y = hy + static_cast<int>(static_cast<std::int64_t>(ay - hy) * mix / 32768);
}

void move_and_draw_bees() {
  for (int i = 0; i < swarm.count; ++i) {
    Bee& b = swarm.bees[i];
    b.age += app::frame_time;
    b.phase_x = (b.phase_x + per_frame_of(b.speed_x)) % milliradians;
    b.phase_y = (b.phase_y + per_frame_of(b.speed_y)) % milliradians;
    int x, y;
    if (round.bees_attacking) {
      bee_attacking(b, x, y);
      gfx::draw_sprite(spr_bee, 0, x, y, 0, 0x1000, 0);  // in front of everything
    } else {
      bee_at_hive(b, x, y);
      gfx::draw_sprite(spr_bee, 0, x, y, 1, 0x100, 0);
    }
  }
}

void new_cycle(Enemy& e) {
  e.state = hand_up;
  e.data1 = 0;
  set_anim(e, spr_hand_up, 0);
  e.anim_speed = keeper_anim_speed;
}

void play(Enemy& e, std::int16_t state, int sprite) {
  e.state = state;
  e.data1 = 0;
  set_anim(e, sprite, 0);
  e.anim_speed = keeper_anim_speed;
}

// The animation plays to its end, then the wait runs; true when the wait is over.
bool play_then_wait(Enemy& e, std::int32_t wait) {
  if (e.data1 == 0) {
    if (anim_advance(e, true)) {
      e.data1 = 1;
      e.timer = wait;
    }
    return false;
  }
  e.timer -= app::frame_time;
  return e.timer <= 0;
}

void keeper_update(Enemy& e) {
  switch (e.state) {
    case hand_up:
      if (play_then_wait(e, wait_after_hand_up)) play(e, turning, spr_turn);
      break;
    case turning:
      if (play_then_wait(e, wait_after_turn)) {
        play(e, knocking, spr_knock);
        sound::play_sound(sound::sfx_beehive_stick);
        e.counter = 0;
      }
      break;
    case knocking:
      e.counter += app::frame_time;
      while (e.counter >= bee_release_step) {
        e.counter -= bee_release_step;
        release_bees(bees_per_step);
      }
      if (anim_advance(e, true)) {
        ++e.data0;  // knocks
        if (swarm.count > attack_threshold && !round.bees_attacking) start_attack();
        e.state = hand_down;
        e.data1 = 0;
        e.timer = wait_before_hand_down;
      }
      break;
    case hand_down:
      if (e.data1 == 0) {
        e.timer -= app::frame_time;
        if (e.timer <= 0) {
          set_anim(e, spr_hand_down, 0);
          e.anim_speed = keeper_anim_speed;
          e.data1 = 1;
        }
      } else if (anim_advance(e, true)) {
        e.state = resting;
        e.timer = rest_time;
      }
      break;
    case resting:
      e.timer -= app::frame_time;
      if (e.timer <= 0) new_cycle(e);
      break;
    case dying:
      if (anim_advance(e, true)) {
        e.state = bees_leaving;
        e.timer = leave_step;
      }
      break;
    case bees_leaving:
      if (swarm.count > 0) {
        e.timer -= app::frame_time;
        if (e.timer > 0) break;
        e.timer += leave_step;
        --swarm.count;
        if (!round.bees_attacking) set_loop_volume(loop_volume_per_bee * swarm.count + leaving_volume_base);
        if (swarm.count > 0) break;
      }
      if (round.bee_buzz <= 0) sound::stop_sound(sound::sfx_bee_loop);
      e.state = gone;
      e.timer2 = 0;
      break;
    case gone:
      if ((round.scroll >> 16) < away_scroll) break;
      e.timer2 += app::frame_time;
      if (e.timer2 >= new_keeper_time) {
        new_cycle(e);
        e.flags |= f_shootable;
      }
      break;
  }
}

void keeper_hit(Enemy& e) {
  sound::play_sound(sound::sfx_hit1);
  if (shot_in(e, hive)) {
    if (swarm.count < hive_shot_bees) {
      const int room = max_bees - swarm.count;
      release_bees(room < hive_shot_bees ? room : hive_shot_bees);
    }
    if (!round.bees_attacking) start_attack();
    return;
  }
  const KillPoints& k = kill_points[round.bees_attacking ? 0 : (swarm.count >= 48 ? 3 : swarm.count / 16)];
  score_event(e, k.points, k.event);
  chicken_cry();
  e.state = dying;
  set_anim(e, spr_die, 0);
  e.anim_speed = die_anim_speed;
  e.flags &= static_cast<std::uint16_t>(~f_shootable);
}

}  // namespace

void spawn_beehive() {
  reset_bees();
  Enemy* e = spawn_target(kind_scenery, spr_hand_up, keeper_place.x, keeper_place.y, keeper_place.depth);
  if (!e) return;
  swarm.hive_x = keeper_place.x + hive_mid_x;
  swarm.hive_y = keeper_place.y + hive_mid_y;
  e->update = keeper_update;
  e->on_hit = keeper_hit;
  new_cycle(*e);
}

void reset_bees() {
  const int hive_x = swarm.hive_x, hive_y = swarm.hive_y;
  swarm = {};
  swarm.hive_x = hive_x;
  swarm.hive_y = hive_y;
  round.bees_attacking = false;
}

void bee_swarm_step() {
  if (round.bees_attacking) {
    if (swarm.count == 0) {  // every bee left with its dead keeper before it could sting
      round.bees_attacking = false;
    } else {
      swarm.attack_time += app::frame_time;
      int v = swarm.volume + per_frame_of(swell_per_second);
      if (v > max_loop_volume) v = max_loop_volume;
      set_loop_volume(v);
      swarm.sting_countdown -= app::frame_time;
      if (swarm.sting_countdown <= 0) sting();
    }
  }
  move_and_draw_bees();
}

}  // namespace qzx
