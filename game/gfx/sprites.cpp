// SPDX-License-Identifier: GPL-3.0-or-later
// The sprite table, its loaders and the loading screen.
#include "game/gfx/sprites.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/rle.h"
#include "game/gfx/surfaces.h"
#include "game/resources/archive.h"
#include "game/resources/dx_errors.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace gfx {

Sprite* sprites[sprite_slots];
PackedGroup packed_groups[max_packed_groups];
int packed_group_total = 0;
ButtonPlace button_places[6];
ExtraAnimation extra_animations[max_extra_animations];
int extra_animation_count = 0;

namespace {

constexpr const char* source = "game/gfx";
bool group_open = false;

template <typename Visible>
Box trim(int cell_left, int cell_top, int cell_width, int cell_height, Visible visible) {
  int top = cell_top, bottom = cell_top + cell_height;  // rows [top, bottom)
  auto row_empty = [&](int y) {
    for (int x = cell_left; x < cell_left + cell_width; ++x)
      if (visible(x, y)) return false;
    return true;
  };
  while (top < bottom && row_empty(top)) ++top;
  while (bottom > top && row_empty(bottom - 1)) --bottom;
  if (top == bottom) return Box{0, 0, 0, 0};
  int left = cell_left, right = cell_left + cell_width;
  auto column_empty = [&](int x) {
    for (int y = top; y < bottom; ++y)
      if (visible(x, y)) return false;
    return true;
  };
  while (left < right && column_empty(left)) ++left;
  while (right > left && column_empty(right - 1)) --right;
  return Box{left, top, right - left, bottom - top};
}

// Copies a surface-mode frame's box from the kept picture into its surface.
bool fill_frame_surface(const Frame& f, bool restore_on_loss) {
  if (!f.surface || !f.data) return true;
  std::uint16_t* dst = nullptr;
  int pitch = 0;
  if (restore_on_loss) {
    if (!lock_surface(f.surface, nullptr, &dst, &pitch, __LINE__)) return false;
  } else {
    void* p = nullptr;
    int pitch_bytes = 0;
    if (res::report_dd_error(plat::surface_lock(f.surface, nullptr, &p, &pitch_bytes), source,
                             __LINE__))
      return false;
    dst = static_cast<std::uint16_t*>(p);
    pitch = pitch_bytes / 2;
  }
  const auto* src = static_cast<const std::uint16_t*>(f.data);
  for (int y = 0; y < f.box_height; ++y)
    std::memcpy(dst + static_cast<std::size_t>(y) * pitch,
                src + static_cast<std::size_t>(f.box_top + y) * f.stride + f.box_left,
                static_cast<std::size_t>(f.box_width) * 2);
  unlock_surface(f.surface, __LINE__);
  return true;
}

void mirror_picture(Picture& p) {
  for (int y = 0; y < p.height; ++y) {
    if (p.indexed) {
      std::uint8_t* row = p.indices() + static_cast<std::size_t>(y) * p.width;
      for (int a = 0, b = p.width - 1; a < b; ++a, --b) std::swap(row[a], row[b]);
    } else {
      std::uint16_t* row = p.pixels() + static_cast<std::size_t>(y) * p.width;
      for (int a = 0, b = p.width - 1; a < b; ++a, --b) std::swap(row[a], row[b]);
    }
  }
}

// An 8-bit picture that is not packed is turned into display pixels through its palette.
void expand_indices(Picture& p, const std::uint16_t* palette) {
  const std::size_t count = static_cast<std::size_t>(p.width) * p.height;
  auto* pixels = static_cast<std::uint16_t*>(XMALLOC(count * 2));
  for (std::size_t i = 0; i < count; ++i) pixels[i] = palette[p.indices()[i]];
  XFREE(p.data);
  p.data = pixels;
  p.indexed = false;
}

void* pack_frame(const Sprite& s, const Picture& p, const Box& box) {
  std::size_t total = 0;
  std::size_t estimate = 0;
  void* buffer = nullptr;
  if (p.indexed) {
    estimate = static_cast<std::size_t>(box.width) * box.height + 4096;
    auto* out = static_cast<std::uint8_t*>(XMALLOC(rle8_row_bound(box.width) * box.height));
    for (int y = 0; y < box.height; ++y)
      total += rle8_encode_row(
          p.indices() + static_cast<std::size_t>(box.top + y) * p.width + box.left, box.width,
          out + total);
    buffer = out;
  } else {
    estimate = static_cast<std::size_t>(box.width) * box.height * 2 + 4096;
    auto* out = static_cast<std::uint16_t*>(XMALLOC(rle16_row_bound(box.width) * box.height * 2));
    for (int y = 0; y < box.height; ++y)
      total += rle16_encode_row(
          p.pixels() + static_cast<std::size_t>(box.top + y) * p.width + box.left, box.width,
          out + total);
    total *= 2;
    buffer = out;
  }
  if (total > estimate) res::debug_log("!!!!!!! %s\n", s.name);
  return XREALLOC(buffer, total);
}

void free_frames(Sprite& s, bool free_surfaces, bool free_data) {
  for (int i = 0; i < s.frame_count; ++i) {
    Frame& f = s.frames[i];
    if (free_surfaces && f.surface) {
      res::report_dd_error(plat::surface_release(f.surface), source, __LINE__);
      f.surface = nullptr;
    }
    if (free_data && s.packed && f.data) {
      XFREE(f.data);
      f.data = nullptr;
    }
  }
  if (free_data && !s.packed) {
    free_picture(s.picture);
    for (int i = 0; i < s.frame_count; ++i) s.frames[i].data = nullptr;
  }
}

}  // namespace

