// SPDX-License-Identifier: GPL-3.0-or-later
// The second scene (a farmyard at dusk): its hiding places, scenery targets and the three
// fixed layers, drawn together so that every chicken comes out of the right window or barrel.
#include <algorithm>
#include <cmath>
#include <string>

#include "tools/makedata/art.h"
#include "tools/makedata/scene2.h"

namespace makedata {

namespace {

const std::string g2 = "data\\gfx2\\";

// How the chicken of a hiding place shows itself: every opening has a pose of its own.
enum class Pose {
    climb_out,      // rises out of a barrel top and props its wings on the rim
    knothole,       // pushes its head sideways out of a knothole
    chimney,        // climbs out of the chimney, sooty, in a puff of smoke
    lean_out,       // leans out of a window from the side
    over_roof,      // peeks over the roof's corner, head tilted
    over_woodpile,  // looks over the woodpile, turning its head from side to side
    behind_trough,  // bobs up behind the trough, dripping wet
    jack_in_box,    // jumps up out of the big barrel with its wings spread
    in_doorway,     // walks into the doorway from inside the house and looks out
    window_wave,    // stands in the big window and waves
};

struct Hideout {
    const char* name;
    const char* dead;
    int w, h;
    double rim;            // the chicken shows only above this row of the cell
    double cx;             // chicken centre x in the cell
    double scale;
    int first, last;       // shootable frames: the chicken is fully out between them
    Pose pose;
};

// Positions are fixed by the scene (see scene2.h); each rim is the edge of its opening there:
// the barrel tops at y 300, the chimney's top, the windows' openings, the roof edge, the
// woodpile, the trough, the big barrel's rim and the doorway.
constexpr Hideout hideouts[] = {
    {"barrel01", "barrel01dead", 70, 62, 62, 52, 0.36, 6, 23, Pose::climb_out},
    {"barrel02", "barrel02dead", 70, 52, 52, 49, 0.36, 6, 23, Pose::climb_out},
    {"barrel03", "barrel03dead", 70, 60, 58, 36, 0.62, 3, 17, Pose::knothole},
    {"chimney", "chimneydead", 90, 56, 54, 45, 0.36, 4, 17, Pose::chimney},
    {"windowr", "windowrdead", 64, 60, 58, 32, 0.4, 5, 25, Pose::lean_out},
    {"topcorner", "topcornerdead", 60, 58, 44, 30, 0.36, 4, 20, Pose::over_roof},
    {"behindwood", "behindwooddead", 90, 60, 52, 45, 0.42, 4, 23, Pose::over_woodpile},
    {"doghouse_", "doghousedead", 70, 70, 40, 34, 0.4, 4, 18, Pose::behind_trough},
    {"frontbigbarrel", "frontbigbarreldead", 100, 52, 50, 50, 0.42, 2, 16, Pose::jack_in_box},
    {"door", "doordead", 60, 100, 98, 30, 0.42, 5, 17, Pose::in_doorway},
    {"bigwindow", "bigwindowdead", 72, 64, 62, 36, 0.4, 4, 23, Pose::window_wave},
};

// The window openings and the doorway in the cells of their hiding places.
struct Opening {
    double x, y, w, h;
};
constexpr Opening upper_window = {4, 3, 56, 55};
constexpr Opening big_window = {4, 0, 64, 62};
constexpr Opening doorway = {0, 0, 60, 98};

// The shape the chicken is seen through.
void opening_path(cairo_t* cr, const Hideout& h) {
    switch (h.pose) {
    case Pose::knothole:
        ellipse_path(cr, 24, 32, 17, 21);
        return;
    case Pose::lean_out:
        rrect_path(cr, upper_window.x, upper_window.y, upper_window.w, upper_window.h, 3);
        return;
    case Pose::window_wave:
        rrect_path(cr, big_window.x, big_window.y, big_window.w, big_window.h, 3);
        return;
    case Pose::in_doorway:
        cairo_rectangle(cr, doorway.x, doorway.y, doorway.w, doorway.h);
        return;
    case Pose::over_roof:  // above the roof edge, left of the barn's corner
        cairo_rectangle(cr, -10, -10, 68, h.rim + 10);
        return;
    default:
        cairo_rectangle(cr, -10, -10, h.w + 20, h.rim + 10);
        return;
    }
}

// The state of one frame: how far the chicken is out (0..1), the progress through the frames
// in which it is fully out (0..1), and the dying chicken's progress.
struct PopState {
    double rise;
    double out;   // 0 at the window's first frame, 1 at its last
    bool dead;
    double t;     // the frame's place in its animation, 0..1
    int i;
};

PopState pop_state(const Hideout& h, const FrameInfo& f, bool dead) {
    PopState p{};
    p.dead = dead;
    p.t = f.t;
    p.i = f.i;
    if (dead) {
        p.rise = 1 - ease(span(f.t, 0.35, 1.0));
        p.out = 0.5;
        return p;
    }
    const double up = ease(span(f.i, 0, h.first + 0.5));
    // a place whose shootable frames run to the end stays up to the last frame
    const double down = h.last >= f.n - 1 ? 0.0 : ease(span(f.i, h.last - 0.5, f.n - 1));
    p.rise = up * (1 - down);
    p.out = span(f.i, h.first, h.last);
    return p;
}

Eyes eyes_of(const PopState& p) {
    if (p.dead) return Eyes::crossed;
    if (p.i % 7 == 3 && p.out > 0 && p.out < 1) return Eyes::closed;  // a blink now and then
    return Eyes::open;
}

// Front view rising over a rim; wing_l/wing_r 0 down .. 1 up; lift raises it above its usual
// height (units of the chicken's drawing), sink is how far below that it starts.
void front_over_rim(cairo_t* cr, const Hideout& h, const PopState& p, double wing_l, double wing_r, double beak,
                    double sink, double lift = 0) {
    const double fs = h.scale * 1.1;
    const double y = h.rim + (12 - lift) * fs + (1 - p.rise) * sink * fs;
    draw_chicken_front(cr, h.cx, y, fs, eyes_of(p), p.dead ? 1 : beak, wing_l, wing_r);
}

// A wing held out from the shoulder of a chicken drawn by front_over_rim (in front of its body):
// spread 0 hangs down, about 1.6 points out and up.
void wing_out(cairo_t* cr, const Hideout& h, const PopState& p, double sink, double lift, int side, double spread) {
    const double fs = h.scale * 1.1;
    const double y = h.rim + (12 - lift) * fs + (1 - p.rise) * sink * fs;
    cairo_save(cr);
    cairo_translate(cr, h.cx + side * 34 * fs, y - 2 * fs);
    cairo_rotate(cr, -side * (0.35 + spread));
    cairo_scale(cr, fs, fs);
    cairo_move_to(cr, -11, 0);
    cairo_curve_to(cr, -14, 24, -8, 44, 0, 52);
    cairo_line_to(cr, 4, 44);
    cairo_line_to(cr, 9, 48);
    cairo_line_to(cr, 10, 38);
    cairo_curve_to(cr, 14, 22, 12, 6, 11, 0);
    cairo_close_path(cr);
    styled(cr, darker(pal::chicken_brown, 0.08), outline_width(fs) / fs);
    cairo_restore(cr);
}

void climb_out(cairo_t* cr, const Hideout& h, const PopState& p) {
    // once out it props both wings on the rim, and lifts one to look around
    const double prop = p.dead ? 0.2 : 0.55 * ease(span(p.rise, 0.6, 1.0));
    const double look = !p.dead && p.out > 0.3 && p.out < 0.7 ? 0.35 : 0;
    front_over_rim(cr, h, p, prop + look, prop, p.i % 5 == 0 ? 0.6 : 0, 100, 18);
    // the wings resting on the barrel's rim
    if (!p.dead && p.rise > 0.6)
        for (int side = -1; side <= 1; side += 2) {
            if (side < 0 && look > 0) continue;  // that wing is up, shading its eyes
            const double rest = ease(span(p.rise, 0.6, 1.0));
            cairo_save(cr);
            cairo_translate(cr, h.cx + side * 19, h.rim - 4 + (1 - rest) * 6);
            cairo_rotate(cr, side * 0.25);
            ellipse_path(cr, 0, 0, 10, 4.5);
            styled(cr, darker(pal::chicken_brown, 0.08), outline_width(h.scale));
            cairo_restore(cr);
        }
}

void knothole(cairo_t* cr, const Hideout& h, const PopState& p) {
    // the dark inside of the barrel behind the chicken
    ellipse_path(cr, 24, 32, 17, 21);
    set_col(cr, hex(0x24140a));
    cairo_fill(cr);
    // the head slides in from the hole's right edge, beak first
    const double x = 24 + 6 + (1 - p.rise) * 30;
    const double bob = p.dead ? 4 * p.t : 2 * std::sin(p.i * 0.9) * (p.rise > 0.9);
    draw_chicken_head(cr, x, 34 + bob, h.scale, false, eyes_of(p), p.dead ? 1 : (p.i % 4 == 1 ? 0.5 : 0),
                      p.out > 0.5 ? 1 : -1);
}

void chimney(cairo_t* cr, const Hideout& h, const PopState& p) {
    constexpr double lift = 16, sink = 100;
    const double fs = h.scale * 1.1;
    const double y = h.rim + (12 - lift) * fs + (1 - p.rise) * sink * fs;
    // a puff of smoke behind it
    for (int k = 0; k < 3; ++k) {
        const double a = 0.25 + 0.2 * p.rise;
        ellipse_path(cr, h.cx - 20 + k * 20, h.rim - 8 - 14 * p.rise - 5 * std::sin(p.i * 0.7 + k), 12, 9);
        set_col(cr, hex(0x9a98a8), a);
        cairo_fill(cr);
    }
    // it flaps its way out of the chimney
    const double flap = p.dead ? 0.9 : p.rise > 0.8 ? 0.45 + 0.45 * std::sin(p.i * 1.6) : 0.2;
    front_over_rim(cr, h, p, 0, 0, 0.4, sink, lift);
    for (int side = -1; side <= 1; side += 2) wing_out(cr, h, p, sink, lift, side, 0.3 + 1.3 * flap);
    // soot on its head and body
    Rng rng(17);
    for (int k = 0; k < 7; ++k) {
        ellipse_path(cr, h.cx + rng.range(-22, 22) * fs, y + rng.range(-60, 30) * fs, rng.range(2, 4),
                     rng.range(1.5, 3));
        set_col(cr, hex(0x2a2830), 0.6);
        cairo_fill(cr);
    }
}

void lean_out(cairo_t* cr, const Hideout& h, const PopState& p) {
    // seen from the side, it leans in from the window's right edge and looks down at the yard
    ChickenPose c;
    c.scale = h.scale;
    c.x = h.cx + 18 + (1 - p.rise) * 36;
    c.y = 40 + (p.dead ? 10 * p.t : 0);
    c.tilt = p.dead ? 0.9 * p.t : 0.35;
    c.eyes = eyes_of(p);
    c.look = -0.6;
    c.beak_open = p.dead ? 1 : (p.i % 6 == 2 ? 0.6 : 0);
    c.wing = p.dead ? -0.6 : 0.3 * std::sin(p.i * 1.3);
    c.legs = Legs::none;
    c.ruffle = p.dead ? 0.5 * p.t : 0;
    draw_chicken(cr, c);
}

void over_roof(cairo_t* cr, const Hideout& h, const PopState& p) {
    // it comes up behind the roof's corner and cranes its head over it
    const double tilt = p.dead ? 0.6 * p.t : -0.4 - 0.25 * std::sin(p.out * M_PI * 2);
    cairo_save(cr);
    cairo_translate(cr, h.cx - 2, h.rim - 14 + (1 - p.rise) * 40);
    cairo_rotate(cr, tilt);
    draw_chicken_head(cr, 0, 0, h.scale * 1.2, false, eyes_of(p), p.dead ? 1 : 0.3 * (p.i % 5 == 1),
                      p.out > 0.5 ? 0.8 : -0.8);
    cairo_restore(cr);
    // the wing tips holding on to the edge
    if (p.rise > 0.7)
        for (int k = 0; k < 2; ++k) draw_feather(cr, h.cx - 14 + k * 24, h.rim - 2, k ? 0.3 : -0.3, 0.6, false);
}

void over_woodpile(cairo_t* cr, const Hideout& h, const PopState& p) {
    // its head and neck come up over the logs; it looks one way, then the other
    ChickenPose c;
    c.scale = h.scale;
    c.face_right = !p.dead && p.out >= 0.5;
    c.x = h.cx + (c.face_right ? 8 : -8);
    c.y = h.rim + 2 + (1 - p.rise) * 40;
    c.tilt = p.dead ? 0.5 + 1.2 * p.t : 0.5;
    c.ruffle = p.dead ? 0.4 : 0;
    c.eyes = eyes_of(p);
    c.beak_open = p.dead ? 1 : 0;
    c.legs = Legs::none;
    draw_chicken(cr, c);
}

void behind_trough(cairo_t* cr, const Hideout& h, const PopState& p) {
    // it bobs up from drinking at the trough, dripping
    const double bob = p.dead ? 0 : 3 * std::sin(p.i * 1.1) * (p.rise > 0.9);
    const double fs = h.scale * 1.1;
    draw_chicken_front(cr, h.cx, h.rim + 12 * fs + (1 - p.rise) * 64 * fs + bob, fs, eyes_of(p),
                       p.dead ? 1 : (p.i % 4 == 0 ? 0.7 : 0.2), 0.1, 0.1);
    if (!p.dead && p.rise > 0.5)
        for (int k = 0; k < 4; ++k) {
            const double dy = std::fmod(p.i * 5.0 + k * 9, 30);
            ellipse_path(cr, h.cx - 16 + k * 10, h.rim - 30 + dy, 1.8, 2.6);
            set_col(cr, pal::water);
            cairo_fill(cr);
        }
}

void jack_in_box(cairo_t* cr, const Hideout& h, const PopState& p) {
    // it springs up out of the barrel with its wings spread wide
    const double spread = p.dead ? 0.1 : 0.3 + 0.7 * ease(span(p.rise, 0.5, 1.0));
    const double flap = !p.dead && p.rise > 0.95 ? 0.15 * std::sin(p.i * 1.7) : 0;
    const double fs = h.scale * 1.1;
    const Eyes e = p.dead ? Eyes::crossed : (p.out > 0.2 && p.out < 0.8 ? Eyes::happy : Eyes::open);
    draw_chicken_front(cr, h.cx, h.rim + (12 - 30) * fs + (1 - p.rise) * 110 * fs, fs, e, p.dead ? 1 : 0.5, 0, 0);
    wing_out(cr, h, p, 110, 30, -1, 1.6 * (spread + flap));
    wing_out(cr, h, p, 110, 30, 1, 1.6 * (spread - flap));
}

void in_doorway(cairo_t* cr, const Hideout& h, const PopState& p) {
    // it walks in from the dark of the house and stands in the doorway, looking out
    ChickenPose c;
    c.scale = h.scale;
    c.x = h.cx + (1 - p.rise) * 48;
    c.y = 98 - 46 * h.scale + (p.dead ? 20 * p.t : 0);
    c.tilt = p.dead ? -1.2 * p.t : 0;
    c.legs = p.dead ? Legs::dangling : p.rise < 0.97 ? Legs::running : Legs::standing;
    c.leg_phase = p.i * 1.4;
    c.eyes = eyes_of(p);
    c.look = p.out > 0.4 && p.out < 0.8 ? 1 : -0.5;
    c.beak_open = p.dead ? 1 : 0;
    c.wing = p.dead ? 0.8 : 0;
    c.ruffle = p.dead ? 0.5 * p.t : 0;
    draw_chicken(cr, c);
}

void window_wave(cairo_t* cr, const Hideout& h, const PopState& p) {
    // it stands up in the big window and waves one wing at the yard
    const double wave = p.dead ? 0 : p.rise > 0.9 ? 0.7 + 0.3 * std::sin(p.i * 1.5) : 0.2;
    front_over_rim(cr, h, p, 0, 0, p.i % 3 == 0 ? 0.5 : 0.1, 100, 24);
    wing_out(cr, h, p, 100, 24, -1, p.dead ? 0.5 : 0.1);
    wing_out(cr, h, p, 100, 24, 1, 0.4 + 1.8 * wave);
}

// Before it comes up (and after it has gone back) the tip of its comb shows at the opening:
// every frame of a hiding place has something to see.
void peek_comb(cairo_t* cr, const Hideout& h) {
    double x = h.cx, y = h.rim + 1, angle = 0;
    if (h.pose == Pose::lean_out) {
        x = upper_window.x + upper_window.w + 1;
        y = 24;
        angle = -M_PI / 2;  // round the window's side
    } else if (h.pose == Pose::in_doorway) {
        x = doorway.x + doorway.w + 1;
        y = 52;
        angle = -M_PI / 2;
    } else if (h.pose == Pose::knothole) {
        return;  // the hole itself is always there
    }
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    cairo_scale(cr, h.scale, h.scale);
    for (int k = -1; k <= 1; ++k) ellipse_path(cr, k * 8, 0, 5, 9);
    styled(cr, pal::comb_red, outline_width(h.scale) / h.scale);
    cairo_restore(cr);
}

void popup_frame(cairo_t* cr, const Hideout& h, const FrameInfo& f, bool dead) {
    const PopState p = pop_state(h, f, dead);
    cairo_save(cr);
    opening_path(cr, h);
    cairo_clip(cr);
    if (!dead && p.rise < 0.2) peek_comb(cr, h);
    switch (h.pose) {
    case Pose::climb_out: climb_out(cr, h, p); break;
    case Pose::knothole: knothole(cr, h, p); break;
    case Pose::chimney: chimney(cr, h, p); break;
    case Pose::lean_out: lean_out(cr, h, p); break;
    case Pose::over_roof: over_roof(cr, h, p); break;
    case Pose::over_woodpile: over_woodpile(cr, h, p); break;
    case Pose::behind_trough: behind_trough(cr, h, p); break;
    case Pose::jack_in_box: jack_in_box(cr, h, p); break;
    case Pose::in_doorway: in_doorway(cr, h, p); break;
    case Pose::window_wave: window_wave(cr, h, p); break;
    }
    cairo_restore(cr);
    if (dead) {  // loose feathers drift up out of the hiding place
        const bool hole = h.pose == Pose::knothole;
        for (int k = 0; k < 3; ++k)
            draw_feather(cr, h.cx - 12 + k * 12, (hole ? 20 : std::min(h.rim, 50.0) - 8) - f.t * 16 - k * 3, f.t * 4 + k,
                         0.5, k % 2 == 0);
    }
}

void barrels(cairo_t* cr, int broken_mask) {
    // three barrels, x 0..80, 80..144, 144..224 of the cell
    const double xs[3] = {4, 84, 148};
    for (int k = 0; k < 3; ++k) {
        const bool broken = broken_mask & (1 << k);
        const double x = xs[k], w = 72;
        if (broken) {
            // a broken barrel: the staves lie splayed open
            for (int s = 0; s < 5; ++s) {
                cairo_save(cr);
                cairo_translate(cr, x + 10 + s * 13, 78);
                cairo_rotate(cr, (s - 2) * 0.35);
                box(cr, -5, -30, 10, 30, 3, pal::wood, 1.5, false);
                cairo_restore(cr);
            }
            continue;
        }
        // the top's back edge is the cell's first row: the chickens inside come up behind it
        box(cr, x, 1, w, 77, 14, pal::wood, 2);
        for (double y : {14.0, 60.0}) box(cr, x - 1, y, w + 2, 5, 2, pal::metal_dark, 1, false);
        ellipse_path(cr, x + w / 2, 5, w / 2 - 2, 4);
        styled(cr, pal::wood_dark, 1.5);
        if (k == 2) {  // the knothole a chicken looks out of
            ellipse_path(cr, 185, 54, 17, 21);
            styled(cr, hex(0x24140a), 2);
        }
    }
}

// mask of broken barrels per frame: 0 none, 1 first, 2 second, 3 third, 4 first+second, 5 first+third, 6 second+third
constexpr int barrel_masks[7] = {0, 1, 2, 4, 3, 5, 6};

}  // namespace

void add_scene2_art(ArtTable& t) {
    for (const Hideout& h : hideouts) {
        t[g2 + h.name] = {h.w, h.h, Format::bmp8, [h](cairo_t* cr, const FrameInfo& f) { popup_frame(cr, h, f, false); }};
        t[g2 + h.dead] = {h.w, h.h, Format::bmp8, [h](cairo_t* cr, const FrameInfo& f) { popup_frame(cr, h, f, true); }};
    }
    t[g2 + "barrels"] = {228, 82, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { barrels(cr, barrel_masks[f.i % 7]); }};
    t[g2 + "doghouse"] = {124, 100, Format::bmp8, [](cairo_t* cr, const FrameInfo&) { draw_doghouse(cr, 0, 0, 0); }};
    // chimney pots at (157, 54) and (192, 54)
    for (int k = 0; k < 2; ++k)
        t[g2 + (k ? "chimneyshoot2" : "chimneyshoot")] = {30, 24, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                                               const double broken = f.t;
                                                               box(cr, 3, 4 + broken * 10, 24, 18 - broken * 10, 3, hex(0xb8553a), 2);
                                                               if (broken > 0) {
                                                                   for (int s = 0; s < 3; ++s)
                                                                       blob(cr, 6 + s * 9, 20, 3, 2, hex(0xb8553a), 1, false);
                                                               } else {
                                                                   box(cr, 0, 2, 30, 6, 2, hex(0xc8654a), 1.5, false);
                                                               }
                                                           }};
    // window frame of the upper window (64 × 62) at (408, 59)
    t[g2 + "windowrshoot"] = {64, 62, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                  draw_window_frame(cr, 0, 0, 64, 62, f.i > 0 ? 1 + f.i : 0);
                              }};
    // the window that opens and closes (70 × 80) at (408, 201); glass x 13..56, y 17..74
    t[g2 + "windowopenclose"] = {70, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                                     draw_casement(cr, std::sin(f.t * M_PI), 0);
                                 }};
    t[g2 + "windowcrack"] = {70, 80, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_casement(cr, 0, f.t); }};
    // the open door (100 × 120) at (175, 227)
    auto door = [](double open) {
        return [open](cairo_t* cr, const FrameInfo& f) {
            const double o = open >= 0 ? open : f.t;
            draw_door(cr, o);
        };
    };
    t[g2 + "dooropen"] = {100, 120, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_door(cr, f.t); }};
    t[g2 + "dooropenshoot"] = {100, 120, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_door(cr, 1 - f.t * 0.2); }};
    t[g2 + "doorcloseshoot"] = {100, 120, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_door(cr, 0.8 * (1 - f.t)); }};
    (void)door;
    // a small tree (80 × 110) at (532, 258): shaken, it loses its apples
    t[g2 + "tree"] = {80, 110, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                          const double shake = f.i == 0 ? 0 : std::sin(f.i * 2.5) * (1 - f.t) * 0.12;
                          cairo_save(cr);
                          cairo_translate(cr, 40, 108);
                          cairo_rotate(cr, shake);
                          box(cr, -5, -50, 10, 50, 3, pal::wood_dark, 2, false);
                          blob(cr, 0, -68, 34, 32, pal::leaf, 2);
                          blob(cr, -14, -76, 16, 14, lighter(pal::leaf, 0.1), 1.5, false);
                          Rng rng(3);
                          for (int k = 0; k < 6; ++k) {
                              const double ax = rng.range(-24, 24), ay = rng.range(-90, -50);
                              const double fall = span(f.t, 0.1 * k, 0.5 + 0.08 * k) * (108 + ay - 4);
                              blob(cr, ax, ay + fall, 4, 4, hex(0xd8362a), 1, false);
                          }
                          cairo_restore(cr);
                      }};
    // an axe in a chopping block (60 × 60) at (114, 360)
    t[g2 + "axe"] = {60, 60, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                         box(cr, 10, 36, 40, 22, 5, pal::wood_dark, 2);
                         ellipse_path(cr, 30, 37, 20, 5);
                         styled(cr, hex(0xd8b080), 1.5);
                         cairo_save(cr);
                         cairo_translate(cr, 30, 34 - f.i * 12);
                         cairo_rotate(cr, -0.5 + f.i * 1.4);
                         stick(cr, 0, 0, 16, -24, 4, pal::wood, 1);
                         box(cr, -10, -6, 16, 10, 2, pal::metal, 1.5, false);
                         cairo_restore(cr);
                     }};
    // a shovel leaning on the wall (40 × 90) at (553, 275)
    t[g2 + "shore"] = {40, 90, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) {
                           cairo_save(cr);
                           cairo_translate(cr, 30, 88);
                           cairo_rotate(cr, -0.25 - f.t * 1.2);
                           stick(cr, 0, 0, 0, -70, 4, pal::wood, 1.2);
                           box(cr, -9, -86, 18, 20, 5, pal::metal, 1.5);
                           cairo_restore(cr);
                       }};
    // laundry on the line, depth 1
    const Col cloth_cols[3] = {hex(0xe85a5a), hex(0x5a9ae8), hex(0xf2d24a)};
    for (int k = 0; k < 3; ++k) {
        const Col c = cloth_cols[k];
        t[g2 + "cloth" + std::to_string(k + 1)] = {40, 50, Format::bmp8, [c, k](cairo_t* cr, const FrameInfo& f) {
                                                         cairo_save(cr);
                                                         if (f.i == 1) {
                                                             cairo_translate(cr, 6, 4);
                                                             cairo_rotate(cr, 0.5);
                                                             cairo_translate(cr, -6, -4);
                                                         }
                                                         if (k == 1) {  // a shirt
                                                             const double xy[] = {4, 4, 36, 4, 38, 16, 30, 14, 30, 46, 10, 46, 10, 14, 2, 16};
                                                             poly_path(cr, xy, 8);
                                                         } else {
                                                             rrect_path(cr, 6, 4, 28, 40, 4);
                                                         }
                                                         styled(cr, c, 1.5);
                                                         for (double px : {8.0, 32.0}) box(cr, px - 2, 0, 4, 8, 1, pal::wood, 1, false);
                                                         cairo_restore(cr);
                                                     }};
    }
    // the trampoline chicken (70 × 90) at x 330; at the jump's lowest point (y 200) its feet
    // stand on the trampoline's bed (y 282 in the back layer)
    t[g2 + "trambo"] = {70, 90, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                            ChickenPose p;
                            p.scale = 0.4;
                            p.x = 35;
                            p.y = 67;
                            p.legs = Legs::dangling;
                            p.wing = std::sin(f.i * 2 * M_PI / f.n);
                            p.eyes = Eyes::happy;
                            p.beak_open = 0.5;
                            p.squash = 0.12 * std::cos(f.i * 2 * M_PI / f.n);
                            draw_chicken(cr, p);
                        }};
    t[g2 + "trambodead"] = {70, 90, Format::bmp24, [](cairo_t* cr, const FrameInfo&) {
                                ChickenPose p;
                                p.scale = 0.4;
                                p.x = 35;
                                p.y = 67;
                                p.legs = Legs::dangling;
                                p.tilt = 2.6;
                                p.eyes = Eyes::crossed;
                                p.ruffle = 0.6;
                                draw_chicken(cr, p);
                            }};
    // the grave (240 × 150) at (303, 424): slab x 116..221, y 19..131
    t[g2 + "grave"] = {240, 150, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_grave(cr, ease(span(f.t, 0.2, 1.0)), 0); }};
    t[g2 + "gravelight"] = {240, 150, Format::bmp8, [](cairo_t* cr, const FrameInfo& f) { draw_grave(cr, 1, 0.3 + f.t * 0.7); }};
    // the ghost (80 × 100) rising from (325, 424)
    t[g2 + "ghost"] = {80, 100, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) { draw_ghost(cr, f.i * 2 * M_PI / f.n, 0); }};
    t[g2 + "ghostdead"] = {80, 100, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) { draw_ghost(cr, f.i, f.t); }};
}

}  // namespace makedata
