// The two pots on the chimney: each breaks at its first shot, costs points, silences the
// chimney's chicken and sends one that is just popping out back down.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int points = -25;
constexpr int event = 87;

struct Pot {
  int sprite, x, y;
};
constexpr Pot pots[2] = {
    {gfx::find_sprite("data\\gfx2\\chimneyshoot"), 157, 54},
    {gfx::find_sprite("data\\gfx2\\chimneyshoot2"), 192, 54},
};

void pot_hit(Enemy& e) {
  scenery_once(e);
  scene2_flags.chimney_shot = true;
  hiding_place_drop(hp_chimney);
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_stone);
}

}  // namespace

void spawn_chimney_top() {
  for (const Pot& p : pots) {
    Enemy* e = spawn_target(kind_scenery, p.sprite, p.x, p.y, 0);
    if (!e) continue;
    e->update = scenery_hold;
    e->on_hit = pot_hit;
  }
}

}  // namespace qzx
