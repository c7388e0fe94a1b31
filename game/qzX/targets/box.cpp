// SPDX-License-Identifier: GPL-3.0-or-later
// The iron box that holds the megagun. Every shot rings on its metal. The key opens it at the
// first shot and shows a hidden message; without the key the 90th shot breaks the lock off.
// Either way it is worth 25 points and the megagun comes.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_box = 21;
constexpr int spr_shot_open = gfx::find_sprite("data\\gfx\\xbox1");  // the lock shot off
constexpr int spr_key_open = gfx::find_sprite("data\\gfx\\xbox2");   // opened with the key
constexpr int box_x = 1167, box_y = 260;
constexpr int shots_to_break = 90;
constexpr std::int16_t open_speed = 89;
constexpr int message_y = 270;
constexpr std::int32_t message_life = 98304;  // 1.5 s

enum State : std::int16_t { closed = 0, open = 1 };

// The message is kept scrambled, so it does not stand in the program as plain text: each unit
// is XORed with the entry of the same place; the units past its end decode to 0.
constexpr std::uint8_t message_key[32] = {5,  17, 9,  22, 3,  14, 27, 8,  19, 1, 30,
                                          12, 25, 6,  21, 11, 28, 2,  16, 24, 7, 29,
                                          13, 4,  18, 26, 10, 31, 15, 23, 20, 3};
constexpr char16_t message_scrambled[32] = {66,  125, 245, 117, 104, 121, 110, 102, 96,  98, 118,
                                            32,  57,  75,  112, 98,  111, 118, 117, 106, 116, 126,
                                            101, 248, 102, 96,  111, 62,  15,  23,  20,  3};

void show_message() {
  char16_t text[33];
  for (int i = 0; i < 32; ++i) text[i] = static_cast<char16_t>(message_scrambled[i] ^ message_key[i]);
  text[32] = 0;
  bonus_text(text, message_y);
  // bonus_text leaves the allocation cursor on the slot it took; this one lasts 1.5 s, not 2.
  Enemy& t = enemies[alloc_cursor];
  if (!t.flags || t.kind != kind_bonus_text) return;
  for (int i = 0; text[i]; ++i)
    if (t.text[i] != text[i]) return;
  t.timer = message_life;
}

void open_box(Enemy& e, bool with_key) {
  sound::play_sound(sound::sfx_box_open);
  sound::play_sound(with_key ? sound::sfx_box_lock_open : sound::sfx_box_lock_shot);
  set_anim(e, with_key ? spr_key_open : spr_shot_open, 0);
  e.anim_speed = open_speed;
  e.state = open;
  score_event(e, 25, 16);
  spawn_megagun();
  if (with_key) show_message();
}

void box_update(Enemy& e) {
  if (e.state == open) anim_advance(e, true);
}

void box_hit(Enemy& e) {
  metal_hit(e);
  if (e.state != closed) return;
  ++e.counter;
  if (round.key_held) {
    round.key_held = false;
    open_box(e, true);
  } else if (e.counter >= shots_to_break) {
    open_box(e, false);
  }
}

}  // namespace

void spawn_box() {
  Enemy* e = spawn_target(kind_box, spr_shot_open, box_x, box_y, 1);
  if (!e) return;
  e->update = box_update;
  e->on_hit = box_hit;
}

}  // namespace qzx
