// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/random.h"

namespace res {

namespace {
// A linear congruential generator with 15-bit results, the same on every platform.
std::uint32_t state = 1;

int next15() {
  state = state * 214013u + 2531011u;
  return static_cast<int>((state >> 16) & 0x7FFFu);
}
}  // namespace

void random_seed(std::uint32_t seed) { state = seed; }

int random(int n) {
  if (n <= 0) return 0;
  return next15() % n;
}

}  // namespace res
