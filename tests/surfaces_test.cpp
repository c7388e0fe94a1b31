// SPDX-License-Identifier: GPL-3.0-or-later
// The pixel format, packing, the surfaces of the platform layer, and restoring lost surfaces.
#include <gtest/gtest.h>

#include <cstdlib>

#include "game/GrumboldX/window.h"
#include "game/gfx/surfaces.h"
#include "game/resources/log.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace front;

using namespace test_support;

namespace {

class SurfaceTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    setenv("GRUMBOLDX_PIXELS", GetParam(), 1);
    res::debug_log_reset();
    ASSERT_TRUE(plat::init_headless());
    init_display();
    ASSERT_NE(gfx::back_buffer, nullptr);
  }
  // Everything goes, as at the end of a run, so the next test starts without the display or
  // any of the game's surface pointers of this one.
  void TearDown() override {
    release_all();
    plat::shutdown();
    unsetenv("GRUMBOLDX_PIXELS");
  }
  bool is565() const { return GetParam()[1] == '6'; }
  InScratchDir here;
};

std::uint16_t pixel_at(plat::Surface* s, int x, int y) {
  void* pixels = nullptr;
  int pitch = 0;
  EXPECT_EQ(plat::surface_lock(s, nullptr, &pixels, &pitch), plat::DD_OK);
  const auto value = static_cast<const std::uint16_t*>(pixels)[y * (pitch / 2) + x];
  plat::surface_unlock(s);
  return value;
}

}  // namespace

TEST_P(SurfaceTest, PixelFormatIsMeasuredAndPacked) {
  gfx::detect_pixel_format();
  EXPECT_EQ(read_file("debug.txt"), is565() ? "color shift: 11 6 0\n" : "color shift: 10 5 0\n");
  EXPECT_EQ(gfx::pack_rgb(31, 31, 31), is565() ? 0xFFDF : 0x7FFF);
  EXPECT_EQ(gfx::pack_rgb(31, 0, 0), is565() ? 0xF800 : 0x7C00);
  EXPECT_EQ(gfx::pack_rgb(0, 1, 0), is565() ? 0x0040 : 0x0020);
}

TEST_P(SurfaceTest, ColourKeyZeroIsNeverCopied) {
  plat::Surface* sprite = gfx::create_surface(4, 1);
  void* pixels = nullptr;
  int pitch = 0;
  ASSERT_EQ(plat::surface_lock(sprite, nullptr, &pixels, &pitch), plat::DD_OK);
  auto* row = static_cast<std::uint16_t*>(pixels);
  row[0] = 0;
  row[1] = 0x1234;
  row[2] = 0;
  row[3] = 0xFFFF;
  plat::surface_unlock(sprite);
  const plat::Rect everywhere{0, 0, 800, 600};
  ASSERT_EQ(plat::blt_fill(gfx::back_buffer, &everywhere, 0x5555), plat::DD_OK);
  ASSERT_EQ(plat::blt_fast(gfx::back_buffer, 10, 20, sprite, nullptr, true), plat::DD_OK);
  EXPECT_EQ(pixel_at(gfx::back_buffer, 10, 20), 0x5555);
  EXPECT_EQ(pixel_at(gfx::back_buffer, 11, 20), 0x1234);
  EXPECT_EQ(pixel_at(gfx::back_buffer, 12, 20), 0x5555);
  EXPECT_EQ(pixel_at(gfx::back_buffer, 13, 20), 0xFFFF);
  // Without the key every pixel is copied; a copy that does not fit is refused, not clipped.
  ASSERT_EQ(plat::blt_fast(gfx::back_buffer, 10, 20, sprite, nullptr, false), plat::DD_OK);
  EXPECT_EQ(pixel_at(gfx::back_buffer, 10, 20), 0);
  EXPECT_EQ(plat::blt_fast(gfx::back_buffer, 797, 0, sprite, nullptr, false), plat::DDERR_INVALIDRECT);
  // A stretch doubles every pixel and keeps the key.
  const plat::Rect wide{100, 100, 108, 102};
  ASSERT_EQ(plat::blt_fill(gfx::back_buffer, &wide, 0x0101), plat::DD_OK);
  ASSERT_EQ(plat::blt_stretch(gfx::back_buffer, &wide, sprite, nullptr, true), plat::DD_OK);
  const std::uint16_t want[8] = {0x0101, 0x0101, 0x1234, 0x1234, 0x0101, 0x0101, 0xFFFF, 0xFFFF};
  for (int x = 0; x < 8; ++x) {
    EXPECT_EQ(pixel_at(gfx::back_buffer, 100 + x, 100), want[x]) << x;
    EXPECT_EQ(pixel_at(gfx::back_buffer, 100 + x, 101), want[x]) << x;
  }
  plat::surface_release(sprite);
}

TEST_P(SurfaceTest, LostSurfacesRefuseWorkUntilRestored) {
  gfx::recreate_surfaces();
  gfx::screen_image_number = 4;
  plat::lose_all_surfaces();
  void* pixels = nullptr;
  int pitch = 0;
  EXPECT_EQ(plat::surface_lock(gfx::back_buffer, nullptr, &pixels, &pitch), plat::DDERR_SURFACELOST);
  EXPECT_EQ(plat::surface_flip(gfx::primary), plat::DDERR_SURFACELOST);
  res::debug_log_reset();
  EXPECT_EQ(gfx::restore_surfaces(), 1);
  EXPECT_EQ(gfx::screen_image_number, -1);  // the picture is loaded again on next use
  for (plat::Surface* s : {gfx::primary, gfx::back_buffer, gfx::next_screen, gfx::previous_screen,
                           gfx::screen_image, gfx::layer_surfaces[0], gfx::layer_surfaces[4]})
    EXPECT_EQ(plat::surface_is_lost(s), plat::DD_OK);
  EXPECT_EQ(plat::surface_flip(gfx::primary), plat::DD_OK);
  const std::string text = read_file("debug.txt");
  EXPECT_EQ(text.rfind("restore surfaces, ", 0), 0u);
  EXPECT_NE(text.find("restore surfaces ok\n"), std::string::npos);
  gfx::release_surfaces(1);
  EXPECT_EQ(gfx::next_screen, nullptr);
  EXPECT_EQ(gfx::layer_surfaces[2], nullptr);
  gfx::release_surfaces(1);  // nothing left to release: harmless
}

INSTANTIATE_TEST_SUITE_P(Formats, SurfaceTest, testing::Values("565", "555"));

namespace {

class CreateSurfaceDeathTest : public testing::Test {
 protected:
  void TearDown() override {
    release_all();
    plat::shutdown();
  }
  InScratchDir here;
};

}  // namespace

TEST_F(CreateSurfaceDeathTest, AFailedCreationIsReportedAndEndsWithCode1) {
  setenv("GRUMBOLDX_FAIL", "CreateOffscreen", 1);
  res::debug_log_reset();
  const bool started = plat::init_headless();  // the backend reads the faults once, here
  unsetenv("GRUMBOLDX_FAIL");
  ASSERT_TRUE(started);
  init_display();
  EXPECT_EXIT(gfx::create_surface(64, 64), testing::ExitedWithCode(1), "");
  EXPECT_NE(read_file("debug.txt").find("\"DDERR_OUTOFVIDEOMEMORY\""), std::string::npos);
}
