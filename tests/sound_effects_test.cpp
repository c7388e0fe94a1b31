// SPDX-License-Identifier: GPL-3.0-or-later
// Sound effects: the WAV chunk scan, the choice between WAV, Ogg and MP3 files, Ogg effects at
// half rate, bad files refused, and playing by number on the headless sound device (restart,
// volume, no device, a lost buffer).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "game/ogg/music.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"
#include "tests/sound_fixture.h"

using namespace sound_fixture;
using test_support::ArchiveEntry;

namespace {

std::vector<std::int16_t> ramp(int n) {
  std::vector<std::int16_t> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<std::int16_t>(i * 37 - 9000));
  return v;
}

std::string with_word(std::string s, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
  return s;
}

// The standard layout with 100 samples: "WAVE" at 8, "fmt " at 12, "data" at 36, samples at 44.
const std::string standard = wav_file(ramp(100), 1, 22050);

TEST(WavScan, FindsChunksOnlyOnTheFourByteGrid) {
  struct Case {
    const char* name;
    std::string file;
    sound::WavScan result;
    std::uint32_t samples_at, sample_length;
  } cases[] = {
      {"standard layout", standard, sound::WavScan::ok, 44, 200},
      {"another chunk between fmt and data",
       standard.substr(0, 36) + "LIST" + std::string("\x04\0\0\0abcd", 8) + standard.substr(36),
       sound::WavScan::ok, 56, 200},
      {"a fmt body of 20 bytes with an extra size",
       with_word(standard.substr(0, 36), 16, 20) + std::string("\x07\0\0\0", 4) + standard.substr(36),
       sound::WavScan::ok, 48, 200},
      {"a fmt body of 18 bytes with an extra size: the data scan starts at its end",
       with_word(standard.substr(0, 36), 16, 18) + std::string("\x07\0", 2) + standard.substr(36),
       sound::WavScan::ok, 46, 200},
      {"\"fmt \" two bytes off the grid",
       standard.substr(0, 12) + "xx" + standard.substr(12), sound::WavScan::no_fmt, 0, 0},
      {"\"WAVE\" off the grid", "RIFF" + std::string(5, '\0') + "WAVE" + standard.substr(12),
       sound::WavScan::no_wave, 0, 0},
      {"\"data\" off the grid", standard.substr(0, 36) + "xx" + standard.substr(36),
       sound::WavScan::no_data, 0, 0},
      {"no WAVE at all", std::string("RIFF\x24\0\0\0AVI fmt ", 16) + standard.substr(16),
       sound::WavScan::no_wave, 0, 0},
      {"no data chunk", standard.substr(0, 36), sound::WavScan::no_data, 0, 0},
      {"data of size 0", with_word(standard, 40, 0), sound::WavScan::empty, 0, 0},
      {"data longer than the file", with_word(standard, 40, 100000), sound::WavScan::ok, 44, 200},
      {"data tag with its size word cut off", standard.substr(0, 40), sound::WavScan::no_data, 0, 0},
      {"the file ends inside the fmt body", standard.substr(0, 30), sound::WavScan::no_fmt, 0, 0},
      {"a fmt size that jumps past the end", with_word(standard, 16, 0xFFFFFFF0u),
       sound::WavScan::no_data, 0, 0},
      {"an empty image", "", sound::WavScan::no_wave, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Exactly the file's bytes on the heap, so reading past them is seen by the sanitizer.
    std::vector<unsigned char> image(c.file.begin(), c.file.end());
    sound::WavLayout layout;
    const unsigned char* data = image.empty() ? nullptr : image.data();
    ASSERT_EQ(sound::scan_wav(data, static_cast<std::uint32_t>(image.size()), layout), c.result);
    if (c.result != sound::WavScan::ok) continue;
    EXPECT_EQ(layout.samples_at, c.samples_at);
    EXPECT_EQ(layout.sample_length, c.sample_length);
    EXPECT_LE(layout.samples_at + layout.sample_length, image.size());
    EXPECT_EQ(layout.format.format_tag, 1);
    EXPECT_EQ(layout.format.channels, 1);
    EXPECT_EQ(layout.format.samples_per_sec, 22050u);
    EXPECT_EQ(layout.format.block_align, 2);
    EXPECT_EQ(layout.format.bits_per_sample, 16);
    EXPECT_EQ(layout.format.extra_size, std::string(c.name).find("extra size") != std::string::npos ? 7 : 0);
  }
}

class OggHalving : public testing::Test {
 protected:
  void SetUp() override { res::debug_log_set_path((here.path() / "debug.txt").c_str()); }
  void TearDown() override { res::debug_log_set_path("debug.txt"); }
  test_support::ScratchDir here;
};

TEST_F(OggHalving, EffectsKeepEverySecondFrameAtHalfTheRate) {
  struct Case {
    const char* name;
    int channels, rate;
    bool keep_stereo;
    int out_channels;
  } cases[] = {
      {"mono 44100", 1, 44100, false, 1},
      {"mono 44100 asking for stereo", 1, 44100, true, 1},
      {"stereo without keep stereo: the left channel", 2, 44100, false, 1},
      {"stereo with keep stereo", 2, 44100, true, 2},
      {"mono 22050", 1, 22050, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = ogg_tone(0.3, c.channels, c.rate);
    const Decoded full = decode_reference(file);
    ASSERT_EQ(full.channels, c.channels);
    plat::WaveFormat format{};
    std::uint32_t length = 0;
    auto* out = reinterpret_cast<std::int16_t*>(sound::decode_ogg_image(
        reinterpret_cast<const unsigned char*>(file.data()), static_cast<std::uint32_t>(file.size()),
        "fixture.ogg", c.keep_stereo, format, length));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(format.format_tag, 1);
    EXPECT_EQ(format.channels, c.out_channels);
    EXPECT_EQ(format.samples_per_sec, static_cast<std::uint32_t>(c.rate / 2));
    EXPECT_EQ(format.block_align, 2 * c.out_channels);
    EXPECT_EQ(format.avg_bytes_per_sec, format.samples_per_sec * format.block_align);
    EXPECT_EQ(format.bits_per_sample, 16);
    const std::size_t frames = full.samples.size() / static_cast<std::size_t>(c.channels);
    ASSERT_EQ(length, frames / 2 * format.block_align) << "half the frames";
    for (std::size_t i = 0; i < frames / 2; ++i) {
      const std::size_t from = 2 * i * static_cast<std::size_t>(c.channels);
      if (c.out_channels == 1) {
        ASSERT_EQ(out[i], full.samples[from]) << "frame " << i;
      } else {
        ASSERT_EQ(out[2 * i], full.samples[from]) << "frame " << i;
        ASSERT_EQ(out[2 * i + 1], full.samples[from + 1]) << "frame " << i;
      }
    }
    XFREE(out);
  }
}

TEST_F(OggHalving, FilesThatAreNoEffectAreRefusedWithALogLine) {
  const std::string good = ogg_tone(0.2, 1, 44100);
  struct Case {
    const char* name;
    std::string file;
    const char* line;
  } cases[] = {
      {"not Ogg at all", standard, "<bad.ogg> does not appear to be an Ogg bitstream."},
      {"only the first page", good.substr(0, 58), "<bad.ogg> does not appear to be an Ogg bitstream."},
      {"empty", "", "<bad.ogg> does not appear to be an Ogg bitstream."},
      {"three channels", ogg_tone(0.2, 3, 44100), "<bad.ogg> has 3 channels, an effect needs 1 or 2."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    res::debug_log_reset();
    std::vector<unsigned char> image(c.file.begin(), c.file.end());
    plat::WaveFormat format{};
    std::uint32_t length = 99;
    EXPECT_EQ(sound::decode_ogg_image(image.data(), static_cast<std::uint32_t>(image.size()),
                                      "bad.ogg", false, format, length),
              nullptr);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(test_support::read_file(here.path() / "debug.txt"), std::string(c.line) + "\n");
  }
  // A stream cut short in the middle of a page gives what the pages before the cut hold.
  const std::string noisy = ogg_file(noisy_tone(88200, 1, 44100), 1, 44100);
  const std::string cut = noisy.substr(0, noisy.size() * 3 / 4);
  const Decoded reference = decode_reference(cut);
  ASSERT_GT(reference.samples.size(), 0u);
  ASSERT_LT(reference.samples.size(), 88200u);
  std::vector<unsigned char> image(cut.begin(), cut.end());
  res::debug_log_reset();
  plat::WaveFormat format{};
  std::uint32_t length = 0;
  auto* samples = reinterpret_cast<std::int16_t*>(sound::decode_ogg_image(
      image.data(), static_cast<std::uint32_t>(image.size()), "cut.ogg", false, format, length));
  ASSERT_NE(samples, nullptr);
  ASSERT_EQ(length, reference.samples.size() / 2 * 2);
  for (std::size_t i = 0; i < length / 2; ++i) ASSERT_EQ(samples[i], reference.samples[2 * i]) << i;
  XFREE(samples);
}

class Effects : public SoundTest {};

TEST_F(Effects, TheFileIsChosenByWhatTheArchiveHolds) {
  const std::string ogg = ogg_tone(0.2, 1, 44100);
  use_files({
      {"s\\both.wav", wav_file(ramp(300), 1, 11025)},
      {"s\\both.ogg", ogg},
      {"s\\oggonly.ogg", ogg},
      {"s\\old.mp3", "ID3 an mp3"},
      {"s\\nowave.wav", std::string("RIFF\x10\0\0\0AVI data", 16)},
      {"s\\nodata.wav", standard.substr(0, 36)},
      {"s\\silent.wav", with_word(standard, 40, 0)},
      {"s\\noogg.ogg", standard},
  });
  struct Case {
    const char* base;
    std::vector<std::string> lines;
    std::uint32_t rate;  // 0: the number stays empty
  } cases[] = {
      {"s\\both", {"load sound effect: \"s\\both.wav\""}, 11025},
      {"s\\oggonly", {"load sound effect: \"s\\oggonly.ogg\""}, 22050},
      {"s\\old", {"mp3s are not supported anymore!"}, 0},
      {"s\\missing", {"load sound: file s\\missing not found"}, 0},
      {"s\\nowave", {"load sound effect: \"s\\nowave.wav\"", "could not find WAVE chunk"}, 0},
      {"s\\nodata", {"load sound effect: \"s\\nodata.wav\"", "could not find data chunk"}, 0},
      {"s\\silent", {"load sound effect: \"s\\silent.wav\""}, 0},
      {"s\\noogg",
       {"load sound effect: \"s\\noogg.ogg\"", "<s\\noogg.ogg> does not appear to be an Ogg bitstream."},
       0},
  };
  int number = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    res::debug_log_reset();
    sound::load_sound(++number, c.base, 0, false);
    EXPECT_EQ(log_lines(), c.lines);
    const sound::SoundEntry& e = sound::sound_table[number];
    EXPECT_EQ(e.samples != nullptr, c.rate != 0);
    if (c.rate) {
      EXPECT_EQ(e.format.samples_per_sec, c.rate);
    }
  }
}

TEST_F(Effects, TheGamesListFillsEveryNumberWithAFileAndNoOther) {
  std::filesystem::copy_file(test_support::data_dir() / "XL" / "grumboldX.dat", here.path() / "grumboldX.dat");
  ASSERT_EQ(res::xfinit("grumboldX.dat"), 1);
  sound::load_sounds();
  std::set<int> empty = {0, 2, 3, 51, 70, 98};
  for (int n : {8, 9, 10, 11, 13, 14}) empty.insert(n);
  for (int n = 17; n <= 22; ++n) empty.insert(n);
  for (int n = 25; n <= 39; ++n) empty.insert(n);
  for (int n = 41; n <= 49; ++n) empty.insert(n);
  for (int n = 110; n <= 119; ++n) empty.insert(n);
  for (int n = 0; n < sound::sound_slots; ++n) {
    SCOPED_TRACE(n);
    const sound::SoundEntry& e = sound::sound_table[n];
    EXPECT_EQ(e.samples == nullptr, empty.count(n) == 1);
    if (!e.samples) continue;
    EXPECT_EQ(e.buffer_flags, n == sound::sound_bee_loop ? plat::DSBCAPS_CTRLVOLUME : 0u);
    EXPECT_EQ(e.format.channels, n == 1 || n == 102 ? 2 : 1) << "only the two loops keep stereo";
  }
  const std::vector<std::string> lines = log_lines();
  const auto first = std::find(lines.begin(), lines.end(), "load sounds");
  ASSERT_NE(first, lines.end());
  EXPECT_EQ(*(first + 1), "load sound effect: \"data\\sfx\\game_over.ogg\"");
  EXPECT_EQ(lines.back(), "load sound effect: \"data\\sfx\\snail_move.wav\"");
}

// Two effects and the bee loop, on a device with the window's focus.
class Playing : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    use_files({
        {"a.wav", wav_file(ramp(22050), 1, 22050)},  // one second
        {"loop.ogg", ogg_tone(0.5, 2, 44100)},
    });
    sound::load_sound(50, "a", 0, false);
    sound::load_sound(102, "loop", sound::volume_control, true);
    sound::init_sound();
    ASSERT_TRUE(sound::sound_available);
    ASSERT_NE(sound::sound_buffers[50], nullptr);
    ASSERT_NE(sound::sound_buffers[102], nullptr);
  }
  static std::uint32_t position(int n) {
    std::uint32_t play = 0;
    plat::sound_buffer_get_position(sound::sound_buffers[n], &play, nullptr);
    return play;
  }
  static void let_pass(std::uint32_t ms) { plat::wait_frame_end(plat::time_ms(), ms); }
};

