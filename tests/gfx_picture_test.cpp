// SPDX-License-Identifier: GPL-3.0-or-later
// Picture decoding: the colour rules, the dither generator, BMP and JPEG files, masks, bad files
// and the graphics fingerprint.
#include <gtest/gtest.h>

#include <jpeglib.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/gfx/picture.h"
#include "game/gfx/surfaces.h"
#include "tests/gfx_fixture.h"

using namespace gfx;
using gfxtest::make_bmp;

namespace {

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gfxtest::reset_log();
    red_shift = 11;
    green_shift = 6;
    blue_shift = 0;
  }
  static std::uint16_t decode_one(int bits, unsigned value, const std::vector<unsigned>& palette = {}) {
    const auto file = make_bmp(bits, 1, 1, {value}, palette);
    Picture p;
    EXPECT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
    const std::uint16_t v = p.pixels()[0];
    free_picture(p);
    return v;
  }
};

enum class Form { bmp24, palette, jpeg };
struct ColourCase {
  const char* what;
  Form form;
  unsigned rgb;
  bool transparent;
};

TEST_F(PictureTest, ColourRulesDecideTransparency) {
  const ColourCase cases[] = {
      {"24-bit magenta key", Form::bmp24, 0xFF00FF, true},
      {"24-bit key needs green exactly 0", Form::bmp24, 0xFF01FF, false},
      {"palette key allows green below 8", Form::palette, 0xFF07FF, true},
      {"palette green 8 is no key", Form::palette, 0xFF08FF, false},
      {"JPEG key allows green below 16", Form::jpeg, 0xFA0FFA, true},
      {"JPEG red 239 is no key", Form::jpeg, 0xEF00FA, false},
      {"pure black is lifted and opaque (24-bit)", Form::bmp24, 0x000000, false},
      {"pure black is lifted and opaque (palette)", Form::palette, 0x000000, false},
      {"pure black is lifted and opaque (JPEG)", Form::jpeg, 0x000000, false},
  };
  for (const ColourCase& c : cases) {
    std::uint16_t v = 0;
    if (c.form == Form::bmp24) {
      v = decode_one(24, c.rgb);
    } else if (c.form == Form::palette) {
      v = decode_one(8, 0, {c.rgb});
    } else {
      const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(c.rgb >> 16),
                                   static_cast<std::uint8_t>(c.rgb >> 8),
                                   static_cast<std::uint8_t>(c.rgb)};
      convert_rgb_row(rgb, 1, is_jpeg_key, &v);
    }
    EXPECT_EQ(v == 0, c.transparent) << c.what;
  }
}

TEST_F(PictureTest, NearBlackBecomesEightEightEight) {
  EXPECT_EQ(decode_one(24, 0x000000), pack_rgb(1, 1, 1));
  EXPECT_EQ(decode_one(24, 0x070707), pack_rgb(1, 1, 1));
  // (8, 0, 0) is not near-black: red 8 gives 1, the rest stays 0.
  EXPECT_EQ(decode_one(24, 0x080000), pack_rgb(1, 0, 0));
  std::vector<unsigned> palette = {0x000000, 0xFF07FF};
  const auto file = make_bmp(8, 2, 1, {0, 1}, palette);
  Picture p;
  ASSERT_EQ(decode_bmp(file.data(), file.size(), true, p), BmpResult::ok);
  EXPECT_TRUE(p.indexed);
  EXPECT_EQ(picture_palette[0][0], 8);
  EXPECT_EQ(picture_palette[0][1], 8);
  EXPECT_EQ(picture_palette[0][2], 8);
  EXPECT_EQ(picture_palette[1][0] | picture_palette[1][1] | picture_palette[1][2], 0);
  EXPECT_EQ(p.indices()[1], 1);
  free_picture(p);
}

