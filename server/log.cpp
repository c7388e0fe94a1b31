// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

namespace server {

namespace {
std::atomic<bool> quiet{false};
std::mutex lines;
}  // namespace

void set_server_log_quiet(bool q) { quiet = q; }

void server_log(const char* format, ...) {
  if (quiet) return;
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  std::lock_guard lock(lines);
  std::fprintf(stderr, "%s %s\n", stamp, text);
}

}  // namespace server
