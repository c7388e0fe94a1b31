// SPDX-License-Identifier: GPL-3.0-or-later
// What the GTK dialog and the headless one share, and the table each fills. Internal to the
// platform layer.
#pragma once

#include <cstddef>
#include <string>

#include "platform/code_page.h"
#include "platform/upload_ui.h"

namespace plat {

struct FontRecord {
  std::string family;
  int height = 0;  // cell height in pixels
  int weight = 400;
  bool underline = false;
};

// One implementation of the calls of upload_ui.h (fonts are kept in common).
struct DialogSystem {
  int (*run)(const DialogTemplate& dialog, DialogProcedure procedure);
  void (*end)(int result);
  std::size_t (*get_text)(int id, char* out, std::size_t room);
  void (*set_text)(int id, const char* text);
  void (*enable)(int id, bool on);
  bool (*enabled)(int id);
  void (*restore)();
  void (*wait_cursor)(bool on);
  void (*set_font)(int id, const FontRecord* font);  // null: the dialog's own font
  bool (*host_start)();
  int (*view_create)(int id);
  void (*view_destroy)(int id);
  int (*view_show)(int id, const char* html);
};

extern const DialogSystem gtk_dialog_system;
extern const DialogSystem headless_dialog_system;
// The calls of upload_ui.h go to dialogs from now on (the headless system until one is chosen).
void use_dialog_system(const DialogSystem& dialogs);

// A text of the game (code page 1252) as one line of stderr: UTF-8, with carriage returns and
// line feeds written as \r, \n.
std::string echo_text(const char* text);

}  // namespace plat
