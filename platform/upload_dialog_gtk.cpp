// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog in GTK 3: a fixed layout of the template's controls, dialog units turned
// into pixels from the dialog font's measured size, and a nested main loop that runs until the
// procedure ends the dialog.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/upload_dialog_gtk.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {

struct GtkControl {
  int id = 0;
  ControlKind kind = ControlKind::text_left;
  GtkWidget* outer = nullptr;  // what lies in the layout
  GtkWidget* inner = nullptr;  // the label, entry, text view, button or image
  GtkWidget* place = nullptr;  // the message area's overlay, where an HTML view goes
  int x = 0, y = 0, width = 0, height = 0;  // pixels
  std::optional<FontRecord> font;           // none: the dialog font
  int colour = -1;
};

struct GtkDialogState {
  GtkWidget* window = nullptr;
  GtkWidget* layout = nullptr;
  std::vector<GtkControl> controls;
  DialogProcedure procedure = nullptr;
  GMainLoop* loop = nullptr;
  bool ended = false;
  int result = 0;
  int width = 0, height = 0;  // pixels
  int margin = 0;             // pixels kept free at the sides
  std::string font_family;
  std::vector<std::pair<GdkWindow*, GdkCursor*>> saved_cursors;
  bool waiting = false;
};

GtkDialogState* active = nullptr;
unsigned dialog_serial = 0;  // tells a message posted to one dialog from the next dialog
bool gtk_started = false;
bool gtk_failed = false;
GtkCssProvider* css = nullptr;

GtkControl* find(int id) {
  if (!active || id == 0) return nullptr;
  for (GtkControl& c : active->controls)
    if (c.id == id) return &c;
  return nullptr;
}

bool is_text(ControlKind kind) {
  return kind == ControlKind::text_left || kind == ControlKind::text_centred;
}

// ---- static texts: font, colour and place ---------------------------------------------------

// A font of the given cell height (ascent plus descent, as a positive height asks on Windows):
// the em size is measured from the family's metrics.
PangoFontDescription* describe(const FontRecord& f, GtkWidget* widget) {
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, f.family.c_str());
  pango_font_description_set_weight(d, static_cast<PangoWeight>(f.weight));
  pango_font_description_set_absolute_size(d, 100.0 * PANGO_SCALE);
  PangoFontMetrics* m = pango_context_get_metrics(gtk_widget_get_pango_context(widget), d, nullptr);
  const int cell = pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m);
  pango_font_metrics_unref(m);
  const double em = cell > 0 ? f.height * 100.0 * PANGO_SCALE / cell : f.height;
  pango_font_description_set_absolute_size(d, em * PANGO_SCALE);
  return d;
}

// Applies font and colour to a static text and places it: a text wider than its rectangle
// grows from it (to both sides when centred) but stays inside the dialog, and one wider than
// the dialog gets a smaller font.
void style_text(GtkControl& c) {
  GtkLabel* label = GTK_LABEL(c.inner);
  PangoAttrList* attrs = pango_attr_list_new();
  PangoFontDescription* d = nullptr;
  if (c.font) {
    d = describe(*c.font, c.inner);
    pango_attr_list_insert(attrs, pango_attr_font_desc_new(d));
    if (c.font->underline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
  }
  if (c.colour >= 0) {
    const auto channel = [&](int shift) { return static_cast<guint16>(((c.colour >> shift) & 0xFF) * 257); };
    pango_attr_list_insert(attrs, pango_attr_foreground_new(channel(16), channel(8), channel(0)));
  }
  gtk_label_set_attributes(label, attrs);
  const int room = active->width - 2 * active->margin;
  int text_width = 0;
  pango_layout_get_pixel_size(gtk_label_get_layout(label), &text_width, nullptr);
  if (d && text_width > room && text_width > 0) {
    const double size = pango_font_description_get_size(d) * static_cast<double>(room) / text_width;
    pango_font_description_set_absolute_size(d, size);
    pango_attr_list_change(attrs, pango_attr_font_desc_new(d));
    gtk_label_set_attributes(label, attrs);
    pango_layout_get_pixel_size(gtk_label_get_layout(label), &text_width, nullptr);
  }
  pango_attr_list_unref(attrs);
  if (d) pango_font_description_free(d);

  int x = c.x;
  if (text_width > c.width) {
    if (c.kind == ControlKind::text_centred) x -= (text_width - c.width) / 2;
    if (x + text_width > active->width - active->margin) x = active->width - active->margin - text_width;
    if (x < active->margin) x = active->margin;
  }
  gtk_fixed_move(GTK_FIXED(active->layout), c.outer, x, c.y);
}

// ---- messages to the procedure --------------------------------------------------------------

int send(DialogMessage message, int id);

// Asks the procedure for the colour of every static text, as each is drawn anew.
void refresh_colours() {
  if (!active) return;
  for (GtkControl& c : active->controls) {
    if (!is_text(c.kind) || c.id == 0) continue;
    const int colour = active->procedure(DialogMessage::text_colour, c.id);
    if (colour != c.colour) {
      c.colour = colour;
      style_text(c);
    }
  }
}

int send(DialogMessage message, int id) {
  if (!active || !active->procedure) return 0;
  const int answer = active->procedure(message, id);
  if (message != DialogMessage::text_colour) refresh_colours();
  return answer;
}

// The control under the pointer (the first in template order), or 0.
int control_under_pointer() {
  if (!active) return 0;
  GdkWindow* window = gtk_widget_get_window(active->window);
  GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window));
  int px = 0, py = 0;
  gdk_window_get_device_position(window, gdk_seat_get_pointer(seat), &px, &py, nullptr);
  for (const GtkControl& c : active->controls) {
    if (!gtk_widget_get_visible(c.outer)) continue;
    int x = 0, y = 0;
    if (!gtk_widget_translate_coordinates(c.outer, active->window, 0, 0, &x, &y)) continue;
    GtkAllocation a;
    gtk_widget_get_allocation(c.outer, &a);
    if (px >= x && px < x + a.width && py >= y && py < y + a.height) return c.id;
  }
  return 0;
}

