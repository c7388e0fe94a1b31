// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/scene2.h"

#include <algorithm>
#include <cmath>

#include "tools/makedata/art.h"

namespace makedata {

void draw_doghouse(cairo_t* cr, double x, double y, double) {
    // 124 × 100
    box(cr, x + 10, y + 40, 104, 58, 3, hex(0xb8553a), 2);
    const double roof[] = {x + 2, y + 46, x + 62, y + 4, x + 122, y + 46, x + 112, y + 50, x + 62, y + 16, x + 12, y + 50};
    poly_path(cr, roof, 6);
    styled(cr, hex(0x5a4a3a), 2);
    cairo_move_to(cr, x + 44, y + 98);
    cairo_line_to(cr, x + 44, y + 66);
    cairo_arc(cr, x + 62, y + 66, 18, M_PI, 2 * M_PI);
    cairo_line_to(cr, x + 80, y + 98);
    cairo_close_path(cr);
    set_col(cr, hex(0x1a0e08));
    cairo_fill(cr);
    box(cr, x + 46, y + 28, 32, 10, 2, hex(0xf0e0c0), 1.5, false);
    draw_label(cr, "Hasso", x + 62, y + 37, 9, hex(0x5a2a10), 0);
}

void draw_window_frame(cairo_t* cr, double x, double y, double w, double h, int cracks) {
    rrect_path(cr, x + 2, y + 2, w - 4, h - 4, 3);
    rrect_path(cr, x + 8, y + 8, w - 16, h - 16, 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    styled(cr, hex(0xf4ecd8), 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    stick(cr, x + w / 2, y + 8, x + w / 2, y + h - 8, 3, hex(0xf4ecd8), 1);
    stick(cr, x + 8, y + h / 2, x + w - 8, y + h / 2, 3, hex(0xf4ecd8), 1);
    if (cracks > 0) {
        set_col(cr, hex(0xffffff));
        cairo_set_line_width(cr, 1.5);
        Rng rng(9);
        for (int k = 0; k < cracks * 2; ++k) {
            const double cx = x + w * 0.5, cy = y + h * 0.4;
            const double a = rng.range(0, 2 * M_PI);
            cairo_move_to(cr, cx, cy);
            cairo_line_to(cr, cx + std::cos(a) * w * 0.4, cy + std::sin(a) * h * 0.4);
        }
        cairo_stroke(cr);
    }
}

void draw_casement(cairo_t* cr, double open, double crack) {
    // the glass x 13..56, y 17..74; two wings that swing outwards
    const double w = 22 * std::cos(open * 1.3);
    for (int side = 0; side < 2; ++side) {
        const double hinge = side == 0 ? 13 : 57;
        const double x0 = side == 0 ? hinge : hinge - w;
        // the wing's frame; the glass is clear (what is behind it shows through) with a glint
        rrect_path(cr, x0, 17, std::max(3.0, w), 58, 2);
        if (w > 8) rrect_path(cr, x0 + 3, 20, w - 6, 52, 1);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        styled(cr, hex(0xf4ecd8), 2);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        if (w > 8) stick(cr, x0 + w * 0.3, 30, x0 + w * 0.55, 24, 2, hex(0xffffff), 0);
    }
    if (crack > 0) {
        set_col(cr, hex(0xffffff));
        cairo_set_line_width(cr, 1.5);
        Rng rng(4);
        const int n = int(2 + crack * 10);
        for (int k = 0; k < n; ++k) {
            const double a = rng.range(0, 2 * M_PI), r = rng.range(10, 26);
            cairo_move_to(cr, 35, 44);
            cairo_line_to(cr, 35 + std::cos(a) * r, 44 + std::sin(a) * r * 1.2);
        }
        cairo_stroke(cr);
        if (crack > 0.6)
            for (int k = 0; k < 4; ++k) blob(cr, 24 + k * 8, 78 - k % 2 * 3, 3, 2, hex(0xcfe6f4), 1, false);
    }
    // the sill
    box(cr, 6, 74, 58, 6, 2, hex(0xe8dcc0), 1.5, false);
}

void draw_door(cairo_t* cr, double open) {
    // doorway x 25..85, y 14..112 of the cell; the leaf is hinged on the left and swings out
    const double c = std::cos(open * M_PI * 0.85);
    const double w = 60 * c;
    const double x0 = w >= 0 ? 25 : 25 + w;
    const double ww = std::max(4.0, std::abs(w));
    box(cr, x0, 14, ww, 98, 3, hex(0x7a3a22), 2);
    if (ww > 20) {
        for (int k = 0; k < 2; ++k) {
            rrect_path(cr, x0 + ww * 0.15, 24 + k * 44, ww * 0.7, 36, 3);
            set_col(cr, hex(0x5a2a16));
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
        }
        blob(cr, w >= 0 ? x0 + ww - 8 : x0 + 8, 66, 3.5, 3.5, hex(0xe8c040), 1, false);
    }
}

void draw_grave(cairo_t* cr, double open, double light) {
    // a long mound in front of its headstone (the slab, x 116..221, y 19..131). Opened, the
    // stone cracks and leans back and the mound breaks open where the ghost comes up (around
    // x 62); the pit glows when the ghost rises.
    blob(cr, 128, 130, 112, 18, hex(0x5a7a3a), 2, false);
    if (open > 0) {
        const double rx = 40 * open, ry = 11 * open;
        ellipse_path(cr, 62, 132, rx + 4, ry + 3);
        set_col(cr, hex(0x5a4028));
        cairo_fill(cr);
        ellipse_path(cr, 62, 133, rx, ry);
        cairo_pattern_t* g = cairo_pattern_create_radial(62, 133, 2, 62, 133, std::max(rx, 1.0));
        const Col deep = hex(0x0c0c14);
        const Col glow = mix(deep, hex(0xb8f0ff), light);
        cairo_pattern_add_color_stop_rgb(g, 0, glow.r, glow.g, glow.b);
        cairo_pattern_add_color_stop_rgb(g, 1, deep.r, deep.g, deep.b);
        cairo_set_source(cr, g);
        cairo_fill(cr);
        cairo_pattern_destroy(g);
        // the earth thrown out of it
        Rng rng(5);
        for (int k = 0; k < 8; ++k) {
            const double a = rng.range(M_PI * 1.05, M_PI * 1.95);
            const double d = rng.range(30, 52) * open;
            blob(cr, 62 + std::cos(a) * d, 128 + std::sin(a) * d * 0.35, 5, 3.5, hex(0x6a4a2a), 1, false);
        }
        if (light > 0) {  // a pale glow rising out of the pit
            cairo_move_to(cr, 62 - rx * 0.8, 132);
            cairo_line_to(cr, 62 - rx * 1.1, 20);
            cairo_line_to(cr, 62 + rx * 1.1, 20);
            cairo_line_to(cr, 62 + rx * 0.8, 132);
            cairo_close_path(cr);
            cairo_pattern_t* beam = cairo_pattern_create_linear(0, 132, 0, 20);
            cairo_pattern_add_color_stop_rgba(beam, 0, 0.72, 0.94, 1, 0.55 * light);
            cairo_pattern_add_color_stop_rgba(beam, 1, 0.72, 0.94, 1, 0);
            cairo_set_source(cr, beam);
            cairo_fill(cr);
            cairo_pattern_destroy(beam);
        }
    }
    cairo_save(cr);
    cairo_translate(cr, 168, 131);
    cairo_rotate(cr, open * 0.12);
    cairo_translate(cr, -168, -131);
    cairo_move_to(cr, 116, 131);
    cairo_line_to(cr, 116, 58);
    cairo_curve_to(cr, 116, 48, 128, 46, 142, 44);
    cairo_curve_to(cr, 144, 14, 196, 14, 198, 44);
    cairo_curve_to(cr, 212, 46, 221, 48, 221, 58);
    cairo_line_to(cr, 221, 131);
    cairo_close_path(cr);
    styled(cr, pal::stone, 2.5);
    highlight(cr, 158, 34, 16, 10);
    draw_label(cr, "R.I.P.", 168, 72, 18, hex(0x5a5850), 0);
    stick(cr, 150, 96, 186, 96, 2, hex(0x7a7870), 0);
    if (open > 0) {  // the crack of the sixth shot
        const double c[] = {168, 24, 162, 46, 174, 62, 160, 84, 170, 100};
        set_col(cr, hex(0x3a3830));
        cairo_set_line_width(cr, 1.5);
        cairo_move_to(cr, c[0], c[1]);
        const int n = 1 + int(open * 4 + 0.5);
        for (int k = 1; k < n; ++k) cairo_line_to(cr, c[2 * k], c[2 * k + 1]);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
    // grass grown over the slab's lower right corner
    for (int k = 0; k < 7; ++k) {
        const double x = 186 + k * 6;
        cairo_move_to(cr, x - 5, 136);
        cairo_line_to(cr, x - 1, 112 + (k % 3) * 4);
        cairo_line_to(cr, x + 5, 136);
        cairo_close_path(cr);
        styled(cr, k % 2 ? hex(0x5a8a3a) : hex(0x4a7a2e), 1.2);
    }
}

void draw_ghost(cairo_t* cr, double phase, double dying) {
    // a sheet ghost with a wavy hem; it shrinks and fades into wisps when it dies
    cairo_save(cr);
    cairo_translate(cr, 40, 50);
    const double s = 1 - dying * 0.7;
    cairo_scale(cr, s, s);
    cairo_rotate(cr, dying * 3);
    cairo_move_to(cr, -30, 40);
    for (int k = 0; k <= 6; ++k) cairo_line_to(cr, -30 + k * 10, 40 + ((k % 2) ? -6 : 4) * std::cos(phase + k));
    cairo_line_to(cr, 30, 0);
    cairo_curve_to(cr, 30, -50, -30, -50, -30, 0);
    cairo_close_path(cr);
    styled(cr, hex(0xeef4ff), 2.5);
    highlight(cr, -10, -24, 12, 10, 0.6);
    for (int side = -1; side <= 1; side += 2) {
        ellipse_path(cr, side * 10, -10, 6, 8);
        set_col(cr, hex(0x1a1a2a));
        cairo_fill(cr);
    }
    ellipse_path(cr, 0, 10, 7, 9 + 3 * std::sin(phase * 2));
    set_col(cr, hex(0x1a1a2a));
    cairo_fill(cr);
    // little arms
    stick(cr, -28, 4, -40, -6 + 6 * std::sin(phase), 6, hex(0xeef4ff), 1.5);
    stick(cr, 28, 4, 40, -6 - 6 * std::sin(phase), 6, hex(0xeef4ff), 1.5);
    cairo_restore(cr);
}

namespace {

void barn(cairo_t* cr) {
    // right building: walls x 395..600, roof edge at y 56
    box(cr, 395, 56, 205, 344, 2, hex(0xb0443a), 2.5, false);
    set_col(cr, hex(0x8a2f28));
    cairo_set_line_width(cr, 2);
    for (int k = 1; k < 10; ++k) {
        cairo_move_to(cr, 395 + k * 20.5, 60);
        cairo_line_to(cr, 395 + k * 20.5, 398);
    }
    cairo_stroke(cr);
    box(cr, 388, 44, 219, 14, 3, hex(0x5a4a3a), 2);
    // upper window opening (412..468, 62..117) and the big window (412..476, 222..284)
    rrect_path(cr, 412, 62, 56, 56, 3);
    set_col(cr, hex(0x2a1c14));
    cairo_fill(cr);
    draw_window_frame(cr, 408, 59, 64, 62, 0);
    rrect_path(cr, 412, 222, 64, 62, 3);
    set_col(cr, hex(0x2a1c14));
    cairo_fill(cr);
    box(cr, 404, 282, 80, 8, 2, hex(0xe8dcc0), 1.5, false);
    // big barn door on the right
    box(cr, 500, 200, 90, 200, 3, hex(0x8a3a2a), 2, false);
    stick(cr, 504, 204, 586, 396, 5, hex(0xe8dcc0), 1);
    stick(cr, 586, 204, 504, 396, 5, hex(0xe8dcc0), 1);
}

void house(cairo_t* cr) {
    // left house: walls x 50..330, roof peak at (190, 64), chimney 152..226 from y 54
    box(cr, 152, 54, 74, 70, 2, hex(0xa04a32), 2);
    box(cr, 60, 150, 260, 250, 2, pal::wall, 2.5);
    const double roof[] = {30, 166, 190, 64, 350, 166, 340, 176, 190, 80, 40, 176};
    poly_path(cr, roof, 6);
    styled(cr, pal::roof, 2.5);
    // doorway (200..260, 241..339)
    box(cr, 192, 235, 76, 110, 3, hex(0x6b4426), 2, false);
    rrect_path(cr, 200, 241, 60, 98, 2);
    set_col(cr, hex(0x24160e));
    cairo_fill(cr);
    // a window beside the door
    rrect_path(cr, 84, 200, 60, 52, 3);
    set_col(cr, hex(0xffd070));
    cairo_fill(cr);
    draw_window_frame(cr, 80, 196, 68, 60, 0);
    // woodpile top at y 290 (x 80..185)
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 6 - (row == 0 ? 1 : 0); ++k) {
            const double cx = 90 + k * 18 + (row % 2) * 9, cy = 336 - row * 15;
            blob(cr, cx, cy, 9, 8, hex(0xc89a60), 1.5, false);
            blob(cr, cx, cy, 4, 3.5, hex(0xe0bc88), 0.8, false);
        }
}

}  // namespace

void paint_scene2_layer(cairo_t* cr, int layer) {
    if (layer == 2) {  // evening sky
        cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, 320);
        cairo_pattern_add_color_stop_rgb(g, 0, 0.22, 0.25, 0.52);
        cairo_pattern_add_color_stop_rgb(g, 0.6, 0.78, 0.46, 0.52);
        cairo_pattern_add_color_stop_rgb(g, 1, 0.99, 0.74, 0.45);
        cairo_set_source(cr, g);
        cairo_paint(cr);
        cairo_pattern_destroy(g);
        blob(cr, 660, 70, 34, 34, hex(0xfff4d0), 0, false);
        ellipse_path(cr, 676, 62, 30, 30);
        set_col(cr, hex(0x4a4f86), 0.95);
        cairo_fill(cr);
        Rng rng(21);
        for (int k = 0; k < 40; ++k) blob(cr, rng.range(0, 800), rng.range(0, 160), 1.2, 1.2, hex(0xfffbe8), 0, false);
        return;
    }
    if (layer == 1) {  // hills, trees, the clothesline and the trampoline behind the yard
        cairo_move_to(cr, 0, 250);
        for (int x = 0; x <= 800; x += 20) cairo_line_to(cr, x, 226 + 20 * std::sin(x * 0.011) + 10 * std::sin(x * 0.037));
        cairo_line_to(cr, 800, 600);
        cairo_line_to(cr, 0, 600);
        cairo_close_path(cr);
        flat(cr, hex(0x4a6a4a));
        Rng rng(8);
        for (int k = 0; k < 14; ++k) {
            const double x = rng.range(0, 800), y = rng.range(236, 268);
            box(cr, x - 3, y, 6, 26, 2, hex(0x4a3424), 1.5, false);
            blob(cr, x, y - 10, rng.range(16, 24), rng.range(18, 26), hex(0x3a5c3a), 1.5, false);
        }
        cairo_rectangle(cr, 0, 300, 800, 300);
        flat(cr, hex(0x6a8a4a));
        // clothesline poles at 598 and 736
        stick(cr, 598, 250, 598, 340, 5, pal::wood, 1.5);
        stick(cr, 736, 244, 736, 340, 5, pal::wood, 1.5);
        cairo_move_to(cr, 598, 256);
        cairo_curve_to(cr, 640, 262, 690, 258, 736, 250);
        set_col(cr, hex(0xf0f0f0));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        // trampoline between the buildings
        ellipse_path(cr, 365, 282, 36, 7);
        styled(cr, hex(0x3060c0), 2);
        for (int k = 0; k < 3; ++k) stick(cr, 336 + k * 29, 284, 336 + k * 29, 300, 3, pal::metal_dark, 1);
        return;
    }
    // layer 0: the yard, both buildings, the fence, the trough and the big barrel
    cairo_rectangle(cr, 0, 330, 800, 270);
    flat(cr, hex(0x8a7a4a));
    Rng rng(12);
    for (int k = 0; k < 120; ++k) {
        const double x = rng.range(0, 800), y = rng.range(340, 600);
        blob(cr, x, y, rng.range(2, 5), 1.5, hex(0x6a5a38), 0, false);
    }
    // fence across the back of the yard, low enough to show the trampoline between the buildings
    for (int x = 0; x < 800; x += 22) box(cr, x, 300, 14, 40, 3, hex(0xc8a070), 1.5, false);
    stick(cr, 0, 312, 800, 312, 5, hex(0xb08858), 1);
    house(cr);
    barn(cr);
    // water trough the doghouse chicken hides behind (top at y 374)
    box(cr, 588, 374, 82, 34, 5, pal::wood, 2);
    ellipse_path(cr, 629, 378, 36, 4);
    set_col(cr, pal::water);
    cairo_fill(cr);
    // big barrel in front (rim at y 508)
    box(cr, 530, 508, 96, 100, 16, pal::wood, 2.5);
    for (double y : {524.0, 570.0}) box(cr, 528, y, 100, 6, 2, pal::metal_dark, 1, false);
    ellipse_path(cr, 578, 512, 44, 7);
    styled(cr, hex(0x2a1a10), 2);
}

}  // namespace makedata
