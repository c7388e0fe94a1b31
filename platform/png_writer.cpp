// SPDX-License-Identifier: GPL-3.0-or-later
#include <png.h>

#include <cstdio>
#include <vector>

#include "platform/backend.h"

namespace plat {

namespace {
// Expands a channel of `bits` bits to 8 bits by repeating its high bits.
std::uint8_t expand(std::uint32_t value, int bits) {
  return static_cast<std::uint8_t>((value << (8 - bits)) | (value >> (2 * bits - 8)));
}
int count_bits(std::uint32_t mask) { return __builtin_popcount(mask); }
int shift_of(std::uint32_t mask) { return __builtin_ctz(mask); }
}  // namespace

bool write_png(const char* path, const std::uint16_t* pixels, int width, int height,
               int pitch_bytes, const PixelFormat& format) {
  std::FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int rb = count_bits(format.red_mask), gb = count_bits(format.green_mask),
            bb = count_bits(format.blue_mask);
  const int rs = shift_of(format.red_mask), gs = shift_of(format.green_mask),
            bs = shift_of(format.blue_mask);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    const auto* line = reinterpret_cast<const std::uint16_t*>(
        reinterpret_cast<const std::uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitch_bytes);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = line[x];
      row[x * 3 + 0] = expand((p & format.red_mask) >> rs, rb);
      row[x * 3 + 1] = expand((p & format.green_mask) >> gs, gb);
      row[x * 3 + 2] = expand((p & format.blue_mask) >> bs, bb);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

}  // namespace plat
