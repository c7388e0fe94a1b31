// SPDX-License-Identifier: GPL-3.0-or-later
// The HTML view over a control of the GTK dialog: a WebKit view laid over the control, filled
// from a text. Scripts are off and there is no context menu; a link followed inside the view
// (in it, or where it asks for a new window) loads only http and https addresses, and only what
// the view can show is shown: a response meant to be saved (an attachment, or a type the view
// cannot display) is refused, and any download WebKit starts anyway is cancelled, so a reply
// can never put a file on the player's disk. The views share one ephemeral web context: no
// cookies, cache or storage under the home folder. When WebKit's page process ends, or the
// text cannot be laid out, the dialog procedure hears view_failed.
#include <webkit2/webkit2.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/upload_dialog_gtk.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {

struct View {
  int id = 0;
  GtkWidget* widget = nullptr;
};

std::vector<View> views;

View* find_view(int id) {
  for (View& v : views)
    if (v.id == id && v.widget) return &v;
  return nullptr;
}

bool web_address(const char* uri) {
  return uri && (g_ascii_strncasecmp(uri, "http://", 7) == 0 || g_ascii_strncasecmp(uri, "https://", 8) == 0);
}

gboolean on_context_menu(WebKitWebView*, WebKitContextMenu*, GdkEvent*, WebKitHitTestResult*,
                         gpointer) {
  return TRUE;  // no menu
}

// A response the view may show: not marked for saving, of a type it can display.
bool displayable(WebKitResponsePolicyDecision* decision) {
  if (!webkit_response_policy_decision_is_mime_type_supported(decision)) return false;
  WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
  SoupMessageHeaders* headers = response ? webkit_uri_response_get_http_headers(response) : nullptr;
  const char* disposition = headers ? soup_message_headers_get_one(headers, "Content-Disposition") : nullptr;
  if (!disposition) return true;
  while (*disposition == ' ' || *disposition == '\t') ++disposition;
  return g_ascii_strncasecmp(disposition, "attachment", 10) != 0;
}

gboolean on_decide_policy(WebKitWebView* view, WebKitPolicyDecision* decision,
                          WebKitPolicyDecisionType type, gpointer) {
  if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE) {
    if (displayable(WEBKIT_RESPONSE_POLICY_DECISION(decision))) webkit_policy_decision_use(decision);
    else webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  WebKitNavigationAction* action =
      webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  WebKitURIRequest* request = webkit_navigation_action_get_request(action);
  const char* uri = webkit_uri_request_get_uri(request);
  // The text written into the view arrives as about:blank.
  const bool own_text = uri && std::strcmp(uri, "about:blank") == 0 &&
                        webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_OTHER;
  if (type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) {
    // No second window: a web address opens in the view itself.
    if (web_address(uri)) webkit_web_view_load_request(view, request);
    webkit_policy_decision_ignore(decision);
    return TRUE;
  }
  if (own_text || web_address(uri)) webkit_policy_decision_use(decision);
  else webkit_policy_decision_ignore(decision);
  return TRUE;
}

void report_failure(GtkWidget* widget) {
  for (const View& v : views)
    if (v.widget == widget) gtk_dialog_post(DialogMessage::view_failed, v.id);
}

void on_process_ended(WebKitWebView* view, WebKitWebProcessTerminationReason, gpointer) {
  report_failure(GTK_WIDGET(view));
}

gboolean on_load_failed(WebKitWebView* view, WebKitLoadEvent, gchar* uri, GError* error, gpointer) {
  // Only the written text counts: a page the player followed a link to shows WebKit's own
  // error page, and a load replaced by the next text was cancelled, not failed.
  if (uri && std::strcmp(uri, "about:blank") == 0 &&
      !g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED))
    report_failure(GTK_WIDGET(view));
  return FALSE;
}

void on_download_started(WebKitWebContext*, WebKitDownload* download, gpointer) {
  webkit_download_cancel(download);
  std::fprintf(stderr, "dialog html: a download was refused\n");
}

// One context for every view, made once: it keeps nothing on disk.
WebKitWebContext* view_context() {
  static WebKitWebContext* context = [] {
    WebKitWebContext* c = webkit_web_context_new_ephemeral();
    g_signal_connect(c, "download-started", G_CALLBACK(on_download_started), nullptr);
    return c;
  }();
  return context;
}

}  // namespace

int webkit_view_create(int id) {
  GtkWidget* place = gtk_dialog_view_place(id);
  if (!place) return -1;
  webkit_view_destroy(id);
  GtkWidget* widget = webkit_web_view_new_with_context(view_context());
  if (!widget) return -2;
  WebKitSettings* settings = webkit_web_view_get_settings(WEBKIT_WEB_VIEW(widget));
  webkit_settings_set_enable_javascript(settings, FALSE);
  webkit_settings_set_enable_javascript_markup(settings, FALSE);
  // A software display (a virtual X server, no GPU driver) has nothing to accelerate with.
  webkit_settings_set_hardware_acceleration_policy(settings, WEBKIT_HARDWARE_ACCELERATION_POLICY_NEVER);
  g_signal_connect(widget, "context-menu", G_CALLBACK(on_context_menu), nullptr);
  g_signal_connect(widget, "decide-policy", G_CALLBACK(on_decide_policy), nullptr);
  g_signal_connect(widget, "web-process-terminated", G_CALLBACK(on_process_ended), nullptr);
  g_signal_connect(widget, "load-failed", G_CALLBACK(on_load_failed), nullptr);
  gtk_overlay_add_overlay(GTK_OVERLAY(place), widget);
  gtk_widget_show(widget);
  if (!gtk_widget_get_visible(widget)) {
    gtk_widget_destroy(widget);
    return -3;
  }
  views.push_back(View{id, widget});
  return 0;
}

void webkit_view_destroy(int id) {
  for (auto it = views.begin(); it != views.end();) {
    if (it->id == id) {
      if (it->widget) gtk_widget_destroy(it->widget);
      it = views.erase(it);
    } else {
      ++it;
    }
  }
}

int webkit_view_show(int id, const char* html) {
  View* v = find_view(id);
  if (!v) return -1;
  // Each text replaces the whole document; it has no address of its own to resolve against.
  webkit_web_view_load_html(WEBKIT_WEB_VIEW(v->widget), cp1252_to_utf8(html).c_str(), nullptr);
  std::fprintf(stderr, "dialog html %d: %s\n", id, echo_text(html).c_str());
  return 0;
}

}  // namespace plat
