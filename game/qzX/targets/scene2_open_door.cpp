// SPDX-License-Identifier: GPL-3.0-or-later
// The house's open door: only the part of the leaf that stands out from the doorway takes a
// shot (once); the leaf jolts and swings shut, and the shot costs points.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int open_sprite = gfx::find_sprite("data\\gfx2\\dooropen");
constexpr int jolt_sprite = gfx::find_sprite("data\\gfx2\\dooropenshoot");
constexpr int shut_sprite = gfx::find_sprite("data\\gfx2\\doorcloseshoot");
constexpr int start_frame = 5;  // wide open
constexpr int points = -25;
constexpr int event = 35;

constexpr int state_open = 0;
constexpr int state_jolting = 1;
constexpr int state_shut = 2;

// The leaf stands out to the left of the doorway once it is opened past its edge (frame 3 on),
// and covers the doorway's right part before that. Boxes relative to the door's position.
struct DoorPart {
  int x, y, w, h;
};
constexpr int doorway_left = 25;
DoorPart standing_part(int frame) {
  if (frame >= 3) return {0, 14, doorway_left, 99};
  return {doorway_left, 14, 60, 99};
}

void open_door_update(Enemy& e) {
  if (e.state == state_jolting && anim_advance(e, true)) {
    set_anim(e, shut_sprite, 0);
    e.state = state_shut;
  } else if (e.state == state_shut) {
    anim_advance(e, true);
  }
}

void open_door_hit(Enemy& e) {
  if (e.state != state_open) return;
  set_anim(e, jolt_sprite, 0);
  scenery_once(e);
  e.state = state_jolting;
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_wood3);
}

}  // namespace

void spawn_open_door() {
  Enemy* e = spawn_target(kind_scenery, open_sprite, 175, 227, 0);
  if (!e) return;
  e->frame = start_frame << 8;
  // The doorway itself belongs to the chicken in it: the leaf is tested by its box.
  e->flags &= static_cast<std::uint16_t>(~f_pixel_test);
  const DoorPart p = standing_part(start_frame);
  set_hitbox(*e, p.x, p.y, p.w, p.h);
  e->state = state_open;
  e->update = open_door_update;
  e->on_hit = open_door_hit;
}

}  // namespace qzx
