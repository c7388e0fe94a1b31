// SPDX-License-Identifier: GPL-3.0-or-later
// The draw list, its blitters, the screen transition and the pixel tests.
#include "game/gfx/draw.h"

#include <cstdlib>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/rle.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/resources/dx_errors.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/random.h"

namespace gfx {

namespace {
// Off while rounds run without a picture (replays, the server's check): every draw call is
// ignored, nothing is flushed, and a transition only keeps its time.
bool drawing_on = true;
}  // namespace


int shake_x = 0;
int shake_y = 0;

namespace {

constexpr const char* source = "game/gfx";

DrawEntry entries[max_draw_entries];
DrawEntry* band_heads[draw_bands];
int entry_count = 0;

// Fading objects lower their level by large steps, so it may pass either end between two frames.
int clamp_blend_level(int alpha) { return alpha < 0 ? 0 : alpha > 256 ? 256 : alpha; }

int band_of(int depth, int flags) {
  int band = depth * 5 + 10;
  if (flags & 0x100) band -= 1;
  if (flags & 0x200) band += 1;
  if (flags & 0x400) band += 2;
  if (flags & 0x1000) band -= 2;
  if (flags & 0x2000) band += 3;
  return band;
}

int sized_sprite(int sprite, int flags, int size) {
  if (size == 128) sprite += 1;
  else if (size == 64) sprite += 2;
  else if (size == 32) sprite += 3;
  if (flags & 1) sprite += 4;
  return sprite;
}

// Takes the next slot; a band outside 0..63 is logged and the slot stays used but unlisted.
DrawEntry* add_entry(int band) {
  if (entry_count >= max_draw_entries) return nullptr;
  DrawEntry* e = &entries[entry_count++];
  if (band < 0 || band >= draw_bands) {
    res::debug_log("z-error: %d\n", band);
    return nullptr;
  }
  e->next = band_heads[band];
  band_heads[band] = e;
  return e;
}

// Keeps a source rectangle inside its surface.
bool clip_to_source(plat::Surface* surface, plat::Rect& src) {
  const int w = plat::surface_width(surface), h = plat::surface_height(surface);
  if (src.left < 0) src.left = 0;
  if (src.top < 0) src.top = 0;
  if (src.right > w) src.right = w;
  if (src.bottom > h) src.bottom = h;
  return src.right > src.left && src.bottom > src.top;
}

// Decodes a packed frame into its group's scratch surface unless it is there already.
void decode_packed(int sprite, int frame) {
  const Sprite& s = *sprites[sprite];
  PackedGroup& g = packed_groups[s.group];
  if (g.cached_sprite == sprite && g.cached_frame == frame) return;
  const Frame& f = s.frames[frame];
  if (!g.scratch || !f.data) return;
  std::uint16_t* px = nullptr;
  int pitch = 0;
  const plat::Rect box{0, 0, f.box_width, f.box_height};
  if (!lock_surface(g.scratch, &box, &px, &pitch, __LINE__)) {
    res::debug_log("could not recover from lost surface\n");
    return;
  }
  if (s.palette_flag) {
    const auto* row = static_cast<const std::uint8_t*>(f.data);
    for (int y = 0; y < f.box_height; ++y)
      row += rle8_decode_row(row, s.palette, f.box_width, px + static_cast<std::size_t>(y) * pitch);
  } else {
    const auto* row = static_cast<const std::uint16_t*>(f.data);
    for (int y = 0; y < f.box_height; ++y)
      row += rle16_decode_row(row, f.box_width, px + static_cast<std::size_t>(y) * pitch);
  }
  unlock_surface(g.scratch, __LINE__);
  g.cached_sprite = sprite;
  g.cached_frame = frame;
}

void add_sprite(int sprite, int frame, int x, int y, int depth, int flags, int size, int kind,
                int alpha, const char* range_message) {
  if (!drawing_on || entry_count >= max_draw_entries) return;
  const int s = sized_sprite(sprite, flags, size);
  if (frame < 0 || frame >= frame_count(s)) {
    res::debug_log(range_message, s, frame);
    return;
  }
  const Sprite& sp = *sprites[s];
  const Frame& f = sp.frames[frame];
  if (f.width <= 0 || f.height <= 0) return;
  x += shake_x + f.left;
  y += shake_y + f.top;
  plat::Rect src{0, 0, f.box_width, f.box_height};
  if (!clip_to_screen(x, y, src)) return;
  plat::Surface* surface = f.surface;
  if (sp.packed) {
    surface = packed_groups[sp.group].scratch;
    const int band = band_of(depth, flags);
    if (kind == kind_plain && band >= 0 && band < draw_bands) decode_packed(s, frame);
  }
  if (kind == kind_plain && !surface) return;  // surfaces released around a display rebuild
  DrawEntry* e = add_entry(band_of(depth, flags));
  if (!e) return;
  e->source = surface;
  e->x = x;
  e->y = y;
  e->kind = kind;
  e->extra = kind == kind_blended ? clamp_blend_level(alpha) : -1;
  e->src = src;
  e->sprite = s;
  e->frame = frame;
}

// ---- software blend ---------------------------------------------------------------------------

std::uint16_t blend_line[16384];

void blend_entry(plat::Surface* target, const DrawEntry& e) {
  const int w = e.src.right - e.src.left, h = e.src.bottom - e.src.top;
  const Sprite* sp = e.sprite >= 0 && e.sprite < sprite_slots ? sprites[e.sprite] : nullptr;
  if (!sp || w <= 0 || h <= 0) return;
  const Frame& f = sp->frames[e.frame];
  if (!f.data) return;
  if (green_shift != 5 && green_shift != 6) {
    res::debug_log("Unknown color-format!(not 555 nor 565)\n");
    return;
  }
  const plat::Rect rect{e.x, e.y, e.x + w, e.y + h};
  void* p = nullptr;
  int pitch = 0;
  plat::HRESULT r = plat::surface_lock(target, &rect, &p, &pitch);
  if (r == plat::DDERR_SURFACELOST) {
    restore_surfaces();
    r = plat::surface_lock(target, &rect, &p, &pitch);
    if (r != plat::DD_OK) {
      res::report_dd_error(r, source, __LINE__);
      return;
    }
  }
  if (res::report_dd_error(r, source, __LINE__)) res::fatal_exit(1);
  auto* dst = static_cast<std::uint16_t*>(p);
  const int pitch_px = pitch / 2;
  const int alpha = clamp_blend_level(e.extra);
  if (!sp->packed) {
    const auto* pic = static_cast<const std::uint16_t*>(f.data);
    for (int y = 0; y < h; ++y)
      blend_row(dst + static_cast<std::size_t>(y) * pitch_px,
                pic + static_cast<std::size_t>(f.box_top + e.src.top + y) * f.stride + f.box_left +
                    e.src.left,
                w, alpha, green_shift);
  } else if (sp->palette_flag) {
    const auto* row = static_cast<const std::uint8_t*>(f.data);
    for (int y = 0; y < e.src.top; ++y) row += rle8_row_length(row);
    for (int y = 0; y < h; ++y) {
      row += rle8_decode_row(row, sp->palette, f.box_width, blend_line);
      blend_row(dst + static_cast<std::size_t>(y) * pitch_px, blend_line + e.src.left, w, alpha,
                green_shift);
    }
  } else {
    const auto* row = static_cast<const std::uint16_t*>(f.data);
    for (int y = 0; y < e.src.top; ++y) row += rle16_row_length(row);
    for (int y = 0; y < h; ++y) {
      row += rle16_decode_row(row, f.box_width, blend_line);
      blend_row(dst + static_cast<std::size_t>(y) * pitch_px, blend_line + e.src.left, w, alpha,
                green_shift);
    }
  }
  unlock_surface(target, __LINE__);
}

// ---- transition state -------------------------------------------------------------------------

bool transition_on = false;
int progress = 4096;
int type = 0;
int stored_parameter = 0;
float row_position[600], row_velocity[600];
float column_position[800], column_velocity[800];
int strip_offset[800];

}  // namespace

// ---- list -------------------------------------------------------------------------------------

int draw_list_count() { return entry_count; }
const DrawEntry* draw_band_head(int band) {
  return band >= 0 && band < draw_bands ? band_heads[band] : nullptr;
}

void set_drawing(bool on) {
  // Layers kept no columns while off: they fill anew once a picture is drawn again.
  if (on && !drawing_on) mark_layers_for_refill();
  drawing_on = on;
}
bool drawing() { return drawing_on; }

void clear_draw_list() {
  for (DrawEntry*& head : band_heads) head = nullptr;
  entry_count = 0;
}

bool clip_to_screen(int& x, int& y, plat::Rect& src) {
  if (x < 0) {
    src.left -= x;
    x = 0;
  }
  if (y < 0) {
    src.top -= y;
    y = 0;
  }
  if (x + (src.right - src.left) > 800) src.right = src.left + (800 - x);
  if (y + (src.bottom - src.top) > 600) src.bottom = src.top + (600 - y);
  return src.right > src.left && src.bottom > src.top;
}

void draw_sprite(int sprite, int frame, int x, int y, int depth, int flags, int size) {
  add_sprite(sprite, frame, x, y, depth, flags, size, kind_plain, -1,
             "*********2* sprite frame out of range: %d:%d\n");
}

void draw_sprite_blended(int sprite, int frame, int x, int y, int depth, int flags, int alpha,
                         int size) {
  add_sprite(sprite, frame, x, y, depth, flags, size, kind_blended, alpha,
             "*********3* sprite frame out of range: %d:%d\n");
}

void draw_surface(plat::Surface* surface, int x, int y, int depth, const plat::Rect& rect) {
  if (!drawing_on || entry_count >= max_draw_entries || !surface) return;
  plat::Rect src = rect;
  if (!clip_to_source(surface, src)) return;
  x += src.left - rect.left;
  y += src.top - rect.top;
  if (!clip_to_screen(x, y, src)) return;
  DrawEntry* e = add_entry(depth * 5 + 10);
  if (!e) return;
  *e = DrawEntry{surface, x, y, kind_plain, -1, src, e->next, 0, 0};
}

void draw_surface_small(plat::Surface* surface, int x, int y, int depth, const plat::Rect& rect) {
  if (!drawing_on || entry_count >= max_draw_entries || !surface) return;
  plat::Rect src = rect;
  src.right -= 1;
  if (!clip_to_source(surface, src)) return;
  x += src.left - rect.left;
  y += src.top - rect.top;
  if (!clip_to_screen(x, y, src)) return;
  const int width = (src.right - src.left) * 75 / 100;
  const int height = (src.bottom - src.top) * 75 / 100;
  if (width < 1 || height < 1) return;
  DrawEntry* e = add_entry(depth * 5 + 10);
  if (!e) return;
  *e = DrawEntry{surface, x, y, width, height, src, e->next, 0, 0};
}

void draw_cursor(int frame) {
  int cx = 0, cy = 0;
  frame_centre(cursor_sprite, frame, cx, cy);
  draw_sprite(cursor_sprite, frame, app::cursor_x - cx, app::cursor_y - cy, 0, 0x100, 0);
}

bool draw_band_entry(plat::Surface* surface, int x, int y, int band, const plat::Rect& rect,
                     int sprite, bool clip) {
  if (entry_count >= max_draw_entries) return false;
  if (!drawing_on || !surface) return true;
  plat::Rect src = rect;
  if (!clip_to_source(surface, src)) return true;
  if (clip && !clip_to_screen(x, y, src)) return true;
  DrawEntry* e = add_entry(band);
  if (e) *e = DrawEntry{surface, x, y, kind_plain, -1, src, e->next, sprite, 0};
  return true;
}

void flush_draw_list() {
  plat::Surface* target = transition_on ? next_screen : back_buffer;
  if (!drawing_on || !target) return;
  if (shake_x != 0 || shake_y != 0) plat::blt_fill(target, nullptr, 0);
  for (int band = draw_bands - 1; band >= 0; --band) {
    for (const DrawEntry* e = band_heads[band]; e; e = e->next) {
      plat::HRESULT r = plat::DD_OK;
      if (e->kind == kind_plain) {
        r = plat::blt_fast(target, e->x, e->y, e->source, &e->src, true);
      } else if (e->kind >= 0) {
        const plat::Rect dst{e->x, e->y, e->x + e->kind, e->y + e->extra};
        r = plat::blt_stretch(target, &dst, e->source, &e->src, true);
      } else {
        blend_entry(target, *e);
        continue;
      }
      if (r == plat::DDERR_SURFACELOST) {
        restore_surfaces();
        return;
      }
      if (r != plat::DD_OK) {
        res::report_dd_error(r, source, __LINE__);
        res::debug_log("  dest x: %d, y: %d   src %d %d %d %d  frame=%d sprite=%d\n", e->x, e->y,
                       e->src.left, e->src.top, e->src.right, e->src.bottom, e->frame, e->sprite);
        res::fatal_exit(1);
      }
    }
  }
}

// ---- blend ------------------------------------------------------------------------------------

namespace {

template <int red_shift_, int green_mask>
std::uint16_t blend_one(std::uint16_t d, std::uint16_t s, int alpha) {
  const int dr = (d >> red_shift_) & 31, dg = (d >> 5) & green_mask, db = d & 31;
  const int sr = (s >> red_shift_) & 31, sg = (s >> 5) & green_mask, sb = s & 31;
  const int r = dr + ((alpha * (sr - dr)) >> 8);
  const int g = dg + ((alpha * (sg - dg)) >> 8);
  const int b = db + ((alpha * (sb - db)) >> 8);
  return static_cast<std::uint16_t>(s != 0 ? (r << red_shift_) | (g << 5) | b : d);
}

// Eight pixels at a time in 16-bit lanes: alpha × difference stays within ±256 × 63, so the
// low half of the product is exact and the arithmetic shift rounds as the scalar form does.
template <int red_shift_, int green_mask>
void blend_row_format(std::uint16_t* target, const std::uint16_t* src, int count, int alpha) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i a = _mm_set1_epi16(static_cast<short>(alpha));
  const __m128i five = _mm_set1_epi16(31);
  const __m128i green = _mm_set1_epi16(green_mask);
  const __m128i zero = _mm_setzero_si128();
  auto channel = [&](__m128i dc, __m128i sc) {
    return _mm_add_epi16(dc, _mm_srai_epi16(_mm_mullo_epi16(a, _mm_sub_epi16(sc, dc)), 8));
  };
  for (; i + 8 <= count; i += 8) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(target + i));
    const __m128i r = channel(_mm_and_si128(_mm_srli_epi16(d, red_shift_), five),
                              _mm_and_si128(_mm_srli_epi16(s, red_shift_), five));
    const __m128i g = channel(_mm_and_si128(_mm_srli_epi16(d, 5), green),
                              _mm_and_si128(_mm_srli_epi16(s, 5), green));
    const __m128i b = channel(_mm_and_si128(d, five), _mm_and_si128(s, five));
    const __m128i blended =
        _mm_or_si128(_mm_or_si128(_mm_slli_epi16(r, red_shift_), _mm_slli_epi16(g, 5)), b);
    const __m128i keep = _mm_cmpeq_epi16(s, zero);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i),
                     _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, blended)));
  }
