// SPDX-License-Identifier: GPL-3.0-or-later
// The two hedgehogs playing cards at their table (editions XL and XXL). Shooting either player
// ends the card game for the round: both leave and the cards fly off the table. Shooting the
// table stands on the hand's total when the game allows it: 17 to 20 score that many, 21 scores
// 50, 16 or less nothing.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_hedgehog_left = 25;
constexpr int kind_hedgehog_right = 26;
constexpr int kind_card_table = 27;
constexpr int spr_hedgehog_left = gfx::find_sprite("data\\gfx\\hedgehoges_l");
constexpr int spr_hedgehog_right = gfx::find_sprite("data\\gfx\\hedgehoges_r");
constexpr int spr_table = gfx::find_sprite("data\\gfx\\hedgehoges_t");
constexpr int spr_table_swept = gfx::find_sprite("data\\gfx\\hedges_shoot");

struct CardPlayer {
  int kind, sprite, x, y;
  int hit_x, hit_y, hit_w, hit_h;
};
constexpr CardPlayer left_player{kind_hedgehog_left, spr_hedgehog_left, 2179, 456, 0, 0, 48, 54};
constexpr CardPlayer right_player{kind_hedgehog_right, spr_hedgehog_right, 2265, 459, 12, 8, 52, 49};
constexpr int table_x = 2150, table_y = 440;

constexpr int player_points = -50;
constexpr int event_player = 15;
constexpr int player_anim_speed = 64;
// Standing on 17, 18, 19, 20 or 21: the points and the event.
struct Stand {
  int points, event;
};
constexpr Stand stands[5] = {{17, 59}, {18, 60}, {19, 61}, {20, 62}, {50, 63}};

// Table states.
enum : std::int16_t { table_playing = 0, table_swept = 1 };

void player_update(Enemy& e) { anim_advance(e, false); }

void player_gone(int kind) {
  int cursor = 0;
  while (Enemy* p = enemy_next_of_kind(kind, &cursor))
    p->flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable));
}

void player_hit(Enemy& e) {
  score_event(e, player_points, event_player);
  sound::play_sound(sound::sfx_hit_jacknjoe);
  player_gone(kind_hedgehog_left);
  player_gone(kind_hedgehog_right);
  end_card_game();
  int cursor = 0;
  if (Enemy* t = enemy_next_of_kind(kind_card_table, &cursor)) {
    set_anim(*t, spr_table_swept, 0);
    t->state = table_swept;
  }
}

void table_update(Enemy& t) {
  if (t.state == table_swept) anim_advance(t, true);
}

void table_hit(Enemy& t) {
  sound::play_sound(sound::sfx_hit_wood1);
  if (!card_stand_allowed()) return;
  const int total = card_total();
  if (total >= 17 && total <= 21) {
    const Stand& s = stands[total - 17];
    score_event(t, s.points, s.event);
  }
  card_game_stand();
}

void spawn_player(const CardPlayer& p) {
  Enemy* e = spawn_target(p.kind, p.sprite, p.x, p.y, 1);
  if (!e) return;
  // Hit by their boxes rather than their pixels. The table, spawned after them, lies in a later
  // slot on the same layer, so it takes the shots where it covers their boxes.
  e->flags = f_in_use | f_visible | f_shootable;
  set_hitbox(*e, p.hit_x, p.hit_y, p.hit_w, p.hit_h);
  e->anim_speed = player_anim_speed;
  e->update = player_update;
  e->on_hit = player_hit;
}

}  // namespace

void spawn_hedgehog_left() { spawn_player(left_player); }

void spawn_hedgehog_right() { spawn_player(right_player); }

void spawn_hedgehog_top() {
  Enemy* t = spawn_target(kind_card_table, spr_table, table_x, table_y, 1);
  if (!t) return;
  t->state = table_playing;
  t->update = table_update;
  t->on_hit = table_hit;
}

}  // namespace qzx
