// SPDX-License-Identifier: GPL-3.0-or-later
// The car's metal parts: the front light (every edition), the door and the bumper (XL and XXL).
// In XL and XXL each part takes one shot for 10 points, shows its damage and is done; once all
// three are shot the car chicken can be hit. In XS the front only rings under fire.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"

namespace qzx {

namespace {

struct Part {
  const char* name;
  int event;
};
constexpr Part front = {"data\\gfx\\car_frontshoot1", 19};
constexpr Part door = {"data\\gfx\\car_door", 18};
constexpr Part bumper = {"data\\gfx\\car_bumper", 17};
constexpr std::int16_t damage_speed = 84;

// Per-round state: the parts shot so far.
int parts_shot = 0;

void part_update(Enemy& e) {
  if (e.state == 1) anim_advance(e, true);
}

void part_hit(Enemy& e) {
  metal_hit(e);
  if (app::edition == app::edition_xs || e.state != 0) return;
  e.state = 1;
  score_event(e, 10, e.data0);
  e.anim_speed = damage_speed;
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  ++parts_shot;
}

void spawn_part(const Part& p) {
  const gfx::ArtAnchor* a = gfx::find_art_anchor(p.name);
  Enemy* e = spawn_target(kind_scenery, gfx::find_sprite(p.name), a->x, a->y, a->depth);
  if (!e) return;
  e->data0 = p.event;
  e->update = part_update;
  e->on_hit = part_hit;
}

}  // namespace

void spawn_car_front() {
  parts_shot = 0;
  spawn_part(front);
}
void spawn_car_door() { spawn_part(door); }
void spawn_car_bumper() { spawn_part(bumper); }

int car_parts_shot() { return parts_shot; }

}  // namespace qzx