#endif
  for (; i < count; ++i) target[i] = blend_one<red_shift_, green_mask>(target[i], src[i], alpha);
}

}  // namespace

std::uint16_t blend_pixel(std::uint16_t d, std::uint16_t s, int alpha, int green_shift) {
  alpha = clamp_blend_level(alpha);
  return green_shift == 6 ? blend_one<11, 63>(d, s, alpha) : blend_one<10, 31>(d, s, alpha);
}

void blend_row(std::uint16_t* target, const std::uint16_t* src, int count, int alpha,
               int green_shift) {
  alpha = clamp_blend_level(alpha);  // beyond 0..256 the channels would spill into each other
  if (green_shift == 6)
    blend_row_format<11, 63>(target, src, count, alpha);
  else if (green_shift == 5)
    blend_row_format<10, 31>(target, src, count, alpha);
}

// ---- screen transition ------------------------------------------------------------------------

void start_transition(int parameter) {
  if (!transition_on) {
    if (drawing_on && previous_screen && primary)
      res::report_dd_error(plat::blt_fast(previous_screen, 0, 0, primary, nullptr, false), source,
                           __LINE__);
    progress = 0;
  }
  transition_on = true;
  stored_parameter = parameter;
  type = res::random(4);
  if (type >= 2) type += 1;
  for (int i = 0; i < 600; ++i) {
    row_position[i] = 800.0f + static_cast<float>(i) * 0.5f;
    row_velocity[i] = 0.0f;
  }
  for (int i = 0; i < 800; ++i) {
    column_position[i] = 600.0f + static_cast<float>(i) * 0.25f;
    column_velocity[i] = 0.0f;
  }
}

