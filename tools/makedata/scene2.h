// SPDX-License-Identifier: GPL-3.0-or-later
// The second scene's buildings and props, shared by its targets and its layers. Everything
// is in screen pixels (the scene does not scroll).
#pragma once

#include <cairo.h>

namespace makedata {

// Props drawn in a target's own cell.
void draw_doghouse(cairo_t* cr, double x, double y, double damage);
void draw_window_frame(cairo_t* cr, double x, double y, double w, double h, int cracks);
void draw_casement(cairo_t* cr, double open, double crack);  // 70 × 80 cell, glass x 13..56, y 17..74
void draw_door(cairo_t* cr, double open);                     // 100 × 120 cell at (175, 227)
void draw_grave(cairo_t* cr, double open, double light);      // 240 × 150 cell at (303, 424)
void draw_ghost(cairo_t* cr, double phase, double dying);     // 80 × 100 cell

// The three layers, 800 × 600 each: 0 the yard and buildings, 1 hills and the clothesline,
// 2 the evening sky.
void paint_scene2_layer(cairo_t* cr, int layer);

}  // namespace makedata
