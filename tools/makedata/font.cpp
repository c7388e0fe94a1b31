// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap font: Comic Neue Bold rendered with a dark outline, glyphs packed side by side in
// rows that are stored from the bottom of the picture upwards, and its definition file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <vector>

#include "game/gfx/catalogue_table.h"
#include "tools/makedata/image.h"
#include "tools/makedata/outputs.h"
#include "tools/makedata/typeface.h"

namespace makedata {

namespace {

constexpr int pixel_size = 26;
constexpr int outline = 2;
constexpr int picture_width = 1024;

struct Glyph {
    std::uint32_t code;
    int width;  // cell width in the picture
    std::vector<float> fill, edge;  // coverage of the letter and of its outline, width × row height
};

// Every character the texts and typed names may use: Latin-1 and the rest of code page 1252.
std::vector<std::uint32_t> wanted_codes() {
    std::vector<std::uint32_t> codes;
    for (std::uint32_t c = 0x21; c <= 0x7E; ++c) codes.push_back(c);
    for (std::uint32_t c = 0xA1; c <= 0xFF; ++c)
        if (c != 0xAD) codes.push_back(c);
    for (std::uint32_t c : {0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
                            0x0152, 0x017D, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122,
                            0x0161, 0x203A, 0x0153, 0x017E, 0x0178})
        codes.push_back(c);
    return codes;
}

}  // namespace

bool build_font(FontPicture& font, std::string& error) {
    FT_Face face = typeface_ft();
    if (FT_Set_Pixel_Sizes(face, 0, pixel_size) != 0) {
        error = "cannot size the typeface";
        return false;
    }
    const int ascender = int(std::ceil(face->size->metrics.ascender / 64.0));
    const int descender = int(std::floor(face->size->metrics.descender / 64.0));
    const int row_height = ascender - descender + 2 * outline;
    const int baseline = outline + ascender;

    std::vector<Glyph> glyphs;
    for (std::uint32_t code : wanted_codes()) {
        if (FT_Get_Char_Index(face, code) == 0) continue;
        if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bm = slot->bitmap;
        // ink-tight cells with one column of outline at each side (the game adds one pixel
        // between glyphs), the full outline above and below
        const int width = int(bm.width) + 2;
        Glyph g{code, std::max(width, 3), {}, {}};
        g.fill.assign(std::size_t(g.width) * row_height, 0.f);
        g.edge.assign(std::size_t(g.width) * row_height, 0.f);
        for (unsigned r = 0; r < bm.rows; ++r)
            for (unsigned c = 0; c < bm.width; ++c) {
                const int x = 1 + int(c);
                const int y = baseline - slot->bitmap_top + int(r);
                if (x < 0 || y < 0 || x >= g.width || y >= row_height) continue;
                g.fill[std::size_t(y) * g.width + x] = bm.buffer[r * bm.pitch + c] / 255.f;
            }
        // outline: the coverage spread over a disc of the outline radius
        for (int y = 0; y < row_height; ++y)
            for (int x = 0; x < g.width; ++x) {
                float m = 0;
                for (int dy = -outline; dy <= outline; ++dy)
                    for (int dx = -outline; dx <= outline; ++dx) {
                        if (dx * dx + dy * dy > outline * outline + 1) continue;
                        const int sx = x + dx, sy = y + dy;
                        if (sx < 0 || sy < 0 || sx >= g.width || sy >= row_height) continue;
                        m = std::max(m, g.fill[std::size_t(sy) * g.width + sx]);
                    }
                g.edge[std::size_t(y) * g.width + x] = m;
            }
        glyphs.push_back(std::move(g));
    }
    if (glyphs.size() > 1024) {
        error = "too many glyphs for the font";
        return false;
    }

    // pack into rows
    std::vector<int> row_of(glyphs.size()), x_of(glyphs.size());
    int row = 0, x = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        if (x + glyphs[i].width > picture_width) {
            ++row;
            x = 0;
        }
        row_of[i] = row;
        x_of[i] = x;
        x += glyphs[i].width;
    }
    const int rows = row + 1;
    const int height = rows * row_height;
    Image image(picture_width, height);
    const Rgb8 edge_colour{42, 26, 18};
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        const Glyph& gl = glyphs[i];
        const int top = height - (row_of[i] + 1) * row_height;  // rows from the bottom upwards
        for (int y = 0; y < row_height; ++y)
            for (int gx = 0; gx < gl.width; ++gx) {
                const float f = gl.fill[std::size_t(y) * gl.width + gx];
                const float e = gl.edge[std::size_t(y) * gl.width + gx];
                if (e < 0.5f && f < 0.5f) continue;
                // warm white at the top of the letters to golden yellow at the baseline
                const double t = std::clamp(double(y - outline) / (baseline - outline), 0.0, 1.0);
                const double fr = 255, fg = 250 - 40 * t, fb = 225 - 150 * t;
                const Rgb8 c{std::uint8_t(edge_colour.r + (fr - edge_colour.r) * f),
                             std::uint8_t(edge_colour.g + (fg - edge_colour.g) * f),
                             std::uint8_t(edge_colour.b + (fb - edge_colour.b) * f)};
                const int px = x_of[i] + gx, py = top + y;
                image.at(px, py) = c;
                image.opaque[std::size_t(py) * image.width + px] = 1;
            }
    }
    font.image = std::move(image);
    font.row_height = row_height;
    font.glyphs.clear();
    for (std::size_t i = 0; i < glyphs.size(); ++i)
        font.glyphs.push_back({glyphs[i].code, x_of[i], row_of[i], glyphs[i].width});
    return true;
}

bool write_font(const std::filesystem::path& root, std::string& error) {
    FontPicture font;
    if (!build_font(font, error)) return false;
    if (!write_bmp24(archive_path(root, gfx::font_picture, ".bmp"), font.image, error)) return false;
    const int height = font.image.height, row_height = font.row_height;
    const auto& glyphs = font.glyphs;

    const auto def_path = archive_path(root, gfx::font_definition, "");
    std::error_code ec;
    std::filesystem::create_directories(def_path.parent_path(), ec);
    std::ofstream def(def_path, std::ios::binary | std::ios::trunc);
    if (!def) {
        error = "cannot create " + def_path.string();
        return false;
    }
    def << "0 1252\n0 " << height << "\n0 " << row_height << "\n" << glyphs.size() << "\n0 0\n";
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "%x %x %d %d %d 0\n", unsigned(glyphs[i].code & 0xFF),
                      unsigned(glyphs[i].code >> 8), glyphs[i].x, glyphs[i].row, glyphs[i].x + glyphs[i].width - 1);
        def << line;
    }
    if (!def) {
        error = "cannot write " + def_path.string();
        return false;
    }
    return true;
}

}  // namespace makedata
