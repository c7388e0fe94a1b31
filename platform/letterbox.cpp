// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/letterbox.h"

#include <cstdint>

namespace plat {

namespace {

constexpr int picture_width = 800, picture_height = 600;

// The picture coordinate under the middle of an output pixel along one axis, kept inside the
// picture (so a picture shown smaller than its size still reaches both edges).
int to_picture(int offset, int box_size, int picture_size) {
  if (box_size <= 0 || offset < 0) return 0;
  const std::int64_t v = (2 * static_cast<std::int64_t>(offset) + 1) * picture_size /
                         (2 * static_cast<std::int64_t>(box_size));
  return v >= picture_size ? picture_size - 1 : static_cast<int>(v);
}

}  // namespace

Letterbox letterbox(int output_width, int output_height) {
  if (output_width <= 0 || output_height <= 0) return {0, 0, 0, 0};
  // The width decides unless the height that goes with it does not fit.
  int width = output_width;
  int height = static_cast<int>(static_cast<std::int64_t>(output_width) * picture_height /
                                picture_width);
  if (height > output_height) {
    height = output_height;
    width = static_cast<int>(static_cast<std::int64_t>(output_height) * picture_width /
                             picture_height);
  }
  return {(output_width - width) / 2, (output_height - height) / 2, width, height};
}

bool whole_scale(const Letterbox& box) {
  return box.width > 0 && box.width % picture_width == 0 &&
         box.height * picture_width == box.width * picture_height;
}

void output_to_picture(const Letterbox& box, int x, int y, int& picture_x, int& picture_y) {
  picture_x = to_picture(x - box.x, box.width, picture_width);
  picture_y = to_picture(y - box.y, box.height, picture_height);
}

}  // namespace plat
