// SPDX-License-Identifier: GPL-3.0-or-later
// The targets' tour helpers: an edition's real archive loaded in-process, a fresh first-scene
// round, the view, in-game frames with the cursor resting or shooting, and where a shot lands.
#pragma once

#include <cstdint>
#include <vector>

#include "game/qzX/enemies.h"

namespace test_support {

// A chicken spawn timer that does not run out.
constexpr std::int32_t no_spawn = 1 << 30;

// A fresh first-scene round of the edition with no chickens coming, the view at the left edge.
void new_first_scene_round(int edition);

// The object the spawn function made, or null when it made none.
qzx::Enemy* spawned_by(void (*spawn)());

// The view: layer 1 scrolled to `scroll` pixels.
void look_at(int scroll);
// The same, held within the scene (0 .. the width of layer 1 less the screen).
void look_within(int scroll);
// What `view` brings to the middle of the screen: the middle of the frame the object shows, or
// of its cell (its position plus half the width of its first frame).
enum class Middle { shown_frame, cell };
// Scrolls, within the scene, so that the object's middle comes as near the screen's middle as
// the scene allows. An object on a layer that stands still leaves the view as it is (shown
// frame) or sends it to the left edge (cell).
void view(const qzx::Enemy& e, Middle middle = Middle::shown_frame);

// In-game frames with the cursor resting at (x, y): mid-screen, unless a program rests it
// elsewhere. The round clock is not run down, so no ten-second marker or noise block lands in
// the event log.
struct Idle {
  int x = 400, y = 300;
  void operator()(int frames = 1) const;
  // Frames until `done` holds, at most max_frames; false when it never did.
  template <class Done>
  bool until(Done done, int max_frames) const {
    for (int f = 0; f < max_frames; ++f) {
      if (done()) return true;
      (*this)();
    }
    return done();
  }
};
// One frame with a shot at the screen point, with a full magazine.
void shoot_at(int x, int y);

// Where on the screen the object takes shots: its hit box, or else its shown frame.
struct ShotBox {
  int left, top, width, height;
};
ShotBox shot_box(const qzx::Enemy& e);

// The object a shot at the screen point would hit now, by the rules of the shot resolution:
// the rectangle, the nearer layers' shield, the pixel test, the nearest depth and the higher
// slot. Null when none.
const qzx::Enemy* taker_at(int x, int y);
// The target itself takes a shot at the screen point.
bool takes(const qzx::Enemy& target, int x, int y);

// The codes of the event log from entry `first` on.
std::vector<int> events_since(int first);

// The catalogue's sprite of the picture name in the folder.
int sprite(const char* name, const char* folder = "data\\gfx\\");

}  // namespace test_support
