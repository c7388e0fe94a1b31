// SPDX-License-Identifier: GPL-3.0-or-later
// The generated sound effects and music: every file the game loads exists in a form its
// loaders read, is neither silent nor clipped, sits at the common level, and every loop
// closes without a jump. The files checked are those the build generated and packed; one fresh
// generation must give them again byte for byte. Every file is read with the game's own
// loaders: the WAV chunk scan, and the Ogg effect decoder that keeps every second frame.
#include <gtest/gtest.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "game/ogg/music.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"
#include "tests/test_support.h"
#include "tools/makedata/sounds/music.h"
#include "tools/makedata/sounds/sounds.h"

namespace fs = std::filesystem;

namespace {

struct SoundName {
  const char* base;
  bool stereo_loop;  // loaded with keep stereo and played looped
};

// The sound list in the game's load order.
constexpr SoundName kSounds[] = {
    {"game_over", false}, {"gun reload", false}, {"gunblast", false}, {"time_running", false},
    {"chicken close", false}, {"chicken mid", false}, {"chicken far", false}, {"ambientloop", true},
    {"empty magazine", false}, {"game_start", false}, {"chickenheartattack", false}, {"button1", false},
    {"megablastx", false}, {"open_megagun", false}, {"chick_appear", false}, {"chick_pan", false},
    {"hit1", false}, {"hit_wood1", false}, {"hit_wood2", false}, {"hit_wood3", false},
    {"hit_metal1", false}, {"hit_metal2", false}, {"hit_switch", false}, {"hit_snail", false},
    {"hit_pumpkin", false}, {"hit_glass", false}, {"hit_stone", false}, {"hit_jacknjoe", false},
    {"hit_ghost", false}, {"crash1", false}, {"fishing", false}, {"fishing2", false},
    {"howl", false}, {"water", false}, {"screen_knock", false}, {"paper", false},
    {"paper_flight", false}, {"chick_grill", false}, {"chick_ready", false}, {"oven_squeek", false},
    {"oven_doing", false}, {"snail_apple", false}, {"snail_chew", false}, {"box_open", false},
    {"box_lock_open", false}, {"box_lock_shot", false}, {"key", false}, {"tree_laugh", false},
    {"tree_laugh_short", false}, {"stone_crash", false}, {"card_shuffle", false}, {"trampolin", false},
    {"horn", false}, {"ghost", false}, {"beehive_stick", false}, {"sign_turn", false},
    {"hit_metal3", false}, {"bee_hit1", false}, {"bee_hit2", false}, {"bee_hit3", false},
    {"bee_loop", true}, {"chick_pan2", false}, {"chick_pan3", false}, {"hit_apple", false},
    {"hit_sheep", false}, {"level2_score", false}, {"sheephappy", false}, {"snail_move", false},
};
constexpr const char* kMusic[] = {"titlemusic.ogg", "highscoremusic.ogg"};

// PCM as the game's sound table holds it.
struct Pcm {
  int channels = 0;
  int rate = 0;
  std::vector<std::int16_t> samples;  // interleaved
  std::size_t frames() const { return channels ? samples.size() / static_cast<std::size_t>(channels) : 0; }
  double seconds() const { return rate ? static_cast<double>(frames()) / rate : 0.0; }
};

std::vector<unsigned char> read_file(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

// The WAV loader's view of a file: where the scan found the samples, and what they hold.
::testing::AssertionResult decode_wav(const std::vector<unsigned char>& b, Pcm& pcm,
                                      sound::WavLayout& layout) {
  const sound::WavScan scan =
      sound::scan_wav(b.data(), static_cast<std::uint32_t>(b.size()), layout);
  if (scan != sound::WavScan::ok)
    return ::testing::AssertionFailure() << "the chunk scan fails: " << static_cast<int>(scan);
  if (layout.format.bits_per_sample != 16)
    return ::testing::AssertionFailure() << "bits per sample " << layout.format.bits_per_sample;
  pcm.channels = layout.format.channels;
  pcm.rate = static_cast<int>(layout.format.samples_per_sec);
  pcm.samples.resize(layout.sample_length / 2);
  std::memcpy(pcm.samples.data(), b.data() + layout.samples_at, pcm.samples.size() * 2);
  return ::testing::AssertionSuccess();
}

// Decodes the whole stream at the file's own rate and channels, through the game's in-memory
// decoder (no seeking, the image's end is the stream's end).
::testing::AssertionResult decode_ogg(const std::vector<unsigned char>& bytes, Pcm& pcm) {
  sound::OggSource source{bytes.data(), static_cast<std::uint32_t>(bytes.size()), 0};
  OggVorbis_File vf;
  if (!sound::open_ogg_memory(vf, source))
    return ::testing::AssertionFailure() << "not an Ogg Vorbis stream";
  const vorbis_info* vi = ov_info(&vf, -1);
  pcm.channels = vi->channels;
  pcm.rate = static_cast<int>(vi->rate);
  std::vector<char> all;
  char buf[4096];
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
    if (n == 0) break;
    if (n < 0) {
      ov_clear(&vf);
      return ::testing::AssertionFailure() << "decode error " << n;
    }
    all.insert(all.end(), buf, buf + n);
  }
  ov_clear(&vf);
  pcm.samples.resize(all.size() / 2);
  std::memcpy(pcm.samples.data(), all.data(), pcm.samples.size() * 2);
  return ::testing::AssertionSuccess();
}

// An Ogg effect as the game's sound table holds it: half the file's rate, stereo only when
// loaded with keep stereo.
::testing::AssertionResult decode_ogg_effect(const std::vector<unsigned char>& bytes,
                                             const char* name, bool keep_stereo, Pcm& pcm) {
  plat::WaveFormat format{};
  std::uint32_t length = 0;
  unsigned char* samples = sound::decode_ogg_image(
      bytes.data(), static_cast<std::uint32_t>(bytes.size()), name, keep_stereo, format, length);
  if (!samples) return ::testing::AssertionFailure() << "the effect decoder refuses it";
  pcm.channels = format.channels;
  pcm.rate = static_cast<int>(format.samples_per_sec);
  pcm.samples.resize(length / 2);
  std::memcpy(pcm.samples.data(), samples, pcm.samples.size() * 2);
  XFREE(samples);
  return ::testing::AssertionSuccess();
}

std::vector<double> channel(const Pcm& pcm, int c) {
  std::vector<double> out(pcm.frames());
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = pcm.samples[i * static_cast<std::size_t>(pcm.channels) + static_cast<std::size_t>(c)] / 32768.0;
  return out;
}

int peak(const Pcm& pcm) {
  int p = 0;
  for (std::int16_t s : pcm.samples) p = std::max(p, std::abs(static_cast<int>(s)));
  return p;
}

// Loudness: the loudest 200 ms window of the signal's mean power (DC removed), in dB.
double loudness_db(const Pcm& pcm) {
  const std::size_t win = static_cast<std::size_t>(pcm.rate / 5), hop = static_cast<std::size_t>(pcm.rate / 100);
  std::vector<double> power(pcm.frames(), 0.0);
  for (int c = 0; c < pcm.channels; ++c) {
    const std::vector<double> x = channel(pcm, c);
    double prev_x = 0, y = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
      y = x[i] - prev_x + 0.995 * y;  // DC blocker
      prev_x = x[i];
      power[i] += y * y / pcm.channels;
    }
  }
  double best = 0;
  for (std::size_t s = 0;; s += hop) {
    const std::size_t e = std::min(power.size(), s + win);
    double sum = 0;
    for (std::size_t i = s; i < e; ++i) sum += power[i];
    best = std::max(best, sum / static_cast<double>(win));
    if (e == power.size()) break;
  }
  return 10 * std::log10(std::max(best, 1e-12));
}

