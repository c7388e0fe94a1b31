// SPDX-License-Identifier: GPL-3.0-or-later
// Run-length packing of sprite rows and trimming of cells to their visible boxes.
#include <gtest/gtest.h>

#include <vector>

#include "game/gfx/rle.h"
#include "game/gfx/sprites.h"

using namespace gfx;

namespace {

std::vector<std::uint8_t> pack8(const std::vector<std::uint8_t>& row) {
  std::vector<std::uint8_t> out(rle8_row_bound(static_cast<int>(row.size())) + 8, 0xEE);
  const std::size_t n = rle8_encode_row(row.data(), static_cast<int>(row.size()), out.data());
  out.resize(n);
  return out;
}

std::vector<std::uint16_t> pack16(const std::vector<std::uint16_t>& row) {
  std::vector<std::uint16_t> out(rle16_row_bound(static_cast<int>(row.size())) + 8, 0xEEEE);
  const std::size_t n = rle16_encode_row(row.data(), static_cast<int>(row.size()), out.data());
  out.resize(n);
  return out;
}

struct PackCase {
  const char* what;
  std::vector<std::uint8_t> row;
  std::vector<std::uint8_t> packed;  // row length (2 bytes) and runs
};

TEST(Rle8, PackingCases) {
  const PackCase cases[] = {
      {"four equal pixels: one repeat run", {5, 5, 5, 5}, {4, 0, 4, 5}},
      {"three equal pixels stay literal", {5, 5, 5}, {6, 0, 0x83, 5, 5, 5}},
      {"one pixel", {9}, {4, 0, 0x81, 9}},
      {"literal stops before three equal", {1, 2, 7, 7, 7, 7}, {7, 0, 0x82, 1, 2, 4, 7}},
      {"repeat then literal tail", {3, 3, 3, 3, 3, 1, 2}, {7, 0, 5, 3, 0x82, 1, 2}},
      {"two equal pixels are literal", {4, 4, 1, 2}, {7, 0, 0x84, 4, 4, 1, 2}},
  };
  for (const PackCase& c : cases) EXPECT_EQ(pack8(c.row), c.packed) << c.what;
}

TEST(Rle8, LongRunsSplitAt126) {
  const std::vector<std::uint8_t> row(300, 7);
  // 126 + 126 + 48: three repeat runs.
  EXPECT_EQ(pack8(row), (std::vector<std::uint8_t>{8, 0, 126, 7, 126, 7, 48, 7}));
  std::vector<std::uint8_t> varied(130);
  for (int i = 0; i < 130; ++i) varied[i] = static_cast<std::uint8_t>(i);
  const auto packed = pack8(varied);
  ASSERT_EQ(packed.size(), 2u + 1 + 126 + 1 + 4);
  EXPECT_EQ(packed[2], 0x80 | 126);
  EXPECT_EQ(packed[2 + 127], 0x80 | 4);
}

TEST(Rle16, SixteenBitForm) {
  const std::vector<std::uint16_t> row = {0xF800, 0xF800, 0xF800, 0xF800, 0, 0x1234, 0x1234};
  // Row length in words (7), repeat run of 4, literal run of 3.
  EXPECT_EQ(pack16(row), (std::vector<std::uint16_t>{7, 4, 0xF800, 0x8003, 0, 0x1234, 0x1234}));
  const std::vector<std::uint16_t> long_row(40000, 0x0421);
  EXPECT_EQ(pack16(long_row), (std::vector<std::uint16_t>{5, 32766, 0x0421, 40000 - 32766, 0x0421}));
}

TEST(Rle, DecodingRestoresEveryRowAndPixel) {
  std::vector<std::uint8_t> row8;
  std::vector<std::uint16_t> row16;
  for (int i = 0; i < 500; ++i) {
    const int v = (i / 7) % 3 == 0 ? 0 : (i * 37) % 5;
    row8.push_back(static_cast<std::uint8_t>(v));
    row16.push_back(static_cast<std::uint16_t>(v * 0x0841));
  }
  std::uint16_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = static_cast<std::uint16_t>(i * 3);
  const auto p8 = pack8(row8);
  const auto p16 = pack16(row16);
  std::vector<std::uint16_t> out(500, 0xAAAA);
  EXPECT_EQ(rle8_decode_row(p8.data(), palette, 500, out.data()), p8.size());
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(out[i], palette[row8[i]]) << i;
    ASSERT_EQ(rle8_value_at(p8.data(), i), row8[i]) << i;
  }
  EXPECT_EQ(rle16_decode_row(p16.data(), 500, out.data()), p16.size());
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(out[i], row16[i]) << i;
    ASSERT_EQ(rle16_value_at(p16.data(), i), row16[i]) << i;
  }
}

TEST(Trim, CellsShrinkToTheirVisibleBox) {
  // Two 4 × 3 cells side by side: the left one holds two pixels, the right one none.
  const std::uint16_t o = 0, X = 0x1234;
  const std::uint16_t picture[] = {
      o, o, o, o, o, o, o, o,  //
      o, X, o, o, o, o, o, o,  //
      o, o, X, o, o, o, o, o,
  };
  const Box left = trim_cell(picture, 8, 0, 0, 4, 3);
  EXPECT_EQ(left.left, 1);
  EXPECT_EQ(left.top, 1);
  EXPECT_EQ(left.width, 2);
  EXPECT_EQ(left.height, 2);
  const Box empty = trim_cell(picture, 8, 4, 0, 4, 3);
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  // Indexed pictures count a pixel as visible when its palette pixel is not 0.
  const std::uint8_t indices[] = {3, 1, 1, 2};
  std::uint16_t palette[256] = {};
  palette[1] = 0x0001;
  const Box indexed = trim_cell_indexed(indices, palette, 4, 0, 0, 4, 1);
  EXPECT_EQ(indexed.left, 1);
  EXPECT_EQ(indexed.width, 2);
}

}  // namespace
