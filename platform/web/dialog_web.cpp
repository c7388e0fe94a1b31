// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog in a web page: an HTML form over the game's canvas, built from the dialog's
// table of controls (dialog units turned into pixels by the dialog font's size, as the desktop
// does), run modally: the call sleeps while the page handles the player, and what the player did
// reaches the dialog procedure as the desktop's messages would. The HTML view over a control is
// a sandboxed frame: no script runs in it, and its links open in a new tab.
//
// Like the desktop dialog, it writes "dialog text" and "dialog html" lines for the message area on
// the console, so a test in a browser can read back what it shows.
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {

// clang-format off
EM_JS(void, page_dialog_open, (const char* caption, int width, int height, const char* family, int points), {
  // The pointer is the player's again while the form is open.
  if (document.pointerLockElement && document.exitPointerLock) document.exitPointerLock();
  var old = Module.grumboldxDialog;
  if (old && old.root) old.root.remove();
  var d = { events: [], controls: {}, hovered: -1 };
  Module.grumboldxDialog = d;
  var font = points + 'pt "' + UTF8ToString(family) + '", Arial, Helvetica, sans-serif';
  var measure = document.createElement('canvas').getContext('2d');
  measure.font = font;
  var m = measure.measureText('ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz');
  var w = Math.round(m.width);
  var h = m.fontBoundingBoxAscent !== undefined ? Math.round(m.fontBoundingBoxAscent + m.fontBoundingBoxDescent)
                                                : Math.round(points * 96 / 72 * 1.15);
  d.ux = w > 0 ? ((w / 26 | 0) + 1) >> 1 : 6;
  d.uy = h > 0 ? h : 13;
  d.font = font;
  var root = document.createElement('div');
  root.id = 'grumboldx-dialog';
  root.style.cssText = 'position:fixed;inset:0;display:flex;align-items:center;justify-content:center;' +
                       'background:rgba(0,0,0,0.55);z-index:10;cursor:default';
  var box = document.createElement('div');
  box.setAttribute('role', 'dialog');
  box.setAttribute('aria-label', UTF8ToString(caption));
  box.style.cssText = 'background:#ece9e3;color:#000;border:1px solid #555;box-shadow:0 4px 24px #000;' +
                      'font:' + font + ';user-select:none';
  var bar = document.createElement('div');
  bar.style.cssText = 'display:flex;align-items:center;background:#2f4f7f;color:#fff;padding:3px 6px;font-weight:bold';
  var title = document.createElement('span');
  title.textContent = UTF8ToString(caption);
  title.style.flex = '1';
  var close = document.createElement('button');
  close.textContent = String.fromCharCode(215);  // a multiplication sign
  close.title = 'Close';
  close.id = 'grumboldx-dialog-close';
  close.style.cssText = 'border:0;background:transparent;color:#fff;font-size:16px;line-height:14px;cursor:pointer';
  close.onclick = function () { d.events.push([2, 0]); };
  bar.append(title, close);
  var area = document.createElement('div');
  area.style.cssText = 'position:relative;width:' + Math.round((width * d.ux + 2) / 4) + 'px;height:' +
                       Math.round((height * d.uy + 4) / 8) + 'px';
  box.append(bar, area);
  root.append(box);
  d.root = root;
  d.area = area;
  var under = function (event) {
    var at = event.target.closest && event.target.closest('[data-control]');
    return at ? Number(at.dataset.control) : 0;
  };
  // The game's own keyboard and mouse handlers never see what happens in the dialog.
  ['keydown', 'keyup', 'keypress', 'mousedown', 'mouseup', 'click', 'mousemove', 'wheel'].forEach(function (type) {
    root.addEventListener(type, function (event) { event.stopPropagation(); });
  });
  root.addEventListener('keydown', function (event) {
    if (event.key === 'Escape') {
      event.preventDefault();
      d.events.push([1, 2]);
    } else if (event.key === 'Enter') {
      event.preventDefault();
      var focus = document.activeElement;
      var pressed = focus && focus.tagName === 'BUTTON' && focus.dataset.control ? focus : root.querySelector('[data-default]');
      if (pressed && !pressed.disabled) d.events.push([1, Number(pressed.dataset.control)]);
    }
  });
  root.addEventListener('mousemove', function (event) {
    var id = under(event);
    if (id !== d.hovered) { d.hovered = id; d.events.push([3, id]); }
  });
  box.addEventListener('mouseleave', function () {
    if (d.hovered !== 0) { d.hovered = 0; d.events.push([3, 0]); }
  });
  root.addEventListener('mouseup', function (event) { if (event.button === 0) d.events.push([4, under(event)]); });
  document.body.append(root);
});

// kind: the ControlKind's number. Answers nothing; the control is found by its id (0: none).
EM_JS(void, page_dialog_add, (int id, int kind, const char* text, int x, int y, int width, int height), {
  var d = Module.grumboldxDialog;
  var px = function (units, base, divisor) { return Math.round((units * base + (divisor >> 1)) / divisor); };
  var left = px(x, d.ux, 4), top = px(y, d.uy, 8), w = px(width, d.ux, 4), h = Math.max(1, px(height, d.uy, 8));
  var words = UTF8ToString(text);
  var el;
  switch (kind) {
    case 0: el = document.createElement('canvas'); el.width = w; el.height = h; break;
    case 1: case 2:
      el = document.createElement('div');
      el.textContent = words;
      el.style.whiteSpace = 'pre-wrap';
      el.style.textAlign = kind === 2 ? 'center' : 'left';
      break;
    case 3:
      el = document.createElement('div');
      el.textContent = words;
      el.style.cssText = 'white-space:pre-wrap;text-align:center;overflow:auto;overflow-wrap:anywhere';
      break;
    case 4: case 5:
      el = document.createElement('input');
      el.type = kind === 5 ? 'password' : 'text';
      el.value = words;
      el.autocomplete = kind === 5 ? 'current-password' : 'off';
      el.spellcheck = false;
      el.style.cssText = 'box-sizing:border-box;font:inherit;padding:0 3px;border:1px solid #7a7a7a';
      break;
    case 6: case 7:
      el = document.createElement('button');
      el.type = 'button';
      el.textContent = words;
      el.style.cssText = 'box-sizing:border-box;font:inherit;padding:0 4px';
      if (kind === 7) { el.dataset.default = '1'; el.style.fontWeight = 'bold'; }
      el.onclick = function () { if (!el.disabled) d.events.push([1, id]); };
      break;
    default:
      el = document.createElement('div');
      el.style.borderTop = '1px solid #999';
      h = 1;
  }
  el.style.position = 'absolute';
  el.style.left = left + 'px';
  el.style.top = top + 'px';
  el.style.width = w + 'px';
  el.style.height = h + 'px';
  el.style.margin = '0';
  if (id) {
    el.dataset.control = id;
    el.id = 'grumboldx-control-' + id;
    d.controls[id] = { el: el, kind: kind };
  }
  d.area.append(el);
});

// The size of the picture control (the first one): width in the low, height in the high half.
EM_JS(int, page_dialog_picture_size, (int index), {
  var canvas = Module.grumboldxDialog.area.querySelectorAll('canvas')[index];
  return canvas ? canvas.width | (canvas.height << 16) : 0;
});

EM_JS(void, page_dialog_paint, (int index, const unsigned char* rgb, int width, int height), {
  var canvas = Module.grumboldxDialog.area.querySelectorAll('canvas')[index];
  if (!canvas) return;
  var image = canvas.getContext('2d').createImageData(width, height);
  for (var i = 0, j = 0; i < width * height; ++i, j += 3) {
    image.data[4 * i] = HEAPU8[rgb + j];
    image.data[4 * i + 1] = HEAPU8[rgb + j + 1];
    image.data[4 * i + 2] = HEAPU8[rgb + j + 2];
    image.data[4 * i + 3] = 255;
  }
  canvas.getContext('2d').putImageData(image, 0, 0);
});

EM_JS(void, page_dialog_shown, (), {
  var first = Module.grumboldxDialog.area.querySelector('input');
  if (first) first.focus();
});

// The next thing the player did: the message's number (0 none) and its control in *id.
EM_JS(int, page_dialog_next, (int* id), {
  var d = Module.grumboldxDialog;
  if (!d || !d.events.length) return 0;
  var e = d.events.shift();
  HEAP32[id >> 2] = e[1];
  return e[0];
});

EM_JS(void, page_dialog_close, (), {
  var d = Module.grumboldxDialog;
  if (d && d.root) d.root.remove();
  Module.grumboldxDialog = null;
  var canvas = Module.canvas;
  if (canvas) canvas.focus();
});

EM_JS(int, page_control_kind, (int id), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  return c ? c.kind : -1;
});

