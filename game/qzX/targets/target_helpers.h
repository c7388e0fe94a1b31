// What many targets share: their usual flags, hits on metal with sparks, the particles at the
// shot, points with their event, and the window of frames in which a character shows its
// chicken.
#pragma once

#include <cstdint>

#include "game/qzX/enemies.h"

namespace qzx {

// Flags of most scenery targets: visible, shootable, pixel test, one z step behind.
constexpr std::uint16_t target_flags = f_in_use | f_visible | f_shootable | f_pixel_test | f_z_behind;

// A target of the kind on its layer at (x, y) in layer pixels, showing frame 0 of the sprite
// with the usual flags; null when no slot is free.
Enemy* spawn_target(int kind, int sprite, int x, int y, int depth);
// Particles sprayed upwards at the shot, on the target's layer.
void hit_particles(const Enemy& e);
// A shot on metal: particles and one of "hit_metal1", "hit_metal2", "hit_metal3".
void metal_hit(const Enemy& e);
// Points shown at the target and the event recorded (value: the elapsed time).
void score_event(const Enemy& e, int points, int event, int dx = 0, int dy = 0);
// The shot's position relative to the target's position (layer pixels).
int shot_rel_x(const Enemy& e);
int shot_rel_y(const Enemy& e);
// The frame drawn.
inline int frame_number(const Enemy& e) { return e.frame >> 8; }
// The frames first..last (inclusive) in which a character shows its chicken.
struct ChickenWindow {
  int first, last;
};
inline bool in_window(const Enemy& e, ChickenWindow w) {
  return frame_number(e) >= w.first && frame_number(e) <= w.last;
}
// Seconds in 16.16 from tenths: random(range) + base tenths (the targets' waits).
std::int32_t random_tenths(int base, int range);

}  // namespace qzx
