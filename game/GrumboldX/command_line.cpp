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
  if (std::strstr(line, "-XS")) app::edition = app::edition_xs;
  if (std::strstr(line, "-XL")) app::edition = app::edition_xl;
  if (std::strstr(line, "-XXL")) app::edition = app::edition_xxl;
}

}  // namespace front
