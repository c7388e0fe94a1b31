// SPDX-License-Identifier: GPL-3.0-or-later
// Surfaces in memory: 16-bit pixels with a pitch, a colour key, a lock and a lost state. The
// game composes its pictures here; only a flip hands the primary surface to the backend.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

#include "platform/backend.h"

namespace plat {

struct Surface {
  int width = 0, height = 0;
  int pitch = 0;  // bytes per row; rows are padded to 32 bytes, as display memory often is
  // Zeroed memory from calloc: a large surface is mapped from the system on demand, so its pages
  // cost nothing until something is drawn into them (a re-simulation with the drawing off never
  // touches the screen-sized ones).
  struct FreePixels {
    void operator()(std::uint16_t* p) const { std::free(p); }
  };
  std::unique_ptr<std::uint16_t[], FreePixels> pixels;
  std::size_t pixel_count = 0;
  bool lost = false;
  bool locked = false;
  bool has_key = false;
  std::uint16_t key_low = 0, key_high = 0;
  bool primary = false;
  Surface* back = nullptr;  // the primary's back buffer
  bool back_buffer = false;

  std::uint16_t* row(int y) { return pixels.get() + static_cast<std::ptrdiff_t>(y) * (pitch / 2); }
};

namespace {

// Every live surface; a set, so checking a surface on every blit stays cheap however many exist.
std::unordered_set<Surface*> all_surfaces;
bool display_object = false;

Surface* new_surface(int width, int height) {
  auto* s = new Surface;
  s->width = width;
  s->height = height;
  s->pitch = ((width * 2 + 31) / 32) * 32;
  s->pixel_count = static_cast<std::size_t>(s->pitch / 2) * static_cast<std::size_t>(height);
  s->pixels.reset(static_cast<std::uint16_t*>(std::calloc(s->pixel_count ? s->pixel_count : 1, 2)));
  if (!s->pixels) {
    delete s;
    throw std::bad_alloc();
  }
  all_surfaces.insert(s);
  return s;
}

void delete_surface(Surface* s) {
  all_surfaces.erase(s);
  delete s;
}

bool known(const Surface* s) {
  return s && all_surfaces.count(const_cast<Surface*>(s)) != 0;
}

bool rect_inside(const Rect& r, const Surface* s) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
         r.right <= s->width && r.bottom <= s->height;
}

Rect whole(const Surface* s) { return {0, 0, s->width, s->height}; }

// Any state that keeps a blit from running, as a result code.
HRESULT usable(Surface* s) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  if (s->lost) return DDERR_SURFACELOST;
  if (s->locked) return DDERR_SURFACEBUSY;
  return DD_OK;
}

// Copies one row; keyed rows skip the key range. The loops are branch-free so the compiler
// can vectorise them.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void copy_row(std::uint16_t* dst, const std::uint16_t* src, int count, bool keyed,
              std::uint16_t low, std::uint16_t high) {
  if (!keyed) {
    std::memcpy(dst, src, static_cast<std::size_t>(count) * 2);
  } else if (low == 0 && high == 0) {
    for (int i = 0; i < count; ++i) dst[i] = src[i] ? src[i] : dst[i];
  } else {
    for (int i = 0; i < count; ++i) {
      const std::uint16_t p = src[i];
      dst[i] = (p >= low && p <= high) ? dst[i] : p;
    }
  }
}

}  // namespace

HRESULT display_create() {
  if (display_object) return DDERR_DIRECTDRAWALREADYCREATED;
  const HRESULT r = backend().display_step(DisplayStep::create);
  if (r == DD_OK) display_object = true;
  return r;
}

HRESULT display_set_cooperative_level() {
  if (!display_object) return DDERR_NOTINITIALIZED;
  return backend().display_step(DisplayStep::cooperative_level);
}

HRESULT display_query_interface() {
  if (!display_object) return DDERR_NOTINITIALIZED;
  return backend().display_step(DisplayStep::query_interface);
}

HRESULT display_set_mode(int width, int height, int bits) {
  if (!display_object) return DDERR_NOTINITIALIZED;
  if (width != 800 || height != 600 || bits != 16) return DDERR_UNSUPPORTEDMODE;
  return backend().display_step(DisplayStep::set_mode);
}

HRESULT display_create_primary(Surface** primary) {
  *primary = nullptr;
  if (!display_object) return DDERR_NOTINITIALIZED;
  for (Surface* s : all_surfaces)
    if (s->primary) return DDERR_PRIMARYSURFACEALREADYEXISTS;
  const HRESULT r = backend().display_step(DisplayStep::create_primary);
  if (r != DD_OK) return r;
  Surface* p = new_surface(800, 600);
  p->primary = true;
  p->back = new_surface(800, 600);
  p->back->back_buffer = true;
  *primary = p;
  return DD_OK;
}

HRESULT display_get_back_buffer(Surface* primary, Surface** back_buffer) {
  *back_buffer = nullptr;
  if (!known(primary) || !primary->primary) return DDERR_INVALIDOBJECT;
  const HRESULT r = backend().display_step(DisplayStep::get_back_buffer);
  if (r != DD_OK) return r;
  *back_buffer = primary->back;
  return DD_OK;
}

void display_release() {
  if (!display_object) return;
  backend().display_release();
  display_object = false;
}

bool display_exists() { return display_object; }

void forget_display() {
  for (Surface* s : all_surfaces) delete s;
  all_surfaces.clear();
  display_object = false;
}

HRESULT surface_create(int width, int height, Surface** out) {
  *out = nullptr;
  if (!display_object) return DDERR_NOTINITIALIZED;
  if (width <= 0 || height <= 0) return DDERR_INVALIDPARAMS;
  if (width > 8192 || height > 8192) return DDERR_TOOBIGSIZE;
  if (backend().should_fail("CreateOffscreen")) return DDERR_OUTOFVIDEOMEMORY;
  *out = new_surface(width, height);
  return DD_OK;
}

