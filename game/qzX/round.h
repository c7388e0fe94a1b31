// SPDX-License-Identifier: GPL-3.0-or-later
// The round: one timed game in one scene. The set-up, the in-game frame (input, scrolling, the
// object pass, shots, the magazine, chicken spawning, the head-up display, the end), and the
// rules that belong to the player: points and their guard, score popups, bonus texts, the
// multi-hit bonus, particles, ricochets, screen shake and the megagun.
//
// The round's logic reads its input from a FrameInput and never from drawing: with drawing
// switched off (replays, the server's check) a round runs frame by frame to the same result.
#pragma once

#include <cstdint>

#include "game/qzX/enemies.h"

namespace qzx {

// One frame's input as the round sees it.
struct FrameInput {
  int cursor_x = 0, cursor_y = 0;  // 0..799, 0..599
  bool left = false, right = false;  // arrow keys held
  bool click = false;        // left button went down since the previous frame
  bool right_click = false;  // right button went down since the previous frame
};

struct Player {
  int cursor_x, cursor_y;
  int index;
  std::int32_t cartridges;
  std::int32_t magazine_size;
};
extern Player players[2];
// Per player, the round times of the last 128 chicken hits, newest first (multi-hit bonus).
constexpr int hit_ring_size = 128;
extern std::int32_t hit_times[2][hit_ring_size];

struct RoundState {
  std::int32_t shown_time;
  std::int32_t spawn_timer;
  std::int32_t spawn_range;   // tenths of a second: 10 (XS) or 30, 9 when many chickens live
  std::int32_t live_chickens;
  std::int32_t hits;
  std::int32_t scroll;        // 16.16 px, layer-1 coordinates
  std::int32_t scroll_speed;  // 16.16 px/s, within +-400
  std::int32_t scroll_factor; // 1, or 2 on an edge with that side's arrow held
  std::int32_t megagun_state; // 0 rising, 1 ready, 2 firing, 3 retracting, 4 gone
  bool megagun_present;
  bool gate_open;
  bool bees_attacking;
  bool key_held;
  bool sign_turned;
  std::int32_t shake_time;
  bool level2_jingle;
  std::int32_t call_cooldown;  // chicken_call's 4 s pause
  std::int32_t snail_timer;
  std::int32_t bee_buzz;       // the bee loop's fade-out countdown
  std::int32_t bee_volume;     // the bee loop's volume while it fades, 0..10000
  std::int32_t full_round_time;  // the round time at set-up, plus what a first scene used before
  std::int32_t previous_whole_seconds;  // the countdown tick of the last ten seconds
  std::int32_t key_frame;      // 8.8, the key shown in the display
  std::int32_t shake_phase[4];  // thousandths of a radian
  // The megagun: height (8.8 px), the megablast's kill countdown, the firing time, and the spin
  // of its parts (0 .. 6000) that rises while the view scrolls.
  std::int32_t megagun_height;
  std::int32_t megablast_countdown;
  std::int32_t megagun_elapsed;
  std::int32_t megagun_spin;
  std::int32_t megagun_frames[8];  // 8.8 frame of each part's own loop
  bool shot_pending;           // this frame's left click with a cartridge in the gun
  int cursor_x, cursor_y;      // this frame's cursor (player 0)
};
extern RoundState round;

// The chicken spawn table (0, 1: a flying chicken of random size; 2: a side runner; 3: a field
// runner) and the chicken size table; both are covered by the integrity values.
extern const std::int32_t chicken_spawn_table[32];
extern const std::int32_t chicken_size_table[5];

// Round times at set-up by edition (1..3) and scene (1, 2): whole seconds less 66/65536 s.
std::int32_t round_time_at_setup(int edition, int scene);

// Prepares a round in the current scene (app::scene).
void round_setup(bool start_ambience);
// The world as a fresh process has it: every object slot and particle free, the round state
// zero, score 0 with the accumulators at their start values, both players with a full magazine
// of 8, the hit rings empty, no side runner, no shake, the draw list empty and the start time
// taken from the wall clock. Nothing of the app's globals, the logs or the layers changes.
void round_reset();
// Where a first-scene set-up takes the recording's start time (and so the random seed) from:
// the wall clock, or, for a replay, the recorded time.
void use_wall_clock_start();
void use_recorded_start(std::uint32_t seconds, std::uint32_t millis);

enum class RoundOutcome { running, scene_switched, game_over };
// One in-game frame. At time over in the first scene of edition XXL with the gate open, the
// sign turned and 900 points the round moves on to the second scene; otherwise the game is over:
// the recording is finished and the round's sounds stop, and the caller shows the result.
RoundOutcome round_frame(const FrameInput& input);
// Steps of the frame, callable alone: the first scene's scrolling and the chicken spawning.
void scroll_step(const FrameInput& input);
void spawn_step();

// ---- points ----
// The player's score, kept twice: a mismatch of the two copies ends the program.
std::int32_t score();
// Sets the score outright (a new game, tests); the guard copy follows.
void set_score(std::int32_t value);
// Adds points (a score below 0 is held at 0; the effective change moves the score
// accumulators); returns the points asked for.
std::int32_t add_points(std::int32_t points);
// Adds points and shows them rising from the object's current frame centre (plus dx, dy).
void score_popup(const Enemy& e, std::int32_t points, int dx, int dy);
// A centred blinking text (bonus texts stack downwards from y); y < 0 means the default 70.
void bonus_text(const char16_t* text, int y = -1);
// Three or more chicken hits within 1.6 .. 1.8 s: the bonus text and 5, 10, 15 or 20 points.
void multi_hit_check();
// Both players' hit rings back to 1000 s (no recent hit).
void fill_hit_rings();

// ---- particles ----
struct Particle {
  std::uint16_t flags;  // 0 free; 0x40 gravity, 0x20 lifetime, 0x10 damping
  std::int16_t frame, depth;
  std::int32_t x, y, vx, vy;  // 16.16, px and px/s; x in screen pixels plus the layer offset
  std::int32_t life;
};
constexpr int particle_slots = 512;
extern Particle particles[particle_slots];
void clear_particles();
// 20 particles sprayed from (x, y) screen pixels on the layer `depth` around `angle` radians.
void particle_burst(int x, int y, double angle, int depth, int frame);
void update_particles();

// The miss handler: a shot that hit nothing; ricochets off the first scene's metal.
void shot_missed(int cursor_x, int cursor_y);
// The first matching ricochet rectangle (index 0..37) at layer-1 coordinates, or -1.
int ricochet_rectangle(int world_x, int y);

// ---- screen shake ----
void shake(std::int32_t duration);
void shake_step();
// The four phases move on by one frame; the offsets follow from them at an amplitude in pixels.
void advance_shake_phases();
void set_shake_offsets(double amplitude);

// ---- the megagun ----
// The box target brings it on screen: "open_megagun", a slot of kind 30, sliding in.
void spawn_megagun();
// One frame of its control (while present); fire_megagun is the ready gun's left click.
void megagun_control();
void fire_megagun();
// The 0.1 s kill countdown of the firing megagun (resolve_shot).
void megablast_step();

// ---- sounds ----
// Stops the round's looping sounds and the shake, and sets the first scene again.
void stop_round_sounds();

}  // namespace qzx