Box trim_cell(const std::uint16_t* pixels, int stride, int cell_left, int cell_top, int cell_width,
              int cell_height) {
  return trim(cell_left, cell_top, cell_width, cell_height, [&](int x, int y) {
    return pixels[static_cast<std::size_t>(y) * stride + x] != 0;
  });
}

Box trim_cell_indexed(const std::uint8_t* indices, const std::uint16_t* palette, int stride,
                      int cell_left, int cell_top, int cell_width, int cell_height) {
  return trim(cell_left, cell_top, cell_width, cell_height, [&](int x, int y) {
    return palette[indices[static_cast<std::size_t>(y) * stride + x]] != 0;
  });
}

bool lock_surface(plat::Surface* surface, const plat::Rect* rect, std::uint16_t** pixels,
                  int* pitch_pixels, int line) {
  void* p = nullptr;
  int pitch = 0;
  plat::HRESULT r = plat::surface_lock(surface, rect, &p, &pitch);
  if (r == plat::DDERR_SURFACELOST) {
    restore_surfaces();
    r = plat::surface_lock(surface, rect, &p, &pitch);
    if (r == plat::DDERR_SURFACELOST) return false;
  }
  if (r != plat::DD_OK) {
    res::report_dd_error(r, source, line);
    res::fatal_exit(1);
  }
  *pixels = static_cast<std::uint16_t*>(p);
  *pitch_pixels = pitch / 2;
  return true;
}

void unlock_surface(plat::Surface* surface, int line) {
  if (res::report_dd_error(plat::surface_unlock(surface), source, line)) res::fatal_exit(1);
}