int transition_progress_after(int before, std::int32_t frame_time) {
  const int after = before + static_cast<int>(static_cast<std::int64_t>(frame_time) * 8 / 75);
  return after > 4095 ? 4096 : after;
}

void transition_step() {
  if (!transition_on) return;
  if (drawing_on && previous_screen && back_buffer) {
    const plat::HRESULT r = plat::blt_fast(back_buffer, 0, 0, previous_screen, nullptr, false);
    if (r == plat::DDERR_SURFACELOST) restore_surfaces();
    else res::report_dd_error(r, source, __LINE__);
  }
  progress = transition_progress_after(progress, app::frame_time);
  const bool ends = progress >= 4096;
  const bool rows = type == 0 || type == 1;
  const bool negate = type == 1 || type == 4;
  const int strips = rows ? 600 : 800;
  float* position = rows ? row_position : column_position;
  float* velocity = rows ? row_velocity : column_velocity;
  for (int i = 0; i < strips; i += 4) {
    position[i] += velocity[i];
    velocity[i] -= position[i] * 0.005f;
    int offset = static_cast<int>((static_cast<std::int64_t>(4096 - progress) *
                                   static_cast<int>(position[i])) / 4096);
    if (negate) offset = -offset;
    strip_offset[i] = offset;
    if (!drawing_on || !next_screen || !back_buffer) continue;
    int x = rows ? offset : i;
    int y = rows ? i : offset;
    plat::Rect src = rows ? plat::Rect{0, i, 800, i + 4} : plat::Rect{i, 0, i + 4, 600};
    if (!clip_to_screen(x, y, src)) continue;
    const plat::HRESULT r = plat::blt_fast(back_buffer, x, y, next_screen, &src, false);
    if (res::report_dd_error(r, source, __LINE__)) {
      res::debug_log("  srcrect:  %5d %5d %5d %5d\n", src.left, src.top, src.right, src.bottom);
      res::debug_log("  dest: %d %d\n", x, y);
    }
  }
  if (ends) transition_on = false;
}