gboolean on_delete(GtkWidget*, GdkEvent*, gpointer) {
  send(DialogMessage::close, 0);
  return TRUE;  // the procedure decides what closing does
}

// The dialog keys, pressed at once as the window system's dialogs do (a GTK button's own
// activation waits a quarter of a second, and an Escape right after an Enter would overtake it):
// Escape presses button 2; Enter presses the button that has the focus, else the default button,
// when it is enabled.
gboolean on_key(GtkWidget*, GdkEventKey* event, gpointer) {
  if (!active) return FALSE;
  if (event->keyval == GDK_KEY_Escape) {
    send(DialogMessage::command, 2);
    return TRUE;
  }
  if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter && event->keyval != GDK_KEY_ISO_Enter)
    return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(active->window));
  const GtkControl* pressed = nullptr;
  for (const GtkControl& c : active->controls) {
    const bool button = c.kind == ControlKind::button || c.kind == ControlKind::default_button;
    if (button && c.inner == focus) pressed = &c;
  }
  if (!pressed)
    for (const GtkControl& c : active->controls)
      if (c.kind == ControlKind::default_button) pressed = &c;
  if (pressed && gtk_widget_is_sensitive(pressed->inner)) send(DialogMessage::command, pressed->id);
  return TRUE;
}

gboolean on_motion(GtkWidget*, GdkEventMotion*, gpointer) {
  send(DialogMessage::mouse_move, control_under_pointer());
  return FALSE;
}

gboolean on_leave(GtkWidget*, GdkEventCrossing* event, gpointer) {
  if (event->detail != GDK_NOTIFY_INFERIOR) send(DialogMessage::mouse_move, 0);
  return FALSE;
}

gboolean on_release(GtkWidget*, GdkEventButton* event, gpointer) {
  if (event->button == 1) send(DialogMessage::left_button_up, control_under_pointer());
  return FALSE;
}

void on_clicked(GtkButton*, gpointer id) { send(DialogMessage::command, GPOINTER_TO_INT(id)); }

struct Posted {
  DialogMessage message;
  int id;
  unsigned dialog;
};

gboolean deliver_posted(gpointer data) {
  auto* p = static_cast<Posted*>(data);
  if (active && dialog_serial == p->dialog && !active->ended) send(p->message, p->id);
  delete p;
  return G_SOURCE_REMOVE;
}

// ---- building the dialog ---------------------------------------------------------------------