double mean_power(const std::vector<double>& x, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count; ++i) sum += x[i] * x[i];
  return sum / static_cast<double>(count) + 1e-12;
}

// A loop closes cleanly when the step from its last frame to its first is no larger than
// the steps inside it, and it neither fades out nor starts from silence at the loop point.
// A steady texture (ambience, swarm) must also have the same level on both sides of it;
// music may put its downbeat there.
void expect_seamless(const Pcm& pcm, const std::string& what, bool steady) {
  SCOPED_TRACE(what);
  const std::size_t n = pcm.frames();
  ASSERT_GT(n, static_cast<std::size_t>(pcm.rate));
  const std::size_t edge = static_cast<std::size_t>(pcm.rate / 50);  // 20 ms
  const std::size_t window = static_cast<std::size_t>(pcm.rate / 5);  // 200 ms
  for (int c = 0; c < pcm.channels; ++c) {
    const std::vector<double> x = channel(pcm, c);
    std::vector<double> steps(n - 1);
    for (std::size_t i = 1; i < n; ++i) steps[i - 1] = std::fabs(x[i] - x[i - 1]);
    // The 99.9th percentile: only that one place needs its sorted value.
    const auto typical_at = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() * 999 / 1000);
    std::nth_element(steps.begin(), typical_at, steps.end());
    const double typical = *typical_at;
    const double seam = std::fabs(x.front() - x.back());
    EXPECT_LE(seam, 1.5 * typical + 2.0 / 32768) << "channel " << c << " jumps at the loop point";
    // A click at the seam, even one smoothed by filtering, shows as more high-frequency
    // energy (second differences) around the loop point than anywhere inside the loop.
    const long w = pcm.rate / 100;
    auto at = [&](long i) { return x[static_cast<std::size_t>((i % static_cast<long>(n) + static_cast<long>(n)) % static_cast<long>(n))]; };
    auto roughness = [&](long start) {
      double e = 0;
      for (long i = start; i < start + w; ++i) {
        const double d = at(i) - 2 * at(i - 1) + at(i - 2);
        e += d * d;
      }
      return e;
    };
    double roughest_inside = 0;
    for (long start = w; start + 2 * w < static_cast<long>(n); start += w / 2)
      roughest_inside = std::max(roughest_inside, roughness(start));
    EXPECT_LE(roughness(-w / 2), roughest_inside) << "channel " << c << " clicks at the loop point";
    const double whole_db = 10 * std::log10(mean_power(x, 0, n));
    const double head_db = 10 * std::log10(mean_power(x, 0, window));
    const double tail_db = 10 * std::log10(mean_power(x, n - window, window));
    // Music breathes between its beats, a texture hardly at all; a fade or a gap falls far lower.
    const double dip_db = steady ? 15 : 25;
    EXPECT_GT(head_db, whole_db - dip_db) << "channel " << c << " starts from near silence";
    EXPECT_GT(tail_db, whole_db - dip_db) << "channel " << c << " fades out before the loop point";
    if (steady) {
      const double ratio_db = 10 * std::log10(mean_power(x, 0, edge) / mean_power(x, n - edge, edge));
      EXPECT_LT(std::fabs(ratio_db), 6.0) << "channel " << c << " level changes at the loop point";
    }
  }
}

