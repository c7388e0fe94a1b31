// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/aimed_player.h"

#include <sstream>

#include "game/app/app.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"

namespace test_support {

namespace {

int next(AimedPlayer& p, int n) {
  p.state = p.state * 1103515245u + 12345u;
  return static_cast<int>((p.state >> 16) % static_cast<std::uint32_t>(n));
}

bool aimable(const qzx::Enemy& e) {
  if (!(e.flags & qzx::f_in_use) || !(e.flags & qzx::f_shootable)) return false;
  if (e.kind == qzx::kind_flying_chicken) return e.state == 1;
  if (e.kind == qzx::kind_ground_chicken) return e.state == 4 || e.state == 5;
  return false;
}

}  // namespace

std::uint32_t aimed_input(AimedPlayer& p, std::int32_t round_time) {
  // The pointer is where the game left it: a bee sting throws it.
  p.cursor_x = app::cursor_x;
  p.cursor_y = app::cursor_y;
  bool click = false, right_click = false;
  if (p.arrow_frames > 0) {
    --p.arrow_frames;
  } else if (next(p, 400) == 0) {
    p.arrow_frames = 20 + next(p, 60);
    p.arrow_right = next(p, 2) == 0;
  }
  if (p.cooldown > 0) {
    --p.cooldown;
  } else if (qzx::players[0].cartridges == 0) {
    right_click = true;
    p.cooldown = 6;
  } else {
    for (int i = qzx::enemy_slots - 1; i >= 0; --i) {
      const qzx::Enemy& e = qzx::enemies[i];
      if (!aimable(e)) continue;
      const gfx::FrameRect r = gfx::frame_rect(qzx::sprite_row(e), e.frame >> 8);
      // Where the chicken will be when the shot is resolved, after its move in this frame.
      const int dx = static_cast<int>(static_cast<std::int64_t>(e.vx) * app::frame_time / 65536 >> 16);
      const int x = qzx::screen_x(e) + r.left + r.width / 2 + dx;
      const int y = (e.y >> 16) + r.top + r.height / 2;
      if (x < 20 || x > 780 || y < 20 || y > 580) continue;
      p.cursor_x = x;
      p.cursor_y = y;
      if (next(p, 100) < p.miss_percent) p.cursor_x += (next(p, 2) ? 1 : -1) * (r.width / 2 + 10);
      if (p.cursor_x < 0) p.cursor_x = 0;
      if (p.cursor_x > 799) p.cursor_x = 799;
      click = true;
      p.cooldown = 8 + next(p, 12);
      break;
    }
  }
  return qzx::pack_input(p.cursor_x, p.cursor_y, p.arrow_frames > 0 && !p.arrow_right,
                         p.arrow_frames > 0 && p.arrow_right, click, right_click, round_time);
}

}  // namespace test_support

#include "game/app/frame_timing.h"
#include "game/gfx/draw.h"

