// SPDX-License-Identifier: GPL-3.0-or-later
// The main loop: one window message when one waits, else one frame while the window is active.
#pragma once

#include <cstdint>

namespace front {

// Runs until the quit message; closes the archive and returns the quit message's code.
int run_main_loop();
// One frame: latch the clicks, run the current screen, flip, wait for at least 10 ms, measure.
void run_frame();
void run_game_state();
// The clicks that arrived since the previous frame become this frame's click and right click
// (two presses count as one); at the end of the frame the latches are cleared.
void latch_clicks();
void clear_click_latches();
// Orderly quit from inside a frame or a key handler: release everything and close the window.
void quit_game();

}  // namespace front
