// SPDX-License-Identifier: GPL-3.0-or-later
// The chicken in the car. Every 2.0 to 11.9 s it drives up into the windscreen with a honk,
// looks about, blinks, turns to the player and away again and goes down. In XS a hit knocks it
// out. In XL and XXL it is shy while the car is whole: it comes up only while the cursor is far
// from it, ducks as soon as the cursor comes near and cannot be hit. Once the car's three metal
// parts are shot it shows up at random in the windscreen, in the door or under the bonnet, and a
// hit knocks it out.
#include <cstdint>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_up = gfx::find_sprite("data\\gfx\\car_up_action1");
constexpr int spr_honk = gfx::find_sprite("data\\gfx\\car_honk_action2");
constexpr int spr_look = gfx::find_sprite("data\\gfx\\car_look_action3");
constexpr int spr_turn_to = gfx::find_sprite("data\\gfx\\car_turnto_action4");
constexpr int spr_turn_off = gfx::find_sprite("data\\gfx\\car_turnof_action5");
constexpr int spr_down = gfx::find_sprite("data\\gfx\\car_down_action6");
constexpr int spr_blink = gfx::find_sprite("data\\gfx\\car_blink_action_after3and5");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\car_die");
constexpr int spr_door = gfx::find_sprite("data\\gfx\\car_door_qz");
constexpr int spr_door_die = gfx::find_sprite("data\\gfx\\car_door_qz_die");
constexpr int spr_front = gfx::find_sprite("data\\gfx\\car_front_qz");
constexpr int spr_front_die = gfx::find_sprite("data\\gfx\\car_front_qz_die");

constexpr int car_depth = 1;
constexpr std::int16_t speed = 64;
constexpr std::int16_t duck_speed = 140;
constexpr int shy_distance = 150;   // it comes up only while the cursor is farther than this
constexpr int duck_distance = 100;  // and ducks when the cursor comes this close
constexpr int all_parts = 3;

// Where the chicken shows in each of its three places, its animation there, the animation of a
// hit, and the frames in which it shows as drawn (the pause frame lies inside them). The
// windscreen chicken shows from its first frame to the end of its going down.
enum Place : std::int32_t { windscreen = 0, in_door = 1, at_front = 2 };
struct Hiding {
  int x, y;
  int sprite, die_sprite;
  ChickenWindow frames;
  int pause_frame;          // -1: none
};
constexpr Hiding places[3] = {
    {948, 153, spr_up, spr_die, {0, 11}, -1},
    {990, 182, spr_door, spr_door_die, {1, 10}, 5},
    {865, 160, spr_front, spr_front_die, {1, 5}, 2},
};
constexpr std::int32_t place_pause = 45875;  // 0.7 s on the pause frame

// The windscreen chicken's round: each animation at its speed, then a wait (16.16 s).
struct Step {
  int sprite;
  std::int16_t speed;
  std::int32_t wait;
};
constexpr Step windscreen_steps[] = {
    {spr_up, 76, 0},          {spr_honk, 76, 0},          {spr_look, speed, 45875},
    {spr_blink, speed, 26214}, {spr_turn_to, speed, 52428}, {spr_turn_off, speed, 32768},
    {spr_blink, speed, 19660}, {spr_down, speed, 0},
};
constexpr int last_step = sizeof windscreen_steps / sizeof windscreen_steps[0] - 1;

enum State : std::int16_t {
  hidden = 0,      // `timer` to the next appearance
  driving = 1,     // windscreen: `data0` step, `seq_pos` 1 while the wait after it runs
  peeking = 2,     // door or front: `data1` the pause left, `seq_pos` 1 once it was taken
  knocked_out = 100,
};
// `counter` is the place shown (Place).

bool shy() { return app::edition != app::edition_xs && car_parts_shot() < all_parts; }

// The cursor's distance from the windscreen chicken, squared.
int cursor_distance_squared() {
  Enemy probe{};
  probe.x = (places[windscreen].x + 30) << 16;
  probe.y = (places[windscreen].y + 30) << 16;
  probe.depth = car_depth;
  const int dx = -shot_rel_x(probe), dy = -shot_rel_y(probe);
  return dx * dx + dy * dy;
}

