// SPDX-License-Identifier: GPL-3.0-or-later
// Background layers: the refill plan of the ring surfaces, parallax factors, trimming, the layer
// entries, layer_pixel and the full-screen pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/surfaces.h"
#include "platform/platform.h"
#include "tests/gfx_fixture.h"

using namespace gfx;

namespace {

struct PlanCase {
  const char* what;
  int old_offset, new_offset;
  std::vector<LayerCopy> copies;
};

TEST(LayerPlan, RefillCopiesOnlyTheExposedColumns) {
  const PlanCase cases[] = {
      {"scroll step 0 copies nothing", 100, 100, {}},
      {"first fill copies the window", -1000, 0, {{0, 800, 0}}},
      {"first fill across the ring's end", -1000, 1000, {{1000, 600, 200}, {1600, 200, 0}}},
      {"right by 10", 100, 110, {{900, 10, 100}}},
      {"left by 10", 110, 100, {{100, 10, 100}}},
      {"right across the ring's end", 795, 805, {{1595, 5, 795}, {1600, 5, 0}}},
      {"a jump of more than a screen refills once", 0, 3000, {{3000, 200, 600}, {3200, 600, 0}}},
      {"a negative start becomes 0", -1000, -30, {{0, 800, 0}}},
  };
  for (const PlanCase& c : cases) {
    LayerCopy out[2] = {};
    const int n = plan_layer_refill(c.old_offset, c.new_offset, out);
    ASSERT_EQ(n, static_cast<int>(c.copies.size())) << c.what;
    for (int i = 0; i < n; ++i) {
      EXPECT_EQ(out[i].start, c.copies[i].start) << c.what;
      EXPECT_EQ(out[i].count, c.copies[i].count) << c.what;
      EXPECT_EQ(out[i].ring_column, c.copies[i].ring_column) << c.what;
      EXPECT_LE(out[i].ring_column + out[i].count, 800) << c.what;
    }
  }
}

// Column x of every layer picture has its own colour: red x mod 32, green x / 32 mod 32.
unsigned column_colour(int x) { return static_cast<unsigned>((x % 32) * 8) << 16 | ((x / 32) % 32) * 8 << 8 | 0x80; }
std::uint16_t column_pixel(int x) { return pack_rgb(x % 32, (x / 32) % 32, 16); }

class LayerTest : public ::testing::Test {
 protected:
  static constexpr int widths[5] = {2400, 1600, 1200, 1000, 800};
  static constexpr int empty_top = 40;
  void SetUp() override {
    gfxtest::open_display();
    gfxtest::reset_log();
    clear_draw_list();
    shake_x = shake_y = 0;
    app::scene = 1;
    for (plat::Surface*& s : layer_surfaces)
      if (!s) s = create_surface(800, 600);
    if (!screen_image) screen_image = create_surface(800, 600);
    static const char* names[5] = {"ol", "olul", "ul", "bg", "sky"};
    for (int i = 0; i < 5; ++i) {
      const int w = widths[i], h = 60 + empty_top + 10;
      std::vector<unsigned> px(static_cast<std::size_t>(w) * h, 0xFF00FF);
      for (int y = empty_top; y < h - 10; ++y)
        for (int x = 0; x < w; ++x) px[static_cast<std::size_t>(y) * w + x] = column_colour(x);
      files.write(std::string("data\\gfx\\") + names[i] + ".bmp", gfxtest::make_bmp(24, w, h, px));
    }
    load_scene1_layers();
  }
  void TearDown() override { release_layer_pictures(); }
  static std::uint16_t pixel_of(plat::Surface* surface, int x, int y) {
    void* p = nullptr;
    int pitch = 0;
    EXPECT_EQ(plat::surface_lock(surface, nullptr, &p, &pitch), plat::DD_OK);
    const std::uint16_t v = static_cast<std::uint16_t*>(p)[y * (pitch / 2) + x];
    plat::surface_unlock(surface);
    return v;
  }
  static std::uint16_t surface_pixel(int layer, int x, int y) {
    return pixel_of(layer_surfaces[layer], x, y);
  }
  static std::uint16_t back_pixel(int x, int y) { return pixel_of(back_buffer, x, y); }
  static std::vector<DrawEntry> entries_of(int band) {
    std::vector<DrawEntry> out;
    for (const DrawEntry* e = draw_band_head(band); e; e = e->next) out.insert(out.begin(), *e);
    return out;
  }
  gfxtest::LooseFiles files;
};

TEST_F(LayerTest, TrimmingAndParallaxFactors) {
  EXPECT_EQ(layers[0].top_trim, empty_top);
  EXPECT_EQ(layers[0].height, 60);
  EXPECT_EQ(layers[1].factor, 65536);
  EXPECT_EQ(layers[0].factor, 2 * 65536);
  EXPECT_EQ(layers[2].factor, 32768);
  EXPECT_EQ(layers[4].factor, 0);  // as wide as the screen: it stands still
  set_scroll(101);
  EXPECT_EQ(layer_offset(0), 202);
  EXPECT_EQ(layer_offset(2), 50);
  EXPECT_EQ(layer_offset(4), 0);
}

TEST_F(LayerTest, FullRefillAfterMinus1000ThenOnlyNewColumns) {
  set_scroll(-1000);
  set_scroll(100);
  update_layers();
  // Layer 1 shows picture columns 100..899: column X sits in surface column X mod 800.
  EXPECT_EQ(surface_pixel(1, 100, 0), column_pixel(100));
  EXPECT_EQ(surface_pixel(1, 99, 0), column_pixel(899));
  EXPECT_EQ(surface_pixel(1, 0, 59), column_pixel(800));
  // Two entries in band 17 at the trimmed top: (100..800) at 0 and (0..100) at 700.
  auto e = entries_of(17);
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[0].src.left, 100);
  EXPECT_EQ(e[0].src.right, 800);
  EXPECT_EQ(e[0].x, 0);
  EXPECT_EQ(e[0].y, empty_top);
  EXPECT_EQ(e[0].src.bottom, 60);
  EXPECT_EQ(e[0].sprite, -2);
  EXPECT_EQ(e[1].src.right, 100);
  EXPECT_EQ(e[1].x, 700);

