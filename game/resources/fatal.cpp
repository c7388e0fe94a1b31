// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/fatal.h"

#include <cstdlib>

#include "platform/platform.h"

namespace res {

void fatal_exit(int code) {
  // Static destructors run inside std::exit; nothing on another thread may still be reading
  // the game's tables by then.
  plat::shutdown();
  std::exit(code);
}

}  // namespace res
