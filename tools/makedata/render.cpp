// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/render.h"

#include <algorithm>
#include <cmath>

#include "tools/makedata/gfx_names.h"

namespace makedata {

cairo_surface_t* render_surface(const Art& art, int frames) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, art.w, art.h * frames);
    cairo_t* cr = cairo_create(s);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
    for (int i = 0; i < frames; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 0, double(i) * art.h);
        cairo_rectangle(cr, 0, 0, art.w, art.h);
        cairo_clip(cr);
        art.draw(cr, FrameInfo{i, frames, frames > 1 ? double(i) / (frames - 1) : 0.0});
        cairo_restore(cr);
    }
    cairo_destroy(cr);
    cairo_surface_flush(s);
    return s;
}

Image render_art(const Art& art, int frames) {
    cairo_surface_t* s = render_surface(art, frames);
    Image image = image_from_surface(s);
    cairo_surface_destroy(s);
    return image;
}

bool write_contact_sheet(const ArtTable& table, const std::filesystem::path& file, const std::string& only,
                         std::string& error) {
    constexpr int sheet_w = 2000, pad = 6, label_h = 16;
    struct Item {
        std::string name;
        const Art* art;
        int frames;
    };
    std::vector<Item> items;
    for (const auto& [name, frames] : animation_frames())
        if (only.empty() || name.find(only) != std::string::npos)
            if (auto it = table.find(name); it != table.end() && it->second.w * it->second.h < 200000)
            items.push_back({name, &it->second, frames});
    // Layout: each animation is a block of frames wrapped to the sheet width.
    struct Placed {
        const Item* item;
        int x, y, per_row;
    };
    std::vector<Placed> placed;
    int y = pad;
    for (const Item& it : items) {
        const int cw = it.art->w + 2;
        const int per_row = std::max(1, std::min(it.frames, (sheet_w - 2 * pad) / cw));
        const int rows = (it.frames + per_row - 1) / per_row;
        placed.push_back({&it, pad, y, per_row});
        y += label_h + rows * (it.art->h + 2) + pad;
    }
    cairo_surface_t* sheet = cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheet_w, y);
    cairo_t* cr = cairo_create(sheet);
    cairo_set_source_rgb(cr, 0.55, 0.72, 0.62);
    cairo_paint(cr);
    for (const Placed& p : placed) {
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_select_font_face(cr, "sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 12);
        cairo_move_to(cr, p.x, p.y + 12);
        const std::string label = p.item->name + "  (" + std::to_string(p.item->frames) + ")";
        cairo_show_text(cr, label.c_str());
        cairo_surface_t* strip = surface_from_image(render_art(*p.item->art, p.item->frames));
        for (int i = 0; i < p.item->frames; ++i) {
            const int fx = p.x + (i % p.per_row) * (p.item->art->w + 2);
            const int fy = p.y + label_h + (i / p.per_row) * (p.item->art->h + 2);
            cairo_rectangle(cr, fx, fy, p.item->art->w, p.item->art->h);
            cairo_set_source_rgb(cr, 0.62, 0.80, 0.70);
            cairo_fill(cr);
            cairo_set_source_surface(cr, strip, fx, fy - double(i) * p.item->art->h);
            cairo_rectangle(cr, fx, fy, p.item->art->w, p.item->art->h);
            cairo_fill(cr);
        }
        cairo_surface_destroy(strip);
    }
    cairo_destroy(cr);
    const cairo_status_t st = cairo_surface_write_to_png(sheet, file.string().c_str());
    cairo_surface_destroy(sheet);
    if (st != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}

}  // namespace makedata
