// The second scene's target list and its round flags.
#include "game/qzX/targets/scene2_targets.h"

#include "game/qzX/targets/targets.h"

namespace qzx {

Scene2Flags scene2_flags;

namespace {

// One entry of the spawn order: a target's own spawn operation, or a row of the pop-up table.
struct Scene2Spawn {
  const char* name;
  void (*spawn)();
  int hiding_place;  // used when spawn is null
};

// The yard in its spawn order. The order is also the slot order, so a hiding place spawned
// after the scenery in front of it wins a shot on both at the same depth.
constexpr Scene2Spawn scene2_targets[] = {
    {"doghouse", spawn_doghouse, -1},
    {"barrels", spawn_barrels, -1},
    {"chimney top", spawn_chimney_top, -1},
    {"barrel01", nullptr, hp_barrel01},
    {"barrel02", nullptr, hp_barrel02},
    {"barrel03", nullptr, hp_barrel03},
    {"chimney", nullptr, hp_chimney},
    {"window frame", spawn_window_frame, -1},
    {"windowr", nullptr, hp_windowr},
    {"topcorner", nullptr, hp_topcorner},
    {"behindwood", nullptr, hp_behindwood},
    {"doghouse_", nullptr, hp_doghouse},
    {"frontbigbarrel", nullptr, hp_frontbigbarrel},
    {"open door", spawn_open_door, -1},
    {"door", nullptr, hp_door},
    {"tree", spawn_yard_tree, -1},
    {"window", spawn_window, -1},
    {"bigwindow", nullptr, hp_bigwindow},
    {"trampoline", spawn_trampoline, -1},
    {"axe", spawn_axe, -1},
    {"shore", spawn_shore, -1},
    {"clothes", spawn_clothes, -1},
    {"grave", spawn_grave, -1},
    {"ghost", spawn_ghost, -1},
};

}  // namespace

void scene2_setup() {
  scene2_flags = Scene2Flags{};
  for (const Scene2Spawn& t : scene2_targets) {
    if (t.spawn)
      t.spawn();
    else
      spawn_hiding_place(t.hiding_place);
  }
}

}  // namespace qzx