// The sounds as the build generated them, into the tree every edition's archive is packed from.
class GeneratedSounds : public ::testing::Test {
 protected:
  void SetUp() override {
    res::debug_log_set_path("/dev/null");  // a refused file's log line goes nowhere
    ASSERT_TRUE(fs::is_directory(sfx_dir())) << "the build generates " << sfx_dir();
  }

  static fs::path root() { return fs::path(GRUMBOLDX_DATA_DIR) / "tree" / "common"; }
  static fs::path sfx_dir() { return root() / "data" / "sfx"; }
  static fs::path sfx(const std::string& file) { return sfx_dir() / file; }

  // Loads a base name the way the game does: the WAV wins, else the Ogg at half rate.
  static ::testing::AssertionResult load(const SoundName& s, Pcm& pcm) {
    const fs::path wav = sfx(std::string(s.base) + ".wav"), ogg = sfx(std::string(s.base) + ".ogg");
    if (fs::exists(wav)) {
      sound::WavLayout layout;
      return decode_wav(read_file(wav), pcm, layout);
    }
    return decode_ogg_effect(read_file(ogg), s.base, s.stereo_loop, pcm);
  }
};

TEST_F(GeneratedSounds, EveryNameHasOneFileAndNothingElseIsWritten) {
  std::map<std::string, int> files;
  for (const auto& entry : fs::directory_iterator(sfx_dir())) files[entry.path().filename().string()] = 0;
  int wavs = 0, oggs = 0;
  for (const SoundName& s : kSounds) {
    SCOPED_TRACE(s.base);
    const bool wav = files.count(std::string(s.base) + ".wav") > 0;
    const bool ogg = files.count(std::string(s.base) + ".ogg") > 0;
    EXPECT_TRUE(wav != ogg) << "exactly one of .wav and .ogg";
    files.erase(std::string(s.base) + ".wav");
    files.erase(std::string(s.base) + ".ogg");
    wavs += wav;
    oggs += ogg;
  }
  for (const char* m : kMusic) EXPECT_EQ(files.erase(m), 1u) << m;
  EXPECT_TRUE(files.empty()) << "unexpected file " << (files.empty() ? "" : files.begin()->first);
  EXPECT_GT(wavs, 10) << "both loaders must carry real data";
  EXPECT_GT(oggs, 10);
  // Loops are loaded with keep stereo, which only an Ogg file honours.
  for (const SoundName& s : kSounds)
    if (s.stereo_loop) {
      EXPECT_TRUE(fs::exists(sfx(std::string(s.base) + ".ogg"))) << s.base;
    }
}

