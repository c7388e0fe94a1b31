// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene's target list; the second scene's is in scene2_targets.cpp.
#include "game/app/app.h"
#include "game/qzX/targets/targets.h"

namespace qzx {

namespace {

struct TargetSpawn {
  const char* name;
  bool xl_up;  // spawned in editions XL and XXL only
  void (*spawn)();
};

// The first scene in its spawn order.
constexpr TargetSpawn scene1_targets[] = {
    {"key", true, spawn_key},
    {"gate", true, spawn_gate},
    {"postbox", false, spawn_postbox},
    {"sign", false, spawn_sign},
    {"pumpkin", false, spawn_pumpkin},
    {"stove", false, spawn_stove},
    {"box", true, spawn_box},
    {"tree", false, spawn_tree},
    {"apple", false, spawn_apple},
    {"snail", false, spawn_snail},
    {"hedgehog left", true, spawn_hedgehog_left},
    {"hedgehog right", true, spawn_hedgehog_right},
    {"hedgehog top", true, spawn_hedgehog_top},
    {"cards", true, spawn_cards},
    {"flower", false, spawn_flower},
    {"front", true, spawn_front},
    {"tupo", true, spawn_tupo},
    {"barrel", true, spawn_barrel},
    {"pan", false, spawn_pan},
    {"cornfield", false, spawn_cornfield},
    {"lake", false, spawn_lake},
    {"lake chicken", false, spawn_lake_chicken},
    {"safe", true, spawn_safe},
    {"toilet", false, spawn_toilet},
    {"toilet chicken", false, spawn_toilet_chicken},
    {"kite", true, spawn_kite},
    {"kite chicken", true, spawn_kite_chicken},
    {"beehive", false, spawn_beehive},
    {"car", false, spawn_car},  // edition XS: the simple car; XL and XXL: with its driver
    {"car front", false, spawn_car_front},
    {"car door", true, spawn_car_door},
    {"car bumper", true, spawn_car_bumper},
    {"oil barrel", true, spawn_oil_barrel},
};

}  // namespace

void scene1_setup() {
  for (const TargetSpawn& t : scene1_targets)
    if (!t.xl_up || app::edition != app::edition_xs) t.spawn();
  reset_card_game();
  reset_bees();
}

}  // namespace qzx
