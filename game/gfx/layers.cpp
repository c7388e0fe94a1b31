// SPDX-License-Identifier: GPL-3.0-or-later
// Background layers and full-screen pictures.
#include "game/gfx/layers.h"

#include <cstdlib>
#include <cstring>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/resources/dx_errors.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace gfx {

Layer layers[5];

namespace {

// Scene 2's three pictures, kept for the shot test and for restoring lost surfaces.
Picture scene2_pictures[3];

constexpr const char* source = "game/gfx";

int ring(int column) { return ((column % 800) + 800) % 800; }

bool row_empty(const Picture& p, int y) {
  const std::uint16_t* row = p.pixels() + static_cast<std::size_t>(y) * p.width;
  for (int x = 0; x < p.width; ++x)
    if (row[x]) return false;
  return true;
}

// Writes the columns of one copy into a locked layer surface.
void copy_columns(const Layer& l, const LayerCopy& c, std::uint16_t* px, int pitch) {
  const int rows = l.height < 600 ? l.height : 600;
  for (int r = 0; r < rows; ++r) {
    const std::uint16_t* src = l.picture.pixels() + static_cast<std::size_t>(r) * l.width;
    std::uint16_t* dst = px + static_cast<std::size_t>(r) * pitch + c.ring_column;
    for (int k = 0; k < c.count; ++k) {
      const int column = c.start + k;
      dst[k] = column >= 0 && column < l.width ? src[column] : 0;
    }
  }
}

// Refills with a plain lock: false when the surface is lost (restore_surfaces is not called).
bool refill_raw(int i, bool restore_on_loss) {
  Layer& l = layers[i];
  plat::Surface* surface = layer_surfaces[i];
  if (!surface || !l.picture.data) return true;  // nothing to copy into or from yet
  LayerCopy copies[2];
  const int n = plan_layer_refill(l.needs_full_refill ? -1000 : l.previous_offset, l.offset, copies);
  for (int k = 0; k < n; ++k) {
    void* p = nullptr;
    int pitch = 0;
    const plat::HRESULT r = plat::surface_lock(surface, nullptr, &p, &pitch);
    if (r == plat::DDERR_SURFACELOST) {
      l.needs_full_refill = true;  // the columns of this step never arrived
      if (restore_on_loss) restore_surfaces();
      return false;
    }
    if (res::report_dd_error(r, source, __LINE__)) res::fatal_exit(1);
    copy_columns(l, copies[k], static_cast<std::uint16_t*>(p), pitch / 2);
    unlock_surface(surface, __LINE__);
  }
  l.needs_full_refill = false;
  return true;
}

// Copies a full-screen picture into a locked surface: 600 rows of 800 pixels, black where the
// picture is smaller.
void copy_full_screen(const Picture& picture, std::uint16_t* px, int pitch) {
  const int w = picture.width < 800 ? picture.width : 800;
  for (int y = 0; y < 600; ++y) {
    std::uint16_t* dst = px + static_cast<std::size_t>(y) * pitch;
    if (y < picture.height && w > 0) {
      std::memcpy(dst, picture.pixels() + static_cast<std::size_t>(y) * picture.width,
                  static_cast<std::size_t>(w) * 2);
      std::memset(dst + w, 0, static_cast<std::size_t>(800 - w) * 2);
    } else {
      std::memset(dst, 0, 800 * 2);
    }
  }
}

// Puts a picture into a surface. A loss on the way restores the surfaces (which may already
// bring the picture back) and tries again; false when the surface stayed lost.
bool put_full_screen(plat::Surface* target, const Picture& picture, bool restore_on_loss) {
  if (!target || !picture.data) return true;
  for (int attempt = 0; attempt < 3; ++attempt) {
    void* p = nullptr;
    int pitch = 0;
    const plat::HRESULT r = plat::surface_lock(target, nullptr, &p, &pitch);
    if (r == plat::DDERR_SURFACELOST) {
      if (!restore_on_loss) return false;
      restore_surfaces();
      continue;
    }
    if (res::report_dd_error(r, source, __LINE__)) res::fatal_exit(1);
    copy_full_screen(picture, static_cast<std::uint16_t*>(p), pitch / 2);
    unlock_surface(target, __LINE__);
    return true;
  }
  return false;
}

void load_picture_or_exit(const char* name, Picture& picture) {
  if (!load_picture(name, picture, false)) {
    res::debug_log("***ERROR*** could not load %s\n", name);
    res::fatal_exit(1);
  }
}

// Loads an 800 × 600 picture into a surface; a smaller picture leaves the rest black.
void load_full_screen(plat::Surface* target, const char* name) {
  if (!target) return;
  Picture picture;
  load_picture_or_exit(name, picture);
  put_full_screen(target, picture, true);
  free_picture(picture);
}

}  // namespace

