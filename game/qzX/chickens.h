// SPDX-License-Identifier: GPL-3.0-or-later
// Chickens, the main quarry: flying chickens of four sizes (kind 1), side runners that run in
// along the ground and take off, and field runners that cross the field behind the scenery
// (kind 24). Every chicken spawned raises the round's live-chicken counter.
#pragma once

#include <cstdint>

#include "game/qzX/enemies.h"

namespace qzx {

// Sizes 1 big, 2 normal, 3 middle, 4 small.
struct ChickenSize {
  int depth;
  std::int32_t speed;     // px/s
  int start_height;       // y = h - random(h)
  bool pixel_test;
  int points;
  int death_sound;
  std::int32_t gravity;   // fall speed gained per second
  int turn_speed;         // course changes: vy = random(2k) - k
};
extern const ChickenSize chicken_sizes[5];  // index 1..4

// A random size: the size table, with no size 3 in edition XS.
int random_chicken_size();
// First scene; size -1 picks a random size.
Enemy* spawn_flying(int size);
// Second scene: a small chicken at depth 2 from the left or the right edge.
Enemy* spawn_flying_far();
// First scene, editions XL and XXL; null when no starting point outside the view was found.
Enemy* spawn_side_runner();
Enemy* spawn_field_runner();
// Forgets the side runners' last starting point (a new round).
void reset_side_runners();

// The common death: the multi-hit ring (unless the megagun fires), points (doubled when
// asked; 20 becomes 15), the popup, the recording, the falling or heart-attack animation, the
// sound.
void kill_chicken(Enemy& e, bool doubled, bool heart);
// The near-miss check of a flying chicken against the pending shot at the cursor.
void chicken_near_miss(Enemy& e);

// Targets: "chick_appear" at most every 4 s, with probability 1/8.
void chicken_call();
// "chicken close", "chicken mid" or "chicken far" at random.
void chicken_cry();

// Operations stored in the records (tests look at them). The flying update also runs the
// dying states: 3 falling, 6 heart attack.
void flying_update(Enemy& e);
void flying_hit(Enemy& e);
// Ground chickens: side runners (running, take-off) and field runners.
void side_runner_update(Enemy& e);
void side_runner_hit(Enemy& e);
void field_runner_update(Enemy& e);
void field_runner_hit(Enemy& e);

// Shared steps of the chicken behaviours.
// The z-order flags of a flying chicken of the size: the big one two steps in front, the normal
// one one step; the middle and small ones none.
std::uint16_t flying_z_flags(int size);
// A per-second speed (16.16) over this frame: v * frame_time / 65536.
std::int32_t per_frame(std::int32_t per_second);
// The ground shadow of a chicken that came from the ground, fading by 20000 per second.
void chicken_shadow(Enemy& e);
// Frees a chicken from its own update. The live-chicken counter only limits spawning, so this
// path lowers it once itself on top of enemy_free's own step for a flying chicken.
void chicken_gone(Enemy& e);
// The heart attack and the field runner's death: the animation holds its last frame, then the
// chicken fades out by 100000 per second and is freed.
void chicken_fade(Enemy& e);

// Behaviour data of a chicken record.
//   data0    side runner: its starting point (index of the 15-entry table)
//   data1    flying: turn-arounds after near misses; field runner: path progress 0..65535
//   data2    falling: fall speed
//   data3    falling: gravity per second
//   data4    field runner: y at the path end (16.16)
//   data5    field runner: progress per second
//   seq_pos  side runner: run cycles left; field runner: x at the path end (16.16)
//   timer    time since death; timer2 time to the next course change; counter panic time left

}  // namespace qzx
