// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side of the upload: the GTK dialog with its WebKit view over the message area.
// (The HTTP exchange with the highscore server, platform/http.h, is the desktop library's too.)
#pragma once

namespace plat {

// The upload dialog's calls (upload_ui.h) go to the GTK dialog from now on, instead of the
// headless one that runs scripted dialogs.
void use_desktop_dialog();

}  // namespace plat
