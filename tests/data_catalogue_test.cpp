// SPDX-License-Identifier: GPL-3.0-or-later
// The generated pictures, font and texts as each edition's archive stores them: every picture
// the catalogue, the menus, the loading screen, the layers and the exit screen load is there
// in a format the loader reads, cut into the grid the catalogue asks for, with no frame left
// empty; the font definition matches its picture and covers every character of the texts;
// the text table holds every text the game asks for. Headers and pixels are decoded here,
// independently of the game's picture loader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/resources/archive.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes read_stored(const std::string& name) {
  const int length = res::xflen(name.c_str());
  if (length <= 0) return {};
  Bytes bytes(static_cast<std::size_t>(length));
  std::FILE* f = res::xfopen(name.c_str(), "rb");
  if (!f) return {};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  res::xfclose(f);
  bytes.resize(got);
  return bytes;
}

std::uint32_t le32(const Bytes& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
unsigned le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

// A decoded picture: size, bit count and, for BMPs, which pixels are visible (not the key).
struct Picture {
  bool found = false;
  bool jpeg = false;
  int width = 0, height = 0, bits = 0;
  std::vector<std::uint8_t> visible;  // BMP only, top row first
  std::string error;
};

// The BMP forms the loader accepts: uncompressed 1, 8 or 24 bits, rows bottom-up padded to 4
// bytes, palette right after the 40-byte header. Visible: not the magenta key.
Picture decode_bmp(const Bytes& b) {
  Picture p;
  p.found = true;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') {
    p.error = "not a BMP";
    return p;
  }
  if (le32(b, 14) != 40) p.error = "information header is not 40 bytes";
  p.width = static_cast<int>(le32(b, 18));
  p.height = static_cast<int>(le32(b, 22));
  p.bits = static_cast<int>(le16(b, 28));
  const std::uint32_t compression = le32(b, 30);
  if (compression != 0) p.error = "compressed";
  if (p.bits != 1 && p.bits != 8 && p.bits != 24) p.error = "bit count " + std::to_string(p.bits);
  if (p.width <= 0 || p.height <= 0) p.error = "no rows (or top-down rows)";
  if (!p.error.empty()) return p;
  std::uint32_t colours = le32(b, 46);
  if (colours == 0 && p.bits != 24) colours = p.bits == 8 ? 256 : 2;
  const std::size_t palette = 54, pixels = palette + colours * 4;
  const std::size_t row_bytes = ((static_cast<std::size_t>(p.width) * p.bits + 31) / 32) * 4;
  if (b.size() < pixels + row_bytes * p.height) {
    p.error = "file shorter than its rows";
    return p;
  }
  p.visible.assign(static_cast<std::size_t>(p.width) * p.height, 0);
  for (int y = 0; y < p.height; ++y) {
    const std::size_t row = pixels + row_bytes * (p.height - 1 - y);
    for (int x = 0; x < p.width; ++x) {
      bool visible = true;
      if (p.bits == 24) {
        const unsigned blue = b[row + x * 3], green = b[row + x * 3 + 1], red = b[row + x * 3 + 2];
        visible = !(red >= 240 && blue >= 240 && green == 0);
      } else if (p.bits == 8) {
        const std::size_t entry = palette + b[row + x] * 4;
        const unsigned blue = b[entry], green = b[entry + 1], red = b[entry + 2];
        visible = !(red >= 240 && blue >= 240 && green < 8);
      } else {
        visible = (b[row + x / 8] & (0x80 >> (x % 8))) == 0;  // a set mask bit is transparent
      }
      p.visible[static_cast<std::size_t>(y) * p.width + x] = visible;
    }
  }
  return p;
}

// Size from the JPEG frame header (baseline or progressive).
Picture decode_jpeg_header(const Bytes& b) {
  Picture p;
  p.found = true;
  p.jpeg = true;
  p.bits = 24;
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) {
    p.error = "not a JPEG";
    return p;
  }
  std::size_t at = 2;
  while (at + 9 < b.size()) {
    if (b[at] != 0xFF) {
      p.error = "broken marker chain";
      return p;
    }
    const unsigned marker = b[at + 1];
    const std::size_t length = (b[at + 2] << 8) | b[at + 3];
    if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
      p.height = (b[at + 5] << 8) | b[at + 6];
      p.width = (b[at + 7] << 8) | b[at + 8];
      if (b[at + 9] != 3) p.error = "not three colour components";
      return p;
    }
    at += 2 + length;
  }
  p.error = "no frame header";
  return p;
}

// The picture the loader would find for a base name: ".bmp" first, then ".jpg".
Picture load(const std::string& base) {
  if (res::xfexist(base.c_str(), ".bmp")) return decode_bmp(read_stored(base + ".bmp"));
  if (res::xfexist(base.c_str(), ".jpg")) return decode_jpeg_header(read_stored(base + ".jpg"));
  return {};
}

