// SPDX-License-Identifier: GPL-3.0-or-later
// The web build links no libpng: the headless backend's "screenshot" lines, which only scripted
// runs on a desktop use, fail there with a message instead of writing a file.
#include <cstdio>

#include "platform/backend.h"

namespace plat {

bool write_png(const char* path, const std::uint16_t*, int, int, int, const PixelFormat&) {
  std::fprintf(stderr, "%s: pictures cannot be saved in the web build\n", path);
  return false;
}

}  // namespace plat
