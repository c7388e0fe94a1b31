// SPDX-License-Identifier: GPL-3.0-or-later
// A whole 91 s round rendered as a video, as the game's -video and the server's render workers
// make it: the processor seconds it takes on one core (the aim: less than the round lasts, so one
// core keeps up with a game a minute) and the file's size (the aim: at most 8 MB). Rounds are
// played by the tests' aimed player at 100 frames a second (the most pictures a game has) and at
// 60. "render only" runs the same frames with the drawing on but no encoder, to show the split.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "platform/video.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"

namespace {

void load_edition_once() {
  static bool loaded = false;
  if (loaded) return;
  loaded = true;
  gfxtest::open_display();
  res::use_data_archive = true;
  const std::string path = std::string(GRUMBOLDX_DATA_DIR) + "/XL/grumboldX.dat";
  if (res::xfinit(path.c_str()) != 1) std::abort();
  app::edition = app::edition_xl;
  text::load_texts();
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  text::load_font();
  sound::load_sounds();
  sound::init_sound();
}

qzx::Recording aimed_round(int frame_ms) {
  test_support::AimedPlayer player;
  return test_support::play_whole_game(player, {frame_ms, frame_ms, 0, 0, 9}, 1262304000, 0);
}

class EncodingSink final : public qzx::RenderSink {
 public:
  explicit EncodingSink(plat::VideoWriter* writer) : writer_(writer) {}
  bool picture(const std::uint16_t* pixels, int pitch, const plat::PixelFormat& format,
               std::int64_t time_ms) override {
    return !writer_ || writer_->add_picture(pixels, pitch, format, time_ms);
  }
  bool sound(const std::int16_t* samples, int frames) override {
    return !writer_ || writer_->add_sound(samples, frames);
  }

 private:
  plat::VideoWriter* writer_;
};

void BM_RenderRound(benchmark::State& state) {
  load_edition_once();
  const int frame_ms = static_cast<int>(state.range(0));
  const bool encode = state.range(1) != 0;
  const qzx::Recording game = aimed_round(frame_ms);
  const std::string file = (std::filesystem::temp_directory_path() /
                            ("grumboldx-video-bench-" + std::to_string(getpid()) + ".webm")).string();
  double bytes = 0, length_ms = 0, cpu_seconds = 0;
  for (auto _ : state) {
    const std::int64_t cpu0 = plat::process_cpu_us();
    plat::VideoWriter writer;
    if (encode && !writer.open(file)) {
      state.SkipWithError(writer.error().c_str());
      break;
    }
    EncodingSink sink(encode ? &writer : nullptr);
    const qzx::RenderResult r = qzx::render_recording(game, qzx::ClockSource::recorded, sink);
    if (!r.completed || (encode && !writer.finish())) {
      state.SkipWithError(encode ? writer.error().c_str() : "the rendering stopped");
      break;
    }
    if (r.replay.score != game.score) state.SkipWithError("the rendering diverged from the game");
    cpu_seconds += static_cast<double>(plat::process_cpu_us() - cpu0) / 1e6;
    length_ms = static_cast<double>(r.length_ms);
    if (encode) bytes = static_cast<double>(std::filesystem::file_size(file));
  }
  std::filesystem::remove(file);
  const double runs = static_cast<double>(state.iterations());
  state.counters["frames"] = static_cast<double>(game.frames.size());
  state.counters["game s"] = length_ms / 1000;
  state.counters["cpu s"] = cpu_seconds / runs;
  state.counters["cpu/game"] = cpu_seconds / runs / (length_ms / 1000);
  if (encode) state.counters["MB"] = bytes / 1e6;
  state.SetLabel(encode ? "render and encode" : "render only");
}
BENCHMARK(BM_RenderRound)
    ->ArgsProduct({{10, 16}, {1, 0}})
    ->ArgNames({"frame_ms", "encode"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
