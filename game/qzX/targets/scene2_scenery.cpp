// What the yard's one-shot scenery shares: a shot ends its part in shot resolution and plays
// its animation once.
#include "game/qzX/targets/scene2_targets.h"

namespace qzx {

void scenery_once(Enemy& e) {
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.anim_speed = 84;
}

void scenery_hold(Enemy& e) { anim_advance(e, true); }

void scenery_until_end(Enemy& e) {
  if (e.flags & f_shootable) return;  // not shot yet
  if (anim_advance(e, true)) enemy_free(e);
}

}  // namespace qzx
