// SPDX-License-Identifier: GPL-3.0-or-later
// Font definition parser: any file gives at most 1024 glyphs and a map that points only at them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/text/font.h"

namespace {
text::Font font;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!text::parse_font_definition(reinterpret_cast<const char*>(data), size, font)) return 0;
  if (font.glyph_count < 0 || font.glyph_count > text::max_glyphs) std::abort();
  for (int i = 0; i < font.glyph_count; ++i)
    if (font.glyphs[i].x1 < font.glyphs[i].x0) std::abort();
  for (std::uint16_t g : font.glyph_map)
    if (g != text::no_glyph && g >= font.glyph_count) std::abort();
  return 0;
}
