// SPDX-License-Identifier: GPL-3.0-or-later
// The outhouse with a chicken inside. The hut stands around the doorway; the door, the inside
// and the chicken are drawn in the doorway by a second object. A shot on the door's latch breaks
// the door open; any other shot rattles the hut for a point less. Once the door is falling a shot
// into the opening hits the chicken on its seat.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int spr_hut = gfx::find_sprite("data\\gfx\\toilet_bg");
constexpr int spr_acting = gfx::find_sprite("data\\gfx\\toilet_acting");
constexpr int spr_shaking = gfx::find_sprite("data\\gfx\\toilet_shaking");
constexpr int spr_breaking = gfx::find_sprite("data\\gfx\\toilet_distruction");
constexpr int spr_die = gfx::find_sprite("data\\gfx\\toilet_die");
constexpr const gfx::ArtAnchor* place = gfx::find_art_anchor("data\\gfx\\toilet_bg");

constexpr std::int16_t speed = 64;

// Spots relative to the outhouse.
constexpr Spot latch = {136, 58, 148, 70};
constexpr Spot opening = {112, 55, 150, 117};

// The door breaking as drawn: from its fifth frame on the door has fallen far enough for the
// chicken to show in the opening, and it stays so on the last frame.
constexpr ChickenWindow chicken_window = {4, 20};

enum State : std::int16_t {
  occupied = 0,  // the door is shut and rattles now and then
  shaking = 1,
  broken = 2,    // the door falls; it stays down
  hit = 3,
};

// Per-round state: the doorway's slot, which the hut's shots rattle.
int doorway_slot = -1;
void doorway_update(Enemy& e);

Enemy* the_doorway() { return target_in_slot(doorway_slot, doorway_update); }

void start(Enemy& e, State state, int sprite) {
  e.state = state;
  set_anim(e, sprite, 0);
  e.anim_speed = speed;
}

// Any shot but the latch and the chicken: a point less, and the hut rattles while its door
// still stands.
void rattle(const Enemy& target) {
  score_event(target, -1, 89);
  sound::play_sound(sound::sfx_hit_wood1);
  hit_particles(target);
  Enemy* door = the_doorway();
  if (door && (door->state == occupied || door->state == shaking)) start(*door, shaking, spr_shaking);
}

void doorway_update(Enemy& e) {
  switch (e.state) {
    case occupied:
      anim_advance(e, false);
      break;
    case shaking:
      if (anim_advance(e, true)) start(e, occupied, spr_acting);
      break;
    case broken:
    case hit:
      anim_advance(e, true);
      break;
  }
}

void doorway_hit(Enemy& e) {
  switch (e.state) {
    case occupied:
    case shaking:
      if (shot_in(e, latch)) {
        start(e, broken, spr_breaking);
        score_event(e, 10, 37);
        sound::play_sound(sound::sfx_hit_wood2);
        return;
      }
      break;
    case broken:
      if (in_window(e, chicken_window) && shot_in(e, opening)) {
        start(e, hit, spr_die);
        score_event(e, 25, 4);
        chicken_cry();
        e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
        return;
      }
      break;
    default:
      return;
  }
  rattle(e);
}

}  // namespace

void spawn_toilet() {
  Enemy* e = spawn_target(kind_scenery, spr_hut, place->x, place->y, place->depth);
  if (!e) return;
  e->on_hit = [](Enemy& hut) { rattle(hut); };
}

void spawn_toilet_chicken() {
  Enemy* e = spawn_target(kind_scenery, spr_acting, place->x, place->y, place->depth);
  doorway_slot = slot_of(e);
  if (!e) return;
  e->update = doorway_update;
  e->on_hit = doorway_hit;
  start(*e, occupied, spr_acting);
}

}  // namespace qzx
