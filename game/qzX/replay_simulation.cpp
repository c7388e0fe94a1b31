// SPDX-License-Identifier: GPL-3.0-or-later
// The re-simulation of a recorded game, and recordings made from upload data.
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/qzX/little_endian.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"

namespace qzx {

FrameInput unpack_input(std::uint32_t input) {
  FrameInput in;
  in.cursor_x = static_cast<int>(input & 1023);
  in.cursor_y = static_cast<int>((input >> 10) & 1023);
  in.left = (input >> 20) & 1;
  in.right = (input >> 21) & 1;
  in.click = (input >> 22) & 1;
  in.right_click = (input >> 23) & 1;
  return in;
}

namespace {
bool drawing_before_replay = true;
bool penalty_before_replay = false;
}  // namespace

void begin_replay(const Recording& r, bool drawing) {
  drawing_before_replay = gfx::drawing();
  penalty_before_replay = app::highscore_penalty;
  gfx::set_drawing(drawing);
  app::highscore_penalty = r.penalty;
  noise_state = r.noise_start;
  // The same start as a game from the title: the set-up seeded from the recorded time, then the
  // screen transition, whose kind is a random choice too.
  gfx::cancel_transition();
  app::scene = 1;
  use_recorded_start(r.start_seconds, r.start_millis);
  round_setup(true);
  use_wall_clock_start();
  gfx::start_transition(1);
}

RoundOutcome replay_frame(std::uint16_t frame_time, std::uint32_t input, std::int32_t round_time) {
  app::frame_time = frame_time;
  app::round_time = round_time;
  const FrameInput in = unpack_input(input);
  app::cursor_x = in.cursor_x;
  app::cursor_y = in.cursor_y;
  return round_frame(in);
}

void take_outcome(ReplayResult& result) {
  result.score = score();
  const int m = event_count();
  result.events.resize(m);
  for (int i = 0; i < m; ++i) result.events[i] = event_at(i);
}

void end_replay() {
  gfx::cancel_transition();
  app::highscore_penalty = penalty_before_replay;
  gfx::set_drawing(drawing_before_replay);
}

std::vector<std::int32_t> round_clocks(const Recording& r, ClockSource clock) {
  if (clock == ClockSource::reconstructed) return estimate_round_clock(r);
  std::vector<std::int32_t> clocks;
  clocks.reserve(r.frames.size());
  for (const RecordedFrame& f : r.frames) clocks.push_back(f.round_time);
  return clocks;
}

ReplayResult simulate_recording(const Recording& r, ClockSource clock,
                                const std::function<void(int)>& before_frame) {
  const std::vector<std::int32_t> clocks = round_clocks(r, clock);
  begin_replay(r);
  ReplayResult result;
  const int n = static_cast<int>(r.frames.size());
  for (int i = 0; i < n; ++i) {
    if (before_frame) before_frame(i);
    result.frames_run = i + 1;
    if (replay_frame(r.frames[i].frame_time, r.frames[i].input, clocks[i]) ==
        RoundOutcome::game_over) {
      result.finished = i == n - 1;
      break;
    }
  }
  take_outcome(result);
  end_replay();
  return result;
}

bool recording_from_upload(const DecodedReplay& d, bool penalty, Recording& out) {
  if (!d.frame_log_bytes || d.length < 20) return false;
  const std::uint8_t* p = d.frame_log_bytes;
  const std::uint32_t count = get32(p + 8);
  const std::uint32_t edition_index = get32(p + 16);
  if (count > static_cast<std::uint32_t>(max_frames) || d.length != 20 + 8 * std::size_t{count} ||
      edition_index > 2)
    return false;
  Recording r;
  r.edition = static_cast<int>(edition_index) + 1;
  r.penalty = penalty;
  r.start_seconds = d.start_seconds;
  r.start_millis = d.start_millis;
  r.noise_start = 999;  // not carried: only the noise pairs' contents depend on it
  r.frames.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = p + 20 + 8 * i;
    r.frames[i].frame_time = get16(e);
    r.frames[i].input = get32(e + 4);
  }
  out = std::move(r);
  return true;
}

int first_event_difference(const std::vector<EventEntry>& a, const std::vector<EventEntry>& b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i)
    if (a[i].code != b[i].code || a[i].value != b[i].value) return static_cast<int>(i);
  return a.size() == b.size() ? -1 : static_cast<int>(n);
}

}  // namespace qzx
