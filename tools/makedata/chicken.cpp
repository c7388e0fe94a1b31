// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/chicken.h"

#include <cmath>

#include "tools/makedata/draw.h"

namespace makedata {

namespace {

void eye(cairo_t* cr, double x, double y, double r, Eyes eyes, double look, double lw) {
    switch (eyes) {
    case Eyes::closed:
    case Eyes::happy:
        cairo_arc(cr, x, y + (eyes == Eyes::happy ? r * 0.3 : 0), r * 0.8, eyes == Eyes::happy ? M_PI : 0,
                  eyes == Eyes::happy ? 2 * M_PI : M_PI);
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, lw * 1.2);
        cairo_stroke(cr);
        return;
    case Eyes::crossed:
        ellipse_path(cr, x, y, r, r);
        styled(cr, pal::eye_white, lw);
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, lw * 1.1);
        cairo_move_to(cr, x - r * 0.55, y - r * 0.55);
        cairo_line_to(cr, x + r * 0.55, y + r * 0.55);
        cairo_move_to(cr, x + r * 0.55, y - r * 0.55);
        cairo_line_to(cr, x - r * 0.55, y + r * 0.55);
        cairo_stroke(cr);
        return;
    default:
        break;
    }
    const double rr = eyes == Eyes::shocked ? r * 1.25 : r;
    ellipse_path(cr, x, y, rr, rr * 1.08);
    styled(cr, pal::eye_white, lw);
    if (eyes == Eyes::dizzy) {
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, lw * 0.8);
        for (double a = 0, rad = 0.1 * rr; a < 4 * M_PI; a += 0.3, rad += 0.025 * rr)
            cairo_line_to(cr, x + rad * std::cos(a), y + rad * std::sin(a));
        cairo_stroke(cr);
        return;
    }
    const double pr = eyes == Eyes::shocked ? rr * 0.3 : rr * 0.5;
    ellipse_path(cr, x + look * rr * 0.35 - rr * 0.15, y + rr * 0.05, pr, pr * 1.1);
    set_col(cr, pal::outline);
    cairo_fill(cr);
    ellipse_path(cr, x + look * rr * 0.35 - rr * 0.3, y - rr * 0.2, pr * 0.35, pr * 0.35);
    set_col(cr, {1, 1, 1});
    cairo_fill(cr);
}

// Head at the origin facing left, radius 18 units.
void head(cairo_t* cr, Eyes eyes, double beak_open, double look, double lw, bool white) {
    // comb
    cairo_move_to(cr, -12, -12);
    cairo_curve_to(cr, -18, -30, -6, -32, -4, -20);
    cairo_curve_to(cr, -2, -34, 10, -32, 6, -18);
    cairo_curve_to(cr, 14, -28, 20, -18, 12, -10);
    cairo_close_path(cr);
    styled(cr, pal::comb_red, lw);
    // wattle
    ellipse_path(cr, -14, 14, 5, 8);
    styled(cr, pal::comb_red, lw);
    // head
    ellipse_path(cr, 0, 0, 18, 17);
    styled(cr, white ? pal::chicken_white : lighter(pal::chicken_brown, 0.1), lw);
    highlight(cr, -5, -8, 7, 5, 0.4);
    // beak: upper and lower half
    const double open = 6 * beak_open;
    cairo_move_to(cr, -14, -4);
    cairo_line_to(cr, -31, 1 - open * 0.3);
    cairo_line_to(cr, -14, 4);
    cairo_close_path(cr);
    styled(cr, pal::beak_yellow, lw);
    cairo_move_to(cr, -14, 4);
    cairo_line_to(cr, -26, 4 + open);
    cairo_line_to(cr, -12, 9);
    cairo_close_path(cr);
    styled(cr, darker(pal::beak_yellow, 0.1), lw);
    eye(cr, -5, -4, 7.5, eyes, look, lw);
}

void wing_shape(cairo_t* cr, double swing, Col c, double lw) {
    // pivot at the shoulder (0, 0), wing lies back along +x, swings up with positive values
    cairo_save(cr);
    cairo_rotate(cr, -swing * 1.1);
    cairo_move_to(cr, -6, -2);
    cairo_curve_to(cr, 10, -22, 40, -18, 50, -6);
    cairo_line_to(cr, 44, -2);
    cairo_line_to(cr, 48, 4);
    cairo_line_to(cr, 38, 6);
    cairo_line_to(cr, 40, 12);
    cairo_curve_to(cr, 24, 16, 4, 14, -6, 6);
    cairo_close_path(cr);
    styled(cr, c, lw);
    highlight(cr, 14, -8, 12, 4, 0.35);
    cairo_restore(cr);
}