bool transition_running() { return transition_on; }
void cancel_transition() {
  transition_on = false;
  progress = 4096;
}
int transition_type() { return type; }
int transition_progress() { return progress; }
int transition_offset(int i) { return i >= 0 && i < 800 ? strip_offset[i] : 0; }

// ---- pixel tests ------------------------------------------------------------------------------

std::uint16_t sprite_pixel(int sprite, int frame, int x, int y) {
  if (frame < 0 || frame >= frame_count(sprite)) return 0;
  const Sprite& s = *sprites[sprite];
  const Frame& f = s.frames[frame];
  if (!f.data || f.width <= 0 || f.height <= 0) return 0;
  if (x < 0 || y < 0 || x >= f.width || y >= f.height) return 0;
  if (!s.packed) {
    return static_cast<const std::uint16_t*>(
        f.data)[static_cast<std::size_t>(f.box_top + y) * f.stride + f.box_left + x];
  }
  if (s.palette_flag) {
    const auto* row = static_cast<const std::uint8_t*>(f.data);
    for (int r = 0; r < y; ++r) row += rle8_row_length(row);
    return s.palette[rle8_value_at(row, x)];
  }
  const auto* row = static_cast<const std::uint16_t*>(f.data);
  for (int r = 0; r < y; ++r) row += rle16_row_length(row);
  return rle16_value_at(row, x);
}

std::uint16_t layer_pixel(int layer, int x, int y) {
  if (layer < 0 || layer >= 5) return 0;
  if (app::scene != 2) {
    const Layer& l = layers[layer];
    const int column = x + l.offset;
    const int row = y - l.top_trim;
    if (!l.picture.data || column < 0 || column >= l.width || row < 0 || row >= l.height) return 0;
    return l.picture.pixels()[static_cast<std::size_t>(row) * l.width + column];
  }
  // The scene 2 test reads the kept pictures over the same 799 × 599 area the display read
  // covered, so a lost surface or a run without a display gives the same answer.
  if (x < 0 || x > 798 || y < 0 || y > 598) return 0;
  return scene2_layer_pixel(layer, x, y);
}

}  // namespace gfx
