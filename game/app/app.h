// SPDX-License-Identifier: GPL-3.0-or-later
// The program's globals: edition, screens, timing, input and the highscore penalty. They live for
// the whole run, at the bottom of the game's modules, so the world and the front end both read
// them. Times are 16.16 fixed-point seconds (65536 = 1 s, 655 = 0.01 s, 1092 = 1/60 s).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace app {

enum Edition : int { edition_xs = 1, edition_xl = 2, edition_xxl = 3 };
enum GameState : int {
  state_title = 0,
  state_round = 1,
  state_highscores = 2,
  state_name_entry = 3,
  state_help = 6,
  state_exit = 7,
  state_branding = 8,
};

extern int edition;        // 1 XS, 2 XL, 3 XXL; the archive header wins over the command line
// The folder of the player's files (highscores.txt, lastgame.rec), ending in '/'; empty: the
// working folder.
extern std::string player_folder;
// The language the game speaks: "de", or another language's code that the archive holds.
extern std::string language;
// A player's file by its name: in player_folder.
std::string player_file(const char* name);
extern bool html_enabled;  // false after "-nohtml"
extern std::atomic<bool> app_active;  // the window has the keyboard focus: frames run
extern int game_state;
extern int scene;                // 1 or 2
extern std::int32_t frame_time;  // smoothed length of the previous frame, 655 .. 6553
extern std::int32_t round_time;  // time left in the round
extern int frame_counter;
extern std::uint32_t frame_stamps[40];
extern int jitter_count;
extern bool click_pending, click;
extern bool right_click_pending, right_click;
extern bool button_held;
extern int last_key;
extern int cursor_x, cursor_y;  // 0..799, 0..599
// A rejected highscore file: a magazine of 2 cartridges and halved awards, until the table is
// saved. Set by the highscore table, read by the round and carried by recordings.
extern bool highscore_penalty;

// Puts every global above back to the value a fresh process starts with.
void reset();

}  // namespace app
