#include "game/GrumboldX/main_loop.h"

#include "game/GrumboldX/app.h"
#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/frame_timing.h"
#include "game/GrumboldX/window.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/surfaces.h"
#include "game/resources/archive.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "platform/platform.h"

namespace {

// Consecutive flip failures (other than a lost surface) after which a frame gives up showing
// its picture, so a broken display cannot hang the game.
constexpr int max_flip_failures = 100;

bool pointer_confined = false;

// The full-screen picture each screen shows behind its own content.
int screen_picture_of(int state) {
  switch (state) {
    case app::state_help: return 1;
    case app::state_highscores:
    case app::state_name_entry: return 2;
    case app::state_exit: return 3;
    case app::state_branding: return 4;
    default: return 0;
  }
}

void present() {
  if (!gfx::primary) return;
  int failures = 0;
  for (;;) {
    const plat::HRESULT r = plat::surface_flip(gfx::primary);
    if (r == plat::DD_OK) return;
    if (r == plat::DDERR_SURFACELOST) gfx::restore_surfaces();
    else ++failures;
    REPORT_DD(r);
    if (failures >= max_flip_failures) {
      debug_log("ERROR: flip failed %d times, frame not shown\n", failures);
      return;
    }
  }
}

}  // namespace

void run_game_state() {
  switch (app::game_state) {
    case app::state_title:
    case app::state_highscores:
    case app::state_name_entry:
    case app::state_help:
      gfx::clear_draw_list();
      gfx::show_screen_picture(screen_picture_of(app::game_state));
      gfx::draw_cursor(0);
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_round:
      gfx::clear_draw_list();
      gfx::draw_cursor(0);
      gfx::flush_draw_list();
      gfx::transition_step();
      break;
    case app::state_branding:
      gfx::clear_draw_list();
      gfx::show_screen_picture(screen_picture_of(app::game_state));
      gfx::cancel_transition();
      gfx::flush_draw_list();
      break;
    case app::state_exit: {
      gfx::clear_draw_list();
      gfx::show_screen_picture(screen_picture_of(app::game_state));
      const bool quit = run_exit_screen();
      gfx::flush_draw_list();
      gfx::transition_step();
      if (quit) quit_game();
      break;
    }
    default:
      app::game_state = app::state_title;
      break;
  }
}

void run_frame() {
  const std::uint32_t t0 = plat::time_ms();
  frame_timing_start(t0);
  latch_clicks();
  // In a window the pointer stays inside while a round runs, so the edges can be reached.
  const bool confine = app::game_state == app::state_round;
  if (confine != pointer_confined) {
    plat::confine_pointer(confine);
    pointer_confined = confine;
  }

  run_game_state();
  if (!app::app_active) return;  // a quit: no flip, no wait, no measurement

  present();
  plat::wait_frame_end(t0, 10);
  const std::uint32_t t1 = plat::time_ms();
  frame_timing_end(t0, t1, gfx::transition_running());
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
  xfdone();
  debug_log("Grumbold X end\n");
  return exit_code;
}

void quit_game() {
  app::app_active = false;
  release_all();
  plat::post_message(plat::WM_CLOSE);
}
