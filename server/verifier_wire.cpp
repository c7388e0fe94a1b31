// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/verifier_wire.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace server::wire {

namespace {

bool write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool read_all(int fd, char* p, std::size_t n, std::int64_t deadline_ms) {
  while (n > 0) {
    if (deadline_ms >= 0) {
      const std::int64_t left = deadline_ms - now_ms();
      if (left <= 0) return false;
      pollfd pfd{fd, POLLIN, 0};
      const int ready = ::poll(&pfd, 1, static_cast<int>(left > 60000 ? 60000 : left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) {
        if (ready == 0) continue;  // the loop checks the deadline again
        return false;
      }
    }
    const ssize_t r = ::read(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

}  // namespace

std::int64_t now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool write_message(int fd, std::string_view payload) {
  if (payload.size() > max_message) return false;
  std::string head;
  put32(head, static_cast<std::uint32_t>(payload.size()));
  return write_all(fd, head.data(), head.size()) && write_all(fd, payload.data(), payload.size());
}

bool read_message(int fd, std::string& payload, std::int64_t deadline_ms) {
  char head[4];
  if (!read_all(fd, head, 4, deadline_ms)) return false;
  const std::uint32_t n = Reader(std::string_view(head, 4)).u32();
  if (n > max_message) return false;
  payload.resize(n);
  return read_all(fd, payload.data(), n, deadline_ms);
}

}  // namespace server::wire