void leg(cairo_t* cr, double x0, double y0, double x1, double y1, double lw) {
    stick(cr, x0, y0, x1, y1, 4, pal::leg_yellow, lw * 0.8);
    // three toes pointing forward (left)
    for (int t = -1; t <= 1; ++t) stick(cr, x1, y1, x1 - 9, y1 + 3 * t, 3, pal::leg_yellow, lw * 0.6);
}

}  // namespace

void draw_feather(cairo_t* cr, double x, double y, double angle, double scale, bool white) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, scale, scale);
    const double lw = outline_width(scale) / scale;
    cairo_move_to(cr, -10, 0);
    cairo_curve_to(cr, -4, -5, 6, -5, 10, 0);
    cairo_curve_to(cr, 6, 4, -4, 4, -10, 0);
    styled(cr, white ? pal::chicken_white : pal::chicken_brown, lw);
    cairo_restore(cr);
}

void draw_chicken_front(cairo_t* cr, double x, double y, double scale, Eyes eyes, double beak_open,
                        double left_wing, double right_wing) {
    const double lw = outline_width(scale) / scale;
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    // wings behind the body edges
    for (int side = -1; side <= 1; side += 2) {
        const double up = side < 0 ? left_wing : right_wing;
        cairo_save(cr);
        cairo_translate(cr, side * 36, -6);
        cairo_rotate(cr, side * (0.3 + up * 1.9));
        ellipse_path(cr, 0, 24, 13, 30);
        styled(cr, darker(pal::chicken_brown, 0.08), lw);
        cairo_restore(cr);
    }
    // body and belly
    ellipse_path(cr, 0, 20, 46, 52);
    styled(cr, pal::chicken_brown, lw);
    ellipse_path(cr, 0, 34, 30, 36);
    flat(cr, pal::chicken_white);
    highlight(cr, -16, -6, 16, 12, 0.45);
    // head
    ellipse_path(cr, 0, -36, 30, 27);
    styled(cr, lighter(pal::chicken_brown, 0.1), lw);
    highlight(cr, -10, -48, 10, 6, 0.4);
    // comb
    cairo_move_to(cr, -14, -58);
    cairo_curve_to(cr, -18, -78, -6, -80, -4, -66);
    cairo_curve_to(cr, -2, -86, 10, -84, 6, -66);
    cairo_curve_to(cr, 14, -78, 22, -70, 14, -58);
    cairo_close_path(cr);
    styled(cr, pal::comb_red, lw);
    // eyes
    for (int side = -1; side <= 1; side += 2) {
        cairo_save(cr);
        cairo_translate(cr, side * 12, -42);
        if (eyes == Eyes::crossed) {
            ellipse_path(cr, 0, 0, 9, 9);
            styled(cr, pal::eye_white, lw);
            set_col(cr, pal::outline);
            cairo_set_line_width(cr, lw * 1.2);
            cairo_move_to(cr, -5, -5);
            cairo_line_to(cr, 5, 5);
            cairo_move_to(cr, 5, -5);
            cairo_line_to(cr, -5, 5);
            cairo_stroke(cr);
        } else if (eyes == Eyes::happy || eyes == Eyes::closed) {
            cairo_arc(cr, 0, 2, 7, eyes == Eyes::happy ? M_PI : 0, eyes == Eyes::happy ? 2 * M_PI : M_PI);
            set_col(cr, pal::outline);
            cairo_set_line_width(cr, lw * 1.4);
            cairo_stroke(cr);
        } else {
            const double r = eyes == Eyes::shocked ? 11 : 9;
            ellipse_path(cr, 0, 0, r, r * 1.1);
            styled(cr, pal::eye_white, lw);
            ellipse_path(cr, -side * 1.5, 1, r * 0.45, r * 0.5);
            set_col(cr, pal::outline);
            cairo_fill(cr);
            ellipse_path(cr, -side * 1.5 - 1.5, -2, r * 0.15, r * 0.15);
            set_col(cr, {1, 1, 1});
            cairo_fill(cr);
        }
        cairo_restore(cr);
    }
    // beak and wattle
    const double open = 8 * beak_open;
    cairo_move_to(cr, -9, -30);
    cairo_line_to(cr, 9, -30);
    cairo_line_to(cr, 0, -18 - open * 0.3);
    cairo_close_path(cr);
    styled(cr, pal::beak_yellow, lw);
    if (open > 0) {
        cairo_move_to(cr, -7, -24);
        cairo_line_to(cr, 7, -24);
        cairo_line_to(cr, 0, -14 + open);
        cairo_close_path(cr);
        styled(cr, darker(pal::beak_yellow, 0.15), lw);
    }
    ellipse_path(cr, 0, -10, 5, 8);
    styled(cr, pal::comb_red, lw);
    cairo_restore(cr);
}

