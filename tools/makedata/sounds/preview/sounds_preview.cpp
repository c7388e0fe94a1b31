// SPDX-License-Identifier: GPL-3.0-or-later
// sounds_preview: generates every sound into a scratch tree and draws each one as a PNG
// (waveform above, spectrogram below) so that sound work can be checked by eye.
//   sounds_preview OUT_DIR [NAME_PART...]   only files whose name contains a part, if given
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/makedata/sounds/sounds.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 900;
constexpr int kWaveHeight = 120;
constexpr int kSpectrogramHeight = 256;
constexpr int kFft = 512;

struct Decoded {
  int rate = 0;
  std::vector<float> mono;  // the left (or only) channel
};

bool decode_wav(const fs::path& p, Decoded& out) {
  std::ifstream f(p, std::ios::binary);
  const std::vector<unsigned char> b{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
  auto le16 = [&](std::size_t at) { return static_cast<unsigned>(b[at] | (b[at + 1] << 8)); };
  auto le32 = [&](std::size_t at) { return le16(at) | (le16(at + 2) << 16); };
  if (b.size() < 44 || std::memcmp(&b[8], "WAVE", 4) != 0 || std::memcmp(&b[36], "data", 4) != 0) return false;
  const unsigned channels = le16(22);
  out.rate = static_cast<int>(le32(24));
  const std::size_t frames = std::min<std::size_t>(le32(40), b.size() - 44) / (2 * channels);
  for (std::size_t i = 0; i < frames; ++i)
    out.mono.push_back(static_cast<short>(le16(44 + 2 * channels * i)) / 32768.0f);
  return true;
}

bool decode_ogg(const fs::path& p, Decoded& out) {
  OggVorbis_File vf;
  if (ov_fopen(p.string().c_str(), &vf) != 0) return false;
  const int channels = ov_info(&vf, -1)->channels;
  out.rate = static_cast<int>(ov_info(&vf, -1)->rate);
  char buf[4096];
  int section = 0;
  std::vector<short> all;
  for (long n; (n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0;) {
    const auto* s = reinterpret_cast<const short*>(buf);
    all.insert(all.end(), s, s + n / 2);
  }
  ov_clear(&vf);
  for (std::size_t i = 0; i + static_cast<std::size_t>(channels) <= all.size(); i += static_cast<std::size_t>(channels))
    out.mono.push_back(all[i] / 32768.0f);
  return true;
}

void fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const std::complex<double> w = std::polar(1.0, -2 * 3.14159265358979323846 / static_cast<double>(len));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> wk = 1;
      for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
      }
    }
  }
}

// Dark blue through red to yellow-white for -90 .. 0 dB.
void heat(double level, unsigned char* px) {
  const double x = std::clamp((level + 90.0) / 90.0, 0.0, 1.0);
  px[0] = static_cast<unsigned char>(255 * std::clamp(x * 2.0 - 0.2, 0.0, 1.0));
  px[1] = static_cast<unsigned char>(255 * std::clamp(x * 2.0 - 1.0, 0.0, 1.0));
  px[2] = static_cast<unsigned char>(255 * std::clamp(0.4 - std::fabs(x - 0.3), 0.0, 1.0) * 2);
}

bool draw(const Decoded& d, const fs::path& png) {
  const int height = kWaveHeight + kSpectrogramHeight;
  std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth * height * 3), 0);
  const std::size_t n = d.mono.size();
  // Waveform: the range of samples under each column, with a line at full scale.
  for (int x = 0; x < kWidth; ++x) {
    const std::size_t a = n * static_cast<std::size_t>(x) / kWidth, b = std::max(a + 1, n * static_cast<std::size_t>(x + 1) / kWidth);
    float lo = 0, hi = 0;
    for (std::size_t i = a; i < b && i < n; ++i) lo = std::min(lo, d.mono[i]), hi = std::max(hi, d.mono[i]);
    const int y0 = static_cast<int>((1 - hi) * (kWaveHeight - 1) / 2), y1 = static_cast<int>((1 - lo) * (kWaveHeight - 1) / 2);
    for (int y = std::max(0, y0); y <= std::min(kWaveHeight - 1, y1); ++y) {
      unsigned char* px = &rgb[static_cast<std::size_t>((y * kWidth + x) * 3)];
      px[0] = 120, px[1] = 220, px[2] = 120;
    }
  }
  // Spectrogram: one Hann-windowed transform per column, 0 Hz at the bottom.
  std::vector<std::complex<double>> bins(kFft);
  for (int x = 0; x < kWidth; ++x) {
    const std::size_t centre = n * static_cast<std::size_t>(x) / kWidth;
    for (int k = 0; k < kFft; ++k) {
      const long i = static_cast<long>(centre) + k - kFft / 2;
      const double s = i >= 0 && i < static_cast<long>(n) ? d.mono[static_cast<std::size_t>(i)] : 0.0;
      bins[static_cast<std::size_t>(k)] = s * (0.5 - 0.5 * std::cos(2 * 3.14159265358979323846 * k / kFft));
    }
    fft(bins);
    for (int y = 0; y < kSpectrogramHeight; ++y) {
      const std::size_t bin = static_cast<std::size_t>(kSpectrogramHeight - 1 - y) * (kFft / 2) / kSpectrogramHeight;
      const double level = 20 * std::log10(std::abs(bins[bin]) / (kFft / 4) + 1e-9);
      heat(level, &rgb[static_cast<std::size_t>(((kWaveHeight + y) * kWidth + x) * 3)]);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = kWidth;
  image.height = height;
  image.format = PNG_FORMAT_RGB;
  return png_image_write_to_file(&image, png.string().c_str(), 0, rgb.data(), kWidth * 3, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sounds_preview OUT_DIR [NAME_PART...]\n");
    return 2;
  }
  const fs::path out = argv[1];
  const fs::path tree = out / "tree";
  std::string error;
  if (!sounds::make_sounds(tree, error)) {
    std::fprintf(stderr, "sounds_preview: %s\n", error.c_str());
    return 1;
  }
  int failures = 0;
  for (const auto& entry : fs::directory_iterator(tree / "data" / "sfx")) {
    const std::string name = entry.path().filename().string();
    bool wanted = argc == 2;
    for (int i = 2; i < argc; ++i) wanted = wanted || name.find(argv[i]) != std::string::npos;
    if (!wanted) continue;
    Decoded d;
    const bool ok = entry.path().extension() == ".wav" ? decode_wav(entry.path(), d) : decode_ogg(entry.path(), d);
    const fs::path png = out / (entry.path().stem().string() + ".png");
    if (!ok || !draw(d, png)) {
      std::fprintf(stderr, "sounds_preview: cannot draw %s\n", name.c_str());
      ++failures;
      continue;
    }
    std::printf("%s: %.2f s at %d Hz -> %s\n", name.c_str(), static_cast<double>(d.mono.size()) / d.rate, d.rate,
                png.string().c_str());
  }
  return failures ? 1 : 0;
}
