// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/language.h"

#include <cstring>

#include "game/app/app.h"
#include "game/gfx/picture.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/text/translations.h"

namespace front {

bool language_option(int argc, char** argv, std::string& code, std::string& error) {
  code.clear();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-lang") != 0) continue;
    if (i + 1 >= argc || !text::is_language_code(argv[i + 1])) {
      error = "-lang needs a language code such as de or en";
      return false;
    }
    code = argv[++i];
  }
  return true;
}

bool archive_has_language(const std::string& code) {
  if (code == "de") return true;
  if (!text::is_language_code(code)) return false;
  const std::string base = "data\\" + code + "\\text";
  return res::xfexist(base.c_str(), ".txt");
}

bool choose_language(const std::string& option, const std::string& locale, std::string& error) {
  std::string chosen = "de";
  if (!option.empty()) {
    if (!archive_has_language(option)) {
      error = "this archive has no language " + option;
      return false;
    }
    chosen = option;
  } else if (archive_has_language(locale)) {
    chosen = locale;
  }
  app::language = chosen;
  gfx::set_picture_language(chosen.c_str());
  if (chosen != "de") res::debug_log("language: %s\n", chosen.c_str());
  return true;
}

}  // namespace front
