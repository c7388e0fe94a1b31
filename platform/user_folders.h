// SPDX-License-Identifier: GPL-3.0-or-later
// Where a program and its user's files are: the running program's own folder, and the folders
// the XDG base directory rules give for data and state ($XDG_DATA_HOME, else ~/.local/share;
// $XDG_STATE_HOME, else ~/.local/state; a relative setting is ignored, as the rules say).
#pragma once

#include <string>

namespace plat {

// The folder of the running program ("" when it cannot be told).
std::string program_folder();
std::string user_data_home();   // "" when neither the variable nor HOME is set
std::string user_state_home();
bool file_exists(const std::string& path);
// The language of the user's locale: the first of LC_ALL, LC_MESSAGES and LANG that is set and
// not empty, as its two lower-case letters ("en_GB.UTF-8" → "en"); "" for C, POSIX or none.
std::string user_language();
// Makes the folder and its missing parents (mode 0700 for new ones); true when it is there.
bool make_folders(const std::string& path);

}  // namespace plat
