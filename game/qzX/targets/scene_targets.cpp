// The scenes' target lists. The targets themselves come one file each beside this one; until a
// scene has any, its set-up spawns nothing and its steps find nothing to do.
#include "game/qzX/targets/targets.h"

namespace qzx {

void scene1_setup() {}
void scene2_setup() {}
void snail_patience_step() {}
void bee_swarm_step() {}
void front_target_megagun() {}

}  // namespace qzx
