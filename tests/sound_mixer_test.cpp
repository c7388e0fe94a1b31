// SPDX-License-Identifier: GPL-3.0-or-later
// The mixer behind the sound device: resampling and channel mapping against a plain reference,
// saturation, loops and ends, volume, locked ranges, and passes running beside other threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/audio_mixer.h"

using namespace plat;

namespace {

WaveFormat pcm(int channels, int rate, int bits) {
  const auto block = static_cast<std::uint16_t>(channels * bits / 8);
  return WaveFormat{1, static_cast<std::uint16_t>(channels), static_cast<std::uint32_t>(rate),
                    static_cast<std::uint32_t>(rate) * block, block,
                    static_cast<std::uint16_t>(bits), 0};
}

// Sample data of one voice, kept alive beside the mixer.
struct Samples {
  std::vector<std::int16_t> words;  // 16-bit storage, as the device keeps it
  std::uint32_t bytes = 0;
  const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(words.data()); }
};

// A recognisable wave: every frame and channel differs from its neighbours.
Samples wave16(int frames, int channels) {
  Samples s;
  for (int i = 0; i < frames * channels; ++i)
    s.words.push_back(static_cast<std::int16_t>(std::lround(20000 * std::sin(0.05 * i + 0.7 * (i % channels)))));
  s.bytes = static_cast<std::uint32_t>(s.words.size() * 2);
  return s;
}

Samples wave8(int frames, int channels) {
  Samples s;
  s.bytes = static_cast<std::uint32_t>(frames * channels);
  s.words.resize((s.bytes + 1) / 2);
  auto* b = reinterpret_cast<std::uint8_t*>(s.words.data());
  for (std::uint32_t i = 0; i < s.bytes; ++i) b[i] = static_cast<std::uint8_t>(128 + 100 * std::sin(0.08 * i));
  return s;
}

// The frame's value on one channel in the 16-bit range, as the plain rule reads it.
double sample_at(const Samples& s, const WaveFormat& f, long frame, int channel) {
  const int c = f.channels == 2 ? channel : 0;
  if (f.bits_per_sample == 16) return s.words[static_cast<std::size_t>(frame * f.channels + c)];
  const auto* b = reinterpret_cast<const std::uint8_t*>(s.words.data());
  return (b[frame * f.channels + c] - 128) * 256.0;
}

std::unique_ptr<Mixer> new_mixer() { return std::make_unique<Mixer>(); }

std::vector<std::int16_t> mix(Mixer& m, int frames) {
  std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 12345);
  mixer_mix(m, out.data(), frames);
  return out;
}