void load_scene1_layers() {
  for (int i = 0; i < 5; ++i) {
    Layer& l = layers[i];
    free_picture(l.picture);
    Picture p;
    if (!load_picture(scene1_layers[i], p, false)) {
      res::debug_log("***ERROR*** could not load %s\n", scene1_layers[i]);
      res::fatal_exit(1);
    }
    int top = 0, bottom = p.height;
    while (top < bottom && row_empty(p, top)) ++top;
    while (bottom > top && row_empty(p, bottom - 1)) --bottom;
    if (top > 0)
      std::memmove(p.pixels(), p.pixels() + static_cast<std::size_t>(top) * p.width,
                   static_cast<std::size_t>(bottom - top) * p.width * 2);
    p.height = bottom - top;
    l.picture = p;
    l.width = p.width;
    l.height = p.height;
    l.top_trim = top;
    l.offset = 0;
    l.previous_offset = -1000;
  }
  mark_layers_for_refill();
  const int reference = layers[1].width - 800;
  for (int i = 0; i < 5; ++i) {
    const int extra = layers[i].width - 800;
    if (reference <= 0 || extra <= 0) {
      layers[i].factor = 0;  // a layer no wider than the screen stands still
    } else {
      layers[i].factor = static_cast<std::int32_t>((static_cast<std::int64_t>(extra) << 16) / reference);
    }
  }
}

void mark_layers_for_refill() {
  for (Layer& l : layers) l.needs_full_refill = true;
}

void set_scroll(int scroll) {
  if (scroll < 0) mark_layers_for_refill();
  for (Layer& l : layers) {
    l.previous_offset = l.offset;
    l.offset = static_cast<int>(static_cast<std::int64_t>(scroll) * l.factor / 65536);
  }
}

int layer_offset(int layer) {
  if (app::scene != 1 || layer < 0 || layer >= 5) return 0;
  return layers[layer].offset;
}

int plan_layer_refill(int old_offset, int new_offset, LayerCopy out[2]) {
  int start = 0, count = 0;
  if (old_offset < 0) {
    start = new_offset;
    count = 800;
  } else if (new_offset < old_offset) {
    start = new_offset;
    count = old_offset - new_offset;
  } else {
    start = old_offset + 800;
    count = new_offset - old_offset;
  }
  if (count <= 0) return 0;
  if (count >= 800) {  // a jump of a screen or more refills the visible window once
    start = new_offset;
    count = 800;
  }
  if (start < 0) start = 0;
  const int k = start % 800;
  if (k + count < 800) {
    out[0] = LayerCopy{start, count, k};
    return 1;
  }
  out[0] = LayerCopy{start, 800 - k, k};
  const int rest = count - (800 - k);
  if (rest <= 0) return 1;
  out[1] = LayerCopy{start - k + 800, rest, 0};
  return 2;
}

bool refill_layer(int layer) { return refill_raw(layer, true); }

void update_layers() {
  if (!drawing()) return;  // only the offsets matter without a picture; set_scroll keeps them
  bool any = false;
  for (int i = 0; i < 5; ++i)
    if (refill_layer(i)) any = true;
  if (!any) {
    mark_layers_for_refill();
    for (int i = 0; i < 5; ++i) refill_layer(i);
  }
  for (int i = 0; i < 5; ++i) {
    const Layer& l = layers[i];
    const int height = l.height < 600 ? l.height : 600;
    if (height <= 0) continue;
    const int g = ring(l.offset);
    const int band = 12 + 5 * i;
    if (!draw_band_entry(layer_surfaces[i], shake_x, l.top_trim + shake_y, band,
                         plat::Rect{g, 0, 800, height}, -1 - i, true))
      return;
    if (g > 0 && !draw_band_entry(layer_surfaces[i], shake_x + 800 - g, l.top_trim + shake_y, band,
                                  plat::Rect{0, 0, g, height}, -1 - i, true))
      return;
  }
}

void load_scene2_layers() {
  // The pictures stay in memory: the shot test reads them (with or without a display), and a
  // lost surface gets its picture back from them.
  for (int i = 0; i < 3; ++i) {
    free_picture(scene2_pictures[i]);
    load_picture_or_exit(scene2_layers[i], scene2_pictures[i]);
  }
  for (int i = 0; i < 3; ++i) put_full_screen(layer_surfaces[i], scene2_pictures[i], true);
}

std::uint16_t scene2_layer_pixel(int layer, int x, int y) {
  if (layer < 0 || layer >= 3) return 0;
  const Picture& p = scene2_pictures[layer];
  if (!p.data || p.indexed || x >= p.width || y >= p.height) return 0;
  return p.pixels()[static_cast<std::size_t>(y) * p.width + x];
}

void draw_scene2_layers() {
  static constexpr int bottoms[3] = {600, 400, 300};
  for (int i = 0; i < 3; ++i)
    if (!draw_band_entry(layer_surfaces[i], shake_x, shake_y, 12 + 5 * i,
                         plat::Rect{0, 0, 800, bottoms[i]}, -1 - i, true))
      return;
}

void show_screen_picture(int number) {
  if (number < 0 || number >= static_cast<int>(std::size(screen_pictures))) return;
  if (number != screen_image_number) {
    load_full_screen(screen_image, screen_pictures[number]);
    screen_image_number = number;
  }
  draw_band_entry(screen_image, 0, 0, 17, plat::Rect{0, 0, 800, 600}, 0, false);
}

void restore_layer(int layer) {
  if (layer < 0 || layer >= 5) return;
  if (app::scene == 2) {
    if (layer < 3) put_full_screen(layer_surfaces[layer], scene2_pictures[layer], false);
    return;
  }
  layers[layer].needs_full_refill = true;
  refill_raw(layer, false);
}

void release_layer_pictures() {
  for (Layer& l : layers) free_picture(l.picture);
  for (Picture& p : scene2_pictures) free_picture(p);
}

}  // namespace gfx
