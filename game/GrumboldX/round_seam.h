// Where the round will plug in. Until it exists, a game that starts enters state 1, whose frame
// ends the empty round at once: back to the title, or (headless runs with GRUMBOLDX_ROUND_SCORE
// set) through end_of_round with that score, so scripts can reach the name entry.
#pragma once

// A game starts (the title's start button in editions XL and XXL, the end of the branding in
// XS): the title music fades out, the first scene, "game_start", the round set-up, state 1.
void start_round();
// One frame of state 1.
void run_round();
// The round is broken off (the window minimised, Escape): back to the title.
void end_round_to_title();
