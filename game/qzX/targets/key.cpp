// SPDX-License-Identifier: GPL-3.0-or-later
// The key to the box: hidden in the tree's crown at one of four places until the tree first
// laughs, then it fades in. Shot, it goes to the player (the display shows it) for 25 points.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"

namespace qzx {

namespace {

constexpr int kind_key = 17;
constexpr int spr_key_target = gfx::find_sprite("data\\gfx\\key");
constexpr std::int32_t fade_in_per_second = 100000;
constexpr std::int32_t opaque = 65536;

struct Place {
  int x, y;
};
constexpr Place places[4] = {{2040, 25}, {2100, 111}, {2237, 34}, {2314, 87}};

enum State : std::int16_t { hidden = 0, shown = 1, taken = 2 };

void key_update(Enemy& e) {
  switch (e.state) {
    case hidden:
      if (!tree_has_laughed()) return;
      e.state = shown;
      e.flags |= f_visible | f_shootable | f_tinted;
      e.alpha = 0;
      break;
    case shown:
      if (e.flags & f_tinted) {
        e.alpha += static_cast<std::int32_t>(std::int64_t{fade_in_per_second} * app::frame_time / 65536);
        if (e.alpha >= opaque) {
          e.alpha = opaque;
          e.flags &= static_cast<std::uint16_t>(~f_tinted);
        }
      }
      anim_advance(e, false);
      break;
    default:
      break;
  }
}

void key_hit(Enemy& e) {
  if (e.state != shown) return;
  sound::play_sound(sound::sfx_key);
  round.key_held = true;
  score_event(e, 25, 41);
  e.state = taken;
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_tinted));
}

}  // namespace

void spawn_key() {
  const Place& p = places[res::random(4)];
  Enemy* e = spawn_target(kind_key, spr_key_target, p.x, p.y, 1);
  if (!e) return;
  e->flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable));  // until the tree laughs
  e->anim_speed = 84;
  e->update = key_update;
  e->on_hit = key_hit;
}

}  // namespace qzx