Sprite* load_animation(const char* name, int columns, int rows, bool mirror) {
  std::memset(picture_palette, 0, sizeof picture_palette);
  res::debug_log("load animation: \"%s\"\n", name);
  Picture picture;
  if (!load_picture(name, picture, true)) {
    res::debug_log("***ERROR*** could not load %s\n", name);
    res::fatal_exit(1);
  }
  if (columns < 1) columns = 1;
  if (rows < 1) rows = 1;
  if (mirror) mirror_picture(picture);

  auto* s = new (XMALLOC(sizeof(Sprite))) Sprite{};
  s->frame_count = columns * rows;
  s->packed = group_open ? 1 : 0;
  s->group = group_open ? packed_group_total : 0;
  s->columns = static_cast<std::int16_t>(columns);
  s->rows = static_cast<std::int16_t>(rows);
  s->mirror = mirror ? 1 : 0;
  std::snprintf(s->name, sizeof s->name, "%s", name);
  if (picture.indexed) {
    for (int i = 0; i < 256; ++i)
      s->palette[i] = pack_rgb(picture_palette[i][0] / 8, picture_palette[i][1] / 8,
                               picture_palette[i][2] / 8);
    if (!s->packed) expand_indices(picture, s->palette);
  }
  s->palette_flag = picture.indexed ? 1 : 0;
  s->frames = static_cast<Frame*>(XMALLOC(sizeof(Frame) * s->frame_count));
  std::memset(s->frames, 0, sizeof(Frame) * s->frame_count);

  const int cell_width = picture.width / columns;
  const int cell_height = picture.height / rows;
  for (int i = 0; i < s->frame_count; ++i) {
    const int cell_left = (i % columns) * cell_width;
    const int cell_top = (i / columns) * cell_height;
    const Box box =
        picture.indexed
            ? trim_cell_indexed(picture.indices(), s->palette, picture.width, cell_left, cell_top,
                                cell_width, cell_height)
            : trim_cell(picture.pixels(), picture.width, cell_left, cell_top, cell_width,
                        cell_height);
    Frame& f = s->frames[i];
    f.box_left = box.left;
    f.box_top = box.top;
    f.box_width = f.width = box.width;
    f.box_height = f.height = box.height;
    f.left = box.width > 0 ? box.left - cell_left : 0;
    f.top = box.height > 0 ? box.top - cell_top : 0;
    if (s->packed) {
      PackedGroup& g = packed_groups[packed_group_total];
      if (box.width > g.max_width) g.max_width = box.width;
      if (box.height > g.max_height) g.max_height = box.height;
      if (box.width > 0 && box.height > 0) f.data = pack_frame(*s, picture, box);
    } else {
      f.data = picture.data;
      f.stride = picture.width;
      if (box.width > 0 && box.height > 0) {
        f.surface = create_surface(box.width, box.height);
        fill_frame_surface(f, true);
      }
    }
  }
  if (s->packed)
    free_picture(picture);
  else
    s->picture = picture;
  return s;
}

void begin_packed_group() {
  if (group_open || packed_group_total >= max_packed_groups) return;
  packed_groups[packed_group_total] = PackedGroup{0, 0, -1, -1, nullptr};
  group_open = true;
}

void end_packed_group() {
  if (!group_open) return;
  PackedGroup& g = packed_groups[packed_group_total];
  g.scratch = create_surface(g.max_width > 0 ? g.max_width : 1, g.max_height > 0 ? g.max_height : 1);
  ++packed_group_total;
  group_open = false;
}

void release_sprite(int sprite) {
  if (sprite < 0 || sprite >= sprite_slots || !sprites[sprite]) return;
  Sprite* s = sprites[sprite];
  free_frames(*s, true, true);
  XFREE(s->frames);
  XFREE(s);
  sprites[sprite] = nullptr;
}

// ---- loading screen ------------------------------------------------------------------------------

namespace {

std::uint16_t picture_pixel(const Sprite* s, int x, int y) {
  if (!s || !s->picture.data || s->picture.indexed) return 0;
  if (x < 0 || y < 0 || x >= s->picture.width || y >= s->picture.height) return 0;
  return s->picture.pixels()[static_cast<std::size_t>(y) * s->picture.width + x];
}

// The loading screen is drawn whole into the back buffer and shown with a flip, so it is on
// the screen at once, before the main loop runs.
void present_loading_screen() {
  const plat::HRESULT r = plat::surface_flip(primary);
  if (r == plat::DDERR_SURFACELOST)
    restore_surfaces();
  else
    res::report_dd_error(r, source, __LINE__);
}

}  // namespace

void show_loading_screen() {
  release_sprite(loading_sprite);
  release_sprite(loading_bar_sprite);
  sprites[loading_sprite] = load_animation(loading_picture, 1, 1, false);
  sprites[loading_bar_sprite] = load_animation(loading_bar_picture, 1, 1, false);
  loading_bar(0);
}

