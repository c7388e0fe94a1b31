// SPDX-License-Identifier: GPL-3.0-or-later
// The postbox at the front of the yard: one shot on its metal scores 5 and it is done.
#include "game/gfx/catalogue_table.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_postbox = 18;
constexpr int spr_postbox = gfx::find_sprite("data\\gfx\\postbox");
constexpr int postbox_x = 3008, postbox_y = 408, postbox_depth = 0;

void postbox_hit(Enemy& e) {
  if (e.state != 0) return;
  e.state = 1;
  score_event(e, 5, 7);
  sound::play_sound(sound::sfx_hit_metal1);
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
}

}  // namespace

void spawn_postbox() {
  Enemy* e = spawn_target(kind_postbox, spr_postbox, postbox_x, postbox_y, postbox_depth);
  if (!e) return;
  e->on_hit = postbox_hit;
}

}  // namespace qzx