TEST_F(Playing, PlayingAgainRestartsTheOneBufferOfTheNumber) {
  plat::SoundBuffer* buffer = sound::sound_buffers[50];
  sound::play_sound(50);
  EXPECT_TRUE(sound::sound_is_playing(50));
  let_pass(300);
  EXPECT_EQ(position(50), 2u * 6615) << "300 ms at 22050 frames a second";
  sound::play_sound(50);
  EXPECT_EQ(position(50), 0u) << "cut off and started again";
  EXPECT_EQ(sound::sound_buffers[50], buffer);
  let_pass(1500);
  EXPECT_FALSE(sound::sound_is_playing(50)) << "played once, to its end";
  sound::play_sound_looped(102);
  let_pass(1500);
  EXPECT_TRUE(sound::sound_is_playing(102)) << "a loop goes on past its end";
  sound::stop_sound(102);
  EXPECT_FALSE(sound::sound_is_playing(102));
  EXPECT_EQ(position(102), 0u);
  sound::stop_sound(102);  // stopping a stopped sound is harmless
  EXPECT_EQ(count_lines_with("DirectSound"), 0);
}

TEST_F(Playing, NumbersWithoutASoundDoNothingAndSayNothing) {
  res::debug_log_reset();
  for (int n : {0, 2, 119, -1, 120, 100000}) {
    SCOPED_TRACE(n);
    sound::play_sound(n);
    sound::play_sound_looped(n);
    sound::stop_sound(n);
    EXPECT_FALSE(sound::sound_is_playing(n));
    sound::set_sound_volume(n, 5000);
  }
  EXPECT_TRUE(log_lines().empty());
}

