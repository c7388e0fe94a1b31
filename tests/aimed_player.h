// A player for tests and measurements: each frame it looks at the object slots and aims at a
// chicken in view, fires when its gun is ready, reloads an empty magazine and now and then
// holds an arrow key. It makes its own choices with a generator of its own, so it never moves
// the game's random numbers.
#pragma once

#include <cstdint>

namespace test_support {

struct AimedPlayer {
  std::uint32_t state = 1;   // its own generator
  int cursor_x = 400, cursor_y = 300;
  int cooldown = 0;          // frames until the next shot
  int arrow_frames = 0;      // frames an arrow key stays held
  bool arrow_right = true;
  int miss_percent = 20;     // shots aimed beside the chicken (near misses, ricochets)
};

// This frame's packed input (cursor, arrows, clicks) for a round about to run its frame with
// the given round clock.
std::uint32_t aimed_input(AimedPlayer& p, std::int32_t round_time);

}  // namespace test_support
