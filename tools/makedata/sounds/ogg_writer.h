// SPDX-License-Identifier: GPL-3.0-or-later
// Encodes sounds as Ogg Vorbis files (variable bit rate) through libvorbisenc.
#pragma once

#include <filesystem>
#include <string>

#include "tools/makedata/sounds/dsp.h"

namespace sounds {

// Encodes a (mono or stereo) sound at the given rate and quality (-0.1 .. 1.0); a
// lowpass_khz above 0 cuts the encoded band there (the encoder's own choice otherwise).
// The stream serial number is fixed, so the same samples always give the same bytes.
bool write_ogg(const std::filesystem::path& file, const Audio& audio, int rate, float quality,
               double lowpass_khz, std::string& error);

}  // namespace sounds
