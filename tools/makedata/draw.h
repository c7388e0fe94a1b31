// SPDX-License-Identifier: GPL-3.0-or-later
// Drawing helpers of the house style: flat cartoon shapes with a dark outline, one soft
// gradient lit from the upper left and one highlight per shape.
#pragma once

#include <cairo.h>

#include <cstdint>

namespace makedata {

struct Col {
    double r, g, b;
};

constexpr Col hex(std::uint32_t v) {
    return {((v >> 16) & 0xFF) / 255.0, ((v >> 8) & 0xFF) / 255.0, (v & 0xFF) / 255.0};
}
Col mix(Col a, Col b, double t);
Col lighter(Col c, double amount);  // towards white
Col darker(Col c, double amount);   // towards black

// Palette of the art direction.
namespace pal {
inline constexpr Col outline = hex(0x2a1a12);
inline constexpr Col chicken_brown = hex(0xb5652b);
inline constexpr Col chicken_white = hex(0xfbf3e4);
inline constexpr Col comb_red = hex(0xe0301e);
inline constexpr Col beak_yellow = hex(0xf5b400);
inline constexpr Col leg_yellow = hex(0xf0a020);
inline constexpr Col eye_white = hex(0xffffff);
inline constexpr Col wood = hex(0x9a6232);
inline constexpr Col wood_dark = hex(0x6b3f1d);
inline constexpr Col metal = hex(0x8c9aa6);
inline constexpr Col metal_dark = hex(0x5a6570);
inline constexpr Col red_paint = hex(0xc8322a);
inline constexpr Col grass = hex(0x5da838);
inline constexpr Col grass_dark = hex(0x3d7f26);
inline constexpr Col leaf = hex(0x4f9a34);
inline constexpr Col pumpkin = hex(0xf08a1c);
inline constexpr Col stone = hex(0x9d9a92);
inline constexpr Col water = hex(0x3f8fd0);
inline constexpr Col sky_top = hex(0x6fb3ec);
inline constexpr Col sky_low = hex(0xfbe0a8);
inline constexpr Col roof = hex(0xa8432b);
inline constexpr Col wall = hex(0xf0dcb0);
}  // namespace pal

// Outline width in pixels for a drawing scale (about 2 px at full size, never below 1).
double outline_width(double scale);

void set_col(cairo_t* cr, Col c, double alpha = 1.0);

// Fills the current path with the shape style (gradient over the path's extents, dark outline)
// and clears the path.
void styled(cairo_t* cr, Col base, double line_width);
// The same without the outline.
void flat(cairo_t* cr, Col base);
// A soft highlight spot (upper left of a shape).
void highlight(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha = 0.45);

// Path builders (they add to the current path).
void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry);
void rrect_path(cairo_t* cr, double x, double y, double w, double h, double r);
void poly_path(cairo_t* cr, const double* xy, int points);

// Convenience: a styled ellipse / rounded rectangle with a highlight.
void blob(cairo_t* cr, double cx, double cy, double rx, double ry, Col c, double lw, bool shine = true);
void box(cairo_t* cr, double x, double y, double w, double h, double r, Col c, double lw, bool shine = true);
// A thick stroked line with outline (legs, sticks, handles).
void stick(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Col c, double lw);

// Deterministic pseudo-random numbers for art (same sequence on every machine).
struct Rng {
    std::uint32_t state;
    explicit Rng(std::uint32_t seed) : state(seed * 2654435761u + 12345u) {}
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    double uniform() { return (next() >> 8) / 16777216.0; }             // 0..1
    double range(double a, double b) { return a + (b - a) * uniform(); }
};

}  // namespace makedata
