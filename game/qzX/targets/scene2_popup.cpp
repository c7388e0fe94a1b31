// SPDX-License-Identifier: GPL-3.0-or-later
// The yard's hiding places: after a random wait a chicken pops out of a barrel, the chimney, a
// window, a corner, the woodpile, the trough, the big barrel or the door, lingers on its pause
// frame and goes back in. It can be shot only while it is out (its frame window); a hit plays
// the place's own dying animation. Scenery shot in front of some places silences them.
#include <iterator>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"

namespace qzx {

namespace {

constexpr int state_hidden = 0;
constexpr int state_popping = 1;
constexpr int state_hit = 100;
constexpr int popup_speed = 64;
constexpr int points = 10;
constexpr int no_pause = -1;

struct HidingPlaceRow {
  int sprite;      // the chicken popping up and going back
  int hit_sprite;  // the chicken shot
  int x, y;
  PopupFrames frames;  // the chicken can be shot on these frames
  int pause_frame;     // the frame it lingers on (no_pause: none)
  int pause_speed;     // the speed on the first half of the pause frame
  int pause_speed_late;  // and on its second half
  int event;
  bool Scene2Flags::*silenced_by;  // null: never silenced
};

constexpr int s(const char* name) { return gfx::find_sprite(name); }

// One row per hiding place, in the order of HidingPlace.
constexpr HidingPlaceRow rows[] = {
    {s("data\\gfx2\\barrel01"), s("data\\gfx2\\barrel01dead"), 299, 238, {6, 23}, 10, 5, 5, 73,
     &Scene2Flags::barrel1_broken},
    {s("data\\gfx2\\barrel02"), s("data\\gfx2\\barrel02dead"), 382, 248, {6, 23}, 15, 5, 5, 74,
     &Scene2Flags::barrel2_broken},
    {s("data\\gfx2\\barrel03"), s("data\\gfx2\\barrel03dead"), 472, 320, {3, 17}, no_pause, 0, 0, 75,
     &Scene2Flags::barrel3_broken},
    {s("data\\gfx2\\chimney"), s("data\\gfx2\\chimneydead"), 147, 0, {4, 17}, 8, 15, 15, 71,
     &Scene2Flags::chimney_shot},
    {s("data\\gfx2\\windowr"), s("data\\gfx2\\windowrdead"), 408, 59, {5, 25}, no_pause, 0, 0, 76,
     &Scene2Flags::window_shot},
    {s("data\\gfx2\\topcorner"), s("data\\gfx2\\topcornerdead"), 549, 0, {4, 20}, 10, 5, 5, 81,
     nullptr},
    {s("data\\gfx2\\behindwood"), s("data\\gfx2\\behindwooddead"), 89, 233, {4, 23}, no_pause, 0, 0,
     82, nullptr},
    {s("data\\gfx2\\doghouse_"), s("data\\gfx2\\doghousedead"), 594, 334, {4, 18}, 9, 20, 20, 78,
     &Scene2Flags::doghouse_shot},
    {s("data\\gfx2\\frontbigbarrel"), s("data\\gfx2\\frontbigbarreldead"), 526, 458, {2, 16}, 10, 20,
     20, 79, nullptr},
    // The door's chicken lingers longer in the doorway before it turns back in.
    {s("data\\gfx2\\door"), s("data\\gfx2\\doordead"), 200, 241, {5, 17}, 10, 12, 20, 72, nullptr},
    {s("data\\gfx2\\bigwindow"), s("data\\gfx2\\bigwindowdead"), 408, 222, {4, 23}, 18, 7, 7, 77,
     nullptr},
};
static_assert(std::size(rows) == hiding_place_count);

std::int32_t next_wait() { return random_tenths(20, 100); }  // 2.0 to 11.9 s

bool silenced(const HidingPlaceRow& r) { return r.silenced_by && scene2_flags.*r.silenced_by; }

// Shootable (with the pixel test) exactly on the frames of the place's window.
void set_shootable_by_frame(Enemy& e, const HidingPlaceRow& r) {
  pixel_shootable_if(e, in_window(e, ChickenWindow{r.frames.first, r.frames.last}));
}

int speed_on(const Enemy& e, const HidingPlaceRow& r) {
  if (frame_number(e) != r.pause_frame) return popup_speed;
  return (e.frame & 0xFF) < 128 ? r.pause_speed : r.pause_speed_late;
}

void hidden(Enemy& e, const HidingPlaceRow& r) {
  e.flags &= static_cast<std::uint16_t>(~(f_visible | f_shootable | f_pixel_test));
  e.timer -= app::frame_time;
  if (e.timer > 0 || silenced(r)) return;
  e.timer = next_wait();
  e.state = state_popping;
  set_anim(e, r.sprite, 0);
  chicken_call();
}

void popping(Enemy& e, const HidingPlaceRow& r) {
  e.flags |= f_visible;
  set_shootable_by_frame(e, r);
  e.anim_speed = static_cast<std::int16_t>(speed_on(e, r));
  if (anim_advance(e, true)) e.state = state_hidden;
}

void popup_update(Enemy& e) {
  const HidingPlaceRow& r = rows[e.data0];
  switch (e.state) {
    case state_hidden:
      hidden(e, r);
      break;
    case state_popping:
      popping(e, r);
      break;
    case state_hit:
      e.anim_speed = popup_speed;
      if (anim_advance(e, true)) e.state = state_hidden;
      break;
  }
}

void popup_hit(Enemy& e) {
  if (e.state != state_popping) return;
  const HidingPlaceRow& r = rows[e.data0];
  e.flags &= static_cast<std::uint16_t>(~(f_shootable | f_pixel_test));
  e.state = state_hit;
  set_anim(e, r.hit_sprite, 0);
  score_event(e, points, r.event);
  chicken_cry();
}

}  // namespace

void spawn_hiding_place(int place) {
  if (place < 0 || place >= hiding_place_count) return;
  const HidingPlaceRow& r = rows[place];
  Enemy* e = enemy_alloc(kind_scenery);
  if (!e) return;
  set_depth(*e, 0);
  set_pos(*e, r.x << 16, r.y << 16);
  e->home_x = e->x;
  e->home_y = e->y;
  set_anim(*e, r.sprite, 0);
  e->data0 = place;
  e->state = state_hidden;
  e->timer = next_wait();
  e->update = popup_update;
  e->on_hit = popup_hit;
}

Enemy* find_hiding_place(int place) {
  for (Enemy& e : enemies)
    if ((e.flags & f_in_use) && e.kind == kind_scenery && e.update == popup_update &&
        e.data0 == place)
      return &e;
  return nullptr;
}

void hiding_place_drop(int place) {
  Enemy* e = find_hiding_place(place);
  if (!e || e->state != state_popping) return;
  const int n = gfx::frame_count(sprite_row(*e));
  if (n < 3) return;
  e->frame = static_cast<std::int16_t>((n - 3) * 256);
  set_shootable_by_frame(*e, rows[place]);
}

PopupFrames hiding_place_frames(int place) {
  if (place < 0 || place >= hiding_place_count) return {0, -1};
  return rows[place].frames;
}

}  // namespace qzx
