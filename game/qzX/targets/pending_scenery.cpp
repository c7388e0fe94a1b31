// Targets not built yet: each definition here goes when its target's own file arrives.
#include "game/qzX/targets/targets.h"

namespace qzx {

void spawn_postbox() {}
void spawn_pumpkin() {}
void spawn_stove() {}
void spawn_front() {}
void front_target_megagun() {}
void spawn_tupo() {}
void spawn_pan() {}
void spawn_lake() {}
void spawn_lake_chicken() {}
void spawn_safe() {}
void spawn_toilet() {}
void spawn_toilet_chicken() {}
void spawn_car() {}
void spawn_car_front() {}
void spawn_car_door() {}
void spawn_car_bumper() {}

}  // namespace qzx
