// The main loop: one window message when one waits, else one frame while the window is active.
#pragma once

#include <cstdint>

// Runs until the quit message; closes the archive and returns the quit message's code.
int run_main_loop();
// One frame: latch the clicks, run the current screen, flip, wait for at least 10 ms, measure.
void run_frame();
void run_game_state();
// Orderly quit from inside a frame or a key handler: release everything and close the window.
void quit_game();
