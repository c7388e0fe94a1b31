// SPDX-License-Identifier: GPL-3.0-or-later
// The sprite loader and the draw list: surface and packed frames, draw order, bands, clipping,
// the blend, the flush into the back buffer and the screen transition.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/resources/random.h"
#include "platform/platform.h"
#include "tests/gfx_fixture.h"

using namespace gfx;
using gfxtest::make_bmp;

namespace {

constexpr unsigned red = 0xF80000, green = 0x00F800, blue = 0x0000F8, key = 0xFF00FF;

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gfxtest::open_display();
    gfxtest::reset_log();
    if (!next_screen) next_screen = create_surface(800, 600);
    if (!previous_screen) previous_screen = create_surface(800, 600);
    clear_draw_list();
    shake_x = shake_y = 0;
    cancel_transition();
    clear_surface(back_buffer);
  }
  void TearDown() override {
    for (int s : used) release_sprite(s);
  }
  // Loads a BMP file image as a sprite of `rows` frames, packed in a group of its own if asked.
  void load_file(int sprite, const std::string& name, const std::vector<std::uint8_t>& bmp,
                 int rows, bool packed) {
    files.write("data\\gfx\\" + name + ".bmp", bmp);
    if (packed) begin_packed_group();
    sprites[sprite] = load_animation(("data\\gfx\\" + name).c_str(), 1, rows, false);
    if (packed) end_packed_group();
    used.push_back(sprite);
  }
  // Loads a 24-bit picture (rows top to bottom, 0xRRGGBB) as a sprite.
  void load(int sprite, const std::string& name, int width, int height,
            const std::vector<unsigned>& pixels, int rows = 1, bool packed = false) {
    load_file(sprite, name, make_bmp(24, width, height, pixels), rows, packed);
  }
  // Loads a character picture as an 8-bit (indexed) or 24-bit file.
  void load_chars(int sprite, const std::string& name, const gfxtest::CharPicture& picture,
                  bool indexed, bool packed) {
    load_file(sprite, name, indexed ? picture.bmp8() : picture.bmp24(), 1, packed);
  }
  // A solid block with a one-pixel key border, so its visible box is (1, 1, w - 2, h - 2).
  void load_block(int sprite, const std::string& name, int w, int h, unsigned colour, bool packed = false) {
    std::vector<unsigned> px(static_cast<std::size_t>(w) * h, key);
    for (int y = 1; y < h - 1; ++y)
      for (int x = 1; x < w - 1; ++x) px[static_cast<std::size_t>(y) * w + x] = colour;
    load(sprite, name, w, h, px, 1, packed);
  }
  static std::uint16_t back_pixel(int x, int y) {
    void* p = nullptr;
    int pitch = 0;
    EXPECT_EQ(plat::surface_lock(back_buffer, nullptr, &p, &pitch), plat::DD_OK);
    const std::uint16_t v = static_cast<std::uint16_t*>(p)[y * (pitch / 2) + x];
    plat::surface_unlock(back_buffer);
    return v;
  }
  gfxtest::LooseFiles files;
  std::vector<int> used;
};

TEST_F(DrawTest, SurfaceModeFramesAreTrimmedAndEmptyCellsHaveNothing) {
  // Two 4 × 4 cells stacked: the first holds a 2 × 1 box at (1, 2), the second nothing.
  std::vector<unsigned> px(4 * 8, key);
  px[2 * 4 + 1] = px[2 * 4 + 2] = red;
  load(100, "two", 4, 8, px, 2);
  ASSERT_EQ(frame_count(100), 2);
  const FrameRect r = frame_rect(100, 0);
  EXPECT_EQ(r.left, 1);
  EXPECT_EQ(r.top, 2);
  EXPECT_EQ(r.width, 2);
  EXPECT_EQ(r.height, 1);
  int cx = -1, cy = -1;
  frame_centre(100, 0, cx, cy);
  EXPECT_EQ(cx, 2);
  EXPECT_EQ(cy, 2);
  frame_centre(-1, 0, cx, cy);
  EXPECT_EQ(cx, 0);
  EXPECT_EQ(cy, 0);
  const Frame& empty = sprites[100]->frames[1];
  EXPECT_EQ(empty.width, 0);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(empty.surface, nullptr);
  EXPECT_NE(sprites[100]->frames[0].surface, nullptr);
  EXPECT_EQ(sprite_pixel(100, 0, 0, 0), pack_rgb(31, 0, 0));
  EXPECT_EQ(sprite_pixel(100, 1, 0, 0), 0);
  draw_sprite(100, 1, 10, 10, 0, 0, 0);
  EXPECT_EQ(draw_list_count(), 0);
}