TEST_F(PictureTest, ChannelReductionCarriesRemainderAndNeverPasses31) {
  int remainder = 7;
  EXPECT_EQ(reduce_channel(255, remainder), 31);  // 7 + 7 = 14 > 7, capped at 31
  EXPECT_EQ(remainder, 6);
  remainder = 0;
  EXPECT_EQ(reduce_channel(100, remainder), 12);  // 100 & 7 = 4: no carry
  EXPECT_EQ(reduce_channel(100, remainder), 13);  // 8 > 7: carry
  EXPECT_EQ(remainder, 0);
  // A whole row of 255 never yields more than 31 in any channel.
  std::vector<std::uint8_t> white(3 * 64, 255);
  std::vector<std::uint16_t> out(64);
  convert_rgb_row(white.data(), 64, is_bmp24_key, out.data());
  for (std::uint16_t v : out) EXPECT_EQ(v, pack_rgb(31, 31, 31));
}

TEST_F(PictureTest, DitherGeneratorSequence) {
  set_dither_state(12345);
  const std::uint32_t expected[] = {3713165341u, 836551299u, 4014328372u, 691530526u, 1673213349u};
  for (std::uint32_t e : expected) EXPECT_EQ(dither_random(), e);
}

TEST_F(PictureTest, DitheringDependsOnRowStartValues) {
  // 24-bit rows draw three start values each: a two-row picture advances the state six times.
  set_dither_state(12345);
  const auto file = make_bmp(24, 3, 2, {0x808080, 0x818181, 0x828282, 0x838383, 0x848484, 0x858585});
  Picture p;
  ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
  free_picture(p);
  set_dither_state(12345);
  for (int i = 0; i < 5; ++i) dither_random();
  const std::uint32_t sixth = dither_random();
  set_dither_state(12345);
  ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
  EXPECT_EQ(dither_state(), sixth);
  free_picture(p);
}

TEST_F(PictureTest, DecodesBottomUpPaddedRows) {
  // 3 × 2 24-bit picture: 9 bytes a row, padded to 12.
  const auto file = make_bmp(24, 3, 2, {0xF80000, 0x00F800, 0x0000F8, 0xFF00FF, 0x080808, 0xF8F8F8});
  Picture p;
  ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
  ASSERT_EQ(p.width, 3);
  ASSERT_EQ(p.height, 2);
  EXPECT_EQ(p.pixels()[0], pack_rgb(31, 0, 0));
  EXPECT_EQ(p.pixels()[1], pack_rgb(0, 31, 0));
  EXPECT_EQ(p.pixels()[2], pack_rgb(0, 0, 31));
  EXPECT_EQ(p.pixels()[3], 0);
  EXPECT_EQ(p.pixels()[4], pack_rgb(1, 1, 1));
  EXPECT_EQ(p.pixels()[5], pack_rgb(31, 31, 31));
  free_picture(p);
}

TEST_F(PictureTest, OneBitMaskSetBitsAreTransparent) {
  const auto file = make_bmp(1, 10, 2, {1, 0, 1, 0, 0, 0, 0, 0, 0, 1,  //
                                        0, 0, 0, 0, 0, 0, 0, 0, 1, 1});
  Picture p;
  ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
  const std::uint16_t expected[] = {0, 0xFFFF, 0, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0,
                                    0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0, 0};
  for (int i = 0; i < 20; ++i) EXPECT_EQ(p.pixels()[i], expected[i]) << i;
  free_picture(p);
}

