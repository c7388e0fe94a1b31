// SPDX-License-Identifier: GPL-3.0-or-later
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

#include <functional>
#include <string>
#include <vector>

#include "game/qzX/replay.h"

namespace test_support {

// How long the frames of a generated game last: a steady length, or lengths drawn between
// shortest and longest with now and then a stall of stall_ms (one frame in stall_every).
struct FrameLengths {
  int shortest_ms = 16, longest_ms = 16;
  int stall_ms = 0, stall_every = 0;
  std::uint32_t seed = 1;
};

// Plays one whole game in this process as the main loop runs it (the round's frame, the
// transition, the frame timing from the lengths: the round clock runs on the real lengths, the
// frame time is smoothed from them), with the aimed player, from a game start at the given wall
// time. The drawing is switched off for it. Returns the game's recording; the replay text of
// the game is qzx::replay_text() afterwards.
// before_frame, when given, runs before each frame's logic with the frame's index.
qzx::Recording play_whole_game(AimedPlayer& player, const FrameLengths& lengths,
                               std::uint32_t start_seconds, std::uint32_t start_millis,
                               const std::function<void(int)>& before_frame = {});

// What edition XXL's yard wants when the first scene ends, given at once: 900 points more, the
// gate open and the sign turned. Games that test the second scene get it at one frame, in play
// and in every re-simulation alike (yard_opener: the first frame with under 2 s left, noted in
// yard_frame; yard_opener_at: that frame again).
void open_the_yard();
std::function<void(int)> yard_opener(int& yard_frame);
std::function<void(int)> yard_opener_at(int yard_frame);

// A round the aimed player plays on the frames of a recorded round (its frame times and round
// clock), in this process: its inputs frame by frame, its events, its score and the first frame
// that scored. The edition's catalogue must be loaded.
struct AimedRound {
  std::vector<std::uint32_t> inputs;
  std::vector<qzx::EventEntry> events;
  std::int32_t score = 0;
  int first_kill_frame = -1;
};
AimedRound play_aimed(const qzx::Recording& timing);

// Recorded inputs as lines of the game binary's input script: the start button pressed before
// start_frame (the round's first frame), then per frame the moves, button presses and releases
// and arrow keys.
std::string script_of(const std::vector<std::uint32_t>& inputs, int start_frame);

}  // namespace test_support
