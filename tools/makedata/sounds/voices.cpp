// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/voices.h"

#include <algorithm>

namespace sounds {

Wave squawk(Rng& rng, double pitch, double seconds, double rough) {
  // The pitch jumps up within the first fifth and sinks again; the formants sit high
  // and open from a closed "e" into a bright "a".
  const double jitter_seed = rng.range(0, 100);
  auto p = [=](double t) {
    const double x = t / seconds;
    const double contour = x < 0.2 ? 1.0 + 0.55 * std::sin(x / 0.2 * kPi / 2) : 1.55 - 0.75 * (x - 0.2) / 0.8;
    const double wobble = 1.0 + 0.03 * std::sin(kTwoPi * 23 * t + jitter_seed) + 0.02 * std::sin(kTwoPi * 41 * t);
    return pitch * contour * wobble;
  };
  auto shape = [=](double t) {
    const double x = std::min(1.0, t / (seconds * 0.3));
    return Vowel{700 + 600 * x, 1900 + 400 * x, 3600};
  };
  auto amp = [=](double t) {
    const double env = ad_env(t, 0.012, seconds * 0.55) * std::min(1.0, (seconds - t) / 0.04);
    return env * (1.0 - rough * 0.5 + rough * 0.5 * std::sin(kTwoPi * 75 * t));
  };
  Wave w = voice(seconds, p, shape, amp, 0.12 + 0.25 * rough, rng);
  Wave hiss = noise_burst(seconds, 0.005, seconds * 0.3, 3500, 1.2, rng);
  mix(w, hiss, 0, 0.12 * rough);
  highpass(w, 250);
  return w;
}

Wave cluck(Rng& rng, double pitch) {
  const double seconds = 0.09;
  auto p = [=](double t) { return pitch * (1.25 - 0.4 * t / seconds); };
  auto shape = [](double) { return Vowel{650, 1300, 3000}; };
  auto amp = [=](double t) { return ad_env(t, 0.004, 0.025) * std::min(1.0, (seconds - t) / 0.01); };
  Wave w = voice(seconds, p, shape, amp, 0.3, rng);
  highpass(w, 200);
  return w;
}

Wave thud(Rng& rng, double freq, double seconds) {
  double phase = 0;
  Wave w = render(seconds, [&](double t) {
    const double f = freq * (0.5 + 0.5 * std::exp(-t / (seconds * 0.25)));
    phase += kTwoPi * f / kRate;
    return std::sin(phase) * ad_env(t, 0.002, seconds * 0.3);
  });
  Wave puff = noise_burst(seconds, 0.001, seconds * 0.12, 0, 0, rng);
  lowpass(puff, freq * 4, 0.8);
  mix(w, puff, 0, 0.8);
  fade_out(w, seconds * 0.3);
  return w;
}

Wave wood_knock(Rng& rng, double f0, double tau) {
  Wave w = modes(tau * 6, {{f0, tau, 1.0}, {f0 * 2.31, tau * 0.6, 0.6}, {f0 * 3.87, tau * 0.4, 0.4},
                           {f0 * 5.6, tau * 0.25, 0.25}},
                 rng);
  Wave tap = noise_burst(0.02, 0.0003, 0.004, 2500, 1.0, rng);
  mix(w, tap, 0, 1.2);
  return w;
}

Wave metal_ring(Rng& rng, double f0, double tau) {
  const double j = rng.range(0.98, 1.02);
  Wave w = modes(tau * 5, {{f0, tau, 0.8}, {f0 * 2.76 * j, tau * 0.8, 0.7}, {f0 * 5.40, tau * 0.6, 0.5},
                           {f0 * 8.93 / j, tau * 0.4, 0.35}, {f0 * 1.52, tau * 0.9, 0.3}},
                 rng);
  Wave tap = noise_burst(0.015, 0.0002, 0.002, 5000, 0.8, rng);
  mix(w, tap, 0, 0.8);
  return w;
}

Wave glass_tinkle(Rng& rng, double seconds, int pieces) {
  Wave w = silence(seconds);
  for (int i = 0; i < pieces; ++i) {
    // Pieces fall thicker at the start.
    const double at = seconds * 0.8 * std::pow(rng.uniform(), 2.0);
    const double f = rng.range(2200, 7000);
    const double tau = rng.range(0.03, 0.12);
    Wave piece = modes(tau * 5, {{f, tau, 1.0}, {f * rng.range(1.3, 1.7), tau * 0.7, 0.5}}, rng, 0.0002);
    mix(w, piece, at, rng.range(0.2, 1.0) * (1.0 - 0.6 * at / seconds));
  }
  w.resize(frames_of(seconds));
  return w;
}

Wave bell(Rng& rng, double f0, double tau) {
  return modes(tau * 5, {{f0, tau, 1.0}, {f0 * 2.0, tau * 0.7, 0.5}, {f0 * 2.76, tau * 0.5, 0.35},
                         {f0 * 5.40, tau * 0.3, 0.2}, {f0 * 0.5, tau * 1.2, 0.2}},
               rng, 0.001);
}

Wave crackle(Rng& rng, double seconds, double per_second, double centre, double q, double tau) {
  Wave w = silence(seconds);
  const int count = static_cast<int>(per_second * seconds);
  for (int i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>(rng.uniform() * static_cast<double>(w.size()));
    const double a = rng.range(0.2, 1.0) * (rng.uniform() < 0.5 ? -1 : 1);
    const std::size_t n = frames_of(tau * 5);
    for (std::size_t k = 0; k < n && at + k < w.size(); ++k)
      w[at + k] += static_cast<float>(a * rng.noise() * std::exp(-static_cast<double>(k) / (tau * kRate)));
  }
  bandpass(w, centre, q);
  fade_out(w, std::min(0.02, seconds * 0.2));
  return w;
}

Wave click(Rng& rng, double centre, double tau) {
  Wave w = noise_burst(tau * 8, 0.0001, tau, centre, 1.5, rng);
  Wave ring = modes(tau * 8, {{centre * 1.1, tau * 2, 0.5}}, rng, 0.0001);
  mix(w, ring, 0, 1.0);
  return w;
}

Wave whoosh(Rng& rng, double seconds, double f_from, double f_to, double q) {
  Wave w(frames_of(seconds));
  Biquad bp;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(w.size());
    if (i % 32 == 0) bp.set_bandpass(f_from * std::pow(f_to / f_from, x), q);
    w[i] = static_cast<float>(bp.run(rng.noise()) * std::sin(kPi * x));
  }
  return w;
}

