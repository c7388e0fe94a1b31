// SPDX-License-Identifier: GPL-3.0-or-later
// Every picture, the texts and the font of each edition's generated archive load without one
// error line. The build always packs all three archives, so a missing one is a failure.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/gfx_fixture.h"

using namespace gfx;

namespace {

class ArchiveLoad : public ::testing::TestWithParam<const char*> {};

TEST_P(ArchiveLoad, EveryPictureLoadsWithoutAnErrorLine) {
  const std::string path = std::string(GRUMBOLDX_DATA_DIR) + "/" + GetParam() + "/grumboldX.dat";
  ASSERT_TRUE(std::filesystem::exists(path)) << "the build packs " << path;
  gfxtest::open_display();
  gfxtest::reset_log();
  res::use_data_archive = true;
  ASSERT_EQ(res::xfinit(path.c_str()), 1);
  if (!res::xfexist(loading_picture, ".bmp") && !res::xfexist(loading_picture, ".jpg")) {
    res::xfdone();
    FAIL() << path << " holds no loading picture";
  }
  text::load_texts();
  load_catalogue();
  hide_loading_screen();
  text::load_font();
  load_exit_pictures();
  for (int n = 0; n < 6; ++n) {
    clear_draw_list();
    show_screen_picture(n);
  }
  if (app::edition == app::edition_xxl) load_scene2_layers();
  res::xfdone();

  const std::string log = gfxtest::read_log();
  for (const char* bad : {"ERROR", "not found", "!!!!!!!", "Mask size", "error while decoding",
                          "can't", "Unknown color", "Font definition", "Text Index out of range",
                          "Text pool full"})
    EXPECT_EQ(log.find(bad), std::string::npos) << bad << " in the log of " << path << ":\n" << log;
  EXPECT_EQ(std::string(graphics_fingerprint()).size(), 256u);
  EXPECT_GT(text::font.glyph_count, 60);
  EXPECT_NE(text::text_index[13], text::text_undefined);
  EXPECT_EQ(frame_count(cursor_sprite), 3);
  for (int i = 0; i < sprite_slots; ++i) release_sprite(i);
  release_layer_pictures();
  text::release_font();
}

INSTANTIATE_TEST_SUITE_P(Editions, ArchiveLoad, ::testing::Values("XS", "XL", "XXL"));

}  // namespace
