// The second scene (a farmyard at dusk): its hiding places, scenery targets and the three
// fixed layers, drawn together so that every chicken comes out of the right window or barrel.
#include <cmath>
#include <string>

#include "tools/makedata/art.h"
#include "tools/makedata/scene2.h"

namespace makedata {

namespace {

const std::string g2 = "data\\gfx2\\";

struct Hideout {
    const char* name;
    const char* dead;
    int w, h;
    double rim;            // the chicken shows only above this row of the cell
    double cx;             // chicken centre x in the cell
    double scale;
    int first, last;       // shootable frames: the chicken is fully out between them
};

// Positions are fixed by the scene (see scene2.h).
constexpr Hideout hideouts[] = {
    {"barrel01", "barrel01dead", 70, 62, 60, 52, 0.36, 6, 23},
    {"barrel02", "barrel02dead", 70, 52, 50, 49, 0.36, 6, 23},
    {"barrel03", "barrel03dead", 70, 60, 58, 36, 0.34, 3, 17},
    {"chimney", "chimneydead", 90, 56, 54, 45, 0.36, 4, 17},
    {"windowr", "windowrdead", 64, 60, 58, 32, 0.36, 5, 25},
    {"topcorner", "topcornerdead", 60, 58, 56, 30, 0.34, 4, 20},
    {"behindwood", "behindwooddead", 90, 60, 57, 45, 0.4, 4, 23},
    {"doghouse_", "doghousedead", 70, 70, 40, 34, 0.4, 4, 18},
    {"frontbigbarrel", "frontbigbarreldead", 100, 52, 50, 50, 0.5, 2, 16},
    {"door", "doordead", 60, 100, 98, 30, 0.45, 5, 17},
    {"bigwindow", "bigwindowdead", 72, 64, 62, 36, 0.4, 4, 23},
};

void popup_frame(cairo_t* cr, const Hideout& h, const FrameInfo& f, bool dead) {
    double rise;
    Eyes eyes = Eyes::open;
    double beak = 0;
    if (!dead) {
        const double up = ease(span(f.i, 0, h.first + 0.5));
        // a place whose shootable frames run to the end stays up to the last frame
        const double down = h.last >= f.n - 1 ? 0.0 : ease(span(f.i, h.last - 0.5, f.n - 1));
        rise = up * (1 - down);
        if (f.i > h.first && f.i < h.last) {
            if (f.i % 7 == 3) eyes = Eyes::closed;
            beak = f.i % 5 == 0 ? 0.6 : 0;
        }
    } else {
        rise = 1 - ease(span(f.t, 0.35, 1.0));
        eyes = Eyes::crossed;
        beak = 1;
    }
    cairo_save(cr);
    const bool hole = std::string(h.name) == "barrel03";
    if (hole) {
        ellipse_path(cr, 24, 32, 17, 21);
    } else {
        cairo_rectangle(cr, -10, -10, h.w + 20, h.rim + 10);
    }
    cairo_clip(cr);
    if (hole) {  // the dark inside of the barrel behind the chicken
        ellipse_path(cr, 24, 32, 17, 21);
        set_col(cr, hex(0x24140a));
        cairo_fill(cr);
    }
    // seen from the front, peeking out: fully down only the comb shows over the rim
    const double fs = h.scale * 1.1;
    const double y = hole ? 44 + (1 - rise) * 28 : h.rim + 12 * fs + (1 - rise) * 64 * fs;
    const double wave = !dead && f.i > h.first && f.i < h.last && f.i % 8 < 3 ? 0.9 : 0.0;
    draw_chicken_front(cr, h.cx, y, hole ? 0.3 : fs, eyes, beak, dead ? 0.6 * std::sin(f.i * 1.7) + 0.6 : 0, wave);
    cairo_restore(cr);
    if (dead)  // loose feathers drift up out of the hiding place
        for (int k = 0; k < 3; ++k)
            draw_feather(cr, h.cx - 12 + k * 12, (hole ? 20 : h.rim - 8) - f.t * 16 - k * 3, f.t * 4 + k, 0.5,
                         k % 2 == 0);
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
        box(cr, x, 4, w, 74, 14, pal::wood, 2);
        for (double y : {16.0, 60.0}) box(cr, x - 1, y, w + 2, 5, 2, pal::metal_dark, 1, false);
        ellipse_path(cr, x + w / 2, 8, w / 2 - 2, 5);
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
    // the trampoline chicken (70 × 70), x 330
    t[g2 + "trambo"] = {70, 70, Format::bmp24, [](cairo_t* cr, const FrameInfo& f) {
                            ChickenPose p;
                            p.scale = 0.4;
                            p.x = 35;
                            p.y = 36;
                            p.legs = Legs::dangling;
                            p.wing = std::sin(f.i * 2 * M_PI / f.n);
                            p.eyes = Eyes::happy;
                            p.beak_open = 0.5;
                            p.squash = 0.12 * std::cos(f.i * 2 * M_PI / f.n);
                            draw_chicken(cr, p);
                        }};
    t[g2 + "trambodead"] = {70, 70, Format::bmp24, [](cairo_t* cr, const FrameInfo&) {
                                ChickenPose p;
                                p.scale = 0.4;
                                p.x = 35;
                                p.y = 36;
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
