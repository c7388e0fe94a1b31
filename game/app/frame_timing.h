// SPDX-License-Identifier: GPL-3.0-or-later
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

// Where a frame's timing may come from instead of the clock (replays): the source hands out the
// frame's real length in milliseconds, which the round clock runs down by, and the smoothed frame
// time the next frame's logic uses. It answers false when it has nothing for this frame; the
// clock measures that frame. The default source is the platform's recording
// (plat::next_recorded_frame), which is empty unless a headless run was given one.
using FrameLengthSource = bool (*)(std::int32_t& length_ms, std::int32_t& frame_time);
void set_frame_length_source(FrameLengthSource source);
// End of a frame from a recording: the round clock runs down by length_ms unless a transition
// is running, and the frame time becomes frame_time (clamped to 655 .. 6553 like a measured one).
void frame_timing_finish_recorded(std::int32_t length_ms, std::int32_t frame_time,
                                  bool transition_running);
// End of a frame as the main loop runs it: from the source when it has the frame, else measured.
// Returns the frame's length in milliseconds as the round clock took it.
std::int32_t frame_timing_end(std::uint32_t t0, std::uint32_t t1, bool transition_running);
