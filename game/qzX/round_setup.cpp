// SPDX-License-Identifier: GPL-3.0-or-later
// The round's state, its set-up and the stop of its sounds.
#include <cstring>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"

namespace qzx {

Player players[2];
std::int32_t hit_times[2][hit_ring_size];
RoundState round;

const std::int32_t chicken_spawn_table[32] = {0, 1, 2, 0, 1, 3, 0, 1, 2, 0, 1, 3, 0, 1, 2, 0,
                                              0, 1, 3, 0, 1, 2, 0, 1, 3, 0, 1, 2, 0, 3, 2, 2};
const std::int32_t chicken_size_table[5] = {0, 0, 1, 2, 3};

namespace {
constexpr std::int32_t thousand_seconds = 65536000;
bool recorded_start = false;
std::uint32_t recorded_seconds = 0, recorded_millis = 0;
}  // namespace

void use_wall_clock_start() { recorded_start = false; }
void use_recorded_start(std::uint32_t seconds, std::uint32_t millis) {
  recorded_start = true;
  recorded_seconds = seconds;
  recorded_millis = millis;
}

std::int32_t round_time_at_setup(int edition, int scene) {
  if (scene == 2) return edition == app::edition_xxl ? 3014590 : 131006;
  return edition == app::edition_xs ? 3997630 : 5963710;
}

void fill_hit_rings() {
  for (auto& ring : hit_times)
    for (auto& t : ring) t = thousand_seconds;
}

void round_reset() {
  enemy_clear();
  clear_particles();
  round = RoundState{};
  set_score(0);
  reset_score_accumulators();
  for (int i = 0; i < 2; ++i) {
    players[i] = Player{};
    players[i].index = i;
    players[i].magazine_size = 8;
    players[i].cartridges = players[i].magazine_size;
  }
  fill_hit_rings();
  reset_side_runners();
  gfx::shake_x = 0;
  gfx::shake_y = 0;
  gfx::clear_draw_list();
  use_wall_clock_start();
}

void round_setup(bool start_ambience) {
  const bool first_scene = app::scene != 2;
  // The elapsed count runs on across the scene switch: the second scene's full time includes
  // what the first scene used.
  const std::int32_t used_before = first_scene ? 0 : round.full_round_time - app::round_time;
  round = RoundState{};
  app::frame_time = 1092;
  app::round_time = round_time_at_setup(app::edition, app::scene);
  round.full_round_time = app::round_time + used_before;
  round.previous_whole_seconds = app::round_time >> 16;

  for (int i = 0; i < 2; ++i) {
    players[i].index = i;
    players[i].magazine_size = app::highscore_penalty ? 2 : 8;
    players[i].cartridges = players[i].magazine_size;
  }
  if (first_scene) {
    set_score(0);
    reset_score_accumulators();
  }

  if (first_scene) {
    gfx::set_scroll(-1000);  // every layer is filled anew
    note_recording_start();
    if (recorded_start)
      record_start_at(recorded_seconds, recorded_millis);
    else
      record_start();
  } else {
    gfx::load_scene2_layers();
  }

  enemy_clear();
  clear_particles();
  reset_side_runners();
  if (first_scene)
    scene1_setup();
  else if (app::edition == app::edition_xxl)
    scene2_setup();

  round.spawn_range = app::edition == app::edition_xs ? 10 : 30;
  round.live_chickens = 0;
  round.hits = 0;
  round.spawn_timer = ((res::random(10) + 5) << 16) / 10;
  if (start_ambience) sound::play_sound_looped(sound::sound_ambient_loop);
  fill_hit_rings();
  if (first_scene) integrity_values();
}

void stop_round_sounds() {
  app::scene = 1;
  sound::stop_sound(sound::sound_ambient_loop);
  if (sound::sound_is_playing(sound::sound_bee_loop)) sound::stop_sound(sound::sound_bee_loop);
  sound::stop_sound(sound::sound_megablast);
  sound::stop_sound(sound::sound_horn);
  gfx::shake_x = 0;
  gfx::shake_y = 0;
}

}  // namespace qzx
