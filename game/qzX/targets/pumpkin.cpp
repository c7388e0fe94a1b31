// SPDX-License-Identifier: GPL-3.0-or-later
// The pumpkin on the hay bales, carved in six stages. Each stage rests on the first frame of the
// animation that carves the next feature, with a chalk mark where the cut goes; a shot in that
// spot plays the carving and the pumpkin rests in the next stage. After the sixth it glows and is
// done.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_pumpkin = 20;
constexpr int pumpkin_x = 2698, pumpkin_y = 189;
constexpr int last_stage = 6;

// Per stage 0..5: the animation a shot plays (it carves the way into the next stage), its speed,
// the spot that counts (relative to the pumpkin; the chalk mark in the picture), the points and
// the event.
struct Stage {
  int sprite;
  std::int16_t speed;
  std::int16_t hit_x, hit_y, hit_w, hit_h;
  int points, event;
};
constexpr Stage stages[last_stage] = {
    {gfx::find_sprite("data\\gfx\\pumpkin1"), 102, 0, 0, 100, 38, 5, 8},  // the lid
    {gfx::find_sprite("data\\gfx\\pumpkin2"), 76, 57, 42, 15, 13, 10, 9},  // right eye
    {gfx::find_sprite("data\\gfx\\pumpkin3"), 76, 26, 42, 16, 12, 10, 10},  // left eye
    {gfx::find_sprite("data\\gfx\\pumpkin4"), 102, 35, 63, 27, 19, 10, 11},  // the grin
    {gfx::find_sprite("data\\gfx\\pumpkin5"), 102, 37, 48, 24, 22, 10, 12},  // the nose
    {gfx::find_sprite("data\\gfx\\pumpkin6"), 102, 37, 29, 24, 20, 15, 13},  // the star
};

// Behaviour data: `state` is the stage 0..6; `data0` is 1 while a carving plays.

// Rests in the stage: the first frame of its carving, shootable in its spot only. The spot is
// the whole test (a pixel test would read the picture relative to the spot, not the cell).
void rest_in(Enemy& e, int stage) {
  e.state = static_cast<std::int16_t>(stage);
  e.data0 = 0;
  if (stage >= last_stage) {
    e.flags &= static_cast<std::uint16_t>(~f_shootable);
    return;
  }
  const Stage& s = stages[stage];
  set_anim(e, s.sprite, 0);
  e.anim_speed = 0;
  set_hitbox(e, s.hit_x, s.hit_y, s.hit_w, s.hit_h);
  e.flags |= f_shootable;
}

void pumpkin_update(Enemy& e) {
  if (e.data0 == 0) return;
  if (anim_advance(e, true)) rest_in(e, e.state + 1);
}

void pumpkin_hit(Enemy& e) {
  if (e.data0 != 0 || e.state >= last_stage || frame_number(e) != 0) return;
  const Stage& s = stages[e.state];
  score_event(e, s.points, s.event);
  sound::play_sound(sound::sfx_hit_pumpkin);
  e.data0 = 1;
  e.anim_speed = s.speed;
  e.flags &= static_cast<std::uint16_t>(~f_shootable);
}

}  // namespace

void spawn_pumpkin() {
  Enemy* e = spawn_target(kind_pumpkin, stages[0].sprite, pumpkin_x, pumpkin_y, 1);
  if (!e) return;
  e->flags &= static_cast<std::uint16_t>(~f_pixel_test);
  e->update = pumpkin_update;
  e->on_hit = pumpkin_hit;
  rest_in(*e, 0);
}

}  // namespace qzx
