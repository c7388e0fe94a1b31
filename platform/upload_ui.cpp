// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog's calls, passed on to GTK or to the headless dialog; the fonts; the text
// conversions both need.
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/script.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {

// The headless dialog unless the program chose the desktop's (use_desktop_dialog).
const DialogSystem* chosen = &headless_dialog_system;
const DialogSystem& system() { return *chosen; }

// Handle n is fonts[n - 1]; a deleted font leaves an empty place.
std::vector<std::unique_ptr<FontRecord>> fonts;

}  // namespace

void use_dialog_system(const DialogSystem& dialogs) { chosen = &dialogs; }

int dialog_run(const DialogTemplate& dialog, DialogProcedure procedure) {
  return system().run(dialog, procedure);
}
void dialog_end(int result) { system().end(result); }
std::size_t dialog_get_text(int id, char* out, std::size_t room) {
  if (!out || room == 0) return 0;
  out[0] = 0;
  return system().get_text(id, out, room);
}
void dialog_set_text(int id, const char* text) { system().set_text(id, text ? text : ""); }
void dialog_enable(int id, bool on) { system().enable(id, on); }
bool dialog_enabled(int id) { return system().enabled(id); }
void dialog_restore() { system().restore(); }
void dialog_wait_cursor(bool on) { system().wait_cursor(on); }

int font_create(const char* family, int height, int weight, bool underline) {
  auto record = std::make_unique<FontRecord>();
  record->family = family ? family : "";
  record->height = height;
  record->weight = weight;
  record->underline = underline;
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    if (!fonts[i]) {
      fonts[i] = std::move(record);
      return static_cast<int>(i) + 1;
    }
  }
  fonts.push_back(std::move(record));
  return static_cast<int>(fonts.size());
}

void font_delete(int font) {
  if (font >= 1 && static_cast<std::size_t>(font) <= fonts.size()) fonts[font - 1].reset();
}

void dialog_set_font(int id, int font) {
  const FontRecord* record = nullptr;
  if (font >= 1 && static_cast<std::size_t>(font) <= fonts.size()) record = fonts[font - 1].get();
  system().set_font(id, record);
}

bool html_host_start() { return system().host_start(); }
int html_view_create(int id) { return system().view_create(id); }
void html_view_destroy(int id) { system().view_destroy(id); }
int html_view_show(int id, const char* html) { return system().view_show(id, html ? html : ""); }

std::string echo_text(const char* text) {
  const std::string utf8 = cp1252_to_utf8(text);
  std::string out;
  for (char c : utf8) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace plat
