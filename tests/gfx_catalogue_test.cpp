// SPDX-License-Identifier: GPL-3.0-or-later
// The whole start-up load for each edition from fixture pictures: which sprites load with how
// many frames, the packed groups, the buttons, the loading screen and the fingerprint.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "platform/platform.h"
#include "tests/gfx_fixture.h"

using namespace gfx;

namespace {

constexpr unsigned key = 0xFF00FF;

// A picture of `rows` cells of 8 × 8 stacked, each with a 2 × 2 blob at (k mod 6, k mod 6).
void write_animation(const gfxtest::LooseFiles& files, const std::string& name, int rows, bool indexed) {
  const int w = 8, h = 8 * rows;
  std::vector<unsigned> px(static_cast<std::size_t>(w) * h, indexed ? 0u : key);
  for (int k = 0; k < rows; ++k)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        px[static_cast<std::size_t>(k * 8 + k % 6 + y) * w + k % 6 + x] = indexed ? 1 + k % 3 : 0x204080u + 0x080000u * (k % 16);
  if (indexed)
    files.write(name + ".bmp", gfxtest::make_bmp(8, w, h, px, {key, 0xF80000, 0x00F800, 0x0000F8}));
  else
    files.write(name + ".bmp", gfxtest::make_bmp(24, w, h, px));
}

class CatalogueTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    gfxtest::open_display();
    gfxtest::reset_log();
    // Every picture once, with the most frames any edition asks for.
    std::set<std::string> written;
    for (const CatalogueSprite& s : catalogue_sprites) {
      if (!written.insert(s.name).second) continue;
      int rows = 0;
      for (int e = 1; e <= 3; ++e) rows = std::max(rows, catalogue_rows(s, e));
      write_animation(files, s.name, rows, written.size() % 2 == 0);
      written_rows[s.name] = rows;
    }
    for (const MenuButton& b : menu_buttons) write_animation(files, b.name, 3, false);
    std::vector<unsigned> loading(800 * 600);
    for (std::size_t i = 0; i < loading.size(); ++i) loading[i] = 0x102030;
    files.write(std::string(loading_picture) + ".bmp", gfxtest::make_bmp(24, 800, 600, loading));
    files.write(std::string(loading_bar_picture) + ".bmp",
                gfxtest::make_bmp(24, 40, 200, std::vector<unsigned>(40 * 200, 0xF8F8F8)));
    const int widths[5] = {2400, 1600, 1200, 1000, 800};
    for (int i = 0; i < 5; ++i)
      files.write(std::string(scene1_layers[i]) + ".bmp",
                  gfxtest::make_bmp(24, widths[i], 4, std::vector<unsigned>(widths[i] * 4, 0x406080)));
  }
  void TearDown() override {
    for (int i = 0; i < sprite_slots; ++i) release_sprite(i);
    release_layer_pictures();
    app::edition = 2;
  }
  gfxtest::LooseFiles files;
  std::map<std::string, int> written_rows;
};

TEST_P(CatalogueTest, LoadsEveryAnimationOfTheEdition) {
  const int edition = GetParam();
  app::edition = edition;
  reset_fingerprint();
  load_catalogue();
  const std::uint8_t bit = edition_bit(edition);
  int packed_units = 0;
  for (const CatalogueUnit& unit : catalogue_units) {
    const bool unit_loads = (unit.editions & bit) != 0;
    packed_units += unit_loads && unit.mode == LoadMode::packed;
    for (int i = unit.first; i < unit.first + unit.count; ++i) {
      const CatalogueSprite& s = catalogue_sprites[i];
      const int rows = unit_loads ? catalogue_rows(s, edition) : 0;
      EXPECT_EQ(frame_count(s.sprite), rows) << s.name << " in edition " << edition;
      if (rows == 0) continue;
      EXPECT_EQ(sprites[s.sprite]->packed, unit.mode == LoadMode::packed ? 1 : 0) << s.name;
      // XS cuts two pictures into one frame; its archive holds one-frame pictures for them.
      if (rows != written_rows[s.name]) continue;
      for (int f = 0; f < rows; ++f) {
        const FrameRect r = frame_rect(s.sprite, f);
        EXPECT_EQ(r.width, 2) << s.name << " frame " << f;
        EXPECT_EQ(r.height, 2) << s.name << " frame " << f;
        EXPECT_EQ(r.top, f % 6) << s.name << " frame " << f;
        EXPECT_EQ(r.left, s.mirrored ? 6 - f % 6 : f % 6) << s.name << " frame " << f;
        EXPECT_NE(sprite_pixel(s.sprite, f, 1, 1), 0) << s.name << " frame " << f;
      }
    }
  }
  EXPECT_EQ(packed_group_total, packed_units);
  if (edition == 1) {
    EXPECT_EQ(frame_count(51), 1);   // tree_upset
    EXPECT_EQ(frame_count(195), 1);  // car_frontshoot1
  }
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(frame_count(button_first_sprite + i), 3);
    EXPECT_EQ(button_places[i].x, menu_buttons[i].x);
    EXPECT_EQ(button_places[i].width, 2);
  }
  EXPECT_EQ(std::string(graphics_fingerprint()).size(), 256u);
  EXPECT_EQ(gfxtest::read_log().find("!!!!!!!"), std::string::npos);
  EXPECT_EQ(gfxtest::read_log().find("ERROR"), std::string::npos);
  hide_loading_screen();
  EXPECT_EQ(frame_count(loading_sprite), 0);
}

