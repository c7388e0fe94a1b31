// SPDX-License-Identifier: GPL-3.0-or-later
// Clocks for measuring the program itself (frame statistics): real time and the processor time
// the process has used. Both are real even in the headless backend, whose game clock is virtual.
#include <sys/resource.h>

#include <cstdlib>
#include <ctime>

#include "platform/platform.h"

namespace plat {

std::int64_t precise_time_us() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

std::int64_t process_cpu_us() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  auto us = [](const timeval& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000 + t.tv_usec;
  };
  return us(usage.ru_utime) + us(usage.ru_stime);
}

bool frame_stats_requested() {
  const char* value = std::getenv("GRUMBOLDX_STATS");
  return value && value[0] && value[0] != '0';
}

}  // namespace plat
