// The miss handler: a shot that hits no object may ricochet off the first scene's metal.
#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/qzX/round.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

namespace {
// Inclusive ranges in layer-1 coordinates, tested in this order: the first match counts.
struct Span {
  short x1, x2, y1, y2;
};
constexpr Span ricochet_spans[38] = {
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
}  // namespace

int ricochet_rectangle(int world_x, int y) {
  for (int i = 0; i < 38; ++i) {
    const Span& s = ricochet_spans[i];
    if (world_x >= s.x1 && world_x <= s.x2 && y >= s.y1 && y <= s.y2) return i;
  }
  return -1;
}

void shot_missed(int cursor_x, int cursor_y) {
  if (app::scene != 1) return;
  if (ricochet_rectangle(cursor_x + gfx::layer_offset(1), cursor_y) < 0) return;
  particle_burst(cursor_x, cursor_y, 3.14, 1, 0);
  static constexpr int metal[3] = {sound::sound_hit_metal1, sound::sound_hit_metal2,
                                   sound::sound_hit_metal3};
  sound::play_sound(metal[random(3)]);
}

}  // namespace qzx