// One dialog unit: a quarter of the font's average character width (over A-Z and a-z, rounded
// as Windows does) and an eighth of its height.
void base_units(GtkWidget* widget, const DialogTemplate& t, int& unit_x, int& unit_y) {
  PangoFontDescription* d = pango_font_description_new();
  pango_font_description_set_family(d, t.font_family);
  pango_font_description_set_size(d, t.font_points * PANGO_SCALE);
  PangoLayout* layout = gtk_widget_create_pango_layout(widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  pango_layout_set_font_description(layout, d);
  int w = 0;
  pango_layout_get_pixel_size(layout, &w, nullptr);
  PangoFontMetrics* m = pango_context_get_metrics(gtk_widget_get_pango_context(widget), d, nullptr);
  const int h = PANGO_PIXELS(pango_font_metrics_get_ascent(m) + pango_font_metrics_get_descent(m));
  pango_font_metrics_unref(m);
  g_object_unref(layout);
  pango_font_description_free(d);
  unit_x = w > 0 ? (w / 26 + 1) / 2 : 6;
  unit_y = h > 0 ? h : 13;
}

int scale(int units, int base, int divisor) { return (units * base + divisor / 2) / divisor; }

// Small controls as the template draws them: the dialog font, no theme minimum heights.
void install_css(const DialogTemplate& t) {
  if (!css) {
    css = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  char text[1024];
  std::snprintf(text, sizeof text,
                "#grumboldx-upload { font-family: \"%s\"; font-size: %dpt; }\n"
                "#grumboldx-upload entry { min-height: 0; padding: 0 3px; }\n"
                "#grumboldx-upload button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
                "#grumboldx-upload textview, #grumboldx-upload textview text { background: transparent; }\n",
                t.font_family, t.font_points);
  gtk_css_provider_load_from_data(css, text, -1, nullptr);
}

void add_control(GtkDialogState& d, const ControlTemplate& t, const DialogTemplate& dialog, int ux,
                 int uy) {
  GtkControl c;
  c.id = t.id;
  c.kind = t.kind;
  c.x = scale(t.x, ux, 4);
  c.y = scale(t.y, uy, 8);
  c.width = scale(t.width, ux, 4);
  c.height = std::max(1, scale(t.height, uy, 8));
  const std::string text = cp1252_to_utf8(t.text);
  switch (t.kind) {
    case ControlKind::picture: {
      const std::size_t stride = static_cast<std::size_t>(c.width) * 3;
      auto* rgb = static_cast<guchar*>(g_malloc0(stride * c.height));
      if (dialog.paint_picture) dialog.paint_picture(c.width, c.height, rgb);
      GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(
          rgb, GDK_COLORSPACE_RGB, FALSE, 8, c.width, c.height, static_cast<int>(stride),
          [](guchar* pixels, gpointer) { g_free(pixels); }, nullptr);
      c.inner = c.outer = gtk_image_new_from_pixbuf(pixbuf);
      g_object_unref(pixbuf);
      break;
    }
    case ControlKind::text_left:
    case ControlKind::text_centred:
      c.inner = c.outer = gtk_label_new(text.c_str());
      gtk_label_set_xalign(GTK_LABEL(c.inner), t.kind == ControlKind::text_centred ? 0.5f : 0.0f);
      gtk_label_set_yalign(GTK_LABEL(c.inner), 0.0f);
      break;
    case ControlKind::message_area: {
      c.inner = gtk_text_view_new();
      gtk_text_view_set_editable(GTK_TEXT_VIEW(c.inner), FALSE);
      gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(c.inner), FALSE);
      gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(c.inner), GTK_WRAP_WORD_CHAR);
      gtk_text_view_set_justification(GTK_TEXT_VIEW(c.inner), GTK_JUSTIFY_CENTER);
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c.inner)), text.c_str(), -1);
      GtkWidget* scroller = gtk_scrolled_window_new(nullptr, nullptr);
      gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroller), GTK_POLICY_NEVER,
                                     GTK_POLICY_AUTOMATIC);
      gtk_container_add(GTK_CONTAINER(scroller), c.inner);
      c.place = c.outer = gtk_overlay_new();
      gtk_container_add(GTK_CONTAINER(c.outer), scroller);
      break;
    }
    case ControlKind::edit:
    case ControlKind::password:
      c.inner = c.outer = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(c.inner), 1);
      gtk_entry_set_text(GTK_ENTRY(c.inner), text.c_str());
      gtk_entry_set_activates_default(GTK_ENTRY(c.inner), TRUE);
      if (t.kind == ControlKind::password) gtk_entry_set_visibility(GTK_ENTRY(c.inner), FALSE);
      break;
    case ControlKind::button:
    case ControlKind::default_button:
      c.inner = c.outer = gtk_button_new_with_label(text.c_str());
      g_signal_connect(c.inner, "clicked", G_CALLBACK(on_clicked), GINT_TO_POINTER(t.id));
      if (t.kind == ControlKind::default_button) gtk_widget_set_can_default(c.inner, TRUE);
      break;
    case ControlKind::line:
      c.inner = c.outer = gtk_separator_new(GTK_ORIENTATION_HORIZONTAL);
      c.height = 1;
      break;
  }
  gtk_widget_set_size_request(c.outer, c.width, c.height);
  gtk_fixed_put(GTK_FIXED(d.layout), c.outer, c.x, c.y);
  d.controls.push_back(c);
}

