// SPDX-License-Identifier: GPL-3.0-or-later
// What the sound device, its two outputs, the timers and the rest of the platform layer share.
// Internal to the platform layer.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/audio_mixer.h"

namespace plat {

// Where the mixed stream goes: SDL's audio device, or the headless backend's virtual one.
class AudioOutput {
 public:
  virtual ~AudioOutput() = default;
  // False once the device has gone away (unplugged, taken by the system): its buffers are lost.
  virtual bool present() = 0;
};

// Each opens its device and starts pulling frames from the mixer; null when there is none.
// The backends hand them out (Backend::open_audio).
std::unique_ptr<AudioOutput> open_sdl_audio(Mixer& mixer);
std::unique_ptr<AudioOutput> open_headless_audio(Mixer& mixer);

// The window gained or lost the keyboard focus (the layer follows the messages it hands out):
// the device is held while the game is in the background.
void audio_set_focus(bool focused);
// The layer's shutdown: the device is closed and every buffer freed.
void audio_shutdown();

// The headless backend's clock moved from one virtual millisecond to a later one: timer ticks
// that fell due run at their moments, and the headless device mixes the time in between.
void headless_time_passed(std::uint32_t from_ms, std::uint32_t to_ms);
// The headless device's part of that: mixes (and captures) everything up to to_ms.
void headless_mix_until(std::uint32_t to_ms);
// Finishes the capture file and forgets the virtual device's time (the layer's shutdown).
void headless_audio_shutdown();

// Timers on the virtual clock: the first tick due in (after, until], and running the ticks due
// at a moment (each on its timer's own thread, waiting for them to finish).
bool virtual_timer_due(std::uint32_t after, std::uint32_t until, std::uint32_t& at);
void run_virtual_timers(std::uint32_t at);
// The layer's shutdown: every timer is stopped and waiting hand-offs are dropped.
void timers_shutdown();

}  // namespace plat