TEST_F(DrawTest, PackedFramesDecodeToTheSamePixels) {
  std::vector<unsigned> px(8 * 6, key);
  for (int y = 1; y < 5; ++y)
    for (int x = 0; x < 7; ++x) px[y * 8 + x] = (x + y) % 3 == 0 ? key : (x < 3 ? red : blue);
  load(101, "packed", 8, 6, px, 1, true);
  load(102, "plain", 8, 6, px, 1, false);
  ASSERT_EQ(sprites[101]->packed, 1);
  ASSERT_EQ(sprites[101]->frames[0].stride, 0);
  const FrameRect r = frame_rect(101, 0);
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x)
      ASSERT_EQ(sprite_pixel(101, 0, x, y), sprite_pixel(102, 0, x, y)) << x << "," << y;
  // Both drawn side by side land identically in the back buffer.
  draw_sprite(101, 0, 100, 100, 0, 0, 0);
  draw_sprite(102, 0, 200, 100, 0, 0, 0);
  flush_draw_list();
  for (int y = 100; y < 106; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(back_pixel(100 + x, y), back_pixel(200 + x, y));
  EXPECT_EQ(packed_groups[sprites[101]->group].cached_sprite, 101);
}

TEST_F(DrawTest, SameDepthFirstAddedIsOnTop) {
  load_block(103, "redblock", 12, 12, red);
  load_block(104, "blueblock", 12, 12, blue);
  draw_sprite(103, 0, 50, 50, 3, 0, 0);
  draw_sprite(104, 0, 55, 55, 3, 0, 0);
  flush_draw_list();
  EXPECT_EQ(back_pixel(58, 58), pack_rgb(31, 0, 0));  // overlap: the first one
  EXPECT_EQ(back_pixel(63, 63), pack_rgb(0, 0, 31));
  // A nudge of one band backwards puts the first entry behind.
  clear_draw_list();
  draw_sprite(103, 0, 50, 50, 3, 0x200, 0);
  draw_sprite(104, 0, 55, 55, 3, 0, 0);
  flush_draw_list();
  EXPECT_EQ(back_pixel(58, 58), pack_rgb(0, 0, 31));
}

TEST_F(DrawTest, BandsOutsideTheListAreLoggedAndDropped) {
  load_block(105, "zblock", 6, 6, green);
  struct BandCase {
    int depth, flags, band;
  };
  const BandCase cases[] = {{11, 0, 65}, {-2, 0x1000, -2}};
  for (const BandCase& c : cases) {
    clear_draw_list();
    draw_sprite(105, 0, 10, 10, c.depth, c.flags, 0);
    EXPECT_EQ(draw_list_count(), 1) << "the slot counts as used";
    for (int band = 0; band < draw_bands; ++band) EXPECT_EQ(draw_band_head(band), nullptr);
    EXPECT_NE(gfxtest::read_log().find("z-error: " + std::to_string(c.band) + "\n"), std::string::npos);
  }
  // The edges of the list: depth -2 is band 0, depth 10 with 0x2000 is band 63.
  clear_draw_list();
  draw_sprite(105, 0, 10, 10, -2, 0, 0);
  draw_sprite(105, 0, 10, 10, 10, 0x2000, 0);
  EXPECT_NE(draw_band_head(0), nullptr);
  EXPECT_NE(draw_band_head(63), nullptr);
}

TEST_F(DrawTest, ClippingAtTheScreenEdges) {
  std::vector<unsigned> px(30 * 2);
  for (int x = 0; x < 30; ++x) px[x] = px[30 + x] = static_cast<unsigned>(0x080000 * (x % 31 + 1));
  load(106, "wide", 30, 2, px);
  draw_sprite(106, 0, -10, 0, 0, 0, 0);
  const DrawEntry* e = draw_band_head(10);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->x, 0);
  EXPECT_EQ(e->src.left, 10);
  EXPECT_EQ(e->src.right, 30);
  flush_draw_list();
  EXPECT_EQ(back_pixel(0, 0), sprite_pixel(106, 0, 10, 0));
  // Off the right and bottom edges: cut to the screen, or nothing at all.
  clear_draw_list();
  draw_sprite(106, 0, 790, 599, 0, 0, 0);
  e = draw_band_head(10);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->src.right - e->src.left, 10);
  EXPECT_EQ(e->src.bottom - e->src.top, 1);
  clear_draw_list();
  draw_sprite(106, 0, 800, 0, 0, 0, 0);
  draw_sprite(106, 0, -30, 0, 0, 0, 0);
  EXPECT_EQ(draw_list_count(), 0);
}

