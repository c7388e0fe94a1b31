// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg Vorbis decoding from an image in memory, and the whole-file decoding of the effects.
#include <vorbis/vorbisfile.h>

#include <cerrno>
#include <cstring>

#include "game/ogg/music.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace sound {

namespace {

// Hands out the image's bytes; 0 with errno clear is the end of the stream to the decoder.
std::size_t read_image(void* out, std::size_t size, std::size_t count, void* source) {
  auto* s = static_cast<OggSource*>(source);
  errno = 0;
  if (size == 0) return 0;
  const std::size_t left = s->size - s->at;
  const std::size_t wanted = size * count < left ? size * count : left;
  const std::size_t items = wanted / size;
  if (items == 0) return 0;
  std::memcpy(out, s->data + s->at, items * size);
  s->at += static_cast<std::uint32_t>(items * size);
  return items;
}

// Not seekable: no seek or tell, and the decoder does not close the image.
constexpr ov_callbacks memory_callbacks{read_image, nullptr, nullptr, nullptr};

// Effects are decoded in reads of this size into a block grown in steps of 64 KiB.
constexpr long read_size = 4096;
constexpr std::size_t block_step = 65536;

}  // namespace

bool open_ogg_memory(OggVorbis_File& decoder, OggSource& source) {
  source.at = 0;
  return ov_open_callbacks(&source, &decoder, nullptr, 0, memory_callbacks) == 0;
}

unsigned char* decode_ogg_image(const unsigned char* image, std::uint32_t size, const char* name,
                                bool keep_stereo, plat::WaveFormat& format,
                                std::uint32_t& length) {
  length = 0;
  OggSource source{image, size, 0};
  OggVorbis_File decoder;
  if (!open_ogg_memory(decoder, source)) {
    res::debug_log("<%s> does not appear to be an Ogg bitstream.\n", name);
    return nullptr;
  }
  const vorbis_info* info = ov_info(&decoder, -1);
  const int channels = info ? info->channels : 0;
  const long rate = info ? info->rate : 0;
  if (channels != 1 && channels != 2) {
    // Only mono and stereo files can be reduced to an effect.
    res::debug_log("<%s> has %d channels, an effect needs 1 or 2.\n", name, channels);
    ov_clear(&decoder);
    return nullptr;
  }
  const bool stereo = keep_stereo && channels == 2;
  format.format_tag = 1;
  format.bits_per_sample = 16;
  format.samples_per_sec = static_cast<std::uint32_t>(rate / 2);
  format.channels = stereo ? 2 : 1;
  format.block_align = static_cast<std::uint16_t>(format.channels * 2);
  format.avg_bytes_per_sec = format.block_align * format.samples_per_sec;
  format.extra_size = 0;

  std::size_t capacity = block_step;
  std::size_t decoded = 0;
  auto* block = static_cast<char*>(XMALLOC(capacity));
  for (;;) {
    if (decoded + read_size >= capacity) {
      capacity += block_step;
      block = static_cast<char*>(XREALLOC(block, capacity));
    }
    int section = 0;
    const long got = ov_read(&decoder, block + decoded, static_cast<int>(read_size), 0, 2, 1, &section);
    if (got == 0) break;
    if (got < 0) {
      res::debug_log("something went wrong(%ld), can't load ogg-file<%s>!\n", got, name);
      break;
    }
    decoded += static_cast<std::size_t>(got);
  }
  ov_clear(&decoder);

  // Every second frame, unfiltered: the same pitch and length at half the rate and memory.
  const std::size_t frames = decoded / 4 / static_cast<std::size_t>(channels);
  if (frames == 0) {
    res::debug_log("<%s> holds no sound.\n", name);
    XFREE(block);
    return nullptr;
  }
  std::int16_t* s = reinterpret_cast<std::int16_t*>(block);
  length = static_cast<std::uint32_t>(frames * format.block_align);
  auto* out = static_cast<std::int16_t*>(XMALLOC(length));
  for (std::size_t i = 0; i < frames; ++i) {
    if (channels == 1) {
      out[i] = s[2 * i];
    } else if (!stereo) {
      out[i] = s[4 * i];
    } else {
      out[2 * i] = s[4 * i];
      out[2 * i + 1] = s[4 * i + 1];
    }
  }
  XFREE(block);
  return reinterpret_cast<unsigned char*>(out);
}

}  // namespace sound
