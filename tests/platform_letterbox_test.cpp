// SPDX-License-Identifier: GPL-3.0-or-later
// The picture's place in display outputs of every shape, and mouse positions mapped back
// through it: bars on the right sides, the 4:3 shape kept, whole-number scales recognised,
// positions over the bars kept at the picture's edge.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/letterbox.h"

using plat::Letterbox;

namespace {

TEST(Letterbox, PlacesThePictureInEveryOutput) {
  struct Case {
    const char* what;
    int output_width, output_height;
    Letterbox expected;
    bool whole;
  };
  const Case cases[] = {
      {"the picture's own size", 800, 600, {0, 0, 800, 600}, true},
      {"5:4 screen: bars above and below", 1280, 1024, {0, 32, 1280, 960}, false},
      {"16:9 screen: bars left and right", 1920, 1080, {240, 0, 1440, 1080}, false},
      {"twice the picture", 1600, 1200, {0, 0, 1600, 1200}, true},
      {"three times with a bar", 2400, 1900, {0, 50, 2400, 1800}, true},
      {"wide window", 1000, 500, {167, 0, 666, 500}, false},
      {"tall window", 500, 1000, {0, 312, 500, 375}, false},
      {"smaller than the picture", 400, 300, {0, 0, 400, 300}, false},
      {"one pixel more each way", 801, 601, {0, 0, 801, 600}, false},
      {"no area", 0, 600, {0, 0, 0, 0}, false},
  };
  for (const Case& c : cases) {
    const Letterbox box = plat::letterbox(c.output_width, c.output_height);
    EXPECT_EQ(box.x, c.expected.x) << c.what;
    EXPECT_EQ(box.y, c.expected.y) << c.what;
    EXPECT_EQ(box.width, c.expected.width) << c.what;
    EXPECT_EQ(box.height, c.expected.height) << c.what;
    EXPECT_EQ(plat::whole_scale(box), c.whole) << c.what;
    if (box.width == 0) continue;
    // Inside the output, centred to the pixel, and 4:3 to within a pixel.
    EXPECT_GE(box.x, 0) << c.what;
    EXPECT_GE(box.y, 0) << c.what;
    EXPECT_LE(std::abs((c.output_width - box.width - box.x) - box.x), 1) << c.what;
    EXPECT_LE(std::abs((c.output_height - box.height - box.y) - box.y), 1) << c.what;
    EXPECT_LE(std::abs(box.width * 3 - box.height * 4), 4) << c.what;
    EXPECT_TRUE(box.width == c.output_width || box.height == c.output_height) << c.what;
  }
}

TEST(Letterbox, OutputPositionsMapBackToPicturePixels) {
  const int outputs[][2] = {{800, 600}, {1280, 1024}, {1920, 1080}, {1600, 1200}, {1000, 500},
                            {500, 1000}};
  for (const auto& output : outputs) {
    const Letterbox box = plat::letterbox(output[0], output[1]);
    int px = -1, py = -1;
    auto at = [&](int x, int y) {
      plat::output_to_picture(box, x, y, px, py);
      return std::pair{px, py};
    };
    // Corners of the picture, and of the whole output over the bars.
    EXPECT_EQ(at(box.x, box.y), (std::pair{0, 0})) << output[0] << "x" << output[1];
    EXPECT_EQ(at(box.x + box.width - 1, box.y + box.height - 1), (std::pair{799, 599}));
    EXPECT_EQ(at(0, 0), (std::pair{0, 0}));
    EXPECT_EQ(at(output[0] - 1, output[1] - 1), (std::pair{799, 599}));
    EXPECT_EQ(at(-50, output[1] + 50), (std::pair{0, 599}));
    EXPECT_EQ(at(output[0] + 50, -50), (std::pair{799, 0}));
    // Where the picture is shown at least at its size, the output pixel at the middle of
    // every 7th picture pixel maps back to that pixel.
    if (box.width < 800) continue;
    for (int p = 0; p < 800; p += 7) {
      const int x = box.x + static_cast<int>((p + 0.5) * box.width / 800);
      EXPECT_EQ(at(x, box.y).first, p) << output[0] << "x" << output[1] << " column " << p;
    }
    for (int p = 0; p < 600; p += 7) {
      const int y = box.y + static_cast<int>((p + 0.5) * box.height / 600);
      EXPECT_EQ(at(box.x, y).second, p) << output[0] << "x" << output[1] << " row " << p;
    }
  }
}

}  // namespace
