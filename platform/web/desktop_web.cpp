// SPDX-License-Identifier: GPL-3.0-or-later
// The web page has no GTK dialog: the upload dialog stays the scripted one of the headless
// layer (platform/upload_dialog_headless.cpp) until the page draws a form of its own.
#include "platform/desktop.h"

namespace plat {

void use_desktop_dialog() {}

}  // namespace plat
