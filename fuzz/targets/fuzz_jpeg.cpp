// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG pictures of the archive, decoded through libjpeg into display pixels row by row: any
// file either decodes into a picture with every pixel or fails cleanly with nothing kept.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "game/gfx/picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::FILE* stream = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (!stream) return 0;
  gfx::Picture p;
  const bool ok = gfx::decode_jpeg(stream, p);
  std::fclose(stream);
  if (!ok) {
    if (p.data) std::abort();
    return 0;
  }
  if (p.width <= 0 || p.height <= 0 || !p.data) std::abort();
  const std::size_t last = static_cast<std::size_t>(p.width) * p.height - 1;
  volatile unsigned v = p.pixels()[last];  // touch the last pixel so a short buffer is seen
  (void)v;
  gfx::free_picture(p);
  return 0;
}
