// SPDX-License-Identifier: GPL-3.0-or-later
// The characters of the first scene: chickens hiding in flowers, stoves, barrels, the car, the
// lake and the outhouse, and their props.
#include <cmath>
#include <string>

#include "tools/makedata/art.h"

namespace makedata {

namespace {

const std::string g = "data\\gfx\\";

void clip_above(cairo_t* cr, double y) {
    cairo_rectangle(cr, -2000, -2000, 5000, y + 2000);
    cairo_clip(cr);
}

ChickenPose pose_at(double x, double y, double scale, Eyes eyes = Eyes::open) {
    ChickenPose p;
    p.x = x;
    p.y = y;
    p.scale = scale;
    p.eyes = eyes;
    p.legs = Legs::none;
    return p;
}

void stars_ring(cairo_t* cr, double x, double y, double r, double phase) {
    for (int k = 0; k < 3; ++k) {
        const double a = phase + k * 2.1;
        blob(cr, x + r * std::cos(a), y + r * 0.35 * std::sin(a), 3, 3, hex(0xffe040), 1, false);
    }
}

// ---------------------------------------------------------------- flower (60 × 80, depth 0)

void flower_pot(cairo_t* cr) {
    // a clump of grass and leaves the chicken hides in, rows 56..80
    for (int k = 0; k < 7; ++k) {
        const double x = 6 + k * 8;
        cairo_move_to(cr, x - 4, 80);
        cairo_curve_to(cr, x - 2, 66, x + 2 * (k % 3 - 1), 58, x + 4 * (k % 2 ? 1 : -1), 52 + (k % 3) * 3);
        cairo_curve_to(cr, x + 2, 64, x + 4, 72, x + 4, 80);
        cairo_close_path(cr);
        styled(cr, k % 2 ? pal::grass : pal::grass_dark, 1.5);
    }
}

void flower_chicken(cairo_t* cr, double rise, Eyes eyes, double petals_off, double tilt) {
    cairo_save(cr);
    clip_above(cr, 66);
    const double y = 66 - rise * 46;
    // stem
    stick(cr, 30, y + 8, 30, 80, 4, pal::leaf, 1.2);
    cairo_save(cr);
    cairo_translate(cr, 30, y);
    cairo_rotate(cr, tilt);
    // petals around the chicken's face
    for (int k = 0; k < 10; ++k) {
        const double a = k * M_PI / 5;
        const double fall = petals_off * (k % 3 + 1) * 8;
        cairo_save(cr);
        cairo_translate(cr, 15 * std::cos(a), 15 * std::sin(a) + fall);
        cairo_rotate(cr, a + petals_off * k);
        ellipse_path(cr, 4, 0, 8, 4.5);
        styled(cr, hex(0xffd23a), 1.2);
        cairo_restore(cr);
    }
    cairo_restore(cr);
    draw_chicken_head(cr, 31, y + 1, 0.5, false, eyes, eyes == Eyes::crossed ? 0.8 : 0);
    cairo_restore(cr);
    flower_pot(cr);
}

// ---------------------------------------------------------------- stove (90 × 90)

void stove(cairo_t* cr, double door_open, double glow, int chicken /*0 none, 1 raw, 2 roast*/, double chicken_out) {
    // a cast-iron stove on legs; door x 18..62, y 40..74; the knob at 72, 50
    const Col iron = hex(0x3c4248);
    stick(cr, 14, 78, 12, 89, 4, iron, 1);
    stick(cr, 70, 78, 72, 89, 4, iron, 1);
    box(cr, 4, 26, 80, 54, 6, iron, 2);
    box(cr, 0, 20, 88, 10, 3, lighter(iron, 0.1), 2);
    box(cr, 54, 0, 12, 22, 2, iron, 2);  // stovepipe
    rrect_path(cr, 18, 40, 44, 34, 4);
    set_col(cr, mix(hex(0x1a0a04), hex(0xff8020), glow));
    cairo_fill(cr);
    if (chicken > 0) {
        const double y = 62 - chicken_out * 16;
        ChickenPose p = pose_at(40, y, 0.3, chicken == 2 ? Eyes::happy : Eyes::shocked);
        if (chicken == 2) {
            p.white = false;
            p.squash = 0.1;
        }
        cairo_save(cr);
        rrect_path(cr, 18, 40, 44, 34, 4);
        if (chicken_out > 0.5) {
            cairo_new_path(cr);
            cairo_rectangle(cr, 0, 0, 90, 90);
        }
        cairo_clip(cr);
        draw_chicken(cr, p);
        if (chicken == 2) {  // roasted: golden brown with steam
            for (int k = 0; k < 3; ++k) {
                cairo_move_to(cr, 32 + k * 8, y - 10);
                cairo_curve_to(cr, 28 + k * 8, y - 16, 36 + k * 8, y - 20, 32 + k * 8, y - 26);
            }
            set_col(cr, hex(0xffffff), 0.8);
            cairo_set_line_width(cr, 2);
            cairo_stroke(cr);
        }
        cairo_restore(cr);
    }
    // the door swings down on its bottom hinge
    const double h = 34 * std::cos(door_open * 1.45);
    if (h > 1) {
        box(cr, 18, 74 - h, 44, h, 4, lighter(iron, 0.15), 2, false);
        if (h > 12) blob(cr, 40, 74 - h + 6, 6, 2, hex(0xc0c4c8), 1, false);
    } else {
        box(cr, 18, 74, 44, 4, 2, lighter(iron, 0.15), 1.5, false);
    }
    blob(cr, 72, 50, 5, 5, hex(0xc8a040), 1.5, false);  // the knob
    blob(cr, 72, 64, 4, 4, hex(0xc8a040), 1.5, false);
    highlight(cr, 24, 30, 20, 4, 0.3);
}

// ---------------------------------------------------------------- front (140 × 200, depth 0)


// Seen from the front, rising from the bottom edge of the screen; the board with the picture
// is held at x 35..105, y 6..66 of the cell (where "front_cards" is drawn). Knocking, the near
// wing is raised in front of the body and taps the glass once a loop, on the loop's first frame.
void front_chicken(cairo_t* cr, double rise, double arm, Eyes eyes, double beak, bool knock, int knock_phase,
                   double board = 0) {
    const double y = 150 + (1 - rise) * 115;  // fully down, the comb still peeks over the edge
    draw_chicken_front(cr, 70, y, 1.05, eyes, beak, board > 0 ? 1 : 0, board > 0 ? 1 : 0);
    if (board > 0) {
        const double up = board;
        box(cr, 31, 2 + (1 - up) * 60, 78, 70, 6, hex(0xc8843a), 2.5);
        rrect_path(cr, 35, 6 + (1 - up) * 60, 70, 62, 4);
        set_col(cr, hex(0xfffdf0));
        cairo_fill(cr);
    }
    if (arm > 0 && board <= 0) {
        // how close the wing tip is to the glass: 1 on the tap
        static constexpr double reach[4] = {1.0, 0.45, 0.15, 0.6};
        const double near = knock ? reach[knock_phase % 4] : 0.3;
        const double sx = 34, sy = y - 8;                    // the shoulder
        const double tx = 30 - 8 * arm, ty = sy - 78 * arm;  // the wing tip beside the head
        const double len = std::hypot(tx - sx, ty - sy), width = 13 + 5 * near;
        cairo_save(cr);
        cairo_translate(cr, (sx + tx) / 2, (sy + ty) / 2);
        cairo_rotate(cr, std::atan2(ty - sy, tx - sx));
        cairo_scale(cr, 1 + 0.15 * near, 1 + 0.15 * near);
        ellipse_path(cr, 0, 0, len / 2 + 6, width);
        styled(cr, darker(pal::chicken_brown, 0.05), 2);
        for (int k = -1; k <= 1; ++k) {  // feather tips
            cairo_move_to(cr, len / 2 - 4, k * width * 0.45);
            cairo_line_to(cr, len / 2 + 4, k * width * 0.5);
        }
        set_col(cr, pal::outline);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        cairo_restore(cr);
        if (knock && knock_phase % 4 == 0)  // the tap on the glass
            for (int k = 0; k < 3; ++k) {
                const double a = -2.4 + k * 0.7;
                stick(cr, tx + 14 * std::cos(a), ty + 14 * std::sin(a), tx + 24 * std::cos(a), ty + 24 * std::sin(a), 2,
                      hex(0xffffff), 0.8);
            }
    }
}

void picture_card(cairo_t* cr, double x, double y, double w, double h, int kind) {
    box(cr, x, y, w, h, 5, hex(0xfffdf0), 2, false);
    const double cx = x + w / 2, cy = y + h / 2, r = std::min(w, h) * 0.3;
    switch (kind) {
    case 0:  // a sun (10)
        blob(cr, cx, cy, r, r, hex(0xffc020), 1.5, false);
        break;
    case 1:  // a heart (15)
        cairo_move_to(cr, cx, cy + r);
        cairo_curve_to(cr, cx - 2 * r, cy - 0.2 * r, cx - 0.6 * r, cy - 1.5 * r, cx, cy - 0.5 * r);
        cairo_curve_to(cr, cx + 0.6 * r, cy - 1.5 * r, cx + 2 * r, cy - 0.2 * r, cx, cy + r);
        styled(cr, pal::comb_red, 1.5);
        break;
    case 2:  // a clover (20)
        for (int k = 0; k < 3; ++k) blob(cr, cx + r * 0.5 * std::cos(k * 2.1 - 1.57), cy + r * 0.5 * std::sin(k * 2.1 - 1.57), r * 0.45, r * 0.45, pal::leaf, 1.2, false);
        break;
    case 3:  // an egg of gold (30)
        blob(cr, cx, cy, r * 0.75, r, hex(0xf0c030), 1.5);
        break;
    default:  // a fox (−50)
        cairo_move_to(cr, cx - r, cy - r);
        cairo_line_to(cr, cx - r * 0.4, cy - r * 0.2);
        cairo_line_to(cr, cx + r * 0.4, cy - r * 0.2);
        cairo_line_to(cr, cx + r, cy - r);
        cairo_line_to(cr, cx + r * 0.8, cy + r * 0.2);
        cairo_line_to(cr, cx, cy + r);
        cairo_line_to(cr, cx - r * 0.8, cy + r * 0.2);
        cairo_close_path(cr);
        styled(cr, hex(0xe06a20), 1.5);
        blob(cr, cx - r * 0.35, cy, 2, 2, pal::outline, 0.5, false);
        blob(cr, cx + r * 0.35, cy, 2, 2, pal::outline, 0.5, false);
        break;
    }
}

// ---------------------------------------------------------------- tupo (90 × 76, depth 2)

void sheep_rider(cairo_t* cr, double hop, double run, bool hit, double t) {
    // the rider's upper body lies above row 24, the sheep below
    const double y = -hop * 6;
    // legs
    for (int k = 0; k < 4; ++k) {
        const double lx = 26 + k * 12, sw = std::sin(run + k * 1.6) * 4;
        stick(cr, lx, 58 + y, lx + sw, 72 + y * 0.3, 4, hex(0x333333), 1);
    }
    // wool
    for (int k = 0; k < 7; ++k) blob(cr, 24 + (k % 4) * 12, 42 + (k / 4) * 10 + y, 10, 9, hex(0xf4f0e6), 1.5, false);
    blob(cr, 44, 48 + y, 26, 14, hex(0xf4f0e6), 2, true);
    // head
    blob(cr, 14, 44 + y, 9, 11, hex(0x3a3a3a), 2, false);
    if (hit) {
        stars_ring(cr, 14, 30 + y, 10, t * 6);
        stick(cr, 10, 42 + y, 14, 46 + y, 1.5, hex(0xffffff), 0);
        stick(cr, 14, 42 + y, 10, 46 + y, 1.5, hex(0xffffff), 0);
    } else {
        blob(cr, 11, 42 + y, 2.5, 2.5, pal::eye_white, 0.5, false);
    }
    // rider
    ChickenPose p = pose_at(46, 24 + y - hop * 3, 0.32, hit ? Eyes::shocked : Eyes::happy);
    p.wing = 0.6 * std::sin(run * 2);
    p.tilt = -0.1;
    draw_chicken(cr, p);
}

// ---------------------------------------------------------------- barrel chicken (60 × 50)

void drum_chicken(cairo_t* cr, double rise, Eyes eyes, double look) {
    // seen from the front; ducked, only its comb shows over the rim
    cairo_save(cr);
    clip_above(cr, 47);
    const double fs = 0.42;
    draw_chicken_front(cr, 31, 47 + 12 * fs + (1 - rise) * 64 * fs, fs, eyes, eyes == Eyes::crossed ? 1 : 0,
                       look > 0 ? 0.9 : 0, 0);
    cairo_restore(cr);
}

// ---------------------------------------------------------------- pan chicken (90 × 90)

// Facing us it holds the pan before its body like a shield; turned away it holds the pan up
// beside its head and admires itself in it.
void pan_chicken(cairo_t* cr, double face /*0 to us, 1 to pan*/, bool repel, Eyes eyes, double sink) {
    ChickenPose p = pose_at(40, 48 + sink * 40, 0.5, eyes);
    p.legs = Legs::standing;
    p.face_right = face > 0.5;
    p.look = face > 0.5 ? 0 : 0.6 - face;
    p.beak_open = repel ? 0.7 : 0;
    cairo_save(cr);
    clip_above(cr, 90);
    const double px = 40 + 34 * face, py = 62 - 34 * face + sink * 40;
    draw_chicken(cr, p);
    stick(cr, px + 4, py + 12, px + 2 - 14 * (1 - face), py + 30 - 6 * face, 4, hex(0x3a2a1a), 1);
    ellipse_path(cr, px, py, 15 - 3 * face, 15);
    styled(cr, hex(0x2e2e34), 2);
    highlight(cr, px - 4, py - 5, 5, 4, 0.5);
    if (repel) stars_ring(cr, px, py - 16, 12, 0.3);
    cairo_restore(cr);
}

// ---------------------------------------------------------------- cornfield (40 × 54, depth 2)

void corn_front(cairo_t* cr) {
    for (int k = 0; k < 5; ++k) {
        const double x = 3 + k * 8.5;
        stick(cr, x, 54, x + (k % 2 ? 2 : -2), 28, 3, hex(0x9ab040), 0.8);
        ellipse_path(cr, x + (k % 2 ? 2 : -2), 30, 3, 7);
        styled(cr, hex(0xf0c840), 1);
    }
}

void corn_peek(cairo_t* cr, double rise, Eyes eyes) {
    cairo_save(cr);
    clip_above(cr, 44);
    draw_chicken_head(cr, 20, 44 - rise * 22 + 10, 0.42, false, eyes, eyes == Eyes::crossed ? 0.8 : 0);
    cairo_restore(cr);
    corn_front(cr);
}

void corn_flag(cairo_t* cr, double rise, double wave) {
    cairo_save(cr);
    clip_above(cr, 44);
    const double top = 44 - rise * 40;
    stick(cr, 20, top, 20, top + 44, 2.5, pal::wood, 1);
    cairo_move_to(cr, 21, top + 1);
    cairo_curve_to(cr, 28, top - 2 + wave * 3, 32, top + 6 - wave * 3, 38, top + 3 + wave * 2);
    cairo_line_to(cr, 38, top + 15 + wave * 2);
    cairo_curve_to(cr, 32, top + 18 - wave * 3, 28, top + 10 + wave * 3, 21, top + 13);
    cairo_close_path(cr);
    styled(cr, hex(0xffffff), 1.2);
    cairo_restore(cr);
    corn_front(cr);
}

// ---------------------------------------------------------------- lake (220 × 80)

// The water itself lies in the ground layer; "lake" draws only the moving ripples and glints
// on it, so a chicken swimming there shows whichever of the two is drawn first.
void lake_ripples(cairo_t* cr, double phase) {
    set_col(cr, hex(0xe8f6ff));
    cairo_set_line_width(cr, 2);
    for (int k = 0; k < 5; ++k) {
        const double x = 30 + k * 38 + 8 * std::sin(phase + k * 1.3), y = 24 + (k % 3) * 14;
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + 6, y - 3 - std::sin(phase + k), x + 12, y - 3, x + 18, y);
    }
    cairo_stroke(cr);
    for (int k = 0; k < 3; ++k) {
        const double a = phase * 2 + k * 2.1;
        blob(cr, 60 + k * 50 + 6 * std::cos(a), 30 + 10 * std::sin(a + k), 1.6 + std::abs(std::sin(a)) * 1.5, 1.6,
             hex(0xffffff), 0, false);
    }
}

void lake_water(cairo_t* cr, double phase, double calm) {
    ellipse_path(cr, 110, 40, 106, 34);
    styled(cr, pal::water, 2.5);
    highlight(cr, 80, 26, 50, 10, 0.35);
    set_col(cr, hex(0xd8f0ff), 0.8 * (1 - calm));
    cairo_set_line_width(cr, 2);
    for (int k = 0; k < 4; ++k) {
        const double x = 40 + k * 42 + 6 * std::sin(phase + k), y = 30 + (k % 2) * 16;
        cairo_move_to(cr, x, y);
        cairo_curve_to(cr, x + 6, y - 3, x + 12, y - 3, x + 18, y);
    }
    cairo_stroke(cr);
}

void ripple(cairo_t* cr, double x, double y, double r) {
    if (r <= 0) return;
    ellipse_path(cr, x, y, r, r * 0.3);
    set_col(cr, hex(0xe8f6ff), 0.9);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// The swimming chicken, its body cut at the water line (y 44).
void swimmer(cairo_t* cr, double x, double depth, double tilt, Eyes eyes, bool face_right, double beak) {
    cairo_save(cr);
    clip_above(cr, 46);
    ChickenPose p = pose_at(x, 40 + depth * 44, 0.42, eyes);
    p.tilt = tilt;
    p.face_right = face_right;
    p.beak_open = beak;
    p.white = true;
    draw_chicken(cr, p);
    cairo_restore(cr);
    ripple(cr, x, 46, 24 + depth * 6);
}

// ---------------------------------------------------------------- outhouse (170 × 135)

// Door x 110..152, y 52..122; latch x 136..148, y 58..70. "toilet_bg" is the hut around the
// doorway (open there); the other animations draw only in the doorway: the door, the dark
// inside and the chicken. So the two never cover each other, whichever is drawn first.
void outhouse_hut(cairo_t* cr) {
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, 170, 135);
    rrect_path(cr, 110, 52, 42, 70, 2);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(cr);
    box(cr, 100, 24, 62, 104, 3, hex(0x8a5a30), 2);
    set_col(cr, hex(0x6b4426));
    cairo_set_line_width(cr, 1.5);
    for (int k = 1; k < 5; ++k) {
        cairo_move_to(cr, 100 + k * 12.4, 26);
        cairo_line_to(cr, 100 + k * 12.4, 126);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
    rrect_path(cr, 110, 52, 42, 70, 2);
    set_col(cr, hex(0x4a3020));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    const double roof[] = {92, 30, 170, 18, 170, 28, 92, 40};
    poly_path(cr, roof, 4);
    styled(cr, hex(0x6a6f4a), 2);
    // a little moon window in the gable
    cairo_arc(cr, 131, 36, 5, 0.6, 5.7);
    cairo_arc_negative(cr, 133.5, 36, 4, 5.2, 1.1);
    cairo_close_path(cr);
    set_col(cr, hex(0x2a1a10));
    cairo_fill(cr);
}

void outhouse(cairo_t* cr, double shake, double door_off, int inside /*0 none 1 sitting 2 hit*/, double hit_t) {
    // inside (seen once the door is gone)
    rrect_path(cr, 110, 52, 42, 70, 2);
    set_col(cr, hex(0x2a1a10));
    cairo_fill(cr);
    box(cr, 114, 100, 34, 22, 3, pal::wood, 1.5, false);  // the seat
    if (inside > 0 && door_off > 0) {
        ChickenPose p = pose_at(131, 88, 0.42, inside == 2 ? Eyes::crossed : Eyes::shocked);
        p.legs = Legs::dangling;
        p.beak_open = inside == 2 ? 1 : 0.5;
        p.ruffle = inside == 2 ? hit_t : 0;
        cairo_save(cr);
        rrect_path(cr, 110, 52, 42, 70, 2);
        cairo_clip(cr);
        draw_chicken(cr, p);
        if (inside == 1) box(cr, 112, 82, 22, 16, 1, hex(0xf4f0e0), 1, false);  // a newspaper
        cairo_restore(cr);
    }
    // the door, falling forward when broken
    if (door_off < 1) {
        cairo_save(cr);
        cairo_translate(cr, shake, 0);
        cairo_translate(cr, 131, 122);
        cairo_scale(cr, 1, 1 - door_off);
        cairo_translate(cr, -131, -122);
        box(cr, 110, 52, 42, 70, 2, hex(0xa87040), 2);
        cairo_move_to(cr, 128, 68);  // the heart
        cairo_curve_to(cr, 122, 62, 124, 56, 128, 60);
        cairo_curve_to(cr, 132, 56, 134, 62, 128, 68);
        set_col(cr, hex(0x2a1a10));
        cairo_fill(cr);
        box(cr, 136, 60, 12, 8, 2, pal::metal, 1.5, false);  // latch
        cairo_restore(cr);
    }
}

// ---------------------------------------------------------------- kite

void kite(cairo_t* cr, double sway, double broken) {
    // 54 × 64: a diamond kite with a tail; broken: torn and tumbling
    cairo_save(cr);
    cairo_translate(cr, 27, 26);
    cairo_rotate(cr, sway * 0.2 + broken * 1.2);
    const double xy[] = {0, -24, 18, -2, 0, 24, -18, -2};
    poly_path(cr, xy, 4);
    styled(cr, hex(0xe84a3a), 2);
    stick(cr, 0, -22, 0, 22, 1.5, pal::wood, 0.5);
    stick(cr, -16, -2, 16, -2, 1.5, pal::wood, 0.5);
    if (broken > 0) {
        const double tear[] = {2, -20, 16, -3, 4, 4};
        poly_path(cr, tear, 3);
        set_col(cr, hex(0x2a1a10));
        cairo_fill(cr);
    }
    cairo_move_to(cr, 0, 24);
    cairo_curve_to(cr, 8 + sway * 4, 30, -8, 34, 2 + sway * 3, 38);
    set_col(cr, pal::outline);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (int k = 0; k < 2; ++k) blob(cr, 2 + sway * 3 - k * 2, 31 + k * 6, 3, 2, hex(0xffd23a), 0.8, false);
    cairo_restore(cr);
}

// ---------------------------------------------------------------- beekeeper (96 × 130)

void hive(cairo_t* cr, double x, double y) {
    // straw skep, about 26 × 28, top left at x, y
    for (int k = 0; k < 4; ++k) box(cr, x + k * 1.5, y + 4 + k * 6, 26 - k * 3, 8, 4, hex(0xdcae52), 1.5, false);
    blob(cr, x + 13, y + 24, 4, 3, hex(0x2a1a10), 0.8, false);
}

void beekeeper(cairo_t* cr, double arm_up, double turn, double knock, Eyes eyes, double fall) {
    // the hive hangs from a hook on a pole and stays at x 5..31, y 0..28
    stick(cr, 18, 24, 18, 128, 5, pal::wood, 1.2);
    stick(cr, 18, 24, 24, 30, 2, pal::metal_dark, 0.6);
    hive(cr, 5, 0);
    cairo_save(cr);
    cairo_translate(cr, 64, 128);
    cairo_rotate(cr, fall * 1.45);
    cairo_translate(cr, -64, -128);
    ChickenPose p = pose_at(62, 96, 0.6, eyes);
    p.legs = Legs::standing;
    p.face_right = turn > 0.5;
    p.white = true;
    p.beak_open = eyes == Eyes::crossed ? 1 : 0;
    // the far wing reaches for the pole
    const double hand_y = 104 - arm_up * 60;
    stick(cr, p.x - 4, p.y - 6, 24, hand_y, 7, darker(pal::chicken_white, 0.12), 1.5);
    draw_chicken(cr, p);
    blob(cr, 24, hand_y, 6, 5, pal::chicken_white, 1.5, false);
    // straw hat with a veil around the head
    const double hx = p.x + (p.face_right ? 1 : -1) * 32 * p.scale, hy = p.y - 20 * p.scale;
    ellipse_path(cr, hx, hy + 2, 15, 14);
    set_col(cr, hex(0x303030), 0.35);
    cairo_fill(cr);
    set_col(cr, hex(0x303030), 0.5);
    cairo_set_line_width(cr, 0.8);
    for (int k = -2; k <= 2; ++k) {
        cairo_move_to(cr, hx + k * 5, hy - 10);
        cairo_line_to(cr, hx + k * 5, hy + 15);
    }
    cairo_stroke(cr);
    blob(cr, hx, hy - 10, 20, 4.5, hex(0xe8d090), 1.5, false);
    box(cr, hx - 9, hy - 22, 18, 12, 5, hex(0xe8d090), 1.5, true);
    // knocking: the near wing taps the hive with a short stick
    if (knock > 0) stick(cr, p.x - 6, p.y - 2, 30 + knock * 4, 22 + knock * 3, 3, pal::wood_dark, 1);
    cairo_restore(cr);
}

// ---------------------------------------------------------------- the car (scene coordinates)
// Car parts are drawn in cells whose origin is the part's position in the scene.

void car_chicken_window(cairo_t* cr, double rise, Eyes eyes, double turn, double beak, bool honk) {
    // cell at (948, 153), 60 × 60; the windshield is x -4..25, y 5..37 of the cell
    cairo_save(cr);
    const double win[] = {-24, 37, -3, 6, 25, 5, 25, 37};
    poly_path(cr, win, 4);
    cairo_clip(cr);
    ChickenPose p = pose_at(20, 52 - rise * 24, 0.45, eyes);
    p.face_right = turn > 0.5;
    p.look = turn > 0.2 && turn < 0.8 ? 1 : 0;
    p.beak_open = beak;
    draw_chicken(cr, p);
    cairo_restore(cr);
    if (honk) {
        for (int k = 0; k < 3; ++k)
            stick(cr, 30 + k * 6, 10 - k * 3, 36 + k * 6, 6 - k * 4, 2, hex(0xffe040), 0.8);
    }
}

void car_door_chicken(cairo_t* cr, double out, Eyes eyes) {
    // cell at (990, 182), 70 × 64: the door swings open and a chicken leans out
    const double open = out;
    box(cr, 2, 2, 56 * (1 - open * 0.7), 58, 4, hex(0x4a8ad0), 2);
    ChickenPose p = pose_at(40 - open * 10, 30, 0.38, eyes);
    p.face_right = false;
    p.beak_open = eyes == Eyes::crossed ? 1 : 0.2;
    if (open > 0.2) draw_chicken(cr, p);
}

void car_front_chicken(cairo_t* cr, double rise, Eyes eyes) {
    // cell at (865, 160), 64 × 60: the bonnet lifts and a chicken pops out of the engine
    cairo_save(cr);
    clip_above(cr, 34);
    ChickenPose p = pose_at(30, 60 - rise * 34, 0.36, eyes);
    p.beak_open = eyes == Eyes::crossed ? 1 : 0.5;
    draw_chicken(cr, p);
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 60, 34);
    cairo_rotate(cr, -rise * 0.9);
    box(cr, -58, -6, 58, 8, 3, hex(0x4a8ad0), 2);
    cairo_restore(cr);
}

}  // namespace

