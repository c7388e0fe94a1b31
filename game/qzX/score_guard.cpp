// SPDX-License-Identifier: GPL-3.0-or-later
// The running score is kept twice: the plain value, and a scrambled copy in storage of its own.
// A change made to one copy alone (a memory editor) shows as a mismatch and ends the program.
#include <cstdint>

#include "game/qzX/round.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"

namespace qzx {

namespace {
constexpr std::uint32_t guard_key = 0x5EC2E7A9u;

constexpr std::uint32_t scrambled(std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value) ^ guard_key;
  return (v << 13) | (v >> 19);
}

std::int32_t score_value = 0;
// Kept apart from the score, in another form; it agrees with the score from the start.
volatile std::uint32_t score_guard = scrambled(0);
}  // namespace

std::int32_t score() {
  if (scrambled(score_value) != score_guard) {
    res::debug_log("***ERROR*** The score was changed from outside the game\n");
    res::fatal_exit(1);
  }
  return score_value;
}

void set_score(std::int32_t value) {
  score_value = value;
  score_guard = scrambled(value);
}

}  // namespace qzx
