// The little apple tree in the yard: its first shot shakes the apples down and scores.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\tree");
constexpr int points = 25;
constexpr int event = 22;

void tree_hit(Enemy& e) {
  scenery_once(e);
  score_event(e, points, event);
}

}  // namespace

void spawn_yard_tree() {
  Enemy* e = spawn_target(kind_scenery, sprite, 532, 258, 0);
  if (!e) return;
  e->update = scenery_hold;
  e->on_hit = tree_hit;
}

}  // namespace qzx
