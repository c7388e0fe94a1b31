// SPDX-License-Identifier: GPL-3.0-or-later
// Whole picture rows against the colour rules applied pixel by pixel with the rule's own
// functions (lift_near_black, the key tests, reduce_channel, pack_rgb): JPEG and BMP channel
// order, every key test, both pixel formats, widths around the sixteen-pixel groups, and data
// full of the edge values (near-black, key colours, channels of 248 and more). Also the 24-bit
// and 1-bit BMP decoders, whose rows take the same roads.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "game/gfx/picture.h"
#include "game/gfx/rgb_rows.h"
#include "game/gfx/surfaces.h"
#include "tests/gfx_fixture.h"

using namespace gfx;

namespace {

// The rules one pixel at a time, with the row's start remainders drawn first.
std::vector<std::uint16_t> rule_row(const std::uint8_t* px, int width, ChannelOrder order,
                                    bool (*key)(Rgb)) {
  int rem_r = static_cast<int>(dither_random() & 7);
  int rem_g = static_cast<int>(dither_random() & 7);
  int rem_b = static_cast<int>(dither_random() & 7);
  std::vector<std::uint16_t> out(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x, px += 3) {
    Rgb c = order == ChannelOrder::red_first ? Rgb{px[0], px[1], px[2]} : Rgb{px[2], px[1], px[0]};
    c = lift_near_black(c);
    if (key(c)) continue;  // 0, and the remainders stay
    out[static_cast<std::size_t>(x)] = pack_rgb(reduce_channel(c.r, rem_r),
                                                reduce_channel(c.g, rem_g),
                                                reduce_channel(c.b, rem_b));
  }
  return out;
}

// Channel values that hit every rule: random, near-black, key-like magenta, bright.
std::vector<std::uint8_t> edge_rich_bytes(std::size_t pixels, unsigned seed) {
  std::mt19937 generator(seed);
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < pixels; ++i) {
    const unsigned kind = generator() % 5;
    for (int k = 0; k < 3; ++k) {
      const unsigned v = generator();
      switch (kind) {
        case 0: bytes.push_back(static_cast<std::uint8_t>(v)); break;
        case 1: bytes.push_back(static_cast<std::uint8_t>(v % 10)); break;  // around 8
        case 2: bytes.push_back(static_cast<std::uint8_t>(k == 1 ? v % 20 : 236 + v % 20)); break;
        case 3: bytes.push_back(static_cast<std::uint8_t>(240 + v % 16)); break;
        default: bytes.push_back(static_cast<std::uint8_t>(k == 1 ? 0 : 240 + v % 16)); break;
      }
    }
  }
  return bytes;
}

bool never_key(Rgb) { return false; }

struct Format {
  const char* name;
  int red, green, blue;
};
constexpr Format formats[] = {{"565", 11, 6, 0}, {"555", 10, 5, 0}};

// Runs body once per pixel format, putting the display's format back afterwards.
template <class Body>
void for_each_format(Body body) {
  const int saved[3] = {red_shift, green_shift, blue_shift};
  for (const Format& f : formats) {
    red_shift = f.red;
    green_shift = f.green;
    blue_shift = f.blue;
    body(f);
  }
  red_shift = saved[0];
  green_shift = saved[1];
  blue_shift = saved[2];
}

TEST(RgbRows, EveryRowMatchesThePixelRule) {
  struct Case {
    const char* what;
    ChannelOrder order;
    bool (*key)(Rgb);
  };
  const Case cases[] = {
      {"JPEG row", ChannelOrder::red_first, is_jpeg_key},
      {"JPEG order, 24-bit key", ChannelOrder::red_first, is_bmp24_key},
      {"BMP row", ChannelOrder::blue_first, is_bmp24_key},
      {"BMP order, JPEG key", ChannelOrder::blue_first, is_jpeg_key},
      {"palette key, pixel by pixel", ChannelOrder::red_first, is_palette_key},
      {"no key", ChannelOrder::blue_first, never_key},
  };
  const int widths[] = {0, 1, 15, 16, 17, 31, 32, 33, 47, 48, 63, 800, 801};
  const auto bytes = edge_rich_bytes(801, 3);
  for_each_format([&](const Format& format) {
    for (const Case& c : cases)
      for (const int width : widths)
        for (const std::uint32_t start : {12345u, 3713165341u}) {
          set_dither_state(start);
          std::vector<std::uint16_t> row(static_cast<std::size_t>(width) + 1, 0xBEEF);
          convert_row(bytes.data(), width, c.order, c.key, row.data());
          const std::uint32_t state_after = dither_state();
          set_dither_state(start);
          const auto expected = rule_row(bytes.data(), width, c.order, c.key);
          EXPECT_EQ(state_after, dither_state()) << c.what;
          for (int x = 0; x < width; ++x)
            ASSERT_EQ(row[static_cast<std::size_t>(x)], expected[static_cast<std::size_t>(x)])
                << c.what << ", " << format.name << ", width " << width << ", pixel " << x;
          EXPECT_EQ(row[static_cast<std::size_t>(width)], 0xBEEF) << "written past the row";
        }
  });
  set_dither_state(12345);
}

TEST(RgbRows, Bmp24PicturesMatchThePixelRuleRowByRow) {
  // Rows are stored bottom-up and padded: the bottom row draws its start values first.
  for (const int width : {1, 17, 33, 100}) {
    const int height = 3;
    const auto bytes = edge_rich_bytes(static_cast<std::size_t>(width) * height, 4);
    std::vector<unsigned> pixels;
    for (std::size_t i = 0; i < bytes.size(); i += 3)
      pixels.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
    const auto file = gfxtest::make_bmp(24, width, height, pixels);
    set_dither_state(12345);
    Picture p;
    ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
    set_dither_state(12345);
    for (int y = height - 1; y >= 0; --y) {
      const auto expected = rule_row(bytes.data() + static_cast<std::size_t>(y) * width * 3,
                                     width, ChannelOrder::red_first, is_bmp24_key);
      for (int x = 0; x < width; ++x)
        ASSERT_EQ(p.pixels()[static_cast<std::size_t>(y) * width + x],
                  expected[static_cast<std::size_t>(x)])
            << "width " << width << ", pixel " << x << ", " << y;
    }
    free_picture(p);
  }
  set_dither_state(12345);
}

TEST(RgbRows, MaskBitsBecomeTransparentOrWhite) {
  // Widths with and without a partly used last byte; the leftmost pixel is the top bit.
  std::mt19937 generator(5);
  for (const int width : {1, 7, 8, 9, 16, 17, 33, 800}) {
    const int height = 2;
    std::vector<unsigned> bits(static_cast<std::size_t>(width) * height);
    for (unsigned& b : bits) b = generator() & 1;
    const auto file = gfxtest::make_bmp(1, width, height, bits);
    Picture p;
    ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
    for (std::size_t i = 0; i < bits.size(); ++i)
      ASSERT_EQ(p.pixels()[i], bits[i] ? 0 : 0xFFFF) << "width " << width << ", pixel " << i;
    free_picture(p);
  }
}

}  // namespace
