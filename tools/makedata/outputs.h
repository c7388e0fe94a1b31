// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's output steps besides the animations.
#pragma once

#include <filesystem>
#include <string>

#include <cstdint>
#include <vector>

#include "game/text/translations.h"
#include "tools/makedata/art.h"
#include "tools/makedata/image.h"

namespace makedata {

// Output roots: files every edition shares, and per edition (0 XS, 1 XL, 2 XXL).
struct Roots {
    std::filesystem::path common;
    std::filesystem::path edition[3];
};

// Scene layers of both scenes, the full-screen pictures, the loading picture and the
// exit-screen link pictures.
bool write_backgrounds(const Roots& roots, std::string& error);
// The loading picture (800 × 600) with the empty egg the loading bar fills.
void paint_loading_screen(cairo_t* cr);

// The font picture in memory: glyph g sits in row g.row (rows counted from the bottom of the
// picture) at column g.x, g.width pixels wide.
struct FontGlyph {
    std::uint32_t code;
    int x, row, width;
};
struct FontPicture {
    Image image;
    int row_height = 0;
    std::vector<FontGlyph> glyphs;
};
bool build_font(FontPicture& font, std::string& error);
// "data\qzt.fnt" and "data\gfx\font_crunched".
bool write_font(const std::filesystem::path& root, std::string& error);
// "data\text.txt" of each edition (the help names the edition's round length), and each
// language's "data\<code>\text.txt" beside it.
bool write_texts(const Roots& roots, const std::vector<text::Translation>& languages, std::string& error);
// The text table as the game reads it in an edition (0 XS, 1 XL, 2 XXL): index → UTF-16 text.
std::vector<std::pair<int, std::u16string>> text_table(int edition);

// Developer view: the first scene assembled at a few scroll positions with its targets.
bool write_scene_preview(const std::filesystem::path& dir, const ArtTable& art, std::string& error);

}  // namespace makedata
