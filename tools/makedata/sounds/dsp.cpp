// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/dsp.h"

#include <algorithm>
#include <array>

namespace sounds {

std::uint64_t seed_of(const char* name) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a
  for (const char* p = name; *p; ++p) {
    h ^= static_cast<unsigned char>(*p);
    h *= 1099511628211ull;
  }
  return h;
}

void mix(Wave& dst, const Wave& src, double at_seconds, double gain) {
  const std::size_t start = frames_of(at_seconds);
  if (dst.size() < start + src.size()) dst.resize(start + src.size(), 0.0f);
  for (std::size_t i = 0; i < src.size(); ++i) dst[start + i] += static_cast<float>(src[i] * gain);
}

void mix_circular(Wave& dst, const Wave& src, double at_seconds, double gain) {
  if (dst.empty()) return;
  std::size_t pos = frames_of(at_seconds) % dst.size();
  for (float s : src) {
    dst[pos] += static_cast<float>(s * gain);
    if (++pos == dst.size()) pos = 0;
  }
}

void scale(Wave& w, double gain) {
  for (float& s : w) s = static_cast<float>(s * gain);
}

void fade_in(Wave& w, double seconds) {
  const std::size_t n = std::min(w.size(), frames_of(seconds));
  for (std::size_t i = 0; i < n; ++i) w[i] *= static_cast<float>(i) / static_cast<float>(n);
}

void fade_out(Wave& w, double seconds) {
  const std::size_t n = std::min(w.size(), frames_of(seconds));
  for (std::size_t i = 0; i < n; ++i) w[w.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
}

double peak_of(const Wave& w) {
  double p = 0;
  for (float s : w) p = std::max(p, static_cast<double>(std::fabs(s)));
  return p;
}

namespace {
struct Coeffs {
  double w0, cosw, alpha;
};
Coeffs prepare(double freq, double q) {
  freq = std::clamp(freq, 10.0, kRate * 0.49);
  const double w0 = kTwoPi * freq / kRate;
  return {w0, std::cos(w0), std::sin(w0) / (2.0 * q)};
}
}  // namespace

void Biquad::set_lowpass(double freq, double q) {
  const Coeffs c = prepare(freq, q);
  const double a0 = 1 + c.alpha;
  b0 = (1 - c.cosw) / 2 / a0;
  b1 = (1 - c.cosw) / a0;
  b2 = b0;
  a1 = -2 * c.cosw / a0;
  a2 = (1 - c.alpha) / a0;
}

void Biquad::set_highpass(double freq, double q) {
  const Coeffs c = prepare(freq, q);
  const double a0 = 1 + c.alpha;
  b0 = (1 + c.cosw) / 2 / a0;
  b1 = -(1 + c.cosw) / a0;
  b2 = b0;
  a1 = -2 * c.cosw / a0;
  a2 = (1 - c.alpha) / a0;
}

void Biquad::set_bandpass(double freq, double q) {
  const Coeffs c = prepare(freq, q);
  const double a0 = 1 + c.alpha;
  b0 = c.alpha / a0;
  b1 = 0;
  b2 = -c.alpha / a0;
  a1 = -2 * c.cosw / a0;
  a2 = (1 - c.alpha) / a0;
}

void Biquad::set_peak(double freq, double q, double gain_db) {
  const Coeffs c = prepare(freq, q);
  const double a = std::pow(10.0, gain_db / 40.0);
  const double a0 = 1 + c.alpha / a;
  b0 = (1 + c.alpha * a) / a0;
  b1 = -2 * c.cosw / a0;
  b2 = (1 - c.alpha * a) / a0;
  a1 = b1;
  a2 = (1 - c.alpha / a) / a0;
}

void filter(Wave& w, Biquad f) {
  for (float& s : w) s = f.run(s);
}

Wave modes(double seconds, const std::vector<Mode>& list, Rng& rng, double attack) {
  Wave w(frames_of(seconds), 0.0f);
  const std::size_t na = std::max<std::size_t>(1, frames_of(attack));
  for (const Mode& m : list) {
    // Rotating phasor: one complex multiply per sample and mode.
    const double w0 = kTwoPi * m.freq / kRate;
    const double decay = std::exp(-1.0 / (m.tau * kRate));
    const double cr = std::cos(w0) * decay, ci = std::sin(w0) * decay;
    const double ph = rng.range(0, kTwoPi);
    double re = std::cos(ph) * m.amp, im = std::sin(ph) * m.amp;
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double a = i < na ? static_cast<double>(i) / na : 1.0;
      w[i] += static_cast<float>(im * a);
      const double nre = re * cr - im * ci;
      im = re * ci + im * cr;
      re = nre;
    }
  }
  fade_out(w, seconds * 0.2);  // no step where the buffer ends
  return w;
}

