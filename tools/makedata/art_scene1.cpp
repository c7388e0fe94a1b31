// SPDX-License-Identifier: GPL-3.0-or-later
// Targets of the first scene: the scenery that reacts to shots and the characters hiding in it.
// Cell origins are the targets' positions in the scene, so the hit boxes the game tests land
// on the parts they name.
#include <cmath>
#include <string>

#include "tools/makedata/art.h"

namespace makedata {

namespace {

const std::string g = "data\\gfx\\";

void stars(cairo_t* cr, double x, double y, double r, double phase) {
    for (int k = 0; k < 3; ++k) {
        const double a = phase + k * 2.1;
        const double sx = x + r * std::cos(a), sy = y + r * 0.35 * std::sin(a);
        cairo_save(cr);
        cairo_translate(cr, sx, sy);
        cairo_move_to(cr, 0, -4);
        for (int j = 1; j < 10; ++j) {
            const double rr = j % 2 ? 1.8 : 4.5;
            cairo_line_to(cr, rr * std::sin(j * M_PI / 5), -rr * std::cos(j * M_PI / 5));
        }
        cairo_close_path(cr);
        styled(cr, hex(0xffe040), 1);
        cairo_restore(cr);
    }
}

void splinters(cairo_t* cr, double x, double y, double t, Col c, int n = 6) {
    if (t <= 0 || t >= 1) return;
    Rng rng(11);
    for (int k = 0; k < n; ++k) {
        const double a = rng.range(-M_PI, 0), v = rng.range(15, 30);
        const double px = x + std::cos(a) * v * t, py = y + std::sin(a) * v * t + 30 * t * t;
        cairo_save(cr);
        cairo_translate(cr, px, py);
        cairo_rotate(cr, a + t * 6);
        box(cr, -4, -1.5, 8, 3, 1, c, 1, false);
        cairo_restore(cr);
    }
}

// ---------------------------------------------------------------- gate, sign, postbox

void gate(cairo_t* cr, const FrameInfo& f) {
    // 110 × 95: posts at both ends, the leaf swings open on its left hinge
    const double open = ease(f.t);
    box(cr, 2, 8, 12, 86, 3, pal::wood_dark, 2);
    box(cr, 96, 8, 12, 86, 3, pal::wood_dark, 2);
    blob(cr, 8, 8, 7, 4, darker(pal::wood_dark, 0.1), 2, false);
    blob(cr, 102, 8, 7, 4, darker(pal::wood_dark, 0.1), 2, false);
    const double span_w = 82 * std::cos(open * 1.35);
    if (span_w < 3) {
        box(cr, 14, 20, 6, 68, 2, pal::wood, 2, false);
        return;
    }
    for (double y : {22.0, 46.0, 70.0}) box(cr, 14, y, span_w, 10, 2, pal::wood, 2, false);
    box(cr, 14, 18, std::max(6.0, span_w * 0.12), 68, 2, pal::wood, 2, false);
    box(cr, 14 + span_w * 0.88, 18, std::max(6.0, span_w * 0.12), 68, 2, pal::wood, 2, false);
    // diagonal brace
    stick(cr, 18, 80, 14 + span_w * 0.9, 24, 5, lighter(pal::wood, 0.1), 1.5);
    highlight(cr, 30, 24, 14, 3);
}

void sign_board(cairo_t* cr, const FrameInfo& f) {
    // 80 × 120: a post with a board that spins about the post
    box(cr, 36, 30, 9, 90, 2, pal::wood_dark, 2);
    // frames 0..5 turn the front away, 5..11 spin a full turn (both ends edge-on, so the spin
    // can bounce between them), 11..14 come to rest on the far side
    const double deg = f.i <= 5 ? f.i * 18.0 : f.i <= 11 ? 90 + (f.i - 5) * 60.0 : 450 + (f.i - 11) * 30.0;
    const double angle = f.n > 1 ? deg * M_PI / 180 : 0;
    const double c = std::cos(angle);
    const double w = 70 * std::abs(c);
    const bool back = c < 0;
    if (w < 4) {
        box(cr, 38, 6, 5, 40, 1, pal::wood, 2, false);
        return;
    }
    box(cr, 40.5 - w / 2, 6, w, 40, 5, back ? hex(0x3f7fc0) : hex(0xe6b04a), 2);
    cairo_save(cr);
    cairo_translate(cr, 40.5, 26);
    cairo_scale(cr, std::abs(c), 1);
    if (back) {
        draw_label(cr, "Weiter", 0, 6, 17, hex(0xffffff), 1.5);
    } else {
        draw_label(cr, "Hof", 0, 6, 18, hex(0xc8322a), 1.2);
    }
    cairo_restore(cr);
}

void postbox(cairo_t* cr, const FrameInfo&) {
    // 44 × 72: a yellow letterbox on a post
    box(cr, 18, 36, 8, 36, 2, pal::wood_dark, 2);
    box(cr, 4, 8, 36, 32, 8, hex(0xf2c11c), 2);
    box(cr, 10, 16, 24, 4, 2, pal::outline, 1, false);
    blob(cr, 22, 30, 5, 5, hex(0x222222), 1.5, false);
    stick(cr, 42, 10, 42, 24, 2, pal::red_paint, 1);
}

// ---------------------------------------------------------------- pumpkin

// The carved features of each stage (x, y, w, h in the cell), in carving order.
struct Feature {
    double x, y, w, h;
};
constexpr Feature pumpkin_features[6] = {
    {0, 0, 100, 38}, {57, 42, 15, 13}, {26, 42, 16, 12}, {35, 63, 27, 19}, {37, 48, 24, 22}, {37, 29, 24, 20},
};

void pumpkin_body(cairo_t* cr, int carved, double progress, bool lit) {
    // 100 × 90; carved features 1..5 and the lid (0)
    const Col skin = pal::pumpkin;
    ellipse_path(cr, 50, 51, 48, 38);
    styled(cr, skin, 2);
    for (double rx : {30.0, 14.0}) {
        ellipse_path(cr, 50, 51, rx, 38);
        set_col(cr, darker(skin, 0.3));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    highlight(cr, 30, 28, 14, 8);
    const Col hole = lit ? hex(0xffd040) : hex(0x4a1c04);
    auto feature = [&](int k, double amount) {
        if (amount <= 0) return;
        const Feature ft = pumpkin_features[k];
        const double cx = ft.x + ft.w / 2, cy = ft.y + ft.h / 2;
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, amount, amount);
        switch (k) {
        case 1:
        case 2: {  // eyes: triangles
            const double xy[] = {-ft.w / 2, ft.h / 2, ft.w / 2, ft.h / 2, 0, -ft.h / 2};
            poly_path(cr, xy, 3);
            break;
        }
        case 3: {  // grin with teeth
            cairo_move_to(cr, -ft.w / 2 - 4, -ft.h / 2);
            cairo_curve_to(cr, -6, -2, 6, -2, ft.w / 2 + 4, -ft.h / 2);
            cairo_curve_to(cr, 8, ft.h / 2 + 2, -8, ft.h / 2 + 2, -ft.w / 2 - 4, -ft.h / 2);
            cairo_close_path(cr);
            break;
        }
        case 4: {  // nose
            const double xy[] = {-5, 4, 5, 4, 0, -5};
            poly_path(cr, xy, 3);
            break;
        }
        case 5: {  // a star on the forehead
            for (int j = 0; j < 10; ++j) {
                const double rr = j % 2 ? 3.5 : 9;
                cairo_line_to(cr, rr * std::sin(j * M_PI / 5), -rr * std::cos(j * M_PI / 5));
            }
            cairo_close_path(cr);
            break;
        }
        default:
            break;
        }
        cairo_restore(cr);
        styled(cr, hole, 1.5);
    };
    for (int k = 1; k <= 5; ++k) feature(k, k < carved ? 1.0 : k == carved ? progress : 0.0);
    // chalk marks show where the next cut goes
    if (carved < 6 && progress >= 1 && carved >= 0) {
        const int next = carved + 1;
        if (next >= 1 && next <= 5) {
            const Feature ft = pumpkin_features[next];
            ellipse_path(cr, ft.x + ft.w / 2, ft.y + ft.h / 2, ft.w / 2 + 1, ft.h / 2 + 1);
            set_col(cr, hex(0xfff4d0), 0.9);
            cairo_set_line_width(cr, 1.5);
            const double dash[] = {3, 2};
            cairo_set_dash(cr, dash, 2, 0);
            cairo_stroke(cr);
            cairo_set_dash(cr, nullptr, 0, 0);
        }
    }
}

void lid(cairo_t* cr, double dx, double dy, double rot) {
    cairo_save(cr);
    cairo_translate(cr, 50 + dx, 18 + dy);
    cairo_rotate(cr, rot);
    cairo_move_to(cr, -26, 4);
    cairo_curve_to(cr, -20, -10, 20, -10, 26, 4);
    cairo_close_path(cr);
    styled(cr, lighter(pal::pumpkin, 0.05), 2);
    box(cr, -3, -16, 7, 12, 2, hex(0x5b7a2a), 1.5, false);
    cairo_restore(cr);
}

DrawFn pumpkin_stage(int stage) {
    // stage k (1..6) plays the change from k - 1 carved features to k
    return [stage](cairo_t* cr, const FrameInfo& f) {
        const double t = f.t;
        if (stage == 1) {
            pumpkin_body(cr, t > 0.6 ? 0 : -1, 1, false);
            const double fly = ease(t);
            lid(cr, 60 * fly, -10 * std::sin(fly * M_PI) - 30 * fly * fly * 0, fly * 2.5);
            if (t > 0 && t < 0.5) splinters(cr, 50, 22, t * 2, pal::pumpkin);
            return;
        }
        if (f.i == 0) {
            // the resting picture of the stage before: the last cut done, a chalk mark where
            // the next goes (the shot that counts lands there)
            pumpkin_body(cr, stage - 2, 1, false);
            return;
        }
        const bool lit = stage == 6 && t > 0.5;
        pumpkin_body(cr, stage - 1, ease(span(t, 0.1, 0.7)), lit);
        if (stage - 1 >= 1 && stage - 1 <= 5) {
            const Feature ft = pumpkin_features[stage - 1];
            splinters(cr, ft.x + ft.w / 2, ft.y + ft.h / 2, t, pal::pumpkin, 5);
        }
        if (stage == 6 && t > 0.5) highlight(cr, 50, 55, 34, 24, 0.2 + 0.1 * std::sin(f.i * 1.3));
    };
}

// ---------------------------------------------------------------- box and key

void xbox(cairo_t* cr, const FrameInfo& f, bool with_key) {
    // 40 × 44: a riveted iron chest; the lid (hinged at the back) opens
    const double open = ease(span(f.t, 0.3, 1.0));
    box(cr, 0, 16, 34, 26, 3, pal::metal_dark, 2);
    for (double rx : {4.0, 30.0}) blob(cr, rx, 20, 1.5, 1.5, pal::metal, 1, false);
    if (!with_key) {  // the lock is shot off and tumbles away
        const double hit = span(f.t, 0, 0.35);
        if (hit < 1) {
            cairo_save(cr);
            cairo_translate(cr, 17 - hit * 12, 23 + hit * hit * 22);
            cairo_rotate(cr, -hit * 4);
            box(cr, -5, -5, 10, 10, 2, hex(0xd4a52a), 1.5, false);
            cairo_restore(cr);
        }
    } else {
        box(cr, 12, 18, 10, 10, 2, hex(0xd4a52a), 1.5, false);
        stick(cr, 17, 22, 17 + 10 * (1 - open), 22 - 6 * (1 - open), 2, hex(0xe8c040), 1);
    }
    cairo_save(cr);
    cairo_translate(cr, 34, 16);
    cairo_rotate(cr, -open * 1.9);
    box(cr, -34, -10, 34, 12, 3, pal::metal, 2);
    cairo_restore(cr);
    if (open > 0.5) highlight(cr, 17, 14, 16, 6, 0.5 * open);
}

void key_art(cairo_t* cr, const FrameInfo& f) {
    // 44 × 26: a golden key turning in the light
    const double c = std::cos(f.i * 2 * M_PI / f.n);
    cairo_save(cr);
    cairo_translate(cr, 22, 13);
    cairo_scale(cr, 0.35 + 0.65 * std::abs(c), 1);
    const Col gold = hex(0xf0c030);
    ellipse_path(cr, -12, 0, 8, 8);
    ellipse_path(cr, -12, 0, 3.5, 3.5);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    styled(cr, gold, 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    box(cr, -4, -2.5, 24, 5, 1, gold, 1.5, false);
    box(cr, 12, 2, 4, 6, 1, gold, 1.5, false);
    box(cr, 17, 2, 3, 5, 1, gold, 1.5, false);
    cairo_restore(cr);
    if (f.i % 5 == 0) stars(cr, 22, 8, 14, f.i);
}

// ---------------------------------------------------------------- snail and apple

void snail_body(cairo_t* cr, double stretch, double head_up, double mouth, Eyes eyes, double shell_tilt,
                double retract) {
    // 76 × 64, facing right, tail box x 0..25 y 26..62
    const Col skin = hex(0xc9d36a);
    const double head_x = 62 + stretch * 6 - retract * 30;
    cairo_move_to(cr, 2, 60);
    cairo_curve_to(cr, 4, 46, 30, 44, head_x - 8, 44);
    cairo_curve_to(cr, head_x + 8, 40 - head_up * 4, head_x + 12, 56, head_x + 6, 61);
    cairo_line_to(cr, 4, 62);
    cairo_close_path(cr);
    styled(cr, skin, 2);
    highlight(cr, 20, 50, 12, 3);
    if (retract < 0.8) {
        // eye stalks
        for (int k = 0; k < 2; ++k) {
            const double bx = head_x - 2 + k * 5, tx = bx + 4 + k * 3, ty = 24 - head_up * 6 + k * 2;
            stick(cr, bx, 44, tx, ty, 3, skin, 1);
            cairo_save(cr);
            cairo_translate(cr, tx, ty);
            ellipse_path(cr, 0, 0, 4.5, 4.5);
            styled(cr, pal::eye_white, 1.2);
            if (eyes == Eyes::crossed) {
                set_col(cr, pal::outline);
                cairo_set_line_width(cr, 1.2);
                cairo_move_to(cr, -2.5, -2.5);
                cairo_line_to(cr, 2.5, 2.5);
                cairo_move_to(cr, 2.5, -2.5);
                cairo_line_to(cr, -2.5, 2.5);
                cairo_stroke(cr);
            } else {
                blob(cr, 1.2, 0.5, 2, 2, pal::outline, 0.5, false);
            }
            cairo_restore(cr);
        }
        // smile or open mouth
        cairo_move_to(cr, head_x, 52);
        cairo_curve_to(cr, head_x + 3, 54 + mouth * 5, head_x + 6, 54 + mouth * 5, head_x + 8, 51);
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    // the shell, a spiral
    cairo_save(cr);
    cairo_translate(cr, 32, 34);
    cairo_rotate(cr, shell_tilt);
    blob(cr, 0, 0, 20, 19, hex(0xc4743a), 2);
    set_col(cr, hex(0x6b3a18));
    cairo_set_line_width(cr, 2);
    for (double a = 0, r = 2; a < 5 * M_PI; a += 0.2, r += 0.19)
        cairo_line_to(cr, r * std::cos(a), r * std::sin(a));
    cairo_stroke(cr);
    cairo_restore(cr);
}

void dust(cairo_t* cr, double x, double y, double t) {
    if (t <= 0 || t >= 1) return;
    for (int k = 0; k < 3; ++k) blob(cr, x - 6 * k * t, y - 4 * k * t, 3 + 5 * t, 2 + 4 * t, hex(0xd8c8a8), 1, false);
}

void apple(cairo_t* cr, int bites, double bite_progress) {
    // 34 × 34: an apple, each bite takes a round piece from the left
    cairo_save(cr);
    ellipse_path(cr, 17, 20, 13, 12);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    const int total = bites + (bite_progress > 0.5 ? 1 : 0);
    for (int k = 0; k < total && k < 4; ++k) ellipse_path(cr, 2 + k * 5, 14 + (k % 2) * 10, 7, 7);
    styled(cr, hex(0xd8362a), 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    highlight(cr, 20, 14, 5, 3);
    stick(cr, 17, 9, 19, 3, 2, pal::wood_dark, 1);
    cairo_move_to(cr, 19, 5);
    cairo_curve_to(cr, 24, 0, 29, 3, 28, 6);
    cairo_curve_to(cr, 25, 8, 21, 7, 19, 5);
    styled(cr, pal::leaf, 1);
    cairo_restore(cr);
}

// ---------------------------------------------------------------- cards and hedgehogs

const char* card_values[8] = {"7", "8", "9", "10", "B", "D", "K", "A"};

void card_face(cairo_t* cr, int face, double w, double h) {
    box(cr, 1, 1, w - 2, h - 2, w * 0.12, hex(0xfffdf6), 1.5, false);
    const int suit = face / 8;
    const Col c = suit < 2 ? hex(0xd02a20) : hex(0x202020);
    draw_label(cr, card_values[face % 8], w * 0.3, h * 0.36, h * 0.3, c, 0, true);
    // suit symbol in the middle
    const double cx = w * 0.55, cy = h * 0.66, r = w * 0.18;
    switch (suit) {
    case 0:  // hearts
        cairo_move_to(cr, cx, cy + r);
        cairo_curve_to(cr, cx - 2 * r, cy - 0.2 * r, cx - 0.6 * r, cy - 1.5 * r, cx, cy - 0.5 * r);
        cairo_curve_to(cr, cx + 0.6 * r, cy - 1.5 * r, cx + 2 * r, cy - 0.2 * r, cx, cy + r);
        break;
    case 1: {  // diamonds
        const double xy[] = {cx, cy - 1.3 * r, cx + r, cy, cx, cy + 1.3 * r, cx - r, cy};
        poly_path(cr, xy, 4);
        break;
    }
    case 2:  // clubs
        ellipse_path(cr, cx, cy - 0.6 * r, 0.55 * r, 0.55 * r);
        ellipse_path(cr, cx - 0.6 * r, cy + 0.1 * r, 0.55 * r, 0.55 * r);
        ellipse_path(cr, cx + 0.6 * r, cy + 0.1 * r, 0.55 * r, 0.55 * r);
        rrect_path(cr, cx - 0.15 * r, cy, 0.3 * r, 1.1 * r, 0.1);
        break;
    default:  // spades
        cairo_move_to(cr, cx, cy - 1.2 * r);
        cairo_curve_to(cr, cx + 2 * r, cy, cx + 0.6 * r, cy + 1.2 * r, cx, cy + 0.4 * r);
        cairo_curve_to(cr, cx - 0.6 * r, cy + 1.2 * r, cx - 2 * r, cy, cx, cy - 1.2 * r);
        rrect_path(cr, cx - 0.15 * r, cy, 0.3 * r, 1.1 * r, 0.1);
        break;
    }
    set_col(cr, c);
    cairo_fill(cr);
}

Art cards(int w, int h) {
    return {w, h, Format::bmp24, [w, h](cairo_t* cr, const FrameInfo& f) { card_face(cr, f.i, w, h); }};
}

void card_back(cairo_t* cr, double w, double h, double turn) {
    const double c = std::cos(turn * M_PI / 2);
    const double cw = std::max(3.0, (w - 2) * c);
    box(cr, (w - cw) / 2, 1, cw, h - 2, 4, hex(0x2c5fb0), 1.5, false);
    if (cw > 10) {
        rrect_path(cr, (w - cw) / 2 + 4, 5, cw - 8, h - 10, 3);
        set_col(cr, hex(0xffffff), 0.8);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

void hedgehog(cairo_t* cr, double x, double y, bool face_right, double arm, Eyes eyes, double hold_cards) {
    // a hedgehog sitting, about 54 × 54, origin at its top left
    cairo_save(cr);
    cairo_translate(cr, x + 27, y);
    if (face_right) cairo_scale(cr, -1, 1);
    // spikes
    cairo_move_to(cr, 22, 50);
    for (int k = 0; k <= 12; ++k) {
        const double a = M_PI * 0.1 + k * M_PI * 0.9 / 12;
        const double r = k % 2 ? 20 : 28;
        cairo_line_to(cr, 4 + r * std::cos(a), 28 - r * std::sin(a));
    }
    cairo_line_to(cr, -20, 50);
    cairo_close_path(cr);
    styled(cr, hex(0x6b4a30), 2);
    // face and belly
    blob(cr, -8, 32, 16, 19, hex(0xe8c89a), 2);
    blob(cr, -22, 30, 5, 4, pal::outline, 1, false);  // nose
    cairo_save(cr);
    cairo_translate(cr, -12, 22);
    ellipse_path(cr, 0, 0, 4.5, 5);
    styled(cr, pal::eye_white, 1.2);
    if (eyes == Eyes::crossed) {
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, 1.2);
        cairo_move_to(cr, -3, -3);
        cairo_line_to(cr, 3, 3);
        cairo_move_to(cr, 3, -3);
        cairo_line_to(cr, -3, 3);
        cairo_stroke(cr);
    } else if (eyes == Eyes::closed) {
        stick(cr, -3, 0, 3, 0, 1, pal::outline, 0.3);
    } else {
        blob(cr, -1.5, 0.5, 2, 2.2, pal::outline, 0.5, false);
    }
    cairo_restore(cr);
    // arm holding cards
    if (hold_cards > 0) {
        for (int k = 0; k < 3; ++k) {
            cairo_save(cr);
            cairo_translate(cr, -20 - arm * 6, 36 - arm * 10);
            cairo_rotate(cr, -0.4 + k * 0.3);
            box(cr, -4, -16, 10, 15, 2, k == 1 ? hex(0xfffdf6) : hex(0xf4efe0), 1, false);
            cairo_restore(cr);
        }
    }
    blob(cr, -18 - arm * 6, 38 - arm * 10, 5, 4, hex(0xe8c89a), 1.5, false);
    cairo_restore(cr);
}

DrawFn hedgehog_anim(bool right) {
    return [right](cairo_t* cr, const FrameInfo& f) {
        // frames: looking at cards, peeking, playing a card, scratching
        const double ph = f.i * 2 * M_PI / f.n;
        const double arm = 0.5 + 0.5 * std::sin(ph * 2);
        const Eyes eyes = (f.i % 11 == 5) ? Eyes::closed : Eyes::open;
        hedgehog(cr, right ? 10 : 0, 4 + std::sin(ph * 3) * 1.5, !right, arm, eyes, 1);
    };
}

void card_table(cairo_t* cr, double fly) {
    // 170 × 80: a round tree-stump table with a cloth; cards on it
    box(cr, 70, 40, 30, 38, 4, pal::wood_dark, 2);
    ellipse_path(cr, 85, 36, 82, 14);
    styled(cr, hex(0x3d8a3d), 2);
    highlight(cr, 60, 30, 30, 5);
    Rng rng(5);
    for (int k = 0; k < 5; ++k) {
        const double dx = rng.range(-50, 50), dy = rng.range(-5, 3);
        cairo_save(cr);
        cairo_translate(cr, 85 + dx + dx * fly * 1.2, 34 + dy - 60 * fly * std::sin(k + 1.0) * (1 - fly * 0.6));
        cairo_rotate(cr, k * 0.7 + fly * 5 * (k % 2 ? 1 : -1));
        box(cr, -6, -4, 12, 8, 1.5, hex(0xfffdf6), 1, false);
        cairo_restore(cr);
    }
}

// ---------------------------------------------------------------- tree face

void tree_face(cairo_t* cr, double mood, double mouth_open, int frame) {
    // 100 × 110: a face in the bark of the trunk (same bark colour, no edge); mood -1 upset .. 1 laughing
    ellipse_path(cr, 50, 55, 46, 52);
    set_col(cr, hex(0x8a5a32));
    cairo_fill(cr);
    set_col(cr, hex(0x6b4426));
    cairo_set_line_width(cr, 2);
    for (int k = 0; k < 5; ++k) {
        cairo_move_to(cr, 14 + k * 18, 10 + (k % 2) * 6);
        cairo_curve_to(cr, 10 + k * 18, 40, 18 + k * 18, 70, 12 + k * 18, 104);
    }
    cairo_stroke(cr);
    // eyes under brows
    for (int side = -1; side <= 1; side += 2) {
        const double ex = 50 + side * 17, ey = 42;
        if (mood > 0.6 && mouth_open > 0.5) {
            cairo_arc(cr, ex, ey + 2, 7, M_PI, 2 * M_PI);  // squeezed with laughter
            set_col(cr, pal::outline);
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
        } else {
            blob(cr, ex, ey, 9, 10, pal::eye_white, 2, false);
            blob(cr, ex - side * 1.5 + (frame % 7 == 3 ? 3 : 0), ey + 2, 4, 4.5, pal::outline, 0.5, false);
        }
        // brow: slanting in when upset, raised when happy
        const double tilt = -mood * 5;
        stick(cr, ex - 10, ey - 14 - side * tilt * (mood < 0 ? 1 : -0.3), ex + 10, ey - 14 + side * tilt, 4,
              hex(0x4a2c14), 0.5);
    }
    // mouth
    if (mood < 0) {
        cairo_move_to(cr, 32, 82);
        cairo_curve_to(cr, 42, 70 + frame % 3, 58, 70 - frame % 2, 68, 82);
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, 3.5);
        cairo_stroke(cr);
    } else {
        cairo_move_to(cr, 28, 70);
        cairo_curve_to(cr, 40, 80 + mouth_open * 18, 60, 80 + mouth_open * 18, 72, 70);
        cairo_curve_to(cr, 60, 76, 40, 76, 28, 70);
        cairo_close_path(cr);
        styled(cr, hex(0x5a1a10), 2);
        if (mouth_open > 0.3) blob(cr, 50, 82 + mouth_open * 6, 8, 4 * mouth_open, hex(0xe06070), 1, false);
    }
}

// ---------------------------------------------------------------- shells, particles, bee

void shell(cairo_t* cr, double cx, double cy, double angle, double scale) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_scale(cr, scale, scale);
    box(cr, -6, -22, 12, 34, 3, hex(0xd0302a), 1.5);
    box(cr, -7, 10, 14, 10, 2, hex(0xd8a838), 1.5);
    cairo_restore(cr);
}

void particle(cairo_t* cr, const FrameInfo& f) {
    // 12 × 12: wood chip, spark, dirt, leaf, feather, stone chip
    switch (f.i % 6) {
    case 0:
        box(cr, 1, 4, 10, 4, 1, pal::wood, 1, false);
        break;
    case 1:
        blob(cr, 6, 6, 4, 4, hex(0xfff070), 1, false);
        break;
    case 2:
        blob(cr, 6, 6, 4, 3, hex(0x7a5a3a), 1, false);
        break;
    case 3:
        blob(cr, 6, 6, 5, 2.5, pal::leaf, 1, false);
        break;
    case 4:
        blob(cr, 6, 6, 5, 2, pal::chicken_white, 1, false);
        break;
    default:
        blob(cr, 6, 6, 3.5, 3.5, pal::stone, 1, false);
        break;
    }
}

void bee(cairo_t* cr, const FrameInfo&) {
    // 12 × 10
    blob(cr, 4, 2.5, 3, 2.2, hex(0xe8f4ff), 0.8, false);
    ellipse_path(cr, 6, 6, 5, 3.5);
    styled(cr, hex(0xffc820), 1);
    stick(cr, 5, 3, 5, 9, 1.3, pal::outline, 0);
    stick(cr, 8, 3, 8, 9, 1.3, pal::outline, 0);
}

// ---------------------------------------------------------------- megagun parts

void weapon(cairo_t* cr, const FrameInfo&) {
    // 220 × 150: a home-made cannon on a cart
    box(cr, 10, 90, 190, 34, 10, hex(0x5a8a3a), 2);
    for (double wx : {40.0, 170.0}) {
        blob(cr, wx, 124, 22, 22, hex(0x4a4a4a), 2, false);
        blob(cr, wx, 124, 8, 8, pal::metal, 1.5, false);
    }
    box(cr, 60, 40, 110, 56, 12, hex(0x7a8c99), 2);
    for (int k = 0; k < 5; ++k) blob(cr, 70 + k * 22, 46, 2.5, 2.5, pal::metal_dark, 1, false);
    draw_label(cr, "MEGA", 115, 80, 24, hex(0xffd040), 2);
}

void gun_barrel(cairo_t* cr, const FrameInfo& f) {
    // 120 × 40: three barrels that turn
    box(cr, 0, 6, 110, 28, 8, pal::metal_dark, 2);
    for (int k = 0; k < 3; ++k) {
        const double y = 12 + ((k + f.i) % 3) * 8;
        box(cr, 4, y - 3, 112, 6, 3, lighter(pal::metal, 0.1 * k), 1.2, false);
    }
}

void bullets(cairo_t* cr, const FrameInfo& f) {
    // 80 × 30: an ammunition belt moving on
    for (int k = -1; k < 7; ++k) {
        const double x = k * 12 + f.i * 4;
        box(cr, x, 6, 8, 18, 3, hex(0xd8a838), 1.2, false);
    }
}

void fire(cairo_t* cr, const FrameInfo&) {
    // 70 × 50: muzzle flash
    cairo_move_to(cr, 0, 25);
    for (int k = 0; k <= 12; ++k) {
        const double a = -M_PI / 2 + k * M_PI / 12;
        const double r = k % 2 ? 18 : 34;
        cairo_line_to(cr, 8 + r * std::cos(a) * 1.6, 25 + r * std::sin(a) * 0.7);
    }
    cairo_close_path(cr);
    styled(cr, hex(0xffb020), 2);
    blob(cr, 22, 25, 12, 8, hex(0xfff4a0), 1, false);
}

void pluesch(cairo_t* cr, const FrameInfo& f) {
    // 44 × 50: a plush chicken mascot wobbling on a spring
    stick(cr, 22, 50, 22, 34, 3, pal::metal, 1);
    ChickenPose p;
    p.scale = 0.3;
    p.x = 22;
    p.y = 22;
    p.white = true;
    p.tilt = (f.i - 1) * 0.25;
    p.eyes = Eyes::happy;
    p.legs = Legs::none;
    draw_chicken(cr, p);
}

void rocket(cairo_t* cr, const FrameInfo& f) {
    // 60 × 24: a small rocket with a flickering flame
    blob(cr, 8, 12, 8 + f.i * 2, 5, hex(0xffa020), 1, false);
    box(cr, 12, 5, 36, 14, 6, hex(0xe8e8f0), 1.5);
    cairo_move_to(cr, 48, 5);
    cairo_line_to(cr, 58, 12);
    cairo_line_to(cr, 48, 19);
    cairo_close_path(cr);
    styled(cr, pal::red_paint, 1.5);
}

void radar(cairo_t* cr, const FrameInfo& f) {
    // 50 × 40: a little screen with a sweeping line
    box(cr, 1, 1, 48, 38, 6, hex(0x555f66), 2);
    rrect_path(cr, 6, 6, 38, 28, 4);
    set_col(cr, hex(0x1a4a2a));
    cairo_fill(cr);
    const double a = f.i * M_PI / 2;
    stick(cr, 25, 20, 25 + 14 * std::cos(a), 20 + 11 * std::sin(a), 2, hex(0x80ff80), 0);
}

void arrowspin(cairo_t* cr, const FrameInfo& f) {
    // 40 × 40: a spinning arrow dial
    blob(cr, 20, 20, 18, 18, hex(0xfff4d0), 2, false);
    const double a = f.i * 2 * M_PI / f.n;
    stick(cr, 20, 20, 20 + 13 * std::cos(a), 20 + 13 * std::sin(a), 3, pal::red_paint, 1);
    blob(cr, 20, 20, 3, 3, pal::outline, 1, false);
}

}  // namespace

void add_scene1_art(ArtTable& t) {
    t[g + "gate"] = {110, 95, Format::bmp8, gate};
    t[g + "postbox"] = {44, 72, Format::bmp8, postbox};
    t[g + "sign"] = {80, 120, Format::bmp24, sign_board};
    for (int k = 1; k <= 6; ++k) t[g + "pumpkin" + std::to_string(k)] = {100, 90, Format::bmp8, pumpkin_stage(k)};
    t[g + "xbox1"] = {40, 44, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) { xbox(cr, f, false); }};
    t[g + "xbox2"] = {40, 44, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) { xbox(cr, f, true); }};
    t[g + "key"] = {44, 26, Format::bmp24, key_art};
    t[g + "particle"] = {12, 12, Format::bmp24, particle};
    t[g + "bee"] = {12, 10, Format::bmp24, bee};

