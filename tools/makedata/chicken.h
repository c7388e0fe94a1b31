// SPDX-License-Identifier: GPL-3.0-or-later
// The chicken character, drawn in any pose. Unit size: a body about 110 px from beak to tail.
#pragma once

#include <cairo.h>

namespace makedata {

enum class Eyes { open, closed, crossed, shocked, dizzy, happy };
enum class Legs { none, tucked, standing, running, dangling, kicking };

struct ChickenPose {
    double x = 0, y = 0;     // body centre in the picture
    double scale = 1;        // 1 = big flying chicken (about 120 px wide)
    bool face_right = false; // drawn facing left unless set
    double wing = 0;         // wing swing: -1 down .. 1 up
    double tilt = 0;         // body rotation in radians (positive: nose down when facing left)
    Eyes eyes = Eyes::open;
    double look = 0;         // pupil shift -1 (towards the beak) .. 1 (towards the viewer's back)
    double beak_open = 0;    // 0 .. 1
    Legs legs = Legs::tucked;
    double leg_phase = 0;    // running / kicking phase, radians
    double squash = 0;       // -0.3 (tall) .. 0.3 (flat)
    double ruffle = 0;       // 0 .. 1 loose feathers around the body
    double plucked = 0;      // 0 .. 1 fewer tail feathers (after a hit)
    bool white = false;      // a white hen instead of the brown one
    bool hand_on_chest = false;  // wing clutching the chest (heart attack)
};

void draw_chicken(cairo_t* cr, const ChickenPose& pose);

// Only the head (for chickens peeking out of hiding places), centred at x, y.
void draw_chicken_head(cairo_t* cr, double x, double y, double scale, bool face_right, Eyes eyes,
                       double beak_open = 0, double look = 0);

// A chicken seen from the front (body centre x, y; the body is about 90 units wide): wings
// raised by left_wing / right_wing (0 down .. 1 up).
void draw_chicken_front(cairo_t* cr, double x, double y, double scale, Eyes eyes, double beak_open,
                        double left_wing, double right_wing);

// One loose feather.
void draw_feather(cairo_t* cr, double x, double y, double angle, double scale, bool white);

}  // namespace makedata
