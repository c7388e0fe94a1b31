// The exit screen: shown before the program ends; Escape or space end it once its clock has
// run for 3 seconds (editions XL and XXL start the clock at 99 s, so at once).
#pragma once

#include <cstdint>

constexpr std::int32_t exit_screen_patience = 196608;  // 3.0 s

extern std::int32_t exit_clock;
extern int exit_frames;

void reset_exit_screen();
// Runs one frame of the exit screen; true when the player asked to quit.
bool run_exit_screen();
