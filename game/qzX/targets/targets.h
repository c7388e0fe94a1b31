// SPDX-License-Identifier: GPL-3.0-or-later
// The scenery targets of both scenes: where the round set-up spawns them, and the round steps
// that belong to them. Each target lives in a file of its own beside this header, named after
// it (the snail in snail.cpp), with its spawn, update and hit operations; scene_targets.cpp
// holds the first scene's spawn order as a table.
#pragma once

namespace qzx {

// The first scene's targets in their spawn order, with the round values they own reset.
void scene1_setup();
// The second scene's targets (edition XXL).
void scene2_setup();
// Every first-scene frame before scrolling: the snail's patience runs out after 30 s.
void snail_patience_step();
// Every first-scene frame after the megagun: the bee swarm.
void bee_swarm_step();
// The megagun fires: the front character ducks away.
void front_target_megagun();

// The first scene's spawn operations, in the spawn order. Each takes its slot(s) and resets the
// state it keeps for the round.
void spawn_key();
void spawn_gate();
void spawn_postbox();
void spawn_sign();
void spawn_pumpkin();
void spawn_stove();
void spawn_box();
void spawn_tree();
void spawn_apple();
void spawn_snail();
void spawn_hedgehog_left();
void spawn_hedgehog_right();
void spawn_hedgehog_top();
void spawn_cards();
void spawn_flower();
void spawn_front();
void spawn_tupo();
void spawn_barrel();
void spawn_pan();
void spawn_cornfield();
void spawn_lake();
void spawn_lake_chicken();
void spawn_safe();
void spawn_toilet();
void spawn_toilet_chicken();
void spawn_kite();
void spawn_kite_chicken();
void spawn_beehive();
void spawn_car();
void spawn_car_front();
void spawn_car_door();
void spawn_car_bumper();
void spawn_oil_barrel();
// Reset after the spawns: the card total, the bee count and the card game's flags.
void reset_card_game();
void reset_bees();

}  // namespace qzx
