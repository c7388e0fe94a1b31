// SPDX-License-Identifier: GPL-3.0-or-later
// The exit screen (state 7): shown before the program ends. Edition XXL scrolls the credits
// (texts from 100 up to "*ENDE*") and ends when they have left the screen or on a click; editions
// XS and XL show link pictures (and invisible areas) whose click chooses a web address that opens
// when the program has ended, and the exit button. Escape, space and the exit button work once
// the clock has run for 3 seconds (editions XL and XXL start the clock at 99 s, so at once);
// clicks count only after the screen's first ten frames.
#pragma once

#include <cstdint>

namespace front {

constexpr std::int32_t exit_screen_patience = 196608;  // 3.0 s

constexpr int exit_link_room = 200;  // an address of at most 199 characters
constexpr int max_exit_links = 50;

// One entry of an edition's link table: the picture "data\gfx\ad<k + 1>" (sprite 270 + k) at
// (x, y); x = 0 marks the edition's invisible area instead, x < 0 ends the table. path is the
// address's path on the redirect server.
struct ExitLink {
  int x, y;
  const char* path;
};
struct ExitArea {
  int x, y, width, height;
};
// The link table of an edition (ended by an entry with x < 0; edition XXL has none), the
// invisible area and the exit button's place.
const ExitLink* exit_links(int edition);
ExitArea exit_invisible_area(int edition);
ExitArea exit_button_area(int edition);

extern std::int32_t exit_clock;
extern int exit_frames;
extern std::int32_t credits_position;  // 16.16 pixels the credits have scrolled
extern bool link_hover;                // the cursor was on a link or the exit button
// The address chosen on the exit screen, opened in the browser when the window is destroyed
// (empty: none).
extern char exit_link[exit_link_room];

void reset_exit_screen();
// The exit screen's state as a fresh process has it (nothing shown yet, no link chosen).
void exit_screen_state_reset();
// Runs one frame of the exit screen; true when the player asked to quit.
bool run_exit_screen();

}  // namespace front
