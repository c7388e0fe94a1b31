// SPDX-License-Identifier: GPL-3.0-or-later
// BMP decoder: any file image decodes or fails cleanly, and a decoded picture has every pixel.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "game/gfx/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (bool keep_indices : {false, true}) {
    gfx::Picture p;
    const gfx::BmpResult r = gfx::decode_bmp(data, size, keep_indices, p);
    if (r != gfx::BmpResult::ok) {
      if (p.data) std::abort();
      continue;
    }
    if (p.width <= 0 || p.height <= 0 || !p.data) std::abort();
    // Touch the last pixel so a short buffer is seen.
    const std::size_t last = static_cast<std::size_t>(p.width) * p.height - 1;
    volatile unsigned v = p.indexed ? p.indices()[last] : p.pixels()[last];
    (void)v;
    gfx::free_picture(p);
  }
  return 0;
}
