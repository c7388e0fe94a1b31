// SPDX-License-Identifier: GPL-3.0-or-later
// The diagnostic log "debug.txt": truncated once at start, then every line is appended with its
// own open, write, flush and close, so the file is complete on disk after every call.
#pragma once

namespace res {

void debug_log_reset();
void debug_log(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The log file's name; tests may point it elsewhere before the first call.
void debug_log_set_path(const char* path);

}  // namespace res