TEST_F(PictureTest, BadFilesFailWithoutReadingOutside) {
  const auto good = make_bmp(24, 5, 3, std::vector<unsigned>(15, 0x123456));
  auto with = [&](std::size_t offset, std::uint32_t value, int width_bytes) {
    auto f = good;
    for (int i = 0; i < width_bytes; ++i) f[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return f;
  };
  struct BadCase {
    const char* what;
    std::vector<std::uint8_t> file;
    BmpResult result;
  };
  const BadCase cases[] = {
      {"empty", {}, BmpResult::damaged},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 30), BmpResult::damaged},
      {"one byte of pixels missing", std::vector<std::uint8_t>(good.begin(), good.end() - 1),
       BmpResult::damaged},
      {"width lies", with(18, 5000, 4), BmpResult::damaged},
      {"height lies", with(22, 70000, 4), BmpResult::damaged},
      {"zero width", with(18, 0, 4), BmpResult::damaged},
      {"negative width", with(18, 0xFFFFFFF0u, 4), BmpResult::damaged},
      {"compressed", with(30, 1, 4), BmpResult::unsupported},
      {"4 bit", with(28, 4, 2), BmpResult::unsupported},
      {"32 bit", with(28, 32, 2), BmpResult::unsupported},
      {"too many colours", with(46, 100000, 4), BmpResult::damaged},
      {"palette past the end", with(46, 256, 4), BmpResult::damaged},
      {"information header too small", with(14, 12, 4), BmpResult::damaged},
      {"information header past the end", with(14, 0x7FFFFFFF, 4), BmpResult::damaged},
  };
  for (const BadCase& c : cases) {
    // A copy of exactly the file's size, so a read past its end is seen by the sanitizer.
    std::vector<std::uint8_t> exact(c.file);
    Picture p;
    EXPECT_EQ(decode_bmp(exact.empty() ? nullptr : exact.data(), exact.size(), false, p), c.result)
        << c.what;
    EXPECT_EQ(p.data, nullptr) << c.what;
  }
}

TEST_F(PictureTest, FingerprintIsStableForTheSameLoadOrder) {
  const auto a = make_bmp(24, 3, 2, {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203});
  const auto b = make_bmp(8, 2, 2, {0, 1, 1, 0}, {0x112233, 0x445566});
  auto run = [&](bool a_first) {
    reset_fingerprint();
    set_dither_state(12345);
    Picture p;
    for (int i = 0; i < 2; ++i) {
      const auto& f = (i == 0) == a_first ? a : b;
      EXPECT_EQ(decode_bmp(f.data(), f.size(), false, p), BmpResult::ok);
      free_picture(p);
    }
    write_graphics_fingerprint();
    return std::string(graphics_fingerprint());
  };
  const std::string first = run(true);
  EXPECT_EQ(first.size(), 256u);
  EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
  EXPECT_NE(first, std::string(256, '0'));
  EXPECT_EQ(run(true), first);
  EXPECT_NE(run(false), first);
}

TEST_F(PictureTest, FingerprintChunksArePaletteThenPixels) {
  // An 8-bit picture adds two chunks: its palette bytes, then its padded pixel rows.
  const auto file = make_bmp(8, 2, 1, {1, 0}, {0x010203, 0x040506});
  reset_fingerprint();
  Picture p;
  ASSERT_EQ(decode_bmp(file.data(), file.size(), false, p), BmpResult::ok);
  free_picture(p);
  char text[257];
  fingerprint_text(text);
  // Palette bytes 03 02 01 00 06 05 04 00 with weights 7,6,5,4,3,11,10,9: 21+12+5+0+18+55+40.
  EXPECT_EQ(std::string(text, 8), "00000097");
  // Pixel row 01 00 00 00 (padded to 4): 7 × 1.
  EXPECT_EQ(std::string(text + 8, 8), "00000007");
  EXPECT_EQ(std::string(text + 16), std::string(240, '0'));
}

// ---- files through the archive layer ------------------------------------------------------------

