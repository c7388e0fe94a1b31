// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/command_line.h"

#include <cstring>

#include "game/app/app.h"
#include "game/resources/log.h"
#include "platform/platform.h"

namespace front {

void read_command_line(const char* line) {
  app::html_enabled = true;
  plat::set_vsync(line && std::strstr(line, "-vsync"));  // before the display is created
  if (!line || !*line) return;
  if (std::strstr(line, "-nohtml")) {
    app::html_enabled = false;
    res::debug_log("HTML disabled!\n");
  }
  app::edition = edition_option(line, app::edition);
}

int edition_option(const char* line, int fallback) {
  if (!line) return fallback;
  int edition = fallback;
  if (std::strstr(line, "-XS")) edition = app::edition_xs;
  if (std::strstr(line, "-XL")) edition = app::edition_xl;
  if (std::strstr(line, "-XXL")) edition = app::edition_xxl;
  return edition;
}

}  // namespace front
