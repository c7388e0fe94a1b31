// SPDX-License-Identifier: GPL-3.0-or-later
// The one way out after an unrecoverable error (no memory, a surface that cannot be created or
// locked, a missing picture or font definition, no data archive).
#pragma once

namespace res {

// Stops everything that runs beside the main thread (the sound device and the timers) and closes
// the window and the display, then ends the process with code. Whatever the caller logged is
// already on disk, since every log line is flushed when it is written.
[[noreturn]] void fatal_exit(int code);

}  // namespace res
