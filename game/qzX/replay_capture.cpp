// SPDX-License-Identifier: GPL-3.0-or-later
// What a running game keeps for its replay beside the upload's logs.
#include "game/app/app.h"
#include "game/qzX/replay.h"

namespace qzx {

namespace {
std::int32_t noise_at_start = 999;
std::int32_t clock_log[max_frames];
std::int32_t length_log[max_frames];
int clock_count = 0;
int length_count = 0;
}  // namespace

void note_recording_start() {
  noise_at_start = noise_state;
  clock_count = 0;
  length_count = 0;
}

void note_round_clock(std::int32_t round_time) {
  if (clock_count < max_frames) clock_log[clock_count++] = round_time;
}

void note_frame_length(std::int32_t length_ms) {
  // A length belongs to the frame whose clock was noted last.
  if (length_count < clock_count) length_log[length_count++] = length_ms;
}

Recording current_recording(std::int32_t final_score) {
  Recording r;
  r.edition = app::edition;
  r.penalty = app::highscore_penalty;
  r.start_seconds = log_start_seconds();
  r.start_millis = log_start_millis();
  r.noise_start = noise_at_start;
  const int n = frame_count_recorded();
  r.frames.resize(n);
  for (int i = 0; i < n; ++i) {
    const FrameEntry f = frame_at(i);
    r.frames[i] = {f.frame_time, f.input, i < clock_count ? clock_log[i] : 0,
                   i < length_count ? length_log[i] : 0};
  }
  const int m = event_count();
  r.events.resize(m);
  for (int i = 0; i < m; ++i) r.events[i] = event_at(i);
  r.score = final_score;
  return r;
}

}  // namespace qzx
