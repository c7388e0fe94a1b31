// SPDX-License-Identifier: GPL-3.0-or-later
// The web build has no video export (no FFmpeg): "-video" is not an option there, and a replay
// is always played.
#include "game/GrumboldX/video_command.h"

#include <cstdio>

namespace front {

bool video_argument(int, char**, std::string&) { return false; }

int run_video_export(const char*, const char* video_path) {
  std::fprintf(stderr, "video: %s: the web build writes no videos\n", video_path);
  return video_failed;
}

}  // namespace front
