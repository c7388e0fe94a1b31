// SPDX-License-Identifier: GPL-3.0-or-later
// The registry of every drawn picture: its cell size, file format and a drawing function
// that paints one frame into a cell whose top left corner is the origin.
#pragma once

#include <cairo.h>

#include <functional>
#include <map>
#include <string>

#include "tools/makedata/chicken.h"
#include "tools/makedata/draw.h"

namespace makedata {

enum class Format {
    bmp24,  // 24-bit BMP with the magenta key
    bmp8,   // 8-bit palette BMP (packed scenery only)
    jpeg,   // JPEG without mask (opaque pictures)
};

struct FrameInfo {
    int i;     // frame number
    int n;     // frame count
    double t;  // i / (n - 1), 0 for a single frame
};

using DrawFn = std::function<void(cairo_t*, const FrameInfo&)>;

struct Art {
    int w = 0, h = 0;  // cell size
    Format format = Format::bmp24;
    DrawFn draw;
};

// Archive base name ("data\gfx\chickenb") → art.
using ArtTable = std::map<std::string, Art>;

void add_chicken_art(ArtTable& table);
void add_ui_art(ArtTable& table);
void add_scene1_art(ArtTable& table);
void add_scene1_characters(ArtTable& table);
void add_scene2_art(ArtTable& table);

ArtTable all_art();

// Text drawn with the game's typeface (centred on x, baseline at y). size in pixels.
void draw_label(cairo_t* cr, const char* utf8, double x, double y, double size, Col fill, double outline,
                bool centre = true);
// The largest size up to size at which draw_label's text, outline included, is at most width wide.
double label_size_to_fit(cairo_t* cr, const char* utf8, double size, double width, double outline);

// Shared helpers for the art files.
inline double ease(double t) { return t * t * (3 - 2 * t); }
inline double clamp01(double t) { return t < 0 ? 0 : t > 1 ? 1 : t; }
// Piecewise progress: 0 before a, 1 after b.
inline double span(double t, double a, double b) { return clamp01((t - a) / (b - a)); }

}  // namespace makedata