void hide(Enemy& e) {
  e.state = hidden;
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
  e.timer = random_tenths(20, 100);  // 2.0 .. 11.9 s
}

void show_at(Enemy& e, Place place) {
  const Hiding& h = places[place];
  e.counter = place;
  set_pos(e, h.x << 16, h.y << 16);
  e.flags |= f_visible;
  pixel_shootable_if(e, !shy());  // the shy chicken cannot be hit
  chicken_call();
}

void begin_step(Enemy& e, int step) {
  const Step& s = windscreen_steps[step];
  e.state = driving;
  e.data0 = step;
  e.seq_pos = 0;
  set_anim(e, s.sprite, 0);
  e.anim_speed = s.speed;
}

void appear(Enemy& e) {
  Place place = windscreen;
  if (app::edition != app::edition_xs && !shy()) place = static_cast<Place>(res::random(3));
  show_at(e, place);
  if (place == windscreen) {
    begin_step(e, 0);
    sound::play_sound(sound::sfx_horn);
    return;
  }
  e.state = peeking;
  set_anim(e, places[place].sprite, 0);
  e.anim_speed = speed;
  e.seq_pos = 0;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));  // the door or bonnet is still shut
}

void duck(Enemy& e) {
  begin_step(e, last_step);
  e.anim_speed = duck_speed;
  sound::stop_sound(sound::sfx_horn);
}

void drive(Enemy& e) {
  if (shy() && e.data0 != last_step && cursor_distance_squared() < duck_distance * duck_distance) {
    duck(e);
    return;
  }
  if (e.seq_pos == 0) {
    if (!anim_advance(e, true)) return;
    if (e.data0 == last_step) {
      hide(e);
      return;
    }
    e.seq_pos = 1;
    e.timer = windscreen_steps[e.data0].wait;
  }
  e.timer -= app::frame_time;
  if (e.timer <= 0) begin_step(e, e.data0 + 1);
}

void peek(Enemy& e) {
  const Hiding& h = places[e.counter];
  if (e.seq_pos == 0 && frame_number(e) >= h.pause_frame) {
    if (e.anim_speed != 0) {
      e.anim_speed = 0;
      e.frame = static_cast<std::int16_t>(h.pause_frame << 8);
      e.data1 = place_pause;
    }
    e.data1 -= app::frame_time;
    if (e.data1 > 0) return;
    e.seq_pos = 1;
    e.anim_speed = speed;
  }
  if (anim_advance(e, true)) {
    hide(e);
    return;
  }
  // The door and the bonnet show the chicken only in the middle of their animations.
  pixel_shootable_if(e, in_window(e, h.frames));
}

void car_update(Enemy& e) {
  switch (e.state) {
    case hidden:
      e.timer -= app::frame_time;
      if (e.timer > 0) return;
      if (shy() && cursor_distance_squared() <= shy_distance * shy_distance) return;
      appear(e);
      break;
    case driving:
      drive(e);
      break;
    case peeking:
      peek(e);
      break;
    case knocked_out:
      if (anim_advance(e, true)) hide(e);
      break;
  }
}

void car_hit(Enemy& e) {
  if (e.state != driving && e.state != peeking) return;
  score_event(e, 25, 52);
  chicken_cry();
  sound::stop_sound(sound::sfx_horn);
  e.state = knocked_out;
  set_anim(e, places[e.counter].die_sprite, 0);
  e.anim_speed = speed;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_car() {
  Enemy* e = spawn_target(kind_scenery, spr_up, places[windscreen].x, places[windscreen].y, car_depth);
  if (!e) return;
  // In front of the car's parts: the door chicken leans out over the door.
  e->flags = static_cast<std::uint16_t>((e->flags & ~f_z_behind) | f_scaled);
  e->scale = 1;
  e->update = car_update;
  e->on_hit = car_hit;
  hide(*e);
}

}  // namespace qzx
