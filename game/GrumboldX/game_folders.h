// SPDX-License-Identifier: GPL-3.0-or-later
// Where the game reads its archive and writes its files. Started in a folder that holds
// "grumboldX.dat" (as ./play does), or anywhere else that is not an installation, everything is
// in the working folder, as always. An installed game (the editions' archives in
// ../share/grumboldx/XS|XL|XXL beside its program) reads the edition's archive from there (XXL
// unless an option picks another) and keeps the player's files in the player's folders:
// highscores.txt and lastgame.rec in $XDG_DATA_HOME/grumboldx/<edition>/, debug.txt in
// $XDG_STATE_HOME/grumboldx/ (~/.local/share and ~/.local/state when unset), made as needed.
#pragma once

#include <string>

namespace front {

struct GameFolders {
  bool installed = false;
  int edition = 0;                       // installed: the edition to play
  std::string archive = "grumboldX.dat";
  std::string data_folder;               // installed: the player's files; else the working folder
  std::string state_folder;              // installed: the log's folder
  std::string log_file = "debug.txt";
  std::string window_icon;               // the icon's BMP, where one is found
};

// line: the command line, for the edition options.
GameFolders find_game_folders(const char* line);
// Makes the player's folders and keeps the player's files in the data folder (app::player_folder);
// false with the reason.
bool enter_game_folders(const GameFolders& f, std::string& error);
// "--help": the options, and where this run reads and writes.
std::string help_text(const GameFolders& f);

}  // namespace front
