// SPDX-License-Identifier: GPL-3.0-or-later
// The font definition, glyph packing and text drawing through the draw list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/gfx/draw.h"
#include "game/gfx/surfaces.h"
#include "game/text/font.h"
#include "platform/platform.h"
#include "tests/gfx_fixture.h"

using namespace text;

namespace {

// Two rows: 'A' (5 wide) and 'B' (3 wide) in the bottom row, 'C' (7 wide) and a second 'A'
// (2 wide) in the row above; then the digits 0..9, 4 wide each, in a third row.
std::string small_definition() {
  std::string d = "0 1252\n0 64\n0 16\n14\n0 0\n"
                  "41 0 10 1 14 0\n"
                  "42 0 20 1 22 0\n"
                  "43 0 0 2 6 0\n"
                  "41 0 0 2 1 0\n";
  for (int i = 0; i < 10; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "%x 0 %d 3 %d 0\n", '0' + i, i * 10, i * 10 + 3);
    d += line;
  }
  return d;
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gfxtest::open_display();
    gfxtest::reset_log();
    gfx::clear_draw_list();
    const std::string d = small_definition();
    ASSERT_TRUE(parse_font_definition(d.data(), d.size(), font));
    // A fresh 64 x 64 font surface, whatever an earlier test loaded.
    release_font();
    font.surface = gfx::create_surface(64, 64);
  }
};

TEST_F(FontTest, GlyphRectanglesArePackedRowByRowFromTheBottom) {
  EXPECT_EQ(font.country_code, 1252);
  EXPECT_EQ(font.image_height, 64);
  EXPECT_EQ(font.row_height, 16);
  EXPECT_EQ(font.glyph_count, 14);
  struct RectCase {
    int glyph;
    GlyphRect rect;
  };
  const RectCase cases[] = {
      {0, {0, 48, 5, 64}},  // first row: image height - row height
      {1, {5, 48, 8, 64}},  // packed right after the first glyph
      {2, {0, 32, 7, 48}},  // a new row key starts a row above, at x = 0
      {3, {7, 32, 9, 48}},
      {4, {0, 16, 4, 32}},
      {13, {36, 16, 40, 32}},
  };
  for (const RectCase& c : cases) {
    const GlyphRect& r = font.glyphs[c.glyph];
    EXPECT_EQ(r.x0, c.rect.x0) << c.glyph;
    EXPECT_EQ(r.y0, c.rect.y0) << c.glyph;
    EXPECT_EQ(r.x1, c.rect.x1) << c.glyph;
    EXPECT_EQ(r.y1, c.rect.y1) << c.glyph;
  }
  EXPECT_EQ(font.glyph_map['A'], 3);  // the later glyph for a code wins
  EXPECT_EQ(font.glyph_map['C'], 2);
  EXPECT_EQ(font.glyph_map['D'], no_glyph);
}

TEST_F(FontTest, WidthsAndAvailability) {
  EXPECT_TRUE(char_available(' '));
  EXPECT_TRUE(char_available('B'));
  EXPECT_FALSE(char_available('Z'));
  EXPECT_EQ(glyph_width(' '), 10);
  EXPECT_EQ(glyph_width('B'), 4);
  EXPECT_EQ(glyph_width('Z'), 0);
  EXPECT_EQ(text_width(u"AB C"), 3 + 4 + 10 + 8);
  // text_width_small: (s - n) * 3 / 4 + n with every unit counted in n.
  EXPECT_EQ(text_width_small(u"AB C"), (25 - 4) * 3 / 4 + 4);
}

TEST_F(FontTest, DrawTextAddsOneEntryPerGlyph) {
  EXPECT_EQ(draw_text(100, 50, u"AB C"), 4);
  ASSERT_EQ(gfx::draw_list_count(), 3);
  std::vector<const gfx::DrawEntry*> drawn;  // band 10, last added first
  for (const gfx::DrawEntry* e = gfx::draw_band_head(10); e; e = e->next) drawn.insert(drawn.begin(), e);
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_EQ(drawn[0]->x, 101);
  EXPECT_EQ(drawn[0]->y, 51);
  EXPECT_EQ(drawn[0]->src.left, 7);
  EXPECT_EQ(drawn[0]->src.top, 32);
  EXPECT_EQ(drawn[1]->x, 104);
  EXPECT_EQ(drawn[2]->x, 118);  // 100 + 3 + 4 + 10, plus one
  EXPECT_EQ(drawn[2]->src.right, 7);
}

