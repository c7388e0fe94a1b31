// SPDX-License-Identifier: GPL-3.0-or-later
// Highscore file loader: any file is either accepted or falls back to the defaults with the
// penalty, never reading outside its bytes; afterwards every name ends inside its room.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/GrumboldX/highscores.h"
#include "game/app/app.h"
#include "platform/platform.h"

using namespace front;

// Saving is not fuzzed; the loader's module still names the wall clock.
namespace plat {
WallTime wall_time_utc() { return WallTime{2010, 1, 1, 0, 0, 0, 0}; }
}  // namespace plat

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  app::highscore_penalty = false;
  const bool accepted = load_highscores_from(data, size);
  if (accepted == app::highscore_penalty) std::abort();  // a rejected file, and only that, penalises
  for (const HighscoreEntry& entry : highscore_table) {
    int n = 0;
    while (n < highscore_name_room && entry.name[n]) ++n;
    if (n == highscore_name_room) std::abort();
  }
  return 0;
}
