// SPDX-License-Identifier: GPL-3.0-or-later
// The common death of a chicken: the multi-hit ring, the points, the falling or heart-attack
// animation and the sound.
#include <algorithm>
#include <cstring>

#include "game/app/app.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/sound/sound.h"

namespace qzx {

void kill_chicken(Enemy& e, bool doubled, bool heart) {
  // The megablast's kills do not count towards the multi-hit bonus.
  if (round.megagun_state != 2) {
    std::memmove(&hit_times[0][1], &hit_times[0][0], (hit_ring_size - 1) * sizeof(std::int32_t));
    hit_times[0][0] = app::round_time;
  }

  const int size = std::clamp<int>(e.scale, 1, 4);
  int points = chicken_sizes[size].points;
  if (doubled) points *= 2;
  if (points == 20) points = 15;  // a doubled normal chicken is worth as much as a middle one
  ++round.hits;
  score_popup(e, points, 0, 0);
  record_hit_points(points);

  // The dying chicken stays where it was: the centre of frame 0 of the new row takes the place
  // of the centre of frame 0 of the old one.
  int old_x = 0, old_y = 0;
  gfx::frame_centre(sprite_row(e), 0, old_x, old_y);
  if (heart) {
    set_anim(e, spr_heart, 0);
    e.state = 6;
  } else {
    set_anim(e, spr_falling, 0);
    e.state = 3;
  }
  e.timer = 0;
  e.alpha = 65536;
  int new_x = 0, new_y = 0;
  gfx::frame_centre(sprite_row(e), 0, new_x, new_y);
  e.x += (old_x - new_x) * 65536;
  e.y += (old_y - new_y) * 65536;

  sound::play_sound(heart ? sound::sound_chicken_heart_attack : chicken_sizes[size].death_sound);

  e.data2 = 0;
  e.data3 = chicken_sizes[size].gravity;
}

}  // namespace qzx
