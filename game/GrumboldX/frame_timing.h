// Frame timing: the stamp ring, the smoothed frame time and the round clock's run-down.
#pragma once

#include <cstdint>

// Start of a frame at t0 (milliseconds): counts the frame and stamps it into the ring.
void frame_timing_start(std::uint32_t t0);
// End of the frame at t1: runs the round clock down by the frame's real length unless a screen
// transition is running, and measures the frame time the next frame's logic uses: the frame's
// own length for the first 40 frames, then the average over the last 40 (divided by 41), or
// the frame's own length once three frames in a row strayed more than 150 from the average;
// clamped to 655 .. 6553.
void frame_timing_finish(std::uint32_t t0, std::uint32_t t1, bool transition_running);