TEST_F(DrawTest, FrameOutOfRangeIsRejected) {
  load_block(107, "one", 4, 4, red);
  draw_sprite(107, 1, 0, 0, 0, 0, 0);
  draw_sprite_blended(107, 1, 0, 0, 0, 0, 128, 0);
  draw_sprite(89, 0, 0, 0, 0, 0, 0);  // an empty slot has no frames
  EXPECT_EQ(draw_list_count(), 0);
  const std::string log = gfxtest::read_log();
  EXPECT_NE(log.find("*********2* sprite frame out of range: 107:1\n"), std::string::npos);
  EXPECT_NE(log.find("*********3* sprite frame out of range: 107:1\n"), std::string::npos);
  EXPECT_NE(log.find("*********2* sprite frame out of range: 89:0\n"), std::string::npos);
}

TEST_F(DrawTest, SizeAndMirrorSelectNeighbourSprites) {
  load_block(110, "s0", 6, 6, red);
  load_block(111, "s1", 6, 6, green);
  load_block(114, "s4", 6, 6, blue);
  load_block(115, "s5", 6, 6, blue);
  draw_sprite(110, 0, 0, 0, 0, 0, 128);
  draw_sprite(110, 0, 0, 0, 1, 1, 256);
  draw_sprite(110, 0, 0, 0, 2, 1, 128);
  EXPECT_EQ(draw_band_head(10)->sprite, 111);
  EXPECT_EQ(draw_band_head(15)->sprite, 114);
  EXPECT_EQ(draw_band_head(20)->sprite, 115);
}

TEST(Blend, AlphaZeroKeepsAndFullCopiesOnBothFormats) {
  struct BlendCase {
    int green_shift;
    int alpha;
    std::uint16_t d, s, expected;
  };
  const BlendCase cases[] = {
      {6, 0, 0x1234, 0xF800, 0x1234},   {6, 256, 0x1234, 0xF800, 0xF800},
      {5, 0, 0x1234, 0x7C00, 0x1234},   {5, 256, 0x1234, 0x7C00, 0x7C00},
      {6, 256, 0x1234, 0x0000, 0x1234},  // a transparent source pixel is skipped
      {6, 128, 0x0000, 0xFFFF, 0x7BEF},  // halves: 15, 31, 15 on 565
      {5, 128, 0x0000, 0x7FFF, 0x3DEF},  // halves: 15, 15, 15 on 555
      {6, 128, 0xFFFF, 0x0020, 0x7C0F},  // negative differences round down: 31 - 16, 63 - 31
  };
  for (const BlendCase& c : cases) {
    std::uint16_t target = c.d;
    blend_row(&target, &c.s, 1, c.alpha, c.green_shift);
    EXPECT_EQ(target, c.expected) << c.green_shift << " alpha " << c.alpha << " s " << c.s;
    EXPECT_EQ(blend_pixel(c.d, c.s, c.alpha, c.green_shift), c.expected);
  }
}

TEST(Blend, LongRowsMatchThePixelRule) {
  std::vector<std::uint16_t> src(203), dst(203);
  unsigned seed = 99;
  for (std::size_t i = 0; i < src.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    src[i] = i % 5 == 0 ? 0 : static_cast<std::uint16_t>(seed >> 8);
    dst[i] = static_cast<std::uint16_t>(seed >> 16);
  }
  for (int green_shift : {5, 6}) {
    for (int alpha : {0, 1, 77, 128, 255, 256}) {
      std::vector<std::uint16_t> row = dst;
      blend_row(row.data(), src.data(), static_cast<int>(row.size()), alpha, green_shift);
      for (std::size_t i = 0; i < row.size(); ++i)
        ASSERT_EQ(row[i], blend_pixel(dst[i], src[i], alpha, green_shift))
            << green_shift << " " << alpha << " " << i;
    }
  }
}

