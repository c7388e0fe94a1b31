// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "game/resources/fatal.h"

namespace res {

namespace {
std::string log_path = "debug.txt";
}

void debug_log_set_path(const char* path) { log_path = path; }

void debug_log_reset() {
  std::FILE* f = std::fopen(log_path.c_str(), "w");
  if (!f) fatal_exit(1);  // nowhere to explain anything: end at once
  std::fclose(f);
}

void debug_log(const char* format, ...) {
  std::FILE* f = std::fopen(log_path.c_str(), "a");
  if (!f) return;  // the line is dropped; the game goes on
  va_list args;
  va_start(args, format);
  std::vfprintf(f, format, args);
  va_end(args);
  std::fflush(f);
  std::fclose(f);
}

}  // namespace res
