// SPDX-License-Identifier: GPL-3.0-or-later
// The headless backend's sound output: the mixer runs against the virtual clock, 44.1 frames a
// virtual millisecond, on the main thread while the clock moves, interleaved with the timers'
// ticks at their moments, so two runs of one script mix the same samples. With
// GRUMBOLDX_AUDIO_WAV=FILE everything mixed from virtual time 0 on (silence while no device is
// open or the window has no focus) is written to FILE as a 44100 Hz stereo 16-bit WAV file.
//
// With GRUMBOLDX_FAIL=SoundBufferLost the first device loses every buffer one virtual second
// after it was opened, as when another program takes the sound device away; the device opened
// by the restore that follows keeps its buffers.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/audio_internal.h"
#include "platform/backend.h"

namespace plat {

namespace {

constexpr int chunk_frames = 1024;
constexpr std::uint32_t lose_after_ms = 1000;

Mixer* mixing = nullptr;          // the open device's mixer
std::uint64_t mixed_frames = 0;   // frames of virtual time mixed since the clock started
int devices_opened = 0;
bool lose_pending = false;
std::uint32_t lose_at_ms = 0;

SoundSink sound_sink;

std::FILE* capture = nullptr;
bool capture_tried = false;
std::uint64_t captured_bytes = 0;
std::uint64_t header_written_at = 0;
std::int16_t frames[chunk_frames * mix_channels];

std::uint64_t frames_at(std::uint32_t ms) {
  return static_cast<std::uint64_t>(ms) * mix_rate / 1000;
}

void put32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void put16(unsigned char* p, std::uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}

// The 44-byte header with the sizes of what has been captured so far.
void write_header() {
  const std::uint32_t data = captured_bytes > 0xFFFFFFD3u ? 0xFFFFFFD3u
                                                          : static_cast<std::uint32_t>(captured_bytes);
  unsigned char h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  put32(h + 4, 36 + data);
  put32(h + 16, 16);
  put16(h + 20, 1);
  put16(h + 22, mix_channels);
  put32(h + 24, mix_rate);
  put32(h + 28, mix_rate * mix_channels * 2);
  put16(h + 32, mix_channels * 2);
  put16(h + 34, 16);
  h[36] = 'd', h[37] = 'a', h[38] = 't', h[39] = 'a';
  put32(h + 40, data);
  std::fseek(capture, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof h, capture);
  std::fseek(capture, 0, SEEK_END);
  std::fflush(capture);
  header_written_at = captured_bytes;
}

void open_capture() {
  capture_tried = true;
  const char* path = std::getenv("GRUMBOLDX_AUDIO_WAV");
  if (!path || !*path) return;
  capture = std::fopen(path, "wb");
  if (!capture) {
    std::fprintf(stderr, "GRUMBOLDX_AUDIO_WAV: cannot write %s\n", path);
    return;
  }
  write_header();
}

void mix_frames(std::uint64_t until) {
  while (mixed_frames < until) {
    const int n = static_cast<int>(std::min<std::uint64_t>(chunk_frames, until - mixed_frames));
    if (mixing) {
      mixer_mix(*mixing, frames, n);
    } else {
      for (int i = 0; i < n * mix_channels; ++i) frames[i] = 0;
    }
    if (sound_sink) sound_sink(frames, n);
    if (capture) {
      // The samples are written little-endian, as the file format wants.
      unsigned char bytes[chunk_frames * mix_channels * 2];
      for (int i = 0; i < n * mix_channels; ++i)
        put16(bytes + 2 * i, static_cast<std::uint16_t>(frames[i]));
      std::fwrite(bytes, 1, static_cast<std::size_t>(n) * mix_channels * 2, capture);
      captured_bytes += static_cast<std::uint64_t>(n) * mix_channels * 2;
      // The sizes are kept current every second, so even a killed run leaves a readable file.
      if (captured_bytes - header_written_at >= mix_rate * mix_channels * 2) write_header();
    }
    mixed_frames += static_cast<std::uint64_t>(n);
  }
}

class HeadlessAudio final : public AudioOutput {
 public:
  explicit HeadlessAudio(Mixer& m) {
    mixing = &m;
    ++devices_opened;
    if (devices_opened == 1 && backend().should_fail("SoundBufferLost")) {
      lose_pending = true;
      lose_at_ms = backend().time_ms() + lose_after_ms;
    }
  }
  ~HeadlessAudio() override {
    mixing = nullptr;
    lose_pending = false;
  }
  bool present() override { return true; }
};

}  // namespace

std::unique_ptr<AudioOutput> open_headless_audio(Mixer& mixer) {
  return std::make_unique<HeadlessAudio>(mixer);
}

void headless_mix_until(std::uint32_t to_ms) {
  if (!capture_tried) open_capture();
  if (lose_pending && lose_at_ms <= to_ms) {
    mix_frames(frames_at(lose_at_ms));
    lose_pending = false;
    sound_device_lose_buffers();
  }
  mix_frames(frames_at(to_ms));
}

void headless_time_passed(std::uint32_t from_ms, std::uint32_t to_ms) {
  std::uint32_t at = 0;
  while (virtual_timer_due(from_ms, to_ms, at)) {
    headless_mix_until(at);
    run_virtual_timers(at);
    from_ms = at;
  }
  headless_mix_until(to_ms);
}

void capture_sound(SoundSink sink) {
  sound_sink = std::move(sink);
  audio_set_focus(static_cast<bool>(sound_sink));
}

void headless_audio_shutdown() {
  sound_sink = nullptr;
  if (capture) {
    write_header();
    std::fclose(capture);
  }
  capture = nullptr;
  capture_tried = false;
  captured_bytes = header_written_at = 0;
  mixed_frames = 0;
  devices_opened = 0;
  lose_pending = false;
}

}  // namespace plat
