// The frame of the barn's upper window: its first shot cracks it, costs points and keeps the
// chicken in that window from showing again this round.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\windowrshoot");
constexpr int points = -25;
constexpr int event = 34;

void window_frame_hit(Enemy& e) {
  scenery_once(e);
  scene2_flags.window_shot = true;
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_glass);
}

}  // namespace

void spawn_window_frame() {
  Enemy* e = spawn_target(kind_scenery, sprite, 408, 59, 0);
  if (!e) return;
  e->update = scenery_hold;
  e->on_hit = window_frame_hit;
}

}  // namespace qzx
