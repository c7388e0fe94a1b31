// SPDX-License-Identifier: GPL-3.0-or-later
// Chickens in flight, falling, running, taking off and having a heart attack; their shadows.
#include <cmath>

#include "tools/makedata/art.h"

namespace makedata {

namespace {

struct Size {
    const char* letter;
    int w, h;
    double scale;
};
// Flying sizes halve from one to the next.
constexpr Size sizes[4] = {
    {"b", 128, 100, 0.95},
    {"n", 64, 50, 0.475},
    {"m", 32, 25, 0.2375},
    {"s", 16, 13, 0.12},
};

// Body centre of a flying chicken in its cell.
double centre_x(const Size& s) { return s.w * 0.52; }
double centre_y(const Size& s) { return s.h * 0.57; }

ChickenPose flying_pose(const Size& s, int i, int n) {
    const double phase = 2 * M_PI * i / n;
    ChickenPose p;
    p.scale = s.scale;
    p.x = centre_x(s);
    p.y = centre_y(s) + std::cos(phase) * 3 * s.scale;
    p.wing = std::sin(phase);
    p.tilt = -0.05 * std::cos(phase);
    p.legs = Legs::tucked;
    p.beak_open = i % 6 == 3 ? 0.6 : 0.0;
    return p;
}

// Ground chicken cells: the feet stand on the bottom rows.
constexpr int run_w = 72, run_h = 108;
constexpr double run_scale = 0.475;
constexpr int field_w = 40, field_h = 90;
constexpr double field_scale = 0.24;

double feet_centre_y(int cell_h, double scale) { return cell_h - 3 - 44 * scale; }

void heart(cairo_t* cr, double x, double y, double s, double lw) {
    cairo_move_to(cr, x, y + s * 0.9);
    cairo_curve_to(cr, x - s * 1.6, y - s * 0.2, x - s * 0.6, y - s * 1.3, x, y - s * 0.35);
    cairo_curve_to(cr, x + s * 0.6, y - s * 1.3, x + s * 1.6, y - s * 0.2, x, y + s * 0.9);
    styled(cr, pal::comb_red, lw);
}

// The heart attack: clutching the chest, wobbling, toppling onto the back, legs in the air.
void heart_attack(cairo_t* cr, const FrameInfo& f, int cell_w, int cell_h, double scale) {
    ChickenPose p;
    p.scale = scale;
    p.legs = Legs::standing;
    const double cy = feet_centre_y(cell_h, scale);
    p.x = cell_w * 0.52;
    p.y = cy;
    const double t = f.t;
    if (t < 0.35) {
        const double a = t / 0.35;
        p.hand_on_chest = true;
        p.eyes = Eyes::shocked;
        p.beak_open = 0.8;
        p.tilt = 0.12 * std::sin(a * 9);
        p.squash = -0.08 * std::sin(a * 12);
        heart(cr, p.x - 4 * scale, p.y - 70 * scale - a * 14 * scale, 9 * scale * (1 + 0.3 * std::sin(a * 20)),
              outline_width(scale));
    } else if (t < 0.65) {
        const double a = (t - 0.35) / 0.3;
        p.hand_on_chest = true;
        p.eyes = Eyes::dizzy;
        p.tilt = -0.2 * std::sin(a * 10) + a * 0.5;
        p.beak_open = 0.4;
    } else {
        const double a = ease(span(t, 0.65, 0.85));
        p.eyes = Eyes::crossed;
        p.tilt = 0.5 + a * 2.6;  // onto its back
        p.y = cy + a * 22 * scale;
        p.legs = a > 0.6 ? Legs::kicking : Legs::standing;
        p.leg_phase = f.i * 1.7;
        p.wing = 0.5 * std::sin(f.i * 2.0);
        p.beak_open = 1.0;
    }
    draw_chicken(cr, p);
}

}  // namespace

void add_chicken_art(ArtTable& table) {
    for (int k = 0; k < 4; ++k) {
        const Size s = sizes[k];
        table[std::string("data\\gfx\\chicken") + s.letter] = {s.w, s.h, Format::bmp24,
                                                              [s](cairo_t* cr, const FrameInfo& f) {
                                                                  draw_chicken(cr, flying_pose(s, f.i, f.n));
                                                              }};
        // Falling: a tumble with crossed eyes and loose feathers.
        const Size fs{s.letter, s.w + s.w / 8, s.w + s.w / 8, s.scale};
        table["data\\gfx\\dchickleft" + std::to_string(k + 1)] = {
            fs.w, fs.h, Format::bmp24, [fs](cairo_t* cr, const FrameInfo& f) {
                ChickenPose p;
                p.scale = fs.scale;
                p.x = fs.w * 0.52;
                p.y = fs.h * 0.5;
                p.tilt = f.i == 0 ? 0 : -0.3 - f.i * 0.55;
                p.eyes = f.i == 0 ? Eyes::shocked : Eyes::crossed;
                p.beak_open = 1.0;
                p.legs = Legs::dangling;
                p.wing = f.i % 2 ? 1.0 : -0.4;
                p.ruffle = f.i == 0 ? 0.0 : 0.3 + f.t * 0.7;
                p.plucked = f.t;
                p.squash = f.i == 0 ? 0.15 : 0;
                draw_chicken(cr, p);
            }};
    }

    // Side runner (normal size): run cycle, take-off ending in the flying pose of "chickenn".
    table["data\\gfx\\chickenrunn"] = {run_w, run_h, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                           ChickenPose p;
                                           p.scale = run_scale;
                                           p.x = run_w * 0.52;
                                           const double ph = 2 * M_PI * f.i / f.n;
                                           p.y = feet_centre_y(run_h, run_scale) - std::abs(std::sin(ph)) * 3;
                                           p.legs = Legs::running;
                                           p.leg_phase = ph;
                                           p.tilt = -0.14;
                                           p.wing = 0.35 + 0.25 * std::sin(ph * 2);
                                           p.beak_open = f.i % 3 == 0 ? 0.5 : 0;
                                           draw_chicken(cr, p);
                                       }};
    table["data\\gfx\\chickenstartn"] = {
        run_w, run_h, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
            const Size n = sizes[1];
            const ChickenPose fly = flying_pose(n, 0, 13);
            ChickenPose p;
            p.scale = run_scale;
            const double up = ease(span(f.t, 0.35, 1.0));
            const double ground_y = feet_centre_y(run_h, run_scale);
            p.x = run_w * 0.52 + (fly.x - run_w * 0.52) * up;
            p.y = ground_y + (fly.y - ground_y) * up;
            p.legs = up < 0.5 ? Legs::running : Legs::tucked;
            p.leg_phase = f.i * 2.1;
            p.tilt = -0.14 * (1 - up);
            p.wing = f.i == f.n - 1 ? fly.wing : std::sin(f.i * 2.2) * (0.4 + up * 0.6);
            p.beak_open = up > 0.2 && up < 0.9 ? 0.7 : 0;
            draw_chicken(cr, p);
        }};
    table["data\\gfx\\dien"] = {run_w, run_h, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                    heart_attack(cr, f, run_w, run_h, run_scale);
                                }};
    // Field runner (small, far away) and its heart attack.
    table["data\\gfx\\chickenruns"] = {field_w, field_h, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                           ChickenPose p;
                                           p.scale = field_scale;
                                           p.x = field_w * 0.5;
                                           const double ph = 2 * M_PI * f.i / f.n;
                                           p.y = feet_centre_y(field_h, field_scale) - std::abs(std::sin(ph)) * 2;
                                           p.legs = Legs::running;
                                           p.leg_phase = ph;
                                           p.tilt = -0.14;
                                           p.wing = 0.3;
                                           p.white = true;
                                           draw_chicken(cr, p);
                                       }};
    table["data\\gfx\\dies"] = {field_w, field_h, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                                    heart_attack(cr, f, field_w, field_h, field_scale);
                                }};

    // Soft ground shadows (drawn blended by the game).
    auto shadow = [](int w, int h, double rx, double ry) {
        return Art{w, h, Format::bmp24, [=](cairo_t* cr, const FrameInfo&) {
                       ellipse_path(cr, w * 0.52, h - ry - 2, rx, ry);
                       set_col(cr, hex(0x2b2418));
                       cairo_fill(cr);
                   }};
    };
    table["data\\gfx\\shadow"] = shadow(128, 100, 40, 7);
    table["data\\gfx\\shadow2"] = shadow(run_w, run_h, 22, 5);
}

}  // namespace makedata
