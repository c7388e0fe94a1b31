// SPDX-License-Identifier: GPL-3.0-or-later
// WAV effects: the file is read whole from the archive, scanned for its chunks, and its samples
// copied into a block of their own.
#include <cstring>

#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"

namespace sound {

void load_wav_sound(int number, const char* file_name, std::uint32_t buffer_flags) {
  SoundEntry* found = begin_sound_entry(number, file_name);
  if (!found) return;
  SoundEntry& entry = *found;
  const int length = res::xflen(file_name);
  if (length <= 0) return;

  auto* image = static_cast<unsigned char*>(XMALLOC(static_cast<std::size_t>(length)));
  std::FILE* stream = res::xfopen(file_name, "rb");
  const std::size_t got =
      stream ? std::fread(image, 1, static_cast<std::size_t>(length), stream) : 0;
  res::xfclose(stream);
  // A short read scans only what arrived.
  WavLayout layout;
  switch (scan_wav(image, static_cast<std::uint32_t>(got), layout)) {
    case WavScan::no_wave: res::debug_log("could not find WAVE chunk\n"); break;
    case WavScan::no_fmt: res::debug_log("could not find fmt chunk\n"); break;
    case WavScan::no_data: res::debug_log("could not find data chunk\n"); break;
    case WavScan::empty: break;  // a data chunk of size 0: silent without a word
    case WavScan::ok:
      entry.format = layout.format;
      entry.samples = static_cast<unsigned char*>(XMALLOC(layout.sample_length));
      std::memcpy(entry.samples, image + layout.samples_at, layout.sample_length);
      entry.sample_length = layout.sample_length;
      entry.buffer_flags = buffer_flags;
      break;
  }
  XFREE(image);
}

}  // namespace sound
