// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg files from the archive: read whole into memory, for the music and for the Ogg effects.
#include "game/ogg/music.h"
#include "game/resources/archive.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace sound {

OggImage read_ogg_file(const char* name) {
  OggImage image{nullptr, 0};
  const int size = res::xflen(name);
  if (size <= 0) return image;
  image.size = static_cast<std::uint32_t>(size);
  image.data = static_cast<unsigned char*>(XMALLOC(image.size));
  std::FILE* stream = res::xfopen(name, "rb");
  if (!stream) {
    res::debug_log("error opening ogg\n");
    res::fatal_exit(1);
  }
  const std::size_t got = std::fread(image.data, 1, image.size, stream);
  res::xfclose(stream);
  image.size = static_cast<std::uint32_t>(got);  // a short archive yields what it holds
  return image;
}

unsigned char* decode_ogg_file(const char* file_name, bool keep_stereo, plat::WaveFormat& format,
                               std::uint32_t& length) {
  length = 0;
  OggImage image = read_ogg_file(file_name);
  if (!image.data) return nullptr;
  unsigned char* samples =
      decode_ogg_image(image.data, image.size, file_name, keep_stereo, format, length);
  XFREE(image.data);
  return samples;
}

}  // namespace sound