TEST_F(GeneratedSounds, WavFilesUseTheStandardLayoutTheChunkScanFinds) {
  for (const SoundName& s : kSounds) {
    const fs::path p = sfx(std::string(s.base) + ".wav");
    if (!fs::exists(p)) continue;
    SCOPED_TRACE(s.base);
    const std::vector<unsigned char> bytes = read_file(p);
    Pcm pcm;
    sound::WavLayout layout;
    ASSERT_TRUE(decode_wav(bytes, pcm, layout));
    EXPECT_EQ(layout.samples_at, 44u);
    EXPECT_EQ(layout.format.format_tag, 1u);
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(layout.format.block_align, 2u);
    EXPECT_EQ(pcm.rate, 22050);
    EXPECT_EQ(bytes.size(), 44 + layout.sample_length) << "data chunk length matches the file";
  }
}

TEST_F(GeneratedSounds, OggEffectsAreAuthoredForHalfRatePlayback) {
  for (const SoundName& s : kSounds) {
    const fs::path p = sfx(std::string(s.base) + ".ogg");
    if (!fs::exists(p)) continue;
    SCOPED_TRACE(s.base);
    Pcm pcm;
    ASSERT_TRUE(decode_ogg(read_file(p), pcm));
    EXPECT_EQ(pcm.rate, 44100) << "played at half the file's rate";
    EXPECT_EQ(pcm.channels, s.stereo_loop ? 2 : 1);
    if (s.stereo_loop) {
      EXPECT_EQ(pcm.frames() % 2, 0u) << "an odd loop loses a frame at half rate";
    }
  }
}

TEST_F(GeneratedSounds, EffectsAreAudibleUnclippedAndEquallyLoud) {
  for (const SoundName& s : kSounds) {
    SCOPED_TRACE(s.base);
    Pcm pcm;
    ASSERT_TRUE(load(s, pcm));
    const double seconds = pcm.seconds();
    if (s.stereo_loop) {
      EXPECT_GE(seconds, 2.0);
      EXPECT_LE(seconds, 30.0);
    } else {
      EXPECT_GE(seconds, 0.08);
      EXPECT_LE(seconds, 4.0);
    }
    const int p = peak(pcm);
    EXPECT_LT(p, 32700) << "clipped";
    EXPECT_GT(p, 6000) << "nearly silent";
    const double loud = loudness_db(pcm);
    const double low = s.stereo_loop ? -32 : -21, high = s.stereo_loop ? -14 : -11;
    EXPECT_GE(loud, low) << "quieter than the common effect level";
    EXPECT_LE(loud, high) << "louder than the common effect level";
  }
}

TEST_F(GeneratedSounds, LoopsCloseWithoutAJump) {
  for (const SoundName& s : kSounds) {
    if (!s.stereo_loop) continue;
    Pcm pcm;
    ASSERT_TRUE(load(s, pcm));
    EXPECT_EQ(pcm.channels, 2) << s.base;
    expect_seamless(pcm, s.base, true);
  }
}

TEST_F(GeneratedSounds, MusicIsStereoLoopsOfAMinuteOrMoreBelowTheEffects) {
  std::vector<double> effect_levels;
  for (const SoundName& s : kSounds) {
    Pcm pcm;
    if (!s.stereo_loop && load(s, pcm)) effect_levels.push_back(loudness_db(pcm));
  }
  std::sort(effect_levels.begin(), effect_levels.end());
  const double median = effect_levels[effect_levels.size() / 2];
  std::vector<std::vector<std::int16_t>> pieces;
  for (const char* m : kMusic) {
    SCOPED_TRACE(m);
    Pcm pcm;
    ASSERT_TRUE(decode_ogg(read_file(sfx(m)), pcm));
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.seconds(), 60.0);
    EXPECT_LE(pcm.seconds(), 90.0);
    EXPECT_LT(peak(pcm), 32700) << "clipped";
    const double loud = loudness_db(pcm);
    EXPECT_LT(loud, median - 1.0) << "music must sit below the effects";
    EXPECT_GT(loud, median - 10.0) << "music too quiet";
    expect_seamless(pcm, m, false);
    pieces.push_back(pcm.samples);
  }
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_NE(pieces[0], pieces[1]) << "the two pieces must differ";
}