  // A step right by 10 rewrites just ring columns 100..109 of layer 1.
  plat::blt_fill(layer_surfaces[1], nullptr, 0x1111);
  set_scroll(110);
  clear_draw_list();
  update_layers();
  EXPECT_EQ(surface_pixel(1, 100, 0), column_pixel(900));
  EXPECT_EQ(surface_pixel(1, 109, 0), column_pixel(909));
  EXPECT_EQ(surface_pixel(1, 110, 0), 0x1111);
  EXPECT_EQ(surface_pixel(1, 99, 0), 0x1111);
}

TEST_F(LayerTest, ScrollStepZeroCopiesNothingAndDrawsTheSame) {
  set_scroll(-1000);
  set_scroll(333);
  update_layers();
  const auto before = entries_of(17);
  plat::blt_fill(layer_surfaces[1], nullptr, 0x2222);
  set_scroll(333);
  clear_draw_list();
  update_layers();
  EXPECT_EQ(surface_pixel(1, 333, 0), 0x2222);
  const auto after = entries_of(17);
  ASSERT_EQ(after.size(), before.size());
  for (std::size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].x, before[i].x);
    EXPECT_EQ(after[i].src.left, before[i].src.left);
    EXPECT_EQ(after[i].src.right, before[i].src.right);
  }
}

TEST_F(LayerTest, OffsetMultipleOf800DrawsOneEntry) {
  set_scroll(-1000);
  set_scroll(400);  // layer 0 at 800, layer 1 at 400, layer 4 at 0
  update_layers();
  EXPECT_EQ(entries_of(12).size(), 1u);
  EXPECT_EQ(entries_of(17).size(), 2u);
  EXPECT_EQ(entries_of(32).size(), 1u);
  EXPECT_EQ(entries_of(12)[0].src.left, 0);
  EXPECT_EQ(surface_pixel(0, 0, 0), column_pixel(800));
}

TEST_F(LayerTest, LayerPixelSubtractsTheTopTrim) {
  set_scroll(-1000);
  set_scroll(50);
  EXPECT_EQ(layer_pixel(1, 10, empty_top - 1), 0);
  EXPECT_EQ(layer_pixel(1, 10, empty_top), column_pixel(60));
  EXPECT_EQ(layer_pixel(1, 10, empty_top + 59), column_pixel(60));
  EXPECT_EQ(layer_pixel(1, 10, empty_top + 60), 0);
  EXPECT_EQ(layer_pixel(5, 10, 50), 0);
}

// The back layer (band 32) is swapped for a narrow picture whose 100 rows reach below the 60
// rows of the front layers, so screen rows 100..139 show the back layer alone.
struct NarrowCase {
  const char* what;
  int width;
};

