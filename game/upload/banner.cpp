// SPDX-License-Identifier: GPL-3.0-or-later
// The banner over the upload dialog: an evening sky over two rows of green hills, drawn for
// whatever size the dialog gives it.
#include <cmath>

#include "game/upload/upload.h"

namespace upload {

namespace {

struct Colour {
  int r, g, b;
};

Colour mix(Colour a, Colour b, double t) {
  t = t < 0 ? 0 : t > 1 ? 1 : t;
  return Colour{static_cast<int>(a.r + (b.r - a.r) * t), static_cast<int>(a.g + (b.g - a.g) * t),
                static_cast<int>(a.b + (b.b - a.b) * t)};
}

constexpr Colour sky_top{40, 90, 170}, sky_low{250, 200, 120}, sun{255, 240, 180};
constexpr Colour far_hill{70, 130, 60}, near_hill{40, 100, 35}, near_shade{30, 75, 25};

// Heights of the hill lines at x (0..1 across), as parts of the height.
double far_line(double x) { return 0.55 + 0.08 * std::sin(x * 7.0 + 1.0) + 0.05 * std::sin(x * 17.0); }
double near_line(double x) { return 0.72 + 0.07 * std::sin(x * 5.0 + 2.5) + 0.03 * std::sin(x * 23.0); }

}  // namespace

void paint_banner(int width, int height, std::uint8_t* rgb) {
  if (width <= 0 || height <= 0) return;
  const double sun_x = 0.78 * width, sun_y = 0.42 * height, sun_r = 0.16 * height;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x) / width, fy = static_cast<double>(y) / height;
      Colour c = mix(sky_top, sky_low, fy / 0.7 > 1.0 ? 1.0 : fy / 0.7);
      const double d = std::hypot(x - sun_x, y - sun_y);
      if (d < sun_r) c = sun;
      else if (d < sun_r * 2.2) c = mix(sun, c, (d - sun_r) / (sun_r * 1.2));
      if (fy > far_line(fx)) c = mix(far_hill, near_shade, (fy - far_line(fx)) * 1.5);
      if (fy > near_line(fx)) c = mix(near_hill, near_shade, (fy - near_line(fx)) * 3.0);
      std::uint8_t* p = rgb + (static_cast<std::size_t>(y) * width + x) * 3;
      p[0] = static_cast<std::uint8_t>(c.r < 0 ? 0 : c.r > 255 ? 255 : c.r);
      p[1] = static_cast<std::uint8_t>(c.g < 0 ? 0 : c.g > 255 ? 255 : c.g);
      p[2] = static_cast<std::uint8_t>(c.b < 0 ? 0 : c.b > 255 ? 255 : c.b);
    }
  }
}

}  // namespace upload