    t[g + "snailzero"] = {76, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              snail_body(cr, 0, std::sin(f.i * M_PI / 2) * 0.5, 0, Eyes::open, 0, 0);
                          }};
    t[g + "snail_die"] = {76, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              const double r = ease(span(f.t, 0.2, 0.7));
                              snail_body(cr, 0, 0, 1, Eyes::crossed, span(f.t, 0.6, 1.0) * 0.5, r);
                              stars(cr, 34, 12, 16, f.i * 0.8);
                          }};
    t[g + "snail_eat"] = {76, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              const double chew = std::abs(std::sin(f.i * M_PI / 5));
                              snail_body(cr, 0.2 + chew * 0.4, 0.4, chew, Eyes::open, 0, 0);
                          }};
    for (int big = 0; big < 2; ++big)
        t[g + (big ? "snailshoot_big" : "snailshoot_small")] = {
            76, 64, Format::bmp8, [big](cairo_t* cr, const FrameInfo& f) {
                const double push = std::sin(f.t * M_PI) * (big ? 1.0 : 0.5);
                snail_body(cr, push, push, push, f.t < 0.5 ? Eyes::open : Eyes::open, push * 0.2, 0);
                dust(cr, 4, 58, f.t);
            }};
    const char* apple_names[4] = {"applea", "appleb", "applec", "appled"};
    for (int k = 0; k < 4; ++k)
        t[g + apple_names[k]] = {34, 34, Format::bmp8, [k](cairo_t* cr, const FrameInfo& f) { apple(cr, k, f.t); }};
    t[g + "appleshoot"] = {34, 34, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                               if (f.i == 0) apple(cr, 0, 0);
                               splinters(cr, 17, 20, 0.3 + f.t * 0.6, hex(0xf0e0a0), 7);
                               splinters(cr, 17, 20, 0.2 + f.t * 0.6, hex(0xd8362a), 5);
                           }};

    t[g + "cardsfront"] = cards(40, 56);
    t[g + "cardsfrontm"] = cards(30, 42);
    t[g + "cardsfronts"] = cards(20, 28);
    t[g + "cardturns"] = {40, 56, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) { card_back(cr, 40, 56, f.t); }};
    t[g + "hedgehoges_l"] = {56, 60, Format::bmp8, hedgehog_anim(false)};
    t[g + "hedgehoges_r"] = {66, 60, Format::bmp8, hedgehog_anim(true)};
    t[g + "hedgehoges_t"] = {170, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo&) { card_table(cr, 0); }};
    t[g + "hedges_shoot"] = {170, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { card_table(cr, f.t); }};

    t[g + "tree_upset"] = {100, 110, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                               tree_face(cr, -1, 0, f.i);
                           }};
    t[g + "tree_smile"] = {100, 110, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                               tree_face(cr, -1 + 2 * f.t, 0.3 * f.t, f.i);
                           }};
    t[g + "tree_laugh"] = {100, 110, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                               tree_face(cr, 1, f.i % 2 ? 1.0 : 0.6, f.i);
                           }};

    t[g + "shell1"] = {28, 28, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                           shell(cr, 14, 14, f.i * 2 * M_PI / 7, 0.6);
                       }};
    t[g + "shell1_initial"] = {20, 46, Format::bmp24, [](cairo_t* cr, const FrameInfo&) { shell(cr, 10, 24, 0, 0.95); }};

    t[g + "weapon"] = {220, 150, Format::bmp8, weapon};
    t[g + "barrel"] = {120, 40, Format::bmp8, gun_barrel};
    t[g + "bullets"] = {80, 30, Format::bmp8, bullets};
    t[g + "fire"] = {70, 50, Format::bmp8, fire};
    t[g + "pluesch"] = {44, 50, Format::bmp8, pluesch};
    t[g + "rocket"] = {60, 24, Format::bmp8, rocket};
    t[g + "screen"] = {50, 40, Format::bmp8, radar};
    t[g + "arrowspin"] = {40, 40, Format::bmp8, arrowspin};

    add_scene1_characters(t);
}

}  // namespace makedata