// ---- the calls -------------------------------------------------------------------------------

int run(const DialogTemplate& t, DialogProcedure procedure) {
  if (active) {
    std::fprintf(stderr, "dialog: one is open already\n");
    return -1;
  }
  if (!gtk_dialog_start()) return -1;
  install_css(t);

  GtkDialogState d;
  d.procedure = procedure;
  d.font_family = t.font_family;
  d.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_widget_set_name(d.window, "grumboldx-upload");
  gtk_window_set_title(GTK_WINDOW(d.window), cp1252_to_utf8(t.caption).c_str());
  gtk_window_set_resizable(GTK_WINDOW(d.window), FALSE);
  gtk_window_set_position(GTK_WINDOW(d.window), GTK_WIN_POS_CENTER);
  gtk_window_set_modal(GTK_WINDOW(d.window), TRUE);
  d.layout = gtk_fixed_new();
  gtk_container_add(GTK_CONTAINER(d.window), d.layout);

  int ux = 6, uy = 13;
  base_units(d.window, t, ux, uy);
  d.width = scale(t.width, ux, 4);
  d.height = scale(t.height, uy, 8);
  d.margin = scale(7, ux, 4);
  gtk_widget_set_size_request(d.layout, d.width, d.height);
  for (int i = 0; i < t.control_count; ++i) add_control(d, t.controls[i], t, ux, uy);

  gtk_widget_add_events(d.window, GDK_POINTER_MOTION_MASK | GDK_BUTTON_RELEASE_MASK |
                                      GDK_LEAVE_NOTIFY_MASK);
  g_signal_connect(d.window, "delete-event", G_CALLBACK(on_delete), nullptr);
  g_signal_connect(d.window, "key-press-event", G_CALLBACK(on_key), nullptr);
  g_signal_connect(d.window, "motion-notify-event", G_CALLBACK(on_motion), nullptr);
  g_signal_connect(d.window, "leave-notify-event", G_CALLBACK(on_leave), nullptr);
  g_signal_connect(d.window, "button-release-event", G_CALLBACK(on_release), nullptr);

  active = &d;
  ++dialog_serial;
  for (GtkControl& c : d.controls) {
    if (is_text(c.kind)) style_text(c);
    if (c.kind == ControlKind::default_button) gtk_window_set_default(GTK_WINDOW(d.window), c.inner);
  }
  send(DialogMessage::init, 0);
  gtk_widget_show_all(d.window);
  // Typing starts in the first field.
  for (GtkControl& c : d.controls) {
    if (c.kind == ControlKind::edit || c.kind == ControlKind::password) {
      gtk_widget_grab_focus(c.inner);
      break;
    }
  }
  gtk_window_present(GTK_WINDOW(d.window));

  if (!d.ended) {
    d.loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(d.loop);
    g_main_loop_unref(d.loop);
    d.loop = nullptr;
  }
  for (GtkControl& c : d.controls)
    if (c.place) webkit_view_destroy(c.id);
  active = nullptr;
  gtk_widget_destroy(d.window);
  // Lets the window go from the screen before the game takes it again.
  for (int i = 0; i < 1000 && gtk_events_pending(); ++i) gtk_main_iteration_do(FALSE);
  return d.result;
}

void end(int result) {
  if (!active) return;
  active->ended = true;
  active->result = result;
  if (active->loop) g_main_loop_quit(active->loop);
}

std::size_t get_text(int id, char* out, std::size_t room) {
  const GtkControl* c = find(id);
  if (!c) return 0;
  std::string text;
  switch (c->kind) {
    case ControlKind::edit:
    case ControlKind::password:
      text = utf8_to_cp1252(gtk_entry_get_text(GTK_ENTRY(c->inner)));
      break;
    case ControlKind::text_left:
    case ControlKind::text_centred:
      text = utf8_to_cp1252(gtk_label_get_text(GTK_LABEL(c->inner)));
      break;
    case ControlKind::message_area: {
      GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner));
      GtkTextIter from, to;
      gtk_text_buffer_get_bounds(b, &from, &to);
      gchar* all = gtk_text_buffer_get_text(b, &from, &to, FALSE);
      text = utf8_to_cp1252(all);
      g_free(all);
      break;
    }
    case ControlKind::button:
    case ControlKind::default_button:
      text = utf8_to_cp1252(gtk_button_get_label(GTK_BUTTON(c->inner)));
      break;
    default:
      break;
  }
  const std::size_t n = std::min(text.size(), room - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
  return n;
}

