// SPDX-License-Identifier: GPL-3.0-or-later
// Synthesiser voices the effects and the music are built from: animal calls, struck
// materials, mechanical clicks, noises and the instruments of the music.
#pragma once

#include "tools/makedata/sounds/dsp.h"

namespace sounds {

// Chicken calls. pitch is the fundamental at the start in Hz; rough adds the rasp (0..1).
Wave squawk(Rng& rng, double pitch, double seconds, double rough);
Wave cluck(Rng& rng, double pitch);

// A soft low body blow: a sine falling from freq to half of it, plus a puff of low noise.
Wave thud(Rng& rng, double freq, double seconds);

// Struck materials.
Wave wood_knock(Rng& rng, double f0, double tau);
Wave metal_ring(Rng& rng, double f0, double tau);
Wave glass_tinkle(Rng& rng, double seconds, int pieces);
Wave bell(Rng& rng, double f0, double tau);

// Random clicks filtered around centre: splinters, grit, sizzle, card edges.
Wave crackle(Rng& rng, double seconds, double per_second, double centre, double q, double tau);
// One short mechanical click.
Wave click(Rng& rng, double centre, double tau);
// Band-pass noise whose centre glides from f_from to f_to, shaped by a rise and fall.
Wave whoosh(Rng& rng, double seconds, double f_from, double f_to, double q);
// Sine glide (exponential in pitch) with an attack-release envelope and optional vibrato.
Wave glide(double seconds, double f_from, double f_to, double vibrato_hz, double vibrato_depth);
// A spring: a fast pitch wobble around a falling tone.
Wave boing(double f0, double seconds);
// Water bubbles: short rising sine chirps at random times.
Wave bubbles(Rng& rng, double seconds, int count, double f_lo, double f_hi);

// Music instruments (mixed into dst at a time in seconds).
void kick(Wave& dst, double at, double gain);
void brush(Wave& dst, double at, double gain, Rng& rng);
void shaker(Wave& dst, double at, double gain, Rng& rng);
void bass(Wave& dst, double at, double freq, double seconds, double gain, Rng& rng);
void whistle(Wave& dst, double at, double freq, double seconds, double gain, Rng& rng);

inline double note_hz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

}  // namespace sounds
