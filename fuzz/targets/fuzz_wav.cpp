// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV chunk scan on any bytes: whatever it finds lies inside the image, and the samples it
// hands out can be read to their end.
#include <cstdint>
#include <cstdlib>

#include "game/sound/sound.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  sound::WavLayout layout;
  if (sound::scan_wav(data, static_cast<std::uint32_t>(size), layout) != sound::WavScan::ok) return 0;
  if (layout.sample_length == 0 ||
      static_cast<std::uint64_t>(layout.samples_at) + layout.sample_length > size)
    std::abort();
  // The loader copies exactly these bytes.
  unsigned sum = 0;
  for (std::uint32_t i = 0; i < layout.sample_length; ++i) sum += data[layout.samples_at + i];
  return static_cast<int>(sum & 0);
}