TEST_F(FontTest, ControlPairsAreInvisible) {
  EXPECT_EQ(text_width(u"\b1AB"), text_width(u"AB"));
  EXPECT_EQ(draw_text(0, 0, u"\b1AB"), 4);
  EXPECT_EQ(gfx::draw_list_count(), 2);
  gfx::clear_draw_list();
  draw_score(0, 123);
  ASSERT_EQ(gfx::draw_list_count(), 3);
  // Right-aligned to 784: the digits are 5 wide with their spacing.
  std::vector<const gfx::DrawEntry*> drawn;
  for (const gfx::DrawEntry* e = gfx::draw_band_head(10); e; e = e->next) drawn.insert(drawn.begin(), e);
  EXPECT_EQ(drawn[0]->x, 784 - 15 + 1);
  EXPECT_EQ(gfxtest::read_log().find("Warning"), std::string::npos);
}

TEST_F(FontTest, SmallTextAdvancesThreeQuarters) {
  draw_text_small(10, 10, u"CC");
  std::vector<const gfx::DrawEntry*> drawn;
  for (const gfx::DrawEntry* e = gfx::draw_band_head(10); e; e = e->next) drawn.insert(drawn.begin(), e);
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0]->x, 11);
  EXPECT_EQ(drawn[1]->x, 11 + 7 * 3 / 4 + 1);
  EXPECT_EQ(drawn[0]->kind, 6 * 75 / 100);  // the glyph less its spacing column, at 75 %
}

TEST_F(FontTest, MissingGlyphsAreLoggedAndSkipped) {
  EXPECT_EQ(draw_text(0, 0, u"AZB"), 3);
  EXPECT_EQ(gfx::draw_list_count(), 2);
  EXPECT_NE(gfxtest::read_log().find("Warning, the char with the uni-code#90 is not available!\n"),
            std::string::npos);
}

TEST_F(FontTest, RoundTimeIsMinutesAndSeconds) {
  draw_round_time(-5);
  EXPECT_EQ(last_round_time_shown, 0);
  gfx::clear_draw_list();
  draw_round_time(65 << 16);  // "1:05": three digits drawn, the colon has no glyph
  EXPECT_EQ(gfx::draw_list_count(), 3);
  EXPECT_NE(gfxtest::read_log().find("uni-code#58"), std::string::npos);
  // The digit d is the glyph (4d, 16) to (4d + 4, 32), 5 wide with its spacing; the text
  // starts at (16, 16), every glyph one pixel right and down.
  struct Shown {
    int x, left, right;
  };
  const Shown digits[] = {{17, 4, 8}, {22, 0, 4}, {27, 20, 24}};  // '1', '0', '5'
  std::vector<const gfx::DrawEntry*> drawn;  // band 10, last added first
  for (const gfx::DrawEntry* e = gfx::draw_band_head(10); e; e = e->next) drawn.insert(drawn.begin(), e);
  ASSERT_EQ(drawn.size(), 3u);
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    EXPECT_EQ(drawn[i]->x, digits[i].x) << "glyph " << i;
    EXPECT_EQ(drawn[i]->y, 17) << "glyph " << i;
    EXPECT_EQ(drawn[i]->src.left, digits[i].left) << "glyph " << i;
    EXPECT_EQ(drawn[i]->src.right, digits[i].right) << "glyph " << i;
    EXPECT_EQ(drawn[i]->src.top, 16) << "glyph " << i;
    EXPECT_EQ(drawn[i]->src.bottom, 32) << "glyph " << i;
  }
}

TEST_F(FontTest, BadDefinitionsStayInBounds) {
  Font f;
  std::string d = "0 1251\n0 32\n0 8\n2000\n0 0\n";
  d += "zz\n";                  // not a glyph line
  d += "141 0 0 1 3 0\n";       // low byte above 255
  d += "41 0 5 1 2 0\n";        // right before left: an empty glyph
  for (int i = 0; i < 1100; ++i) d += "42 0 0 1 1 0\n";
  ASSERT_TRUE(parse_font_definition(d.data(), d.size(), f));
  EXPECT_EQ(f.glyph_count, max_glyphs);
  EXPECT_EQ(f.glyphs[0].x1 - f.glyphs[0].x0, 0);
  EXPECT_EQ(f.glyph_map['B'], max_glyphs - 1);
  const std::string log = gfxtest::read_log();
  EXPECT_NE(log.find("Font definition lists 2000 glyphs, only 1024 fit\n"), std::string::npos);
  EXPECT_NE(log.find("Font definition: bad glyph line 6\n"), std::string::npos);
  EXPECT_NE(log.find("Font definition: bad glyph line 7\n"), std::string::npos);
  // An overlong line is cut at 998 characters; the header must still be there.
  std::string cut = "0 " + std::string(2000, '7') + "\n";
  EXPECT_FALSE(parse_font_definition(cut.data(), cut.size(), f));
  EXPECT_FALSE(parse_font_definition("", 0, f));
}

