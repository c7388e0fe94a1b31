// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/round_flow.h"

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/GrumboldX/replay_command.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/ogg/music.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/sound/sound.h"
#include "platform/platform.h"

namespace front {

void start_round() {
  // The press that chose Start belongs to the menu: a tap whose press and release fell into one
  // frame must not fire the round's first shot.
  app::click_pending = false;
  app::right_click_pending = false;
  // One step starts the fade; the main loop runs the others until the music stops.
  sound::fade_music_step();
  app::scene = 1;
  sound::play_sound(sound::sound_game_start);
  qzx::round_setup(true);
  app::game_state = app::state_round;
  gfx::start_transition(1);
}

void run_round() {
  qzx::FrameInput in;
  if (window_replay_running()) {
    // While the final picture is held the draw list keeps it: the frame is drawn again as it was.
    if (window_replay_holding()) {
      if (window_replay_hold_step()) finish_window_replay();
      return;
    }
    window_replay_frame(in);
    if (qzx::round_frame(in) == qzx::RoundOutcome::game_over || window_replay_ended())
      hold_window_replay();
    return;
  }
  in.cursor_x = app::cursor_x;
  in.cursor_y = app::cursor_y;
  in.left = plat::key_held(plat::VK_LEFT);
  in.right = plat::key_held(plat::VK_RIGHT);
  in.click = app::click;
  in.right_click = app::right_click;
  if (qzx::round_frame(in) != qzx::RoundOutcome::game_over) return;
  const std::int32_t final_score = qzx::score();
  qzx::save_recording(qzx::current_recording(final_score), app::player_file(qzx::last_game_file).c_str());
  end_of_round(final_score);
}

void end_round_to_title() {
  if (window_replay_running()) {
    finish_window_replay();
    return;
  }
  qzx::stop_round_sounds();
  app::game_state = app::state_title;
  set_title_buttons();
  gfx::start_transition(1);
}

}  // namespace front
