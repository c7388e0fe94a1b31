// SPDX-License-Identifier: GPL-3.0-or-later
// The oil barrel in front of the chicken's drum (editions XL and XXL): one shot knocks it over
// into a spreading pool of oil, and the barrel chicken no longer rises for the rest of the round.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_barrel = gfx::find_sprite("data\\gfx\\oilbarrel");
constexpr int spr_pool = gfx::find_sprite("data\\gfx\\oilpool");
constexpr gfx::ArtAnchor barrel_place = *gfx::find_art_anchor("data\\gfx\\oilbarrel");
constexpr int pool_x = 1051, pool_y = 295;

constexpr int points = -25;
constexpr int event_hit = 32;

enum : std::int16_t { standing = 0, spilling = 1 };

bool fallen = false;

void oil_barrel_update(Enemy& e) {
  if (e.state == spilling) anim_advance(e, true);
}

void oil_barrel_hit(Enemy& e) {
  if (e.state != standing) return;
  score_event(e, points, event_hit);
  sound::play_sound(sound::sfx_hit_metal2);
  hit_particles(e);
  e.state = spilling;
  set_pos(e, pool_x << 16, pool_y << 16);
  set_anim(e, spr_pool, 0);
  e.flags &= static_cast<std::uint16_t>(~f_shootable);
  fallen = true;
}

}  // namespace

void spawn_oil_barrel() {
  fallen = false;
  Enemy* e = spawn_target(kind_scenery, spr_barrel, barrel_place.x, barrel_place.y, barrel_place.depth);
  if (!e) return;
  e->state = standing;
  e->update = oil_barrel_update;
  e->on_hit = oil_barrel_hit;
}

bool oil_barrel_fallen() { return fallen; }

}  // namespace qzx
