// SPDX-License-Identifier: GPL-3.0-or-later
// The integrity values: five checksums over the tables and settings that drive play, computed
// at every first-scene set-up and sent behind the graphics fingerprint, so the server can tell a
// game whose rules were changed in memory.
#include <cstdio>

#include "game/gfx/picture.h"
#include "game/qzX/little_endian.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/resources/checksum.h"

namespace qzx {

namespace {

constexpr int value_digits = 8;
constexpr int values = 5;
char text[values * value_digits + 1] = "";  // empty until the first set-up

// The table's bytes as they lie in memory: 32-bit little-endian entries.
template <std::size_t N>
std::int32_t table_sum(const std::int32_t (&table)[N]) {
  std::uint8_t bytes[4 * N];
  for (std::size_t i = 0; i < N; ++i) put32(bytes + 4 * i, static_cast<std::uint32_t>(table[i]));
  return res::weighted_sum(0, bytes, static_cast<std::int32_t>(sizeof bytes), 7, 5);
}

}  // namespace

void integrity_values() {
  // The magazine size and the 16 bytes that follow it, which are the start of player 1's record
  // and zero; they are summed as zeros here rather than read from wherever the record lies.
  std::uint8_t magazine[20] = {};
  put32(magazine, static_cast<std::uint32_t>(players[0].magazine_size));
  const std::uint32_t v[values] = {
      static_cast<std::uint32_t>(table_sum(chicken_spawn_table)),
      static_cast<std::uint32_t>(table_sum(chicken_size_table)),
      static_cast<std::uint32_t>(res::weighted_sum(0, magazine, sizeof magazine, 7, 5)),
      static_cast<std::uint32_t>(round.spawn_range),
      static_cast<std::uint32_t>(round.full_round_time),
  };
  char* out = text;
  for (std::uint32_t value : v) {
    std::snprintf(out, value_digits + 1, "%08x", static_cast<unsigned>(value));
    out += value_digits;
  }
}

const char* integrity_text() { return text; }

void check_text(char* out) {
  std::snprintf(out, 297, "%s%s", gfx::graphics_fingerprint(), text);
}

}  // namespace qzx