Wave noise_burst(double seconds, double attack, double tau, double centre, double q, Rng& rng) {
  Wave w(frames_of(seconds));
  for (std::size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<float>(rng.noise() * ad_env(static_cast<double>(i) / kRate, attack, tau));
  if (centre > 0) bandpass(w, centre, q);
  fade_out(w, seconds * 0.2);
  return w;
}

float Saw::run(double freq) {
  const double dt = std::clamp(freq / kRate, 0.0, 0.45);
  phase += dt;
  if (phase >= 1.0) phase -= 1.0;
  double v = 2.0 * phase - 1.0;
  // Polynomial step correction around the wrap.
  if (phase < dt) {
    const double x = phase / dt;
    v -= x + x - x * x - 1.0;
  } else if (phase > 1.0 - dt) {
    const double x = (phase - 1.0) / dt;
    v -= x * x + x + x + 1.0;
  }
  return static_cast<float>(v);
}

void pluck(Wave& dst, double at, double freq, double seconds, double brightness, double damping,
           double gain, Rng& rng) {
  // The loop delays by the line length less the interpolation weight, plus half a sample
  // for the averaging filter; the line and weight are chosen so the loop lasts one period.
  const double delay = static_cast<double>(kRate) / freq - 0.5;
  const std::size_t size = static_cast<std::size_t>(std::ceil(delay));
  const double frac = static_cast<double>(size) - delay;  // weight of the newer sample
  std::vector<double> line(size, 0.0);
  // Excitation: noise shaped by brightness (one-pole low-pass), mean removed.
  double lp = 0, mean = 0;
  for (std::size_t i = 0; i < size; ++i) {
    lp += brightness * (rng.noise() - lp);
    line[i] = lp;
    mean += lp;
  }
  mean /= static_cast<double>(size);
  for (double& v : line) v -= mean;
  const std::size_t start = frames_of(at);
  const std::size_t len = frames_of(seconds);
  if (dst.size() < start + len) dst.resize(start + len, 0.0f);
  std::size_t pos = 0;
  double prev = 0;
  const std::size_t release = std::min(len, frames_of(0.03));
  for (std::size_t i = 0; i < len; ++i) {
    const double oldest = line[pos];
    const double newer = line[pos + 1 == size ? 0 : pos + 1];
    const double out = oldest * (1.0 - frac) + newer * frac;
    line[pos] = damping * 0.5 * (out + prev);
    prev = out;
    pos = pos + 1 == size ? 0 : pos + 1;
    double g = gain;
    if (i + release >= len) g *= static_cast<double>(len - i) / static_cast<double>(release);
    dst[start + i] += static_cast<float>(out * g);
  }
}

namespace {
constexpr std::array<int, 8> kCombs{1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr std::array<int, 4> kAllpasses{556, 441, 341, 225};

struct Channel {
  std::vector<std::vector<float>> comb, all;
  std::vector<std::size_t> comb_pos, all_pos;
  std::vector<float> store;
  explicit Channel(int spread) {
    for (int c : kCombs) comb.emplace_back(static_cast<std::size_t>(c + spread), 0.0f);
    for (int a : kAllpasses) all.emplace_back(static_cast<std::size_t>(a + spread), 0.0f);
    comb_pos.assign(comb.size(), 0);
    all_pos.assign(all.size(), 0);
    store.assign(comb.size(), 0.0f);
  }
  float run(float in, float feedback, float damp) {
    float out = 0;
    for (std::size_t k = 0; k < comb.size(); ++k) {
      float& cell = comb[k][comb_pos[k]];
      const float y = cell;
      store[k] = y * (1 - damp) + store[k] * damp;
      cell = in + store[k] * feedback;
      if (++comb_pos[k] == comb[k].size()) comb_pos[k] = 0;
      out += y;
    }
    for (std::size_t k = 0; k < all.size(); ++k) {
      float& cell = all[k][all_pos[k]];
      const float b = cell;
      cell = out + b * 0.5f;
      out = b - out;
      if (++all_pos[k] == all[k].size()) all_pos[k] = 0;
    }
    return out;
  }
};
}  // namespace

void reverb(Audio& a, double room, double damp, double wet, double spread_seconds) {
  const bool stereo = a.stereo();
  if (!stereo) a.right = a.left;
  const std::size_t extra = frames_of(spread_seconds);
  a.left.resize(a.left.size() + extra, 0.0f);
  a.right.resize(a.right.size() + extra, 0.0f);
  Channel l(0), r(23);
  const float feedback = static_cast<float>(0.7 + 0.28 * room);
  const float d = static_cast<float>(0.4 * damp);
  for (std::size_t i = 0; i < a.left.size(); ++i) {
    const float in = (a.left[i] + a.right[i]) * 0.015f;
    const float yl = l.run(in, feedback, d);
    const float yr = r.run(in, feedback, d);
    a.left[i] = static_cast<float>(a.left[i] * (1 - wet * 0.5) + yl * wet);
    a.right[i] = static_cast<float>(a.right[i] * (1 - wet * 0.5) + yr * wet);
  }
}

void reverb_mono(Wave& w, double room, double damp, double wet) {
  Audio a{w, {}};
  reverb(a, room, damp, wet);
  for (std::size_t i = 0; i < w.size(); ++i) w[i] = 0.5f * (a.left[i] + a.right[i]);
}

namespace {
double loudest_window(const std::vector<double>& power, int rate) {
  const std::size_t win = static_cast<std::size_t>(rate / 5);
  const std::size_t hop = static_cast<std::size_t>(rate / 100);
  double best = 0, sum = 0;
  // Prefix sums give each window's mean power; a sound shorter than the window counts as padded.
  std::vector<double> prefix(power.size() + 1, 0.0);
  for (std::size_t i = 0; i < power.size(); ++i) prefix[i + 1] = prefix[i] + power[i];
  for (std::size_t s = 0;; s += hop) {
    const std::size_t e = std::min(power.size(), s + win);
    sum = prefix[e] - prefix[std::min(s, e)];
    best = std::max(best, sum / static_cast<double>(win));
    if (e == power.size()) break;
  }
  return 10.0 * std::log10(std::max(best, 1e-12));
}
std::vector<double> weighted_power(const Wave& w, int rate) {
  Biquad hp;
  {
    const double w0 = kTwoPi * 40.0 / rate, cosw = std::cos(w0), alpha = std::sin(w0) / (2 * 0.5);
    const double a0 = 1 + alpha;
    hp.b0 = (1 + cosw) / 2 / a0;
    hp.b1 = -(1 + cosw) / a0;
    hp.b2 = hp.b0;
    hp.a1 = -2 * cosw / a0;
    hp.a2 = (1 - alpha) / a0;
  }
  std::vector<double> p(w.size());
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double y = hp.run(w[i]);
    p[i] = y * y;
  }
  return p;
}
}  // namespace

double short_term_loudness_db(const Wave& w, int rate) { return loudest_window(weighted_power(w, rate), rate); }

double short_term_loudness_db(const Audio& a, int rate) {
  if (!a.stereo()) return short_term_loudness_db(a.left, rate);
  std::vector<double> pl = weighted_power(a.left, rate), pr = weighted_power(a.right, rate);
  for (std::size_t i = 0; i < pl.size(); ++i) pl[i] = 0.5 * (pl[i] + pr[i]);
  return loudest_window(pl, rate);
}

void normalise(Audio& a, double target_db, double ceiling) {
  const double loud = short_term_loudness_db(a, kRate);
  const double peak = std::max(peak_of(a.left), peak_of(a.right));
  if (peak <= 0) return;
  double gain = db_to_gain(target_db - loud);
  gain = std::min(gain, 2.0 * ceiling / peak);
  const double knee = 0.6 * ceiling;
  const double room = ceiling - knee;
  auto shape = [&](float& s) {
    const double x = s * gain;
    const double m = std::fabs(x);
    const double y = m <= knee ? m : knee + room * std::tanh((m - knee) / room);
    s = static_cast<float>(x < 0 ? -y : y);
  };
  for (float& s : a.left) shape(s);
  for (float& s : a.right) shape(s);
}

namespace {
// 10 kHz windowed-sinc low-pass, 95 taps, Blackman window, unity gain at 0 Hz.
std::vector<float> make_kernel() {
  constexpr int kTaps = 95;
  constexpr double kCut = 10000.0 / kRate;
  std::vector<double> k(kTaps);
  double sum = 0;
  for (int i = 0; i < kTaps; ++i) {
    const double m = i - (kTaps - 1) / 2.0;
    const double sinc = m == 0 ? 2 * kCut : std::sin(kTwoPi * kCut * m) / (kPi * m);
    const double win = 0.42 - 0.5 * std::cos(kTwoPi * i / (kTaps - 1)) + 0.08 * std::cos(2 * kTwoPi * i / (kTaps - 1));
    k[i] = sinc * win;
    sum += k[i];
  }
  std::vector<float> out(kTaps);
  for (int i = 0; i < kTaps; ++i) out[i] = static_cast<float>(k[i] / sum);
  return out;
}
}  // namespace

void band_limit(Wave& w, bool circular) {
  static const std::vector<float> kernel = make_kernel();
  const std::ptrdiff_t half = static_cast<std::ptrdiff_t>(kernel.size() / 2);
  const std::ptrdiff_t n = static_cast<std::ptrdiff_t>(w.size());
  if (n == 0) return;
  Wave out(w.size());
  for (std::ptrdiff_t i = 0; i < n; ++i) {
    double acc = 0;
    for (std::ptrdiff_t k = 0; k < static_cast<std::ptrdiff_t>(kernel.size()); ++k) {
      std::ptrdiff_t j = i + k - half;
      if (circular) {
        j %= n;
        if (j < 0) j += n;
      } else if (j < 0 || j >= n) {
        continue;
      }
      acc += kernel[static_cast<std::size_t>(k)] * w[static_cast<std::size_t>(j)];
    }
    out[static_cast<std::size_t>(i)] = static_cast<float>(acc);
  }
  w.swap(out);
}

Wave halve_rate(const Wave& w) {
  Wave out((w.size() + 1) / 2);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = w[2 * i];
  return out;
}

}  // namespace sounds
