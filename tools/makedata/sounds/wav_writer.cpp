// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/wav_writer.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace sounds {

short to_pcm16(float s) {
  const double v = std::lround(static_cast<double>(s) * 32767.0);
  return static_cast<short>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
}

namespace {
void put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void put_tag(std::vector<unsigned char>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }
}  // namespace

bool write_wav(const std::filesystem::path& file, const Audio& audio, int rate, std::string& error) {
  const unsigned channels = audio.stereo() ? 2 : 1;
  const std::uint32_t frames = static_cast<std::uint32_t>(audio.frames());
  const std::uint32_t data_bytes = frames * channels * 2;
  std::vector<unsigned char> out;
  out.reserve(44 + data_bytes);
  put_tag(out, "RIFF");
  put32(out, 36 + data_bytes);
  put_tag(out, "WAVE");
  put_tag(out, "fmt ");
  put32(out, 16);
  put16(out, 1);  // PCM
  put16(out, channels);
  put32(out, static_cast<std::uint32_t>(rate));
  put32(out, static_cast<std::uint32_t>(rate) * channels * 2);
  put16(out, channels * 2);
  put16(out, 16);
  put_tag(out, "data");
  put32(out, data_bytes);
  for (std::uint32_t i = 0; i < frames; ++i) {
    put16(out, static_cast<std::uint16_t>(to_pcm16(audio.left[i])));
    if (channels == 2) put16(out, static_cast<std::uint16_t>(to_pcm16(audio.right[i])));
  }
  std::ofstream f(file, std::ios::binary | std::ios::trunc);
  if (f) f.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
  if (!f) {
    error = "cannot write " + file.string();
    return false;
  }
  return true;
}

}  // namespace sounds
