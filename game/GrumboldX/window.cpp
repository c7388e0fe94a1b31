// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/window.h"

#include <cstdarg>
#include <cstdio>

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/help_screen.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/GrumboldX/highscores.h"
#include "game/GrumboldX/main_loop.h"
#include "game/GrumboldX/name_entry.h"
#include "game/GrumboldX/round_flow.h"
#include "game/GrumboldX/title_screen.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/surfaces.h"
#include "game/ogg/music.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "game/sound/sound.h"
#include "game/text/font.h"

namespace front {

namespace {

bool fatal_shown = false;

// Steps of the display set-up, shared by the start and the return to full screen; both
// surfaces start black.
int create_display() {
  using namespace plat;
  HRESULT r = display_create();
  if (r != DD_OK) return show_fatal_message(r, "DirectDrawCreateEx FAILED");
  r = display_set_cooperative_level();
  if (r != DD_OK) return show_fatal_message(r, "SetCooperativeLevel FAILED");
  r = display_query_interface();
  if (r != DD_OK) return show_fatal_message(r, "QueryInterface FAILED");
  r = display_set_mode(800, 600, 16);
  if (r != DD_OK) return show_fatal_message(r, "SetDisplayMode FAILED");
  r = display_create_primary(&gfx::primary);
  if (r != DD_OK) return show_fatal_message(r, "CreateSurface FAILED");
  r = display_get_back_buffer(gfx::primary, &gfx::back_buffer);
  if (r != DD_OK) return show_fatal_message(r, "GetAttachedSurface FAILED");
  gfx::clear_surface(gfx::primary);
  gfx::clear_surface(gfx::back_buffer);
  return 0;
}

void release_display() {
  if (gfx::primary) REPORT_DD(plat::surface_release(gfx::primary));  // with its back buffer
  gfx::primary = nullptr;
  gfx::back_buffer = nullptr;
  plat::display_release();
}

// Key presses; every key answers 0, whether handled here or left to default processing.
void key_down(std::uint64_t key, std::int64_t lparam) {
  app::last_key = static_cast<int>(key);
  const int scan_code = static_cast<int>((lparam >> 16) & 0xFF);
  const bool name_entry = app::game_state == app::state_name_entry;
  switch (key) {
    case plat::VK_RETURN:
      // The name is finished: the table shows without a transition.
      if (name_entry) {
        name_entry_key(static_cast<int>(key), scan_code);
        app::game_state = app::state_highscores;
      }
      return;
    case plat::VK_ESCAPE:
      switch (app::game_state) {
        case app::state_title:
          app::game_state = app::state_exit;
          reset_exit_screen();
          break;
        case app::state_round:
          end_round_to_title();
          break;
        case app::state_highscores:
          leave_highscores();
          break;
        case app::state_help:
          app::game_state = app::state_title;
          set_title_buttons();
          gfx::start_transition(1);
          break;
        case app::state_exit:
          if (exit_clock >= exit_screen_patience) quit_game();
          break;
        default:
          break;
      }
      return;
    case 'M':
      // In the name entry M types its letter (through its character message).
      if (name_entry)
        name_entry_key(static_cast<int>(key), scan_code);
      else
        sound::toggle_music();
      return;
    case plat::VK_F1:
    case plat::VK_F1 + 1:
    case plat::VK_F1 + 2:
      return;
    default:
      if (name_entry) name_entry_key(static_cast<int>(key), scan_code);
      return;
  }
}

// A left button release over a screen with buttons.
void button_released() {
  switch (app::game_state) {
    case app::state_title: title_click(); break;
    case app::state_highscores: highscore_click(); break;
    case app::state_help: help_click(); break;
    default: break;
  }
}

// The exit screen's chosen address opens in the browser once the game has let go of the screen.
void open_exit_link() {
  if (!exit_link[0]) return;
  if (!plat::open_url(exit_link)) res::debug_log("ERROR: web address refused: %s\n", exit_link);
}

int clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

int show_fatal_message(int code, const char* format, ...) {
  char text[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  fatal_shown = true;
  release_all();
  plat::message_box(text, "GrumboldX");
  destroy_window();
  return code;
}

bool fatal_message_shown() { return fatal_shown; }

int init_display() {
  if (!plat::window_create("GrumboldX")) return 0;
  return create_display();
}

void release_all() {
  res::debug_log("terminate sound\n");
  sound::terminate_sound(true);
  res::debug_log("release sprites\n");
  gfx::release_surfaces(1);
  res::debug_log("release text\n");
  text::release_font();
  res::debug_log("release dd\n");
  if (plat::display_exists()) release_display();
}

bool leave_fullscreen() {
  sound::terminate_sound(false);
  gfx::release_surfaces(0);
  text::release_font();
  release_display();
  return true;
}

int enter_fullscreen() {
  const int result = create_display();
  if (result != 0) return result;
  gfx::recreate_surfaces();
  text::load_font();
  sound::init_sound();
  return 1;
}

void destroy_window() {
  if (!plat::window_exists()) return;
  plat::window_destroy();
  window_procedure(plat::WM_DESTROY, 0, 0);
}

std::int64_t window_procedure(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam) {
  using namespace plat;
  switch (message) {
    case WM_DESTROY:
      res::debug_log("saving highscores\n");
      // Only a table set up in this run is saved: a start that failed before would otherwise
      // overwrite the player's file with an empty or default table.
      if (highscores_set_up()) save_highscores();
      app::app_active = false;
      release_all();
      open_exit_link();
      post_quit_message(0);
      return 0;
    case WM_SIZE:
      if (app::game_state == app::state_round) end_round_to_title();
      break;
    case WM_ACTIVATE:
      return 0;
    case WM_SETFOCUS:
      app::app_active = true;
      return 0;
    case WM_KILLFOCUS:
      app::app_active = false;
      return 0;
    case WM_SETCURSOR:
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      key_down(wparam, lparam);
      return 0;
    case WM_CHAR:
      // Typed text: only the name entry takes it.
      if (app::game_state == app::state_name_entry)
        name_entry_char(static_cast<std::uint32_t>(wparam));
      return 0;
    case WM_MOUSEMOVE:
      app::cursor_x = clamp(static_cast<int>(lparam & 0xFFFF), 0, 799);
      app::cursor_y = clamp(static_cast<int>((lparam >> 16) & 0xFFFF), 0, 599);
      break;
    case WM_LBUTTONDOWN:
      app::click_pending = true;
      app::button_held = true;
      break;
    case WM_LBUTTONUP:
      app::button_held = false;
      button_released();
      break;
    case WM_RBUTTONDOWN:
      app::right_click_pending = true;
      break;
    default:
      break;
  }
  // Default processing: closing the window destroys it.
  if (message == WM_CLOSE) destroy_window();
  return 0;
}

}  // namespace front
