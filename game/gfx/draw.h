// SPDX-License-Identifier: GPL-3.0-or-later
// The per-frame draw list. During a frame every module adds entries (a source surface, a source
// rectangle, a screen position and a depth); at the end of the frame flush_draw_list draws them
// from the back band (63) to the front band (0) with a colour-keyed copy, a colour-keyed stretch
// or a software blend. Inside a band the entry added first ends up in front.
//
// Depth band: depth * 5 + 10, nudged by the draw flags' high byte (0x100: -1, 0x200: +1,
// 0x400: +2, 0x1000: -2, 0x2000: +3). Flag 0x1 selects the mirrored sprite (+4); size 128, 64,
// 32 selects the half, quarter and eighth size (+1, +2, +3).
//
// Also here: the screen transition that swings the next screen in over the previous one in
// strips, and the pixel tests used by the shot resolution.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace gfx {

constexpr int max_draw_entries = 1000;
constexpr int draw_bands = 64;

constexpr int kind_plain = -1;
constexpr int kind_blended = -2;

struct DrawEntry {
  plat::Surface* source;
  int x, y;    // screen position after clipping
  int kind;    // kind_plain, kind_blended, or the stretched width (>= 0)
  int extra;   // stretched height, the blend level 0..256, or -1
  plat::Rect src;
  DrawEntry* next;
  int sprite, frame;
};

extern int shake_x, shake_y;

// Reading the list (tests and tools).
int draw_list_count();
const DrawEntry* draw_band_head(int band);

// The draw list can be switched off: every draw call is then ignored, nothing is flushed, and a
// screen transition keeps only its time. Rounds run this way without a picture (replays, the
// server's check); the game's logic never reads what was drawn.
void set_drawing(bool on);
bool drawing();

void clear_draw_list();
void draw_sprite(int sprite, int frame, int x, int y, int depth, int flags, int size);
// alpha: 0 invisible .. 256 opaque; a level outside that range counts as the nearer end.
void draw_sprite_blended(int sprite, int frame, int x, int y, int depth, int flags, int alpha,
                         int size);
void draw_surface(plat::Surface* surface, int x, int y, int depth, const plat::Rect& src);
void draw_surface_small(plat::Surface* surface, int x, int y, int depth, const plat::Rect& src);
void draw_cursor(int frame);
// A plain entry of a layer or screen picture in a given band (the background drawing);
// clip: apply the screen clipping. Returns false when the list is full.
bool draw_band_entry(plat::Surface* surface, int x, int y, int band, const plat::Rect& src,
                     int sprite, bool clip);
void flush_draw_list();

// Screen clipping of a plain copy of src to (x, y) on the 800 x 600 screen; false when nothing
// is left.
bool clip_to_screen(int& x, int& y, plat::Rect& src);

// Blends one source row over a target row: d + ((alpha * (s - d)) >> 8) per channel, where s is
// not 0. green_shift 6: 565 pixels; 5: 555 pixels. alpha is clamped to 0..256 first.
void blend_row(std::uint16_t* target, const std::uint16_t* source, int count, int alpha,
               int green_shift);
std::uint16_t blend_pixel(std::uint16_t d, std::uint16_t s, int alpha, int green_shift);

// ---- screen transition ----
void start_transition(int parameter);
void transition_step();
// The progress (0 .. 4096; 4096 ends the transition) one step with this frame time makes.
int transition_progress_after(int before, std::int32_t frame_time);
bool transition_running();
// Cancels a running transition (the branding screen).
void cancel_transition();
int transition_type();
int transition_progress();
// The offset of the strip at row or column i computed by the last step.
int transition_offset(int i);

// ---- pixel tests ----
std::uint16_t sprite_pixel(int sprite, int frame, int x, int y);
std::uint16_t layer_pixel(int layer, int x, int y);

}  // namespace gfx
