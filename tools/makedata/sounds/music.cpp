// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/music.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "tools/makedata/sounds/voices.h"

namespace sounds {

bool parse_melody(const std::string& text, std::vector<MelodyNote>& out) {
  std::istringstream in(text);
  std::string token;
  while (in >> token) {
    const std::size_t colon = token.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= token.size()) return false;
    const std::string name = token.substr(0, colon);
    char* end = nullptr;
    const long eighths = std::strtol(token.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || eighths <= 0) return false;
    if (name == "r") {
      out.push_back({-1, static_cast<int>(eighths)});
      continue;
    }
    constexpr std::string_view kLetters = "CDEFGAB";
    constexpr int kSteps[] = {0, 2, 4, 5, 7, 9, 11};
    const std::size_t letter = kLetters.find(name[0]);
    if (letter == std::string_view::npos) return false;
    std::size_t pos = 1;
    int accidental = 0;
    if (pos < name.size() && name[pos] == '#') accidental = 1, ++pos;
    else if (pos < name.size() && name[pos] == 'b') accidental = -1, ++pos;
    if (pos + 1 != name.size() || name[pos] < '0' || name[pos] > '8') return false;
    const int octave = name[pos] - '0';
    out.push_back({12 * (octave + 1) + kSteps[letter] + accidental, static_cast<int>(eighths)});
  }
  return true;
}

