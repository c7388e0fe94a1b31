// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog without a display: the controls are texts and flags, the input script's
// "dialog" lines are the player, and stderr shows what the dialog shows (platform/upload_ui.h).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/script.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {

struct HeadlessControl {
  int id = 0;
  ControlKind kind = ControlKind::text_left;
  std::string text;  // 8-bit
  bool enabled = true;
  bool has_view = false;
};

struct HeadlessDialog {
  std::vector<HeadlessControl> controls;
  DialogProcedure procedure = nullptr;
  bool ended = false;
  int result = 0;
};

HeadlessDialog* open_dialog = nullptr;

HeadlessControl* find(int id) {
  if (!open_dialog || id == 0) return nullptr;
  for (HeadlessControl& c : open_dialog->controls)
    if (c.id == id) return &c;
  return nullptr;
}

int send(DialogMessage message, int id) {
  return open_dialog && open_dialog->procedure ? open_dialog->procedure(message, id) : 0;
}

bool is_field(ControlKind kind) { return kind == ControlKind::edit || kind == ControlKind::password; }
bool is_button(ControlKind kind) {
  return kind == ControlKind::button || kind == ControlKind::default_button;
}

// One script line; a line that does not fit the dialog is told on stderr and skipped.
void play(const ScriptEvent& line) {
  HeadlessControl* c = find(line.x);
  switch (line.verb) {
    case DialogVerb::type:
      if (!c || !is_field(c->kind)) {
        std::fprintf(stderr, "dialog: %d is no text field\n", line.x);
        return;
      }
      c->text = utf8_to_cp1252(line.text.c_str());
      return;
    case DialogVerb::press:
      if (!c || !is_button(c->kind)) {
        std::fprintf(stderr, "dialog: %d is no button\n", line.x);
        return;
      }
      if (!c->enabled) {
        std::fprintf(stderr, "dialog button %d is disabled\n", line.x);
        return;
      }
      send(DialogMessage::command, line.x);
      return;
    case DialogVerb::click:
      // The pointer comes over the control and the left button is released there.
      send(DialogMessage::mouse_move, c ? c->id : 0);
      send(DialogMessage::left_button_up, c ? c->id : 0);
      return;
    case DialogVerb::close:
      send(DialogMessage::close, 0);
      return;
  }
}

int run(const DialogTemplate& dialog, DialogProcedure procedure) {
  if (backend().should_fail("DialogBox")) {
    std::fprintf(stderr, "dialog: cannot be shown\n");
    return -1;
  }
  if (open_dialog) {
    std::fprintf(stderr, "dialog: one is open already\n");
    return -1;
  }
  HeadlessDialog d;
  d.procedure = procedure;
  for (int i = 0; i < dialog.control_count; ++i) {
    const ControlTemplate& t = dialog.controls[i];
    d.controls.push_back(HeadlessControl{t.id, t.kind, t.text ? t.text : "", true, false});
  }
  open_dialog = &d;
  std::fprintf(stderr, "dialog open: %s\n", echo_text(dialog.caption).c_str());
  send(DialogMessage::init, 0);
  while (!d.ended) {
    ScriptEvent line;
    if (!next_dialog_line(line)) {
      // Nobody will ever answer: the player closes the dialog.
      std::fprintf(stderr, "dialog: no dialog lines left, closing\n");
      send(DialogMessage::close, 0);
      if (!d.ended) d.ended = true, d.result = 2;
      break;
    }
    play(line);
  }
  for (HeadlessControl& c : d.controls)
    if (c.has_view) std::fprintf(stderr, "dialog html view %d destroyed\n", c.id);
  std::fprintf(stderr, "dialog end: %d\n", d.result);
  open_dialog = nullptr;
  return d.result;
}

void end(int result) {
  if (!open_dialog) return;
  open_dialog->ended = true;
  open_dialog->result = result;
}

std::size_t get_text(int id, char* out, std::size_t room) {
  const HeadlessControl* c = find(id);
  if (!c) return 0;
  const std::size_t n = std::min(c->text.size(), room - 1);
  std::memcpy(out, c->text.data(), n);
  out[n] = 0;
  return n;
}

void set_text(int id, const char* text) {
  HeadlessControl* c = find(id);
  if (!c) return;
  c->text = text;
  std::fprintf(stderr, "dialog text %d: %s\n", id, echo_text(text).c_str());
}

void enable(int id, bool on) {
  HeadlessControl* c = find(id);
  if (!c || c->enabled == on) return;
  c->enabled = on;
  std::fprintf(stderr, "dialog enable %d %s\n", id, on ? "on" : "off");
}

bool enabled(int id) {
  const HeadlessControl* c = find(id);
  return c && c->enabled;
}

void restore() {}
void wait_cursor(bool) {}
void set_font(int, const FontRecord*) {}

bool host_start() { return !backend().should_fail("OleInitialize"); }

int view_create(int id) {
  HeadlessControl* c = find(id);
  if (!c) return -1;
  if (backend().should_fail("OleCreate")) return -2;
  c->has_view = true;
  std::fprintf(stderr, "dialog html view %d created\n", id);
  return 0;
}

void view_destroy(int id) {
  HeadlessControl* c = find(id);
  if (!c || !c->has_view) return;
  c->has_view = false;
  std::fprintf(stderr, "dialog html view %d destroyed\n", id);
}

int view_show(int id, const char* html) {
  const HeadlessControl* c = find(id);
  if (!c || !c->has_view || backend().should_fail("Navigate2")) return -1;
  std::fprintf(stderr, "dialog html %d: %s\n", id, echo_text(html).c_str());
  return 0;
}

}  // namespace

const DialogSystem headless_dialog_system = {
    run,     end,         get_text, set_text,  enable,       enabled,      restore,
    wait_cursor, set_font, host_start, view_create, view_destroy, view_show,
};

}  // namespace plat
