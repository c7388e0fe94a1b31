// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene's metal: 38 rectangles in layer-1 coordinates off which a missed shot
// ricochets. The round tests them; the data generator outlines them over its scene preview to
// show that each lies on metal in the picture.
#pragma once

namespace qzx {

// Inclusive ranges, tested in this order: the first match counts.
struct RicochetSpan {
  short x1, x2, y1, y2;
};
inline constexpr int ricochet_span_count = 38;
inline constexpr RicochetSpan ricochet_spans[ricochet_span_count] = {
    {734, 763, 238, 245},   {719, 741, 246, 285},   {742, 751, 246, 283},   {752, 757, 246, 258},
    {1077, 1119, 239, 300}, {1070, 1076, 240, 247}, {1070, 1076, 277, 298}, {1164, 1195, 259, 298},
    {1159, 1163, 288, 298}, {1288, 1310, 258, 262}, {1273, 1312, 263, 294}, {851, 902, 186, 242},
    {903, 960, 191, 242},   {961, 1003, 194, 242},  {1004, 1017, 203, 242}, {1018, 1050, 216, 242},
    {864, 1076, 243, 254},  {887, 917, 255, 266},   {918, 1076, 255, 264},  {963, 1076, 265, 278},
    {966, 1005, 192, 194},  {974, 1017, 159, 191},  {1018, 1024, 164, 193}, {1025, 1033, 171, 198},
    {1034, 1043, 183, 204}, {1044, 1050, 196, 215}, {974, 1004, 153, 158},  {968, 973, 152, 165},
    {959, 967, 152, 160},   {944, 958, 153, 157},   {934, 936, 164, 166},   {930, 934, 167, 169},
    {927, 930, 170, 175},   {924, 927, 176, 180},   {919, 925, 181, 190},   {937, 938, 161, 163},
    {939, 941, 158, 161},   {942, 943, 156, 159},
};

}  // namespace qzx