namespace {

struct Chord {
  const char* name;
  int bass_root;
  int bass_fifth;
  std::vector<int> voicing;
};

const Chord& chord(const std::string& name) {
  static const std::vector<Chord> kChords = {
      {"G", 43, 50, {55, 59, 62, 67}}, {"C", 48, 43, {55, 60, 64, 67}}, {"D", 50, 45, {57, 62, 66, 69}},
      {"D7", 50, 45, {57, 60, 62, 66}}, {"Em", 40, 47, {55, 59, 64, 67}}, {"A", 45, 52, {57, 61, 64, 69}},
      {"A7", 45, 52, {55, 61, 64, 69}}, {"Bm", 47, 42, {54, 59, 62, 66}},
  };
  for (const Chord& c : kChords)
    if (name == c.name) return c;
  throw std::invalid_argument("unknown chord " + name);
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

enum class Lead { pluck, whistle, both, none };

// One section of a piece: bars with their chords, the melody and who plays it.
struct Section {
  const char* chords;  // one chord per bar
  const char* melody;  // sequencer notation, eighths
  Lead lead;
};

struct Piece {
  double eighth;       // seconds per eighth note
  int eighths_per_bar; // 8 for 4/4, 6 for 6/8
  bool jig;            // 6/8 accompaniment instead of boom-chick
  std::vector<Section> sections;
};

struct Tracks {
  Wave bass, strum, lead_pluck, lead_whistle, drums, shaker;
};

// Places a note into a track with wrap-around at the loop's end.
template <class Play>
void place(Wave& track, double at, Play play) {
  Wave note;
  play(note);
  mix_circular(track, note, at);
}

Audio perform(const Piece& p, std::uint64_t seed) {
  Rng rng(seed);
  int bars = 0;
  for (const Section& s : p.sections) bars += static_cast<int>(words(s.chords).size());
  const double bar_seconds = p.eighth * p.eighths_per_bar;
  // An even number of frames per bar keeps every bar on a whole frame.
  const std::size_t bar_frames = 2 * static_cast<std::size_t>(std::lround(bar_seconds * kRate / 2));
  const double bar_len = static_cast<double>(bar_frames) / kRate;
  const double eighth = bar_len / p.eighths_per_bar;
  const std::size_t total = bar_frames * static_cast<std::size_t>(bars);
  Tracks t{Wave(total, 0.0f), Wave(total, 0.0f), Wave(total, 0.0f), Wave(total, 0.0f), Wave(total, 0.0f), Wave(total, 0.0f)};
  auto human = [&] { return rng.range(-0.004, 0.004); };

  int bar = 0;
  for (const Section& s : p.sections) {
    const std::vector<std::string> chords = words(s.chords);
    std::vector<MelodyNote> melody;
    if (!parse_melody(s.melody, melody)) throw std::invalid_argument(std::string("bad melody ") + s.melody);
    int eighths = 0;
    for (const MelodyNote& n : melody) eighths += n.eighths;
    if (eighths != static_cast<int>(chords.size()) * p.eighths_per_bar)
      throw std::invalid_argument(std::string("melody does not fill its bars: ") + s.melody);
    const double start = bar * bar_len;
    // Accompaniment.
    for (std::size_t b = 0; b < chords.size(); ++b) {
      const Chord& c = chord(chords[b]);
      const double at = start + static_cast<double>(b) * bar_len;
      auto strum = [&](double when, double gain, double ring) {
        gain *= rng.range(0.85, 1.1);  // no two strokes alike
        for (std::size_t k = 0; k < c.voicing.size(); ++k) {
          const double f = note_hz(c.voicing[k]);
          place(t.strum, when + 0.012 * static_cast<double>(k) + human(),
                [&](Wave& w) { pluck(w, 0, f, ring, 0.55, 0.996, gain, rng); });
        }
      };
      auto bass_note = [&](double when, int midi, double len) {
        place(t.bass, when + human(), [&](Wave& w) { bass(w, 0, note_hz(midi), len, 1.0, rng); });
      };
      if (!p.jig) {
        bass_note(at, c.bass_root, eighth * 2.2);
        bass_note(at + 4 * eighth, c.bass_fifth, eighth * 2.2);
        strum(at + 2 * eighth, 0.5, eighth * 1.6);
        strum(at + 6 * eighth, 0.5, eighth * 1.3);
        strum(at + 7 * eighth, 0.25, eighth * 1.0);
        place(t.drums, at, [&](Wave& w) { kick(w, 0, 0.9); });
        place(t.drums, at + 4 * eighth, [&](Wave& w) { kick(w, 0, 0.7); });
        place(t.drums, at + 2 * eighth + human(), [&](Wave& w) { brush(w, 0, 0.5, rng); });
        place(t.drums, at + 6 * eighth + human(), [&](Wave& w) { brush(w, 0, 0.5, rng); });
        for (int e = 0; e < 8; ++e)
          place(t.shaker, at + e * eighth + human(), [&](Wave& w) { shaker(w, 0, e % 2 ? 0.35 : 0.6, rng); });
        // The last bar of a section ends with a little brush fill.
        if (b + 1 == chords.size())
          for (int e : {5, 7})
            place(t.drums, at + e * eighth + human(), [&](Wave& w) { brush(w, 0, 0.3, rng); });
      } else {
        bass_note(at, c.bass_root, eighth * 2.2);
        bass_note(at + 3 * eighth, c.bass_fifth, eighth * 2.2);
        strum(at + 1 * eighth, 0.35, eighth * 0.9);
        strum(at + 2 * eighth, 0.45, eighth * 0.9);
        strum(at + 4 * eighth, 0.35, eighth * 0.9);
        strum(at + 5 * eighth, 0.45, eighth * 0.9);
        place(t.drums, at, [&](Wave& w) { kick(w, 0, 0.9); });
        place(t.drums, at + 3 * eighth + human(), [&](Wave& w) { brush(w, 0, 0.45, rng); });
        for (int e = 0; e < 6; ++e)
          place(t.shaker, at + e * eighth + human(), [&](Wave& w) { shaker(w, 0, e % 3 ? 0.3 : 0.55, rng); });
        if (b + 1 == chords.size())
          for (int e : {4, 5})
            place(t.drums, at + e * eighth + human(), [&](Wave& w) { brush(w, 0, 0.3, rng); });
      }
    }
    // Melody.
    double when = start;
    for (const MelodyNote& n : melody) {
      const double len = n.eighths * eighth;
      if (n.midi >= 0) {
        const double f = note_hz(n.midi);
        if (s.lead == Lead::pluck || s.lead == Lead::both) {
          const double gain = s.lead == Lead::both ? 0.55 : 0.8;
          const double f_pluck = s.lead == Lead::both ? f / 2 : f;
          place(t.lead_pluck, when + human(), [&](Wave& w) { pluck(w, 0, f_pluck, len + 0.25, 0.9, 0.998, gain, rng); });
          // Long notes are picked again, as a banjo player would roll them.
          if (s.lead == Lead::pluck && n.eighths >= 3)
            place(t.lead_pluck, when + 2 * eighth + human(),
                  [&](Wave& w) { pluck(w, 0, f, len - 2 * eighth + 0.2, 0.8, 0.998, 0.45, rng); });
        }
        if (s.lead == Lead::whistle || s.lead == Lead::both)
          place(t.lead_whistle, when, [&](Wave& w) { whistle(w, 0, f, len * 0.95, 0.5, rng); });
      }
      when += len;
    }
    bar += static_cast<int>(chords.size());
  }

  // Stereo placement: bass and drums in the middle, rhythm guitar left, leads right.
  Audio mixdown{Wave(total, 0.0f), Wave(total, 0.0f)};
  auto pan = [&](const Wave& w, double gain, double position) {
    const double l = gain * std::cos(position * kPi / 2), r = gain * std::sin(position * kPi / 2);
    for (std::size_t i = 0; i < total; ++i) {
      mixdown.left[i] += static_cast<float>(w[i] * l);
      mixdown.right[i] += static_cast<float>(w[i] * r);
    }
  };
  highpass(t.strum, 120);
  pan(t.bass, 0.9, 0.5);
  pan(t.strum, 0.45, 0.3);
  pan(t.lead_pluck, 0.95, 0.65);
  pan(t.lead_whistle, 0.6, 0.6);
  pan(t.drums, 0.7, 0.5);
  pan(t.shaker, 0.3, 0.75);
  // Room: the loop is run twice through the reverberation and the second pass kept.
  Audio twice{mixdown.left, mixdown.right};
  twice.left.insert(twice.left.end(), mixdown.left.begin(), mixdown.left.end());
  twice.right.insert(twice.right.end(), mixdown.right.begin(), mixdown.right.end());
  reverb(twice, 0.45, 0.5, 0.18);
  mixdown.left.assign(twice.left.begin() + static_cast<std::ptrdiff_t>(total), twice.left.end());
  mixdown.right.assign(twice.right.begin() + static_cast<std::ptrdiff_t>(total), twice.right.end());
  return mixdown;
}

}  // namespace

Audio title_music() {
  const char* intro_chords = "G D7";
  const char* intro = "r:8 r:4 D4:1 E4:1 F#4:2";
  const char* a_chords = "G G C G D D D G";
  const char* a =
      "G4:2 B4:2 D5:2 B4:2  D5:3 E5:1 D5:2 B4:2  C5:2 E5:2 G5:2 E5:2  D5:4 B4:2 G4:2 "
      "A4:2 B4:2 C5:2 D5:2  E5:2 D5:2 C5:2 A4:2  F#4:2 A4:2 D5:2 C5:2  B4:4 G4:4";
  const char* a2_chords = "G C G D G C D G";
  const char* a2 =
      "B4:2 D5:2 G5:3 F#5:1  E5:2 G5:2 E5:2 C5:2  D5:2 B4:2 G4:2 B4:2  A4:6 r:2 "
      "G4:2 B4:2 D5:2 G5:2  E5:3 D5:1 C5:2 E5:2  D5:2 C5:2 B4:2 A4:2  G4:6 r:2";
  const char* b_chords = "C C G G Em C A7 D";
  const char* b =
      "E5:2 E5:1 F#5:1 G5:2 E5:2  C5:3 D5:1 E5:4  D5:2 D5:1 E5:1 D5:2 B4:2  G4:4 B4:2 D5:2 "
      "E5:2 G5:2 B5:2 G5:2  A5:2 G5:2 E5:2 C5:2  A4:2 C#5:2 E5:2 G5:2  F#5:2 E5:2 D5:2 A4:2";
  const char* tag_chords = "G D7";
  const char* tag = "G5:2 D5:2 B4:2 G4:2  A4:2 B4:2 C5:2 D5:2";
  const Piece piece{60.0 / 120 / 2, 8, false,
                    {{intro_chords, intro, Lead::pluck},
                     {a_chords, a, Lead::pluck},
                     {a2_chords, a2, Lead::both},
                     {b_chords, b, Lead::whistle},
                     {a2_chords, a2, Lead::both},
                     {tag_chords, tag, Lead::pluck}}};
  return perform(piece, seed_of("titlemusic"));
}

Audio highscore_music() {
  const char* intro_chords = "D G A A";
  const char* intro = "r:6 r:6 r:6 r:3 A4:1 B4:1 C#5:1";
  const char* a_chords = "D G D A D G A D";
  const char* a =
      "D5:2 F#5:1 A5:2 F#5:1  G5:2 B5:1 A5:2 G5:1  F#5:2 D5:1 A4:2 D5:1  E5:2 F#5:1 E5:2 C#5:1 "
      "D5:2 F#5:1 A5:2 F#5:1  B5:2 A5:1 G5:2 E5:1  F#5:2 E5:1 C#5:2 E5:1  D5:5 r:1";
  const char* b_chords = "Bm Bm G A D G A D";
  const char* b =
      "F#5:2 G5:1 F#5:2 E5:1  D5:2 B4:1 D5:2 F#5:1  G5:2 F#5:1 E5:2 D5:1  C#5:2 E5:1 A4:3 "
      "A5:2 F#5:1 D5:2 F#5:1  G5:2 E5:1 B4:2 E5:1  A4:2 C#5:1 E5:2 G5:1  F#5:3 D5:3";
  const char* tag_chords = "D G A D";
  const char* tag = "D5:2 A4:1 F#4:2 A4:1  G4:2 B4:1 D5:2 B4:1  A4:3 E5:3  D5:3 r:3";
  const Piece piece{60.0 / 84 / 3, 6, true,
                    {{intro_chords, intro, Lead::whistle},
                     {a_chords, a, Lead::whistle},
                     {b_chords, b, Lead::pluck},
                     {a_chords, a, Lead::both},
                     {b_chords, b, Lead::whistle},
                     {a_chords, a, Lead::both},
                     {tag_chords, tag, Lead::pluck}}};
  return perform(piece, seed_of("highscoremusic"));
}

}  // namespace sounds
