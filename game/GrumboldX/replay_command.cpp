// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/replay_command.h"

#include <cstdio>
#include <cstring>

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/highscores.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/qzX/replay.h"

namespace front {

namespace {

constexpr const char* edition_names[4] = {"?", "XS", "XL", "XXL"};

}  // namespace

bool load_recording_for_this_edition(const char* path, qzx::Recording& r) {
  std::string error;
  if (!qzx::load_recording(path, r, error)) {
    std::fprintf(stderr, "replay: %s: %s\n", path, error.c_str());
    return false;
  }
  if (r.edition != app::edition) {
    std::fprintf(stderr, "replay: %s was recorded in edition %s; this archive is edition %s\n",
                 path, edition_names[r.edition], edition_names[app::edition]);
    return false;
  }
  return true;
}

namespace {

// The window replay's state.
qzx::Recording window_recording;
bool window_running = false;
int window_frame = 0;
bool penalty_outside = false;
// After the last frame the picture with the final score stays for two seconds.
constexpr std::int32_t hold_time = 131072;
std::int32_t hold_left = 0;
constexpr int hold_frame_ms = 16;

}  // namespace

bool replay_argument(int argc, char** argv, std::string& path) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-replay") == 0) {
      path = argv[i + 1];
      return true;
    }
  return false;
}

int run_headless_replay(const char* path) {
  qzx::Recording r;
  if (!load_recording_for_this_edition(path, r)) return replay_unreadable;
  const qzx::ReplayResult result = qzx::simulate_recording(r, qzx::ClockSource::recorded);
  for (const qzx::EventEntry& e : result.events) std::printf("event %u %d\n", e.code, e.value);
  std::printf("score %d\n", result.score);
  std::fflush(stdout);
  const int diff = qzx::first_event_difference(result.events, r.events);
  if (diff >= 0) {
    std::fprintf(stderr, "replay: diverged at event %d of %zu (frame %d of %zu)\n", diff,
                 r.events.size(), result.frames_run, r.frames.size());
    return replay_diverged;
  }
  if (result.score != r.score || !result.finished) {
    std::fprintf(stderr, "replay: diverged: score %d, recorded %d; %s\n", result.score, r.score,
                 result.finished ? "the game ended as recorded" : "the game did not end as recorded");
    return replay_diverged;
  }
  return replay_reproduced;
}

bool start_window_replay(const char* path) {
  if (!load_recording_for_this_edition(path, window_recording)) return false;
  if (window_recording.frames.empty()) {
    std::fprintf(stderr, "replay: %s holds no frames\n", path);
    return false;
  }
  penalty_outside = app::highscore_penalty;
  app::highscore_penalty = window_recording.penalty;
  qzx::noise_state = window_recording.noise_start;
  app::scene = 1;
  qzx::use_recorded_start(window_recording.start_seconds, window_recording.start_millis);
  qzx::round_setup(true);
  qzx::use_wall_clock_start();
  app::game_state = app::state_round;
  gfx::start_transition(1);
  // Edition XS starts its rounds from the branding screen, which shows at once.
  if (app::edition == app::edition_xs) gfx::cancel_transition();
  window_frame = 0;
  window_running = true;
  hold_left = 0;
  return true;
}

void hold_window_replay() { hold_left = hold_time; }

bool window_replay_holding() { return window_running && hold_left > 0; }

bool window_replay_hold_step() {
  hold_left -= app::frame_time;
  return hold_left <= 0;
}

bool window_replay_running() { return window_running; }

void window_replay_frame(qzx::FrameInput& in) {
  const qzx::RecordedFrame& f = window_recording.frames[window_frame];
  app::frame_time = f.frame_time;
  app::round_time = f.round_time;
  in = qzx::unpack_input(f.input);
  app::cursor_x = in.cursor_x;
  app::cursor_y = in.cursor_y;
  ++window_frame;
}

bool window_replay_ended() {
  return window_frame >= static_cast<int>(window_recording.frames.size());
}

void finish_window_replay() {
  if (!window_running) return;
  window_running = false;
  hold_left = 0;
  app::highscore_penalty = penalty_outside;
  std::fprintf(stderr, "replay: ended after %d of %zu frames with score %d (recorded %d)\n",
               window_frame, window_recording.frames.size(), qzx::score(), window_recording.score);
  qzx::stop_round_sounds();
  app::game_state = app::state_title;
  set_title_buttons();
  gfx::start_transition(1);
}

int replay_frame_wait_ms() {
  if (!window_running || window_frame <= 0) return 10;
  if (hold_left > 0) return hold_frame_ms;
  const int length = window_recording.frames[window_frame - 1].length_ms;
  return length > 10 ? length : 10;
}

}  // namespace front
