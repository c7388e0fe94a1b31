// SPDX-License-Identifier: GPL-3.0-or-later
// The chicken at the front of the screen (editions XL and XXL). Now and then, while the megagun
// is idle, it rises from the bottom edge somewhere along the scene, knocks three times on the
// screen and holds up a board with 4 to 7 pictures in turn, each one of five cards. A shot on
// the shown card scores by the card (once per picture) and keeps it up 1.5 s; a shot elsewhere
// on the chicken knocks it away. When the megagun fires it ducks.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_up_down = gfx::find_sprite("data\\gfx\\front_up_down_action");
constexpr int spr_hand_up = gfx::find_sprite("data\\gfx\\front_hand_up_action");
constexpr int spr_knocking = gfx::find_sprite("data\\gfx\\front_knocking_action");
constexpr int spr_hand_down = gfx::find_sprite("data\\gfx\\front_hand_down_action");
constexpr int spr_show_pics = gfx::find_sprite("data\\gfx\\front_show_pics_action");
constexpr int spr_cards = gfx::find_sprite("data\\gfx\\front_cards");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\front_die");

constexpr const gfx::ArtAnchor* place = gfx::find_art_anchor("data\\gfx\\front_up_down_action");
constexpr const gfx::ArtAnchor* board = gfx::find_art_anchor("data\\gfx\\front_cards");
constexpr int front_depth = 0;
constexpr int x_range = 2688;       // x 0 .. 2687 on the front layer
constexpr int card_w = 70, card_h = 60;

constexpr std::int16_t speed = 84;
constexpr std::int16_t duck_speed = -89;
constexpr int knocks = 3;
constexpr std::int32_t picture_time = 78643;  // 1.2 s each picture
constexpr std::int32_t card_pause = 98304;    // 1.5 s after a hit on the card

// The cards: points and event by the picture's number.
constexpr int card_points[5] = {10, 15, 20, 30, -50};
constexpr int card_events[5] = {66, 67, 68, 69, 70};

// Frames of the pictures as drawn in which the chicken shows above the bottom edge of the
// screen; outside them it cannot be shot.
constexpr AnimWindow windows[] = {
    {spr_up_down, {2, 6}},   {spr_hand_up, {0, 3}},   {spr_knocking, {0, 3}},
    {spr_hand_down, {0, 3}}, {spr_show_pics, {0, 9}},
};
// The board is fully up (and a picture can be shown on it) from this frame of the showing on.
constexpr int board_up_frame = 4;

enum State : std::int16_t {
  hidden = 0,     // `timer` runs to the next appearance
  rising = 1,
  hand_up = 2,
  knocking = 3,   // `counter` knocks left
  hand_down = 4,
  showing = 5,    // `data0` step, `counter` pictures left, `data1` card, `data2` card hit
  ducking = 6,    // sinking back below the edge
  knocked_away = 100,
};
enum ShowStep : std::int32_t { board_rising = 0, pictures = 1, board_lowering = 2 };

// Per-round state: the front's slot, for the megagun.
int front_slot = -1;

bool megagun_idle() {
  return (round.megagun_state == 0 && !round.megagun_present) || round.megagun_state == 4;
}

void start(Enemy& e, State state, int sprite, int frame, std::int16_t anim_speed) {
  e.state = state;
  set_anim(e, sprite, frame);
  e.anim_speed = anim_speed;
}

void hide(Enemy& e) {
  e.state = hidden;
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
  e.timer = random_tenths(150, 400);  // 15.0 .. 54.9 s after the first time
}

void next_picture(Enemy& e) {
  e.data1 = res::random(5);
  e.data2 = 0;
  e.timer2 = picture_time;
  sound::play_sound(sound::sfx_paper);
}

bool card_showing(const Enemy& e) {
  return e.state == showing && e.data0 == pictures;
}

