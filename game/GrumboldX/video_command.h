// SPDX-License-Identifier: GPL-3.0-or-later
// "-replay FILE -video OUT.webm": a recorded game written as a video (the picture as the player
// saw it, with its sound) instead of being played. It runs on the headless backend whatever the
// desktop, shows its progress on stderr and exits.
#pragma once

#include <string>

namespace front {

// The file named after "-video", if the arguments have one.
bool video_argument(int argc, char** argv, std::string& path);
// Exit codes: 0 written, 1 the encoder failed (told on stderr; no file is left behind), 2 the
// recording cannot be read or belongs to another edition, 3 written, but the game diverged from
// its recording (told on stderr).
constexpr int video_written = 0;
constexpr int video_failed = 1;
int run_video_export(const char* replay_path, const char* video_path);

}  // namespace front
