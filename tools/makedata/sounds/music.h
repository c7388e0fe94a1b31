// SPDX-License-Identifier: GPL-3.0-or-later
// The two pieces of music, composed as note tables and played by a small sequencer
// (plucked strings, bass, whistle, brushes) into seamless 44100 Hz stereo loops.
#pragma once

#include <string>

#include "tools/makedata/sounds/dsp.h"

namespace sounds {

// The title piece: a country two-step in G major, 4/4.
Audio title_music();
// The highscore piece: a jig in D major, 6/8.
Audio highscore_music();

// A melody line in the sequencer's notation: blank-separated "note:eighths" tokens such as
// "G4:2", "F#5:1" or "r:3" (a rest). Returns false when a token is malformed.
struct MelodyNote {
  int midi;        // -1 for a rest
  int eighths;
};
bool parse_melody(const std::string& text, std::vector<MelodyNote>& out);

}  // namespace sounds
