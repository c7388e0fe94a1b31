// SPDX-License-Identifier: GPL-3.0-or-later
// The yard gate: the first shot swings it open for 10 points and it stays open (in XXL one of
// the two conditions for the second scene).
#include "game/gfx/catalogue_table.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_gate = 17;
constexpr int spr_gate = gfx::find_sprite("data\\gfx\\gate");
constexpr int gate_x = 2320, gate_y = 241;
constexpr std::int16_t swing_speed = 102;

enum State : std::int16_t { shut = 0, opening = 1 };

void gate_update(Enemy& e) {
  if (e.state == opening) anim_advance(e, true);
}

void gate_hit(Enemy& e) {
  if (e.state != shut) return;
  score_event(e, 10, 6);
  sound::play_sound(sound::sfx_hit_wood1);
  hit_particles(e);
  round.gate_open = true;
  e.anim_speed = swing_speed;
  e.state = opening;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_gate() {
  Enemy* e = spawn_target(kind_gate, spr_gate, gate_x, gate_y, 1);
  if (!e) return;
  e->update = gate_update;
  e->on_hit = gate_hit;
}

}  // namespace qzx
