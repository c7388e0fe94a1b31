// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/main_loop.h"

#include "game/GrumboldX/branding.h"
#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/frame_stats.h"
#include "game/GrumboldX/help_screen.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/GrumboldX/highscores.h"
#include "game/GrumboldX/replay_command.h"
#include "game/GrumboldX/round_flow.h"
#include "game/GrumboldX/title_screen.h"
#include "game/GrumboldX/window.h"
#include "game/app/app.h"
#include "game/app/frame_timing.h"
#include "game/gfx/draw.h"
#include "game/gfx/surfaces.h"
#include "game/ogg/music.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "platform/platform.h"

namespace front {

namespace {

// Flip attempts after which a frame gives up showing its picture, so a broken display cannot
// hang the game.
constexpr int max_flip_failures = 100;
bool display_broken = false;

bool pointer_confined = false;

constexpr int full_music_volume = 10000;

void start_title_music() {
  if (!sound::music_requested()) sound::start_music(title_music);
}

void present() {
  if (!gfx::primary) return;
  // Once a frame has given up, later frames try one flip each, without reporting, until one
  // succeeds: a display that stays broken neither hangs the game nor floods the log.
  const int attempts = display_broken ? 1 : max_flip_failures;
  for (int failures = 1;; ++failures) {
    const plat::HRESULT r = plat::surface_flip(gfx::primary);
    if (r == plat::DD_OK) {
      if (display_broken) res::debug_log("flip works again\n");
      display_broken = false;
      return;
    }
    if (r == plat::DDERR_SURFACELOST) gfx::restore_surfaces();
    if (!display_broken) REPORT_DD(r);
    if (failures >= attempts) {
      if (!display_broken)
        res::debug_log("ERROR: flip failed %d times, frame not shown\n", failures);
      display_broken = true;
      return;
    }
  }
}

}  // namespace

void run_game_state() {
  // A fade started where a game starts goes on every frame until the music has stopped.
  if (sound::music_volume() < full_music_volume) sound::fade_music_step();
  switch (app::game_state) {
    case app::state_title:
      start_title_music();
      draw_title();
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_round:
      run_round();
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_highscores:
    case app::state_name_entry:
      run_highscore_music();
      draw_highscores(app::game_state == app::state_name_entry ? new_entry_rank : -1);
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_help:
      draw_help();
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_exit: {
      start_title_music();
      const bool quit = run_exit_screen();
      gfx::flush_draw_list();
      gfx::transition_step();
      if (quit) quit_game();
      break;
    }
    case app::state_branding:
      run_start_branding();
      // The branding shows at once: a running transition is cut short.
      gfx::cancel_transition();
      gfx::flush_draw_list();
      break;
    default:
      set_title_buttons();
      app::game_state = app::state_title;
      break;
  }
}

void run_frame() {
  FrameStopwatch stopwatch;  // compose, present and wait times for GRUMBOLDX_STATS
  const std::uint32_t t0 = plat::time_ms();
  frame_timing_start(t0);
  latch_clicks();
  // In a window the pointer stays inside while a round runs, so the edges can be reached.
  const bool confine = app::game_state == app::state_round;
  if (confine != pointer_confined) {
    plat::confine_pointer(confine);
    pointer_confined = confine;
  }

  const bool in_round = app::game_state == app::state_round;
  run_game_state();
  if (!app::app_active) return;  // a quit: no flip, no wait, no measurement

  stopwatch.lap();
  present();
  stopwatch.lap();
  plat::wait_frame_end(t0, replay_frame_wait_ms());
  const std::uint32_t t1 = plat::time_ms();
  const std::int32_t length = frame_timing_end(t0, t1, gfx::transition_running());
  if (in_round) qzx::note_frame_length(length);
  clear_click_latches();
}

void latch_clicks() {
  if (app::click_pending) {
    app::click = true;
    app::click_pending = false;
  }
  if (app::right_click_pending) {
    app::right_click = true;
    app::right_click_pending = false;
  }
}

void clear_click_latches() {
  app::click = false;
  app::right_click = false;
}

int run_main_loop() {
  int exit_code = 0;
  for (;;) {
    plat::Message m;
    if (plat::peek_message(m)) {
      if (m.message == plat::WM_QUIT) {
        exit_code = static_cast<int>(m.wparam);
        break;
      }
      window_procedure(m.message, m.wparam, m.lparam);
      continue;
    }
    // In the background nothing advances; wait for the next message instead of polling.
    if (!app::app_active) {
      plat::wait_message();
      continue;
    }
    run_frame();
  }
  res::xfdone();
  res::debug_log("Grumbold X end\n");
  return exit_code;
}

void quit_game() {
  app::app_active = false;
  release_all();
  plat::post_message(plat::WM_CLOSE);
}

}  // namespace front
