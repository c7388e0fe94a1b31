// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/icons.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <cstdint>
#include <vector>

#include "tools/makedata/chicken.h"
#include "tools/makedata/draw.h"
#include "tools/makedata/image.h"

namespace makedata {

namespace {

// The icon on a square of side n (in the surface's units).
void draw_icon(cairo_t* cr, double n) {
    const double c = n / 2, r = n * 0.47;
    // The sky, lit from the upper left, with a dark rim.
    cairo_pattern_t* sky = cairo_pattern_create_radial(c - r * 0.4, c - r * 0.5, r * 0.1, c, c, r);
    cairo_pattern_add_color_stop_rgb(sky, 0, pal::sky_low.r, pal::sky_low.g, pal::sky_low.b);
    cairo_pattern_add_color_stop_rgb(sky, 1, pal::sky_top.r, pal::sky_top.g, pal::sky_top.b);
    cairo_arc(cr, c, c, r, 0, 6.283185307179586);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    cairo_set_source_rgb(cr, pal::outline.r, pal::outline.g, pal::outline.b);
    cairo_set_line_width(cr, n >= 48 ? n * 0.03 : 1.0);
    cairo_stroke(cr);
    // The head, looking at the viewer's left, a little below the middle.
    draw_chicken_head(cr, c + n * 0.03, c + n * 0.06, n / 72.0, false, Eyes::open, 0.2, -0.4);
    // The crosshair over it, where there is room for its lines.
    if (n >= 32) {
        const double w = n >= 128 ? n * 0.02 : 1.5;
        cairo_set_source_rgba(cr, 0.85, 0.1, 0.1, 0.9);
        cairo_set_line_width(cr, w);
        cairo_arc(cr, c, c, r * 0.55, 0, 6.283185307179586);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k) {
            const double dx = k == 0 ? 1 : k == 1 ? -1 : 0, dy = k == 2 ? 1 : k == 3 ? -1 : 0;
            cairo_move_to(cr, c + dx * r * 0.35, c + dy * r * 0.35);
            cairo_line_to(cr, c + dx * r * 0.8, c + dy * r * 0.8);
        }
        cairo_stroke(cr);
    }
}

void put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

// A 32-bit BMP with an alpha channel (BITMAPV4HEADER, bit fields), rows bottom up, from cairo's
// premultiplied pixels.
std::vector<std::uint8_t> bmp_with_alpha(cairo_surface_t* s) {
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* px = cairo_image_surface_get_data(s);
    const std::uint32_t pixels = static_cast<std::uint32_t>(w * h * 4);
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    put32(b, 14 + 108 + pixels);
    put32(b, 0);
    put32(b, 14 + 108);
    put32(b, 108);  // BITMAPV4HEADER
    put32(b, static_cast<std::uint32_t>(w));
    put32(b, static_cast<std::uint32_t>(h));
    put16(b, 1);
    put16(b, 32);
    put32(b, 3);  // BI_BITFIELDS
    put32(b, pixels);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0x00FF0000);  // red
    put32(b, 0x0000FF00);  // green
    put32(b, 0x000000FF);  // blue
    put32(b, 0xFF000000);  // alpha
    put32(b, 0x73524742);  // "sRGB"
    for (int i = 0; i < 48; ++i) b.push_back(0);  // end points and gamma, unused with sRGB
    for (int y = h - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(px + y * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            auto straight = [a](std::uint32_t v) { return a ? (v * 255 + a / 2) / a : 0; };
            const std::uint32_t r = straight((p >> 16) & 255), g = straight((p >> 8) & 255), bl = straight(p & 255);
            put32(b, (a << 24) | (r << 16) | (g << 8) | bl);
        }
    }
    return b;
}

}  // namespace

bool write_icons(const std::filesystem::path& dir, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (int n : icon_sizes) {
        cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, n, n);
        cairo_t* cr = cairo_create(s);
        draw_icon(cr, n);
        cairo_destroy(cr);
        const std::filesystem::path png = dir / ("grumboldx-" + std::to_string(n) + ".png");
        const bool ok = cairo_surface_write_to_png(s, png.c_str()) == CAIRO_STATUS_SUCCESS;
        if (ok && n == 64 && !write_file(dir / "grumboldx.bmp", bmp_with_alpha(s), error)) {
            cairo_surface_destroy(s);
            return false;
        }
        cairo_surface_destroy(s);
        if (!ok) {
            error = "cannot write " + png.string();
            return false;
        }
    }
    const std::filesystem::path svg = dir / "grumboldx.svg";
    cairo_surface_t* s = cairo_svg_surface_create(svg.c_str(), 256, 256);
    cairo_t* cr = cairo_create(s);
    draw_icon(cr, 256);
    cairo_destroy(cr);
    cairo_surface_finish(s);
    const bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    if (!ok) error = "cannot write " + svg.string();
    return ok;
}

}  // namespace makedata