void loading_bar(int percent) {
  plat::Surface* target = back_buffer ? back_buffer : primary;
  if (!target) return;
  const Sprite* screen = sprites[loading_sprite];
  const Sprite* bar = sprites[loading_bar_sprite];
  if (percent < 0) percent = 0;
  if (percent > 99) percent = 99;
  const int w = bar ? bar->picture.width : 0;
  const int h = bar ? bar->picture.height : 0;
  const int fill = percent * h / 100;
  if (percent > 0 && fill < 1) return;

  std::uint16_t* px = nullptr;
  int pitch = 0;
  if (!lock_surface(target, nullptr, &px, &pitch, __LINE__)) return;
  const int sw = plat::surface_width(target) < 800 ? plat::surface_width(target) : 800;
  const int sh = plat::surface_height(target) < 600 ? plat::surface_height(target) : 600;
  const int fill_top = loading_bar_y + h - fill;
  // Row by row: the loading picture (black outside it), then the bar's opaque pixels over its
  // filled part.
  const bool screen_readable = screen && screen->picture.data && !screen->picture.indexed;
  const int screen_width = screen_readable ? std::min(sw, screen->picture.width) : 0;
  const bool bar_readable = bar && bar->picture.data && !bar->picture.indexed;
  const int bar_end = std::min(loading_bar_x + w, sw);
  for (int y = 0; y < sh; ++y) {
    std::uint16_t* row = px + static_cast<std::size_t>(y) * pitch;
    const int copied = y < (screen_readable ? screen->picture.height : 0) ? screen_width : 0;
    if (copied > 0) {
      const Picture& p = screen->picture;
      std::memcpy(row, p.pixels() + static_cast<std::size_t>(y) * p.width,
                  static_cast<std::size_t>(copied) * 2);
    }
    std::fill(row + copied, row + sw, std::uint16_t{0});
    if (fill > 0 && bar_readable && y >= fill_top && y < loading_bar_y + h) {
      const Picture& p = bar->picture;
      const std::uint16_t* b = p.pixels() + static_cast<std::size_t>(y - loading_bar_y) * p.width;
      for (int x = loading_bar_x; x < bar_end; ++x)
        if (b[x - loading_bar_x]) row[x] = b[x - loading_bar_x];
    }
  }
  // The soft edge: up to 8 rows above the filled part fade the bar in.
  if (fill > 0) {
    if (green_shift == 5 || green_shift == 6) {
      for (int k = 0; k < 8; ++k) {
        const int y = fill_top - 1 - k;
        if (y <= loading_bar_y || y >= sh) break;
        const int weight = 256 - 32 * k;
        std::uint16_t* row = px + static_cast<std::size_t>(y) * pitch;
        for (int x = loading_bar_x; x < loading_bar_x + w && x < sw; ++x) {
          const std::uint16_t b = picture_pixel(bar, x - loading_bar_x, y - loading_bar_y);
          if (b) row[x] = blend_pixel(picture_pixel(screen, x, y), b, weight, green_shift);
        }
      }
    } else {
      res::debug_log("Unknown color-format!(not 555 nor 565)\n");
    }
  }
  unlock_surface(target, __LINE__);
  if (target == back_buffer && primary) present_loading_screen();
}

void hide_loading_screen() {
  release_sprite(loading_sprite);
  release_sprite(loading_bar_sprite);
}

// ---- catalogue -----------------------------------------------------------------------------------

void load_catalogue() {
  for (int i = 0; i < sprite_slots; ++i) release_sprite(i);
  for (int i = 0; i < packed_group_total; ++i) {
    if (packed_groups[i].scratch)
      res::report_dd_error(plat::surface_release(packed_groups[i].scratch), source, __LINE__);
    packed_groups[i] = PackedGroup{0, 0, -1, -1, nullptr};
  }
  packed_group_total = 0;
  group_open = false;
  detect_pixel_format();
  show_loading_screen();

  if (!next_screen) next_screen = create_surface(800, 600);
  if (!previous_screen) previous_screen = create_surface(800, 600);
  if (!screen_image) screen_image = create_surface(800, 600);
  screen_image_number = -1;
  for (plat::Surface*& layer : layer_surfaces)
    if (!layer) layer = create_surface(800, 600);
  load_scene1_layers();

  const std::uint8_t bit = edition_bit(app::edition);
  for (const CatalogueUnit& unit : catalogue_units) {
    if (!(unit.editions & bit)) continue;
    if (unit.mode == LoadMode::packed) begin_packed_group();
    for (int i = unit.first; i < unit.first + unit.count; ++i) {
      const CatalogueSprite& entry = catalogue_sprites[i];
      const int rows = catalogue_rows(entry, app::edition);
      if (rows <= 0) continue;
      release_sprite(entry.sprite);
      sprites[entry.sprite] = load_animation(entry.name, entry.columns, rows, entry.mirrored);
    }
    if (unit.mode == LoadMode::packed) end_packed_group();
    if (unit.bar_percent > 0) loading_bar(unit.bar_percent);
  }
  if (!res::use_data_archive) load_extra_animations("sprites.txt");
  for (int i = 0; i < static_cast<int>(std::size(menu_buttons)); ++i)
    load_button(i, menu_buttons[i].name, menu_buttons[i].x, menu_buttons[i].y);
  write_graphics_fingerprint();
}

