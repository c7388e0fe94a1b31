// SPDX-License-Identifier: GPL-3.0-or-later
// The round inside the application: a game starts from the title (or the branding of edition
// XS), runs one in-game frame each frame in state 1, and ends in the highscore table or, broken
// off, on the title.
#pragma once

namespace front {

// A game starts: the title music fades out, the first scene, "game_start", the round set-up
// with its ambience, state 1, a transition.
void start_round();
// One frame of state 1: the round's frame with this frame's input; at the end of the game the
// recording is kept in "lastgame.rec" and the result goes to the highscore table.
void run_round();
// The round is broken off (the window minimised, Escape): its sounds stop, back to the title.
void end_round_to_title();

}  // namespace front