// Number of cells of a columns × rows grid that hold no visible pixel.
int empty_cells(const Picture& p, int columns, int rows) {
  const int cw = p.width / columns, ch = p.height / rows;
  int empty = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      bool any = false;
      for (int y = r * ch; y < (r + 1) * ch && !any; ++y)
        for (int x = c * cw; x < (c + 1) * cw && !any; ++x) any = p.visible[static_cast<std::size_t>(y) * p.width + x];
      empty += !any;
    }
  return empty;
}

const char* edition_name(int edition) { return edition == 1 ? "XS" : edition == 2 ? "XL" : "XXL"; }

class EditionData : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const fs::path archive = fs::path(GRUMBOLDX_DATA_DIR) / edition_name(GetParam()) / "grumboldX.dat";
    ASSERT_TRUE(fs::exists(archive)) << "the build packs " << archive;
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit(archive.string().c_str()), 1);
    opened_ = true;
  }
  void TearDown() override {
    if (opened_) res::xfdone();
  }
  int edition() const { return GetParam(); }
  bool loads(std::uint8_t editions) const { return (editions & gfx::edition_bit(edition())) != 0; }

  // Checks a picture the loader cuts into columns × rows frames.
  void expect_animation(const std::string& name, int columns, int rows, bool surface_mode) {
    SCOPED_TRACE(name);
    const Picture p = load(name);
    ASSERT_TRUE(p.found) << "missing";
    ASSERT_TRUE(p.error.empty()) << p.error;
    EXPECT_NE(p.bits, 1) << "a mask is not a sprite";
    if (surface_mode) {
      EXPECT_NE(p.bits, 8) << "8-bit pictures show a placeholder in surface mode";
    }
    ASSERT_GE(p.width / columns, 1);
    ASSERT_GE(p.height / rows, 1);
    EXPECT_EQ(p.width % columns, 0) << "width " << p.width << " is not a multiple of " << columns;
    EXPECT_EQ(p.height % rows, 0) << "height " << p.height << " is not a multiple of " << rows << " frames";
    if (!p.jpeg) {
      EXPECT_EQ(empty_cells(p, columns, rows), 0) << "empty frames";
    }
  }

 private:
  bool opened_ = false;
};

TEST_P(EditionData, HeaderNamesTheEdition) { EXPECT_EQ(app::edition, edition()); }

TEST_P(EditionData, EveryCatalogueAnimationIsStoredWithItsGrid) {
  int checked = 0;
  for (const gfx::CatalogueUnit& unit : gfx::catalogue_units) {
    if (!loads(unit.editions)) continue;
    for (int k = 0; k < unit.count; ++k) {
      const gfx::CatalogueSprite& s = gfx::catalogue_sprites[unit.first + k];
      const int rows = gfx::catalogue_rows(s, edition());
      if (rows == 0) continue;
      expect_animation(s.name, s.columns, rows, unit.mode == gfx::LoadMode::surface);
      ++checked;
    }
  }
  EXPECT_GT(checked, 0) << "the edition loads no animation";
}

TEST_P(EditionData, MenuButtonsCursorAndLoadingScreen) {
  for (const gfx::MenuButton& b : gfx::menu_buttons) {
    expect_animation(b.name, 1, gfx::button_rows, true);
    const Picture p = load(b.name);
    EXPECT_LE(b.x + p.width, 800) << b.name;
    EXPECT_LE(b.y + p.height / gfx::button_rows, 600) << b.name;
  }
  expect_animation(gfx::loading_picture, 1, 1, true);
  expect_animation(gfx::loading_bar_picture, 1, 1, true);
  const Picture loading = load(gfx::loading_picture);
  EXPECT_EQ(loading.width, 800);
  EXPECT_EQ(loading.height, 600);
  const Picture bar = load(gfx::loading_bar_picture);
  EXPECT_LE(gfx::loading_bar_x + bar.width, 800);
  EXPECT_LE(gfx::loading_bar_y + bar.height, 600);
}

