// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog: its controls, and what each message to it does (the links' hover rules,
// the buttons, closing).
#include <string>

#include "game/app/app.h"
#include "game/resources/log.h"
#include "game/text/texts.h"
#include "game/upload/upload.h"
#include "platform/platform.h"

namespace upload {

namespace {

using plat::ControlKind;

// Liberation Sans has the metrics of the family the dialog was drawn for.
constexpr const char* font_family = "Liberation Sans";

constexpr plat::ControlTemplate controls[] = {
    {0, ControlKind::picture, "", 7, 7, 260, 67},
    {id_status, ControlKind::text_centred, "Static", 7, 84, 260, 19},
    {id_message, ControlKind::message_area, "", 7, 113, 260, 70},
    {1001, ControlKind::text_left, "Benutzername:", 40, 191, 48, 8},
    {id_user, ControlKind::edit, "", 97, 188, 137, 14},
    {1002, ControlKind::text_left, "Passwort:", 40, 210, 48, 8},
    {id_password, ControlKind::password, "", 97, 207, 137, 14},
    {1004, ControlKind::text_left, "Parameter:", 40, 231, 48, 8},
    {id_parameter, ControlKind::edit, "", 97, 228, 137, 14},
    {id_back, ControlKind::button, "Zur\xfc" "ck zum Spiel", 7, 249, 92, 14},
    {id_send, ControlKind::default_button, "Senden", 175, 249, 92, 14},
    {0, ControlKind::line, "", 7, 271, 260, 1},
    {id_help_link, ControlKind::text_centred, "> Hier klicken, um Hilfe zu erhalten <", 62, 278, 150, 8},
    {id_register_link, ControlKind::text_left, "> Hier registrieren, falls noch nicht geschehen <", 62,
     288, 150, 8},
    {id_list_link, ControlKind::text_centred, "> Hier geht's zur Internet-Highscore-Liste <", 62, 298,
     150, 8},
};

constexpr plat::DialogTemplate dialog = {
    "Grumbold X - Upload", 274, 314, font_family, 8,
    controls, static_cast<int>(sizeof controls / sizeof controls[0]), paint_banner,
};

// The texts of the labels, buttons and links, and the caption, come from the text table in the
// game's language; a table without them keeps the texts above.
struct TableText {
  int control;
  int text;
};
constexpr TableText table_texts[] = {
    {1001, text_user_label},         {1002, text_user_label + 1},    {1004, text_user_label + 2},
    {id_back, text_user_label + 3},  {id_send, text_user_label + 4}, {id_help_link, text_user_label + 5},
    {id_register_link, text_user_label + 6}, {id_list_link, text_user_label + 7},
};
constexpr int text_caption = text_user_label + 8;
constexpr int control_count = static_cast<int>(sizeof controls / sizeof controls[0]);

// A text of the table as the dialog shows it, or the built-in one when the table lacks it.
std::string table_text(int index, const char* built_in) {
  if (text::text_index[index] == text::text_undefined) return built_in;
  char text[dialog_text_room];
  dialog_text(index, text);
  return text;
}

// Cell heights in pixels, normal weight.
constexpr int status_height = 36;
constexpr int link_height = 14;
constexpr int normal_weight = 400;
constexpr int link_blue = 0x0000FF;

int status_font = 0, link_font = 0, hover_font = 0;
bool hovered[link_count] = {};

void on_open() {
  if (app::html_enabled && plat::html_view_create(id_message) != 0) app::html_enabled = false;
  plat::dialog_set_font(id_status, status_font);
  char status[dialog_text_room];
  status_text(score_to_send, status, sizeof status);
  plat::dialog_set_text(id_status, status);
  for (int k = 0; k < link_count; ++k) plat::dialog_set_font(link_ids[k], link_font);
  for (bool& h : hovered) h = false;
}

void on_mouse_move(int under) {
  for (int k = 0; k < link_count; ++k) {
    if (link_ids[k] == under) {
      hovered[k] = true;
      plat::dialog_set_font(link_ids[k], hover_font);
    } else if (hovered[k]) {
      hovered[k] = false;
      plat::dialog_set_font(link_ids[k], link_font);
    }
  }
}

int text_colour(int id) {
  for (int k = 0; k < link_count; ++k)
    if (link_ids[k] == id && hovered[k]) return link_blue;
  return -1;
}

void on_left_button_up(int under) {
  for (int id : link_ids) {
    if (id != under) continue;
    char address[512];
    link_address(id, app::edition, address, sizeof address);
    if (!plat::open_url(address)) res::debug_log("ERROR: web address refused: %s\n", address);
  }
}

// The view stopped working after it was filled: HTML is off for the rest of the run, and the
// reply it showed comes as plain text.
void on_view_failed() {
  app::html_enabled = false;
  plat::html_view_destroy(id_message);
  plat::dialog_set_text(id_message, last_plain_message());
}

}  // namespace

int upload_dialog_proc(plat::DialogMessage message, int id) {
  using plat::DialogMessage;
  switch (message) {
    case DialogMessage::init:
      on_open();
      return 0;
    case DialogMessage::command:
      if (id == id_back) plat::dialog_end(id_back);
      if (id == id_send) send_upload();
      return 0;
    case DialogMessage::close:
      plat::dialog_restore();
      if (app::html_enabled) plat::html_view_destroy(id_message);
      // As the close box does in any dialog: the same as "Zurück zum Spiel".
      return upload_dialog_proc(DialogMessage::command, id_back);
    case DialogMessage::mouse_move:
      on_mouse_move(id);
      return 0;
    case DialogMessage::text_colour:
      return text_colour(id);
    case DialogMessage::left_button_up:
      on_left_button_up(id);
      return 0;
    case DialogMessage::view_failed:
      on_view_failed();
      return 0;
  }
  return 0;
}

bool run_upload_dialog() {
  status_font = plat::font_create(font_family, status_height, normal_weight, false);
  link_font = plat::font_create(font_family, link_height, normal_weight, false);
  hover_font = plat::font_create(font_family, link_height, normal_weight, true);
  save_upload_hex();
  plat::window_show(false);
  std::string texts[control_count];
  plat::ControlTemplate shown_controls[control_count];
  for (int i = 0; i < control_count; ++i) {
    shown_controls[i] = controls[i];
    for (const TableText& t : table_texts)
      if (controls[i].id == t.control) {
        texts[i] = table_text(t.text, controls[i].text);
        shown_controls[i].text = texts[i].c_str();
      }
  }
  const std::string caption = table_text(text_caption, dialog.caption);
  plat::DialogTemplate shown_dialog = dialog;
  shown_dialog.caption = caption.c_str();
  shown_dialog.controls = shown_controls;
  const bool shown = plat::dialog_run(shown_dialog, upload_dialog_proc) >= 0;
  if (!shown) res::debug_log("ERROR: the upload dialog could not be shown\n");
  plat::window_show(true);
  plat::font_delete(status_font);
  plat::font_delete(link_font);
  plat::font_delete(hover_font);
  status_font = link_font = hover_font = 0;
  free_saved_upload_hex();
  return shown;
}

}  // namespace upload
