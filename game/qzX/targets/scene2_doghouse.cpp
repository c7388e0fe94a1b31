// The doghouse: one shot wrecks it, costs points and keeps the chicken behind the trough from
// ever popping up again this round.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\doghouse");
constexpr int points = -25;
constexpr int event = 33;

void doghouse_hit(Enemy& e) {
  scenery_once(e);
  scene2_flags.doghouse_shot = true;
  hit_particles(e);
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_wood1);
}

}  // namespace

void spawn_doghouse() {
  Enemy* e = spawn_target(kind_scenery, sprite, 654, 305, 0);
  if (!e) return;
  e->update = scenery_hold;
  e->on_hit = doghouse_hit;
}

}  // namespace qzx