TEST_P(EditionData, SceneLayersFitTheirSurfaces) {
  int widths[5] = {};
  for (int i = 0; i < 5; ++i) {
    const std::string name = gfx::scene1_layers[i];
    SCOPED_TRACE(name);
    const Picture p = load(name);
    ASSERT_TRUE(p.found);
    ASSERT_TRUE(p.error.empty()) << p.error;
    EXPECT_NE(p.bits, 8);
    EXPECT_LE(p.height, 600) << "rows beyond the 800 × 600 layer surface";
    EXPECT_GE(p.width, 800);
    widths[i] = p.width;
    if (res::xfexist((name + "mask").c_str(), ".bmp")) {
      const Picture mask = decode_bmp(read_stored(name + "mask.bmp"));
      EXPECT_EQ(mask.bits, 1);
      EXPECT_EQ(mask.width, p.width);
      EXPECT_EQ(mask.height, p.height);
    } else {
      EXPECT_EQ(i, 4) << "only the sky is opaque everywhere";
    }
  }
  // Parallax: the front layer is the widest, each layer behind narrower than the one before;
  // layer 1 reaches where right-flying chickens of depth 1 are let go.
  for (int i = 0; i + 1 < 5; ++i) EXPECT_GT(widths[i], widths[i + 1]);
  EXPECT_GE(widths[1], 3000);

  if (edition() != app::edition_xxl) return;
  for (const char* name : gfx::scene2_layers) {
    SCOPED_TRACE(name);
    const Picture p = load(name);
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.width, 800);
    EXPECT_GE(p.height, 600);
    EXPECT_NE(p.bits, 8);
  }
}

TEST_P(EditionData, ScreenPicturesAreFullScreen) {
  for (const char* name : gfx::screen_pictures) {
    SCOPED_TRACE(name);
    const Picture p = load(name);
    ASSERT_TRUE(p.found);
    ASSERT_TRUE(p.error.empty()) << p.error;
    EXPECT_EQ(p.width, 800);
    EXPECT_GE(p.height, 600);
    EXPECT_NE(p.bits, 8) << "8-bit screen pictures end the game";
  }
}

TEST_P(EditionData, ExitScreenPicturesOfTheEdition) {
  for (const gfx::ExitPicture& e : gfx::exit_pictures) {
    SCOPED_TRACE(e.name);
    const bool stored = e.jpeg ? res::xfexist(e.name, ".jpg") != 0 : load(e.name).found;
    EXPECT_EQ(stored, loads(e.editions));
    if (stored && !e.jpeg) expect_animation(e.name, 1, 1, true);
  }
  // No further link pictures: the exit screen loads every "ad<n>.jpg" it finds.
  for (int n = 1; n <= gfx::ad_max; ++n) {
    const std::string name = "data\\gfx\\ad" + std::to_string(n);
    bool listed = false;
    for (const gfx::ExitPicture& e : gfx::exit_pictures) listed |= name == e.name && loads(e.editions);
    EXPECT_EQ(res::xfexist(name.c_str(), ".jpg") != 0, listed) << name;
  }
}

// ---------------------------------------------------------------- texts and font

struct TextTable {
  bool bom = false;
  std::map<int, std::u16string> texts;
  std::vector<std::string> problems;
};

// Reads the text table the way the game does (numbered lines, quotes, 100 counting up).
TextTable parse_texts(const Bytes& b) {
  TextTable t;
  std::u16string all;
  for (std::size_t i = 0; i + 1 < b.size(); i += 2) all.push_back(static_cast<char16_t>(b[i] | (b[i + 1] << 8)));
  if (!all.empty() && all[0] == 0xFEFF) {
    t.bom = true;
    all.erase(0, 1);
  }
  int next_auto = 100;
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find(u'\n', start);
    if (end == std::u16string::npos) end = all.size() - 1;
    const std::u16string line = all.substr(start, end - start + 1);
    start = end + 1;
    if (line.size() > 998) t.problems.push_back("a line longer than 998 units");
    if (line.empty() || line[0] == u'#' || line.size() < 3) continue;
    std::size_t i = 0;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t')) ++i;
    int n = 0;
    bool digits = false;
    while (i < line.size() && line[i] >= u'0' && line[i] <= u'9') {
      n = n * 10 + (line[i++] - u'0');
      digits = true;
    }
    if (!digits) continue;
    if (n == 9999) break;
    if (n < 1 || n >= 600) {
      t.problems.push_back("index out of range: " + std::to_string(n));
      continue;
    }
    if (n == 100) n = next_auto++;
    const std::size_t open = line.find(u'"');
    const std::size_t close = line.rfind(u'"');
    if (open == std::u16string::npos || close == open) {
      t.problems.push_back("line " + std::to_string(n) + " defines nothing");
      continue;
    }
    t.texts[n] = line.substr(open + 1, close - open - 1);
  }
  return t;
}

int count_of(const std::u16string& s, const std::u16string& what) {
  int n = 0;
  for (std::size_t at = s.find(what); at != std::u16string::npos; at = s.find(what, at + 1)) ++n;
  return n;
}

