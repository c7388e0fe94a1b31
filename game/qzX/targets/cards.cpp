// SPDX-License-Identifier: GPL-3.0-or-later
// The card game to 21 on the hedgehogs' table (editions XL and XXL). Each shot on the deck costs
// 5 points and deals a card that flies up out of the deck, turns over and lands on the table;
// its face decides its value. Exactly 21 scores 50, more is a bust; either way the hand stays on
// the table for 3 s before it is swept off. Below 21 the players may stand by a shot on the
// table (hedgehogs.cpp), which scores the total and ends the hand after a short pause.
#include <cstdio>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"
#include "game/text/font.h"
#include "game/text/texts.h"

namespace qzx {

namespace {

constexpr int kind_deck = 28;
constexpr int kind_card = 29;
constexpr int spr_card_back = gfx::find_sprite("data\\gfx\\cardturns");
// The face in three sizes: large while it turns over by the deck, smaller as it flies off.
constexpr int spr_faces[3] = {gfx::find_sprite("data\\gfx\\cardsfront"),
                              gfx::find_sprite("data\\gfx\\cardsfrontm"),
                              gfx::find_sprite("data\\gfx\\cardsfronts")};
constexpr int deck_x = 2175, deck_y = 548;

constexpr int deal_cost = -5;
constexpr int event_deal = 58;
constexpr int event_21 = 63;
constexpr int event_bust = 14;
constexpr int points_21 = 50;
constexpr int popup_21_dx = -7, popup_21_dy = -75;
constexpr std::int32_t hand_over_wait = 196608;  // 3 s after 21 or a bust
constexpr std::int32_t stand_pause = 32768;      // 0.5 s after standing

// A card's value by its face number mod 8.
constexpr int card_values[8] = {7, 8, 9, 10, 2, 3, 4, 11};

// The dealt card's flight: it rises while it turns over, then flies onto the pile in the middle
// of the table, between the players, in 0.4 s; each card lands a little right of and above the
// one before, so the newest shows whole (centres, layer pixels).
constexpr std::int32_t rise_speed = 150 << 16;  // px/s while turning
constexpr std::int32_t flight_time = 26214;     // 0.4 s
constexpr int pile_x = 2246, pile_y = 468, pile_step_x = 2, pile_step_y = -1;
// Where the display text of the total stands: centred above the table.
constexpr int total_text_x = 2235, total_text_y = 404;
constexpr int text_exactly_21 = 10;
constexpr int text_bust = 11;

// States of a dealt card.
enum : std::int16_t { card_turning = 0, card_flying = 1, card_resting = 2 };

struct CardGame {
  int total;           // 0..31
  bool dealing;        // a dealt card has not shown its face yet: the lock on the deck
  std::int32_t wait;   // the wait after 21 or a bust, or the pause after standing
  bool over;           // a card player was shot: no more cards this round
  int dealt;           // cards of this hand (their places on the pile)
};
CardGame game;
int deck_slot = -1;

void deck_update(Enemy& d);
Enemy* deck() { return target_in_slot(deck_slot, deck_update); }

// Sweeps the hand off the table.
void clear_hand() {
  int cursor = 0;
  while (Enemy* c = enemy_next_of_kind(kind_card, &cursor)) enemy_free(*c);
  game.total = 0;
  game.dealt = 0;
  game.dealing = false;
  game.wait = 0;
}

// Puts the card's current frame with its centre on (cx, cy) (16.16 layer pixels).
void place_centred(Enemy& c, std::int32_t cx, std::int32_t cy) {
  const gfx::FrameRect r = gfx::frame_rect(c.anim, c.frame >> 8);
  c.x = cx - ((r.left + r.width / 2) << 16);
  c.y = cy - ((r.top + r.height / 2) << 16);
}

// The face is up: its value counts.
void card_shows_face(int face) {
  game.dealing = false;
  game.total += card_values[face % 8];
  Enemy* d = deck();
  if (game.total == 21) {
    if (d) score_event(*d, points_21, event_21, popup_21_dx, popup_21_dy);
    game.wait = hand_over_wait;
  } else if (game.total > 21) {
    record_event(event_bust);
    game.wait = hand_over_wait;
  }
}

void card_update(Enemy& c) {
  switch (c.state) {
    case card_turning:
      c.home_y -= per_frame(rise_speed);
      if (anim_advance(c, true)) {
        c.state = card_flying;
        set_anim(c, spr_faces[0], c.data0);
        c.anim_speed = 0;
        c.timer = 0;
        c.data2 = c.home_x;
        c.data3 = c.home_y;
        card_shows_face(c.data0);
      }
      break;
    case card_flying: {
      c.timer += app::frame_time;
      if (c.timer > flight_time) c.timer = flight_time;
      const std::int64_t p = c.timer;  // 0 .. flight_time
      const std::int32_t to_x = (pile_x + pile_step_x * c.data1) << 16;
      const std::int32_t to_y = (pile_y + pile_step_y * c.data1) << 16;
      c.home_x = c.data2 + static_cast<std::int32_t>((to_x - static_cast<std::int64_t>(c.data2)) * p / flight_time);
      c.home_y = c.data3 + static_cast<std::int32_t>((to_y - static_cast<std::int64_t>(c.data3)) * p / flight_time);
      c.anim = static_cast<std::int16_t>(spr_faces[p * 3 < flight_time ? 0 : p * 3 < 2 * flight_time ? 1 : 2]);
      if (c.timer >= flight_time) {
        c.state = card_resting;
        c.flags |= f_z_behind;  // on the table: behind the players, in front of the table
      }
      break;
    }
    default:
      break;
  }
  place_centred(c, c.home_x, c.home_y);
}

void deal_card(const Enemy& d) {
  Enemy* c = enemy_alloc(kind_card);
  if (!c) return;
  const int face = res::random(32);
  c->flags = f_in_use | f_visible;  // in front of the players while it flies
  set_depth(*c, d.depth);
  set_anim(*c, spr_card_back, 0);
  c->data0 = face;
  c->data1 = game.dealt++;
  const gfx::FrameRect r = gfx::frame_rect(d.anim, d.frame >> 8);  // out of the deck's middle
  c->home_x = d.x + ((r.left + r.width / 2) << 16);
  c->home_y = d.y + ((r.top + r.height / 2) << 16);
  place_centred(*c, c->home_x, c->home_y);
  c->state = card_turning;
  c->update = card_update;
  game.dealing = true;
}

// The total as a display text above the table: the number, or the words for 21 and a bust.
void draw_total() {
  if (game.total <= 0) return;
  char16_t number[8];
  const char16_t* shown = number;
  if (game.total == 21) {
    shown = text::get_text(text_exactly_21);
  } else if (game.total > 21) {
    shown = text::get_text(text_bust);
  } else {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%d", game.total);
    int n = 0;
    for (; digits[n]; ++n) number[n] = static_cast<char16_t>(digits[n]);
    number[n] = 0;
  }
  const int x = total_text_x - gfx::layer_offset(1) - text::text_width(shown) / 2;
  text::draw_text(x, total_text_y, shown);
}

void deck_update(Enemy&) {
  if (game.wait > 0) {
    game.wait -= app::frame_time;
    if (game.wait <= 0) clear_hand();
  }
  draw_total();
}

void deck_hit(Enemy& d) {
  if (game.over || game.dealing || game.wait > 0) return;
  score_event(d, deal_cost, event_deal);
  sound::play_sound(sound::sfx_card_shuffle);
  deal_card(d);
}

}  // namespace

void spawn_cards() {
  game = {};
  Enemy* d = spawn_target(kind_deck, spr_card_back, deck_x, deck_y, 1);
  deck_slot = slot_of(d);
  if (!d) return;
  d->update = deck_update;
  d->on_hit = deck_hit;
}

void reset_card_game() {
  clear_hand();
  game = {};
}

int card_total() { return game.total; }

bool card_stand_allowed() { return !game.over && !game.dealing && game.wait <= 0 && game.dealt > 0; }

void card_game_stand() { game.wait = stand_pause; }

void end_card_game() {
  clear_hand();
  game.over = true;
  if (Enemy* d = deck()) d->flags &= static_cast<std::uint16_t>(~f_shootable);
}

}  // namespace qzx
