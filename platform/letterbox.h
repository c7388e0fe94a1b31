// SPDX-License-Identifier: GPL-3.0-or-later
// Where the 800 x 600 picture goes in a display output of any size: as large as fits with its
// shape kept, centred, black bars on the rest; and the way back from an output position (the
// mouse) to the picture pixel under it.
#pragma once

namespace plat {

struct Letterbox {
  int x, y, width, height;  // the picture's rectangle in output pixels
};

// An output of no area gives a rectangle of no area.
Letterbox letterbox(int output_width, int output_height);
// True when the picture is scaled by the same whole number in both directions (nearest-pixel
// scaling then shows it exactly and costs the least).
bool whole_scale(const Letterbox& box);
// The picture pixel (0..799, 0..599) under output position (x, y); positions over the bars give
// the nearest pixel of the picture's edge.
void output_to_picture(const Letterbox& box, int x, int y, int& picture_x, int& picture_y);

}  // namespace plat
