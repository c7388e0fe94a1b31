// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font: one picture "data\gfx\font_crunched" with the glyphs packed side by side in
// rows (the first row at the bottom of the picture), and the definition "data\qzt.fnt":
//   line 1  "<unused> <country code>"     Windows code page of the language
//   line 2  "<unused> <image height>"
//   line 3  "<unused> <row height>"
//   line 4  "<glyph count>"
//   line 5  "<unused> <unused>"
//   then one line per glyph: "<low byte hex> <high byte hex> <left> <row key> <right> <unused>"
// A glyph whose row key differs from the previous one starts a new row one row height higher;
// glyphs of a row are packed from the left edge without gaps, each right - left + 1 wide.
// Text is drawn one draw-list entry per glyph, at full size or at 75 %.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace text {

constexpr int max_glyphs = 1024;
constexpr std::uint16_t no_glyph = 0xFFFF;
constexpr int font_line_chars = 998;  // longest definition line read at once

struct GlyphRect {
  int x0, y0, x1, y1;  // x1, y1 exclusive
};

struct Font {
  int country_code = 0;
  int image_height = 0;
  int row_height = 0;
  int glyph_count = 0;  // glyphs defined
  plat::Surface* surface = nullptr;
  GlyphRect glyphs[max_glyphs] = {};
  std::uint16_t glyph_map[65536];  // glyph number per UTF-16 code

  Font() {
    for (std::uint16_t& g : glyph_map) g = 0xFFFF;  // no glyph until a definition is read
  }
  char image_path[64] = {};
};

extern Font font;
extern int country_code;  // also read by the name entry

// Fills font's numbers, glyphs and map from a definition file image (text) and logs the country
// code as soon as line 1 is read. Malformed glyph lines and glyphs beyond 1024 are logged and
// skipped; a header line without its number is logged and counts as 0. Returns false when a
// header number was missing (the font is still filled as far as it goes).
bool parse_font_definition(const char* bytes, std::size_t size, Font& out);
// Reads "data\qzt.fnt" (missing: logged, exit code 1) and loads the font picture.
void load_font();
void release_font();
// Called by restore_surfaces: a lost font surface is restored and its picture loaded into it
// again (the surface stays the same, so draw-list entries naming it stay valid).
void restore_font();

bool char_available(int code);
int glyph_width(int code);

// Full-size text with its left edge at x and its top at y; returns the number of units.
int draw_text(int x, int y, const char16_t* text);
void draw_text_small(int x, int y, const char16_t* text);
int text_width(const char16_t* text);
int text_width_small(const char16_t* text);
// An ASCII string drawn full size (the head-up display's numbers).
int draw_ascii(int x, int y, const char* text);

// The round time (16.16 seconds) as "m:ss" at (16, 16).
void draw_round_time(std::int32_t value);
extern std::int32_t last_round_time_shown;
// A player's score: player 0 right-aligned to x = 784, any other player at (16, 16).
void draw_score(int player, int score);

}  // namespace text
