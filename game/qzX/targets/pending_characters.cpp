// Targets not built yet: each definition here goes when its target's own file arrives.
#include "game/qzX/targets/targets.h"

namespace qzx {

void spawn_hedgehog_left() {}
void spawn_hedgehog_right() {}
void spawn_hedgehog_top() {}
void spawn_cards() {}
void reset_card_game() {}
void spawn_flower() {}
void spawn_barrel() {}
void spawn_cornfield() {}
void spawn_beehive() {}
void reset_bees() {}
void bee_swarm_step() {}
void spawn_kite() {}
void spawn_kite_chicken() {}
void spawn_oil_barrel() {}

}  // namespace qzx
