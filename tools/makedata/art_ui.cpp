// SPDX-License-Identifier: GPL-3.0-or-later
// Menu buttons, the mouse cursor, the exit button and the loading bar.
#include <cmath>

#include "tools/makedata/art.h"
#include "tools/makedata/language.h"
#include "tools/makedata/outputs.h"
#include "tools/makedata/typeface.h"

namespace makedata {

void draw_label(cairo_t* cr, const char* utf8, double x, double y, double size, Col fill, double outline,
                bool centre) {
    utf8 = word(utf8);
    cairo_save(cr);
    cairo_set_font_face(cr, typeface_cairo());
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, utf8, &ext);
    const double x0 = centre ? x - ext.width / 2 - ext.x_bearing : x;
    cairo_move_to(cr, x0, y);
    cairo_text_path(cr, utf8);
    if (outline > 0) {
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, outline * 2);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke_preserve(cr);
    }
    cairo_pattern_t* g = cairo_pattern_create_linear(0, y - size * 0.8, 0, y);
    const Col hi = lighter(fill, 0.35);
    cairo_pattern_add_color_stop_rgb(g, 0, hi.r, hi.g, hi.b);
    cairo_pattern_add_color_stop_rgb(g, 1, fill.r, fill.g, fill.b);
    cairo_set_source(cr, g);
    cairo_fill(cr);
    cairo_pattern_destroy(g);
    cairo_restore(cr);
}

double label_size_to_fit(cairo_t* cr, const char* utf8, double size, double width, double outline) {
    utf8 = word(utf8);
    cairo_save(cr);
    cairo_set_font_face(cr, typeface_cairo());
    cairo_set_font_size(cr, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, utf8, &ext);
    cairo_restore(cr);
    const double ink = ext.width + 2 * outline;
    return ink <= width || ext.width <= 0 ? size : size * (width - 2 * outline) / ext.width;
}

namespace {

// A wooden sign button: frame 0 normal, 1 under the pointer (lit), 2 pressed (sunk).
Art button(const char* label, int w, int h) {
    return {w, h, Format::bmp24, [=](cairo_t* cr, const FrameInfo& f) {
                const double press = f.i == 2 ? 2 : 0;
                const Col board = f.i == 1 ? hex(0xe9a447) : f.i == 2 ? hex(0xa86a2c) : hex(0xc8843a);
                if (f.i == 1) {  // warm glow around the lit sign
                    rrect_path(cr, 1, 1, w - 2, h - 2, 14);
                    set_col(cr, hex(0xffe08a));
                    cairo_fill(cr);
                }
                // shadow under the board
                rrect_path(cr, 5, 7, w - 9, h - 10, 10);
                set_col(cr, hex(0x3a2410));
                cairo_fill(cr);
                rrect_path(cr, 3 + press, 3 + press, w - 9, h - 10, 10);
                styled(cr, board, 2.5);
                // wood grain
                set_col(cr, darker(board, 0.25), 0.6);
                cairo_set_line_width(cr, 1.2);
                for (int k = 1; k < 3; ++k) {
                    const double gy = 3 + press + (h - 10) * k / 3.0;
                    cairo_move_to(cr, 12 + press, gy);
                    cairo_curve_to(cr, w * 0.3, gy - 2, w * 0.6, gy + 2, w - 16 + press, gy);
                }
                cairo_stroke(cr);
                highlight(cr, w * 0.3 + press, h * 0.28 + press, w * 0.25, h * 0.14, f.i == 2 ? 0.15 : 0.4);
                // nails, and the label between them with a few pixels to spare
                for (double nx : {10.0, w - 15.0}) blob(cr, nx + press, h / 2.0 - 2 + press, 2.5, 2.5, pal::metal, 1, false);
                const double size = label_size_to_fit(cr, label, h * 0.5, w - 42.0, 2.2);
                draw_label(cr, label, w / 2.0 - 2 + press, h * 0.5 + size * 0.31 + press, size,
                           f.i == 1 ? hex(0xfff6c0) : hex(0xfff1dc), 2.2);
            }};
}

void crosshair(cairo_t* cr, double cx, double cy) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 0) {
            set_col(cr, pal::outline);
            cairo_set_line_width(cr, 5);
        } else {
            set_col(cr, hex(0xff3b2a));
            cairo_set_line_width(cr, 2);
        }
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, 12, 0, 2 * M_PI);
        cairo_stroke(cr);
        for (int k = 0; k < 4; ++k) {
            const double a = k * M_PI / 2;
            cairo_move_to(cr, cx + 6 * std::cos(a), cy + 6 * std::sin(a));
            cairo_line_to(cr, cx + 18 * std::cos(a), cy + 18 * std::sin(a));
        }
        cairo_stroke(cr);
    }
    blob(cr, cx, cy, 1.6, 1.6, hex(0xff3b2a), 1, false);
}

