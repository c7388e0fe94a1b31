// SPDX-License-Identifier: GPL-3.0-or-later
// The window, the display set-up and its release, and the window procedure.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace front {

// Creates the window and the display (primary surface with one back buffer). A failing step
// shows its name in the fatal message box and destroys the window. Returns 0, or the failing
// step's result.
int init_display();
// Formats the text (at most 127 characters), releases everything, shows the message box titled
// "GrumboldX", destroys the window and returns code. The process then ends with exit code 1.
int show_fatal_message(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
bool fatal_message_shown();
// Releases sound, sprites, the font and the display, in that order. Harmless when run twice.
void release_all();
// Gives the display up completely (the packed sprite data survives) and builds it again.
bool leave_fullscreen();
int enter_fullscreen();
// The window's destruction: saving, release, the quit message. Harmless without a window.
void destroy_window();

std::int64_t window_procedure(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam);

}  // namespace front
