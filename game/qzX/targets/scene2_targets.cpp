// SPDX-License-Identifier: GPL-3.0-or-later
// The second scene's target list and its round flags.
#include "game/qzX/targets/scene2_targets.h"

#include "game/qzX/targets/targets.h"

namespace qzx {

Scene2Flags scene2_flags;

namespace {

// One entry of the spawn order: a target's own spawn operation, or a row of a family of alike
// targets (the hiding places, the one-shot scenery) with the family's spawn operation.
struct Scene2Spawn {
  const char* name;
  void (*spawn)();
  void (*spawn_row)(int);  // used when spawn is null
  int row;
};

// The yard in its spawn order. The order is also the slot order, so a hiding place spawned
// after the scenery in front of it wins a shot on both at the same depth.
constexpr Scene2Spawn scene2_targets[] = {
    {"doghouse", nullptr, spawn_scenery_piece, sp_doghouse},
    {"barrels", spawn_barrels, nullptr, 0},
    {"chimney top, left pot", nullptr, spawn_scenery_piece, sp_chimney_pot_left},
    {"chimney top, right pot", nullptr, spawn_scenery_piece, sp_chimney_pot_right},
    {"barrel01", nullptr, spawn_hiding_place, hp_barrel01},
    {"barrel02", nullptr, spawn_hiding_place, hp_barrel02},
    {"barrel03", nullptr, spawn_hiding_place, hp_barrel03},
    {"chimney", nullptr, spawn_hiding_place, hp_chimney},
    {"window frame", nullptr, spawn_scenery_piece, sp_window_frame},
    {"windowr", nullptr, spawn_hiding_place, hp_windowr},
    {"topcorner", nullptr, spawn_hiding_place, hp_topcorner},
    {"behindwood", nullptr, spawn_hiding_place, hp_behindwood},
    {"doghouse_", nullptr, spawn_hiding_place, hp_doghouse},
    {"frontbigbarrel", nullptr, spawn_hiding_place, hp_frontbigbarrel},
    {"open door", spawn_open_door, nullptr, 0},
    {"door", nullptr, spawn_hiding_place, hp_door},
    {"tree", nullptr, spawn_scenery_piece, sp_yard_tree},
    {"window", spawn_window, nullptr, 0},
    {"bigwindow", nullptr, spawn_hiding_place, hp_bigwindow},
    {"trampoline", spawn_trampoline, nullptr, 0},
    {"axe", nullptr, spawn_scenery_piece, sp_axe},
    {"shore", nullptr, spawn_scenery_piece, sp_shore},
    {"clothes", spawn_clothes, nullptr, 0},
    {"grave", spawn_grave, nullptr, 0},
    {"ghost", spawn_ghost, nullptr, 0},
};

}  // namespace

void scene2_setup() {
  scene2_flags = Scene2Flags{};
  for (const Scene2Spawn& t : scene2_targets) {
    if (t.spawn)
      t.spawn();
    else t.spawn_row(t.row);
  }
}

}  // namespace qzx
