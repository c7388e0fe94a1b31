// SPDX-License-Identifier: GPL-3.0-or-later
// "-replay FILE": a recorded game played again. Headless it runs as fast as it can and prints
// the event log it reaches ("event CODE VALUE" a line, then "score N"); in a window it plays at
// the recorded pace, with the recorded input, shows its final score for two seconds and returns to
// the title.
#pragma once

#include <string>

#include "game/qzX/replay.h"
#include "game/qzX/round.h"

namespace front {

// The file named after "-replay", if the arguments have one.
bool replay_argument(int argc, char** argv, std::string& path);
// Reads a recording of the running edition; false (told on stderr) for one that cannot be read
// or belongs to another edition.
bool load_recording_for_this_edition(const char* path, qzx::Recording& r);
// Exit codes: 0 the replay reproduced the recording, 3 it diverged (told on stderr), 2 the file
// cannot be read or belongs to another edition.
constexpr int replay_reproduced = 0;
constexpr int replay_unreadable = 2;
constexpr int replay_diverged = 3;
int run_headless_replay(const char* path);
// Starts the window replay in state 1; false (told on stderr) for a file it cannot play.
bool start_window_replay(const char* path);
bool window_replay_running();
// This frame's recorded input; the frame time and the round clock are set as recorded.
void window_replay_frame(qzx::FrameInput& in);
// Every recorded frame has run.
bool window_replay_ended();
// The replay's last frame has run: its picture, with the final score, stays for two seconds
// while the round's frame no longer runs.
void hold_window_replay();
bool window_replay_holding();
// One frame of the hold; true once the two seconds have passed.
bool window_replay_hold_step();
// Back to the title, with the outcome on stderr.
void finish_window_replay();
// The least length of this frame in milliseconds: the recorded one during a window replay.
int replay_frame_wait_ms();

}  // namespace front
