// SPDX-License-Identifier: GPL-3.0-or-later
// The game's entry point: the backend is chosen here, once, before anything else runs.
#include <cstdlib>
#include <string>

#include "game/GrumboldX/startup.h"
#include "game/GrumboldX/video_command.h"
#include "platform/desktop.h"
#include "platform/platform.h"
#include "platform/sdl.h"

int main(int argc, char** argv) {
  // GRUMBOLDX_HEADLESS=1: no window, no sound device, virtual time, scripted input and dialogs.
  // A video export needs no window either: it renders off screen.
  const char* mode = std::getenv("GRUMBOLDX_HEADLESS");
  std::string video;
  const bool headless = (mode && mode[0] && mode[0] != '0') || front::video_argument(argc, argv, video);
  if (headless) {
    if (!plat::init_headless()) return 2;  // a malformed setting, told on stderr
  } else {
    plat::init_sdl();
    plat::use_desktop_dialog();
  }
  return front::game_main(argc, argv);
}
