// SPDX-License-Identifier: GPL-3.0-or-later
// Picture decoding without files: the colour rules, the dither generator, the graphics
// fingerprint and the BMP decoder.
#include <cstdlib>
#include <cstring>

#include "game/gfx/picture.h"
#include "game/gfx/rgb_rows.h"
#include "game/gfx/surfaces.h"
#include "game/resources/checksum.h"
#include "game/resources/memory.h"

namespace gfx {

std::uint8_t picture_palette[256][3];

namespace {

std::uint32_t dither = 12345;

std::uint32_t fingerprint_ring[32];
int fingerprint_position = 0;
bool fingerprint_paused = false;
char fingerprint_written[257];
FingerprintChecksum fingerprint_checksum = res::weighted_sum;

std::uint32_t read_u16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t read_u32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void fingerprint_chunk(const std::uint8_t* data, std::size_t length) {
  if (length > 0) fingerprint_add(data, static_cast<int>(length));
}

}  // namespace

// ---- colour rules ------------------------------------------------------------------------------

Rgb lift_near_black(Rgb c) {
  if (c.r < 8 && c.g < 8 && c.b < 8) return {8, 8, 8};
  return c;
}

Rgb adjust_palette_entry(Rgb c) {
  if (c.r < 8 && c.g < 8 && c.b < 8) return {8, 8, 8};
  if (is_palette_key(c)) return {0, 0, 0};
  return c;
}

void convert_rgb_row(const std::uint8_t* rgb, int width, bool (*key)(Rgb), std::uint16_t* out) {
  convert_row(rgb, width, ChannelOrder::red_first, key, out);
}

// ---- dither generator and fingerprint ------------------------------------------------------------

std::uint32_t dither_random() {
  dither = (dither & 1u) * 371945u - (dither >> 1) * 94325u;
  return dither;
}
std::uint32_t dither_state() { return dither; }
void set_dither_state(std::uint32_t state) { dither = state; }

void set_fingerprint_paused(bool paused) { fingerprint_paused = paused; }

void fingerprint_add(const void* data, int length) {
  if (fingerprint_paused) return;
  const std::int32_t sum = fingerprint_checksum(0, data, length, 7, 5);
  fingerprint_ring[fingerprint_position] ^= static_cast<std::uint32_t>(sum);
  fingerprint_position = (fingerprint_position + 1) % 32;
}

void set_fingerprint_checksum(FingerprintChecksum checksum) {
  fingerprint_checksum = checksum ? checksum : res::weighted_sum;
}

void fingerprint_text(char* out) {
  static constexpr char digits[] = "0123456789abcdef";
  for (int i = 0; i < 32; ++i) {
    for (int d = 0; d < 8; ++d) out[i * 8 + d] = digits[(fingerprint_ring[i] >> (28 - 4 * d)) & 15];
  }
  out[256] = '\0';
}

const char* graphics_fingerprint() { return fingerprint_written; }
void write_graphics_fingerprint() { fingerprint_text(fingerprint_written); }

void reset_fingerprint() {
  std::memset(fingerprint_ring, 0, sizeof fingerprint_ring);
  fingerprint_position = 0;
  fingerprint_paused = false;
  fingerprint_written[0] = '\0';
}

// ---- BMP ---------------------------------------------------------------------------------------

BmpResult decode_bmp(const std::uint8_t* data, std::size_t size, bool keep_indices,
                     Picture& out) {
  out = Picture{};
  constexpr std::size_t file_header = 14;
  if (data == nullptr || size < file_header + 40) return BmpResult::damaged;
  const std::uint8_t* info = data + file_header;
  const std::uint32_t info_size = read_u32(info);
  const std::int32_t width = static_cast<std::int32_t>(read_u32(info + 4));
  const std::int32_t raw_height = static_cast<std::int32_t>(read_u32(info + 8));
  const int bits = static_cast<int>(read_u16(info + 14));
  const std::uint32_t compression = read_u32(info + 16);
  std::uint32_t colours = read_u32(info + 32);

  if (compression != 0 || (bits != 1 && bits != 8 && bits != 24)) return BmpResult::unsupported;
  if (info_size < 40 || info_size > size) return BmpResult::damaged;
  // Rows are stored bottom-up; a negative height marks a top-down file.
  const bool top_down = raw_height < 0;
  const std::int64_t height64 = top_down ? -static_cast<std::int64_t>(raw_height) : raw_height;
  if (width <= 0 || height64 <= 0 || width > max_picture_side || height64 > max_picture_side)
    return BmpResult::damaged;
  const int height = static_cast<int>(height64);

  if (colours == 0) colours = bits == 8 ? 256 : bits == 1 ? 2 : 0;
  if (colours > 256) return BmpResult::damaged;

  const std::size_t palette_at = file_header + info_size;
  const std::size_t palette_bytes = static_cast<std::size_t>(colours) * 4;
  const std::size_t pixels_at = palette_at + palette_bytes;
  const std::size_t row_bytes =
      bits == 24 ? (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4
      : bits == 8 ? (static_cast<std::size_t>(width) + 3) / 4 * 4
                  : (static_cast<std::size_t>(width) + 31) / 32 * 4;
  const std::size_t pixel_bytes = row_bytes * static_cast<std::size_t>(height);
  if (pixels_at > size || pixel_bytes > size - pixels_at) return BmpResult::damaged;

  const std::uint8_t* palette = data + palette_at;
  const std::uint8_t* rows = data + pixels_at;
  fingerprint_chunk(palette, palette_bytes);
  if (bits == 24 && row_bytes != static_cast<std::size_t>(width) * 3) {
    // The rows as read, without their padding, form one chunk.
    const std::size_t packed = static_cast<std::size_t>(width) * 3;
    auto* joined = static_cast<std::uint8_t*>(XMALLOC(packed * height));
    for (int r = 0; r < height; ++r)
      std::memcpy(joined + packed * r, rows + row_bytes * r, packed);
    fingerprint_chunk(joined, packed * height);
    XFREE(joined);
  } else {
    fingerprint_chunk(rows, pixel_bytes);
  }

  // File row r holds picture row y.
  auto picture_row = [&](int r) { return top_down ? r : height - 1 - r; };
  const std::size_t count = static_cast<std::size_t>(width) * height;

  if (bits == 8) {
    std::uint8_t adjusted[256][3] = {};
    for (std::uint32_t i = 0; i < colours; ++i) {
      const std::uint8_t* e = palette + i * 4;
      const Rgb c = adjust_palette_entry({e[2], e[1], e[0]});
      adjusted[i][0] = static_cast<std::uint8_t>(c.r);
      adjusted[i][1] = static_cast<std::uint8_t>(c.g);
      adjusted[i][2] = static_cast<std::uint8_t>(c.b);
    }
    if (keep_indices) {
      std::memcpy(picture_palette, adjusted, sizeof adjusted);
      auto* out_indices = static_cast<std::uint8_t*>(XMALLOC(count));
      for (int r = 0; r < height; ++r)
        std::memcpy(out_indices + static_cast<std::size_t>(picture_row(r)) * width,
                    rows + row_bytes * r, width);
      out.data = out_indices;
      out.indexed = true;
    } else {
      std::uint16_t mapped[256];
      for (int i = 0; i < 256; ++i)
        mapped[i] = pack_rgb(adjusted[i][0] / 8, adjusted[i][1] / 8, adjusted[i][2] / 8);
      auto* px = static_cast<std::uint16_t*>(XMALLOC(count * 2));
      for (int r = 0; r < height; ++r) {
        const std::uint8_t* in = rows + row_bytes * r;
        std::uint16_t* o = px + static_cast<std::size_t>(picture_row(r)) * width;
        for (int x = 0; x < width; ++x) o[x] = mapped[in[x]];
      }
      out.data = px;
    }
  } else if (bits == 24) {
    auto* px = static_cast<std::uint16_t*>(XMALLOC(count * 2));
    for (int r = 0; r < height; ++r)
      convert_row(rows + row_bytes * r, width, ChannelOrder::blue_first, is_bmp24_key,
                  px + static_cast<std::size_t>(picture_row(r)) * width);
    out.data = px;
  } else {
    // Masks: a set bit is transparent, a clear bit opaque white; the leftmost pixel is the
    // byte's top bit. Whole bytes go eight pixels at a time.
    auto* px = static_cast<std::uint16_t*>(XMALLOC(count * 2));
    const int whole_bytes = width / 8;
    for (int r = 0; r < height; ++r) {
      const std::uint8_t* in = rows + row_bytes * r;
      std::uint16_t* o = px + static_cast<std::size_t>(picture_row(r)) * width;
      for (int i = 0; i < whole_bytes; ++i, o += 8) {
        const unsigned bits = in[i];
        for (int k = 0; k < 8; ++k)
          o[k] = static_cast<std::uint16_t>(((bits >> (7 - k)) & 1) - 1);
      }
      for (int x = whole_bytes * 8; x < width; ++x, ++o)
        *o = (in[x >> 3] >> (7 - (x & 7))) & 1 ? 0 : 0xFFFF;
    }
    out.data = px;
  }
  out.width = width;
  out.height = height;
  return BmpResult::ok;
}

void free_picture(Picture& picture) {
  if (picture.data) XFREE(picture.data);
  picture = Picture{};
}

}  // namespace gfx