TEST_F(Playing, TheVolumeScaleMapsOntoHundredthsOfADecibel) {
  struct Case {
    int volume;
    std::int32_t buffer_volume;
  } cases[] = {{10000, 0}, {0, -10000}, {9999, -1}, {5000, -5000}};
  for (const Case& c : cases) {
    sound::set_sound_volume(sound::sound_bee_loop, c.volume);
    std::int32_t v = 1;
    ASSERT_EQ(plat::sound_buffer_get_volume(sound::sound_buffers[102], &v), plat::DS_OK);
    EXPECT_EQ(v, c.buffer_volume) << c.volume;
  }
  // A buffer without volume control only reports the refusal.
  res::debug_log_reset();
  sound::set_sound_volume(50, 5000);
  ASSERT_EQ(log_lines().size(), 1u);
  EXPECT_NE(log_lines()[0].find("DirectSound Error (8878001e)"), std::string::npos);
  EXPECT_NE(log_lines()[0].find("\"DSERR_CONTROLUNAVAIL\""), std::string::npos);
}

TEST_F(Playing, ALostBufferRebuildsEverythingAndIsNotPlaying) {
  sound::play_sound_looped(102);
  plat::SoundBuffer* old_stream = sound::streaming_buffer;
  ASSERT_NE(old_stream, nullptr);
  plat::sound_device_lose_buffers();
  res::debug_log_reset();
  EXPECT_FALSE(sound::sound_is_playing(102)) << "false right after the restore";
  EXPECT_EQ(log_lines(), std::vector<std::string>{"create streaming buffer"});
  std::uint32_t status = 99;
  ASSERT_EQ(plat::sound_buffer_get_status(sound::sound_buffers[102], &status), plat::DS_OK);
  EXPECT_EQ(status, 0u) << "a fresh buffer, stopped";
  ASSERT_EQ(plat::sound_buffer_get_status(sound::streaming_buffer, &status), plat::DS_OK);
  EXPECT_EQ(status, plat::DSBSTATUS_PLAYING | plat::DSBSTATUS_LOOPING) << "the new streaming buffer plays silence";
  // A play that finds its buffer lost restores first and then plays.
  plat::sound_device_lose_buffers();
  sound::play_sound(50);
  EXPECT_TRUE(sound::sound_is_playing(50));
}

