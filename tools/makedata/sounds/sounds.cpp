// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/sounds/sounds.h"

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "tools/makedata/sounds/dsp.h"
#include "tools/makedata/sounds/effects.h"
#include "tools/makedata/sounds/music.h"
#include "tools/makedata/sounds/ogg_writer.h"
#include "tools/makedata/sounds/wav_writer.h"

namespace sounds {

namespace {

constexpr double kEffectLevel = -16.0;  // loudest 200 ms of every effect, dB full scale
constexpr double kMusicLevel = -20.0;   // the music sits 4 dB under the effects
constexpr double kWavCeiling = 0.89;    // -1 dB
constexpr double kOggCeiling = 0.84;    // -1.5 dB: room for the codec's overshoot
constexpr int kWavRate = kRate / 2;     // WAV effects are stored at 22050 Hz
constexpr float kEffectQuality = 0.4f;
constexpr float kLoopQuality = 0.5f;
constexpr float kMusicQuality = 0.5f;
constexpr double kEffectBandKhz = 10.5;  // Ogg effects lose everything above 11 kHz at half rate

bool make_effect(const std::filesystem::path& dir, const Effect& e, std::string& error) {
  Rng rng(seed_of(e.name));
  Audio a = e.make(rng);
  // Above 10 kHz nothing survives the game's half-rate playback without aliasing.
  band_limit(a.left, e.loop);
  if (a.stereo()) band_limit(a.right, e.loop);
  const bool ogg = e.format == Format::ogg;
  normalise(a, kEffectLevel + e.trim_db, ogg ? kOggCeiling : kWavCeiling);
  if (ogg) {
    return write_ogg(dir / (std::string(e.name) + ".ogg"), a, kRate, e.loop ? kLoopQuality : kEffectQuality,
                     kEffectBandKhz, error);
  }
  Audio half{halve_rate(a.left), a.stereo() ? halve_rate(a.right) : Wave{}};
  return write_wav(dir / (std::string(e.name) + ".wav"), half, kWavRate, error);
}

bool make_music(const std::filesystem::path& file, Audio (*compose)(), std::string& error) {
  Audio a = compose();
  normalise(a, kMusicLevel, kOggCeiling);
  return write_ogg(file, a, kRate, kMusicQuality, 0.0, error);
}

}  // namespace

bool make_sounds(const std::filesystem::path& root, std::string& error) {
  const std::filesystem::path dir = root / "data" / "sfx";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) {
    error = "cannot create " + dir.string() + ": " + ec.message();
    return false;
  }

  // The music pieces first: they take longest.
  std::vector<std::function<bool(std::string&)>> jobs;
  jobs.emplace_back([&](std::string& err) { return make_music(dir / "titlemusic.ogg", title_music, err); });
  jobs.emplace_back([&](std::string& err) { return make_music(dir / "highscoremusic.ogg", highscore_music, err); });
  for (const Effect& e : effect_list())
    jobs.emplace_back([&dir, &e](std::string& err) { return make_effect(dir, e, err); });

  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::mutex error_lock;
  auto worker = [&] {
    for (std::size_t i = next++; i < jobs.size() && !failed; i = next++) {
      std::string err;
      bool ok = false;
      try {
        ok = jobs[i](err);
      } catch (const std::exception& ex) {
        err = ex.what();
      }
      if (!ok) {
        std::lock_guard<std::mutex> hold(error_lock);
        if (!failed.exchange(true)) error = "sounds: " + err;
      }
    }
  };
  const unsigned threads = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  return !failed;
}

}  // namespace sounds
