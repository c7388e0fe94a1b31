// SPDX-License-Identifier: GPL-3.0-or-later
// Background layers and full-screen pictures. Scene 1 has five wide layers (front to back) that
// scroll sideways at their own speed; each lives in an 800 × 600 surface used as a ring (picture
// column X in surface column X mod 800), so a scroll by d columns copies only d new columns.
// Scene 2 has three fixed 800 × 600 layers. Menus show one full-screen picture.
#pragma once

#include <cstdint>

#include "game/gfx/picture.h"

namespace gfx {

struct Layer {
  Picture picture;     // rows without the empty rows at the top and bottom
  int width = 0;
  int height = 0;
  int top_trim = 0;    // empty rows removed at the top
  int offset = 0;      // picture column at screen column 0
  int previous_offset = -1000;
  std::int32_t factor = 0;  // 16.16 parallax factor; layer 1 scrolls one column per unit
  // The next refill copies the whole visible window whatever the offsets say (a layer that
  // stands still never gets a negative previous offset); cleared by a refill that succeeded.
  bool needs_full_refill = true;
};
extern Layer layers[5];

void load_scene1_layers();
// Every layer's next refill copies its whole visible window.
void mark_layers_for_refill();
// A negative scroll position is the round set-up's request for a full refill of every layer.
void set_scroll(int scroll);
int layer_offset(int layer);
// Refills the newly exposed columns of every layer and adds the layer entries (scene 1).
void update_layers();
// Loads the three pictures of scene 2, keeps them in memory and puts them into layer surfaces
// 0..2 (when there is a display).
void load_scene2_layers();
void draw_scene2_layers();
// A pixel of a kept scene 2 picture (0 outside it or before the first load): the shot test
// reads these, never the display.
std::uint16_t scene2_layer_pixel(int layer, int x, int y);
// Shows full-screen picture 0..5 (title card, help, highscore, credits, start and end branding).
void show_screen_picture(int number);

// The columns one refill copies: at most two runs, the second starting at ring column 0.
struct LayerCopy {
  int start;        // first picture column
  int count;        // columns
  int ring_column;  // surface column of the first one
};
int plan_layer_refill(int old_offset, int new_offset, LayerCopy out[2]);
// Copies the exposed columns of one layer; false when its surface was lost.
bool refill_layer(int layer);

// The layers' part of the surface inventory: a lost layer surface gets its picture back.
void restore_layer(int layer);
void release_layer_pictures();

}  // namespace gfx