void show_step(Enemy& e) {
  switch (e.data0) {
    case board_rising:
      anim_advance(e, true);
      if (frame_number(e) >= board_up_frame) {
        e.data0 = pictures;
        next_picture(e);
      }
      break;
    case pictures:
      anim_advance(e, true);
      e.timer2 -= app::frame_time;
      if (e.timer2 <= 0) {
        if (--e.counter > 0) {
          next_picture(e);
        } else {
          e.data0 = board_lowering;
          e.anim_speed = -speed;
        }
      }
      break;
    case board_lowering:
      if (anim_advance(e, true)) start(e, ducking, spr_up_down, gfx::frame_count(spr_up_down) - 1, duck_speed);
      break;
  }
}

void front_update(Enemy& e) {
  switch (e.state) {
    case hidden:
      e.timer -= app::frame_time;
      if (e.timer > 0 || !megagun_idle()) return;
      e.x = res::random(x_range) << 16;
      e.flags |= f_visible;
      start(e, rising, spr_up_down, 0, speed);
      break;
    case rising:
      if (anim_advance(e, true)) start(e, hand_up, spr_hand_up, 0, speed);
      break;
    case hand_up:
      if (anim_advance(e, true)) {
        start(e, knocking, spr_knocking, 0, speed);
        e.counter = knocks;
        sound::play_sound(sound::sfx_screen_knock);
      }
      break;
    case knocking:
      if (anim_advance(e, false)) {
        if (--e.counter > 0) {
          sound::play_sound(sound::sfx_screen_knock);
        } else {
          start(e, hand_down, spr_hand_down, 0, speed);
        }
      }
      break;
    case hand_down:
      if (anim_advance(e, true)) {
        start(e, showing, spr_show_pics, 0, speed);
        e.data0 = board_rising;
        e.counter = res::random(4) + 4;  // 4 .. 7 pictures
      }
      break;
    case showing:
      show_step(e);
      break;
    case ducking:
      if (anim_advance(e, true)) {
        hide(e);
        return;
      }
      break;
    case knocked_away:
      if (anim_advance(e, true)) hide(e);
      return;
  }
  follow_window(e, windows);  // shootable only where the picture shows the chicken
  if (card_showing(e))
    gfx::draw_sprite(spr_cards, e.data1, screen_x(e) + board->x, (e.y >> 16) + board->y, front_depth, 0, 0);
}

void front_hit(Enemy& e) {
  if (e.state == hidden || e.state == knocked_away) return;
  const int rx = shot_rel_x(e) - board->x, ry = shot_rel_y(e) - board->y;
  if (card_showing(e) && rx >= 0 && rx < card_w && ry >= 0 && ry < card_h) {
    if (e.data2) return;  // this picture has scored already
    e.data2 = 1;
    // The points rise from the card.
    int cx, cy;
    gfx::frame_centre(sprite_row(e), frame_number(e), cx, cy);
    score_event(e, card_points[e.data1], card_events[e.data1], board->x + card_w / 2 - cx, board->y - cy);
    sound::play_sound(sound::sfx_hit_pumpkin);
    e.timer2 = card_pause;
    return;
  }
  score_event(e, 5, 65);
  sound::play_sound(sound::sfx_paper_flight);
  chicken_cry();
  start(e, knocked_away, spr_die, 0, speed);
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_front() {
  Enemy* e = spawn_target(kind_scenery, spr_up_down, place->x, place->y, front_depth);
  front_slot = slot_of(e);
  if (!e) return;
  e->update = front_update;
  e->on_hit = front_hit;
  e->state = hidden;
  e->flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
  e->timer = random_tenths(100, 300);  // 10.0 .. 39.9 s the first time
}

void front_target_megagun() {
  Enemy* e = target_in_slot(front_slot, front_update);
  if (!e || e->state == hidden || e->state == knocked_away) return;
  start(*e, ducking, spr_up_down, gfx::frame_count(spr_up_down) - 1, duck_speed);
}

}  // namespace qzx
