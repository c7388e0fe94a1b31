// SPDX-License-Identifier: GPL-3.0-or-later
// The tree: grumpy until it is shot in a steady rhythm. Every shot costs a point; in XL and XXL
// a shot that follows the previous one within a second cheers it up, most when the two are half
// a second apart. Its mood sinks by half a point a second. From mood 1 it smiles, above 4 it
// laughs, and the first laugh is worth 25 points and shows the key.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_upset = gfx::find_sprite("data\\gfx\\tree_upset");
constexpr int spr_smile = gfx::find_sprite("data\\gfx\\tree_smile");
constexpr int spr_laugh = gfx::find_sprite("data\\gfx\\tree_laugh");
constexpr int tree_x = 2153, tree_y = 214;
constexpr std::int16_t mood_anim_speed = 46;

constexpr std::int32_t one = 65536;             // 1.0 in 16.16
constexpr std::int32_t smile_from = one;        // mood 1.0
constexpr std::int32_t laugh_above = 4 * one;   // mood 4.0
constexpr std::int32_t smile_boost = 52429;     // 0.8, added when it starts smiling
constexpr std::int32_t first_laugh_mood = 7 * one;
constexpr std::int32_t rhythm_window = one;     // shots further apart than 1 s do not count
constexpr std::int32_t best_gap = one / 2;      // 0.5 s apart raises the mood most

enum State : std::int16_t { upset = 0, smiling = 1, laughing = 2 };

// Fields: data0 = mood (16.16), timer = time since the previous shot, counter = 1 once shot,
// data1 = 1 once it has laughed (the key shows).

State mood_state(std::int32_t mood) {
  if (app::edition == app::edition_xs || mood < smile_from) return upset;
  return mood > laugh_above ? laughing : smiling;
}

void show(Enemy& e, int sprite, int frame) {
  set_anim(e, sprite, frame);
  e.anim_speed = mood_anim_speed;
}

void change_mood(Enemy& e, State to) {
  const State from = static_cast<State>(e.state);
  e.state = to;
  switch (to) {
    case upset:
      show(e, spr_upset, 0);
      break;
    case smiling:
      sound::play_sound(sound::sfx_tree_laugh_short);
      if (from == upset) {
        e.data0 += smile_boost;
        show(e, spr_smile, 0);
      } else {  // calming down from a laugh: the smile is already there
        show(e, spr_smile, gfx::frame_count(spr_smile) - 1);
      }
      break;
    case laughing:
      sound::play_sound(sound::sfx_tree_laugh);
      show(e, spr_laugh, 0);
      if (!e.data1) {
        e.data1 = 1;
        e.data0 = first_laugh_mood;
        score_event(e, 25, 36);
      }
      break;
  }
}

void tree_update(Enemy& e) {
  const std::int32_t dt = app::frame_time;
  e.data0 -= dt / 2;
  if (e.data0 < 0) e.data0 = 0;
  if (e.timer < 2 * rhythm_window) e.timer += dt;  // only its first second matters

  const State s = mood_state(e.data0);
  if (s != e.state) change_mood(e, s);
  anim_advance(e, e.state == smiling);  // the smile forms once; the other faces loop
}

void tree_hit(Enemy& e) {
  score_event(e, -1, 88);
  sound::play_sound(sound::sfx_hit_wood1);
  hit_particles(e);
  if (app::edition != app::edition_xs && e.counter && e.timer < rhythm_window) {
    const std::int32_t off = e.timer > best_gap ? e.timer - best_gap : best_gap - e.timer;
    e.data0 += best_gap - off;
  }
  e.timer = 0;
  e.counter = 1;
}

}  // namespace

void spawn_tree() {
  Enemy* e = spawn_target(kind_tree, spr_upset, tree_x, tree_y, 1);
  if (!e) return;
  e->anim_speed = mood_anim_speed;
  e->update = tree_update;
  e->on_hit = tree_hit;
}

bool tree_has_laughed() {
  const Enemy* e = enemy_next_of_kind(kind_tree);
  return e && e->data1;
}

}  // namespace qzx