// The checks above hold for what this code generates, and generating is deterministic: a fresh
// generation writes the build's files again, the same names with the same bytes.
TEST_F(GeneratedSounds, AFreshGenerationWritesTheBuildsFilesAgain) {
  const test_support::ScratchDir again;
  std::string error;
  ASSERT_TRUE(sounds::make_sounds(again.path(), error)) << error;
  std::map<std::string, fs::path> fresh;
  for (const auto& entry : fs::directory_iterator(again / "data"))
    EXPECT_EQ(entry.path().filename().string(), "sfx") << "written beside the sounds";
  for (const auto& entry : fs::directory_iterator(again / "data" / "sfx")) fresh[entry.path().filename().string()] = entry.path();
  for (const auto& entry : fs::directory_iterator(sfx_dir())) {
    const std::string name = entry.path().filename().string();
    SCOPED_TRACE(name);
    const auto made = fresh.find(name);
    if (made == fresh.end()) {
      ADD_FAILURE() << "not generated again";
      continue;
    }
    EXPECT_TRUE(read_file(entry.path()) == read_file(made->second)) << "different bytes";
    fresh.erase(made);
  }
  for (const auto& [name, path] : fresh) ADD_FAILURE() << name << " is new in a fresh generation";
}

// The archives the build packs: every edition stores every sound under the name the game
// asks for, in a form its loaders read.
class PackedSounds : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { res::debug_log_set_path("/dev/null"); }
};

std::vector<unsigned char> read_stored(const std::string& name) {
  const int length = res::xflen(name.c_str());
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max(length, 0)));
  std::FILE* f = res::xfopen(name.c_str(), "rb");
  if (!f) return {};
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  res::xfclose(f);
  bytes.resize(got);
  return bytes;
}

TEST_P(PackedSounds, EverySoundIsStoredAndDecodes) {
  const fs::path archive = fs::path(GRUMBOLDX_DATA_DIR) / GetParam() / "grumboldX.dat";
  ASSERT_TRUE(fs::exists(archive)) << "the build packs " << archive;
  res::use_data_archive = true;
  ASSERT_EQ(res::xfinit(archive.string().c_str()), 1);
  struct Close {
    ~Close() { res::xfdone(); }
  } close;
  for (const SoundName& s : kSounds) {
    SCOPED_TRACE(s.base);
    const std::string base = std::string("data\\sfx\\") + s.base;
    const bool wav = res::xfexist(base.c_str(), ".wav") != 0;
    const bool ogg = res::xfexist(base.c_str(), ".ogg") != 0;
    ASSERT_TRUE(wav || ogg) << "not stored";
    const std::vector<unsigned char> bytes = read_stored(base + (wav ? ".wav" : ".ogg"));
    Pcm pcm;
    if (wav) {
      sound::WavLayout layout;
      ASSERT_TRUE(decode_wav(bytes, pcm, layout));
    } else {
      ASSERT_TRUE(decode_ogg_effect(bytes, s.base, s.stereo_loop, pcm));
    }
    EXPECT_GT(pcm.seconds(), 0.05);
    EXPECT_GT(peak(pcm), 6000);
  }
  for (const char* m : kMusic) {
    SCOPED_TRACE(m);
    Pcm pcm;
    ASSERT_TRUE(decode_ogg(read_stored(std::string("data\\sfx\\") + m), pcm));
    EXPECT_EQ(pcm.rate, 44100);
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_GE(pcm.seconds(), 60.0);
  }
}

INSTANTIATE_TEST_SUITE_P(Editions, PackedSounds, ::testing::Values("XS", "XL", "XXL"));

TEST(MakeSounds, ReportsAnUnwritableRoot) {
  const test_support::ScratchDir dir;
  const fs::path blocker = dir / "blocker";
  std::ofstream(blocker) << "a file where a folder should be";
  std::string error;
  EXPECT_FALSE(sounds::make_sounds(blocker / "tree", error));
  EXPECT_NE(error.find("cannot"), std::string::npos) << error;
}

TEST(MelodyNotation, ParsesNotesAndRejectsMalformedTokens) {
  struct Case {
    const char* text;
    bool ok;
    std::vector<std::pair<int, int>> notes;  // midi, eighths
  };
  const Case cases[] = {
      {"A4:2", true, {{69, 2}}},
      {"C4:1 C#4:1 Db4:3 r:2", true, {{60, 1}, {61, 1}, {61, 3}, {-1, 2}}},
      {"B5:8", true, {{83, 8}}},
      {"", true, {}},
      {"H4:2", false, {}},
      {"A4", false, {}},
      {"A4:0", false, {}},
      {"A4:2x", false, {}},
      {"A:2", false, {}},
      {"A44:2", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<sounds::MelodyNote> out;
    EXPECT_EQ(sounds::parse_melody(c.text, out), c.ok);
    if (!c.ok) continue;
    ASSERT_EQ(out.size(), c.notes.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
      EXPECT_EQ(out[i].midi, c.notes[i].first);
      EXPECT_EQ(out[i].eighths, c.notes[i].second);
    }
  }
}

}  // namespace
