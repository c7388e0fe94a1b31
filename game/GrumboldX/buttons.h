// SPDX-License-Identifier: GPL-3.0-or-later
// The menu buttons: six pictures with three frames each (0 normal, 1 under the cursor, 2 under
// the cursor while the left button is held), sprite 57 + index, placed where the sprite
// catalogue put them (gfx::button_places). A screen shows the buttons of its list; a press over
// one of them plays the click "button1" once.
#pragma once

namespace front {

enum MenuButton : int {
  button_start = 0,
  button_help = 1,
  button_highscore = 2,
  button_exit = 3,
  button_send = 4,       // highscore screen: send the score online
  button_menu = 5,       // highscore and help screens: back to the title
};
constexpr int menu_button_count = 6;
constexpr int button_list_end = -1;

// The buttons of the current screen, in order, ended by -1.
extern int active_buttons[menu_button_count + 1];
// The send button can be used: set when a round's result is shown, cleared after a send.
extern bool send_allowed;
// The click may play for the current press (re-armed while the left button is up).
extern bool button_sound_armed;
// The button under the cursor in the last drawn frame, or -1.
extern int hovered_button;

// Copies a list ended by -1 (at most six buttons are kept).
void set_buttons(const int* list);
// The title's list: start, help, highscore, exit.
void set_title_buttons();
// The first active button whose rectangle (both ends included) holds the cursor, or -1. In the
// name entry the send and menu buttons answer -1, and so does the send button while it is not
// allowed; they keep the button behind them from answering.
int button_under_cursor();
// Adds every active button to the draw list (depth 1) with its frame and plays the click.
void draw_buttons();

}  // namespace front
