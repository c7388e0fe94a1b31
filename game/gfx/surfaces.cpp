// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/gfx/surfaces.h"

#include <cstdlib>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/resources/dx_errors.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/text/font.h"

namespace gfx {

int red_shift = 11, green_shift = 6, blue_shift = 0;

plat::Surface* primary = nullptr;
plat::Surface* back_buffer = nullptr;
plat::Surface* next_screen = nullptr;
plat::Surface* previous_screen = nullptr;
plat::Surface* screen_image = nullptr;
int screen_image_number = -1;
plat::Surface* layer_surfaces[5] = {};

namespace {

// Shifts right until the mask holds exactly five one-bits at the bottom; -1 when it never does.
int channel_shift(std::uint32_t mask) {
  for (int shift = 0; shift < 32; ++shift, mask >>= 1)
    if (mask == 31) return shift;
  return -1;
}

bool is_lost(plat::Surface* s) { return s && plat::surface_is_lost(s) == plat::DDERR_SURFACELOST; }

void restore(plat::Surface* s) { REPORT_DD(plat::surface_restore(s)); }

void release(plat::Surface*& s) {
  if (!s) return;
  REPORT_DD(plat::surface_release(s));
  s = nullptr;
}

}  // namespace

void detect_pixel_format() {
  if (!back_buffer) return;
  void* pixels = nullptr;
  int pitch = 0;
  if (REPORT_DD(plat::surface_lock(back_buffer, nullptr, &pixels, &pitch))) res::fatal_exit(1);
  plat::PixelFormat format{};
  REPORT_DD(plat::surface_get_pixel_format(back_buffer, &format));
  if (REPORT_DD(plat::surface_unlock(back_buffer))) res::fatal_exit(1);
  const int shifts[3] = {channel_shift(format.red_mask), channel_shift(format.green_mask),
                         channel_shift(format.blue_mask)};
  int* targets[3] = {&red_shift, &green_shift, &blue_shift};
  for (int i = 0; i < 3; ++i) {
    if (shifts[i] < 0) return;  // not a five-bit channel: the measurement ends here
    *targets[i] = shifts[i];
  }
  res::debug_log("color shift: %d %d %d\n", red_shift, green_shift, blue_shift);
}

std::uint16_t pack_rgb(int r5, int g5, int b5) {
  return static_cast<std::uint16_t>((r5 << red_shift) | (g5 << green_shift) | (b5 << blue_shift));
}

plat::Surface* create_surface(int width, int height) {
  plat::Surface* surface = nullptr;
  if (REPORT_DD(plat::surface_create(width, height, &surface))) res::fatal_exit(1);
  if (REPORT_DD(plat::surface_set_color_key(surface, 0, 0))) res::fatal_exit(1);
  return surface;
}

void clear_surface(plat::Surface* surface) {
  if (!surface) return;
  REPORT_DD(plat::blt_fill(surface, nullptr, 0));
}

int restore_surfaces() {
  res::debug_log("restore surfaces, %d\n", app::round_time >> 16);
  if (is_lost(back_buffer) || is_lost(primary)) restore(primary);
  if (is_lost(screen_image)) {
    restore(screen_image);
    screen_image_number = -1;  // loaded again on next use
  }
  if (is_lost(next_screen)) restore(next_screen);
  if (is_lost(previous_screen)) restore(previous_screen);
  for (int i = 0; i < 5; ++i) {
    if (!is_lost(layer_surfaces[i])) continue;
    restore(layer_surfaces[i]);
    restore_layer(i);  // its picture comes back from the kept layer picture or the archive
  }
  restore_sprite_surfaces();  // frame surfaces get their pixels again, group caches are emptied
  text::restore_font();
  res::debug_log("restore surfaces ok\n");
  return 1;
}

void release_surfaces(int free_packed) {
  for (plat::Surface*& layer : layer_surfaces) release(layer);
  release(next_screen);
  release(previous_screen);
  release(screen_image);
  screen_image_number = -1;
  release_sprite_surfaces(free_packed);
}

void recreate_surfaces() {
  next_screen = create_surface(800, 600);
  previous_screen = create_surface(800, 600);
  screen_image = create_surface(800, 600);
  screen_image_number = -1;
  for (plat::Surface*& layer : layer_surfaces) layer = create_surface(800, 600);
  recreate_sprite_surfaces();
  for (int i = 0; i < 5; ++i) restore_layer(i);
}

}  // namespace gfx
