// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/draw.h"

#include <algorithm>
#include <cmath>

namespace makedata {

Col mix(Col a, Col b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
Col lighter(Col c, double amount) { return mix(c, {1, 1, 1}, amount); }
Col darker(Col c, double amount) { return mix(c, {0, 0, 0}, amount); }

double outline_width(double scale) { return std::max(1.0, 2.0 * scale); }

void set_col(cairo_t* cr, Col c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

namespace {
cairo_pattern_t* shape_gradient(cairo_t* cr, Col base) {
    double x0, y0, x1, y1;
    cairo_path_extents(cr, &x0, &y0, &x1, &y1);
    cairo_pattern_t* g = cairo_pattern_create_linear(x0, y0, x1, y1);
    const Col hi = lighter(base, 0.22), lo = darker(base, 0.22);
    cairo_pattern_add_color_stop_rgb(g, 0.0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(g, 0.55, base.r, base.g, base.b);
    cairo_pattern_add_color_stop_rgb(g, 1.0, lo.r, lo.g, lo.b);
    return g;
}
}  // namespace

void styled(cairo_t* cr, Col base, double line_width) {
    cairo_pattern_t* g = shape_gradient(cr, base);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    set_col(cr, mix(darker(base, 0.7), pal::outline, 0.6));
    cairo_set_line_width(cr, line_width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void flat(cairo_t* cr, Col base) {
    cairo_pattern_t* g = shape_gradient(cr, base);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
}

void highlight(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha) {
    if (rx < 1.5 || ry < 1.5) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(g, 0, 1, 1, 0.95, alpha);
    cairo_pattern_add_color_stop_rgba(g, 1, 1, 1, 0.95, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

void ellipse_path(cairo_t* cr, double cx, double cy, double rx, double ry) {
    if (rx <= 0 || ry <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_close_path(cr);
    cairo_restore(cr);
}

void rrect_path(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void poly_path(cairo_t* cr, const double* xy, int points) {
    cairo_move_to(cr, xy[0], xy[1]);
    for (int i = 1; i < points; ++i) cairo_line_to(cr, xy[2 * i], xy[2 * i + 1]);
    cairo_close_path(cr);
}

void blob(cairo_t* cr, double cx, double cy, double rx, double ry, Col c, double lw, bool shine) {
    ellipse_path(cr, cx, cy, rx, ry);
    styled(cr, c, lw);
    if (shine) highlight(cr, cx - rx * 0.35, cy - ry * 0.4, rx * 0.35, ry * 0.28);
}

void box(cairo_t* cr, double x, double y, double w, double h, double r, Col c, double lw, bool shine) {
    rrect_path(cr, x, y, w, h, r);
    styled(cr, c, lw);
    if (shine) highlight(cr, x + w * 0.3, y + h * 0.25, w * 0.22, h * 0.15, 0.35);
}

void stick(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Col c, double lw) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    set_col(cr, mix(darker(c, 0.7), pal::outline, 0.6));
    cairo_set_line_width(cr, width + 2 * lw);
    cairo_stroke(cr);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    set_col(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

}  // namespace makedata