void add_scene1_characters(ArtTable& t) {
    // flower (60 × 80) at (1209, 478), depth 0
    t[g + "flower_up_down"] = {60, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                   flower_chicken(cr, ease(f.t), Eyes::open, 0, 0);
                               }};
    t[g + "flower_blink"] = {60, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                 flower_chicken(cr, 1, f.i % 4 == 2 ? Eyes::closed : Eyes::open, 0,
                                                0.15 * std::sin(f.i * 0.9));
                             }};
    t[g + "flower_die"] = {60, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                               flower_chicken(cr, 1 - ease(span(f.t, 0.4, 1.0)), Eyes::crossed, f.t, f.t * 0.6);
                           }};

    // stove (90 × 90) at (1188, 219)
    t[g + "stove_open_action"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                      stove(cr, std::sin(f.t * M_PI), 0.3, 0, 0);
                                  }};
    t[g + "stove_get_baked_action"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                           stove(cr, 1 - ease(span(f.t, 0.5, 1.0)), 0.3 + f.t * 0.4, 1, 0);
                                       }};
    t[g + "stove_baked_action"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                       stove(cr, ease(span(f.t, 0.5, 1.0)), 0.7 + 0.3 * std::sin(f.i * 1.7),
                                             f.t > 0.5 ? 2 : 0, span(f.t, 0.6, 1.0));
                                   }};
    t[g + "stove_backed_disap_action"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                              stove(cr, 1 - f.t, 0.4, f.i == 0 ? 2 : 0, 1);
                                          }};

    // front (140 × 200), depth 0: rises from the bottom edge of the screen
    t[g + "front_up_down_action"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                         front_chicken(cr, ease(f.t), 0, Eyes::open, 0, false, 0);
                                     }};
    t[g + "front_hand_up_action"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                         front_chicken(cr, 1, ease(f.t), Eyes::open, 0, false, 0);
                                     }};
    t[g + "front_knocking_action"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                          front_chicken(cr, 1, 1, Eyes::open, 0.4, true, f.i);
                                      }};
    t[g + "front_hand_down_action"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                           front_chicken(cr, 1, 1 - ease(f.t), Eyes::open, 0, false, 0);
                                       }};
    t[g + "front_show_pics_action"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                           front_chicken(cr, 1, 0, Eyes::happy, 0.3, false, 0,
                                                         ease(span(f.t, 0, 0.4)));
                                       }};
    t[g + "front_cards"] = {70, 60, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                picture_card(cr, 2, 2, 66, 56, f.i);
                            }};
    t[g + "front_die"] = {140, 200, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                              front_chicken(cr, 1 - ease(span(f.t, 0.3, 1.0)), 0, Eyes::crossed, 1, false, 0);
                              stars_ring(cr, 70, 40 + f.t * 100, 26, f.i);
                          }};

    // tupo (90 × 76) at (105, 179), depth 2
    t[g + "tupocycle"] = {90, 76, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              const double ph = 2 * M_PI * f.i / f.n;
                              sheep_rider(cr, std::abs(std::sin(ph)), ph, false, 0);
                          }};
    t[g + "tuposhoot"] = {90, 76, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              sheep_rider(cr, 0, 0, true, f.t);
                          }};

    // barrel chicken (60 × 50) at (1064, 192): rises out of the drum whose rim is row 47
    t[g + "barrel_up"] = {60, 50, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              drum_chicken(cr, ease(f.t), Eyes::open, f.i > 6 ? 1 : 0);
                          }};
    t[g + "barrel_down"] = {60, 50, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                drum_chicken(cr, 1 - f.t, Eyes::open, 0);
                            }};
    t[g + "barrel_die"] = {60, 50, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                               drum_chicken(cr, 1 - ease(f.t), Eyes::crossed, 0);
                           }};

    // pan (90 × 90) at (1907, 263)
    t[g + "pan_turntopan"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  pan_chicken(cr, f.t, false, Eyes::open, 0);
                              }};
    t[g + "pan_looktopan"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  pan_chicken(cr, 1, false, f.i == 2 ? Eyes::closed : Eyes::open, 0);
                              }};
    t[g + "pan_turntous"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                 pan_chicken(cr, 1 - f.t, false, Eyes::open, 0);
                             }};
    t[g + "pan_looktous"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                 pan_chicken(cr, 0, false, f.i == 2 ? Eyes::closed : Eyes::open, 0);
                             }};
    t[g + "pan_repel"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                              pan_chicken(cr, 0, f.i == 0, Eyes::shocked, 0);
                          }};
    t[g + "pan_die"] = {90, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                            pan_chicken(cr, 0, false, Eyes::crossed, ease(span(f.t, 0.3, 1.0)));
                        }};

    // cornfield (40 × 54), depth 2
    t[g + "cornfield_up"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { corn_peek(cr, ease(f.t), Eyes::open); }};
    t[g + "cornfield_down"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { corn_peek(cr, 1 - f.t, Eyes::open); }};
    t[g + "cornfield_blink"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                    corn_peek(cr, 1, f.i == 1 ? Eyes::closed : Eyes::open);
                                }};
    t[g + "cornfield_die"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  corn_peek(cr, 1 - ease(f.t), Eyes::crossed);
                              }};
    t[g + "flag_up"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { corn_flag(cr, ease(f.t), 0); }};
    t[g + "flag_down"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { corn_flag(cr, 1 - f.t, 0); }};
    t[g + "flag_cycle"] = {40, 54, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                               corn_flag(cr, 1, std::sin(f.i * 2 * M_PI / f.n));
                           }};

    // lake (220 × 80) at (300, 406) and its swimming chicken in the same cell
    t[g + "lake"] = {220, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                         lake_ripples(cr, f.i * 2 * M_PI / f.n);
                     }};
    t[g + "lake_flat"] = {220, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo&) { lake_water(cr, 0, 1); }};
    t[g + "lake_goingout"] = {220, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  lake_ripples(cr, f.i * 0.5);
                                  ripple(cr, 170, 46, 10 + f.t * 30);
                              }};
    auto swim = [&t](const char* name, auto body) {
        t[g + name] = {220, 80, Format::bmp24, [body](cairo_t* cr, const FrameInfo& f) { body(cr, f); }};
    };
    swim("lake_play_up", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 90 + 10 * std::sin(f.t * M_PI), -0.1, 0.1 * std::sin(f.i), Eyes::happy, false, 0.3);
    });
    swim("lake_play_down", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 110 - 10 * std::sin(f.t * M_PI), 0.5 + 0.3 * std::sin(f.t * M_PI), -1.2, Eyes::closed, false, 0);
    });
    swim("lake_blink_up", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 100, -0.1, 0, f.i == 2 ? Eyes::closed : Eyes::open, false, 0);
    });
    swim("lake_blink_down", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 100, 0.4, -1.4, f.i == 2 ? Eyes::closed : Eyes::open, false, 0);
    });
    swim("lake_downup", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 100, 0.4 * (1 - f.t) - 0.1 * f.t, -1.4 * (1 - ease(f.t)), Eyes::open, false, 0);
    });
    swim("lake_updown", [](cairo_t* cr, const FrameInfo& f) {
        swimmer(cr, 100, -0.1 * (1 - f.t) + 0.4 * f.t, -1.4 * ease(f.t), Eyes::closed, false, 0);
    });
    swim("lake_dying", [](cairo_t* cr, const FrameInfo& f) {
        const double sink = ease(span(f.t, 0.3, 1.0));
        swimmer(cr, 100, -0.1 + sink * 0.9, 0.3 * std::sin(f.i * 1.3), Eyes::crossed, false, 1);
        if (f.t > 0.5) ripple(cr, 100, 46, 30 * f.t);
    });
    swim("lake_ups_goingout", [](cairo_t* cr, const FrameInfo& f) {
        // swims to the right bank, climbs out and stands there howling
        const double walk = ease(span(f.t, 0, 0.5)), climb = ease(span(f.t, 0.5, 0.75));
        if (climb <= 0) {
            swimmer(cr, 100 + walk * 70, -0.1, 0, Eyes::open, true, 0);
            return;
        }
        ChickenPose p = pose_at(170 + climb * 22, 40 - climb * 22, 0.42, f.t > 0.8 ? Eyes::shocked : Eyes::open);
        p.legs = Legs::standing;
        p.white = true;
        p.face_right = f.t < 0.8;
        p.beak_open = f.t > 0.8 ? 1.0 : 0;
        draw_chicken(cr, p);
        ripple(cr, 170, 46, 20 * (1 - climb));
    });
    swim("lake_dying_safe", [](cairo_t* cr, const FrameInfo& f) {
        // flattened by the safe: a squashed chicken with stars
        ChickenPose p = pose_at(192, 34 + f.t * 10, 0.42, Eyes::crossed);
        p.legs = Legs::dangling;
        p.white = true;
        p.squash = 0.3 * span(f.t, 0, 0.2);
        p.ruffle = f.t;
        draw_chicken(cr, p);
        stars_ring(cr, 192, 14, 20, f.i);
    });

    // safe (64 × 216): released above the lake chicken, it stops at y 228 with its bottom on row
    // 214, where the chicken stands on the bank
    t[g + "safe"] = {64, 216, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                         constexpr double bottom = 214;
                         const double squash = f.i == 1 ? 0.15 : f.i == 2 ? -0.06 : 0;
                         const double h = 56 * (1 - squash), w = 56 * (1 + squash);
                         if (f.i == 0)
                             for (int k = 0; k < 3; ++k) stick(cr, 14 + k * 18, bottom - 88, 14 + k * 18, bottom - 64, 2, hex(0xffffff), 0.5);
                         box(cr, 32 - w / 2, bottom - h, w, h, 5, hex(0x4a5560), 2.5);
                         blob(cr, 32, bottom - h / 2, 10, 10, hex(0xb0b8c0), 2, false);
                         stick(cr, 32, bottom - h / 2, 38, bottom - h / 2 - 6, 2, pal::outline, 0);
                         box(cr, 12, bottom - h + 6, 40, 6, 2, hex(0xe8c040), 1, false);
                         if (f.i >= 1 && f.i <= 3)
                             for (int k = 0; k < 2; ++k)
                                 blob(cr, k ? 58 - f.i * 2 : 6 + f.i * 2, bottom - 6 - f.i * 3, 6 + f.i * 2, 4 + f.i, hex(0xd8c8a8), 1, false);
                     }};

    // outhouse (170 × 135)
    t[g + "toilet_bg"] = {170, 135, Format::bmp8, [](cairo_t* cr, const FrameInfo&) { outhouse_hut(cr); }};
    t[g + "toilet_acting"] = {170, 135, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  // someone is in there: the hut rattles now and then
                                  const bool rattle = f.i % 9 < 3;
                                  outhouse(cr, rattle ? ((f.i % 2) ? 2 : -2) : 0, 0, 0, 0);
                                  if (rattle) {
                                      set_col(cr, pal::outline);
                                      cairo_set_line_width(cr, 2);
                                      for (int k = 0; k < 3; ++k) {
                                          cairo_move_to(cr, 116, 62 + k * 18);
                                          cairo_line_to(cr, 112, 60 + k * 18);
                                          cairo_move_to(cr, 146, 62 + k * 18);
                                          cairo_line_to(cr, 150, 60 + k * 18);
                                      }
                                      cairo_stroke(cr);
                                  }
                              }};
    t[g + "toilet_shaking"] = {170, 135, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                   outhouse(cr, (f.i % 2 ? 3 : -3) * (1 - f.t), 0, 0, 0);
                               }};
    t[g + "toilet_distruction"] = {170, 135, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                       outhouse(cr, 0, ease(span(f.t, 0.1, 0.4)), 1, 0);
                                   }};
    t[g + "toilet_die"] = {170, 135, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                               outhouse(cr, 0, 1, 2, f.t);
                           }};

    // kite (54 × 64) and its chicken (34 × 40), depth 3
    t[g + "kite_broken"] = {54, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                kite(cr, std::sin(f.i * 1.3), f.i == 0 ? 0 : f.t);
                            }};
    t[g + "kite_qz"] = {34, 40, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                            stick(cr, 4, 0, 16, 14, 1, pal::outline, 0);
                            ChickenPose p = pose_at(18, 24 + std::sin(f.i * 0.5) * 2, 0.2, f.i % 6 == 0 ? Eyes::shocked : Eyes::open);
                            p.legs = Legs::kicking;
                            p.leg_phase = f.i;
                            p.wing = std::sin(f.i * 1.1);
                            draw_chicken(cr, p);
                        }};

    // beekeeper (130 × 130)
    t[g + "beehive_handup"] = {130, 130, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                   beekeeper(cr, ease(f.t), 0, 0, Eyes::open, 0);
                               }};
    t[g + "beehive_handdown"] = {130, 130, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                     beekeeper(cr, 1 - ease(f.t), 0, 0, Eyes::open, 0);
                                 }};
    t[g + "beehive_knock"] = {130, 130, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  beekeeper(cr, 1, 0, f.i % 2 ? 1 : 0.3, Eyes::open, 0);
                              }};
    t[g + "beehive_turn"] = {130, 130, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                 beekeeper(cr, 1, std::sin(f.t * M_PI) > 0.5 ? 1 : 0, 0, Eyes::open, 0);
                             }};
    t[g + "beehive_die"] = {130, 130, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                beekeeper(cr, 1, 0, 0, Eyes::crossed, ease(f.t));
                            }};

    // car chicken (60 × 60) at (948, 153)
    auto car = [&t](const char* name, auto body) {
        t[g + name] = {60, 60, Format::bmp8, [body](cairo_t* cr, const FrameInfo& f) { body(cr, f); }};
    };
    car("car_up_action1", [](cairo_t* cr, const FrameInfo& f) { car_chicken_window(cr, ease(f.t), Eyes::open, 0, 0, false); });
    car("car_honk_action2", [](cairo_t* cr, const FrameInfo& f) {
        car_chicken_window(cr, 1, Eyes::happy, 0, f.i % 2 ? 1 : 0.3, f.i % 2 == 1);
    });
    car("car_look_action3", [](cairo_t* cr, const FrameInfo& f) {
        ChickenPose unused;
        (void)unused;
        car_chicken_window(cr, 1, Eyes::open, 0.3 + 0.4 * std::sin(f.t * M_PI), 0, false);
    });
    car("car_turnto_action4", [](cairo_t* cr, const FrameInfo& f) { car_chicken_window(cr, 1, Eyes::open, 0.5 * (1 - f.t), 0, false); });
    car("car_turnof_action5", [](cairo_t* cr, const FrameInfo& f) { car_chicken_window(cr, 1, Eyes::open, 0.5 * f.t, 0, false); });
    car("car_blink_action_after3and5", [](cairo_t* cr, const FrameInfo& f) {
        car_chicken_window(cr, 1, f.i == 2 ? Eyes::closed : Eyes::open, 0, 0, false);
    });
    car("car_down_action6", [](cairo_t* cr, const FrameInfo& f) { car_chicken_window(cr, 1 - ease(f.t), Eyes::open, 0, 0, false); });
    car("car_die", [](cairo_t* cr, const FrameInfo& f) {
        car_chicken_window(cr, 1 - ease(span(f.t, 0.3, 1.0)), Eyes::crossed, 0, 1, false);
    });
    t[g + "car_door_qz"] = {70, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                car_door_chicken(cr, std::sin(f.t * M_PI), Eyes::open);
                            }};
    t[g + "car_door_qz_die"] = {70, 64, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                    car_door_chicken(cr, 1 - ease(f.t), Eyes::crossed);
                                }};
    t[g + "car_front_qz"] = {64, 60, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                 car_front_chicken(cr, std::sin(f.t * M_PI), Eyes::open);
                             }};
    t[g + "car_front_qz_die"] = {64, 60, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                     car_front_chicken(cr, 1 - ease(f.t), Eyes::crossed);
                                 }};
    // metal parts of the car: the headlight/grille at (846, 184), the door at (985, 184), the bumper at (846, 254)
    t[g + "car_frontshoot1"] = {40, 62, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                    const double hit = f.t;
                                    box(cr, 4, 4, 30, 54, 6, hex(0x9aa6b0), 2);
                                    for (int k = 0; k < 4; ++k) box(cr, 10, 16 + k * 9, 18, 4, 1, pal::metal_dark, 1, false);
                                    blob(cr, 16, 10 + hit * 4, 7, 6, hit > 0.5 ? hex(0x707070) : hex(0xfff4b0), 1.5);
                                    if (hit > 0.3) stick(cr, 10, 6, 22, 16, 1.5, pal::outline, 0);
                                }};
    t[g + "car_door"] = {64, 60, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                             cairo_save(cr);
                             cairo_translate(cr, 60, 58);
                             cairo_rotate(cr, ease(span(f.t, 0.5, 1.0)) * 0.35);
                             cairo_translate(cr, -60, -58);
                             box(cr, 4, 2, 56, 56, 5, hex(0x4a8ad0), 2);
                             rrect_path(cr, 10, 8, 40, 20, 4);
                             set_col(cr, hex(0xbfe0f4));
                             cairo_fill(cr);
                             box(cr, 40, 34, 12, 4, 2, pal::metal, 1, false);
                             if (f.t > 0.2) blob(cr, 24, 42, 5 + f.t * 3, 3 + f.t * 2, darker(hex(0x4a8ad0), 0.3), 1, false);
                             cairo_restore(cr);
                         }};
    // the chrome bumper along the car's sill: a shot makes it sag at the front and drop
    t[g + "car_bumper"] = {232, 40, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                               const double sag = ease(span(f.t, 0.0, 0.5)), drop = ease(span(f.t, 0.5, 1.0));
                               cairo_save(cr);
                               cairo_translate(cr, 224, 8 + drop * 14);
                               cairo_rotate(cr, -sag * 0.08);
                               cairo_translate(cr, -224, -8);
                               rrect_path(cr, 4, 8, 220, 11, 5);
                               cairo_pattern_t* gl = cairo_pattern_create_linear(0, 8, 0, 19);
                               cairo_pattern_add_color_stop_rgb(gl, 0, 0.97, 0.98, 1.0);
                               cairo_pattern_add_color_stop_rgb(gl, 0.45, 0.70, 0.74, 0.80);
                               cairo_pattern_add_color_stop_rgb(gl, 1, 0.45, 0.50, 0.56);
                               cairo_set_source(cr, gl);
                               cairo_fill_preserve(cr);
                               cairo_pattern_destroy(gl);
                               set_col(cr, pal::outline);
                               cairo_set_line_width(cr, 2);
                               cairo_stroke(cr);
                               for (double x : {4.0, 212.0}) box(cr, x, 7, 12, 13, 4, hex(0x2a2a2a), 1.5, false);  // rubber ends
                               for (double x : {60.0, 168.0}) blob(cr, x, 13.5, 2.5, 2.5, pal::metal_dark, 1, false);
                               cairo_restore(cr);
                           }};
    // oil barrel (32 × 46) at (1092, 262), in front of the drum; the pool it spills (72 × 26) at (1051, 295)
    t[g + "oilbarrel"] = {32, 46, Format::bmp8, [](cairo_t* cr, const FrameInfo&) {
                              box(cr, 2, 2, 28, 42, 4, hex(0x2f6a3a), 2);
                              for (double y : {12.0, 32.0}) box(cr, 1, y, 30, 3, 1, hex(0x244f2c), 1, false);
                              draw_label(cr, "Öl", 16, 28, 11, hex(0xffe040), 1);
                          }};
    t[g + "oilpool"] = {72, 26, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                            const double spread = ease(f.t);
                            ellipse_path(cr, 36, 18, 10 + 26 * spread, 3 + 4 * spread);
                            styled(cr, hex(0x1a1a22), 1.5);
                            highlight(cr, 30, 16, 8 + 10 * spread, 2, 0.3);
                            cairo_save(cr);
                            cairo_translate(cr, 12, 14);
                            cairo_rotate(cr, -0.1);
                            box(cr, 0, -8, 40, 18, 4, hex(0x2f6a3a), 2);
                            cairo_restore(cr);
                        }};
}

}  // namespace makedata
