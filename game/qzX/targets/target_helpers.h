// SPDX-License-Identifier: GPL-3.0-or-later
// What many targets share: their usual flags, hits on metal with sparks, the particles at the
// shot, points with their event, the spots a shot is told by, the window of frames in which a
// character shows its chicken, and the slot by which a target's neighbours reach it.
#pragma once

#include <cstdint>
#include <span>

#include "game/qzX/enemies.h"

namespace qzx {

// Flags of most scenery targets: visible, shootable, pixel test, one z step behind.
constexpr std::uint16_t target_flags = f_in_use | f_visible | f_shootable | f_pixel_test | f_z_behind;

// A target of the kind on its layer at (x, y) in layer pixels, showing frame 0 of the sprite
// with the usual flags; null when no slot is free.
Enemy* spawn_target(int kind, int sprite, int x, int y, int depth);
// Particles sprayed upwards at the shot, on the target's layer.
void hit_particles(const Enemy& e);
// A shot on metal: particles and one of "hit_metal1", "hit_metal2", "hit_metal3".
void metal_hit(const Enemy& e);
// Points shown at the target and the event recorded (value: the elapsed time).
void score_event(const Enemy& e, int points, int event, int dx = 0, int dy = 0);
// The shot's position relative to the target's position (layer pixels).
int shot_rel_x(const Enemy& e);
int shot_rel_y(const Enemy& e);
// A spot on a target, relative to its position, bounds included; the shot lies in it.
struct Spot {
  int x0, y0, x1, y1;
};
bool shot_in(const Enemy& e, Spot s);

// Sets `shootable` when on, clears it otherwise.
void shootable_if(Enemy& e, bool on);
// The same for `shootable` together with `pixel test`.
void pixel_shootable_if(Enemy& e, bool on);

// The frame drawn.
inline int frame_number(const Enemy& e) { return e.frame >> 8; }
// The frames first..last (inclusive) in which a character shows its chicken.
struct ChickenWindow {
  int first, last;
};
inline bool in_window(const Enemy& e, ChickenWindow w) {
  return frame_number(e) >= w.first && frame_number(e) <= w.last;
}
// A character's picture and its window.
struct AnimWindow {
  int sprite;
  ChickenWindow frames;
};
// The object shows one of the pictures on a frame of its window (false for other pictures).
bool in_anim_window(const Enemy& e, std::span<const AnimWindow> windows);
// Shootable, with the pixel test, exactly while it does.
void follow_window(Enemy& e, std::span<const AnimWindow> windows);
// Seconds in 16.16 from tenths: random(range) + base tenths (the targets' waits).
std::int32_t random_tenths(int base, int range);

// The slot of a target that others reach during the round: -1 when it was not spawned.
inline int slot_of(const Enemy* e) { return e ? enemy_index(*e) : -1; }
// The object in the slot while it is still that target, in use and running `update` (a freed
// slot may have gone to another object); null otherwise.
Enemy* target_in_slot(int slot, EnemyOp update);

// The card game (cards.cpp) as the card table (hedgehogs.cpp) sees it: the total of the hand,
// whether the players may stand on it now, standing (the hand ends after a short pause), and
// the end of the game for the round when a card player is shot.
int card_total();
bool card_stand_allowed();
void card_game_stand();
void end_card_game();

// The oil barrel has fallen over into its pool (oil_barrel.cpp): the barrel chicken stays down.
bool oil_barrel_fallen();

// What the targets of a chain read of each other (each changes only its own state):
// the tree has laughed, so the key shows (tree.cpp);
bool tree_has_laughed();
// the bites the snail has taken from the apple, 0..4 (snail.cpp);
int snail_bites();
// the apple while it hangs there to be eaten, null once it is shot (apple.cpp).
const Enemy* find_apple();

// The safe over the lake (safe.cpp): whether it still hangs ready to be dropped, its release by
// the lake chicken that climbed out onto the bank, and whether it has come down.
bool safe_waiting();
void release_safe();
bool safe_landed();
// The car's metal parts shot so far, 0..3 (car_parts.cpp): with all three the car chicken can be
// hit.
int car_parts_shot();

}  // namespace qzx
