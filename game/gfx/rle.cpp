// SPDX-License-Identifier: GPL-3.0-or-later
// Run-length packing of sprite frame rows.
#include "game/gfx/rle.h"

namespace gfx {

namespace {

// Shared encoder: Unit is the storage unit, Value the pixel type. Returns units written.
template <typename Value, typename Unit, int max_run, int literal_flag, typename PutLength>
std::size_t encode_row(const Value* p, int n, Unit* out, int header_units, PutLength put_length) {
  std::size_t at = static_cast<std::size_t>(header_units);
  int i = 0;
  while (i < n) {
    const int left = n - i;
    if (left > 3 && p[i] == p[i + 1] && p[i] == p[i + 2]) {
      int run = 3;
      while (run < left && run < max_run && p[i + run] == p[i]) ++run;
      out[at++] = static_cast<Unit>(run);
      out[at++] = static_cast<Unit>(p[i]);
      i += run;
    } else {
      int run = 0;
      while (i + run < n && run < max_run) {
        ++run;
        const int j = i + run;
        if (j + 2 < n && p[j] == p[j + 1] && p[j] == p[j + 2]) break;
      }
      out[at++] = static_cast<Unit>(literal_flag | run);
      for (int k = 0; k < run; ++k) out[at++] = static_cast<Unit>(p[i + k]);
      i += run;
    }
  }
  put_length(out, at);
  return at;
}

}  // namespace

std::size_t rle8_encode_row(const std::uint8_t* row, int n, std::uint8_t* out) {
  return encode_row<std::uint8_t, std::uint8_t, rle8_max_run, 0x80>(
      row, n, out, 2, [](std::uint8_t* o, std::size_t length) {
        o[0] = static_cast<std::uint8_t>(length & 0xFF);
        o[1] = static_cast<std::uint8_t>(length >> 8);
      });
}

std::size_t rle16_encode_row(const std::uint16_t* row, int n, std::uint16_t* out) {
  return encode_row<std::uint16_t, std::uint16_t, rle16_max_run, 0x8000>(
      row, n, out, 1,
      [](std::uint16_t* o, std::size_t length) { o[0] = static_cast<std::uint16_t>(length); });
}

std::size_t rle8_decode_row(const std::uint8_t* row, const std::uint16_t* palette, int width,
                            std::uint16_t* out) {
  const std::size_t length = rle8_row_length(row);
  std::size_t at = 2;
  int x = 0;
  while (x < width && at < length) {
    const int control = row[at++];
    int count = control & 0x7F;
    if (count > width - x) count = width - x;
    if (control & 0x80) {
      for (int k = 0; k < count; ++k) out[x + k] = palette[row[at + k]];
      at += static_cast<std::size_t>(control & 0x7F);
    } else {
      const std::uint16_t v = palette[row[at++]];
      for (int k = 0; k < count; ++k) out[x + k] = v;
    }
    x += count;
  }
  for (; x < width; ++x) out[x] = 0;
  return length;
}

std::size_t rle16_decode_row(const std::uint16_t* row, int width, std::uint16_t* out) {
  const std::size_t length = rle16_row_length(row);
  std::size_t at = 1;
  int x = 0;
  while (x < width && at < length) {
    const int control = row[at++];
    int count = control & 0x7FFF;
    if (count > width - x) count = width - x;
    if (control & 0x8000) {
      for (int k = 0; k < count; ++k) out[x + k] = row[at + k];
      at += static_cast<std::size_t>(control & 0x7FFF);
    } else {
      const std::uint16_t v = row[at++];
      for (int k = 0; k < count; ++k) out[x + k] = v;
    }
    x += count;
  }
  for (; x < width; ++x) out[x] = 0;
  return length;
}

std::uint8_t rle8_value_at(const std::uint8_t* row, int x) {
  const std::size_t length = rle8_row_length(row);
  std::size_t at = 2;
  while (at < length) {
    const int control = row[at++];
    const int count = control & 0x7F;
    if (x < count) return control & 0x80 ? row[at + x] : row[at];
    x -= count;
    at += control & 0x80 ? static_cast<std::size_t>(count) : 1;
  }
  return 0;
}

std::uint16_t rle16_value_at(const std::uint16_t* row, int x) {
  const std::size_t length = rle16_row_length(row);
  std::size_t at = 1;
  while (at < length) {
    const int control = row[at++];
    const int count = control & 0x7FFF;
    if (x < count) return control & 0x8000 ? row[at + x] : row[at];
    x -= count;
    at += control & 0x8000 ? static_cast<std::size_t>(count) : 1;
  }
  return 0;
}

}  // namespace gfx
