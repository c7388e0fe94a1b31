// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/command_line.h"
#include "game/GrumboldX/game_folders.h"
#include "game/GrumboldX/highscores.h"
#include "game/GrumboldX/language.h"
#include "game/GrumboldX/main_loop.h"
#include "game/GrumboldX/replay_command.h"
#include "game/GrumboldX/video_command.h"
#include "game/GrumboldX/window.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/round.h"
#include "game/resources/archive.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "game/upload/redirect_server.h"
#include "platform/platform.h"
#include "platform/upload_ui.h"
#include "platform/user_folders.h"

namespace front {

int game_main(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    line += argv[i];
  }
  std::string language, language_error;
  if (!language_option(argc, argv, language, language_error)) {
    std::fprintf(stderr, "GrumboldX: %s\n", language_error.c_str());
    plat::shutdown();
    return 2;
  }
  const GameFolders folders = find_game_folders(line.c_str());
  plat::set_window_icon(folders.window_icon);
  plat::set_own_server(redirect_server);
  for (int i = 1; i < argc; ++i)
    if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
      std::fputs(help_text(folders).c_str(), stdout);
      plat::shutdown();
      return 0;
    }
  if (folders.installed) {
    std::string error;
    if (!enter_game_folders(folders, error)) {
      std::fprintf(stderr, "GrumboldX: %s\n", error.c_str());
      plat::shutdown();
      return 1;
    }
    res::debug_log_set_path(folders.log_file.c_str());
    app::edition = folders.edition;
  }

  res::debug_log_reset();
  res::debug_log("      Grumbold X\n");
  const plat::WallTime now = plat::wall_time_utc();
  res::debug_log("  %4d-%02d-%02d %02d:%02d:%02d\n", now.year, now.month, now.day, now.hour,
                 now.minute, now.second);
  res::debug_log("\n");

  read_command_line(line.c_str());

  init_display();
  if (!plat::window_exists() && !fatal_message_shown()) {
    // Without a window there is nothing to show and no way to end: stop here.
    res::debug_log("ERROR: could not create the window\n");
    std::fprintf(stderr, "GrumboldX: could not create the window\n");
    plat::shutdown();
    return 1;
  }
  // The HTML view's host starts once; without it the upload dialog shows plain text only.
  if (plat::html_host_start()) {
    res::debug_log("OleInitialize ok\n");
  } else {
    app::html_enabled = false;
    res::debug_log("ERROR: OleInitialize not ok\n");
  }

  if (!res::xfinit(folders.archive.c_str())) {
    show_fatal_message(1, "Error opening data file\n");
    res::fatal_exit(1);
  }

  if (!choose_language(language, plat::user_language(), language_error)) {
    std::fprintf(stderr, "GrumboldX: %s\n", language_error.c_str());
    res::debug_log("ERROR: %s\n", language_error.c_str());
    res::xfdone();
    plat::shutdown();
    return 2;
  }
  text::load_texts(app::language.c_str());
  set_default_highscores();
  load_highscores();
  res::random_seed(static_cast<std::uint32_t>(plat::wall_time_seconds()));

  // A failed display set-up has already shown its message and closed the window: nothing can
  // be loaded into surfaces, and the quit message is on its way.
  if (plat::display_exists()) {
    gfx::load_catalogue();  // measures the pixel format and shows the loading screen
    text::load_font();
    sound::load_sounds();  // the loading bar's last steps; hides the loading screen
    sound::init_sound();
  }
  set_title_buttons();

  app::scene = 1;
  app::frame_time = 1092;  // every round set-up starts the frame time at 1/60 s
  if (plat::display_exists()) qzx::round_setup(false);

  gfx::clear_surface(gfx::back_buffer);
  gfx::clear_surface(gfx::primary);
  if (plat::display_exists()) gfx::start_transition(1);
  res::debug_log("Init ok\n");

  std::string replay_path;
  if (replay_argument(argc, argv, replay_path)) {
    if (!plat::display_exists()) {
      plat::shutdown();
      return replay_unreadable;
    }
    std::string video_path;
    if (video_argument(argc, argv, video_path)) {
      const int code = run_video_export(replay_path.c_str(), video_path.c_str());
      res::xfdone();
      plat::shutdown();
      return code;
    }
    if (plat::is_headless()) {
      // As fast as it goes, without a picture: the outcome is the printed event log.
      const int code = run_headless_replay(replay_path.c_str());
      res::xfdone();
      plat::shutdown();
      return code;
    }
    if (!start_window_replay(replay_path.c_str())) {
      res::xfdone();
      plat::shutdown();
      return replay_unreadable;
    }
  }

  int exit_code = run_main_loop();
  plat::shutdown();
  // A fatal message box ended the start: tell the caller it failed.
  if (fatal_message_shown()) exit_code = 1;
  return exit_code;
}

}  // namespace front
