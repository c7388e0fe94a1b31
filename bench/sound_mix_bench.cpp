// SPDX-License-Identifier: GPL-3.0-or-later
// The audio callback's work: mixing 16 playing effect buffers and the music's streaming buffer
// into one callback's frames, as a share of the time that callback's frames last (the budget:
// a mix slower than that could not keep the device fed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/audio_mixer.h"

namespace {

using plat::WaveFormat;

WaveFormat pcm(int channels, int rate, int bits) {
  const auto block = static_cast<std::uint16_t>(channels * bits / 8);
  return WaveFormat{1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate),
                    static_cast<std::uint32_t>(rate) * block, block,
                    static_cast<std::uint16_t>(bits), 0};
}

struct Scene {
  std::unique_ptr<plat::Mixer> mixer = std::make_unique<plat::Mixer>();
  std::vector<std::vector<std::int16_t>> data;

  void add(const WaveFormat& f, int frames, std::int32_t volume) {
    std::vector<std::int16_t> words(static_cast<std::size_t>(frames * f.block_align + 1) / 2);
    for (std::size_t i = 0; i < words.size(); ++i)
      words[i] = static_cast<std::int16_t>(9000 * std::sin(0.013 * static_cast<double>(i)));
    data.push_back(std::move(words));
    const int v = plat::mixer_add(*mixer, reinterpret_cast<const std::uint8_t*>(data.back().data()),
                                  static_cast<std::uint32_t>(frames * f.block_align), f);
    plat::mixer_set_volume(*mixer, v, volume);
    plat::mixer_play(*mixer, v, true);  // looped, so every voice plays for the whole run
  }
};

// The game's mix at its busiest: effects at half rate (mono, two stereo loops, one 8-bit and one
// with its volume turned down), the music at the mixing rate.
Scene busiest() {
  Scene s;
  for (int i = 0; i < 12; ++i) s.add(pcm(1, 22050, 16), 9000 + 1000 * i, 0);
  s.add(pcm(2, 22050, 16), 88200, 0);    // the ambience
  s.add(pcm(2, 22050, 16), 44100, -1500);  // the bees
  s.add(pcm(1, 11025, 8), 7000, 0);
  s.add(pcm(1, 48000, 16), 12000, 0);
  s.add(pcm(2, 44100, 16), 88200, 0);    // the streaming buffer
  return s;
}

void BM_Mix16EffectsAndMusic(benchmark::State& state) {
  Scene scene = busiest();
  const int frames = static_cast<int>(state.range(0));
  std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2);
  const auto started = std::chrono::steady_clock::now();
  for (auto _ : state) {
    plat::mixer_mix(*scene.mixer, out.data(), frames);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - started;
  // The mixing time over the time the mixed frames last.
  const double budget_seconds = static_cast<double>(frames) / plat::mix_rate;
  state.counters["budget_share_%"] =
      100.0 * spent.count() / (static_cast<double>(state.iterations()) * budget_seconds);
  state.SetItemsProcessed(state.iterations() * frames);
}
BENCHMARK(BM_Mix16EffectsAndMusic)->Arg(1024)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
