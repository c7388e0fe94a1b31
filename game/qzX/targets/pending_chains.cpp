// Targets not built yet: each definition here goes when its target's own file arrives.
#include "game/qzX/targets/targets.h"

namespace qzx {

void spawn_key() {}
void spawn_gate() {}
void spawn_sign() {}
void spawn_box() {}
void spawn_tree() {}
void spawn_apple() {}
void spawn_snail() {}
void snail_patience_step() {}

}  // namespace qzx