namespace test_support {

qzx::Recording play_whole_game(AimedPlayer& player, const FrameLengths& lengths,
                               std::uint32_t start_seconds, std::uint32_t start_millis,
                               const std::function<void(int)>& before_frame) {
  const bool drawing_before = gfx::drawing();
  gfx::set_drawing(false);
  std::uint32_t rng = lengths.seed;
  auto draw = [&rng](int n) {
    rng = rng * 1664525u + 1013904223u;
    return static_cast<int>((rng >> 8) % static_cast<std::uint32_t>(n));
  };
  gfx::cancel_transition();
  app::cursor_x = player.cursor_x;
  app::cursor_y = player.cursor_y;
  app::scene = 1;
  qzx::use_recorded_start(start_seconds, start_millis);
  qzx::round_setup(true);
  qzx::use_wall_clock_start();
  gfx::start_transition(1);
  // Edition XS starts its rounds from the branding screen, which cuts the transition short.
  if (app::edition == app::edition_xs) gfx::cancel_transition();
  std::uint32_t t = 5000000;
  for (int frame = 0; frame < qzx::max_frames; ++frame) {
    const std::uint32_t t0 = t;
    frame_timing_start(t0);
    if (before_frame) before_frame(frame);
    const std::uint32_t input = aimed_input(player, app::round_time);
    const qzx::FrameInput in = qzx::unpack_input(input);
    app::cursor_x = in.cursor_x;
    app::cursor_y = in.cursor_y;
    const qzx::RoundOutcome outcome = qzx::round_frame(in);
    if (outcome == qzx::RoundOutcome::game_over) break;
    gfx::transition_step();
    int length = lengths.shortest_ms + draw(lengths.longest_ms - lengths.shortest_ms + 1);
    if (lengths.stall_every > 0 && draw(lengths.stall_every) == 0) length = lengths.stall_ms;
    t = t0 + static_cast<std::uint32_t>(length);
    frame_timing_finish(t0, t, gfx::transition_running());
    qzx::note_frame_length(length);
  }
  gfx::cancel_transition();
  gfx::set_drawing(drawing_before);
  return qzx::current_recording(qzx::score());
}

void open_the_yard() {
  qzx::set_score(qzx::score() + 900);
  qzx::round.gate_open = true;
  qzx::round.sign_turned = true;
}

std::function<void(int)> yard_opener(int& yard_frame) {
  yard_frame = -1;
  return [&yard_frame](int frame) {
    if (yard_frame < 0 && app::scene == 1 && app::round_time < 2 * 65536) {
      yard_frame = frame;
      open_the_yard();
    }
  };
}

std::function<void(int)> yard_opener_at(int yard_frame) {
  return [yard_frame](int frame) {
    if (frame == yard_frame) open_the_yard();
  };
}

std::string script_of(const std::vector<std::uint32_t>& inputs, int start_frame) {
  std::ostringstream s;
  s << "30 move 200 540\n100 ldown\n" << start_frame << " lup\n";
  int x = -1, y = -1;
  bool left = false, right = false;
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const int frame = start_frame + static_cast<int>(i);
    const qzx::FrameInput in = qzx::unpack_input(inputs[i]);
    if (in.cursor_x != x || in.cursor_y != y) s << frame << " move " << in.cursor_x << ' ' << in.cursor_y << '\n';
    x = in.cursor_x;
    y = in.cursor_y;
    if (in.left != left) s << frame << (in.left ? " keydown" : " keyup") << " LEFT\n";
    if (in.right != right) s << frame << (in.right ? " keydown" : " keyup") << " RIGHT\n";
    left = in.left;
    right = in.right;
    if (in.click) s << frame << " ldown\n" << frame + 1 << " lup\n";
    if (in.right_click) s << frame << " rdown\n" << frame + 1 << " rup\n";
  }
  return s.str();
}

// The aimed player on the frames of a recorded round: its frame times and round clock.
AimedRound play_aimed(const qzx::Recording& timing) {
  app::reset();
  app::edition = timing.edition;
  AimedRound out;
  AimedPlayer player;
  app::cursor_x = player.cursor_x;
  app::cursor_y = player.cursor_y;
  qzx::begin_replay(timing);
  for (std::size_t i = 0; i < timing.frames.size(); ++i) {
    const qzx::RecordedFrame& f = timing.frames[i];
    app::frame_time = f.frame_time;
    const std::uint32_t input = aimed_input(player, f.round_time);
    out.inputs.push_back(input);
    const std::int32_t before = qzx::score();
    const qzx::RoundOutcome o = qzx::replay_frame(f.frame_time, input, f.round_time);
    if (out.first_kill_frame < 0 && qzx::score() > before) out.first_kill_frame = static_cast<int>(i);
    if (o == qzx::RoundOutcome::game_over) break;
  }
  out.score = qzx::score();
  for (int i = 0; i < qzx::event_count(); ++i) out.events.push_back(qzx::event_at(i));
  qzx::end_replay();
  return out;
}

}  // namespace test_support
