// SPDX-License-Identifier: GPL-3.0-or-later
// How closely an upload's event log must agree with the re-simulation of its frame log.
//
// The upload does not carry the round clock, which the game runs on the real frame lengths; the
// re-simulation estimates it from the frame times, the whole seconds and the time-over bits.
// Measured over many games, the estimate reproduces every chicken hit and target action with
// its code and within a few hundredths (at most 30 after 400 ms stalls), while now and then it
// moves a multi-hit bonus (codes 50003..50006: 5, 10, 15 or 20 points), whose 1.6-1.8 s window
// is measured on that clock, or a ten-second marker (50000) by a frame. So:
//
// 1. Noise blocks count as one class for exactness: a block code 50011..50020 with its raw pairs
//    is one entry (its length depends on the noise state, which runs on from game to game and
//    is not uploaded). Beyond exactness they are left out: whether a block is written depends
//    on how many events the ten seconds before a marker held, which a moved bonus changes.
//    Markers carry a score accumulator, not a time: their values are not compared.
// 2. The core events (every code but markers, noise blocks and bonuses) agree one for one in
//    code and order, each time within time_slack hundredths (9999, "beyond the clock's range",
//    matches any time).
// 3. Markers agree in number; each may stand up to move_slack core events away from its place
//    in the other log (a marker moved by a frame passes the events of that frame).
// 4. Bonuses are paired in order when their times lie within bonus_time_slack and their places
//    within move_slack; a pair may differ in its code (one hit more or less in the window), and
//    a bonus may be missing from either side. A bonus that fires a frame earlier or later
//    empties the hit window at another moment, so the next bonuses of a quick series may move
//    too: up to max_bonus_differences bonuses may differ. The claimed score must equal the
//    re-simulated one plus the points of the upload's bonuses minus those of the
//    re-simulation's (the bonuses are the only points the clock can move), and that difference
//    may be at most max_bonus_points.
//
// A result whose codes all stand in the same order (noise blocks as one), with times within
// time_slack and the same score, is "exact"; one within the rules above is "within tolerance";
// anything else is refused.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/qzX/recording.h"

namespace qzx {

inline constexpr int time_slack = 50;         // hundredths
inline constexpr int bonus_time_slack = 100;  // hundredths
inline constexpr int move_slack = 3;          // core events
inline constexpr int max_bonus_differences = 4;
inline constexpr int max_bonus_points = 20;   // one six-hit bonus

struct Agreement {
  bool within = false;
  bool exact = false;
  bool events_agree = false;  // only the score is off
  int bonus_differences = 0;
  std::string why;  // the first disagreement, or the tolerance used
};

Agreement compare_games(const std::vector<qzx::EventEntry>& uploaded, std::int32_t claimed_score,
                        const std::vector<qzx::EventEntry>& simulated, std::int32_t simulated_score);

// The points of a multi-hit bonus code (50003..50006), 0 for any other code.
int bonus_points(int code);

// The codes of the core events in order (no markers, noise blocks or bonuses): what the game was,
// independent of the clock estimate.
std::vector<int> core_codes(const std::vector<qzx::EventEntry>& events);

}  // namespace qzx
