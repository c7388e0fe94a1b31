// SPDX-License-Identifier: GPL-3.0-or-later
// A recorded game rendered as the player saw it: the frames run again with the drawing on, each
// composed picture handed on at the moment it was shown, and the sound device's mix of the time
// it stayed on screen after it.
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/replay.h"
#include "game/sound/sound.h"

namespace qzx {

std::vector<std::int64_t> frame_start_times_ms(const Recording& r) {
  std::vector<std::int64_t> times;
  times.reserve(r.frames.size() + 1);
  // Frame times are 16.16 seconds: summed exactly, and each moment rounded on its own, so the
  // rounding never adds up.
  std::int64_t recorded_ms = 0, frame_time_sum = 0;
  times.push_back(0);
  for (const RecordedFrame& f : r.frames) {
    if (f.length_ms > 0) {
      recorded_ms += f.length_ms;
      times.push_back(recorded_ms + (frame_time_sum * 1000 + 32768) / 65536);
    } else {
      frame_time_sum += f.frame_time;
      times.push_back(recorded_ms + (frame_time_sum * 1000 + 32768) / 65536);
    }
  }
  return times;
}

namespace {

// The composed picture, before it is shown.
bool hand_on_picture(RenderSink& sink, std::int64_t time_ms) {
  void* pixels = nullptr;
  int pitch = 0;
  plat::PixelFormat format{};
  if (plat::surface_get_pixel_format(gfx::back_buffer, &format) != plat::DD_OK ||
      plat::surface_lock(gfx::back_buffer, nullptr, &pixels, &pitch) != plat::DD_OK)
    return false;
  const bool ok = sink.picture(static_cast<const std::uint16_t*>(pixels), pitch, format, time_ms);
  plat::surface_unlock(gfx::back_buffer);
  return ok;
}

}  // namespace

RenderResult render_recording(const Recording& r, ClockSource clock, RenderSink& sink) {
  RenderResult out;
  if (!gfx::primary || !gfx::back_buffer) return out;
  const std::vector<std::int32_t> clocks = round_clocks(r, clock);
  const std::vector<std::int64_t> times = frame_start_times_ms(r);
  bool sink_ok = true;
  plat::capture_sound([&](const std::int16_t* samples, int frames) {
    if (sink_ok) sink_ok = sink.sound(samples, frames);
  });
  // The game opens on a black screen; the round's transition comes in over it.
  gfx::cancel_transition();
  gfx::clear_surface(gfx::back_buffer);
  gfx::clear_surface(gfx::primary);
  begin_replay(r, true);
  // Edition XS starts its rounds from the branding screen, which shows at once.
  if (app::edition == app::edition_xs) gfx::cancel_transition();
  sound::play_sound(sound::sound_game_start);

  const int n = static_cast<int>(r.frames.size());
  std::int64_t last_picture = -1;
  int i = 0;
  for (; i < n && sink_ok; ++i) {
    const RoundOutcome outcome = replay_frame(r.frames[i].frame_time, r.frames[i].input, clocks[i]);
    out.replay.frames_run = i + 1;
    gfx::flush_draw_list();
    gfx::transition_step();
    // Frames shorter than a millisecond share their moment: the later picture is the one seen.
    if (times[i] > last_picture && (i + 1 == n || times[i + 1] > times[i])) {
      sink_ok = hand_on_picture(sink, times[i]);
      last_picture = times[i];
    }
    plat::surface_flip(gfx::primary);
    if (!plat::advance_headless_clock(static_cast<std::uint32_t>(times[i + 1] - times[i])))
      sink_ok = false;
    sink.progress(i + 1, n);
    if (outcome == RoundOutcome::game_over) {
      out.replay.finished = i == n - 1;
      ++i;
      break;
    }
  }
  plat::capture_sound(nullptr);
  take_outcome(out.replay);
  out.length_ms = times[i];
  out.completed = sink_ok;
  stop_round_sounds();
  end_replay();
  return out;
}

}  // namespace qzx
