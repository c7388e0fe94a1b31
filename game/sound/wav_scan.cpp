// SPDX-License-Identifier: GPL-3.0-or-later
// The WAV chunk scan: whole 4-byte groups compared at steps of 4, the format record taken as the
// file states it, the samples never reaching past the image.
#include <cstring>

#include "game/sound/sound.h"

namespace sound {

namespace {

std::uint32_t word32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t word16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

// The offset of tag at from, from + 4, ... with room for the tag and the size word after it;
// -1 when there is none. Offsets are 64-bit, so a chunk size near 4 GiB cannot wrap around.
long long find_tag(const unsigned char* image, std::uint32_t length, long long from,
                   const char* tag) {
  for (long long at = from; at + 8 <= length; at += 4)
    if (std::memcmp(image + at, tag, 4) == 0) return at;
  return -1;
}

}  // namespace

WavScan scan_wav(const unsigned char* image, std::uint32_t length, WavLayout& out) {
  out = WavLayout{};
  // "WAVE" is a form type, not a chunk: no size word follows it.
  long long wave = -1;
  for (long long at = 0; at + 4 <= length; at += 4)
    if (std::memcmp(image + at, "WAVE", 4) == 0) {
      wave = at;
      break;
    }
  if (wave < 0) return WavScan::no_wave;

  // A fmt chunk counts only with the 16 bytes of the format record behind its size word.
  const long long fmt = find_tag(image, length, wave, "fmt ");
  if (fmt < 0 || fmt + 8 + 16 > length) return WavScan::no_fmt;
  const unsigned char* body = image + fmt + 8;
  const std::uint32_t body_size = word32(image + fmt + 4);
  plat::WaveFormat& f = out.format;
  f.format_tag = word16(body);
  f.channels = word16(body + 2);
  f.samples_per_sec = word32(body + 4);
  f.avg_bytes_per_sec = word32(body + 8);
  f.block_align = word16(body + 12);
  f.bits_per_sample = word16(body + 14);
  f.extra_size = body_size >= 18 && fmt + 8 + 18 <= length ? word16(body + 16) : 0;

  const long long data = find_tag(image, length, fmt + 8 + static_cast<long long>(body_size), "data");
  if (data < 0) return WavScan::no_data;
  const std::uint32_t stated = word32(image + data + 4);
  if (stated == 0) return WavScan::empty;
  const std::uint32_t held = length - static_cast<std::uint32_t>(data + 8);
  out.samples_at = static_cast<std::uint32_t>(data + 8);
  out.sample_length = stated < held ? stated : held;
  return out.sample_length ? WavScan::ok : WavScan::empty;
}

}  // namespace sound
