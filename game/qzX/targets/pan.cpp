// SPDX-License-Identifier: GPL-3.0-or-later
// The chicken with the frying pan. It turns between admiring itself in its pan and watching the
// player, holding the pan before it as a shield. Shots on the pan are repelled, and so is every
// shot while it faces the player; shots on the chicken count while it is turned away, and the
// 15th knocks it out for 75 points. It fades and comes back later, once out of view.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_turn_to_pan = gfx::find_sprite("data\\gfx\\pan_turntopan");
constexpr int spr_look_to_pan = gfx::find_sprite("data\\gfx\\pan_looktopan");
constexpr int spr_turn_to_us = gfx::find_sprite("data\\gfx\\pan_turntous");
constexpr int spr_look_to_us = gfx::find_sprite("data\\gfx\\pan_looktous");
constexpr int spr_repel = gfx::find_sprite("data\\gfx\\pan_repel");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\pan_die");
constexpr int pan_x = 1907, pan_y = 263;
constexpr int cell_w = 90;

constexpr std::int16_t speed = 64;
constexpr int hits_to_kill = 15;
constexpr std::int32_t fade_per_second = 100000;

// The turning cycle: each animation plays to its end and its last frame holds for the wait.
struct Step {
  int sprite;
  std::int32_t wait;  // 16.16 s
};
constexpr Step cycle[] = {
    {spr_turn_to_pan, 131072},  // looks at its pan 2 s
    {spr_look_to_pan, 45875},   // and 0.7 s more
    {spr_turn_to_us, 32768},    // looks at the player 0.5 s
    {spr_look_to_us, 98304},    // and 1.5 s more
};
constexpr int cycle_length = sizeof cycle / sizeof cycle[0];

// How far the chicken has turned to its pan (0 facing the player, 1 facing the pan) in the first
// and last frame of each picture, in between in equal steps: the pictures turn it evenly.
struct Turn {
  int sprite;
  double first, last;
};
constexpr Turn turns[] = {
    {spr_turn_to_pan, 0, 1}, {spr_look_to_pan, 1, 1}, {spr_turn_to_us, 1, 0},
    {spr_look_to_us, 0, 0},  {spr_repel, 0, 0},       {spr_die, 0, 0},
};
// The window of frames in which it is turned away (shots on it count): turned half way or more.
constexpr AnimWindow turned_away[] = {
    {spr_turn_to_pan, {5, 9}},
    {spr_look_to_pan, {0, 4}},
    {spr_turn_to_us, {0, 3}},
};

enum State : std::int16_t {
  turning = 0,   // `data0` the step of the cycle; `timer` the wait after it, once it has played
  repelling = 1, // pan_repel plays; `data1`, `data2` the animation and frame to go back to
  knocked_out = 100,
  fading = 101,
  away = 102,    // `timer` runs to its return
};
// `counter` counts the hits while turned away; `seq_pos` is 1 while the step's wait runs.

double turn_of(const Enemy& e) {
  for (const Turn& t : turns) {
    if (t.sprite != e.anim) continue;
    const int n = gfx::frame_count(e.anim);
    if (n <= 1) return t.first;
    return t.first + (t.last - t.first) * frame_number(e) / (n - 1);
  }
  return 0;
}

// The pan as drawn: a disc of radius 15 (narrowing to 12 across as it turns) that moves from
// before the chicken's body (40, 62) up beside its head (74, 28) as it turns to it.
bool shot_on_pan(const Enemy& e) {
  const double f = turn_of(e);
  const double cx = 40 + 34 * f, cy = 62 - 34 * f, rx = 15 - 3 * f, ry = 15;
  const double dx = (shot_rel_x(e) - cx) / rx, dy = (shot_rel_y(e) - cy) / ry;
  return dx * dx + dy * dy <= 1.0;
}

void begin_step(Enemy& e, int step) {
  e.state = turning;
  e.data0 = step;
  e.seq_pos = 0;
  set_anim(e, cycle[step].sprite, 0);
  e.anim_speed = speed;
}

void come_back(Enemy& e) {
  e.counter = 0;
  e.alpha = 65536;
  e.flags = static_cast<std::uint16_t>((e.flags & ~f_tinted) | f_visible | f_shootable | f_pixel_test);
  begin_step(e, 0);
}

bool in_view(const Enemy& e) {
  const int x = screen_x(e);
  return x + cell_w > 0 && x < 800;
}

void pan_update(Enemy& e) {
  switch (e.state) {
    case turning:
      if (e.seq_pos == 0) {
        if (anim_advance(e, true)) {
          e.seq_pos = 1;
          e.timer = cycle[e.data0].wait;
        }
      } else {
        e.timer -= app::frame_time;
        if (e.timer <= 0) begin_step(e, (e.data0 + 1) % cycle_length);
      }
      break;
    case repelling:
      if (anim_advance(e, true)) {
        e.state = turning;
        set_anim(e, e.data1, 0);
        e.frame = static_cast<std::int16_t>(e.data2);
        e.anim_speed = speed;
      }
      break;
    case knocked_out:
      if (anim_advance(e, true)) {
        e.state = fading;
        e.flags |= f_tinted;
        e.alpha = 65536;
      }
      break;
    case fading:
      e.alpha -= per_frame(fade_per_second);
      if (e.alpha <= 0) {
        e.alpha = 0;
        e.state = away;
        e.flags &= static_cast<std::uint16_t>(~f_visible);
        e.timer = random_tenths(30, 150);  // 3.0 .. 17.9 s
      }
      break;
    case away:
      e.timer -= app::frame_time;
      if (e.timer <= 0 && !in_view(e)) come_back(e);
      break;
  }
}

// The pan flashes up before the chicken and sparks fly; then it goes on where it was (a shot
// during the flash starts it again).
void repel(Enemy& e) {
  hit_particles(e);
  if (e.state == turning) {
    e.data1 = e.anim;
    e.data2 = e.frame;
  }
  e.state = repelling;
  set_anim(e, spr_repel, 0);
  e.anim_speed = speed;
}

void pan_hit(Enemy& e) {
  if (e.state != turning && e.state != repelling) return;
  if (shot_on_pan(e) || !in_anim_window(e, turned_away)) {
    repel(e);
    return;
  }
  static constexpr int cries[3] = {sound::sfx_chick_pan, sound::sfx_chick_pan2, sound::sfx_chick_pan3};
  if (++e.counter < hits_to_kill) {
    sound::play_sound(cries[res::random(3)]);
    return;
  }
  score_event(e, 75, 91);
  chicken_cry();
  e.state = knocked_out;
  set_anim(e, spr_die, 0);
  e.anim_speed = speed;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_pan() {
  Enemy* e = spawn_target(kind_scenery, spr_look_to_us, pan_x, pan_y, 1);
  if (!e) return;
  e->update = pan_update;
  e->on_hit = pan_hit;
  come_back(*e);
}

}  // namespace qzx