// Fading targets hand over levels far outside 0..256. Whatever the level, every column of a row
// gets what the level clamped to 0..256 gives: the target kept, or the source copied.
TEST(Blend, LevelsOutsideTheRangeAreClamped) {
  std::vector<std::uint16_t> src(203), dst(203);
  unsigned seed = 7;
  for (std::size_t i = 0; i < src.size(); ++i) {
    seed = seed * 1103515245u + 12345u;
    src[i] = i % 7 == 0 ? 0 : static_cast<std::uint16_t>(seed >> 8);
    dst[i] = static_cast<std::uint16_t>(seed >> 16);
  }
  src[1] = 0x0001;  // the faintest blue over white: the other channels fall all the way
  dst[1] = 0xFFFF;
  src[2] = 0xFFFF;  // white over black: every channel rises all the way
  dst[2] = 0x0000;
  for (int green_shift : {5, 6}) {
    // A 555 pixel never has the top bit set.
    const std::uint16_t valid = green_shift == 5 ? 0x7FFF : 0xFFFF;
    std::vector<std::uint16_t> s = src, d = dst;
    for (std::size_t i = 0; i < s.size(); ++i) {
      s[i] &= valid;
      d[i] &= valid;
    }
    for (int level : {-5000, -1, 0, 256, 257, 521, 100000}) {
      std::vector<std::uint16_t> row = d;
      blend_row(row.data(), s.data(), static_cast<int>(row.size()), level, green_shift);
      for (std::size_t i = 0; i < row.size(); ++i) {
        const std::uint16_t expected = level <= 0 || s[i] == 0 ? d[i] : s[i];
        ASSERT_EQ(row[i], expected) << green_shift << " level " << level << " column " << i;
        ASSERT_EQ(blend_pixel(d[i], s[i], level, green_shift), expected)
            << green_shift << " level " << level << " column " << i;
      }
    }
  }
}

TEST_F(DrawTest, BlendedEntriesOverTheBackBuffer) {
  std::vector<unsigned> px(6 * 4, key);
  for (int i = 7; i < 11; ++i) px[i] = 0xF8F8F8;
  for (int i = 13; i < 17; ++i) px[i] = 0xF8F8F8;
  load(120, "white", 6, 4, px, 1, false);
  load(121, "whitepacked", 6, 4, px, 1, true);
  // The visible box is (1, 1) to (5, 3): drawn at x, it starts at x + 1.
  for (int alpha : {0, 128, 256}) {
    clear_draw_list();
    clear_surface(back_buffer);
    draw_sprite_blended(120, 0, 10, 10, 0, 0, alpha, 0);
    draw_sprite_blended(121, 0, 30, 10, 0, 0, alpha, 0);
    draw_sprite_blended(121, 0, -2, 20, 0, 0, alpha, 0);  // clipped: starts inside its rows
    flush_draw_list();
    // White over black: nothing, half of each channel (green has six bits), or all of it.
    const std::uint16_t expected = alpha == 0 ? 0 : alpha == 256 ? pack_rgb(31, 31, 31) : 0x7BEF;
    EXPECT_EQ(back_pixel(11, 11), expected) << alpha;
    EXPECT_EQ(back_pixel(31, 12), expected) << alpha;
    EXPECT_EQ(back_pixel(0, 21), expected) << alpha;
    EXPECT_EQ(back_pixel(2, 22), expected) << alpha;
    EXPECT_EQ(back_pixel(3, 21), 0) << alpha;  // past the frame
  }
}

TEST_F(DrawTest, BlendedEntriesKeepTheLevelInRange) {
  load_block(126, "fadeblock", 6, 6, 0xF8F8F8);
  load_block(127, "fadepacked", 6, 6, 0xF8F8F8, true);
  struct LevelCase {
    int alpha;
    int level;  // what the entry holds
    std::uint16_t pixel;  // white over a dark blue-grey target
  };
  const std::uint16_t target = pack_rgb(2, 4, 6), white = pack_rgb(31, 31, 31);
  const LevelCase cases[] = {
      {-100000, 0, target}, {-7, 0, target}, {300, 256, white}, {100000, 256, white}};
  for (const LevelCase& c : cases) {
    clear_draw_list();
    plat::blt_fill(back_buffer, nullptr, target);
    draw_sprite_blended(126, 0, 10, 10, 0, 0, c.alpha, 0);
    draw_sprite_blended(127, 0, 30, 10, 1, 0, c.alpha, 0);
    ASSERT_NE(draw_band_head(10), nullptr);
    ASSERT_NE(draw_band_head(15), nullptr);
    EXPECT_EQ(draw_band_head(10)->extra, c.level) << c.alpha;
    EXPECT_EQ(draw_band_head(15)->extra, c.level) << c.alpha;
    flush_draw_list();
    for (int x : {11, 14, 31, 34}) {
      EXPECT_EQ(back_pixel(x, 11), c.pixel) << c.alpha << " column " << x;
      EXPECT_EQ(back_pixel(x, 14), c.pixel) << c.alpha << " column " << x;
    }
    EXPECT_EQ(back_pixel(15, 11), target) << c.alpha;  // the key border stays untouched
  }
}