TEST_P(EditionData, TextTableHoldsEveryTextTheGameShows) {
  const Bytes bytes = read_stored(gfx::text_file);
  ASSERT_FALSE(bytes.empty());
  const TextTable t = parse_texts(bytes);
  EXPECT_TRUE(t.bom);
  EXPECT_TRUE(t.problems.empty()) << t.problems.front();
  // Besides the texts named by the screens: 5, the round's reload hint, and 14, the name entry's
  // prompt.
  std::vector<int> needed = {1, 2, 3, 4, 5, 10, 12, 13, 14, 80, 81, 82, 83, 84};
  for (int n = 20; n <= 27; ++n) needed.push_back(n);
  for (int n = 50; n <= 59; ++n) needed.push_back(n);
  for (int n : needed) {
    ASSERT_TRUE(t.texts.count(n)) << "text " << n;
    EXPECT_FALSE(t.texts.at(n).empty()) << "text " << n;
  }
  for (int n : {13, 84}) EXPECT_EQ(count_of(t.texts.at(n), u"%"), 1) << "text " << n << " formats one number";
  EXPECT_EQ(count_of(t.texts.at(13), u"%d"), 1);
  for (int n = 20; n <= 27; ++n) EXPECT_LE(t.texts.at(n).size(), 10u) << "a default name longer than a typed one";
  // The credits run from 100 to a text "*ENDE*" below 600.
  int end = 0;
  for (int n = 100; n < 600 && end == 0; ++n) {
    ASSERT_TRUE(t.texts.count(n)) << "gap in the credits at " << n;
    if (t.texts.at(n) == u"*ENDE*") end = n;
  }
  EXPECT_GT(end, 110);
  std::size_t pool = 0;
  for (const auto& [n, text] : t.texts) pool += text.size() + 1;
  EXPECT_LT(pool, 20000u);
}

struct FontGlyph {
  unsigned code;
  int left, row, right;
};

TEST_P(EditionData, FontDefinitionMatchesItsPictureAndCoversTheTexts) {
  const Bytes def = read_stored(gfx::font_definition);
  ASSERT_FALSE(def.empty());
  std::istringstream in(std::string(def.begin(), def.end()));
  int unused = 0, code_page = 0, image_height = 0, row_height = 0, count = 0;
  in >> unused >> code_page >> unused >> image_height >> unused >> row_height >> count >> unused >> unused;
  ASSERT_TRUE(in);
  EXPECT_EQ(code_page, 1252);
  EXPECT_GT(row_height, 12);
  ASSERT_GT(count, 0);
  EXPECT_LE(count, 1024);
  std::vector<FontGlyph> glyphs;
  for (int i = 0; i < count; ++i) {
    FontGlyph g{};
    unsigned low = 0, high = 0;
    in >> std::hex >> low >> high >> std::dec >> g.left >> g.row >> g.right >> unused;
    ASSERT_TRUE(in) << "glyph line " << i;
    g.code = low | (high << 8);
    glyphs.push_back(g);
  }
  const Picture picture = load(gfx::font_picture);
  ASSERT_TRUE(picture.found);
  ASSERT_TRUE(picture.error.empty()) << picture.error;
  EXPECT_EQ(picture.height, image_height);

  // Rebuild the rectangles as the font loader does: a new row whenever the row key changes,
  // rows from the bottom of the picture upward, glyphs packed from the left edge.
  std::set<unsigned> codes;
  int x = 0, top = image_height, previous_row = -1;
  for (const FontGlyph& g : glyphs) {
    SCOPED_TRACE("glyph " + std::to_string(g.code));
    if (g.row != previous_row) {
      x = 0;
      top -= row_height;
      previous_row = g.row;
    }
    const int x1 = x + (g.right - g.left) + 1;
    ASSERT_GE(top, 0) << "more rows than the picture holds";
    ASSERT_LE(x1, picture.width);
    EXPECT_EQ(g.left, x) << "the definition's columns follow the packing";
    bool ink = false;
    for (int y = top; y < top + row_height && !ink; ++y)
      for (int px = x; px < x1 && !ink; ++px) ink = picture.visible[static_cast<std::size_t>(y) * picture.width + px];
    EXPECT_TRUE(ink) << "an empty glyph";
    codes.insert(g.code);
    x = x1;
  }
  const TextTable t = parse_texts(read_stored(gfx::text_file));
  for (const auto& [n, text] : t.texts) {
    if (n == 81 || n == 83) continue;  // HTML for the upload dialog, not drawn with the font
    for (char16_t c : text) {
      if (c != u' ') {
        EXPECT_TRUE(codes.count(c)) << "text " << n << " uses U+" << std::hex << int(c);
      }
    }
  }
  for (char16_t c : std::u16string(u"ÄÖÜäöüß€0123456789")) {
    EXPECT_TRUE(codes.count(c)) << std::hex << int(c);
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, EditionData, ::testing::Values(1, 2, 3),
                         [](const ::testing::TestParamInfo<int>& info) { return std::string(edition_name(info.param)); });

}  // namespace
