// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up speed. Run: build/bin/start_bench (after a full build, which packs the archives).
//
//   BM_LaunchToTitle      the game binary, headless, from exec to the end of its first frame
//                         with the XXL archive: the figure a player waits for
//   BM_LoadToTitle        the same loading steps in-process (archive, texts, catalogue with the
//                         loading screen, font), as the start-up runs them
//   BM_FingerprintSum     the graphics fingerprint's checksum over the XXL archive's bytes, in
//                         chunks of a palette, of an 800-pixel JPEG row and of a large picture
//   BM_FingerprintByByte  the same sums with the rule written as a plain byte loop, for scale
//   BM_ConvertRgbRow      the colour rules over one 800-pixel JPEG row
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/GrumboldX/window.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/resources/checksum.h"
#include "game/resources/log.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"

using namespace front;

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string archive = std::string(GRUMBOLDX_DATA_DIR) + "/XXL/grumboldX.dat";

// A scratch folder for the runs' debug.txt and highscores.txt, removed at the end.
struct Scratch {
  fs::path dir;
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "start_bench_XXXXXX").string();
    dir = mkdtemp(pattern.data());
    fs::create_symlink(archive, dir / "grumboldX.dat");
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  }
};

Scratch& scratch() {
  static Scratch s;
  return s;
}

// The headless display, opened once, as the game's start-up opens it.
void open_display() {
  static bool open = [] {
    res::debug_log_set_path((scratch().dir / "debug.txt").c_str());
    res::debug_log_reset();
    plat::init_headless();
    init_display();
    return true;
  }();
  (void)open;
}

const std::vector<std::uint8_t>& archive_bytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    std::ifstream in(archive, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
  }();
  return bytes;
}

void BM_LaunchToTitle(benchmark::State& state) {
  const std::string program = std::string(GRUMBOLDX_BIN_DIR) + "/grumboldx";
  const std::string folder = scratch().dir.string();
  std::vector<std::string> env_text;
  for (char** e = environ; *e; ++e) env_text.emplace_back(*e);
  env_text.emplace_back("GRUMBOLDX_HEADLESS=1");
  env_text.emplace_back("GRUMBOLDX_FRAMES=1");
  std::vector<char*> env;
  for (std::string& e : env_text) env.push_back(e.data());
  env.push_back(nullptr);
  std::string name = "grumboldx";
  char* argv[] = {name.data(), nullptr};
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, env.data()) != 0) {
      state.SkipWithError("cannot start the game");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("the game did not end in order");
      break;
    }
  }
  fs::current_path(previous);
}
BENCHMARK(BM_LaunchToTitle)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_LoadToTitle(benchmark::State& state) {
  open_display();
  for (auto _ : state) {
    if (!res::xfinit(archive.c_str())) {
      state.SkipWithError("no archive");
      break;
    }
    text::load_texts();
    gfx::load_catalogue();
    text::load_font();
    gfx::loading_bar(100);
    gfx::hide_loading_screen();
    res::xfdone();
  }
}
BENCHMARK(BM_LoadToTitle)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The rule as written: one byte, one weight step.
std::int32_t sum_by_byte(std::int32_t sum, const std::uint8_t* data, std::int32_t length,
                         std::int32_t weight, std::int32_t step) {
  auto s = static_cast<std::uint32_t>(sum);
  for (std::int32_t i = 0; i < length; ++i) {
    s += static_cast<std::uint32_t>(weight) * data[i];
    weight = static_cast<std::int32_t>(static_cast<std::uint32_t>(weight) +
                                       static_cast<std::uint32_t>(step)) % 9 + 3;
  }
  return static_cast<std::int32_t>(s);
}

template <std::int32_t (*sum)(std::int32_t, const std::uint8_t*, std::int32_t, std::int32_t,
                              std::int32_t)>
void fingerprint_over_archive(benchmark::State& state) {
  const auto& bytes = archive_bytes();
  const auto chunk = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    std::uint32_t ring = 0;
    for (std::size_t at = 0; at + chunk <= bytes.size(); at += chunk) {
      const std::int32_t s = sum(0, bytes.data() + at, static_cast<std::int32_t>(chunk), 7, 5);
      ring ^= static_cast<std::uint32_t>(s);
    }
    benchmark::DoNotOptimize(ring);
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(bytes.size() / chunk * chunk));
}

std::int32_t sum_fast(std::int32_t sum, const std::uint8_t* data, std::int32_t length,
                      std::int32_t weight, std::int32_t step) {
  return res::weighted_sum(sum, data, length, weight, step);
}

void BM_FingerprintSum(benchmark::State& state) { fingerprint_over_archive<sum_fast>(state); }
BENCHMARK(BM_FingerprintSum)->Arg(1024)->Arg(2400)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_FingerprintByByte(benchmark::State& state) { fingerprint_over_archive<sum_by_byte>(state); }
BENCHMARK(BM_FingerprintByByte)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_ConvertRgbRow(benchmark::State& state) {
  open_display();
  // A row of the archive's own picture bytes, as a decoded JPEG row would bring them.
  const auto& bytes = archive_bytes();
  constexpr int width = 800;
  const std::uint8_t* row = bytes.data() + bytes.size() / 2;
  std::vector<std::uint16_t> out(width);
  for (auto _ : state) {
    gfx::convert_rgb_row(row, width, gfx::is_jpeg_key, out.data());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width);
}
BENCHMARK(BM_ConvertRgbRow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
