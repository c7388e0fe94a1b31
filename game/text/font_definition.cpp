// SPDX-License-Identifier: GPL-3.0-or-later
// The font definition parser.
#include <cstdio>

#include "game/resources/log.h"
#include "game/text/font.h"

namespace text {

namespace {

// Hands out the definition's lines as a buffered text file does: at most font_line_chars
// characters at once, a longer line going on as the next one.
struct LineReader {
  const char* bytes;
  std::size_t size;
  std::size_t at = 0;

  bool next(char (&line)[1000]) {
    if (at >= size) return false;
    int n = 0;
    while (at < size && n < font_line_chars) {
      const char c = bytes[at++];
      line[n++] = c;
      if (c == '\n') break;
    }
    line[n] = '\0';
    return true;
  }
};

// Reads a header line's number (the second of two, or the only one); a line without it counts
// as 0 and is logged.
bool read_header(LineReader& reader, int line_number, bool pair, int& value) {
  char line[1000];
  int first = 0;
  value = 0;
  const bool ok = reader.next(line) && (pair ? std::sscanf(line, "%d %d", &first, &value) == 2
                                             : std::sscanf(line, "%d", &value) == 1);
  if (!ok) {
    value = 0;
    res::debug_log("Font definition: line %d has no number\n", line_number);
  }
  return ok;
}

}  // namespace

bool parse_font_definition(const char* bytes, std::size_t size, Font& out) {
  for (GlyphRect& g : out.glyphs) g = GlyphRect{0, 0, 0, 0};
  for (std::uint16_t& m : out.glyph_map) m = no_glyph;
  out.glyph_count = 0;

  LineReader reader{bytes, size};
  char line[1000];
  int declared = 0;
  bool complete = read_header(reader, 1, true, out.country_code);
  res::debug_log("country code= %d\n", out.country_code);
  complete = read_header(reader, 2, true, out.image_height) && complete;
  complete = read_header(reader, 3, true, out.row_height) && complete;
  complete = read_header(reader, 4, false, declared) && complete;
  reader.next(line);  // line 5 is not used
  // Sizes beyond any picture are cut, so the row arithmetic cannot overflow.
  auto clamp_size = [](int v) { return v < 0 ? 0 : v > 65536 ? 65536 : v; };
  out.image_height = clamp_size(out.image_height);
  out.row_height = clamp_size(out.row_height);

  if (declared > max_glyphs)
    res::debug_log("Font definition lists %d glyphs, only %d fit\n", declared, max_glyphs);
  int row_top = out.image_height;
  int x = 0;
  int previous_key = 0;
  int glyph = 0;
  for (int listed = 0; listed < declared && glyph < max_glyphs; ++listed) {
    if (!reader.next(line)) {
      res::debug_log("Font definition ends after %d of %d glyphs\n", listed, declared);
      break;
    }
    unsigned low = 0, high = 0;
    int left = 0, key = 0, right = 0, unused = 0;
    if (std::sscanf(line, "%x %x %d %d %d %d", &low, &high, &left, &key, &right, &unused) < 5 ||
        low > 255 || high > 255) {
      res::debug_log("Font definition: bad glyph line %d\n", listed + 6);
      continue;
    }
    if (glyph == 0 || key != previous_key) {
      row_top -= out.row_height;
      x = 0;
    }
    long long width = static_cast<long long>(right) - left + 1;
    if (width < 0) width = 0;
    if (width > 65536) width = 65536;
    out.glyphs[glyph] = GlyphRect{x, row_top, x + static_cast<int>(width), row_top + out.row_height};
    x += static_cast<int>(width);
    if (x > 1 << 20) x = 1 << 20;
    out.glyph_map[low + 256 * high] = static_cast<std::uint16_t>(glyph);
    previous_key = key;
    ++glyph;
  }
  out.glyph_count = glyph;
  return complete;
}

}  // namespace text
