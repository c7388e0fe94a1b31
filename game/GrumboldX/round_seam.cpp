#include "game/GrumboldX/round_seam.h"

#include <cerrno>
#include <cstdlib>

#include "game/GrumboldX/app.h"
#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/gfx/draw.h"
#include "game/ogg/music.h"
#include "game/sound/sound.h"
#include "platform/platform.h"

namespace {

// Test hook until the round exists (headless runs only): the empty round ends with this score.
bool scripted_round_score(int& score) {
  if (!plat::is_headless()) return false;
  const char* text = std::getenv("GRUMBOLDX_ROUND_SCORE");
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (*end || errno || value < -2147483647L - 1 || value > 2147483647L) return false;
  score = static_cast<int>(value);
  return true;
}

}  // namespace

void start_round() {
  // One step starts the fade; the main loop runs the others until the music stops.
  sound::fade_music_step();
  app::scene = 1;
  sound::play_sound(sound::sound_game_start);
  // The round set-up (with its ambience) comes with the round.
  app::game_state = app::state_round;
  gfx::start_transition(1);
}

void run_round() {
  gfx::clear_draw_list();
  int score = 0;
  if (scripted_round_score(score))
    end_of_round(score);
  else
    end_round_to_title();
}

void end_round_to_title() {
  app::scene = 1;
  app::game_state = app::state_title;
  set_title_buttons();
  gfx::start_transition(1);
}