// Another language's copy of a picture is what the player sees; the fingerprint and the dither
// generator come out of the load as in German, so the upload's check text and every later
// picture do not depend on the language.
TEST_P(CatalogueTest, ALanguagesCopyIsShownWhileFingerprintAndDitherStayGermans) {
  app::edition = GetParam();
  auto load = [this](const char* language) {
    for (int i = 0; i < sprite_slots; ++i) release_sprite(i);
    release_layer_pictures();
    reset_fingerprint();
    set_dither_state(12345);
    set_picture_language(language);
    load_catalogue();
    set_picture_language(nullptr);
  };
  load(nullptr);
  const std::string german = graphics_fingerprint();
  const std::uint32_t german_dither = dither_state();
  const std::uint16_t first_button = sprite_pixel(button_first_sprite, 0, 1, 1);
  const std::uint16_t second_button = sprite_pixel(button_first_sprite + 1, 0, 1, 1);

  // The first button in English: the same cells with a yellow blob.
  std::vector<unsigned> px(8 * 24, key);
  for (int k = 0; k < 3; ++k)
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) px[static_cast<std::size_t>(k * 8 + k % 6 + y) * 8 + k % 6 + x] = 0xF8F800;
  const std::string name = menu_buttons[0].name;
  std::filesystem::create_directories(files.root / "data" / "en" / "gfx");
  files.write("data\\en\\" + name.substr(5) + ".bmp", gfxtest::make_bmp(24, 8, 24, px));

  load("en");
  EXPECT_EQ(graphics_fingerprint(), german);
  EXPECT_EQ(dither_state(), german_dither);
  EXPECT_NE(sprite_pixel(button_first_sprite, 0, 1, 1), first_button) << "the English copy is shown";
  EXPECT_EQ(sprite_pixel(button_first_sprite + 1, 0, 1, 1), second_button) << "a picture without a copy";
  load("fr");  // a language without copies loads German
  EXPECT_EQ(sprite_pixel(button_first_sprite, 0, 1, 1), first_button);
}

INSTANTIATE_TEST_SUITE_P(Editions, CatalogueTest, ::testing::Values(1, 2, 3));

TEST(LoadingScreen, BarGrowsUpwardWithASoftEdge) {
  gfxtest::open_display();
  gfxtest::reset_log();
  gfxtest::LooseFiles files;
  files.write(std::string(loading_picture) + ".bmp",
              gfxtest::make_bmp(24, 800, 600, std::vector<unsigned>(800 * 600, 0x000000)));
  files.write(std::string(loading_bar_picture) + ".bmp",
              gfxtest::make_bmp(24, 40, 200, std::vector<unsigned>(40 * 200, 0xF8F8F8)));
  show_loading_screen();
  auto pixel = [](int x, int y) {
    void* p = nullptr;
    int pitch = 0;
    plat::surface_lock(primary, nullptr, &p, &pitch);
    const std::uint16_t v = static_cast<std::uint16_t*>(p)[y * (pitch / 2) + x];
    plat::surface_unlock(primary);
    return v;
  };
  const std::uint16_t back = pack_rgb(1, 1, 1), bar = pack_rgb(31, 31, 31);
  EXPECT_EQ(pixel(220, 309), back);
  loading_bar(50);  // 100 of 200 rows, from y = 210 to 309
  EXPECT_EQ(pixel(216, 309), bar);
  EXPECT_EQ(pixel(255, 210), bar);
  EXPECT_EQ(pixel(256, 250), back);   // right of the bar
  EXPECT_EQ(pixel(216, 209), bar);    // first edge row: weight 256
  EXPECT_EQ(pixel(216, 208), blend_pixel(back, bar, 224, green_shift));
  EXPECT_EQ(pixel(216, 202), blend_pixel(back, bar, 32, green_shift));
  EXPECT_EQ(pixel(216, 201), back);   // eight rows at most
  loading_bar(150);                   // clamped to 99: the edge never reaches y = 110
  EXPECT_EQ(pixel(216, 112), bar);
  EXPECT_EQ(pixel(216, 110), back);
  hide_loading_screen();
}

}  // namespace

namespace {

TEST(ExtraAnimations, ListLinesLoadIntoSprites65Upward) {
  gfxtest::open_display();
  gfxtest::reset_log();
  gfxtest::LooseFiles files;
  write_animation(files, "data\\gfx\\windmill", 4, false);
  write_animation(files, "data\\gfx\\smoke", 2, true);
  files.write_text("sprites.txt",
                   "# name layer x y frames speed\n"
                   "xx\n"
                   "windmill 1 300 200 4 0.5\n"
                   "nothing 1 0 0 0 1.0\n"
                   "smoke 2 10 20 2 1.0\n");
  load_extra_animations("sprites.txt");
  ASSERT_EQ(extra_animation_count, 2);
  EXPECT_EQ(frame_count(65), 4);
  EXPECT_EQ(frame_count(66), 2);
  EXPECT_EQ(extra_animations[0].x, 300);
  EXPECT_EQ(extra_animations[1].layer, 2);
  // The phase grows by the frame time; a third of a second into four frames is frame 1.
  app::frame_time = 65536 / 3;
  clear_draw_list();
  draw_extra_animations();
  const DrawEntry* e = draw_band_head(15);  // depth = layer 1
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->sprite, 65);
  EXPECT_EQ(e->frame, 1);
  app::frame_time = 1092;
  release_sprite(65);
  release_sprite(66);
  extra_animation_count = 0;
}

}  // namespace
