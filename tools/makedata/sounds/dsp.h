// SPDX-License-Identifier: GPL-3.0-or-later
// Sample buffers, random numbers, filters and level tools the sound generator builds on.
// Everything runs at one rate (44100 Hz) on float samples in -1..1.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sounds {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Wave = std::vector<float>;

// A mono or stereo sound: right is empty for mono.
struct Audio {
  Wave left;
  Wave right;
  bool stereo() const { return !right.empty(); }
  std::size_t frames() const { return left.size(); }
};

// xorshift64* generator: the same seed gives the same sound on every machine.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  std::uint32_t next() {
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<std::uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
  }
  double uniform() { return next() / 4294967296.0; }                  // 0 .. 1
  double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
  float noise() { return static_cast<float>(uniform() * 2.0 - 1.0); }  // -1 .. 1
  int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

 private:
  std::uint64_t state_;
};

std::uint64_t seed_of(const char* name);

inline std::size_t frames_of(double seconds) {
  return seconds <= 0 ? 0 : static_cast<std::size_t>(std::lround(seconds * kRate));
}
inline Wave silence(double seconds) { return Wave(frames_of(seconds), 0.0f); }
inline double length_of(const Wave& w) { return static_cast<double>(w.size()) / kRate; }
inline double db_to_gain(double db) { return std::pow(10.0, db / 20.0); }

// Adds src into dst starting at the given time, growing dst when needed.
void mix(Wave& dst, const Wave& src, double at_seconds, double gain = 1.0);
// Adds src into dst with wrap-around: a loop's tail continues at its start.
void mix_circular(Wave& dst, const Wave& src, double at_seconds, double gain = 1.0);
void scale(Wave& w, double gain);
void fade_in(Wave& w, double seconds);
void fade_out(Wave& w, double seconds);
double peak_of(const Wave& w);

// Fills a buffer from f(t) with t in seconds.
template <class F>
Wave render(double seconds, F f) {
  Wave w(frames_of(seconds));
  for (std::size_t i = 0; i < w.size(); ++i) w[i] = static_cast<float>(f(static_cast<double>(i) / kRate));
  return w;
}

// Attack-decay envelope: linear rise over attack, exponential fall with time constant tau.
inline double ad_env(double t, double attack, double tau) {
  if (t < 0) return 0;
  if (t < attack) return t / attack;
  return std::exp(-(t - attack) / tau);
}

// Second-order filter (RBJ cookbook forms). Coefficients may be changed while it runs.
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  double z1 = 0, z2 = 0;

  void set_lowpass(double freq, double q);
  void set_highpass(double freq, double q);
  void set_bandpass(double freq, double q);  // 0 dB at the centre
  void set_peak(double freq, double q, double gain_db);
  float run(float x) {
    const double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return static_cast<float>(y);
  }
  static Biquad lowpass(double f, double q) { Biquad b; b.set_lowpass(f, q); return b; }
  static Biquad highpass(double f, double q) { Biquad b; b.set_highpass(f, q); return b; }
  static Biquad bandpass(double f, double q) { Biquad b; b.set_bandpass(f, q); return b; }
  static Biquad peak(double f, double q, double db) { Biquad b; b.set_peak(f, q, db); return b; }
};

void filter(Wave& w, Biquad f);
inline void lowpass(Wave& w, double freq, double q = 0.707) { filter(w, Biquad::lowpass(freq, q)); }
inline void highpass(Wave& w, double freq, double q = 0.707) { filter(w, Biquad::highpass(freq, q)); }
inline void bandpass(Wave& w, double freq, double q) { filter(w, Biquad::bandpass(freq, q)); }

// One decaying sinusoid of a struck body: frequency, time constant, level.
struct Mode {
  double freq;
  double tau;
  double amp;
};
// Sum of decaying modes (a struck object), with a short attack against clicks.
Wave modes(double seconds, const std::vector<Mode>& list, Rng& rng, double attack = 0.0005);
// Band-limited noise burst: attack, exponential decay, band centre and Q (centre 0: white).
Wave noise_burst(double seconds, double attack, double tau, double centre, double q, Rng& rng);

// Sawtooth with polynomial band-limiting at the steps; advance with the frequency each sample.
struct Saw {
  double phase = 0;
  float run(double freq);
};

// Plucked string (delay line with a damped averaging loop) mixed into dst.
void pluck(Wave& dst, double at, double freq, double seconds, double brightness, double damping,
           double gain, Rng& rng);

// Vowel formants for the voice synthesiser.
struct Vowel {
  double f1, f2, f3;
};
constexpr Vowel kVowelA{800, 1200, 2500};
constexpr Vowel kVowelO{450, 800, 2600};
constexpr Vowel kVowelU{325, 700, 2500};
constexpr Vowel kVowelE{500, 1750, 2600};
constexpr Vowel kVowelI{300, 2200, 3000};

// A voiced sound: pitch(t) and vowel(t) shape a glottal sawtooth through three formants;
// amp(t) is the loudness contour and breath the share of aspiration noise.
template <class Pitch, class Shape, class Amp>
Wave voice(double seconds, Pitch pitch, Shape shape, Amp amp, double breath, Rng& rng) {
  Wave w(frames_of(seconds));
  Saw saw;
  Biquad f1, f2, f3;
  Biquad tilt = Biquad::lowpass(3500, 0.6);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    if (i % 32 == 0) {
      const Vowel v = shape(t);
      f1.set_bandpass(v.f1, 6);
      f2.set_bandpass(v.f2, 8);
      f3.set_bandpass(v.f3, 10);
    }
    const float src = tilt.run(saw.run(pitch(t)) + static_cast<float>(breath) * rng.noise());
    const float y = f1.run(src) + 0.6f * f2.run(src) + 0.3f * f3.run(src);
    w[i] = static_cast<float>(y * amp(t));
  }
  return w;
}

// Feedback-delay reverberation (parallel damped combs into series allpasses).
// room 0..1 sets the decay, damp 0..1 the loss of highs, wet the share of the effect.
void reverb(Audio& a, double room, double damp, double wet, double spread_seconds = 0.0);
void reverb_mono(Wave& w, double room, double damp, double wet);

// Level measures: the loudest 200 ms of the sound after a 40 Hz high-pass, in dB full scale.
double short_term_loudness_db(const Wave& w, int rate);
double short_term_loudness_db(const Audio& a, int rate);

// Brings a sound to the target loudness with its peaks kept below ceiling: at most 6 dB of
// peak is rounded off by a soft knee, the rest is taken from the gain.
void normalise(Audio& a, double target_db, double ceiling);

// Steep low-pass at about 10 kHz so that dropping every second frame adds no aliasing.
// Loops are filtered with wrap-around so that their seam stays clean.
void band_limit(Wave& w, bool circular);
// Keeps every second frame after band-limiting (44100 Hz to 22050 Hz).
Wave halve_rate(const Wave& w);

}  // namespace sounds
