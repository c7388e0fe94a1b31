// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the round: a busy in-game frame (every layer, 60 flying chickens, particles, the
// display) with its logic and the flush of the draw list; and the re-simulation of a whole 91 s
// round without drawing, as a replay or the highscore server runs it.
#include <benchmark/benchmark.h>

#include <string>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/resources/archive.h"
#include "game/resources/random.h"
#include "game/text/font.h"
#include "game/text/texts.h"
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
  text::load_texts();
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  text::load_font();
  app::edition = app::edition_xl;
}

// Tops the sky up to 60 flying chickens in view.
void fill_sky() {
  int count = 0;
  for (const qzx::Enemy& e : qzx::enemies)
    if (e.flags && e.kind == qzx::kind_flying_chicken && e.state == 1) ++count;
  for (; count < 60; ++count) {
    qzx::Enemy* e = qzx::spawn_flying(-1);
    if (!e) return;
    e->x = (gfx::layer_offset(e->depth) + 40 + res::random(720)) << 16;
    e->y = (20 + res::random(300)) << 16;
  }
}

void BM_BusyFrame(benchmark::State& state) {
  load_edition_once();
  gfx::set_drawing(true);
  app::scene = 1;
  qzx::round_setup(false);
  qzx::FrameInput in;
  in.cursor_x = 400;
  in.cursor_y = 300;
  int frame = 0, entries = 0;
  for (auto _ : state) {
    app::round_time = 5000000;  // the round never ends here
    app::frame_time = 1092;
    fill_sky();
    if (frame % 10 == 0) qzx::particle_burst(100 + frame % 600, 250, 3.14, 1, 0);
    in.click = frame % 15 == 0;
    in.right_click = frame % 120 == 60;
    in.cursor_x = 100 + (frame * 7) % 600;
    qzx::round_frame(in);
    entries = gfx::draw_list_count();
    gfx::flush_draw_list();
    ++frame;
  }
  int flying = 0;
  for (const qzx::Enemy& e : qzx::enemies)
    if (e.flags && e.kind == qzx::kind_flying_chicken) ++flying;
  state.counters["chickens"] = flying;
  state.counters["draw entries"] = entries;
  state.counters["particles"] = [] {
    int n = 0;
    for (const qzx::Particle& p : qzx::particles) n += p.flags != 0;
    return n;
  }();
}
BENCHMARK(BM_BusyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_ResimulateRound(benchmark::State& state) {
  load_edition_once();
  test_support::AimedPlayer player;
  const qzx::Recording game = test_support::play_whole_game(player, {16, 17, 0, 0, 9}, 1262304000, 0);
  double seconds = 0;
  for (const qzx::RecordedFrame& f : game.frames) seconds += f.length_ms / 1000.0;
  for (auto _ : state) {
    const qzx::ReplayResult r = qzx::simulate_recording(game, qzx::ClockSource::recorded);
    if (r.score != game.score) state.SkipWithError("the replay diverged");
    benchmark::DoNotOptimize(r.score);
  }
  state.counters["frames"] = static_cast<double>(game.frames.size());
  state.counters["game seconds"] = seconds;
  state.counters["x real time"] =
      benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ResimulateRound)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