void set_text(int id, const char* text) {
  GtkControl* c = find(id);
  if (!c) return;
  const std::string utf8 = cp1252_to_utf8(text);
  switch (c->kind) {
    case ControlKind::edit:
    case ControlKind::password:
      gtk_entry_set_text(GTK_ENTRY(c->inner), utf8.c_str());
      break;
    case ControlKind::text_left:
    case ControlKind::text_centred:
      gtk_label_set_text(GTK_LABEL(c->inner), utf8.c_str());
      style_text(*c);
      break;
    case ControlKind::message_area:
      gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(c->inner)), utf8.c_str(), -1);
      std::fprintf(stderr, "dialog text %d: %s\n", id, echo_text(text).c_str());
      break;
    case ControlKind::button:
    case ControlKind::default_button:
      gtk_button_set_label(GTK_BUTTON(c->inner), utf8.c_str());
      break;
    default:
      break;
  }
}

void enable(int id, bool on) {
  if (GtkControl* c = find(id)) gtk_widget_set_sensitive(c->outer, on);
}

bool enabled(int id) {
  const GtkControl* c = find(id);
  return c && gtk_widget_get_sensitive(c->outer);
}

void restore() {
  if (active) gtk_window_deiconify(GTK_WINDOW(active->window));
}

void collect_windows(GdkWindow* w, std::vector<GdkWindow*>& out) {
  out.push_back(w);
  for (GList* l = gdk_window_peek_children(w); l; l = l->next)
    collect_windows(static_cast<GdkWindow*>(l->data), out);
}

// Every window of the dialog (the fields have their own text cursor) shows the wait cursor
// until it is taken back; the server's answer is awaited without the loop running, so it is
// sent to the display at once.
void wait_cursor(bool on) {
  if (!active || on == active->waiting) return;
  GdkWindow* top = gtk_widget_get_window(active->window);
  if (!top) return;
  active->waiting = on;
  if (on) {
    std::vector<GdkWindow*> windows;
    collect_windows(top, windows);
    GdkCursor* wait = gdk_cursor_new_from_name(gdk_window_get_display(top), "wait");
    for (GdkWindow* w : windows) {
      GdkCursor* before = gdk_window_get_cursor(w);
      if (before) g_object_ref(before);
      g_object_ref(w);  // a window may go meanwhile (the HTML view is replaced)
      active->saved_cursors.emplace_back(w, before);
      gdk_window_set_cursor(w, wait);
    }
    if (wait) g_object_unref(wait);
  } else {
    for (auto& [w, before] : active->saved_cursors) {
      if (!gdk_window_is_destroyed(w)) gdk_window_set_cursor(w, before);
      if (before) g_object_unref(before);
      g_object_unref(w);
    }
    active->saved_cursors.clear();
  }
  gdk_display_flush(gdk_window_get_display(top));
}

void set_font(int id, const FontRecord* font) {
  GtkControl* c = find(id);
  if (!c || !is_text(c->kind)) return;
  const bool same = font ? c->font && c->font->family == font->family && c->font->height == font->height &&
                               c->font->weight == font->weight && c->font->underline == font->underline
                         : !c->font;
  if (same) return;
  if (font) c->font = *font;
  else c->font.reset();
  style_text(*c);
}

bool host_start() { return gtk_dialog_start(); }

}  // namespace

bool gtk_dialog_start() {
  if (gtk_started) return true;
  if (gtk_failed) return false;
  // The game formats its numbers and texts itself; GTK must not change the C locale under it.
  gtk_disable_setlocale();
  if (!gtk_init_check(nullptr, nullptr)) {
    gtk_failed = true;
    std::fprintf(stderr, "GTK: no display for the upload dialog\n");
    return false;
  }
  gtk_started = true;
  return true;
}

GtkWidget* gtk_dialog_view_place(int id) {
  const GtkControl* c = find(id);
  return c ? c->place : nullptr;
}

void gtk_dialog_post(DialogMessage message, int id) {
  if (!active) return;
  g_idle_add(deliver_posted, new Posted{message, id, dialog_serial});
}

const DialogSystem gtk_dialog_system = {
    run,         end,      get_text,   set_text,           enable,
    enabled,     restore,  wait_cursor, set_font,          host_start,
    webkit_view_create, webkit_view_destroy, webkit_view_show,
};

void use_desktop_dialog() { use_dialog_system(gtk_dialog_system); }

}  // namespace plat
