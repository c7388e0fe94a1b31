// SPDX-License-Identifier: GPL-3.0-or-later
// The yard's one-shot scenery: the doghouse, the two chimney pots, the frame of the barn's upper
// window, the little apple tree, the axe in the chopping block and the shovel leaning on the
// barn. The first shot scores, plays the piece's animation once and ends its part in shot
// resolution; some pieces silence the hiding place behind them, and the axe and the shovel leave
// the round once they have fallen. Also here: what the yard's other scenery shares with them.
#include <iterator>

#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int no_sound = -1;
constexpr int no_place = -1;

struct SceneryRow {
  int sprite;
  int x, y;
  int points, event;
  int sound;                    // no_sound: none
  bool particles;               // splinters fly at the shot
  bool Scene2Flags::*silences;  // null: no hiding place is silenced
  int drops;                    // the hiding place whose chicken drops back (no_place: none)
  bool leaves;                  // gone once its animation has ended; else it keeps its last frame
};

constexpr int s(const char* name) { return gfx::find_sprite(name); }

// One row per piece, in the order of SceneryPiece.
constexpr SceneryRow rows[] = {
    // The doghouse: wrecked, and the chicken behind the trough never pops up again.
    {s("data\\gfx2\\doghouse"), 654, 305, -25, 33, sound::sfx_hit_wood1, true,
     &Scene2Flags::doghouse_shot, no_place, false},
    // The chimney pots: broken, and the chimney's chicken sent back down and silenced.
    {s("data\\gfx2\\chimneyshoot"), 157, 54, -25, 87, sound::sfx_hit_stone, false,
     &Scene2Flags::chimney_shot, hp_chimney, false},
    {s("data\\gfx2\\chimneyshoot2"), 192, 54, -25, 87, sound::sfx_hit_stone, false,
     &Scene2Flags::chimney_shot, hp_chimney, false},
    // The upper window's frame: cracked, and the chicken in that window does not show again.
    {s("data\\gfx2\\windowrshoot"), 408, 59, -25, 34, sound::sfx_hit_glass, false,
     &Scene2Flags::window_shot, no_place, false},
    // The apple tree: its apples shaken down.
    {s("data\\gfx2\\tree"), 532, 258, 25, 22, no_sound, false, nullptr, no_place, false},
    // The axe knocked out of the block and the shovel knocked over.
    {s("data\\gfx2\\axe"), 114, 360, 5, 23, sound::sfx_hit_wood1, true, nullptr, no_place, true},
    {s("data\\gfx2\\shore"), 553, 275, 5, 26, sound::sfx_hit_wood1, true, nullptr, no_place, true},
};
static_assert(std::size(rows) == scenery_piece_count);

// Played every frame by a piece that leaves the round once its shot animation has ended.
void scenery_until_end(Enemy& e) {
  if (e.flags & f_shootable) return;  // not shot yet
  if (anim_advance(e, true)) enemy_free(e);
}

void scenery_hit(Enemy& e) {
  const SceneryRow& r = rows[e.data0];
  scenery_once(e);
  if (r.silences) scene2_flags.*r.silences = true;
  if (r.drops != no_place) hiding_place_drop(r.drops);
  if (r.particles) hit_particles(e);
  score_event(e, r.points, r.event);
  if (r.sound != no_sound) sound::play_sound(r.sound);
}

}  // namespace

void spawn_scenery_piece(int piece) {
  if (piece < 0 || piece >= scenery_piece_count) return;
  const SceneryRow& r = rows[piece];
  Enemy* e = spawn_target(kind_scenery, r.sprite, r.x, r.y, 0);
  if (!e) return;
  e->data0 = piece;
  e->update = r.leaves ? scenery_until_end : scenery_hold;
  e->on_hit = scenery_hit;
}

void scenery_once(Enemy& e) {
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.anim_speed = 84;
}

void scenery_hold(Enemy& e) { anim_advance(e, true); }

}  // namespace qzx