TEST_F(LayerTest, NarrowLayersAreDrawnAfterTheRoundSetUp) {
  const NarrowCase cases[] = {
      {"as wide as the screen", 800},
      {"narrower than the screen", 600},
  };
  const std::uint16_t backdrop = pack_rgb(3, 7, 3);
  for (const NarrowCase& c : cases) {
    std::vector<unsigned> px(static_cast<std::size_t>(c.width) * (empty_top + 100), 0xFF00FF);
    for (int y = empty_top; y < empty_top + 100; ++y)
      for (int x = 0; x < c.width; ++x) px[static_cast<std::size_t>(y) * c.width + x] = column_colour(x);
    files.write("data\\gfx\\sky.bmp", gfxtest::make_bmp(24, c.width, empty_top + 100, px));
    load_scene1_layers();
    ASSERT_EQ(layers[4].factor, 0) << c.what;
    plat::blt_fill(layer_surfaces[4], nullptr, 0);  // whatever an earlier round left
    set_scroll(-1000);  // the round set-up
    set_scroll(250);
    clear_draw_list();
    update_layers();
    plat::blt_fill(back_buffer, nullptr, backdrop);
    flush_draw_list();
    for (int x : {0, 1, 399, c.width - 1}) {
      EXPECT_EQ(back_pixel(x, 120), column_pixel(x)) << c.what << " column " << x;
    }
    if (c.width < 800) {
      EXPECT_EQ(back_pixel(c.width, 120), backdrop) << c.what << ": past the picture";
    }
    EXPECT_EQ(back_pixel(10, empty_top + 100), backdrop) << c.what << ": below the layer";
    // The full refill is done once: the next step copies nothing into a layer that stands still.
    plat::blt_fill(layer_surfaces[4], nullptr, 0x3333);
    set_scroll(260);
    clear_draw_list();
    update_layers();
    EXPECT_EQ(surface_pixel(4, 0, 80), 0x3333) << c.what;
  }
}

TEST_F(LayerTest, LostLayersGetTheirWindowBack) {
  set_scroll(-1000);
  set_scroll(100);
  update_layers();
  plat::lose_all_surfaces();  // the memory of every surface is gone
  set_scroll(120);
  clear_draw_list();
  update_layers();
  // Layer 1 shows picture columns 120..919, layer 0 240..1039, layer 4 (standing) 0..799.
  EXPECT_EQ(surface_pixel(1, 120, 0), column_pixel(120));
  EXPECT_EQ(surface_pixel(1, 119, 30), column_pixel(919));
  EXPECT_EQ(surface_pixel(0, 239, 59), column_pixel(1039));
  EXPECT_EQ(surface_pixel(4, 0, 0), column_pixel(0));
  EXPECT_EQ(surface_pixel(4, 799, 59), column_pixel(799));
  EXPECT_EQ(entries_of(32).size(), 1u);
}

TEST_F(LayerTest, ScreenPictureLoadsOnlyWhenItsNumberChanges) {
  files.write("data\\gfx\\help.bmp", gfxtest::make_bmp(24, 800, 600, std::vector<unsigned>(800 * 600, 0xF80000)));
  screen_image_number = -1;
  show_screen_picture(1);
  EXPECT_EQ(screen_image_number, 1);
  auto e = entries_of(17);
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].source, screen_image);
  std::filesystem::remove(files.root / "data" / "gfx" / "help.bmp");
  clear_draw_list();
  show_screen_picture(1);  // the file is gone: it must not be read again
  EXPECT_EQ(entries_of(17).size(), 1u);
  show_screen_picture(9);  // no such picture: nothing
  EXPECT_EQ(screen_image_number, 1);
}

}  // namespace

namespace {

TEST_F(LayerTest, SceneTwoLayersComeBackAfterALoss) {
  const unsigned colours[3] = {0xF80000, 0x00F800, 0x0000F8};
  for (int i = 0; i < 3; ++i)
    files.write(std::string(scene2_layers[i]) + ".bmp",
                gfxtest::make_bmp(24, 800, 600, std::vector<unsigned>(800 * 600, colours[i])));
  app::scene = 2;
  load_scene2_layers();
  EXPECT_EQ(layer_pixel(1, 10, 10), pack_rgb(0, 31, 0));
  EXPECT_EQ(layer_offset(0), 0);
  plat::lose_all_surfaces();
  restore_surfaces();
  EXPECT_EQ(surface_pixel(0, 799, 599), pack_rgb(31, 0, 0));
  EXPECT_EQ(surface_pixel(2, 0, 0), pack_rgb(0, 0, 31));
  EXPECT_EQ(layer_pixel(5, 0, 0), 0);
  EXPECT_EQ(layer_pixel(1, 799, 10), 0);  // the 2 × 2 read stays inside the surface
  draw_scene2_layers();
  ASSERT_EQ(entries_of(22).size(), 1u);
  EXPECT_EQ(entries_of(22)[0].src.bottom, 300);
  app::scene = 1;
}

}  // namespace
