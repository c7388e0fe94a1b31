// SPDX-License-Identifier: GPL-3.0-or-later
// Sines and cosines for the world's logic as tables of whole numbers, worked out by the compiler
// from their series: the game and the server's re-simulation get the same numbers on every
// platform, whatever maths library or floating-point unit they run on.
#pragma once

#include <array>
#include <cstdint>
#include <numbers>

namespace qzx::trig {

// sin(x) and cos(x) for |x| <= π from their Taylor series (35 terms: far below a double's
// rounding there).
constexpr double series_sin(double x) {
  double term = x, sum = x;
  for (int n = 1; n < 35; ++n) {
    term *= -x * x / ((2.0 * n) * (2.0 * n + 1));
    sum += term;
  }
  return sum;
}
constexpr double series_cos(double x) {
  double term = 1, sum = 1;
  for (int n = 1; n < 35; ++n) {
    term *= -x * x / ((2.0 * n - 1) * (2.0 * n));
    sum += term;
  }
  return sum;
}

// Rounded half away from zero, as lround does.
constexpr int round_to_int(double v) {
  return v >= 0 ? static_cast<int>(v + 0.5) : -static_cast<int>(-v + 0.5);
}

inline constexpr int turn_steps = 3600;  // tenths of a degree

// The angle of step k of a full turn, brought into [-π, π).
constexpr double step_angle(int k) {
  const int s = k % turn_steps;
  return (s < turn_steps / 2 ? s : s - turn_steps) * (2 * std::numbers::pi / turn_steps);
}

// round(r cos a) and round(r sin a) for the angles of the 3600 steps of a full turn.
struct CircleOffsets {
  std::array<std::int16_t, turn_steps> x, y;
};
constexpr CircleOffsets circle_offsets(int r) {
  CircleOffsets c{};
  for (int k = 0; k < turn_steps; ++k) {
    c.x[k] = static_cast<std::int16_t>(round_to_int(r * series_cos(step_angle(k))));
    c.y[k] = static_cast<std::int16_t>(round_to_int(r * series_sin(step_angle(k))));
  }
  return c;
}

// scale × sin(2π k / steps) for k = 0 .. steps - 1, cut towards zero; a value that is a whole
// number (sin 90° = 1) stays one, not a hair below.
template <int steps>
constexpr std::array<std::int32_t, steps> scaled_sines(double scale) {
  std::array<std::int32_t, steps> t{};
  for (int k = 0; k < steps; ++k) {
    const int s = k < steps / 2 ? k : k - steps;
    const double v = scale * series_sin(s * (2 * std::numbers::pi / steps));
    const int whole = round_to_int(v);
    const double off = v - whole;
    t[k] = off > -1e-6 && off < 1e-6 ? whole : static_cast<std::int32_t>(v);
  }
  return t;
}

// sin(π i / 2048) in 2.30 fixed point for i = 0..2048: a half sine, rising and falling.
inline constexpr int half_sine_steps = 2048;
constexpr std::array<std::int32_t, half_sine_steps + 1> make_half_sine() {
  std::array<std::int32_t, half_sine_steps + 1> t{};
  for (int i = 0; i <= half_sine_steps; ++i) {
    const double a = i * std::numbers::pi / half_sine_steps;
    // Evaluated where the series is best: around 0 on the rising half, around π on the other.
    const double s = i <= half_sine_steps / 2 ? series_sin(a) : series_sin(std::numbers::pi - a);
    t[i] = round_to_int(s * (1 << 30));
  }
  return t;
}
inline constexpr auto half_sine = make_half_sine();

// sin(π × phase / 2^27) in 2.30 for a phase of 0 to 2^27 (2048 steps of 16.16), the steps
// joined by straight lines.
constexpr std::int32_t half_sine_at(std::int32_t phase) {
  if (phase <= 0) return 0;
  if (phase >= half_sine_steps << 16) return half_sine[half_sine_steps];
  const int i = phase >> 16;
  const std::int64_t f = phase & 0xffff;
  return static_cast<std::int32_t>(half_sine[i] + ((half_sine[i + 1] - half_sine[i]) * f >> 16));
}

}  // namespace qzx::trig
