// SPDX-License-Identifier: GPL-3.0-or-later
// The title menu (state 0): the title card, the buttons start, help, highscore, exit, and the
// version "V1.1".
#pragma once

namespace front {

// The title's music; the exit screen plays it too, and the highscore table when it has none of
// its own.
constexpr const char* title_music = "data\\sfx\\titlemusic.ogg";

// Fills the draw list for one frame of the title.
void draw_title();
// The left button was released over the title: start, help, highscores or the exit screen.
void title_click();

}  // namespace front
