// SPDX-License-Identifier: GPL-3.0-or-later
// The replay file ("lastgame.rec", or any file given to -replay): any bytes are either refused
// with a reason or read within their length into counts the re-simulation can hold. Each input
// is read as it is and once more with its checksum made right, so the reader past the checksum
// is reached too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

#include "game/qzX/replay.h"

namespace {

void check(const std::uint8_t* data, std::size_t size) {
  qzx::Recording r;
  std::string error;
  if (!qzx::read_recording(data, size, r, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return;
  }
  if (r.edition < 1 || r.edition > 3 || r.frames.size() > qzx::max_frames || r.events.size() > qzx::max_events)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  check(data, size);
  if (size < 4) return 0;
  std::vector<std::uint8_t> fixed(data, data + size);
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, fixed.data(), static_cast<uInt>(size - 4)));
  for (int i = 0; i < 4; ++i) fixed[size - 4 + i] = static_cast<std::uint8_t>(crc >> (8 * i));
  check(fixed.data(), fixed.size());
  return 0;
}
