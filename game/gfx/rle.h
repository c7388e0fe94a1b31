// SPDX-License-Identifier: GPL-3.0-or-later
// Run-length packing of sprite frames. Every row of a frame's visible box is stored as its
// length (including the length unit itself) followed by runs until the box width is covered.
// A run starts with a control unit whose top bit marks a literal run (the count of values that
// follow) and is clear for a repeat run (the count, then the one value to repeat).
//   8-bit form (palette indices): 16-bit row length in bytes, control bytes, byte values,
//     at most 126 values per run.
//   16-bit form (display pixels): row length in 16-bit words, control words, pixel values,
//     at most 32766 values per run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace gfx {

constexpr int rle8_max_run = 126;
constexpr int rle16_max_run = 32766;

// Worst-case size of one encoded row (bytes for the 8-bit form, words for the 16-bit form).
constexpr std::size_t rle8_row_bound(int width) { return 2 + width + (width + 125) / 126 + 1; }
constexpr std::size_t rle16_row_bound(int width) { return 1 + width + (width + 32765) / 32766 + 1; }

// Encodes one row of n values into out; returns the units written (the row length).
std::size_t rle8_encode_row(const std::uint8_t* row, int n, std::uint8_t* out);
std::size_t rle16_encode_row(const std::uint16_t* row, int n, std::uint16_t* out);

// Decodes one encoded row into width display pixels (8-bit form through the palette). Runs that
// would pass the width are cut. Returns the units the row occupies (its stored length).
std::size_t rle8_decode_row(const std::uint8_t* row, const std::uint16_t* palette, int width,
                            std::uint16_t* out);
std::size_t rle16_decode_row(const std::uint16_t* row, int width, std::uint16_t* out);

// The stored length of the row at row (its first unit).
inline std::size_t rle8_row_length(const std::uint8_t* row) { return row[0] | (row[1] << 8); }
inline std::size_t rle16_row_length(const std::uint16_t* row) { return row[0]; }

// The value at column x of an encoded row (x inside the row), 8-bit form as an index.
std::uint8_t rle8_value_at(const std::uint8_t* row, int x);
std::uint16_t rle16_value_at(const std::uint16_t* row, int x);

}  // namespace gfx
