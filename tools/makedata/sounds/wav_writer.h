// SPDX-License-Identifier: GPL-3.0-or-later
// Writes 16-bit PCM WAV files in the standard 44-byte-header layout.
#pragma once

#include <filesystem>
#include <string>

#include "tools/makedata/sounds/dsp.h"

namespace sounds {

// Writes a (mono or stereo) sound at the given rate; false with a message on failure.
bool write_wav(const std::filesystem::path& file, const Audio& audio, int rate, std::string& error);

// Converts a float sample (-1..1) to a rounded, clamped 16-bit value.
short to_pcm16(float s);

}  // namespace sounds