// An 8-bit sprite: its visible box is (1, 1) to (5, 4); index 4's colour is the key, so like
// index 0 it is transparent.
const gfxtest::CharPicture indexed_picture{{"......",
                                            ".1122.",
                                            ".1.32.",
                                            ".3343.",
                                            "......"},
                                           {key, red, green, blue, key}};

TEST_F(DrawTest, IndexedPackedSpritesGoThroughTheirPalette) {
  load_chars(130, "indexed", indexed_picture, true, true);
  load_chars(131, "indexedflat", indexed_picture, true, false);
  ASSERT_EQ(sprites[130]->palette_flag, 1) << "packed: the rows keep the indices";
  ASSERT_EQ(sprites[131]->palette_flag, 0) << "surface mode: the indices become pixels";
  const std::uint16_t R = pack_rgb(31, 0, 0), G = pack_rgb(0, 31, 0), B = pack_rgb(0, 0, 31);
  const std::uint16_t box[3][4] = {{R, R, G, G}, {R, 0, B, G}, {B, B, 0, B}};
  const FrameRect r = frame_rect(130, 0);
  ASSERT_EQ(r.width, 4);
  ASSERT_EQ(r.height, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(sprite_pixel(130, 0, x, y), box[y][x]) << x << "," << y;

  // Decoded into the scratch surface, blended at full level and drawn from surface mode: the
  // same pixels, and the backdrop through both transparent indices.
  const std::uint16_t backdrop = pack_rgb(3, 7, 3);
  plat::blt_fill(back_buffer, nullptr, backdrop);
  draw_sprite(130, 0, 100, 100, 0, 0, 0);
  draw_sprite_blended(130, 0, 200, 100, 0, 0, 256, 0);
  draw_sprite(131, 0, 300, 100, 0, 0, 0);
  flush_draw_list();
  EXPECT_EQ(packed_groups[sprites[130]->group].cached_sprite, 130);
  for (int left : {101, 201, 301})
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(back_pixel(left + x, 101 + y), box[y][x] ? box[y][x] : backdrop)
            << left << ": " << x << "," << y;

  // Half the level over black halves every channel: red 31 → 15, green 62 of six bits → 31,
  // blue 31 → 15.
  const std::uint16_t half[3][4] = {{0x7800, 0x7800, 0x03E0, 0x03E0},
                                    {0x7800, 0, 0x000F, 0x03E0},
                                    {0x000F, 0x000F, 0, 0x000F}};
  clear_draw_list();
  clear_surface(back_buffer);
  draw_sprite_blended(130, 0, 100, 100, 0, 0, 128, 0);
  flush_draw_list();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(back_pixel(101 + x, 101 + y), half[y][x]) << x << "," << y;
}

TEST_F(DrawTest, BlendedPackedSpritesCutAtTheTopSkipTheirFirstRows) {
  // Every row has its own colours, so a row skipped wrongly shows. Box: (1, 1) to (6, 5).
  const gfxtest::CharPicture rows_picture{{".......",
                                           ".12341.",
                                           ".2.412.",
                                           ".34.23.",
                                           ".41234.",
                                           "......."},
                                          {key, red, green, blue, 0xF8F800}};
  load_chars(132, "rows8", rows_picture, true, true);
  load_chars(133, "rows16", rows_picture, false, true);
  ASSERT_EQ(sprites[132]->palette_flag, 1);
  ASSERT_EQ(sprites[133]->palette_flag, 0);
  const std::uint16_t shown[5] = {0, pack_rgb(31, 0, 0), pack_rgb(0, 31, 0), pack_rgb(0, 0, 31),
                                  pack_rgb(31, 31, 0)};
  const std::uint16_t backdrop = pack_rgb(3, 7, 3);
  struct CutCase {
    int x, y;     // where the sprite is drawn; its box starts one pixel right and down
    int skipped;  // box rows above the screen
  };
  const CutCase cases[] = {{50, -2, 1}, {50, -4, 3}, {-2, -3, 2}};
  for (int sprite : {132, 133}) {
    for (const CutCase& c : cases) {
      clear_draw_list();
      plat::blt_fill(back_buffer, nullptr, backdrop);
      draw_sprite_blended(sprite, 0, c.x, c.y, 0, 0, 256, 0);
      ASSERT_NE(draw_band_head(10), nullptr);
      EXPECT_EQ(draw_band_head(10)->src.top, c.skipped);
      flush_draw_list();
      for (int row = 0; row < 4 - c.skipped; ++row) {
        for (int column = 0; column < 5; ++column) {
          const int screen_x = c.x + 1 + column;
          if (screen_x < 0) continue;
          const std::uint16_t v = shown[rows_picture.index(1 + column, 1 + c.skipped + row)];
          EXPECT_EQ(back_pixel(screen_x, row), v ? v : backdrop)
              << sprite << " drawn at " << c.x << "," << c.y << ": " << column << "," << row;
        }
      }
      EXPECT_EQ(back_pixel(c.x + 2 > 0 ? c.x + 2 : 0, 4 - c.skipped), backdrop) << "below the box";
    }
  }
}

TEST_F(DrawTest, AFullListDropsEveryFurtherEntry) {
  load_block(134, "fullblock", 6, 6, red);
  plat::Surface* surface = sprites[134]->frames[0].surface;
  const plat::Rect whole{0, 0, 4, 4};
  // Each further entry would land at (700, 500) or (701, 501), far below the full list's.
  struct Further {
    const char* what;
    std::function<void()> add;
  };
  const Further further[] = {
      {"plain sprite", [] { draw_sprite(134, 0, 700, 500, 0, 0, 0); }},
      {"blended sprite", [] { draw_sprite_blended(134, 0, 700, 500, 0, 0, 128, 0); }},
      {"surface", [&] { draw_surface(surface, 700, 500, 0, whole); }},
      {"small surface", [&] { draw_surface_small(surface, 700, 500, 0, whole); }},
      {"band entry", [&] { EXPECT_FALSE(draw_band_entry(surface, 700, 500, 10, whole, -1, true)); }},
      {"band outside the list", [] { draw_sprite(134, 0, 700, 500, 11, 0, 0); }},
  };
  for (const Further& f : further) {
    clear_draw_list();
    for (int i = 0; i < max_draw_entries; ++i) draw_sprite(134, 0, i % 600, i / 600, i % 10, 0, 0);
    ASSERT_EQ(draw_list_count(), 1000);
    gfxtest::reset_log();
    f.add();
    EXPECT_EQ(draw_list_count(), 1000) << f.what;
    int listed = 0;
    bool last_listed = false;  // the 1000th entry: at (400, 2) in band 55
    for (int band = 0; band < draw_bands; ++band) {
      for (const DrawEntry* e = draw_band_head(band); e && listed <= 1000; e = e->next) {
        ++listed;
        EXPECT_LT(e->y, 500) << f.what;
        last_listed = last_listed || (band == 55 && e->x == 400 && e->y == 2);
      }
    }
    EXPECT_EQ(listed, 1000) << f.what;
    EXPECT_TRUE(last_listed) << f.what;
    EXPECT_EQ(gfxtest::read_log(), "") << f.what << ": a full list logs nothing";
    clear_surface(back_buffer);
    flush_draw_list();
    EXPECT_EQ(back_pixel(402, 3), pack_rgb(31, 0, 0)) << f.what;
    EXPECT_EQ(back_pixel(702, 502), 0) << f.what;
  }
}

TEST_F(DrawTest, ShakeFillsTheTargetOnlyWhenOffsetsAreSet) {
  load_block(122, "shakeblock", 4, 4, red);
  plat::blt_fill(back_buffer, nullptr, pack_rgb(0, 31, 0));
  draw_sprite(122, 0, 0, 0, 0, 0, 0);
  flush_draw_list();
  EXPECT_EQ(back_pixel(700, 500), pack_rgb(0, 31, 0));
  clear_draw_list();
  shake_x = 3;
  draw_sprite(122, 0, 0, 0, 0, 0, 0);
  flush_draw_list();
  EXPECT_EQ(back_pixel(700, 500), 0);
  EXPECT_EQ(back_pixel(3 + 1, 1), pack_rgb(31, 0, 0));
}

TEST_F(DrawTest, SmallSurfaceEntriesAreThreeQuarters) {
  load_block(123, "glyphs", 10, 10, red);
  plat::Surface* s = sprites[123]->frames[0].surface;
  draw_surface_small(s, 100, 100, 0, plat::Rect{0, 0, 8, 8});
  const DrawEntry* e = draw_band_head(10);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->kind, 5);   // 7 columns (the right one dropped) at 75 %: 5.25
  EXPECT_EQ(e->extra, 6);  // 8 rows at 75 %
  EXPECT_EQ(e->src.right, 7);
  clear_draw_list();
  draw_surface_small(s, 100, 100, 0, plat::Rect{0, 0, 2, 8});  // 1 × 75 % < 1
  EXPECT_EQ(draw_list_count(), 0);
  // A rectangle beyond the surface is kept inside it.
  draw_surface(s, 100, 100, 0, plat::Rect{-4, 0, 50, 3});
  e = draw_band_head(10);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->src.left, 0);
  EXPECT_EQ(e->src.right, 8);
  EXPECT_EQ(e->x, 104);
  flush_draw_list();
  EXPECT_EQ(back_pixel(104, 100), pack_rgb(31, 0, 0));
}

