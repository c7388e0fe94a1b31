// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/effects.h"

#include <algorithm>

#include "tools/makedata/sounds/voices.h"

namespace sounds {

namespace {

Audio mono(Wave w) { return Audio{std::move(w), {}}; }

// Runs a filter over a loop twice and keeps the second pass, so its state at the seam
// carries over from the loop's own end.
void filter_circular(Wave& w, Biquad f) {
  for (float s : w) f.run(s);
  for (float& s : w) s = f.run(s);
}

// Reverberation of a loop: the loop is played twice through the effect and the second
// pass is kept, so the tail of the end rings on into the start.
void reverb_circular(Audio& a, double room, double damp, double wet) {
  const std::size_t n = a.frames();
  Audio twice{a.left, a.right};
  twice.left.insert(twice.left.end(), a.left.begin(), a.left.end());
  twice.right.insert(twice.right.end(), a.right.begin(), a.right.end());
  reverb(twice, room, damp, wet);
  a.left.assign(twice.left.begin() + static_cast<std::ptrdiff_t>(n), twice.left.begin() + static_cast<std::ptrdiff_t>(2 * n));
  a.right.assign(twice.right.begin() + static_cast<std::ptrdiff_t>(n), twice.right.begin() + static_cast<std::ptrdiff_t>(2 * n));
}

Wave with_room(Wave w, double tail, double room, double wet) {
  w.resize(w.size() + frames_of(tail), 0.0f);
  reverb_mono(w, room, 0.5, wet);
  fade_out(w, std::min(tail, 0.3));
  return w;
}

// ---- gun ----

Audio gunblast(Rng& rng) {
  Wave w = silence(1.2);
  Wave crack = noise_burst(0.05, 0.0002, 0.006, 0, 0, rng);
  mix(w, crack, 0, 1.8);
  Wave body = noise_burst(0.4, 0.0005, 0.05, 0, 0, rng);
  lowpass(body, 2500, 0.7);
  mix(w, body, 0, 1.9);
  mix(w, thud(rng, 110, 0.35), 0, 1.3);
  Wave tail = noise_burst(1.0, 0.01, 0.22, 0, 0, rng);
  lowpass(tail, 700, 0.7);
  mix(w, tail, 0.01, 0.6);
  // The blast comes back from the hills behind the field.
  Wave echo = noise_burst(0.6, 0.02, 0.12, 0, 0, rng);
  lowpass(echo, 900, 0.7);
  mix(w, echo, 0.32, 0.25);
  w.resize(frames_of(1.2));
  fade_out(w, 0.3);
  return mono(std::move(w));
}

Audio gun_reload(Rng& rng) {
  Wave w = silence(0.6);
  // Pump back: a click and the slide's scrape; pump forward: a heavier clack.
  mix(w, click(rng, 3200, 0.003), 0.0, 0.9);
  mix(w, whoosh(rng, 0.09, 1400, 2600, 2.5), 0.01, 0.5);
  mix(w, metal_ring(rng, 1900, 0.02), 0.07, 0.35);
  mix(w, click(rng, 2300, 0.004), 0.24, 1.0);
  mix(w, whoosh(rng, 0.07, 2400, 1300, 2.5), 0.17, 0.4);
  mix(w, metal_ring(rng, 1350, 0.035), 0.24, 0.5);
  mix(w, thud(rng, 260, 0.08), 0.24, 0.5);
  w.resize(frames_of(0.6));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio empty_magazine(Rng& rng) {
  Wave w = silence(0.16);
  mix(w, click(rng, 3600, 0.0015), 0.0, 1.0);
  mix(w, click(rng, 1900, 0.0025), 0.012, 0.6);
  w.resize(frames_of(0.16));
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio megablastx(Rng& rng) {
  const double seconds = 3.2;
  Wave w = silence(seconds);
  for (int i = 0; i < 26; ++i) {
    const double at = 0.1 * i;
    Wave shot = noise_burst(0.12, 0.0003, 0.018, 0, 0, rng);
    lowpass(shot, 3500, 0.7);
    mix(w, shot, at, 1.0);
    mix(w, thud(rng, 95, 0.12), at, 0.9);
    mix(w, metal_ring(rng, rng.range(2500, 3800), 0.03), at + rng.range(0.03, 0.07), 0.12);
  }
  // The barrels' motor whirs up, then runs down after the last shot.
  Saw saw;
  Biquad lp = Biquad::lowpass(900, 1.5);
  Wave motor = render(seconds, [&](double t) {
    const double f = t < 0.3 ? 70 + 200 * t : t < 2.6 ? 130 : 130 * std::exp(-(t - 2.6) / 0.4);
    const double env = std::min(1.0, t / 0.1) * (t < 2.6 ? 1.0 : std::exp(-(t - 2.6) / 0.25));
    return lp.run(saw.run(f)) * env;
  });
  mix(w, motor, 0, 0.25);
  w.resize(frames_of(seconds));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio open_megagun(Rng& rng) {
  Wave w = silence(1.7);
  Saw saw;
  Biquad lp = Biquad::lowpass(1800, 2.0);
  Wave servo = render(0.85, [&](double t) {
    const double f = 220 * std::pow(3.2, t / 0.85) * (1.0 + 0.01 * std::sin(kTwoPi * 30 * t));
    return lp.run(saw.run(f)) * std::min(1.0, t / 0.05) * std::min(1.0, (0.85 - t) / 0.05);
  });
  mix(w, servo, 0, 0.5);
  mix(w, metal_ring(rng, 310, 0.09), 0.85, 0.8);
  mix(w, thud(rng, 140, 0.25), 0.85, 1.0);
  mix(w, click(rng, 2600, 0.003), 1.12, 0.8);
  mix(w, metal_ring(rng, 1500, 0.05), 1.12, 0.35);
  mix(w, click(rng, 2100, 0.003), 1.24, 0.8);
  w.resize(frames_of(1.7));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

// ---- chickens ----

Audio chicken_close(Rng& rng) {
  Wave w = silence(0.75);
  mix(w, squawk(rng, 520, 0.5, 0.9), 0.0, 1.0);
  mix(w, crackle(rng, 0.35, 140, 2500, 0.7, 0.002), 0.05, 0.3);  // flapping feathers
  mix(w, thud(rng, 160, 0.2), 0.52, 0.6);
  w.resize(frames_of(0.75));
  fade_out(w, 0.08);
  return mono(std::move(w));
}

Audio chicken_mid(Rng& rng) {
  Wave w = silence(0.55);
  mix(w, cluck(rng, 420), 0.0, 0.8);
  mix(w, squawk(rng, 600, 0.34, 0.5), 0.09, 1.0);
  lowpass(w, 5500);
  w = with_room(std::move(w), 0.2, 0.4, 0.25);
  return mono(std::move(w));
}

Audio chicken_far(Rng& rng) {
  Wave w = silence(0.8);
  mix(w, squawk(rng, 680, 0.26, 0.3), 0.0, 1.0);
  mix(w, thud(rng, 110, 0.25), 0.42, 0.7);  // the bird hits the ground far away
  lowpass(w, 3000);
  w = with_room(std::move(w), 0.3, 0.6, 0.45);
  return mono(std::move(w));
}

Audio chickenheartattack(Rng& rng) {
  Wave w = silence(2.3);
  mix(w, squawk(rng, 620, 0.32, 1.0), 0.0, 1.0);
  mix(w, thud(rng, 70, 0.2), 0.38, 1.2);  // ba-
  mix(w, thud(rng, 75, 0.2), 0.52, 1.0);  // -dum
  mix(w, thud(rng, 70, 0.2), 0.78, 1.2);
  mix(w, thud(rng, 75, 0.2), 0.92, 1.0);
  mix(w, glide(0.9, 1500, 280, 6, 0.01), 1.05, 0.45);  // the slide down
  mix(w, thud(rng, 130, 0.3), 1.98, 1.2);             // and over it goes
  w.resize(frames_of(2.3));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio chick_appear(Rng& rng) {
  Wave w = silence(0.55);
  mix(w, cluck(rng, 380), 0.0, 1.0);
  mix(w, cluck(rng, 400), 0.12, 1.0);
  mix(w, squawk(rng, 460, 0.26, 0.3), 0.24, 1.0);
  w.resize(frames_of(0.55));
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio pan_hit(Rng& rng, int variant) {
  Wave w = silence(0.8);
  mix(w, metal_ring(rng, 380 + 60 * variant, 0.14), 0.0, 1.0);
  mix(w, thud(rng, 170, 0.15), 0.0, 0.7);
  if (variant == 0) mix(w, squawk(rng, 560, 0.3, 0.6), 0.12, 0.8);
  if (variant == 1) {
    mix(w, cluck(rng, 430), 0.14, 0.9);
    mix(w, cluck(rng, 450), 0.25, 0.9);
  }
  if (variant == 2) mix(w, squawk(rng, 720, 0.24, 1.0), 0.1, 0.8);
  w.resize(frames_of(0.8));
  fade_out(w, 0.15);
  return mono(std::move(w));
}
Audio chick_pan(Rng& rng) { return pan_hit(rng, 0); }
Audio chick_pan2(Rng& rng) { return pan_hit(rng, 1); }
Audio chick_pan3(Rng& rng) { return pan_hit(rng, 2); }

Audio chick_grill(Rng& rng) {
  Wave w = silence(1.6);
  mix(w, squawk(rng, 650, 0.25, 1.0), 0.0, 0.8);
  // Fat spitting on the hot tray: sparse pops over a soft high hiss.
  Wave sizzle = crackle(rng, 1.5, 160, 4500, 0.9, 0.0006);
  Wave hiss = noise_burst(1.5, 0.15, 10.0, 0, 0, rng);
  highpass(hiss, 5000);
  mix(sizzle, hiss, 0, 0.12);
  for (std::size_t i = 0; i < sizzle.size(); ++i)
    sizzle[i] *= static_cast<float>(0.7 + 0.3 * std::sin(kTwoPi * 2.3 * static_cast<double>(i) / kRate));
  fade_out(sizzle, 0.5);
  mix(w, sizzle, 0.1, 0.3);
  w.resize(frames_of(1.6));
  return mono(std::move(w));
}

Audio chick_ready(Rng& rng) {
  Wave w = bell(rng, 1760, 0.3);
  w.resize(frames_of(1.1));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

// ---- round, menus, jingles ----

Audio time_running(Rng& rng) {
  Wave w = silence(0.25);
  mix(w, wood_knock(rng, 1100, 0.02), 0.0, 0.8);
  mix(w, glide(0.1, 1760, 1760, 0, 0), 0.0, 0.5);
  w.resize(frames_of(0.25));
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio button1(Rng& rng) {
  Wave w = silence(0.1);
  mix(w, click(rng, 2200, 0.002), 0.0, 0.8);
  mix(w, glide(0.04, 1100, 900, 0, 0), 0.0, 0.6);
  w.resize(frames_of(0.1));
  fade_out(w, 0.03);
  return mono(std::move(w));
}

Audio game_over(Rng& rng) {
  // A sad "wah wah wah waaah": four falling notes on a muted horn.
  constexpr double kStarts[] = {0.0, 0.42, 0.84, 1.26};
  constexpr double kNotes[] = {196.0, 185.0, 174.6, 164.8};
  const double seconds = 2.9;
  auto note_at = [&](double t) {
    int k = 0;
    for (int i = 0; i < 4; ++i)
      if (t >= kStarts[i]) k = i;
    return k;
  };
  auto pitch = [&](double t) {
    const int k = note_at(t);
    const double vib = k == 3 ? 1.0 + 0.025 * std::min(1.0, (t - 1.5) / 0.3) * std::sin(kTwoPi * 5.5 * t) * (t > 1.5) : 1.0;
    return kNotes[k] * vib * (k == 3 ? 1.0 - 0.04 * std::max(0.0, t - 2.2) : 1.0);
  };
  auto shape = [&](double t) {
    const double x = std::min(1.0, (t - kStarts[note_at(t)]) / 0.15);
    return Vowel{kVowelU.f1 + (kVowelA.f1 - kVowelU.f1) * x, kVowelU.f2 + (kVowelA.f2 - kVowelU.f2) * x, 2500};
  };
  auto amp = [&](double t) {
    const int k = note_at(t);
    const double local = t - kStarts[k];
    const double len = k == 3 ? seconds - kStarts[3] : 0.4;
    return std::min(1.0, local / 0.03) * std::min(1.0, std::max(0.0, (len - local) / (k == 3 ? 0.5 : 0.05)));
  };
  Wave w = voice(seconds, pitch, shape, amp, 0.05, rng);
  return mono(with_room(std::move(w), 0.3, 0.5, 0.2));
}

// Plucked arpeggio with a bright string sound.
void arpeggio(Wave& w, const std::vector<int>& notes, double step, double ring, double gain, Rng& rng) {
  for (std::size_t i = 0; i < notes.size(); ++i)
    pluck(w, step * static_cast<double>(i), note_hz(notes[i]), ring, 0.85, 0.998, gain, rng);
}

Audio game_start(Rng& rng) {
  Wave w = silence(1.7);
  arpeggio(w, {67, 71, 74, 79}, 0.09, 1.2, 0.8, rng);
  whistle(w, 0.36, note_hz(83), 0.9, 0.35, rng);
  pluck(w, 0.36, note_hz(55), 1.2, 0.5, 0.997, 0.7, rng);
  brush(w, 0.36, 0.4, rng);
  w.resize(frames_of(1.7));
  fade_out(w, 0.3);
  return mono(with_room(std::move(w), 0.2, 0.3, 0.15));
}

Audio level2_score(Rng& rng) {
  Wave w = silence(1.7);
  const int notes[] = {72, 76, 79, 84};
  for (int i = 0; i < 4; ++i) mix(w, bell(rng, note_hz(notes[i]), 0.25), 0.08 * i, 0.6);
  for (int n : {72, 76, 79, 84}) mix(w, bell(rng, note_hz(n), 0.4), 0.4, 0.3);
  mix(w, glass_tinkle(rng, 0.8, 12), 0.4, 0.2);
  w.resize(frames_of(1.7));
  fade_out(w, 0.4);
  return mono(std::move(w));
}

// ---- struck materials ----

Audio hit1(Rng& rng) {
  Wave w = silence(0.3);
  mix(w, noise_burst(0.15, 0.0005, 0.025, 900, 0.8, rng), 0, 1.2);
  mix(w, thud(rng, 150, 0.2), 0, 1.0);
  w.resize(frames_of(0.3));
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio hit_wood1(Rng& rng) {
  Wave w = silence(0.4);
  mix(w, wood_knock(rng, 420, 0.035), 0, 1.0);
  mix(w, crackle(rng, 0.1, 60, 3000, 0.8, 0.0015), 0.01, 0.25);
  w.resize(frames_of(0.4));
  fade_out(w, 0.08);
  return mono(std::move(w));
}

Audio hit_wood2(Rng& rng) {
  Wave w = silence(0.7);
  mix(w, wood_knock(rng, 300, 0.05), 0, 1.0);
  mix(w, crackle(rng, 0.4, 70, 2500, 0.7, 0.002), 0.0, 0.45);  // the door splinters
  mix(w, wood_knock(rng, 250, 0.04), 0.13, 0.7);
  mix(w, wood_knock(rng, 520, 0.02), 0.33, 0.4);
  w.resize(frames_of(0.7));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio hit_wood3(Rng& rng) {
  Wave w = silence(0.75);
  mix(w, wood_knock(rng, 180, 0.08), 0, 1.0);  // hollow barrel
  mix(w, thud(rng, 110, 0.25), 0, 0.6);
  mix(w, crackle(rng, 0.35, 80, 2000, 0.7, 0.002), 0.01, 0.4);
  mix(w, wood_knock(rng, 340, 0.03), 0.18, 0.5);  // staves fall
  mix(w, wood_knock(rng, 390, 0.03), 0.29, 0.4);
  mix(w, wood_knock(rng, 300, 0.03), 0.41, 0.3);
  w.resize(frames_of(0.75));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio hit_metal1(Rng& rng) {
  Wave w = metal_ring(rng, 1250, 0.15);
  w.resize(frames_of(0.75));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio hit_metal2(Rng& rng) {
  Wave w = metal_ring(rng, 520, 0.25);
  mix(w, thud(rng, 120, 0.2), 0, 0.8);
  w.resize(frames_of(1.0));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio hit_metal3(Rng& rng) {
  // A ricochet: the ping and the bullet whining away.
  Wave w = metal_ring(rng, 1700, 0.06);
  Wave whine = glide(0.5, 3300, 1300, 0, 0);
  for (std::size_t i = 0; i < whine.size(); ++i) whine[i] *= static_cast<float>(std::exp(-static_cast<double>(i) / (0.2 * kRate)));
  mix(w, whine, 0.01, 0.5);
  w.resize(frames_of(0.7));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio hit_switch(Rng& rng) {
  Wave w = silence(0.22);
  mix(w, click(rng, 2500, 0.002), 0.0, 1.0);
  mix(w, click(rng, 1600, 0.003), 0.06, 0.8);
  mix(w, metal_ring(rng, 2800, 0.02), 0.06, 0.2);
  w.resize(frames_of(0.22));
  fade_out(w, 0.04);
  return mono(std::move(w));
}

Audio hit_snail(Rng& rng) {
  Wave w = silence(0.55);
  mix(w, crackle(rng, 0.08, 600, 3200, 0.9, 0.0015), 0, 0.9);  // shell cracks
  Wave squish(frames_of(0.35));
  Biquad bp;
  for (std::size_t i = 0; i < squish.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(squish.size());
    if (i % 32 == 0) bp.set_bandpass(1200 * std::pow(0.25, x), 3);
    squish[i] = static_cast<float>(bp.run(rng.noise()) * ad_env(x * 0.35, 0.01, 0.1));
  }
  mix(w, squish, 0.02, 1.6);
  mix(w, glide(0.2, 900, 480, 0, 0), 0.1, 0.25);  // a tiny squeak
  w.resize(frames_of(0.55));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio hit_pumpkin(Rng& rng) {
  Wave w = modes(0.5, {{170, 0.07, 1.0}, {390, 0.05, 0.6}, {720, 0.03, 0.3}}, rng, 0.001);
  Wave splat = noise_burst(0.3, 0.002, 0.06, 0, 0, rng);
  lowpass(splat, 1500);
  mix(w, splat, 0.005, 1.0);
  mix(w, crackle(rng, 0.2, 120, 900, 0.8, 0.004), 0.01, 0.5);
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio hit_glass(Rng& rng) {
  Wave w = noise_burst(0.2, 0.0003, 0.035, 0, 0, rng);
  highpass(w, 2500);
  mix(w, glass_tinkle(rng, 0.9, 34), 0.0, 0.9);
  w.resize(frames_of(0.9));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio hit_stone(Rng& rng) {
  Wave w = noise_burst(0.05, 0.0002, 0.004, 3500, 1.0, rng);
  mix(w, thud(rng, 95, 0.2), 0, 0.8);
  mix(w, crackle(rng, 0.25, 80, 4000, 1.0, 0.001), 0.01, 0.3);  // grit
  w.resize(frames_of(0.4));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio hit_jacknjoe(Rng& rng) {
  Wave w = silence(0.6);
  mix(w, thud(rng, 180, 0.15), 0, 0.8);
  auto pitch = [](double t) { return 880 + 500 * std::sin(kPi * std::min(1.0, t / 0.3)); };
  auto shape = [](double t) { return t < 0.1 ? kVowelI : kVowelE; };
  auto amp = [](double t) { return std::min(1.0, t / 0.01) * std::max(0.0, std::min(1.0, (0.32 - t) / 0.08)); };
  mix(w, voice(0.32, pitch, shape, amp, 0.1, rng), 0.03, 0.9);
  mix(w, crackle(rng, 0.2, 80, 5000, 1.0, 0.001), 0.0, 0.3);  // prickles
  w.resize(frames_of(0.6));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio hit_apple(Rng& rng) {
  Wave w = crackle(rng, 0.12, 700, 2800, 0.8, 0.0015);
  Wave juice = noise_burst(0.25, 0.002, 0.05, 0, 0, rng);
  lowpass(juice, 2000);
  mix(w, juice, 0.005, 0.8);
  mix(w, thud(rng, 250, 0.12), 0, 0.6);
  w.resize(frames_of(0.35));
  fade_out(w, 0.08);
  return mono(std::move(w));
}

Audio crash1(Rng& rng) {
  Wave w = thud(rng, 55, 0.9);
  mix(w, metal_ring(rng, 180, 0.3), 0, 0.5);
  Wave rumble = noise_burst(1.2, 0.005, 0.35, 0, 0, rng);
  lowpass(rumble, 220);
  mix(w, rumble, 0, 1.5);
  mix(w, crackle(rng, 0.6, 60, 1800, 0.8, 0.004), 0.03, 0.5);
  w.resize(frames_of(1.4));
  fade_out(w, 0.3);
  return mono(std::move(w));
}

Audio stone_crash(Rng& rng) {
  Wave w = silence(1.9);
  // The slab grinds aside, then drops.
  Wave grind = crackle(rng, 0.8, 900, 900, 0.7, 0.002);
  Wave rough = noise_burst(0.8, 0.1, 10, 0, 0, rng);
  lowpass(rough, 400);
  mix(grind, rough, 0, 1.0);
  for (std::size_t i = 0; i < grind.size(); ++i)
    grind[i] *= static_cast<float>((0.6 + 0.4 * std::sin(kTwoPi * 7 * i / kRate)) * std::min(1.0, i / (0.1 * kRate)));
  mix(w, grind, 0, 0.8);
  mix(w, thud(rng, 60, 0.7), 0.8, 1.4);
  mix(w, noise_burst(0.05, 0.0002, 0.006, 3000, 1.0, rng), 0.8, 1.0);
  mix(w, crackle(rng, 0.6, 100, 3500, 1.0, 0.0015), 0.82, 0.6);
  w.resize(frames_of(1.9));
  fade_out(w, 0.3);
  return mono(std::move(w));
}

Audio screen_knock(Rng& rng) {
  Wave w = silence(0.65);
  for (int i = 0; i < 3; ++i) {
    Wave knock = modes(0.15, {{240, 0.02, 1.0}, {1850, 0.04, 0.3}, {2950, 0.03, 0.2}}, rng, 0.0005);
    mix(knock, noise_burst(0.02, 0.0002, 0.003, 1500, 1.0, rng), 0, 0.8);
    mix(w, knock, 0.17 * i, 1.0 - 0.1 * i);
  }
  w.resize(frames_of(0.65));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio beehive_stick(Rng& rng) {
  Wave w = silence(0.5);
  for (int i = 0; i < 2; ++i) {
    Wave knock = wood_knock(rng, 260, 0.05);
    mix(knock, modes(0.3, {{140, 0.09, 0.6}}, rng), 0, 1.0);  // the hollow hive
    mix(w, knock, 0.17 * i, 1.0);
  }
  w.resize(frames_of(0.5));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

// ---- water, paper, mechanics ----

Audio splash(Rng& rng, double seconds, bool dive) {
  Wave w = silence(seconds);
  if (dive) mix(w, glide(0.06, 350, 1200, 0, 0), 0, 0.6);  // plop
  Wave spray = noise_burst(0.5, 0.003, 0.12, 2500, 0.7, rng);
  mix(w, spray, dive ? 0.02 : 0.0, 1.0);
  Wave body = noise_burst(0.4, 0.005, 0.08, 0, 0, rng);
  lowpass(body, 900);
  mix(w, body, 0, 0.8);
  mix(w, bubbles(rng, seconds * 0.8, dive ? 10 : 6, 500, 1100), 0.1, 0.6);
  if (!dive) mix(w, bubbles(rng, 0.3, 3, 1500, 2200), seconds * 0.6, 0.4);  // drips
  w.resize(frames_of(seconds));
  fade_out(w, 0.1);
  return mono(std::move(w));
}
Audio fishing(Rng& rng) { return splash(rng, 0.7, true); }
Audio fishing2(Rng& rng) { return splash(rng, 0.7, false); }

Audio water(Rng& rng) {
  Wave w = silence(1.4);
  for (int i = 0; i < 5; ++i) {
    Wave slosh = noise_burst(0.4, 0.02, 0.09, 0, 0, rng);
    lowpass(slosh, 1400);
    mix(w, slosh, 0.05 + 0.22 * i + rng.range(0, 0.05), 1.0 - 0.12 * i);
  }
  mix(w, bubbles(rng, 1.1, 14, 400, 1200), 0.0, 0.5);
  mix(w, bubbles(rng, 0.5, 4, 1500, 2400), 0.9, 0.4);
  w.resize(frames_of(1.4));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio paper(Rng& rng) {
  Wave w = crackle(rng, 0.3, 500, 3000, 0.6, 0.0015);
  Wave swish = whoosh(rng, 0.3, 1500, 4000, 1.0);
  mix(w, swish, 0, 0.8);
  for (std::size_t i = 0; i < w.size(); ++i) w[i] *= static_cast<float>(std::sin(kPi * i / w.size()));
  return mono(std::move(w));
}

Audio paper_flight(Rng& rng) {
  Wave w = whoosh(rng, 1.2, 2200, 700, 1.2);
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    w[i] *= static_cast<float>((0.55 + 0.45 * std::sin(kTwoPi * (14 - 5 * t) * t)) * std::exp(-t / 0.6));
  }
  mix(w, crackle(rng, 0.2, 300, 3000, 0.7, 0.0015), 0, 0.6);
  fade_out(w, 0.3);
  return mono(std::move(w));
}

// Stick-slip creak: a train of pulses at a wandering rate through wooden resonances.
Wave creak(Rng& rng, double seconds, double rate_from, double rate_to) {
  Wave pulses(frames_of(seconds), 0.0f);
  double phase = 0;
  for (std::size_t i = 0; i < pulses.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(pulses.size());
    const double rate = (rate_from + (rate_to - rate_from) * x) * (1.0 + 0.15 * std::sin(kTwoPi * 3 * x));
    phase += rate / kRate;
    if (phase >= 1.0) {
      phase -= 1.0;
      pulses[i] = static_cast<float>(rng.range(0.6, 1.0));
    }
  }
  Wave w(pulses.size(), 0.0f);
  for (double f : {650.0, 1300.0, 2250.0}) {
    Wave band = pulses;
    bandpass(band, f, 12);
    mix(w, band, 0, f < 1000 ? 1.0 : 0.6);
  }
  for (std::size_t i = 0; i < w.size(); ++i) w[i] *= static_cast<float>(std::sin(kPi * i / w.size()));
  return w;
}

Audio oven_squeek(Rng& rng) {
  Wave w = creak(rng, 0.85, 60, 140);
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio oven_doing(Rng& rng) {
  Wave w = boing(220, 0.55);
  mix(w, click(rng, 2400, 0.002), 0, 0.6);
  return mono(std::move(w));
}

Audio box_open(Rng& rng) {
  Wave w = creak(rng, 0.45, 90, 50);
  mix(w, metal_ring(rng, 300, 0.07), 0.45, 0.6);
  mix(w, thud(rng, 140, 0.2), 0.45, 0.8);
  w.resize(frames_of(0.85));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio box_lock_open(Rng& rng) {
  Wave w = silence(0.5);
  for (int i = 0; i < 4; ++i) mix(w, click(rng, 3000 + 200 * i, 0.0015), 0.05 * i, 0.5);
  mix(w, click(rng, 1800, 0.004), 0.26, 1.0);
  mix(w, metal_ring(rng, 1600, 0.05), 0.26, 0.4);
  w.resize(frames_of(0.5));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio box_lock_shot(Rng& rng) {
  Wave w = metal_ring(rng, 700, 0.1);
  mix(w, thud(rng, 160, 0.15), 0, 0.8);
  mix(w, noise_burst(0.05, 0.0002, 0.006, 0, 0, rng), 0, 0.6);
  mix(w, metal_ring(rng, 2100, 0.03), 0.26, 0.4);  // the lock clatters down
  mix(w, metal_ring(rng, 2300, 0.03), 0.36, 0.3);
  mix(w, metal_ring(rng, 2050, 0.025), 0.43, 0.2);
  w.resize(frames_of(0.75));
  fade_out(w, 0.15);
  return mono(std::move(w));
}

Audio key(Rng& rng) {
  Wave w = silence(0.9);
  for (int i = 0; i < 6; ++i) mix(w, metal_ring(rng, rng.range(3000, 4500), 0.03), rng.range(0, 0.25), 0.3);
  mix(w, bell(rng, note_hz(84), 0.18), 0.12, 0.6);
  mix(w, bell(rng, note_hz(88), 0.25), 0.24, 0.6);
  w.resize(frames_of(0.9));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio card_shuffle(Rng& rng) {
  Wave w = silence(0.6);
  double at = 0;
  for (int i = 0; i < 48; ++i) {
    mix(w, noise_burst(0.01, 0.0001, 0.0012, 3200, 1.2, rng), at, rng.range(0.5, 1.0));
    at += 0.012 - 0.00015 * i;
  }
  mix(w, wood_knock(rng, 700, 0.012), at + 0.05, 0.4);  // the deck is squared
  w.resize(frames_of(0.6));
  fade_out(w, 0.05);
  return mono(std::move(w));
}

Audio trampolin(Rng& rng) {
  Wave w = boing(165, 0.65);
  mix(w, creak(rng, 0.15, 120, 90), 0, 0.3);
  return mono(std::move(w));
}

Audio horn(Rng& rng) {
  // Honk-honk: two reedy tones a third apart through the horn's bell.
  Wave w = silence(1.1);
  auto blast = [&](double seconds) {
    Saw a, b;
    Biquad body = Biquad::bandpass(1100, 1.2);
    Biquad low = Biquad::lowpass(3000, 0.7);
    return render(seconds, [&](double t) {
      const double bend = 1.0 - 0.05 * std::exp(-t / 0.03);
      const double x = a.run(370 * bend) + b.run(466 * bend);
      const double env = std::min(1.0, t / 0.015) * std::min(1.0, (seconds - t) / 0.03);
      return low.run(body.run(static_cast<float>(std::tanh(1.5 * x)))) * env;
    });
  };
  mix(w, blast(0.24), 0.0, 1.0);
  mix(w, blast(0.5), 0.33, 1.0);
  (void)rng;
  return mono(with_room(std::move(w), 0.15, 0.3, 0.15));
}

Audio sign_turn(Rng& rng) {
  Wave w = creak(rng, 0.25, 140, 200);
  Wave whirr = noise_burst(1.2, 0.02, 0.5, 0, 0, rng);
  bandpass(whirr, 900, 0.8);
  for (std::size_t i = 0; i < whirr.size(); ++i) {
    const double t = static_cast<double>(i) / kRate;
    whirr[i] *= static_cast<float>(0.5 + 0.5 * std::sin(kTwoPi * (10 * t - 2.5 * t * t)));
  }
  mix(w, whirr, 0.05, 1.2);
  w.resize(frames_of(1.25));
  fade_out(w, 0.25);
  return mono(std::move(w));
}

Audio snail_apple(Rng& rng) {
  Wave w = crackle(rng, 0.2, 300, 2500, 0.8, 0.003);
  mix(w, thud(rng, 220, 0.12), 0, 0.5);
  w.resize(frames_of(0.35));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio snail_chew(Rng& rng) {
  Wave w = silence(1.6);
  for (int i = 0; i < 5; ++i) {
    Wave chew = crackle(rng, 0.18, 220, 1100, 0.8, 0.003);
    Wave squelch = noise_burst(0.15, 0.02, 0.04, 500, 2.0, rng);
    mix(chew, squelch, 0, 1.2);
    for (std::size_t k = 0; k < chew.size(); ++k) chew[k] *= static_cast<float>(std::sin(kPi * k / chew.size()));
    mix(w, chew, 0.3 * i + rng.range(0, 0.03), 1.0);
  }
  w.resize(frames_of(1.6));
  fade_out(w, 0.1);
  return mono(std::move(w));
}

Audio snail_move(Rng& rng) {
  Wave w(frames_of(0.6));
  Biquad bp;
  for (std::size_t i = 0; i < w.size(); ++i) {
    const double x = static_cast<double>(i) / static_cast<double>(w.size());
    if (i % 32 == 0) bp.set_bandpass(400 * std::pow(3.0, x), 4);
    w[i] = static_cast<float>(bp.run(rng.noise()) * std::sin(kPi * x));
  }
  mix(w, crackle(rng, 0.5, 60, 700, 1.5, 0.004), 0.05, 0.6);
  return mono(std::move(w));
}

// ---- voices of the scenery ----

Audio howl(Rng& rng) {
  const double seconds = 1.8;
  auto pitch = [](double t) {
    const double rise = t < 0.35 ? 340 + 360 * t / 0.35 : 700 - 220 * std::max(0.0, (t - 1.1) / 0.7);
    return rise * (1.0 + 0.02 * std::min(1.0, t / 0.5) * std::sin(kTwoPi * 5 * t));
  };
  auto shape = [](double t) { return t < 0.3 ? kVowelU : t < 1.3 ? kVowelO : kVowelU; };
  auto amp = [=](double t) { return std::min(1.0, t / 0.12) * std::min(1.0, (seconds - t) / 0.4); };
  Wave w = voice(seconds, pitch, shape, amp, 0.15, rng);
  return mono(with_room(std::move(w), 0.5, 0.4, 0.4));
}

Audio tree_laugh(Rng& rng, int syllables, double pitch0, Vowel vowel) {
  const double step = 0.3;
  const double seconds = step * syllables + 0.2;
  auto pitch = [=](double t) { return pitch0 * (1.0 - 0.03 * std::floor(t / step)) * (1.0 + 0.1 * std::exp(-std::fmod(t, step) / 0.05)); };
  auto shape = [=](double) { return vowel; };
  auto amp = [=](double t) {
    const double local = std::fmod(t, step);
    return t > step * syllables ? 0.0 : std::min(1.0, local / 0.03) * std::max(0.0, 1.0 - local / 0.24);
  };
  Wave w = voice(seconds, pitch, shape, amp, 0.12, rng);
  // An "h" of breath before each syllable.
  for (int i = 0; i < syllables; ++i) mix(w, noise_burst(0.06, 0.01, 0.02, 1200, 1.0, rng), step * i, 0.15);
  return mono(with_room(std::move(w), 0.35, 0.5, 0.3));
}
Audio tree_laugh(Rng& rng) { return tree_laugh(rng, 5, 105, kVowelO); }
Audio tree_laugh_short(Rng& rng) { return tree_laugh(rng, 2, 125, kVowelE); }

Wave ghost_wail(Rng& rng, double seconds, double f_from, double f_peak, double f_to) {
  Biquad breath = Biquad::bandpass(f_from * 2, 2);
  double phase = 0;
  Wave w = render(seconds, [&](double t) {
    const double x = t / seconds;
    const double f = (x < 0.4 ? f_from + (f_peak - f_from) * x / 0.4 : f_peak + (f_to - f_peak) * (x - 0.4) / 0.6) *
                     (1.0 + 0.03 * std::sin(kTwoPi * 6.5 * t));
    phase += kTwoPi * f / kRate;
    const double env = std::sin(kPi * x);
    return (std::sin(phase) + 0.2 * std::sin(2 * phase) + 0.4 * breath.run(rng.noise())) * env;
  });
  return with_room(std::move(w), 0.6, 0.6, 0.5);
}

Audio ghost(Rng& rng) { return mono(ghost_wail(rng, 1.2, 420, 640, 380)); }

Audio hit_ghost(Rng& rng) {
  Wave w = ghost_wail(rng, 1.2, 900, 950, 200);
  mix(w, whoosh(rng, 0.6, 3000, 400, 1.0), 0.9, 0.8);  // and it is gone
  fade_out(w, 0.2);
  return mono(std::move(w));
}

Audio bee_hit(Rng& rng, double pitch) {
  Wave w = silence(0.7);
  // A bee dives in, stings, and the shooter yelps.
  Saw saw;
  Biquad bp = Biquad::bandpass(1200, 1.0);
  Wave dive = render(0.18, [&](double t) { return bp.run(saw.run(260 * std::pow(2.2, t / 0.18))) * std::min(1.0, t / 0.02); });
  mix(w, dive, 0, 1.0);
  mix(w, glide(0.12, 3200, 2000, 0, 0), 0.17, 0.35);
  auto p = [=](double t) { return pitch * (1.3 - 0.5 * t / 0.4); };
  auto shape = [](double t) { return t < 0.12 ? kVowelA : kVowelU; };
  auto amp = [](double t) { return std::min(1.0, t / 0.02) * std::max(0.0, std::min(1.0, (0.4 - t) / 0.12)); };
  mix(w, voice(0.4, p, shape, amp, 0.15, rng), 0.2, 0.9);
  w.resize(frames_of(0.7));
  fade_out(w, 0.1);
  return mono(std::move(w));
}
Audio bee_hit1(Rng& rng) { return bee_hit(rng, 190); }
Audio bee_hit2(Rng& rng) { return bee_hit(rng, 230); }
Audio bee_hit3(Rng& rng) { return bee_hit(rng, 270); }

Wave sheep(Rng& rng, double seconds, double pitch0, double wobble_hz, bool happy) {
  auto pitch = [=](double t) { return pitch0 * (1.0 + (happy ? 0.25 * t / seconds : -0.1 * t / seconds)) * (1.0 + 0.05 * std::sin(kTwoPi * wobble_hz * t)); };
  auto shape = [=](double t) { return t < 0.08 ? (happy ? kVowelI : kVowelE) : kVowelA; };
  auto amp = [=](double t) {
    return std::min(1.0, t / 0.03) * std::min(1.0, (seconds - t) / 0.15) * (0.7 + 0.3 * std::sin(kTwoPi * wobble_hz * t));
  };
  return voice(seconds, pitch, shape, amp, 0.3, rng);
}

Audio hit_sheep(Rng& rng) {
  Wave w = silence(1.0);
  mix(w, thud(rng, 150, 0.15), 0, 0.8);
  mix(w, sheep(rng, 0.8, 290, 6.5, false), 0.05, 1.0);
  w.resize(frames_of(1.0));
  return mono(std::move(w));
}

Audio sheephappy(Rng& rng) {
  Wave w = sheep(rng, 0.9, 380, 8, true);
  mix(w, bell(rng, note_hz(88), 0.15), 0.85, 0.3);
  w.resize(frames_of(1.3));
  fade_out(w, 0.2);
  return mono(std::move(w));
}

// ---- loops ----

// Country air: two streams of wind, rustling leaves and birds, seamless over 24 s.
Audio ambientloop(Rng& rng) {
  const double seconds = 24.0;
  const std::size_t n = frames_of(seconds);
  Audio a{Wave(n), Wave(n)};
  for (Wave* ch : {&a.left, &a.right}) {
    Wave wind(n), leaves(n);
    for (std::size_t i = 0; i < n; ++i) {
      wind[i] = rng.noise();
      leaves[i] = rng.noise();
    }
    Wave breeze = wind;
    filter_circular(wind, Biquad::lowpass(350, 0.7));
    filter_circular(leaves, Biquad::bandpass(3500, 0.7));
    // Gusts: slow swells whose periods divide the loop.
    const double p1 = rng.range(0, kTwoPi), p2 = rng.range(0, kTwoPi), p3 = rng.range(0, kTwoPi);
    for (std::size_t i = 0; i < n; ++i) {
      const double x = static_cast<double>(i) / static_cast<double>(n);
      const double gust = 0.55 + 0.25 * std::sin(kTwoPi * 2 * x + p1) + 0.15 * std::sin(kTwoPi * 5 * x + p2);
      const double rustle = 0.5 + 0.5 * std::sin(kTwoPi * 3 * x + p3);
      (*ch)[i] = static_cast<float>(2.2 * wind[i] * gust + 0.25 * leaves[i] * rustle * gust);
    }
    // The whistle of the wind: a band whose centre wanders with the gusts. Coefficients
    // follow a periodic path, so the second pass meets the first at the seam.
    Biquad band;
    for (int pass = 0; pass < 2; ++pass) {
      for (std::size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(n);
        const double gust = 0.55 + 0.25 * std::sin(kTwoPi * 2 * x + p1) + 0.15 * std::sin(kTwoPi * 5 * x + p2);
        if (i % 32 == 0) band.set_bandpass(500 + 500 * gust, 3.0);
        const float y = band.run(breeze[i]);
        if (pass == 1) (*ch)[i] += static_cast<float>(0.35 * y * gust * gust);
      }
    }
  }
  // Birds: short songs of chirps and trills, at random places and sides.
  for (int s = 0; s < 16; ++s) {
    const double at = rng.range(0, seconds);
    const double pan = rng.range(0.15, 0.85);
    const double base = rng.range(2400, 4200);
    const int notes = 2 + rng.below(5);
    const bool trill = rng.uniform() < 0.4;
    Wave song;
    double t0 = 0;
    for (int k = 0; k < notes; ++k) {
      const double len = trill ? 0.035 : rng.range(0.05, 0.12);
      const double f0 = base * rng.range(0.85, 1.15), f1 = f0 * rng.range(1.1, 1.5);
      double phase = 0;
      Wave chirp = render(len, [&](double t) {
        const double x = t / len;
        phase += kTwoPi * (f0 + (f1 - f0) * std::sin(kPi * x)) * (1.0 + 0.04 * std::sin(kTwoPi * 70 * t)) / kRate;
        return std::sin(phase) * std::sin(kPi * x);
      });
      mix(song, chirp, t0, 1.0);
      t0 += len + (trill ? 0.01 : rng.range(0.03, 0.09));
    }
    const double level = rng.range(0.15, 0.4);
    mix_circular(a.left, song, at, level * (1.0 - pan));
    mix_circular(a.right, song, at, level * pan);
  }
  reverb_circular(a, 0.5, 0.5, 0.25);
  return a;
}

// A swarm of bees: every buzzer makes a whole number of cycles over the loop, so the
// 4-second loop closes without a seam.
Audio bee_loop(Rng& rng) {
  const double seconds = 4.0;
  const std::size_t n = frames_of(seconds);
  Audio a{Wave(n, 0.0f), Wave(n, 0.0f)};
  for (int b = 0; b < 24; ++b) {
    const double cycles = std::round(rng.range(185, 255) * seconds);
    const double base = cycles / seconds;
    const double wobble_cycles = 1 + rng.below(6);
    const double depth = rng.range(0.02, 0.06);
    const double ph = rng.range(0, kTwoPi);
    const double amp_cycles = 1 + rng.below(5), amp_ph = rng.range(0, kTwoPi);
    const double pan = rng.range(0.1, 0.9);
    Saw saw;
    saw.phase = rng.uniform();
    for (std::size_t i = 0; i < n; ++i) {
      const double x = static_cast<double>(i) / static_cast<double>(n);
      const double f = base * (1.0 + depth * std::sin(kTwoPi * wobble_cycles * x + ph));
      const double v = saw.run(f) * (0.6 + 0.4 * std::sin(kTwoPi * amp_cycles * x + amp_ph));
      a.left[i] += static_cast<float>(v * (1.0 - pan));
      a.right[i] += static_cast<float>(v * pan);
    }
  }
  for (Wave* ch : {&a.left, &a.right}) {
    filter_circular(*ch, Biquad::highpass(180, 0.7));
    filter_circular(*ch, Biquad::peak(450, 1.0, 6));
    filter_circular(*ch, Biquad::lowpass(2800, 0.7));
  }
  return a;
}

}  // namespace

const std::vector<Effect>& effect_list() {
  using enum Format;
  static const std::vector<Effect> list = {
      {"game_over", ogg, false, 0, game_over},
      {"gun reload", wav, false, 0, gun_reload},
      {"gunblast", wav, false, 0, gunblast},
      {"time_running", wav, false, 0, time_running},
      {"chicken close", wav, false, 0, chicken_close},
      {"chicken mid", wav, false, 0, chicken_mid},
      {"chicken far", wav, false, 0, chicken_far},
      {"ambientloop", ogg, true, -10, ambientloop},
      {"empty magazine", wav, false, 0, empty_magazine},
      {"game_start", ogg, false, 0, game_start},
      {"chickenheartattack", ogg, false, 0, chickenheartattack},
      {"button1", wav, false, -4, button1},
      {"megablastx", ogg, false, 0, megablastx},
      {"open_megagun", ogg, false, 0, open_megagun},
      {"chick_appear", wav, false, 0, chick_appear},
      {"chick_pan", wav, false, 0, chick_pan},
      {"hit1", wav, false, 0, hit1},
      {"hit_wood1", wav, false, 0, hit_wood1},
      {"hit_wood2", wav, false, 0, hit_wood2},
      {"hit_wood3", wav, false, 0, hit_wood3},
      {"hit_metal1", wav, false, 0, hit_metal1},
      {"hit_metal2", wav, false, 0, hit_metal2},
      {"hit_switch", wav, false, 0, hit_switch},
      {"hit_snail", wav, false, 0, hit_snail},
      {"hit_pumpkin", wav, false, 0, hit_pumpkin},
      {"hit_glass", wav, false, 0, hit_glass},
      {"hit_stone", wav, false, 0, hit_stone},
      {"hit_jacknjoe", wav, false, 0, hit_jacknjoe},
      {"hit_ghost", ogg, false, 0, hit_ghost},
      {"crash1", ogg, false, 0, crash1},
      {"fishing", wav, false, 0, fishing},
      {"fishing2", wav, false, 0, fishing2},
      {"howl", ogg, false, 0, howl},
      {"water", ogg, false, 0, water},
      {"screen_knock", wav, false, 0, screen_knock},
      {"paper", wav, false, 0, paper},
      {"paper_flight", ogg, false, 0, paper_flight},
      {"chick_grill", ogg, false, 0, chick_grill},
      {"chick_ready", wav, false, 0, chick_ready},
      {"oven_squeek", ogg, false, 0, oven_squeek},
      {"oven_doing", wav, false, 0, oven_doing},
      {"snail_apple", wav, false, 0, snail_apple},
      {"snail_chew", ogg, false, 0, snail_chew},
      {"box_open", wav, false, 0, box_open},
      {"box_lock_open", wav, false, 0, box_lock_open},
      {"box_lock_shot", wav, false, 0, box_lock_shot},
      {"key", wav, false, 0, key},
      {"tree_laugh", ogg, false, 0, tree_laugh},
      {"tree_laugh_short", ogg, false, 0, tree_laugh_short},
      {"stone_crash", ogg, false, 0, stone_crash},
      {"card_shuffle", wav, false, 0, card_shuffle},
      {"trampolin", wav, false, 0, trampolin},
      {"horn", ogg, false, 0, horn},
      {"ghost", ogg, false, 0, ghost},
      {"beehive_stick", wav, false, 0, beehive_stick},
      {"sign_turn", ogg, false, 0, sign_turn},
      {"hit_metal3", wav, false, 0, hit_metal3},
      {"bee_hit1", wav, false, 0, bee_hit1},
      {"bee_hit2", wav, false, 0, bee_hit2},
      {"bee_hit3", wav, false, 0, bee_hit3},
      {"bee_loop", ogg, true, -2, bee_loop},
      {"chick_pan2", wav, false, 0, chick_pan2},
      {"chick_pan3", wav, false, 0, chick_pan3},
      {"hit_apple", wav, false, 0, hit_apple},
      {"hit_sheep", ogg, false, 0, hit_sheep},
      {"level2_score", ogg, false, 0, level2_score},
      {"sheephappy", ogg, false, 0, sheephappy},
      {"snail_move", wav, false, 0, snail_move},
  };
  return list;
}

}  // namespace sounds
