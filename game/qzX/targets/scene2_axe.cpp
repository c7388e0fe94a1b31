// The axe in the chopping block: its first shot knocks it out of the block; it is gone once it
// has fallen.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\axe");
constexpr int points = 5;
constexpr int event = 23;

void axe_hit(Enemy& e) {
  scenery_once(e);
  hit_particles(e);
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_wood1);
}

}  // namespace

void spawn_axe() {
  Enemy* e = spawn_target(kind_scenery, sprite, 114, 360, 0);
  if (!e) return;
  e->update = scenery_until_end;
  e->on_hit = axe_hit;
}

}  // namespace qzx
