// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL backend's sound output: SDL's default audio device at 44100 Hz, stereo, signed 16-bit,
// converted by SDL if the hardware wants something else. SDL's audio thread pulls the frames
// straight from the mixer. No device, or one that cannot be opened, leaves the game silent.
#include <SDL.h>

#include <cstdio>

#include "platform/audio_internal.h"

namespace plat {

namespace {

// About 23 ms a callback: short enough that a play starts promptly, long enough not to starve.
constexpr Uint16 callback_frames = 1024;

class SdlAudio final : public AudioOutput {
 public:
  explicit SdlAudio(SDL_AudioDeviceID id) : id_(id) {}
  ~SdlAudio() override {
    SDL_CloseAudioDevice(id_);  // returns once the callback has finished
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  bool present() override { return SDL_GetAudioDeviceStatus(id_) != SDL_AUDIO_STOPPED; }

 private:
  SDL_AudioDeviceID id_;
};

void SDLCALL pull(void* mixer, Uint8* stream, int length) {
  mixer_mix(*static_cast<Mixer*>(mixer), reinterpret_cast<std::int16_t*>(stream),
            length / static_cast<int>(mix_channels * sizeof(std::int16_t)));
}

}  // namespace

std::unique_ptr<AudioOutput> open_sdl_audio(Mixer& mixer) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "SDL audio: %s\n", SDL_GetError());
    return nullptr;
  }
  SDL_AudioSpec want{};
  want.freq = mix_rate;
  want.format = AUDIO_S16SYS;
  want.channels = mix_channels;
  want.samples = callback_frames;
  want.callback = pull;
  want.userdata = &mixer;
  SDL_AudioSpec have{};
  const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (id == 0) {
    std::fprintf(stderr, "SDL_OpenAudioDevice: %s\n", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return nullptr;
  }
  SDL_PauseAudioDevice(id, 0);
  return std::make_unique<SdlAudio>(id);
}

}  // namespace plat