std::vector<std::uint8_t> make_jpeg(int width, int height, unsigned rgb) {
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> line(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    line[x * 3] = static_cast<std::uint8_t>(rgb >> 16);
    line[x * 3 + 1] = static_cast<std::uint8_t>(rgb >> 8);
    line[x * 3 + 2] = static_cast<std::uint8_t>(rgb);
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = line.data();
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<std::uint8_t> out(buffer, buffer + size);
  std::free(buffer);
  return out;
}

TEST_F(PictureTest, JpegWithMaskFromLooseFiles) {
  gfxtest::LooseFiles files;
  files.write("data\\gfx\\photo.jpg", make_jpeg(16, 8, 0x406080));
  std::vector<unsigned> bits(16 * 8, 0);
  bits[0] = bits[15] = bits[16 * 7] = 1;
  files.write("data\\gfx\\photomask.bmp", make_bmp(1, 16, 8, bits));
  Picture p;
  ASSERT_TRUE(load_picture("data\\gfx\\photo", p, true));
  EXPECT_FALSE(p.indexed);
  ASSERT_EQ(p.width, 16);
  ASSERT_EQ(p.height, 8);
  EXPECT_EQ(p.pixels()[0], 0);
  EXPECT_EQ(p.pixels()[15], 0);
  EXPECT_EQ(p.pixels()[16 * 7], 0);
  EXPECT_NE(p.pixels()[1], 0);
  // 0x40 / 8 = 8, 0x60 / 8 = 12, 0x80 / 8 = 16 (give or take the dither carry).
  EXPECT_NEAR((p.pixels()[1] >> 11) & 31, 8, 1);
  free_picture(p);
}

TEST_F(PictureTest, MaskOfAnotherSizeIsLoggedAndAppliedWhereBothOverlap) {
  gfxtest::LooseFiles files;
  files.write("data\\gfx\\photo.jpg", make_jpeg(8, 4, 0x406080));
  files.write("data\\gfx\\photomask.bmp", make_bmp(1, 2, 2, {1, 1, 1, 1}));
  Picture p;
  ASSERT_TRUE(load_picture("data\\gfx\\photo", p, false));
  EXPECT_NE(gfxtest::read_log().find("Mask size different from original picture: 8 4, 2 2\n"),
            std::string::npos);
  EXPECT_EQ(p.pixels()[0], 0);
  EXPECT_EQ(p.pixels()[8 + 1], 0);
  EXPECT_NE(p.pixels()[2], 0);
  EXPECT_NE(p.pixels()[8 * 2], 0);
  free_picture(p);
}

TEST_F(PictureTest, DamagedJpegReturnsNoPicture) {
  gfxtest::LooseFiles files;
  auto jpeg = make_jpeg(16, 16, 0x808080);
  jpeg.resize(40);
  jpeg[2] = 0x00;  // no longer a marker
  files.write("data\\gfx\\broken.jpg", jpeg);
  Picture p;
  EXPECT_FALSE(load_picture("data\\gfx\\broken", p, false));
  EXPECT_EQ(p.data, nullptr);
  EXPECT_NE(gfxtest::read_log().find("error while decoding\n"), std::string::npos);
}

using PictureDeathTest = PictureTest;

TEST_F(PictureDeathTest, BadBitmapsEndTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  gfxtest::LooseFiles files;
  auto compressed = make_bmp(24, 2, 2, {1, 2, 3, 4});
  compressed[30] = 1;
  files.write("data\\gfx\\packed.bmp", compressed);
  auto cut = make_bmp(24, 20, 20, std::vector<unsigned>(400, 5));
  cut.resize(cut.size() / 2);
  files.write("data\\gfx\\cut.bmp", cut);
  Picture p;
  EXPECT_EXIT(load_picture("data\\gfx\\packed", p, false), ::testing::ExitedWithCode(1), "");
  EXPECT_NE(gfxtest::read_log().find("***ERROR*** Bitmap has to be 8 Bit or 24 Bit uncompressed\n"),
            std::string::npos);
  EXPECT_EXIT(load_picture("data\\gfx\\cut", p, false), ::testing::ExitedWithCode(1), "");
  EXPECT_NE(gfxtest::read_log().find("is damaged"), std::string::npos);
  EXPECT_EXIT(load_picture("data\\gfx\\nothing", p, false), ::testing::ExitedWithCode(1), "");
  EXPECT_NE(gfxtest::read_log().find("file data\\gfx\\nothing not found\n"), std::string::npos);
}

}  // namespace