// The control's text as UTF-8 in a block of the program's heap (the caller frees it), or 0.
EM_JS(char*, page_get_text, (int id), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (!c) return 0;
  var text = c.el.tagName === 'INPUT' ? c.el.value : c.el.textContent;
  var size = lengthBytesUTF8(text) + 1;
  var at = _malloc(size);
  stringToUTF8(text, at, size);
  return at;
});

EM_JS(void, page_set_text, (int id, const char* text), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (!c) return;
  var words = UTF8ToString(text);
  if (c.el.tagName === 'INPUT') c.el.value = words; else c.el.textContent = words;
});

EM_JS(void, page_enable, (int id, int on), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (c && 'disabled' in c.el) c.el.disabled = !on;
  else if (c) c.el.style.opacity = on ? "" : '0.5';
});

EM_JS(int, page_enabled, (int id), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  return c ? (c.el.disabled || c.el.style.opacity === '0.5' ? 0 : 1) : 0;
});

EM_JS(void, page_wait_cursor, (int on), {
  var d = Module.grumboldxDialog;
  if (d && d.root) d.root.style.cursor = on ? 'wait' : 'default';
});

// family "" puts the dialog's own font back.
EM_JS(void, page_set_font, (int id, const char* family, int height, int weight, int underline, int colour), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (!c) return;
  var name = UTF8ToString(family);
  c.el.style.font = name ? weight + ' ' + Math.round(height / 1.15) + 'px "' + name + '", Arial, Helvetica, sans-serif' : "";
  c.el.style.lineHeight = name ? height + 'px' : "";
  c.el.style.textDecoration = underline ? 'underline' : "";
  c.el.style.color = colour >= 0 ? '#' + ('00000' + colour.toString(16)).slice(-6) : "";
  c.el.style.cursor = colour >= 0 ? 'pointer' : "";
});