TEST(Mixer, ResamplesAndMapsChannelsLikeThePlainRule) {
  struct Case {
    const char* name;
    int channels, rate, bits;
  } cases[] = {
      {"mono 22050 16-bit (every effect at half rate)", 1, 22050, 16},
      {"stereo 44100 16-bit (the music, copied)", 2, 44100, 16},
      {"stereo 22050 16-bit (the loops)", 2, 22050, 16},
      {"mono 11025 8-bit", 1, 11025, 8},
      {"stereo 48000 16-bit (fewer frames out than in)", 2, 48000, 16},
      {"mono 7919 16-bit (a step with no short fraction)", 1, 7919, 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const WaveFormat f = pcm(c.channels, c.rate, c.bits);
    const int frames = 3000;
    const Samples s = c.bits == 16 ? wave16(frames, c.channels) : wave8(frames, c.channels);
    auto m = new_mixer();
    const int v = mixer_add(*m, s.data(), s.bytes, f);
    ASSERT_GE(v, 0);
    mixer_play(*m, v, false);
    // Short passes and a long one, so the chunking inside a pass is crossed too.
    const int out_frames = 44100 * (frames - 2) / c.rate;
    std::vector<std::int16_t> out;
    for (int done = 0, n = 37; done < out_frames; done += n, n = n == 37 ? 1000 : 37) {
      const int take = std::min(n, out_frames - done);
      const std::vector<std::int16_t> part = mix(*m, take);
      out.insert(out.end(), part.begin(), part.end());
    }
    int worst = 0;
    for (int j = 0; j < out_frames; ++j) {
      const double at = static_cast<double>(j) * c.rate / 44100.0;
      const long i = static_cast<long>(at);
      for (int ch = 0; ch < 2; ++ch) {
        const double a = sample_at(s, f, i, ch), b = sample_at(s, f, i + 1, ch);
        const double expected = a + (b - a) * (at - static_cast<double>(i));
        worst = std::max(worst, static_cast<int>(std::fabs(out[static_cast<std::size_t>(2 * j + ch)] - expected)));
      }
    }
    EXPECT_LE(worst, 2);
    // The position moved by the source frames the passes consumed.
    const double consumed = static_cast<double>(out_frames) * c.rate / 44100.0;
    EXPECT_NEAR(mixer_position(*m, v) / f.block_align, consumed, 1.0);
    EXPECT_TRUE(mixer_state(*m, v) & voice_playing);
  }
}

TEST(Mixer, LoudSumsBendBelowFullScaleInsteadOfClippingOrWrapping) {
  // Two voices on the same ramp over the whole 16-bit range: their sum runs from -65536 to
  // 65534 in steps of 2.
  std::vector<std::int16_t> ramp(65536);
  for (int i = 0; i < 65536; ++i) ramp[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i - 32768);
  Samples x{ramp, 131072}, y{ramp, 131072};
  auto m = new_mixer();
  const int va = mixer_add(*m, x.data(), x.bytes, pcm(1, 44100, 16));
  const int vb = mixer_add(*m, y.data(), y.bytes, pcm(1, 44100, 16));
  mixer_play(*m, va, false);
  mixer_play(*m, vb, false);
  const std::vector<std::int16_t> out = mix(*m, 65536);
  int previous = -32769;
  for (int i = 0; i < 65536; ++i) {
    const int sum = 2 * (i - 32768);
    const int v = out[static_cast<std::size_t>(2 * i)];
    ASSERT_EQ(out[static_cast<std::size_t>(2 * i + 1)], v) << "mono goes to both channels";
    if (std::abs(sum) <= 30000) {
      ASSERT_EQ(v, sum) << "sums below the knee pass unchanged";
    }
    ASSERT_GT(v, -32767) << sum;
    ASSERT_LT(v, 32767) << sum;
    ASSERT_GE(v, previous) << "louder never comes out quieter: " << sum;
    if (i > 0) {
      ASSERT_LE(v - previous, 2) << "no jump at " << sum;
    }
    previous = v;
  }
  EXPECT_GT(previous, 32000) << "the loudest sum still comes out close to full scale";
}

TEST(Mixer, LoopsWrapAndSoundsPlayedOnceStopAtTheirEnd) {
  const Samples s = wave16(100, 1);
  for (bool looping : {true, false}) {
    SCOPED_TRACE(looping ? "looping" : "once");
    auto m = new_mixer();
    const int v = mixer_add(*m, s.data(), s.bytes, pcm(1, 44100, 16));
    mixer_play(*m, v, looping);
    const std::vector<std::int16_t> out = mix(*m, 250);
    for (int j = 0; j < 250; ++j) {
      const std::int16_t expected = looping || j < 100 ? s.words[static_cast<std::size_t>(j % 100)] : 0;
      ASSERT_EQ(out[static_cast<std::size_t>(2 * j)], expected) << "frame " << j;
      ASSERT_EQ(out[static_cast<std::size_t>(2 * j + 1)], expected) << "frame " << j;
    }
    EXPECT_EQ(static_cast<bool>(mixer_state(*m, v) & voice_playing), looping);
    EXPECT_EQ(mixer_position(*m, v), looping ? 50u * 2 : 100u * 2);  // a finished sound stays at its end
    // Rewound and played again, it starts from its first sample.
    mixer_stop(*m, v);
    mixer_set_position(*m, v, 0);
    mixer_play(*m, v, false);
    EXPECT_EQ(mix(*m, 1)[0], s.words[0]);
  }
}

TEST(Mixer, VolumeInHundredthsOfADecibel) {
  struct Case {
    std::int32_t volume;
    double factor;
  } cases[] = {{0, 1.0}, {-600, 0.501}, {-2000, 0.1}, {-6000, 0.001}, {-10000, 0.0}, {-20000, 0.0}, {500, 1.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.volume);
    EXPECT_NEAR(gain_of_volume(c.volume) / 65536.0, c.factor, 0.001);
    auto m = new_mixer();
    Samples s{std::vector<std::int16_t>(200, 30000), 400};
    const int v = mixer_add(*m, s.data(), s.bytes, pcm(1, 44100, 16));
    mixer_set_volume(*m, v, c.volume);
    mixer_play(*m, v, false);
    EXPECT_NEAR(mix(*m, 10)[4], 30000 * c.factor, 30000 * 0.001 + 1);
  }
}

TEST(Mixer, ALockedRangeUnderThePlayPositionIsSilentAndOneAheadIsNot) {
  // A looping stereo ring, 1000 frames, read at its own rate.
  const Samples s = wave16(1000, 2);
  struct Case {
    const char* name;
    std::uint32_t offset, bytes;
    bool silent;
  } cases[] = {
      {"well ahead", 2000, 400, false},
      {"under the play position", 0, 16, true},
      {"wrapping over the start", 3900, 200, true},
      {"behind the pass", 3000, 900, false},
      {"the whole ring", 0, 4000, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto m = new_mixer();
    const int v = mixer_add(*m, s.data(), s.bytes, pcm(2, 44100, 16));
    mixer_play(*m, v, true);
    mixer_lock_range(*m, v, c.offset, c.bytes);
    const std::vector<std::int16_t> out = mix(*m, 100);
    const bool all_zero = std::all_of(out.begin(), out.end(), [](std::int16_t x) { return x == 0; });
    EXPECT_EQ(all_zero, c.silent);
    if (!c.silent) {
      EXPECT_EQ(out[10], s.words[10]);
    }
    EXPECT_EQ(mixer_position(*m, v), 100u * 4) << "the position moves on either way";
    mixer_unlock_range(*m, v);
    EXPECT_EQ(mix(*m, 1)[0], s.words[200]);
  }
}

TEST(Mixer, AHeldMixerIsSilentAndStandsStill) {
  const Samples s = wave16(500, 1);
  auto m = new_mixer();
  const int v = mixer_add(*m, s.data(), s.bytes, pcm(1, 44100, 16));
  mixer_play(*m, v, true);
  mix(*m, 20);
  m->held = true;
  const std::vector<std::int16_t> out = mix(*m, 100);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::int16_t x) { return x == 0; }));
  EXPECT_EQ(mixer_position(*m, v), 40u);
  m->held = false;
  EXPECT_EQ(mix(*m, 1)[0], s.words[20]);
}

