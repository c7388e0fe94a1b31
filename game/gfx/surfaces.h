// SPDX-License-Identifier: GPL-3.0-or-later
// The 16-bit display pixel format and the inventory of surfaces.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace gfx {

// Bit position of each channel's five bits: 565 → 11, 6, 0; 555 → 10, 5, 0. The green shift
// doubles as the format tag (6 = 565, 5 = 555).
extern int red_shift, green_shift, blue_shift;

extern plat::Surface* primary;
extern plat::Surface* back_buffer;
extern plat::Surface* next_screen;      // drawing target while a transition runs
extern plat::Surface* previous_screen;  // the screen as it was when a transition started
extern plat::Surface* screen_image;     // the current full-screen picture
extern int screen_image_number;         // -1: none loaded
extern plat::Surface* layer_surfaces[5];

void detect_pixel_format();
std::uint16_t pack_rgb(int r5, int g5, int b5);
// An off-screen surface with colour key 0; a failure is reported and ends the process (code 1).
plat::Surface* create_surface(int width, int height);
void clear_surface(plat::Surface* surface);
int restore_surfaces();
void release_surfaces(int free_packed);
void recreate_surfaces();

}  // namespace gfx
