// SPDX-License-Identifier: GPL-3.0-or-later
// The help page (state 6): texts 50 to 59 centred under each other and the menu button.
#pragma once

namespace front {

constexpr int help_first_text = 50;
constexpr int help_last_text = 59;

// Fills the draw list for one frame of the help page.
void draw_help();
// The left button was released over the help page: the menu button leads back to the title.
void help_click();

}  // namespace front