void load_button(int index, const char* name, int x, int y) {
  if (index < 0 || index >= 6) return;
  const int sprite = button_first_sprite + index;
  char path[128];
  // Names without a folder are buttons of data\gfx.
  if (std::strchr(name, '\\'))
    std::snprintf(path, sizeof path, "%s", name);
  else
    std::snprintf(path, sizeof path, "data\\gfx\\%s", name);
  release_sprite(sprite);
  sprites[sprite] = load_animation(path, 1, button_rows, false);
  const Frame& f = sprites[sprite]->frames[0];
  button_places[index] = ButtonPlace{x, y, f.width, f.height};
}

void load_exit_pictures() {
  for (int n = 1; n <= ad_max; ++n) {
    char base[64];
    std::snprintf(base, sizeof base, "data\\gfx\\ad%d", n);
    if (!res::xfexist(base, ".jpg")) continue;
    release_sprite(exit_button_sprite + n);
    sprites[exit_button_sprite + n] = load_animation(base, 1, 1, false);
  }
  if (app::edition != app::edition_xxl) {
    release_sprite(exit_button_sprite);
    sprites[exit_button_sprite] = load_animation("data\\gfx\\but_xit", 1, 1, false);
  }
}

void load_extra_animations(const char* list_path) {
  extra_animation_count = 0;
  std::FILE* list = std::fopen(list_path, "r");
  if (!list) return;
  char line[1000];
  while (std::fgets(line, sizeof line, list) && extra_animation_count < max_extra_animations) {
    if (line[0] == '#' || std::strlen(line) < 5) continue;
    char name[64] = {};
    int layer = 0, x = 0, y = 0, frames = 0;
    float unused = 0;
    if (std::sscanf(line, "%63s %d %d %d %d %f", name, &layer, &x, &y, &frames, &unused) < 5)
      continue;
    if (frames <= 0 || name[0] == '\0') continue;
    char path[128];
    std::snprintf(path, sizeof path, "data\\gfx\\%s", name);
    const int sprite = 65 + extra_animation_count;
    release_sprite(sprite);
    sprites[sprite] = load_animation(path, 1, frames, false);
    extra_animations[extra_animation_count++] = ExtraAnimation{sprite, layer, x, y, frames, 0};
  }
  std::fclose(list);
}

void draw_extra_animations() {
  for (int i = 0; i < extra_animation_count; ++i) {
    ExtraAnimation& a = extra_animations[i];
    a.phase += app::frame_time;
    if (a.phase >= 65536) a.phase = 0;
    int frame = static_cast<int>((static_cast<std::int64_t>(a.phase) * a.frames) >> 16);
    if (frame > a.frames - 1) frame = a.frames - 1;
    draw_sprite(a.sprite, frame, a.x - layer_offset(a.layer), a.y, a.layer, 0, 0);
  }
}

// ---- frame queries -------------------------------------------------------------------------------

int frame_count(int sprite) {
  if (sprite < 0 || sprite >= sprite_slots || !sprites[sprite]) return 0;
  return sprites[sprite]->frame_count;
}

FrameRect frame_rect(int sprite, int frame) {
  if (frame < 0 || frame >= frame_count(sprite)) return FrameRect{0, 0, 0, 0};
  const Frame& f = sprites[sprite]->frames[frame];
  return FrameRect{f.left, f.top, f.width, f.height};
}

