// SPDX-License-Identifier: GPL-3.0-or-later
// The chickens' size classes and the sounds chickens make outside their own deaths.
#include "game/app/app.h"
#include "game/qzX/chickens.h"
#include "game/qzX/round.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

// Index 0 is unused: sizes run 1 (big, close by) to 4 (small, far away).
const ChickenSize chicken_sizes[5] = {
    {0, 0, 0, false, 0, 0, 0, 0},
    {1, 100, 256, true, 5, sound::sound_chicken_close, 90000, 40},
    {1, 50, 128, true, 10, sound::sound_chicken_mid, 35000, 30},
    {2, 25, 128, false, 15, sound::sound_chicken_mid, 17000, 20},
    {3, 16, 100, false, 25, sound::sound_chicken_far, 11000, 14},
};

int random_chicken_size() {
  const int v = chicken_size_table[res::random(5)];
  // XS does not load the middle size's sprites: its table value 2 becomes the big chicken.
  if (app::edition == app::edition_xs) return v == 2 ? 1 : v + 1;
  return v + 1;
}

void chicken_call() {
  if (round.call_cooldown > 0) return;
  if (res::random(8) != 0) return;
  round.call_cooldown = 262144;  // 4 s
  sound::play_sound(sound::sound_chick_appear);
}

void chicken_cry() {
  static constexpr int cries[3] = {sound::sound_chicken_close, sound::sound_chicken_mid,
                                   sound::sound_chicken_far};
  sound::play_sound(cries[res::random(3)]);
}

}  // namespace qzx
