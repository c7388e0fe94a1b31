// SPDX-License-Identifier: GPL-3.0-or-later
// An Ogg effect decoded from any bytes, with and without keep stereo: the decoder reads only
// the image, and what comes out is whole frames of the format it states.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "game/ogg/music.h"
#include "game/resources/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  for (bool keep_stereo : {false, true}) {
    plat::WaveFormat format{};
    std::uint32_t length = 0;
    unsigned char* samples = sound::decode_ogg_image(data, static_cast<std::uint32_t>(size),
                                                     "fuzz.ogg", keep_stereo, format, length);
    if (!samples) {
      if (length != 0) std::abort();
      continue;
    }
    if (format.channels < 1 || format.channels > 2 || format.block_align != format.channels * 2 ||
        length == 0 || length % format.block_align != 0)
      std::abort();
    unsigned sum = 0;
    for (std::uint32_t i = 0; i < length; ++i) sum += samples[i];  // every byte was written
    XFREE(samples);
    if (sum == 0xFFFFFFFFu) return 1;
  }
  return 0;
}