void frame_centre(int sprite, int frame, int& x, int& y) {
  x = y = 0;
  if (sprite < 0) return;
  const FrameRect r = frame_rect(sprite, frame);
  x = r.left + r.width / 2;
  y = r.top + r.height / 2;
}

namespace {

void load_or_exit(const char* name, Picture& picture) {
  if (!load_picture(name, picture, false)) {
    res::debug_log("***ERROR*** could not load %s\n", name);
    res::fatal_exit(1);
  }
}

// Copies the picture into the surface, as far as both reach.
void copy_picture_into(plat::Surface* s, const Picture& picture) {
  const int width = std::min(picture.width, plat::surface_width(s));
  const int height = std::min(picture.height, plat::surface_height(s));
  std::uint16_t* px = nullptr;
  int pitch = 0;
  if (width <= 0 || height <= 0 || !lock_surface(s, nullptr, &px, &pitch, __LINE__)) return;
  for (int y = 0; y < height; ++y)
    std::memcpy(px + static_cast<std::size_t>(y) * pitch,
                picture.pixels() + static_cast<std::size_t>(y) * picture.width,
                static_cast<std::size_t>(width) * 2);
  unlock_surface(s, __LINE__);
}

}  // namespace

void load_image_surface(plat::Surface** slot, const char* name) {
  Picture picture;
  load_or_exit(name, picture);
  plat::Surface* s = create_surface(picture.width, picture.height);
  copy_picture_into(s, picture);
  free_picture(picture);
  *slot = s;
}

void reload_image_surface(plat::Surface* surface, const char* name) {
  Picture picture;
  load_or_exit(name, picture);
  copy_picture_into(surface, picture);
  free_picture(picture);
}

// ---- surface inventory ---------------------------------------------------------------------------

void restore_sprite_surfaces() {
  for (Sprite* s : sprites) {
    if (!s) continue;
    for (int i = 0; i < s->frame_count; ++i) {
      Frame& f = s->frames[i];
      if (!f.surface || plat::surface_is_lost(f.surface) != plat::DDERR_SURFACELOST) continue;
      res::report_dd_error(plat::surface_restore(f.surface), source, __LINE__);
      fill_frame_surface(f, false);
    }
  }
  for (int i = 0; i < packed_group_total; ++i) {
    PackedGroup& g = packed_groups[i];
    if (!g.scratch || plat::surface_is_lost(g.scratch) != plat::DDERR_SURFACELOST) continue;
    res::report_dd_error(plat::surface_restore(g.scratch), source, __LINE__);
    g.cached_sprite = g.cached_frame = -1;
  }
}

void release_sprite_surfaces(int free_packed) {
  for (int i = 0; i < sprite_slots; ++i) {
    Sprite* s = sprites[i];
    if (!s) continue;
    if (free_packed) {
      release_sprite(i);
      continue;
    }
    free_frames(*s, true, !s->packed);
  }
  for (int i = 0; i < packed_group_total; ++i) {
    PackedGroup& g = packed_groups[i];
    if (g.scratch) res::report_dd_error(plat::surface_release(g.scratch), source, __LINE__);
    g.scratch = nullptr;
    g.cached_sprite = g.cached_frame = -1;
  }
}

void recreate_sprite_surfaces() {
  for (int i = 0; i < sprite_slots; ++i) {
    Sprite* s = sprites[i];
    if (!s || s->packed) continue;
    char name[64];
    std::memcpy(name, s->name, sizeof name);
    const int columns = s->columns, rows = s->rows;
    const bool mirror = s->mirror != 0;
    release_sprite(i);
    sprites[i] = load_animation(name, columns, rows, mirror);
  }
  for (int i = 0; i < packed_group_total; ++i) {
    PackedGroup& g = packed_groups[i];
    if (!g.scratch)
      g.scratch = create_surface(g.max_width > 0 ? g.max_width : 1, g.max_height > 0 ? g.max_height : 1);
    g.cached_sprite = g.cached_frame = -1;
  }
}

}  // namespace gfx