void draw_chicken_head(cairo_t* cr, double x, double y, double scale, bool face_right, Eyes eyes,
                       double beak_open, double look) {
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, face_right ? -scale : scale, scale);
    head(cr, eyes, beak_open, look, outline_width(scale) / scale, false);
    cairo_restore(cr);
}

void draw_chicken(cairo_t* cr, const ChickenPose& p) {
    const double lw = outline_width(p.scale) / p.scale;
    const Col body = p.white ? pal::chicken_white : pal::chicken_brown;
    const Col belly = p.white ? hex(0xe8dcc4) : pal::chicken_white;
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    cairo_scale(cr, p.face_right ? -p.scale : p.scale, p.scale);
    cairo_rotate(cr, p.tilt);
    cairo_scale(cr, 1 + p.squash * 0.5, 1 - p.squash);

    // legs behind the body
    switch (p.legs) {
    case Legs::tucked:
        stick(cr, 4, 24, 16, 32, 4, pal::leg_yellow, lw * 0.8);
        stick(cr, 12, 24, 24, 31, 4, pal::leg_yellow, lw * 0.8);
        break;
    case Legs::standing:
        leg(cr, -4, 22, -6, 44, lw);
        leg(cr, 10, 22, 12, 44, lw);
        break;
    case Legs::running: {
        const double a = std::sin(p.leg_phase), b = std::cos(p.leg_phase);
        leg(cr, 0, 22, -4 - 14 * a, 42 - 5 * std::max(0.0, b), lw);
        leg(cr, 8, 22, 12 + 14 * a, 42 - 5 * std::max(0.0, -b), lw);
        break;
    }
    case Legs::dangling:
        stick(cr, 0, 22, -6, 42, 4, pal::leg_yellow, lw * 0.8);
        stick(cr, 10, 22, 16, 42, 4, pal::leg_yellow, lw * 0.8);
        break;
    case Legs::kicking: {
        const double a = std::sin(p.leg_phase) * 0.5;
        leg(cr, -2, 22, -6 + 16 * std::sin(a), 22 + 20 * std::cos(a), lw);
        leg(cr, 10, 22, 14 - 16 * std::sin(a), 22 + 20 * std::cos(a), lw);
        break;
    }
    case Legs::none:
        break;
    }

    // far wing (behind the body), slightly darker
    cairo_save(cr);
    cairo_translate(cr, 0, -10);
    wing_shape(cr, p.wing * 1.1 + 0.15, darker(body, 0.18), lw);
    cairo_restore(cr);

    // tail feathers
    const int tail = p.plucked > 0.6 ? 1 : p.plucked > 0.3 ? 2 : 3;
    for (int i = 0; i < tail; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 30, -4);
        cairo_rotate(cr, -0.9 + 0.45 * i);
        cairo_move_to(cr, 0, -6);
        cairo_curve_to(cr, 10, -14, 24, -12, 30, -4);
        cairo_curve_to(cr, 22, 2, 10, 6, 0, 6);
        cairo_close_path(cr);
        styled(cr, i == 1 ? darker(body, 0.1) : body, lw);
        cairo_restore(cr);
    }

    // body
    ellipse_path(cr, 2, 2, 38, 27);
    styled(cr, body, lw);
    ellipse_path(cr, -10, 10, 22, 15);
    flat(cr, belly);
    highlight(cr, -8, -10, 16, 8, 0.45);

    // head
    cairo_save(cr);
    cairo_translate(cr, -32, -20);
    head(cr, p.eyes, p.beak_open, p.look, lw, p.white);
    cairo_restore(cr);

    // near wing
    cairo_save(cr);
    if (p.hand_on_chest) {
        cairo_translate(cr, -4, -4);
        cairo_rotate(cr, 2.6);
        cairo_scale(cr, 0.8, 0.8);
        wing_shape(cr, 0, body, lw);
    } else {
        cairo_translate(cr, 0, -6);
        wing_shape(cr, p.wing, body, lw);
    }
    cairo_restore(cr);

    // loose feathers
    if (p.ruffle > 0) {
        Rng rng(7);
        const int n = int(3 + 5 * p.ruffle);
        for (int i = 0; i < n; ++i) {
            const double a = rng.range(0, 2 * M_PI);
            const double d = 40 + 40 * p.ruffle * rng.range(0.5, 1.0);
            draw_feather(cr, d * std::cos(a), d * std::sin(a) * 0.8, a + p.ruffle * 3, 0.9, i % 2 == 0);
        }
    }
    cairo_restore(cr);
}

}  // namespace makedata