void hand(cairo_t* cr) {
    // a white cartoon glove pointing up-left, fingertip near the centre of the cell
    const double lw = 2;
    box(cr, 17, 8, 8, 18, 4, hex(0xffffff), lw, false);   // index finger
    box(cr, 14, 20, 20, 16, 6, hex(0xffffff), lw, true);  // palm with the other fingers
    for (int k = 0; k < 2; ++k) {
        cairo_move_to(cr, 22 + 5 * k, 22);
        cairo_line_to(cr, 22 + 5 * k, 28);
    }
    set_col(cr, pal::outline);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    box(cr, 15, 34, 18, 5, 2, hex(0xd84a3a), lw, false);  // cuff
}

}  // namespace

void add_ui_art(ArtTable& table) {
    table["data\\gfx\\menu_start"] = button("Start", 126, 52);
    table["data\\gfx\\menu_hilfe"] = button("Hilfe", 126, 52);
    table["data\\gfx\\menu_highscore"] = button("Bestenliste", 160, 52);  // clear of "Ende" at 598
    table["data\\gfx\\menu_exit"] = button("Ende", 126, 52);
    table["data\\gfx\\highscore_send"] = button("Senden", 134, 44);
    table["data\\gfx\\highscore_menu"] = button("Zum Menü", 150, 48);
    table["data\\gfx\\but_xit"] = button("Beenden", 110, 48);  // at x 688 (XS) or 680 (XL)

    table["data\\gfx\\mousecursor"] = {40, 40, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                           if (f.i == 0) {
                                               crosshair(cr, 20, 20);
                                           } else if (f.i == 1) {
                                               hand(cr);
                                           } else {
                                               // the name-entry caret: the table puts the cell's
                                               // left edge 11 pixels before the end of the typed
                                               // name (at 189 plus its width; the name starts at
                                               // 200), so the bar from column 14 stands just after
                                               // the last letter
                                               box(cr, 14, 4, 5, 28, 2, hex(0xffd84a), 1.5, false);
                                           }
                                       }};

    table["data\\gfx\\loading"] = {800, 600, Format::jpeg, [](cairo_t* cr, const FrameInfo&) { paint_loading_screen(cr); }};

    // The loading bar: the part of the loading picture under it with the egg full. It is opaque,
    // so it shows right however the bar is copied onto the screen.
    table["data\\gfx\\loadingbar"] = {368, 380, Format::bmp24, [](cairo_t* cr, const FrameInfo&) {
                                          cairo_save(cr);
                                          cairo_translate(cr, -216, -110);
                                          paint_loading_screen(cr);
                                          cairo_restore(cr);
                                          ellipse_path(cr, 184, 196, 150, 182);
                                          cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 368, 380);
                                          cairo_pattern_add_color_stop_rgb(g, 0, 1.0, 0.93, 0.55);
                                          cairo_pattern_add_color_stop_rgb(g, 0.5, 0.98, 0.75, 0.15);
                                          cairo_pattern_add_color_stop_rgb(g, 1, 0.86, 0.45, 0.05);
                                          cairo_set_source(cr, g);
                                          cairo_fill_preserve(cr);
                                          cairo_pattern_destroy(g);
                                          set_col(cr, pal::outline);
                                          cairo_set_line_width(cr, 4);
                                          cairo_stroke(cr);
                                          highlight(cr, 130, 110, 50, 70, 0.55);
                                          set_col(cr, hex(0xffffff), 0.35);
                                          cairo_set_line_width(cr, 3);
                                          for (int k = 1; k < 12; ++k) {  // level marks
                                              cairo_move_to(cr, 120, 30 * k + 10);
                                              cairo_line_to(cr, 140, 30 * k + 10);
                                          }
                                          cairo_stroke(cr);
                                      }};
}

}  // namespace makedata