TEST_F(FontTest, LoadFontReadsTheDefinitionAndPicture) {
  gfxtest::LooseFiles files;
  files.write_text("data\\qzt.fnt", small_definition());
  files.write("data\\gfx\\font_crunched.bmp",
              gfxtest::make_bmp(24, 40, 64, std::vector<unsigned>(40 * 64, 0xFFFFFF)));
  release_font();
  load_font();
  ASSERT_NE(font.surface, nullptr);
  EXPECT_EQ(plat::surface_width(font.surface), 40);
  EXPECT_EQ(country_code, 1252);
  EXPECT_NE(gfxtest::read_log().find("country code= 1252\n"), std::string::npos);
}

TEST_F(FontTest, TextDrawnBeforeARestoreIsStillDrawnAfterIt) {
  // The frame draws its text, then something finds the surfaces lost and restores them before
  // the flush: the entries must still name a live font surface holding the glyphs.
  gfxtest::LooseFiles files;
  files.write_text("data\\qzt.fnt", small_definition());
  std::vector<unsigned> picture(40 * 64, 0);
  for (int y = 48; y < 64; ++y)  // glyph 'B' of the bottom row: columns 5..7 are white
    for (int x = 5; x < 8; ++x) picture[static_cast<std::size_t>(y) * 40 + x] = 0xFFFFFF;
  files.write("data\\gfx\\font_crunched.bmp", gfxtest::make_bmp(24, 40, 64, picture));
  release_font();
  load_font();
  plat::Surface* const loaded = font.surface;
  gfx::cancel_transition();
  gfx::clear_surface(gfx::back_buffer);
  gfx::clear_draw_list();
  draw_text(200, 100, u"B");
  plat::lose_all_surfaces();
  gfx::restore_surfaces();
  EXPECT_EQ(font.surface, loaded);
  EXPECT_NE(gfxtest::read_log().find("restore surfaces ok\n"), std::string::npos);
  gfx::flush_draw_list();
  void* p = nullptr;
  int pitch = 0;
  ASSERT_EQ(plat::surface_lock(gfx::back_buffer, nullptr, &p, &pitch), plat::DD_OK);
  auto pixel = [&](int x, int y) {
    return static_cast<const std::uint16_t*>(p)[static_cast<std::size_t>(y) * (pitch / 2) + x];
  };
  // Drawn at (x + 1, y + 1): the three white columns and nothing beside them.
  EXPECT_EQ(pixel(201, 101), 0xFFDF);
  EXPECT_EQ(pixel(203, 116), 0xFFDF);
  EXPECT_EQ(pixel(200, 101), 0);
  EXPECT_EQ(pixel(204, 101), 0);
  plat::surface_unlock(gfx::back_buffer);
}

TEST_F(FontTest, AnIncompleteHeaderIsLoggedAndReadAsZeros) {
  Font f;
  const std::string d = "0 1250\nnone\n0 16\n1\n0 0\n41 0 0 1 4 0\n";
  EXPECT_FALSE(parse_font_definition(d.data(), d.size(), f));
  EXPECT_EQ(f.country_code, 1250);
  EXPECT_EQ(f.image_height, 0);
  EXPECT_EQ(f.row_height, 16);
  EXPECT_EQ(f.glyph_count, 1);  // the glyph lines are still read
  const std::string log = gfxtest::read_log();
  EXPECT_NE(log.find("country code= 1250\nFont definition: line 2 has no number\n"), std::string::npos)
      << log;
}

TEST_F(FontTest, LoadingGoesOnWithAnIncompleteHeader) {
  gfxtest::LooseFiles files;
  files.write_text("data\\qzt.fnt", "0\n0 64\n0 16\n");
  files.write("data\\gfx\\font_crunched.bmp",
              gfxtest::make_bmp(24, 8, 8, std::vector<unsigned>(8 * 8, 0xFFFFFF)));
  release_font();
  load_font();
  EXPECT_NE(font.surface, nullptr);
  EXPECT_EQ(country_code, 0);
  EXPECT_EQ(font.glyph_count, 0);
  const std::string log = gfxtest::read_log();
  EXPECT_NE(log.find("Font definition: line 1 has no number\ncountry code= 0\n"), std::string::npos)
      << log;
  EXPECT_NE(log.find("Font definition: line 4 has no number\n"), std::string::npos) << log;
}

using FontDeathTest = FontTest;
TEST_F(FontDeathTest, MissingDefinitionEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  gfxtest::LooseFiles files;
  EXPECT_EXIT(load_font(), ::testing::ExitedWithCode(1), "");
  EXPECT_NE(gfxtest::read_log().find("Error, can't open font-definition file!\n"), std::string::npos);
}

}  // namespace
