// The shovel leaning on the barn: its first shot knocks it over; it is gone once it has
// fallen.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\shore");
constexpr int points = 5;
constexpr int event = 26;

void shore_hit(Enemy& e) {
  scenery_once(e);
  hit_particles(e);
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_wood1);
}

}  // namespace

void spawn_shore() {
  Enemy* e = spawn_target(kind_scenery, sprite, 553, 275, 0);
  if (!e) return;
  e->update = scenery_until_end;
  e->on_hit = shore_hit;
}

}  // namespace qzx
