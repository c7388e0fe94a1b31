// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_folders.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace plat {

namespace {

std::string xdg_folder(const char* variable, const char* fallback) {
  const char* set = std::getenv(variable);
  if (set && set[0] == '/') return set;
  const char* home = std::getenv("HOME");
  if (!home || home[0] != '/') return "";
  return std::string(home) + "/" + fallback;
}

}  // namespace

std::string program_folder() {
#ifdef __EMSCRIPTEN__
  // A web page lays its files out as an installation (platform/web/pre.js): the editions'
  // archives in /usr/share/grumboldx, the player's files kept by the browser.
  return "/usr/games";
#endif
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : self.parent_path().string();
}

std::string user_data_home() { return xdg_folder("XDG_DATA_HOME", ".local/share"); }
std::string user_state_home() { return xdg_folder("XDG_STATE_HOME", ".local/state"); }

bool file_exists(const std::string& path) {
  struct stat s {};
  return !path.empty() && stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

bool make_folders(const std::string& path) {
  if (path.empty()) return false;
  std::string at;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '/') continue;
    at = path.substr(0, i);
    if (at.empty()) continue;
    if (mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  struct stat s {};
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

}  // namespace plat

namespace plat {

std::string user_language() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (!value || !*value) continue;
    const auto letter = [](char c) { return c >= 'a' && c <= 'z'; };
    const std::string v = value;
    if (v.size() >= 2 && letter(v[0]) && letter(v[1]) && (v.size() == 2 || v[2] == '_' || v[2] == '.' || v[2] == '@'))
      return v.substr(0, 2);
    return "";  // C, POSIX or a setting in another form: the game's own language
  }
  return "";
}

}  // namespace plat
