// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/game_folders.h"

#include <filesystem>

#include "game/GrumboldX/command_line.h"
#include "game/app/app.h"
#include "platform/user_folders.h"

namespace front {

namespace {

const char* edition_folder(int edition) {
  return edition == app::edition_xs ? "XS" : edition == app::edition_xl ? "XL" : "XXL";
}
const char* player_folder(int edition) {
  return edition == app::edition_xs ? "xs" : edition == app::edition_xl ? "xl" : "xxl";
}

}  // namespace

GameFolders find_game_folders(const char* line) {
  GameFolders f;
  const std::string program = plat::program_folder();
  if (program.empty()) return f;
  const std::string top = std::filesystem::path(program).parent_path().string();
  // The window's icon: an installation's, else a build tree's.
  for (const std::string& icon : {top + "/share/grumboldx/grumboldx.bmp", top + "/data/icons/grumboldx.bmp"})
    if (f.window_icon.empty() && plat::file_exists(icon)) f.window_icon = icon;
  if (plat::file_exists("grumboldX.dat")) return f;
  const std::string share = top + "/share/grumboldx/";
  const int edition = edition_option(line, app::edition_xxl);
  const std::string archive = share + edition_folder(edition) + "/grumboldX.dat";
  if (!plat::file_exists(archive)) return f;
  const std::string data = plat::user_data_home(), state = plat::user_state_home();
  if (data.empty() || state.empty()) return f;  // no home to keep anything in: as before
  f.installed = true;
  f.edition = edition;
  f.archive = archive;
  f.data_folder = data + "/grumboldx/" + player_folder(edition);
  f.state_folder = state + "/grumboldx";
  f.log_file = f.state_folder + "/debug.txt";
  return f;
}

bool enter_game_folders(const GameFolders& f, std::string& error) {
  if (!f.installed) return true;
  for (const std::string* folder : {&f.data_folder, &f.state_folder})
    if (!plat::make_folders(*folder)) {
      error = "cannot make the folder " + *folder;
      return false;
    }
  app::player_folder = f.data_folder + "/";
  return true;
}

std::string help_text(const GameFolders& f) {
  std::string t =
      "usage: grumboldx [-XS | -XL | -XXL] [-lang CODE] [-nohtml] [-vsync]\n"
      "                 [-replay FILE [-video OUT.webm]]\n"
      "  -XS, -XL, -XXL  the edition to play (installed: XXL unless one is given)\n"
      "  -lang CODE      the language: de (German) or en (English); without it the locale's\n"
      "                  (LC_ALL, LC_MESSAGES, LANG) when the game has it, else German\n"
      "  -nohtml         the upload dialog shows the server's answers as plain text\n"
      "  -vsync          wait for the screen's refresh before each picture\n"
      "  -replay FILE    play a recording (lastgame.rec) back; headless, the exit code tells\n"
      "                  whether it reproduced the game (0), could not be read (2) or diverged (3)\n"
      "  -video OUT.webm with -replay: writes the game as a video (VP9 and Opus in WebM) as\n"
      "                  the player saw and heard it, and exits; 1 when it cannot be written\n"
      "  --help          this text\n\n";
  if (f.installed) {
    t += "installed: the archive is " + f.archive + "\n";
    t += "highscores.txt and lastgame.rec are kept in " + f.data_folder + "\n";
    t += "debug.txt is written to " + f.log_file + "\n";
  } else {
    t += "the archive grumboldX.dat is read from the working folder, and highscores.txt,\n"
         "lastgame.rec and debug.txt are written there\n";
  }
  return t;
}

}  // namespace front
