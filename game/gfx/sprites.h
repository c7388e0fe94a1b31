// SPDX-License-Identifier: GPL-3.0-or-later
// The sprite table: every animation of the game, loaded once at start-up behind the loading
// screen. An animation is one picture cut into a grid of equal cells, one frame per cell (row by
// row); every frame is trimmed to its visible box and kept either as its own colour-keyed surface
// (surface mode) or run-length packed in memory and decoded on demand into the scratch surface
// shared by its packed group (packed mode).
#pragma once

#include <cstdint>

#include "game/gfx/catalogue_table.h"
#include "game/gfx/picture.h"
#include "platform/platform.h"

namespace gfx {

struct Frame {
  int left, top;       // visible box inside the cell
  int width, height;   // 0 × 0 for a cell without visible pixels
  plat::Surface* surface;  // surface mode, non-empty box
  void* data;          // surface mode: the whole picture; packed mode: this frame's rows
  int stride;          // surface mode: picture width in pixels; packed mode 0
  int box_left, box_top;  // visible box inside the whole picture
  int box_width, box_height;
};

struct Sprite {
  int frame_count;
  int palette_flag;  // 1: packed rows hold palette indices
  int packed;
  int group;
  std::int16_t columns, rows, mirror;
  char name[64];
  std::uint16_t palette[256];  // display pixel per index (palette_flag 1)
  Frame* frames;
  Picture picture;  // surface mode: the decoded picture, kept for restores
};

extern Sprite* sprites[sprite_slots];

struct PackedGroup {
  int max_width, max_height;
  int cached_sprite, cached_frame;  // -1, -1: nothing decoded
  plat::Surface* scratch;
};
constexpr int max_packed_groups = 128;
extern PackedGroup packed_groups[max_packed_groups];
extern int packed_group_total;  // groups opened so far

// The visible box of a cell: the cell less its empty rows at the top and bottom and its empty
// columns at the left and right (a pixel counts when its display value is not 0).
struct Box {
  int left, top, width, height;
};
Box trim_cell(const std::uint16_t* pixels, int stride, int cell_left, int cell_top, int cell_width,
              int cell_height);
Box trim_cell_indexed(const std::uint8_t* indices, const std::uint16_t* palette, int stride,
                      int cell_left, int cell_top, int cell_width, int cell_height);

// Loads "<name>" (see load_picture) cut into columns × rows cells, mirrored left to right when
// asked; packed while a packed group is open. Logs "load animation: "<name>"".
Sprite* load_animation(const char* name, int columns, int rows, bool mirror);
void begin_packed_group();
void end_packed_group();
void release_sprite(int sprite);

// The whole start-up load: buffers, scene 1 layers, the catalogue for the running edition with
// the loading bar (3 .. 80 %), the extra animations in loose-file mode, the menu buttons, and
// the graphics fingerprint.
void load_catalogue();
void show_loading_screen();
void loading_bar(int percent);
void hide_loading_screen();

// Menu buttons: sprite 57 + index (1 column, 3 rows) and where the title screen shows them.
struct ButtonPlace {
  int x, y, width, height;
};
extern ButtonPlace button_places[6];
void load_button(int index, const char* name, int x, int y);
// Exit-screen pictures: "data\gfx\ad<n>.jpg" into 269 + n, and "data\gfx\but_xit" into 269
// unless the edition is XXL.
void load_exit_pictures();

// Loose-file mode: the extra animations of "sprites.txt" (sprite 65 + n).
struct ExtraAnimation {
  int sprite, layer, x, y, frames;
  std::int32_t phase;  // 16.16, 0 .. 1
};
constexpr int max_extra_animations = 25;
extern ExtraAnimation extra_animations[max_extra_animations];
extern int extra_animation_count;
void load_extra_animations(const char* list_path);
// Advances and draws the extra animations (once per in-game frame).
void draw_extra_animations();

int frame_count(int sprite);
struct FrameRect {
  int left, top, width, height;
};
FrameRect frame_rect(int sprite, int frame);
void frame_centre(int sprite, int frame, int& x, int& y);

// Loads a picture into a new surface of its size (the font picture).
void load_image_surface(plat::Surface** slot, const char* name);
// Loads the picture again into an existing surface (after the surface lost its memory), so
// everything that names the surface stays valid. A picture of another size fills the part both
// share.
void reload_image_surface(plat::Surface* surface, const char* name);

// Locks a surface; a lost surface is restored (restore_surfaces) and locked once more. False
// when it still cannot be locked; other failures are reported and end the process.
bool lock_surface(plat::Surface* surface, const plat::Rect* rect, std::uint16_t** pixels,
                  int* pitch_pixels, int line);
void unlock_surface(plat::Surface* surface, int line);

// The sprites' part of the surface inventory.
void restore_sprite_surfaces();
void release_sprite_surfaces(int free_packed);
void recreate_sprite_surfaces();

}  // namespace gfx
