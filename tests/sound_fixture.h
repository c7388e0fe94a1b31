// SPDX-License-Identifier: GPL-3.0-or-later
// What the sound tests share: fixture sounds made on the spot (WAV files byte by byte, Ogg
// Vorbis files through libvorbisenc, full-rate decoding through libvorbisfile as the reference),
// and a headless platform with a focused window, a scratch folder and an archive of the test's
// own files.
#pragma once

#include <gtest/gtest.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/sound/sound.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace sound_fixture {

inline void put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void put32(std::string& s, std::uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A 16-bit PCM WAV file in the standard 44-byte layout.
inline std::string wav_file(const std::vector<std::int16_t>& samples, int channels, int rate) {
  const std::uint32_t data = static_cast<std::uint32_t>(samples.size() * 2);
  std::string s = "RIFF";
  put32(s, 36 + data);
  s += "WAVEfmt ";
  put32(s, 16);
  put16(s, 1);
  put16(s, static_cast<unsigned>(channels));
  put32(s, static_cast<std::uint32_t>(rate));
  put32(s, static_cast<std::uint32_t>(rate * channels * 2));
  put16(s, static_cast<unsigned>(channels * 2));
  put16(s, 16);
  s += "data";
  put32(s, data);
  for (std::int16_t v : samples) put16(s, static_cast<std::uint16_t>(v));
  return s;
}

// frames of a tone, each channel its own frequency, at about half of full level.
inline std::vector<float> tone(int frames, int channels, int rate) {
  std::vector<float> out(static_cast<std::size_t>(frames * channels));
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c)
      out[static_cast<std::size_t>(i * channels + c)] =
          0.5f * static_cast<float>(std::sin(2 * M_PI * (330.0 + 220.0 * c) * i / rate));
  return out;
}

// An Ogg Vorbis file of the interleaved samples.
inline std::string ogg_file(const std::vector<float>& samples, int channels, int rate) {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_dsp_state dsp;
  vorbis_block block;
  ogg_stream_state stream;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, channels, rate, 0.4f), 0);
  vorbis_comment_init(&comment);
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_init(&stream, 12345);
  std::string out;
  auto page_out = [&out](const ogg_page& page) {
    out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
    out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
  };
  ogg_packet id, comments, books;
  vorbis_analysis_headerout(&dsp, &comment, &id, &comments, &books);
  ogg_stream_packetin(&stream, &id);
  ogg_stream_packetin(&stream, &comments);
  ogg_stream_packetin(&stream, &books);
  ogg_page page;
  while (ogg_stream_flush(&stream, &page)) page_out(page);
  auto drain = [&] {
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page)) page_out(page);
      }
    }
  };
  const int frames = static_cast<int>(samples.size()) / channels;
  for (int at = 0; at < frames; at += 1024) {
    const int n = std::min(1024, frames - at);
    float** buffer = vorbis_analysis_buffer(&dsp, n);
    for (int i = 0; i < n; ++i)
      for (int c = 0; c < channels; ++c)
        buffer[c][i] = samples[static_cast<std::size_t>((at + i) * channels + c)];
    vorbis_analysis_wrote(&dsp, n);
    drain();
  }
  vorbis_analysis_wrote(&dsp, 0);
  drain();
  while (ogg_stream_flush(&stream, &page)) page_out(page);
  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

// A tone under noise: it compresses badly, so the file spreads over many pages.
inline std::vector<float> noisy_tone(int frames, int channels, int rate) {
  std::vector<float> out = tone(frames, channels, rate);
  std::uint32_t x = 1;
  for (float& v : out) {
    x = x * 1103515245u + 12345u;
    v = 0.6f * v + 0.2f * (static_cast<float>(x >> 16) / 32768.0f - 1.0f);
  }
  return out;
}

inline std::string ogg_tone(double seconds, int channels, int rate) {
  return ogg_file(tone(static_cast<int>(seconds * rate), channels, rate), channels, rate);
}

// The reference: the whole stream at its own rate, decoded straight with libvorbisfile.
struct Decoded {
  int channels = 0;
  long rate = 0;
  std::vector<std::int16_t> samples;  // interleaved
};
inline Decoded decode_reference(const std::string& file) {
  Decoded d;
  struct Source {
    const std::string* bytes;
    std::size_t at;
  } source{&file, 0};
  const ov_callbacks callbacks{
      [](void* out, std::size_t size, std::size_t count, void* src) -> std::size_t {
        auto* s = static_cast<Source*>(src);
        const std::size_t n = std::min(size * count, s->bytes->size() - s->at) / size;
        std::memcpy(out, s->bytes->data() + s->at, n * size);
        s->at += n * size;
        return n;
      },
      nullptr, nullptr, nullptr};
  OggVorbis_File vf;
  if (ov_open_callbacks(&source, &vf, nullptr, 0, callbacks) != 0) return d;
  d.channels = ov_info(&vf, -1)->channels;
  d.rate = ov_info(&vf, -1)->rate;
  char buffer[4096];
  int section = 0;
  for (;;) {
    const long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
    if (n <= 0) break;
    const std::size_t old = d.samples.size();
    d.samples.resize(old + static_cast<std::size_t>(n) / 2);
    std::memcpy(d.samples.data() + old, buffer, static_cast<std::size_t>(n / 2 * 2));
  }
  ov_clear(&vf);
  return d;
}

// The lines of debug.txt in the current folder.
inline std::vector<std::string> log_lines() {
  std::vector<std::string> lines;
  std::string text = test_support::read_file("debug.txt"), line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  return lines;
}

inline int count_lines_with(const std::string& part) {
  int n = 0;
  for (const std::string& l : log_lines()) n += l.find(part) != std::string::npos;
  return n;
}

// A headless platform with a focused window in a scratch folder; files go into an archive of
// the test's own (XL magic) that the archive functions read. Everything is released at the end.
class SoundTest : public testing::Test {
 protected:
  // Operations the headless backend is to fail (GRUMBOLDX_FAIL), read when the platform starts.
  virtual const char* faults() const { return nullptr; }

  void SetUp() override {
    if (faults()) setenv("GRUMBOLDX_FAIL", faults(), 1);
    else unsetenv("GRUMBOLDX_FAIL");
    test_support::reset_app_state();
    res::debug_log_reset();
    ASSERT_TRUE(plat::init_headless());
    ASSERT_TRUE(plat::window_create("GrumboldX"));
    take_messages();  // the new window's focus
    app::app_active = true;
  }
  void TearDown() override {
    sound::terminate_sound(true);
    plat::shutdown();
    res::xfdone();
    unsetenv("GRUMBOLDX_FAIL");
  }

  // Hands the waiting messages out, as the main loop does (focus changes reach the sound device).
  static void take_messages() {
    plat::Message m;
    while (plat::peek_message(m)) {
    }
  }

  void use_files(const std::vector<test_support::ArchiveEntry>& files) {
    res::xfdone();
    test_support::make_archive(here.path() / "test.dat", res::archive_magic_xl, files);
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit((here.path() / "test.dat").c_str()), 1);
  }

  test_support::InScratchDir here;
};

}  // namespace sound_fixture
