// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font and text drawing.
#include "game/text/font.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/resources/dx_errors.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace text {

Font font;
int country_code = 0;
std::int32_t last_round_time_shown = 0;

void load_font() {
  if (font.surface) release_font();  // loaded again after a display rebuild
  std::snprintf(font.image_path, sizeof font.image_path, "%s", gfx::font_picture);
  std::FILE* stream = res::xfopen(gfx::font_definition, "r");
  if (!stream) {
    res::debug_log("Error, can't open font-definition file!\n");
    res::fatal_exit(1);
  }
  // The stream may go on past the stored file (the archive's next file): read just its bytes.
  const int length = res::xflen(gfx::font_definition);
  auto* bytes = static_cast<char*>(XMALLOC(static_cast<std::size_t>(length > 0 ? length : 0)));
  const std::size_t got = length > 0 ? std::fread(bytes, 1, static_cast<std::size_t>(length), stream) : 0;
  res::xfclose(stream);
  parse_font_definition(bytes, got, font);  // an incomplete header reads as zeros, logged
  XFREE(bytes);
  country_code = font.country_code;
  gfx::load_image_surface(&font.surface, font.image_path);
}

void release_font() {
  if (font.surface)
    res::report_dd_error(plat::surface_release(font.surface), "game/text", __LINE__);
  font.surface = nullptr;
}

void restore_font() {
  if (!font.surface || plat::surface_is_lost(font.surface) != plat::DDERR_SURFACELOST) return;
  res::report_dd_error(plat::surface_restore(font.surface), "game/text", __LINE__);
  // The picture goes back into the same surface: text drawn earlier in this frame names it in
  // the draw list.
  gfx::reload_image_surface(font.surface, font.image_path);
}

bool char_available(int code) {
  return code == 32 || (code >= 0 && code < 65536 && font.glyph_map[code] != no_glyph);
}

int glyph_width(int code) {
  if (code == 32) return 10;
  if (code < 0 || code >= 65536 || font.glyph_map[code] == no_glyph) return 0;
  const GlyphRect& r = font.glyphs[font.glyph_map[code]];
  return r.x1 - r.x0 + 1;
}

namespace {

// Walks the text: spaces, glyphs and the invisible control pairs ("\b" and the unit after it).
template <typename Glyph>
int walk_text(const char16_t* text, int& x, int space, Glyph glyph) {
  int n = 0;
  for (; text[n]; ++n) {
    const char16_t u = text[n];
    if (u == 8) {
      if (text[n + 1]) ++n;
      continue;
    }
    if (u == 32) {
      x += space;
      continue;
    }
    const std::uint16_t g = font.glyph_map[u];
    if (g == no_glyph) {
      res::debug_log("Warning, the char with the uni-code#%d is not available!\n", u);
      continue;
    }
    glyph(font.glyphs[g]);
  }
  return n;
}

}  // namespace

int draw_text(int x, int y, const char16_t* text) {
  return walk_text(text, x, 10, [&](const GlyphRect& r) {
    if (r.x1 - r.x0 > 0)
      gfx::draw_surface(font.surface, x + 1, y + 1, 0, plat::Rect{r.x0, r.y0, r.x1, r.y1});
    x += r.x1 - r.x0 + 1;
  });
}

void draw_text_small(int x, int y, const char16_t* text) {
  walk_text(text, x, 10, [&](const GlyphRect& r) {
    if (r.x1 - r.x0 > 0)
      gfx::draw_surface_small(font.surface, x + 1, y + 1, 0, plat::Rect{r.x0, r.y0, r.x1, r.y1});
    x += (r.x1 - r.x0) * 3 / 4 + 1;
  });
}

int text_width(const char16_t* text) {
  int width = 0;
  for (int n = 0; text[n]; ++n) {
    if (text[n] == 8) {
      if (text[n + 1]) ++n;
      continue;
    }
    width += glyph_width(text[n]);
  }
  return width;
}

int text_width_small(const char16_t* text) {
  int n = 0;
  while (text[n]) ++n;
  return (text_width(text) - n) * 3 / 4 + n;
}

namespace {

void widen(const char* in, char16_t* out, int size) {
  int i = 0;
  for (; in[i] && i < size - 1; ++i) out[i] = static_cast<unsigned char>(in[i]);
  out[i] = 0;
}

}  // namespace

int draw_ascii(int x, int y, const char* text) {
  char16_t wide[128];
  widen(text, wide, 128);
  return draw_text(x, y, wide);
}

void draw_round_time(std::int32_t value) {
  if (value < 0) value = 0;
  last_round_time_shown = value;
  const int seconds = value >> 16;
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%d:%02d", seconds / 60, seconds % 60);
  draw_ascii(16, 16, buffer);
}

void draw_score(int player, int score) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "\b1%d", score);
  char16_t wide[32];
  widen(buffer, wide, 32);
  if (player == 0)
    draw_text(784 - text_width(wide), 16, wide);
  else
    draw_text(16, 16, wide);
}

}  // namespace text