HRESULT surface_set_color_key(Surface* s, std::uint16_t low, std::uint16_t high) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  s->has_key = true;
  s->key_low = low;
  s->key_high = high;
  return DD_OK;
}

HRESULT surface_release(Surface* s) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  if (s->back_buffer) return DD_OK;  // goes with its primary
  if (s->back) delete_surface(s->back);
  delete_surface(s);
  return DD_OK;
}

int surface_width(const Surface* s) { return s ? s->width : 0; }
int surface_height(const Surface* s) { return s ? s->height : 0; }

HRESULT surface_lock(Surface* s, const Rect* rect, void** pixels, int* pitch) {
  *pixels = nullptr;
  const HRESULT state = usable(s);
  if (state != DD_OK) return state;
  const Rect r = rect ? *rect : whole(s);
  if (!rect_inside(r, s)) return DDERR_INVALIDRECT;
  if (backend().should_fail("Lock")) return DDERR_GENERIC;
  s->locked = true;
  *pixels = s->row(r.top) + r.left;
  *pitch = s->pitch;
  return DD_OK;
}

HRESULT surface_unlock(Surface* s) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  if (!s->locked) return DDERR_NOTLOCKED;
  s->locked = false;
  return DD_OK;
}

HRESULT surface_get_pixel_format(Surface* s, PixelFormat* out) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  *out = backend().pixel_format();
  return DD_OK;
}

HRESULT surface_is_lost(Surface* s) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  // A back buffer is lost together with its primary.
  return s->lost ? DDERR_SURFACELOST : DD_OK;
}

HRESULT surface_restore(Surface* s) {
  if (!known(s)) return DDERR_INVALIDOBJECT;
  if (!display_object) return DDERR_WRONGMODE;
  s->lost = false;
  if (s->back) s->back->lost = false;
  return DD_OK;
}

void lose_all_surfaces() {
  for (Surface* s : all_surfaces) {
    s->lost = true;
    s->locked = false;
    std::memset(s->pixels.get(), 0, s->pixel_count * 2);
  }
}

HRESULT blt_fast(Surface* dst, int x, int y, Surface* src, const Rect* src_rect,
                 bool src_color_key) {
  HRESULT state = usable(dst);
  if (state == DD_OK) state = usable(src);
  if (state != DD_OK) return state;
  const Rect r = src_rect ? *src_rect : whole(src);
  const Rect d{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
  if (!rect_inside(r, src) || !rect_inside(d, dst)) return DDERR_INVALIDRECT;
  const bool keyed = src_color_key && src->has_key;
  const int count = r.right - r.left;
  const int rows = r.bottom - r.top;
  if (dst == src) {
    // Overlapping rows: move them unkeyed, from the bottom when the copy goes downwards.
    const bool downwards = d.top > r.top;
    for (int i = 0; i < rows; ++i) {
      const int row = downwards ? rows - 1 - i : i;
      std::memmove(dst->row(d.top + row) + d.left, src->row(r.top + row) + r.left,
                   static_cast<std::size_t>(count) * 2);
    }
    return DD_OK;
  }
  for (int row = 0; row < rows; ++row)
    copy_row(dst->row(d.top + row) + d.left, src->row(r.top + row) + r.left, count, keyed,
             src->key_low, src->key_high);
  return DD_OK;
}

HRESULT blt_stretch(Surface* dst, const Rect* dst_rect, Surface* src, const Rect* src_rect,
                    bool src_color_key) {
  HRESULT state = usable(dst);
  if (state == DD_OK) state = usable(src);
  if (state != DD_OK) return state;
  const Rect s = src_rect ? *src_rect : whole(src);
  const Rect d = dst_rect ? *dst_rect : whole(dst);
  if (!rect_inside(s, src) || !rect_inside(d, dst)) return DDERR_INVALIDRECT;
  if (dst == src) return DDERR_INVALIDPARAMS;
  const bool keyed = src_color_key && src->has_key;
  const int dw = d.right - d.left, dh = d.bottom - d.top;
  const int sw = s.right - s.left, sh = s.bottom - s.top;
  std::vector<std::uint16_t> line(static_cast<std::size_t>(dw));
  for (int row = 0; row < dh; ++row) {
    const std::uint16_t* from = src->row(s.top + row * sh / dh) + s.left;
    for (int col = 0; col < dw; ++col) line[col] = from[col * sw / dw];
    copy_row(dst->row(d.top + row) + d.left, line.data(), dw, keyed, src->key_low,
             src->key_high);
  }
  return DD_OK;
}

HRESULT blt_fill(Surface* dst, const Rect* dst_rect, std::uint16_t color) {
  const HRESULT state = usable(dst);
  if (state != DD_OK) return state;
  const Rect d = dst_rect ? *dst_rect : whole(dst);
  if (!rect_inside(d, dst)) return DDERR_INVALIDRECT;
  for (int y = d.top; y < d.bottom; ++y) std::fill_n(dst->row(y) + d.left, d.right - d.left, color);
  return DD_OK;
}

HRESULT surface_flip(Surface* primary) {
  if (!known(primary) || !primary->primary) return DDERR_NOTFLIPPABLE;
  if (primary->lost || primary->back->lost) return DDERR_SURFACELOST;
  if (primary->locked || primary->back->locked) return DDERR_SURFACEBUSY;
  if (backend().should_fail("Flip")) return DDERR_GENERIC;
  std::swap(primary->pixels, primary->back->pixels);
  return backend().present(primary->pixels.get(), primary->pitch);
}

}  // namespace plat
