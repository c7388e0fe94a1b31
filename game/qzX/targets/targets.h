// The scenery targets of both scenes: where the round set-up spawns them, and the round steps
// that belong to them.
#pragma once

namespace qzx {

// The first scene's targets in their spawn order, with the round flags they own reset.
void scene1_setup();
// The second scene's targets (edition XXL).
void scene2_setup();
// Every first-scene frame before scrolling: the snail's patience runs out after 30 s.
void snail_patience_step();
// Every first-scene frame after the megagun: the bee swarm.
void bee_swarm_step();
// The megagun fires: the front character ducks away.
void front_target_megagun();

}  // namespace qzx
