// SPDX-License-Identifier: GPL-3.0-or-later
// The program's globals and their start values (reset() gives them again).
#include "game/app/app.h"

#include <algorithm>
#include <iterator>

namespace app {

int edition = edition_xl;
std::string player_folder;
std::string language = "de";
bool html_enabled = true;
std::atomic<bool> app_active = false;
int game_state = state_title;
int scene = 1;
std::int32_t frame_time = 0;
std::int32_t round_time = 0;
int frame_counter = 0;
std::uint32_t frame_stamps[40] = {};
int jitter_count = 0;
bool click_pending = false, click = false;
bool right_click_pending = false, right_click = false;
bool button_held = false;
int last_key = 0;
int cursor_x = 0, cursor_y = 0;
bool highscore_penalty = false;

std::string player_file(const char* name) { return player_folder + name; }

void reset() {
  edition = edition_xl;
  player_folder.clear();
  language = "de";
  html_enabled = true;
  app_active = false;
  game_state = state_title;
  scene = 1;
  frame_time = 0;
  round_time = 0;
  frame_counter = 0;
  std::fill(std::begin(frame_stamps), std::end(frame_stamps), 0u);
  jitter_count = 0;
  click_pending = click = false;
  right_click_pending = right_click = false;
  button_held = false;
  last_key = 0;
  cursor_x = cursor_y = 0;
  highscore_penalty = false;
}

}  // namespace app