struct DeviceFault {
  const char* fault;
  const char* name;  // of the result code reported
  friend void PrintTo(const DeviceFault& f, std::ostream* out) { *out << f.fault; }
};

class NoDevice : public SoundTest, public testing::WithParamInterface<DeviceFault> {
 protected:
  const char* faults() const override { return GetParam().fault; }
};

TEST_P(NoDevice, TheGameRunsSilentAfterOneReport) {
  use_files({{"a.wav", wav_file(ramp(2000), 1, 22050)}, {"m.ogg", ogg_tone(0.5, 2, 44100)}});
  sound::load_sound(50, "a", 0, false);
  res::debug_log_reset();
  sound::init_sound();
  EXPECT_FALSE(sound::sound_available);
  const std::vector<std::string> lines = log_lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("DirectSound Error (", 0), 0u);
  EXPECT_NE(lines[0].find(GetParam().name), std::string::npos) << lines[0];
  // From here on every call is silent, in both senses.
  res::debug_log_reset();
  sound::play_sound(50);
  sound::play_sound_looped(50);
  EXPECT_FALSE(sound::sound_is_playing(50));
  sound::stop_sound(50);
  sound::set_sound_volume(50, 1);
  sound::start_music("m.ogg");
  EXPECT_FALSE(sound::music_requested());
  sound::toggle_music();
  sound::toggle_music();
  sound::fade_music_step();
  sound::terminate_sound(false);
  EXPECT_TRUE(log_lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Faults, NoDevice,
                         testing::Values(DeviceFault{"DirectSoundCreate", "\"DSERR_NODRIVER\""},
                                         DeviceFault{"SoundCooperativeLevel", "\"DSERR_ALLOCATED\""}),
                         [](const testing::TestParamInfo<DeviceFault>& info) {
                           return std::string(info.param.fault);
                         });

}  // namespace