EM_JS(int, page_view_create, (int id), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (!c) return -1;
  if (c.view) return 0;
  var view = document.createElement('iframe');
  // No script, no forms, no navigation of the game's page; links open in a new tab.
  view.setAttribute('sandbox', 'allow-popups allow-popups-to-escape-sandbox');
  view.setAttribute('referrerpolicy', 'no-referrer');
  view.id = 'grumboldx-view-' + id;
  view.style.cssText = 'position:absolute;border:0;background:#fff;left:' + c.el.style.left + ';top:' +
                       c.el.style.top + ';width:' + c.el.style.width + ';height:' + c.el.style.height;
  view.dataset.control = id;
  c.el.parentNode.append(view);
  c.view = view;
  return 0;
});

EM_JS(void, page_view_destroy, (int id), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (c && c.view) { c.view.remove(); c.view = null; }
});

EM_JS(int, page_view_show, (int id, const char* html), {
  var d = Module.grumboldxDialog;
  var c = d && d.controls[id];
  if (!c || !c.view) return -1;
  c.view.srcdoc = '<!doctype html><meta charset="utf-8"><base target="_blank">' + UTF8ToString(html);
  return 0;
});
// clang-format on

struct WebControl {
  int id;
  ControlKind kind;
};

struct WebDialog {
  DialogProcedure procedure = nullptr;
  std::vector<WebControl> controls;
  bool ended = false;
  int result = 0;
};

WebDialog* open_dialog = nullptr;

const WebControl* find(int id) {
  if (!open_dialog || id == 0) return nullptr;
  for (const WebControl& c : open_dialog->controls)
    if (c.id == id) return &c;
  return nullptr;
}

int send(DialogMessage message, int id) {
  return open_dialog && open_dialog->procedure ? open_dialog->procedure(message, id) : 0;
}

bool is_static_text(ControlKind kind) { return kind == ControlKind::text_left || kind == ControlKind::text_centred; }

// The font and colour of a static text: its own font (0: the dialog's) and what the procedure
// answers for its colour.
std::vector<std::pair<int, const FontRecord*>> fonts_set;

void style(int id) {
  const WebControl* c = find(id);
  if (!c || !is_static_text(c->kind)) return;
  const FontRecord* font = nullptr;
  for (const auto& [control, record] : fonts_set)
    if (control == id) font = record;
  const int colour = send(DialogMessage::text_colour, id);
  page_set_font(id, font ? font->family.c_str() : "", font ? font->height : 0, font ? font->weight : 400,
                font && font->underline, colour);
}

