// SPDX-License-Identifier: GPL-3.0-or-later
// The casement over the barn's big window: a shot anywhere on its glass cracks it (once) and
// costs points. The glass is clear, so the shot is tested against the glass's box, not the
// picture's pixels.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int sprite = gfx::find_sprite("data\\gfx2\\windowopenclose");
constexpr int crack_sprite = gfx::find_sprite("data\\gfx2\\windowcrack");
constexpr int points = -25;
constexpr int event = 30;

void window_hit(Enemy& e) {
  set_anim(e, crack_sprite, 0);
  scenery_once(e);
  score_event(e, points, event);
  sound::play_sound(sound::sfx_hit_glass);
}

}  // namespace

void spawn_window() {
  Enemy* e = spawn_target(kind_scenery, sprite, 408, 201, 0);
  if (!e) return;
  e->flags &= static_cast<std::uint16_t>(~f_pixel_test);
  set_hitbox(*e, 13, 17, 43, 57);
  e->update = scenery_hold;
  e->on_hit = window_hit;
}

}  // namespace qzx