Wave glide(double seconds, double f_from, double f_to, double vibrato_hz, double vibrato_depth) {
  double phase = 0;
  return render(seconds, [&](double t) {
    const double x = t / seconds;
    const double f = f_from * std::pow(f_to / f_from, x) * (1.0 + vibrato_depth * std::sin(kTwoPi * vibrato_hz * t));
    phase += kTwoPi * f / kRate;
    const double env = std::min(1.0, t / 0.02) * std::min(1.0, (seconds - t) / 0.05);
    return std::sin(phase) * env;
  });
}

Wave boing(double f0, double seconds) {
  // A twanged spring: a buzzy tone whose pitch wobbles fast and settles low, through a
  // resonance that closes as it rings out.
  Saw saw;
  Biquad tone;
  return render(seconds, [&](double t) {
    const double wob = 1.0 + 0.3 * std::exp(-t / (seconds * 0.4)) * std::sin(kTwoPi * 16 * t);
    const double f = f0 * (0.8 + 0.2 * std::exp(-t / (seconds * 0.5))) * wob;
    if (static_cast<long>(t * kRate) % 32 == 0) tone.set_lowpass(f * (2.0 + 6.0 * std::exp(-t / 0.08)), 4.0);
    const double env = ad_env(t, 0.003, seconds * 0.35) * std::min(1.0, (seconds - t) / 0.03);
    return tone.run(saw.run(f)) * env;
  });
}

Wave bubbles(Rng& rng, double seconds, int count, double f_lo, double f_hi) {
  Wave w = silence(seconds);
  for (int i = 0; i < count; ++i) {
    const double at = rng.range(0, seconds * 0.85);
    const double f = rng.range(f_lo, f_hi);
    const double len = rng.range(0.03, 0.07);
    double phase = 0;
    Wave b = render(len, [&](double t) {
      phase += kTwoPi * f * (1.0 + 2.5 * t / len) / kRate;  // a bubble rises in pitch as it closes
      return std::sin(phase) * ad_env(t, 0.002, len * 0.35);
    });
    mix(w, b, at, rng.range(0.3, 1.0));
  }
  w.resize(frames_of(seconds));
  return w;
}

void kick(Wave& dst, double at, double gain) {
  double phase = 0;
  Wave w = render(0.35, [&](double t) {
    phase += kTwoPi * (48 + 90 * std::exp(-t / 0.03)) / kRate;
    return std::sin(phase) * ad_env(t, 0.001, 0.09);
  });
  mix(dst, w, at, gain);
}

void brush(Wave& dst, double at, double gain, Rng& rng) {
  Wave w = noise_burst(0.25, 0.006, 0.06, 0, 0, rng);
  highpass(w, 1800);
  lowpass(w, 7000);
  Wave body = modes(0.2, {{190, 0.04, 0.4}, {330, 0.03, 0.2}}, rng);
  mix(w, body, 0, 1.0);
  mix(dst, w, at, gain);
}

void shaker(Wave& dst, double at, double gain, Rng& rng) {
  Wave w = noise_burst(0.09, 0.012, 0.02, 0, 0, rng);
  highpass(w, 5000);
  mix(dst, w, at, gain);
}

void bass(Wave& dst, double at, double freq, double seconds, double gain, Rng& rng) {
  // Upright-bass pluck: a dark plucked string with a sine underneath for body.
  Wave w;
  pluck(w, 0, freq, seconds, 0.25, 0.996, 1.0, rng);
  double phase = 0;
  Wave body = render(seconds, [&](double t) {
    phase += kTwoPi * freq / kRate;
    return std::sin(phase) * ad_env(t, 0.005, 0.35) * std::min(1.0, (seconds - t) / 0.03);
  });
  mix(w, body, 0, 0.5);
  mix(dst, w, at, gain);
}

void whistle(Wave& dst, double at, double freq, double seconds, double gain, Rng& rng) {
  // Tin whistle: a near-sine with a touch of octave, breath noise and delayed vibrato.
  double phase = 0;
  Biquad breath = Biquad::bandpass(freq * 2, 3);
  Wave w = render(seconds, [&](double t) {
    const double vib = 1.0 + 0.006 * std::min(1.0, t / 0.25) * std::sin(kTwoPi * 5.5 * t);
    const double scoop = 1.0 - 0.02 * std::exp(-t / 0.02);
    phase += kTwoPi * freq * vib * scoop / kRate;
    const double env = std::min(1.0, t / 0.025) * std::min(1.0, (seconds - t) / 0.04) * (0.85 + 0.15 * std::exp(-t / 0.1));
    return (std::sin(phase) + 0.12 * std::sin(2 * phase) + 0.15 * breath.run(rng.noise())) * env;
  });
  mix(dst, w, at, gain);
}

}  // namespace sounds
