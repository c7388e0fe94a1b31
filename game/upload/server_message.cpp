// SPDX-License-Identifier: GPL-3.0-or-later
// A reply in the message area: the HTML view when html is enabled, the plain text otherwise or
// once the view has failed.
#include <cstring>

#include "game/app/app.h"
#include "game/upload/upload.h"

namespace upload {

namespace {
char last_plain[reply_text_room];
}

const char* last_plain_message() { return last_plain; }

void show_server_message(const char* plain, const char* html) {
  std::strncpy(last_plain, plain, sizeof last_plain - 1);
  last_plain[sizeof last_plain - 1] = 0;
  if (app::html_enabled) {
    plat::html_view_destroy(id_message);
    if (plat::html_view_create(id_message) != 0) {
      app::html_enabled = false;
    } else if (plat::html_view_show(id_message, html) != 0) {
      app::html_enabled = false;
      plat::html_view_destroy(id_message);
    }
  }
  if (!app::html_enabled) plat::dialog_set_text(id_message, plain);
}

}  // namespace upload
