// SPDX-License-Identifier: GPL-3.0-or-later
// The game's entry point: the backend is chosen here, once, before anything else runs.
#include <cstdlib>

#include "game/GrumboldX/startup.h"
#include "platform/desktop.h"
#include "platform/platform.h"
#include "platform/sdl.h"

int main(int argc, char** argv) {
  // GRUMBOLDX_HEADLESS=1: no window, no sound device, virtual time, scripted input and dialogs.
  const char* mode = std::getenv("GRUMBOLDX_HEADLESS");
  const bool headless = mode && mode[0] && mode[0] != '0';
  if (headless) {
    if (!plat::init_headless()) return 2;  // a malformed setting, told on stderr
  } else {
    plat::init_sdl();
    plat::use_desktop_dialog();
  }
  return front::game_main(argc, argv);
}
