// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene: five layers that scroll at different speeds, painted to fit the targets.
// Layer 1 ("olul") is the reference: positions of targets at depth 1 are its picture columns.
#pragma once

#include <cairo.h>

namespace makedata {

// Layer widths, front to back: "ol", "olul", "ul", "bg", "sky" (all 600 rows).
inline constexpr int scene1_widths[5] = {3200, 3000, 2800, 2600, 2000};

// Paints layer i (0 front .. 4 sky) onto a transparent surface of its width × 600.
void paint_scene1_layer(cairo_t* cr, int layer);

// Where the targets stand in the scene (layer coordinates of their depth), for the preview;
// the positions the game fixes and, for the rest, where the art expects them.
struct Placement {
    const char* name;  // "data\gfx\..."
    int frame;
    int x, y;
    int depth;  // layer whose coordinates x uses
};
extern const Placement scene1_placements[];
extern const int scene1_placement_count;

}  // namespace makedata
