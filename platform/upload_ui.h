// SPDX-License-Identifier: GPL-3.0-or-later
// The window-system side of the upload dialog: a modal dialog built from a table of controls
// placed in dialog units and driven by the game's dialog procedure, the fonts its texts use, the
// wait cursor, and an HTML view that can lie over one of its controls.
//
// Players get GTK 3 and WebKitGTK. The headless backend plays the dialog from the input script's
// "dialog" lines and writes on stderr what the dialog shows, one line each:
//   dialog open: CAPTION          dialog end: RESULT
//   dialog text ID: TEXT          (a control's new text; line breaks written as \r and \n)
//   dialog html ID: TEXT          (an HTML text written into the view over control ID)
//   dialog html view ID created   dialog html view ID destroyed
//   dialog enable ID on|off       dialog button ID is disabled (a press that did nothing)
// The GTK dialog writes the same "dialog text" and "dialog html" lines for the message area, so
// a test under a virtual display can read back what it shows.
//
// Texts cross this interface as 8-bit characters (ISO 8859-1), as the game keeps them; the
// layer converts them for the window system and cuts characters beyond 8 bits to '?'.
#pragma once

#include <cstddef>
#include <cstdint>

namespace plat {

enum class ControlKind {
  picture,        // painted by the template's paint_picture
  text_left,      // static text
  text_centred,   // static text, centred in its rectangle
  message_area,   // multi-line, centred, read-only; an HTML view may cover it
  edit,           // one line of text
  password,       // one line, hidden characters
  button,
  default_button, // Enter presses it (while it is enabled)
  line,           // a horizontal line
};

struct ControlTemplate {
  int id;  // 0 for a control the procedure never addresses
  ControlKind kind;
  const char* text;
  int x, y, width, height;  // dialog units
};

struct DialogTemplate {
  const char* caption;
  int width, height;  // dialog units
  // The dialog's own font (its controls' texts); one dialog unit is a quarter of its average
  // character width and an eighth of its height.
  const char* font_family;
  int font_points;
  const ControlTemplate* controls;
  int control_count;
  // Paints a picture control: width x height RGB triples, rows top to bottom.
  void (*paint_picture)(int width, int height, std::uint8_t* rgb);
};

enum class DialogMessage {
  init,            // before the dialog shows; id 0
  command,         // a button was pressed: id 1 or 2 (Enter presses the default button, Escape 2)
  close,           // the close box
  mouse_move,      // id: the control under the pointer, or 0 (none, or one without an id)
  left_button_up,  // id as for mouse_move
  text_colour,     // a static text ID is drawn: answer 0xRRGGBB, or -1 for the default colours
  view_failed,     // the HTML view over control ID stopped working after it was filled
};
// The dialog procedure; its answer counts only for text_colour.
using DialogProcedure = int (*)(DialogMessage message, int id);

// Shows the dialog and runs it until the procedure calls dialog_end. Answers the result given
// to dialog_end, or -1 when no dialog could be shown (logged on stderr).
int dialog_run(const DialogTemplate& dialog, DialogProcedure procedure);
void dialog_end(int result);
// The control's text, cut to room - 1 characters and ended by 0; the number of characters.
std::size_t dialog_get_text(int id, char* out, std::size_t room);
void dialog_set_text(int id, const char* text);
void dialog_enable(int id, bool on);
bool dialog_enabled(int id);
// Brings a minimised dialog back.
void dialog_restore();
// The wait cursor over the whole dialog, shown at once (the caller then blocks), or the one
// it replaced.
void dialog_wait_cursor(bool on);

// Fonts for the static texts: family, cell height in pixels (ascent plus descent), weight (400
// normal, 700 bold), underline. Handles are positive; 0 is the dialog's own font.
int font_create(const char* family, int height, int weight, bool underline);
void font_delete(int font);
void dialog_set_font(int id, int font);

// The HTML side. html_host_start runs once at program start (false: no HTML view can ever be
// made). A view covers the control ID of the open dialog: create answers 0, or -1 (no record),
// -2 (the view cannot be made), -3 (it cannot be shown); show answers 0 when the text went in,
// else -1. JavaScript is off, there is no context menu, and a link followed inside the view
// loads only http and https addresses. Destroying a control without a view does nothing.
bool html_host_start();
int html_view_create(int id);
void html_view_destroy(int id);
int html_view_show(int id, const char* html);

}  // namespace plat
