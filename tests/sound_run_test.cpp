// SPDX-License-Identifier: GPL-3.0-or-later
// Sound through the real binary, headless, with what the sound device mixed captured as a WAV
// file: the title music from the first title frame on, the same samples in every run, a silent
// game when there is no device or no timer, and the rebuild after a lost buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/sound_fixture.h"
#include "tests/test_support.h"

using namespace test_support;
namespace fs = std::filesystem;

namespace {

struct Capture {
  int channels = 0, rate = 0, bits = 0;
  std::vector<std::int16_t> samples;  // interleaved
};

::testing::AssertionResult read_capture(const fs::path& file, Capture& c) {
  const std::string bytes = read_file(file);
  if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 8, "WAVEfmt ") != 0 ||
      bytes.compare(36, 4, "data") != 0)
    return ::testing::AssertionFailure() << "not a WAV file in the standard layout";
  auto word = [&](std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  c.channels = static_cast<int>(word(22) & 0xFFFF);
  c.rate = static_cast<int>(word(24));
  c.bits = static_cast<int>(word(34) & 0xFFFF);
  if (word(40) != bytes.size() - 44 || word(4) != bytes.size() - 8)
    return ::testing::AssertionFailure() << "the header's sizes do not match the file";
  c.samples.resize((bytes.size() - 44) / 2);
  std::memcpy(c.samples.data(), bytes.data() + 44, c.samples.size() * 2);
  return ::testing::AssertionSuccess();
}

std::size_t first_sound(const std::vector<std::int16_t>& s, std::size_t from = 0) {
  while (from < s.size() && s[from] == 0) ++from;
  return from;
}

class SoundRun : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(data_dir() / "XL" / "grumboldX.dat", dir.path() / "grumboldX.dat");
    const std::string ogg = read_file(data_dir() / "tree" / "common" / "data" / "sfx" / "titlemusic.ogg");
    title = sound_fixture::decode_reference(ogg).samples;
    ASSERT_FALSE(title.empty());
  }

  // A headless run of frames frames with the capture written to capture.wav.
  RunResult run(int frames, const std::map<std::string, std::string>& more = {}) {
    std::map<std::string, std::string> env = {{"GRUMBOLDX_HEADLESS", "1"},
                                              {"GRUMBOLDX_FRAMES", std::to_string(frames)},
                                              {"GRUMBOLDX_AUDIO_WAV", (dir / "capture.wav").string()}};
    for (const auto& [k, v] : more) env[k] = v;
    return run_program("grumboldx", dir.path(), env, {"-XL"});
  }

  // Whether the capture from sample at on holds the title music from its first sound on.
  ::testing::AssertionResult music_at(const Capture& c, std::size_t at, std::size_t count) const {
    const std::size_t start = first_sound(title);
    for (std::size_t i = 0; i < count; ++i) {
      if (at + i >= c.samples.size()) return ::testing::AssertionFailure() << "the capture ends first";
      if (c.samples[at + i] != title[(start + i) % title.size()])
        return ::testing::AssertionFailure() << "differs " << i << " samples into the music";
    }
    return ::testing::AssertionSuccess();
  }

  ScratchDir dir;
  std::vector<std::int16_t> title;
};

TEST_F(SoundRun, TheCaptureHoldsTheTitleMusicTheSameInEveryRun) {
  ASSERT_EQ(run(600).exit_code, 0);
  Capture c;
  ASSERT_TRUE(read_capture(dir / "capture.wav", c));
  EXPECT_EQ(c.channels, 2);
  EXPECT_EQ(c.rate, 44100);
  EXPECT_EQ(c.bits, 16);
  // The title starts its music in its first frame; the first decoded bytes lie 30000 bytes (0.17
  // s) behind the play position, and from there on the mix is the piece itself.
  const std::size_t onset = first_sound(c.samples);
  EXPECT_EQ(onset, 30000u / 2);
  ASSERT_GT(c.samples.size(), onset + 44100 * 2 * 5) << "at least five seconds of music";
  EXPECT_TRUE(music_at(c, onset, c.samples.size() - onset));

  const std::string first = read_file(dir / "capture.wav");
  ASSERT_EQ(run(600).exit_code, 0);
  EXPECT_TRUE(read_file(dir / "capture.wav") == first) << "a second run mixes the same samples";
}

TEST_F(SoundRun, WithoutADeviceOrATimerTheGameRunsSilentToAnOrderlyEnd) {
  struct Case {
    const char* fault;
    const char* line;  // logged once at most
  } cases[] = {
      {"DirectSoundCreate", "DirectSound Error (88780078) in file game/sound/sound_device.cpp"},
      {"SoundCooperativeLevel", "DirectSound Error (8878000a) in file game/sound/sound_device.cpp"},
      {"timeSetEvent", "timeSetEvent error"},
      {"timeBeginPeriod", "timeBeginPeriod error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    const RunResult r = run(150, {{"GRUMBOLDX_FAIL", c.fault}});
    EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
    Capture capture;
    ASSERT_TRUE(read_capture(dir / "capture.wav", capture));
    EXPECT_GT(capture.samples.size(), 44100u) << "the run lasted a second";
    EXPECT_EQ(first_sound(capture.samples), capture.samples.size()) << "not a sound";
    const std::string log = read_file(dir / "debug.txt");
    EXPECT_NE(log.find(c.line), std::string::npos);
    if (std::string(c.fault).rfind("time", 0) == 0) continue;  // the title asks again every frame
    EXPECT_EQ(log.find(c.line), log.rfind(c.line)) << "reported once, then silence";
    EXPECT_EQ(log.find("DirectSound Error"), log.rfind("DirectSound Error"));
  }
}

TEST_F(SoundRun, ALostDeviceIsRebuiltAndTheTitleStartsItsMusicAgain) {
  ASSERT_EQ(run(400, {{"GRUMBOLDX_FAIL", "SoundBufferLost"}}).exit_code, 0);
  const std::string log = read_file(dir / "debug.txt");
  const std::size_t first = log.find("create streaming buffer\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find("create streaming buffer\n", first + 1), std::string::npos) << "rebuilt once";
  Capture c;
  ASSERT_TRUE(read_capture(dir / "capture.wav", c));
  // One virtual second after the device was made its buffers are lost: the music breaks off and
  // comes back from its beginning once the title has asked for it again.
  const std::size_t onset = first_sound(c.samples);
  const std::size_t lost = 44100 * 2;
  EXPECT_TRUE(music_at(c, onset, lost - onset));
  const std::size_t again = first_sound(c.samples, lost);
  ASSERT_LT(again, c.samples.size());
  EXPECT_GE(again, lost + 30000 / 2) << "a fresh start behind its gap";
  EXPECT_TRUE(music_at(c, again, c.samples.size() - again));
}

}  // namespace
