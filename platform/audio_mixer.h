// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer behind the sound device: a fixed table of voices (one per buffer) mixed into
// 44100 Hz stereo 16-bit frames, each voice resampled from its own rate with linear
// interpolation, mono voices on both channels, the sum saturated instead of wrapping.
//
// mixer_mix runs on the audio thread while the other calls come from the main thread or a timer
// thread. It allocates nothing, takes no lock and never waits: every voice's control state is
// atomic, and the two calls that must not overlap a running pass (mixer_remove, which frees a
// voice's memory afterwards, and mixer_lock_range, after which the caller writes into the
// samples) wait for it on the caller's side. That wait lasts at most one pass.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/audio.h"

namespace plat {

constexpr int mixer_voices = 256;

struct MixVoice {
  // Set by mixer_add before the voice is published, fixed until it is removed.
  const std::uint8_t* data = nullptr;
  std::uint32_t bytes = 0;
  std::uint32_t block = 0;   // bytes per sample frame
  std::uint32_t frames = 0;  // whole sample frames in data
  int channels = 0;
  int bits = 0;
  std::uint64_t step = 0;  // source frames per mixed frame, 32.32 fixed point

  // voice_* bits and a change count in the bits above them; every change from outside the mixer
  // adds to the count, so the mixer's own stop at the end of the data never undoes a new play.
  std::atomic<std::uint32_t> state{0};
  std::atomic<std::uint64_t> position{0};  // source frames, 32.32 fixed point
  std::atomic<std::int32_t> gain{65536};   // 16.16 fixed point, 65536 = full level
  std::atomic<std::uint64_t> locked{0};    // offset << 32 | bytes of the locked range, 0 = none
};

constexpr std::uint32_t voice_in_use = 1;
constexpr std::uint32_t voice_playing = 2;
constexpr std::uint32_t voice_looping = 4;
constexpr std::uint32_t voice_lost = 8;
constexpr std::uint32_t voice_flags = 15;
constexpr std::uint32_t voice_change = 16;

struct Mixer {
  MixVoice voices[mixer_voices];
  // Odd while a pass runs; callers that must not overlap one wait for it to change.
  std::atomic<std::uint64_t> passes{0};
  // A held mixer writes silence and moves no position (the window has lost the focus).
  std::atomic<bool> held{false};
};

// Publishes a voice over bytes of PCM in format (already checked). Returns its index, or -1 when
// every voice is taken. The data must stay alive until mixer_remove.
int mixer_add(Mixer& m, const std::uint8_t* data, std::uint32_t bytes, const WaveFormat& format);
// Takes the voice out; when this returns no pass reads its data any more.
void mixer_remove(Mixer& m, int voice);

void mixer_play(Mixer& m, int voice, bool looping);
void mixer_stop(Mixer& m, int voice);
void mixer_set_position(Mixer& m, int voice, std::uint32_t byte);
std::uint32_t mixer_position(const Mixer& m, int voice);  // bytes
std::uint32_t mixer_state(const Mixer& m, int voice);     // voice_* bits
// Gain for a volume in hundredths of a decibel (0 = full, -10000 = silent).
void mixer_set_volume(Mixer& m, int voice, std::int32_t hundredths_db);
void mixer_set_lost(Mixer& m, int voice, bool lost);

// Marks offset .. offset + bytes (wrapping) as being written: a pass that would read any of it
// leaves the voice silent for that pass (its position still moves). When this returns no pass
// reads those bytes until mixer_unlock_range.
void mixer_lock_range(Mixer& m, int voice, std::uint32_t offset, std::uint32_t bytes);
void mixer_unlock_range(Mixer& m, int voice);

// Mixes frames stereo frames into out (interleaved left, right), advancing every playing voice.
void mixer_mix(Mixer& m, std::int16_t* out, int frames);

// The 16.16 gain of a volume in hundredths of a decibel.
std::int32_t gain_of_volume(std::int32_t hundredths_db);

}  // namespace plat
