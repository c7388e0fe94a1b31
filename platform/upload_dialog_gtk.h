// SPDX-License-Identifier: GPL-3.0-or-later
// What the WebKit view needs from the GTK dialog. Internal to the platform layer.
#pragma once

#include <gtk/gtk.h>

#include "platform/upload_ui.h"

namespace plat {

// Starts GTK once (false when there is no display to show a dialog on).
bool gtk_dialog_start();
// The container over the control ID of the open dialog that a view is laid into, or null.
GtkWidget* gtk_dialog_view_place(int id);
// Hands a message to the dialog procedure from the dialog's own loop, soon, if the dialog is
// still open then (for what WebKit reports while the procedure may be running).
void gtk_dialog_post(DialogMessage message, int id);

// The view's calls (platform/html_view_webkit.cpp).
int webkit_view_create(int id);
void webkit_view_destroy(int id);
int webkit_view_show(int id, const char* html);

}  // namespace plat