TEST_F(DrawTest, TransitionEndsWithEveryStripInPlace) {
  for (int seed = 0; seed < 4; ++seed) {
    res::random_seed(static_cast<std::uint32_t>(seed));
    plat::blt_fill(primary, nullptr, pack_rgb(0, 0, 31));
    start_transition(1);
    ASSERT_TRUE(transition_running());
    EXPECT_NE(transition_type(), 2);
    // The frame is drawn into the next-screen buffer while the transition runs.
    plat::blt_fill(next_screen, nullptr, pack_rgb(31, 0, 0));
    app::frame_time = 1092;
    int steps = 0;
    bool moved = false;
    while (transition_running() && steps < 1000) {
      transition_step();
      const int strips = transition_type() <= 1 ? 600 : 800;
      for (int i = 0; i < strips; i += 4) moved = moved || transition_offset(i) != 0;
      ++steps;
    }
    EXPECT_TRUE(moved);
    EXPECT_EQ(transition_progress(), 4096);
    // 116 per step: 35 steps reach 4060, the 36th passes 4095 and ends the transition.
    EXPECT_EQ(steps, 36);
    const int strips = transition_type() <= 1 ? 600 : 800;
    for (int i = 0; i < strips; i += 4) ASSERT_EQ(transition_offset(i), 0) << i;
    for (int y = 0; y < 600; y += 37)
      for (int x = 0; x < 800; x += 41) ASSERT_EQ(back_pixel(x, y), pack_rgb(31, 0, 0));
  }
}

}  // namespace

namespace {

TEST_F(DrawTest, LostSurfacesComeBackWithTheirPixels) {
  load_block(124, "lostblock", 6, 6, green);
  load_block(125, "lostpacked", 6, 6, blue, true);
  draw_sprite(125, 0, 20, 0, 0, 0, 0);  // decoded into its group's scratch surface
  const int group = sprites[125]->group;
  EXPECT_EQ(packed_groups[group].cached_sprite, 125);
  plat::lose_all_surfaces();
  clear_draw_list();
  draw_sprite(124, 0, 0, 0, 0, 0, 0);
  flush_draw_list();  // the blit finds the back buffer lost: restore, and this frame stops
  EXPECT_NE(gfxtest::read_log().find("restore surfaces ok\n"), std::string::npos);
  EXPECT_EQ(packed_groups[group].cached_sprite, -1);
  clear_draw_list();
  draw_sprite(124, 0, 0, 0, 0, 0, 0);
  draw_sprite(125, 0, 20, 0, 0, 0, 0);
  flush_draw_list();
  EXPECT_EQ(back_pixel(1, 1), pack_rgb(0, 31, 0));
  EXPECT_EQ(back_pixel(21, 1), pack_rgb(0, 0, 31));
}

}  // namespace
