// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/scene1.h"

#include <cmath>

#include "tools/makedata/art.h"

namespace makedata {

const Placement scene1_placements[] = {
    {"data\\gfx\\lake", 0, 300, 406, 1},
    {"data\\gfx\\lake_play_up", 4, 300, 406, 1},
    {"data\\gfx\\beehive_handup", 8, 150, 288, 1},
    {"data\\gfx\\tupocycle", 0, 105, 179, 2},
    {"data\\gfx\\car_up_action1", 11, 948, 153, 1},
    {"data\\gfx\\car_frontshoot1", 0, 846, 184, 1},
    {"data\\gfx\\car_door", 0, 985, 184, 1},
    {"data\\gfx\\car_bumper", 0, 846, 254, 1},
    {"data\\gfx\\barrel_up", 8, 1064, 192, 1},
    {"data\\gfx\\oilbarrel", 0, 1092, 262, 1},
    {"data\\gfx\\xbox1", 0, 1167, 260, 1},
    {"data\\gfx\\stove_open_action", 0, 1188, 219, 1},
    {"data\\gfx\\flower_blink", 0, 1209, 478, 0},
    {"data\\gfx\\cornfield_blink", 0, 1400, 275, 2},
    {"data\\gfx\\flag_cycle", 2, 1560, 275, 2},
    {"data\\gfx\\snailzero", 0, 1408, 447, 1},
    {"data\\gfx\\applea", 0, 1623, 473, 1},
    {"data\\gfx\\pan_looktous", 0, 1907, 263, 1},
    {"data\\gfx\\tree_upset", 0, 2153, 214, 1},
    {"data\\gfx\\key", 0, 2100, 111, 1},
    {"data\\gfx\\hedgehoges_t", 0, 2150, 440, 1},
    {"data\\gfx\\hedgehoges_l", 0, 2179, 456, 1},
    {"data\\gfx\\hedgehoges_r", 0, 2265, 459, 1},
    {"data\\gfx\\cardturns", 0, 2175, 548, 1},
    {"data\\gfx\\gate", 0, 2320, 241, 1},
    {"data\\gfx\\sign", 0, 2482, 216, 1},
    {"data\\gfx\\pumpkin1", 0, 2698, 189, 1},
    {"data\\gfx\\toilet_bg", 0, 2830, 175, 1},
    {"data\\gfx\\toilet_acting", 0, 2830, 175, 1},
    {"data\\gfx\\postbox", 0, 3008, 408, 0},
    {"data\\gfx\\kite_broken", 0, 1500, 60, 3},
    {"data\\gfx\\kite_qz", 0, 1520, 89, 3},
    {"data\\gfx\\chickenrunn", 3, 1070, 239, 1},
    {"data\\gfx\\chickenruns", 2, 1600, 309, 1},
    {"data\\gfx\\chickenruns", 5, 2400, 230, 1},
    {"data\\gfx\\chickenb", 2, 700, 60, 1},
    {"data\\gfx\\chickenn", 6, 1300, 120, 1},
    {"data\\gfx\\chickenm", 9, 1700, 80, 2},
    {"data\\gfx\\chickens", 4, 2100, 60, 3},
};
const int scene1_placement_count = int(sizeof(scene1_placements) / sizeof(scene1_placements[0]));

namespace {

double hash_noise(double x, int seed) {
    return std::sin(x * 0.0131 + seed) * 0.5 + std::sin(x * 0.0371 + seed * 2.3) * 0.3 +
           std::sin(x * 0.093 + seed * 4.1) * 0.2;
}

void tree(cairo_t* cr, double x, double ground, double size, Col leaf) {
    box(cr, x - size * 0.1, ground - size * 0.9, size * 0.2, size * 0.9, 3, pal::wood_dark, 2, false);
    blob(cr, x, ground - size * 1.15, size * 0.55, size * 0.5, leaf, 2);
    blob(cr, x - size * 0.3, ground - size * 0.95, size * 0.35, size * 0.3, darker(leaf, 0.08), 2, false);
    blob(cr, x + size * 0.32, ground - size * 1.0, size * 0.36, size * 0.32, leaf, 2, false);
    highlight(cr, x - size * 0.2, ground - size * 1.35, size * 0.25, size * 0.15);
}

// A soft shadow on the ground, cast to the lower right (the light comes from the upper left).
void ground_shadow(cairo_t* cr, double cx, double cy, double rx, double ry, double alpha = 0.35) {
    cairo_save(cr);
    cairo_translate(cr, cx + rx * 0.15, cy);
    cairo_scale(cr, rx, ry);
    cairo_pattern_t* g = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(g, 0, 0.12, 0.2, 0.05, alpha);
    cairo_pattern_add_color_stop_rgba(g, 0.7, 0.12, 0.2, 0.05, alpha * 0.7);
    cairo_pattern_add_color_stop_rgba(g, 1, 0.12, 0.2, 0.05, 0);
    cairo_set_source(cr, g);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

// A big tree with a tapered trunk and roots; crown centre about size above the ground.
void big_tree(cairo_t* cr, double x, double ground, double size) {
    const double w = size * 0.22;
    cairo_move_to(cr, x - w * 1.6, ground);
    cairo_curve_to(cr, x - w * 0.8, ground - size * 0.1, x - w * 0.6, ground - size * 0.3, x - w * 0.5, ground - size);
    cairo_line_to(cr, x + w * 0.5, ground - size);
    cairo_curve_to(cr, x + w * 0.6, ground - size * 0.3, x + w * 0.8, ground - size * 0.1, x + w * 1.7, ground);
    cairo_close_path(cr);
    styled(cr, hex(0x8a5a32), 2.5);
    set_col(cr, hex(0x6b4426));
    cairo_set_line_width(cr, 2);
    for (int k = -1; k <= 1; ++k) {
        cairo_move_to(cr, x + k * w * 0.3, ground - size * 0.9);
        cairo_curve_to(cr, x + k * w * 0.4 + 4, ground - size * 0.6, x + k * w * 0.3 - 4, ground - size * 0.3,
                       x + k * w * 0.5, ground - 6);
    }
    cairo_stroke(cr);
    const double crown_y = ground - size * 1.15;
    Rng rng{std::uint32_t(x)};
    for (int k = 0; k < 7; ++k) {
        const double a = k * 2 * M_PI / 7, r = size * 0.38;
        blob(cr, x + std::cos(a) * r * 1.1, crown_y + std::sin(a) * r * 0.6, size * 0.36, size * 0.3,
             k % 2 ? pal::leaf : darker(pal::leaf, 0.08), 2, false);
    }
    blob(cr, x - size * 0.1, crown_y - size * 0.12, size * 0.45, size * 0.34, lighter(pal::leaf, 0.06), 2, true);
    for (int k = 0; k < 8; ++k)
        blob(cr, x + rng.range(-size * 0.5, size * 0.5), crown_y + rng.range(-size * 0.3, size * 0.3), 3, 3,
             hex(0xe8402a), 1, false);
}

void grass_band(cairo_t* cr, double width, double top_fn_seed, double base, double amp, Col c, double bottom) {
    cairo_move_to(cr, 0, bottom);
    for (double x = 0; x <= width; x += 10) cairo_line_to(cr, x, base + amp * hash_noise(x, int(top_fn_seed)));
    cairo_line_to(cr, width, bottom);
    cairo_close_path(cr);
    flat(cr, c);
}

void tufts(cairo_t* cr, double width, double y0, double y1, int count, int seed, Col c) {
    Rng rng{std::uint32_t(seed)};
    for (int k = 0; k < count; ++k) {
        const double x = rng.range(0, width), y = rng.range(y0, y1), h = rng.range(6, 14);
        cairo_move_to(cr, x - 4, y);
        cairo_line_to(cr, x - 2, y - h);
        cairo_line_to(cr, x, y - 2);
        cairo_line_to(cr, x + 2, y - h * 1.1);
        cairo_line_to(cr, x + 4, y);
        cairo_close_path(cr);
        set_col(cr, c);
        cairo_fill(cr);
    }
}

// ---------------------------------------------------------------- sky

void sky(cairo_t* cr) {
    const int w = scene1_widths[4];
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 600);
    cairo_pattern_add_color_stop_rgb(g, 0, 0.36, 0.62, 0.90);
    cairo_pattern_add_color_stop_rgb(g, 0.45, 0.62, 0.80, 0.94);
    cairo_pattern_add_color_stop_rgb(g, 0.75, 0.98, 0.88, 0.68);
    cairo_pattern_add_color_stop_rgb(g, 1, 0.99, 0.80, 0.55);
    cairo_set_source(cr, g);
    cairo_rectangle(cr, 0, 0, w, 600);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    // the low afternoon sun, upper left
    cairo_pattern_t* sun = cairo_pattern_create_radial(260, 120, 20, 260, 120, 260);
    cairo_pattern_add_color_stop_rgba(sun, 0, 1, 0.98, 0.85, 0.9);
    cairo_pattern_add_color_stop_rgba(sun, 1, 1, 0.95, 0.8, 0);
    cairo_set_source(cr, sun);
    cairo_paint(cr);
    cairo_pattern_destroy(sun);
    blob(cr, 260, 120, 46, 46, hex(0xfff6cc), 0, false);
    // soft clouds, lit from the upper left
    Rng rng(17);
    for (int k = 0; k < 16; ++k) {
        const double cx = rng.range(0, w), cy = rng.range(40, 260), s = rng.range(30, 70);
        for (int p = 0; p < 5; ++p) {
            const double px = cx + (p - 2) * s * 0.6, py = cy - (p % 2) * s * 0.25;
            ellipse_path(cr, px, py, s * 0.55, s * 0.38);
        }
        cairo_pattern_t* cg = cairo_pattern_create_linear(cx - s, cy - s * 0.5, cx + s, cy + s * 0.5);
        cairo_pattern_add_color_stop_rgba(cg, 0, 1, 1, 1, 0.95);
        cairo_pattern_add_color_stop_rgba(cg, 1, 0.93, 0.89, 0.90, 0.85);
        cairo_set_source(cr, cg);
        cairo_fill(cr);
        cairo_pattern_destroy(cg);
    }
}

// ---------------------------------------------------------------- far hills

void far_hills(cairo_t* cr) {
    const int w = scene1_widths[3];
    cairo_move_to(cr, 0, 600);
    for (double x = 0; x <= w; x += 8) cairo_line_to(cr, x, 228 + 32 * hash_noise(x * 0.6, 3));
    cairo_line_to(cr, w, 600);
    cairo_close_path(cr);
    flat(cr, hex(0x86b0a0));
    cairo_move_to(cr, 0, 600);
    for (double x = 0; x <= w; x += 8) cairo_line_to(cr, x, 262 + 22 * hash_noise(x, 9));
    cairo_line_to(cr, w, 600);
    cairo_close_path(cr);
    flat(cr, hex(0x7aa884));
    Rng rng(23);
    for (int k = 0; k < 40; ++k) {
        const double x = rng.range(0, w), y = 262 + 22 * hash_noise(x, 9) + rng.range(4, 20);
        blob(cr, x, y - 8, rng.range(8, 14), rng.range(8, 12), hex(0x5f9070), 0, false);
    }
    // a windmill and a church tower on the far hills
    const double mx = 820, my = 240 + 22 * hash_noise(820, 9);
    box(cr, mx - 10, my - 60, 20, 62, 3, hex(0xd8cdb8), 1.5, false);
    for (int k = 0; k < 4; ++k) {
        const double a = k * M_PI / 2 + 0.3;
        stick(cr, mx, my - 58, mx + 40 * std::cos(a), my - 58 + 40 * std::sin(a), 5, hex(0xf4ecd8), 1);
    }
    const double tx = 1900, ty = 262 + 22 * hash_noise(1900, 9);
    box(cr, tx - 10, ty - 70, 20, 72, 2, hex(0xe0d2c0), 1.5, false);
    const double spire[] = {tx - 12, ty - 70, tx, ty - 100, tx + 12, ty - 70};
    poly_path(cr, spire, 3);
    styled(cr, hex(0xa84a30), 1.5);
}

// ---------------------------------------------------------------- fields (layer 2)

void fields(cairo_t* cr) {
    const int w = scene1_widths[2];
    // rolling farmland from about y 240 down
    cairo_move_to(cr, 0, 600);
    for (double x = 0; x <= w; x += 8) cairo_line_to(cr, x, 250 + 14 * hash_noise(x, 5) - (x < 260 ? 6 : 0));
    cairo_line_to(cr, w, 600);
    cairo_close_path(cr);
    flat(cr, hex(0x8cc052));
    // striped fields
    Rng rng(31);
    for (double x0 = 0; x0 < w; x0 += 260) {
        const Col c = rng.uniform() < 0.5 ? hex(0xa9c95a) : hex(0xc9b65a);
        for (int s = 0; s < 8; ++s) {
            const double y = 286 + s * 8;
            cairo_move_to(cr, x0 + 10, y);
            cairo_line_to(cr, x0 + 250, y + 4);
        }
        set_col(cr, c, 0.7);
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
    }
    // hedgerows between fields
    for (double x = 80; x < w; x += 260) {
        if (x > 1180 && x < 1700) continue;  // not across the cornfield
        for (int k = 0; k < 6; ++k) blob(cr, x + k * 14, 280 - (k % 2) * 2, 9, 7, k % 2 ? hex(0x4f8a38) : hex(0x5a9a40), 1.2, false);
    }
    // the cornfield (x 1250..1649, corn tops at y 300)
    cairo_rectangle(cr, 1230, 300, 440, 60);
    flat(cr, hex(0xb8a040));
    for (double x = 1236; x < 1666; x += 9) {
        stick(cr, x, 340, x + 1.5, 296 + 4 * std::sin(x), 3, hex(0x8fa03a), 0.8);
        blob(cr, x + 1.5, 300 + 4 * std::sin(x), 2.5, 6, hex(0xf0c840), 0.8, false);
    }
    // the sheep hill on the far left (tupo rides at x 105..195, feet near y 251)
    blob(cr, 150, 290, 150, 42, hex(0x9ccc5a), 0, false);
    tufts(cr, w, 262, 600, 500, 41, hex(0x6fa040));
    for (int k = 0; k < 10; ++k) {
        const double x = 300 + k * 250 + 60 * std::sin(k * 1.7);
        if (x > 1200 && x < 1700) continue;
        tree(cr, x, 262 + 14 * hash_noise(x, 5), 40, hex(0x5a9a3a));
    }
}

// ---------------------------------------------------------------- main ground (layer 1)

void hedge(cairo_t* cr, double x0, double x1, double top) {
    for (double x = x0; x < x1; x += 18) blob(cr, x + 9, top + 12 + 3 * std::sin(x), 14, 13, pal::leaf, 1.5, false);
    rrect_path(cr, x0, top + 10, x1 - x0, 26, 6);
    flat(cr, darker(pal::leaf, 0.1));
}

void fence(cairo_t* cr, double x0, double x1, double top, double bottom) {
    for (double x = x0; x < x1; x += 26) box(cr, x, top, 12, bottom - top, 3, hex(0xd2ad78), 1.5, false);
    stick(cr, x0, top + 16, x1, top + 16, 6, hex(0xc09a62), 1.2);
    stick(cr, x0, top + 56, x1, top + 56, 6, hex(0xc09a62), 1.2);
}

void metal_part(cairo_t* cr, double x0, double x1, double y0, double y1, Col c) {
    cairo_rectangle(cr, x0, y0, x1 - x0 + 1, y1 - y0 + 1);
    flat(cr, c);
}

void the_car(cairo_t* cr) {
    const Col paint = hex(0x4a8ad0);
    const Col dark = darker(paint, 0.25);
    // wheels behind the body
    blob(cr, 874, 284, 19, 19, hex(0x2a2a2a), 2, false);
    blob(cr, 874, 284, 8, 8, pal::metal, 1.5, false);
    blob(cr, 1048, 290, 19, 19, hex(0x2a2a2a), 2, false);
    blob(cr, 1048, 290, 8, 8, pal::metal, 1.5, false);
    // body: hood and sides (the metal the shots ricochet from)
    cairo_move_to(cr, 851, 242);
    cairo_line_to(cr, 851, 190);
    cairo_curve_to(cr, 851, 186, 880, 186, 903, 189);
    cairo_line_to(cr, 960, 192);
    cairo_line_to(cr, 1004, 196);
    cairo_line_to(cr, 1017, 205);
    cairo_line_to(cr, 1050, 216);
    cairo_line_to(cr, 1050, 242);
    cairo_close_path(cr);
    styled(cr, paint, 2);
    // cab: roof, the rear and the windscreen pillar
    cairo_move_to(cr, 919, 190);
    cairo_line_to(cr, 942, 156);
    cairo_line_to(cr, 968, 152);
    cairo_line_to(cr, 1004, 153);
    cairo_line_to(cr, 1017, 159);
    cairo_line_to(cr, 1050, 215);
    cairo_line_to(cr, 1005, 196);
    cairo_line_to(cr, 966, 193);
    cairo_close_path(cr);
    styled(cr, paint, 2);
    // windscreen glass (not metal)
    cairo_move_to(cr, 923, 189);
    cairo_line_to(cr, 944, 159);
    cairo_line_to(cr, 973, 158);
    cairo_line_to(cr, 973, 190);
    cairo_close_path(cr);
    styled(cr, hex(0xbfe0f4), 1.5);
    highlight(cr, 950, 168, 10, 6, 0.7);
    // rear side window
    rrect_path(cr, 980, 162, 30, 24, 4);
    set_col(cr, hex(0xbfe0f4));
    cairo_fill(cr);
    // sill, lower body and fenders
    box(cr, 864, 243, 213, 12, 3, dark, 1.5, false);
    box(cr, 918, 255, 159, 10, 2, dark, 1.5, false);
    box(cr, 963, 265, 114, 14, 3, dark, 1.5, false);
    box(cr, 887, 255, 31, 12, 3, dark, 1.5, false);
    highlight(cr, 900, 198, 40, 6, 0.5);
    // door outline and handle where the door part sits
    rrect_path(cr, 989, 188, 56, 54, 4);
    set_col(cr, darker(paint, 0.45));
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
}

void ground_layer(cairo_t* cr) {
    const int w = scene1_widths[1];
    // main meadow: its top edge dips where the field runners pass behind hedges and fences
    auto top = [](double x) {
        if (x < 300) return 330.0;
        if (x < 720) return 340.0;
        if (x < 1340) return 298.0;
        if (x < 1540) return 342.0;
        if (x < 1890) return 410.0;
        if (x < 2010) return 334.0;
        return 332.0;
    };
    cairo_move_to(cr, 0, 600);
    for (double x = 0; x <= w; x += 5) cairo_line_to(cr, x, top(x) + 3 * hash_noise(x, 2));
    cairo_line_to(cr, w, 600);
    cairo_close_path(cr);
    cairo_pattern_t* gg = cairo_pattern_create_linear(0, 290, 0, 600);
    cairo_pattern_add_color_stop_rgb(gg, 0, 0.50, 0.76, 0.30);
    cairo_pattern_add_color_stop_rgb(gg, 1, 0.33, 0.58, 0.20);
    cairo_set_source(cr, gg);
    cairo_fill(cr);
    cairo_pattern_destroy(gg);
    tufts(cr, w, 340, 600, 1600, 7, hex(0x3f7f28));
    tufts(cr, w, 340, 600, 900, 8, hex(0x78b848));
    // light patches on the meadow and a worn path from the lake up to the yard
    Rng patches{77};
    for (int k = 0; k < 30; ++k)
        ground_shadow(cr, patches.range(0, w), patches.range(380, 590), patches.range(60, 160), patches.range(10, 22), 0.12);
    cairo_move_to(cr, 520, 600);
    cairo_curve_to(cr, 560, 480, 640, 420, 760, 330);
    cairo_line_to(cr, 800, 330);
    cairo_curve_to(cr, 700, 430, 640, 500, 620, 600);
    cairo_close_path(cr);
    set_col(cr, hex(0xc8aa78), 0.75);
    cairo_fill(cr);
    // the yard plateau (x 700..1340): packed earth
    rrect_path(cr, 700, 296, 640, 40, 14);
    flat(cr, hex(0xc2a070));
    // ground shadows of everything that stands in the yard
    ground_shadow(cr, 965, 298, 120, 10);
    ground_shadow(cr, 742, 288, 30, 5);
    ground_shadow(cr, 1100, 300, 30, 5);
    ground_shadow(cr, 1230, 308, 54, 6);
    ground_shadow(cr, 1295, 296, 26, 4);
    ground_shadow(cr, 2215, 420, 90, 14);
    ground_shadow(cr, 2236, 520, 100, 12);
    ground_shadow(cr, 2750, 338, 70, 6);
    ground_shadow(cr, 2966, 306, 50, 6);
    ground_shadow(cr, 200, 420, 40, 6);
    // a big tree on the left, behind the beekeeper
    big_tree(cr, -14, 340, 130);
    // the lake's water (its ripples and the swimming chicken are targets at (300, 406))
    ground_shadow(cr, 410, 450, 118, 40, 0.2);
    ellipse_path(cr, 410, 446, 106, 34);
    styled(cr, pal::water, 2.5);
    highlight(cr, 380, 432, 50, 10, 0.35);
    // lakeside path and reeds
    for (int k = 0; k < 14; ++k) stick(cr, 290 + k * 4, 430, 288 + k * 4, 404 - (k % 3) * 6, 2, hex(0x5a8a3a), 0.6);

    // barn in the back of the yard
    box(cr, 590, 190, 84, 140, 3, hex(0xb0443a), 2);
    const double barn_roof[] = {582, 194, 632, 150, 682, 194};
    poly_path(cr, barn_roof, 3);
    styled(cr, hex(0x6a4a3a), 2);
    box(cr, 618, 200, 28, 22, 2, hex(0x3a2414), 1.5, false);  // hay loft
    box(cr, 608, 250, 48, 68, 2, hex(0x8a2f28), 2, false);    // door with its white cross
    stick(cr, 612, 254, 652, 314, 3, hex(0xf0e6d0), 0.8);
    stick(cr, 652, 254, 612, 314, 3, hex(0xf0e6d0), 0.8);
    // hedge hiding the first field runners' feet (x 320..720)
    hedge(cr, 320, 720, 318);
    // hand pump (metal): column, riser pipe, spout, the handle on top, a trough below
    box(cr, 704, 280, 64, 12, 3, pal::wood, 1.5, false);
    box(cr, 719, 248, 23, 38, 4, hex(0x3f6f5a), 2);
    box(cr, 742, 246, 10, 38, 3, hex(0x35604d), 1.5, false);
    box(cr, 750, 246, 9, 12, 3, hex(0x35604d), 1.5, false);
    blob(cr, 730, 247, 13, 4, hex(0x4f8a70), 1.5, false);
    stick(cr, 732, 241, 762, 239, 5, hex(0x35604d), 1.2);
    blob(cr, 762, 239, 3.5, 3.5, hex(0x4f8a70), 1, false);
    highlight(cr, 725, 262, 4, 12, 0.5);
    // drum the barrel chicken hides in (metal)
    box(cr, 1077, 239, 43, 62, 5, hex(0x5a7a8a), 2);
    metal_part(cr, 1070, 1076, 240, 247, pal::metal_dark);
    metal_part(cr, 1070, 1076, 277, 298, pal::metal_dark);
    for (double y : {255.0, 282.0}) box(cr, 1076, y, 45, 4, 1, darker(hex(0x5a7a8a), 0.2), 1, false);
    ellipse_path(cr, 1098, 241, 20, 4);
    styled(cr, hex(0x1a1a1a), 1.5);
    // iron chest under the box position and a milk can (metal)
    box(cr, 1164, 259, 32, 40, 3, pal::metal_dark, 2);
    metal_part(cr, 1159, 1163, 288, 298, pal::metal_dark);
    box(cr, 1273, 263, 40, 32, 5, pal::metal, 2);
    metal_part(cr, 1288, 1310, 258, 262, pal::metal_dark);
    highlight(cr, 1284, 270, 8, 6, 0.5);
    the_car(cr);
    // second field: the hedge the runners pass behind (x 1540..1890, top 392)
    hedge(cr, 1530, 1900, 390);
    // a mound for the pan chicken
    blob(cr, 1950, 345, 70, 14, hex(0x7ab048), 2, false);
    // the big tree whose crown hides the key (crown x 2000..2350, trunk x 2150..2260)
    cairo_move_to(cr, 2120, 420);
    cairo_curve_to(cr, 2150, 400, 2152, 300, 2156, 170);
    cairo_line_to(cr, 2254, 170);
    cairo_curve_to(cr, 2258, 300, 2262, 400, 2296, 420);
    cairo_close_path(cr);
    styled(cr, hex(0x8a5a32), 2.5);
    set_col(cr, hex(0x6b4426));
    cairo_set_line_width(cr, 2);
    for (double bx : {2166.0, 2244.0}) {
        cairo_move_to(cr, bx, 200);
        cairo_curve_to(cr, bx + 4, 280, bx - 4, 340, bx + 2, 410);
    }
    cairo_stroke(cr);
    for (int k = 0; k < 7; ++k) {
        const double cx = 2040 + k * 48, cy = 80 + 40 * std::sin(k * 1.9);
        blob(cr, cx, cy, 70, 60, k % 2 ? pal::leaf : darker(pal::leaf, 0.08), 2, k % 3 == 0);
    }
    blob(cr, 2180, 40, 90, 40, lighter(pal::leaf, 0.05), 2, true);
    // the fence along the back of the pasture (x 2080..2830, boards y 250..336), gap at the gate
    fence(cr, 2080, 2318, 250, 336);
    fence(cr, 2432, 2830, 250, 336);
    box(cr, 2310, 236, 12, 100, 3, pal::wood_dark, 2);
    box(cr, 2428, 236, 12, 100, 3, pal::wood_dark, 2);
    // hay bales under the pumpkin (x 2690..2810, top 278)
    box(cr, 2684, 278, 130, 58, 10, hex(0xe0c050), 2);
    for (int k = 0; k < 6; ++k) stick(cr, 2692 + k * 20, 284, 2700 + k * 20, 330, 1.5, hex(0xb89a30), 0);
    // ground line behind the outhouse
    blob(cr, 2960, 304, 80, 10, hex(0x7ab048), 1.5, false);
    // bushes and stones on the meadow, clear of the targets down there
    const double bushes[][2] = {{860, 430}, {960, 470}, {1290, 520}, {1760, 470}, {1990, 520}, {2470, 440}, {2600, 520}, {2880, 460}};
    for (const auto& b : bushes) {
        ground_shadow(cr, b[0] + 6, b[1] + 14, 46, 8);
        blob(cr, b[0] - 18, b[1], 20, 16, darker(pal::leaf, 0.05), 1.8, false);
        blob(cr, b[0] + 18, b[1] + 2, 20, 15, darker(pal::leaf, 0.1), 1.8, false);
        blob(cr, b[0], b[1] - 8, 24, 19, pal::leaf, 2, true);
        for (int k = 0; k < 4; ++k) blob(cr, b[0] - 16 + k * 11, b[1] - 6 + (k % 2) * 10, 3, 3, k % 2 ? hex(0xff7aa0) : hex(0xffffff), 1, false);
    }
    const double stones[][2] = {{740, 520}, {1120, 560}, {1850, 570}, {2420, 560}, {2760, 480}};
    for (const auto& st : stones) {
        ground_shadow(cr, st[0] + 4, st[1] + 6, 18, 4);
        blob(cr, st[0], st[1], 14, 9, pal::stone, 1.8, true);
    }
    // the beekeeper's meadow: a few flowers
    Rng rng(3);
    for (int k = 0; k < 40; ++k) {
        const double x = rng.range(0, w), y = rng.range(440, 590);
        blob(cr, x, y, 3, 3, k % 2 ? hex(0xffffff) : hex(0xffd23a), 0.8, false);
    }
}

// ---------------------------------------------------------------- front layer

void front_layer(cairo_t* cr) {
    const int w = scene1_widths[0];
    grass_band(cr, w, 4, 578, 6, hex(0x3f7f28), 600);
    tufts(cr, w, 566, 600, 700, 19, hex(0x2f6a20));
    tufts(cr, w, 570, 600, 500, 20, hex(0x5a9a38));
    // a few tall plants at the front
    const double xs[] = {60, 760, 1500, 2350, 3150};
    for (double x : xs) {
        for (int k = 0; k < 7; ++k) {
            const double a = -1.2 + k * 0.4;
            cairo_move_to(cr, x, 600);
            cairo_curve_to(cr, x + 20 * a, 560, x + 40 * a, 530, x + 44 * a, 510 + std::abs(a) * 20);
            cairo_curve_to(cr, x + 30 * a + 6, 540, x + 10 * a + 6, 570, x + 10, 600);
            cairo_close_path(cr);
            styled(cr, k % 2 ? pal::leaf : darker(pal::leaf, 0.1), 1.5);
        }
        blob(cr, x + 4, 520, 9, 9, hex(0xf05a3a), 1.5);
    }
    // clumps of flowers along the bottom edge
    Rng fl{99};
    for (int k = 0; k < 60; ++k) {
        const double x = fl.range(0, w), y = fl.range(576, 596);
        stick(cr, x, 600, x + fl.range(-3, 3), y, 2, pal::grass_dark, 0.6);
        const Col c = k % 3 == 0 ? hex(0xffffff) : k % 3 == 1 ? hex(0xffd23a) : hex(0xe85a8a);
        for (int p = 0; p < 5; ++p) blob(cr, x + 3.5 * std::cos(p * 1.256), y + 3.5 * std::sin(p * 1.256), 2.6, 2.6, c, 0.8, false);
        blob(cr, x, y, 1.8, 1.8, hex(0xf0a020), 0.5, false);
    }
    // fence posts at the very front edges
    box(cr, 1040, 500, 18, 100, 4, pal::wood_dark, 2);
    box(cr, 2700, 496, 18, 104, 4, pal::wood_dark, 2);
}

}  // namespace

void paint_scene1_layer(cairo_t* cr, int layer) {
    switch (layer) {
    case 0:
        front_layer(cr);
        break;
    case 1:
        ground_layer(cr);
        break;
    case 2:
        fields(cr);
        break;
    case 3:
        far_hills(cr);
        break;
    default:
        sky(cr);
        break;
    }
}

}  // namespace makedata
