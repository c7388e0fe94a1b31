// The sprite loader and the draw list: surface and packed frames, draw order, bands, clipping,
// the blend, the flush into the back buffer and the screen transition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/GrumboldX/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/resources/random.h"
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
  // Loads a 24-bit picture (rows top to bottom, 0xRRGGBB) as a sprite.
  void load(int sprite, const std::string& name, int width, int height,
            const std::vector<unsigned>& pixels, int rows = 1, bool packed = false) {
    files.write("data\\gfx\\" + name + ".bmp", make_bmp(24, width, height, pixels));
    if (packed) begin_packed_group();
    sprites[sprite] = load_animation(("data\\gfx\\" + name).c_str(), 1, rows, false);
    if (packed) end_packed_group();
    used.push_back(sprite);
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
  EXPECT_EQ(e->kind, 7 * 75 / 100);
  EXPECT_EQ(e->extra, 8 * 75 / 100);
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
    random_seed(static_cast<std::uint32_t>(seed));
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
    EXPECT_EQ(steps, 4096 / (1092 * 8 / 75) + 1);
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
