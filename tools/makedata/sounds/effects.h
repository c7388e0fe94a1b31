// SPDX-License-Identifier: GPL-3.0-or-later
// The game's sound effects: one synthesis recipe per file, with its storage format.
#pragma once

#include <vector>

#include "tools/makedata/sounds/dsp.h"

namespace sounds {

enum class Format { wav, ogg };

struct Effect {
  const char* name;   // base name under data/sfx, blanks kept
  Format format;      // WAV files are stored at 22050 Hz; Ogg files at 44100 Hz (played at half rate)
  bool loop;          // seamless stereo loop (played looped by the game)
  double trim_db;     // loudness relative to the common effect level
  Audio (*make)(Rng& rng);
};

// Every effect, in the game's load order.
const std::vector<Effect>& effect_list();

}  // namespace sounds