int run(const DialogTemplate& dialog, DialogProcedure procedure) {
  if (open_dialog) {
    std::fprintf(stderr, "dialog: one is open already\n");
    return -1;
  }
  WebDialog d;
  d.procedure = procedure;
  fonts_set.clear();
  page_dialog_open(cp1252_to_utf8(dialog.caption).c_str(), dialog.width, dialog.height, dialog.font_family,
                   dialog.font_points);
  int pictures = 0;
  for (int i = 0; i < dialog.control_count; ++i) {
    const ControlTemplate& t = dialog.controls[i];
    page_dialog_add(t.id, static_cast<int>(t.kind), cp1252_to_utf8(t.text ? t.text : "").c_str(), t.x, t.y,
                    t.width, t.height);
    if (t.id) d.controls.push_back(WebControl{t.id, t.kind});
    if (t.kind == ControlKind::picture) {
      const int size = page_dialog_picture_size(pictures);
      const int w = size & 0xFFFF, h = size >> 16;
      if (w > 0 && h > 0 && dialog.paint_picture) {
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
        dialog.paint_picture(w, h, rgb.data());
        page_dialog_paint(pictures, rgb.data(), w, h);
      }
      ++pictures;
    }
  }
  open_dialog = &d;
  send(DialogMessage::init, 0);
  for (const WebControl& c : d.controls)
    if (is_static_text(c.kind)) style(c.id);
  page_dialog_shown();
  while (!d.ended) {
    int id = 0;
    const int message = page_dialog_next(&id);
    switch (message) {
      case 0: emscripten_sleep(15); break;
      case 1: send(DialogMessage::command, id); break;
      case 2: send(DialogMessage::close, 0); break;
      case 3:
        send(DialogMessage::mouse_move, id);
        // The links' colours follow the pointer.
        for (const WebControl& c : d.controls)
          if (is_static_text(c.kind)) style(c.id);
        break;
      case 4: send(DialogMessage::left_button_up, id); break;
      default: break;
    }
  }
  page_dialog_close();
  open_dialog = nullptr;
  fonts_set.clear();
  return d.result;
}

void end(int result) {
  if (!open_dialog) return;
  open_dialog->ended = true;
  open_dialog->result = result;
}

std::size_t get_text(int id, char* out, std::size_t room) {
  if (!find(id)) return 0;
  char* utf8 = page_get_text(id);
  if (!utf8) return 0;
  const std::string text = utf8_to_cp1252(utf8);
  std::free(utf8);
  const std::size_t n = std::min(text.size(), room - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
  return n;
}

void set_text(int id, const char* text) {
  const WebControl* c = find(id);
  if (!c) return;
  const std::string utf8 = cp1252_to_utf8(text);
  page_set_text(id, utf8.c_str());
  if (c->kind == ControlKind::message_area) std::fprintf(stderr, "dialog text %d: %s\n", id, echo_text(text).c_str());
}

void enable(int id, bool on) {
  if (find(id)) page_enable(id, on ? 1 : 0);
}

bool enabled(int id) { return find(id) && page_enabled(id); }

void restore() {}
void wait_cursor(bool on) { page_wait_cursor(on ? 1 : 0); }

void set_font(int id, const FontRecord* font) {
  if (!find(id)) return;
  bool replaced = false;
  for (auto& entry : fonts_set)
    if (entry.first == id) entry.second = font, replaced = true;
  if (!replaced) fonts_set.emplace_back(id, font);
  style(id);
}

bool host_start() { return true; }

int view_create(int id) {
  if (!find(id)) return -1;
  return page_view_create(id);
}

void view_destroy(int id) {
  if (find(id)) page_view_destroy(id);
}

int view_show(int id, const char* html) {
  if (!find(id)) return -1;
  const int shown = page_view_show(id, cp1252_to_utf8(html).c_str());
  if (shown == 0) std::fprintf(stderr, "dialog html %d: %s\n", id, echo_text(html).c_str());
  return shown;
}

const DialogSystem web_dialog_system = {
    run,         end,      get_text,   set_text,    enable,       enabled,  restore,
    wait_cursor, set_font, host_start, view_create, view_destroy, view_show,
};

}  // namespace

void use_desktop_dialog() { use_dialog_system(web_dialog_system); }

}  // namespace plat
