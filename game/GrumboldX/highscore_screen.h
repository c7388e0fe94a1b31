// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore screen: the table of eight (state 2), with the name entry of a new entry
// (state 3) and its prompt (text 14), the score line after a round, and its music.
#pragma once

#include <cstdint>

namespace front {

// The score line (text 13 with the score) is shown: the table was reached from a round.
extern bool show_score_line;
// Runs while the screen is shown; makes the caret and the new score blink.
extern std::int32_t blink_clock;
// The screen plays its own music: set at the end of a round, cleared when the screen is left.
extern bool highscore_music;
// The score of the round that ended last (the score line shows it).
extern std::int32_t round_score;

// The end of a round: "game_over", the score placed in the table; with a place the name entry
// starts (state 3), without one the table is shown (state 2).
void end_of_round(std::int32_t score);
// Shows the score line and the send button after a round, or neither.
void show_highscores(bool after_round);
// The screen's music once "game_over" has stopped: its own piece after a round in editions XL
// and XXL, the title music otherwise.
void run_highscore_music();
// Fills the draw list for one frame; edited_row is the place whose name is being typed (the
// prompt is shown above the board), or -1.
void draw_highscores(int edited_row);
// The left button was released over the table (state 2): back to the title, or send.
void highscore_click();
// Back to the title (the menu button or Escape): the screen's own music stops.
void leave_highscores();

}  // namespace front
