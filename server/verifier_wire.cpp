// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/verifier_wire.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

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

bool spawn_child(const std::string& program, const char* mode, const std::string& archive, Child& out,
                 std::string& error) {
  int job[2], answer[2];
  if (pipe2(job, O_CLOEXEC) != 0) {
    error = "no pipe";
    return false;
  }
  if (pipe2(answer, O_CLOEXEC) != 0) {
    ::close(job[0]);
    ::close(job[1]);
    error = "no pipe";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, job[0], 0);
  posix_spawn_file_actions_adddup2(&actions, answer[1], 3);
  std::string program_arg = program, mode_arg = mode, archive_arg = archive;
  char* argv[] = {program_arg.data(), mode_arg.data(), archive_arg.data(), nullptr};
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  ::close(job[0]);
  ::close(answer[1]);
  if (rc != 0) {
    ::close(job[1]);
    ::close(answer[0]);
    error = "cannot start " + program;
    return false;
  }
  out = Child{pid, job[1], answer[0]};
  return true;
}

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