TEST(Mixer, ALostVoiceStopsAndIsNotMixed) {
  const Samples s = wave16(500, 1);
  auto m = new_mixer();
  const int v = mixer_add(*m, s.data(), s.bytes, pcm(1, 44100, 16));
  mixer_play(*m, v, true);
  mixer_set_lost(*m, v, true);
  EXPECT_EQ(mixer_state(*m, v) & (voice_lost | voice_playing), voice_lost);
  const std::vector<std::int16_t> out = mix(*m, 50);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](std::int16_t x) { return x == 0; }));
  mixer_set_lost(*m, v, false);
  EXPECT_FALSE(mixer_state(*m, v) & (voice_lost | voice_playing));
}

// An audio thread mixes without pause while this thread does what the game does to buffers:
// plays, rewinds, stops, writes into a ring under a lock, and frees voices to make new ones.
// Everything the passes put out must be what was written, and nothing may read freed memory
// (the sanitizer builds see that).
TEST(Mixer, PassesBesideTheOtherThreadsSeeOnlyWhatWasWritten) {
  auto m = new_mixer();
  constexpr std::uint32_t ring_frames = 4410;
  std::vector<std::int16_t> ring(ring_frames * 2, 0);
  const int r = mixer_add(*m, reinterpret_cast<const std::uint8_t*>(ring.data()), ring_frames * 4, pcm(2, 44100, 16));
  mixer_play(*m, r, true);
  mixer_set_volume(*m, r, 0);

  std::atomic<bool> done{false};
  std::atomic<long> passes{0};
  std::atomic<int> foreign{0};
  std::thread audio([&] {
    std::vector<std::int16_t> out(512 * 2);
    while (!done) {
      mixer_mix(*m, out.data(), 512);
      // The ring holds 0 or a lap's number (1..60); an effect adds 1000 on top.
      for (std::int16_t x : out)
        if (!((x >= 0 && x <= 60) || (x >= 1000 && x <= 1060))) ++foreign;
      ++passes;
    }
  });

  std::uint32_t write = ring_frames * 2;  // bytes
  for (int lap = 1; lap <= 60; ++lap) {
    // A short effect, made, played, rewound and freed again.
    auto effect = std::make_unique<std::int16_t[]>(300);
    std::fill(effect.get(), effect.get() + 300, std::int16_t{1000});
    const int e = mixer_add(*m, reinterpret_cast<const std::uint8_t*>(effect.get()), 600, pcm(1, 22050, 16));
    ASSERT_GE(e, 0);
    mixer_play(*m, e, false);
    mixer_stop(*m, e);
    mixer_set_position(*m, e, 0);
    mixer_play(*m, e, lap % 2 == 0);
    // A stretch of the ring ahead of the play position gets this lap's value.
    const std::uint32_t bytes = 2048;
    mixer_lock_range(*m, r, write % (ring_frames * 4), bytes);
    for (std::uint32_t i = 0; i < bytes; i += 2) {
      const std::uint32_t at = (write + i) % (ring_frames * 4);
      ring[at / 2] = static_cast<std::int16_t>(lap);
    }
    mixer_unlock_range(*m, r);
    write += bytes;
    std::this_thread::sleep_for(std::chrono::microseconds(300));
    mixer_remove(*m, e);
    effect.reset();  // freed: no pass may read it any more
  }
  const long seen = passes;
  while (passes < seen + 3) std::this_thread::yield();
  done = true;
  audio.join();
  EXPECT_EQ(foreign, 0) << "a pass put out something nobody wrote";
}

}  // namespace
