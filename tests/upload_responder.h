// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP responder for the upload tests: it listens on a free port of 127.0.0.1, reads
// each request (head and body) and answers with the next of the answers it was given, then
// closes the connection. Answers can also misbehave the ways a real server might: stall,
// close at once, send garbage, break off midway or never end.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace upload_test {

struct Answer {
  enum Kind { reply, raw, stall, close_at_once, endless, trickle } kind = reply;
  std::string bytes;  // reply, trickle: the body; raw: everything sent; endless: what is repeated
};

inline Answer reply(std::string body) { return Answer{Answer::reply, std::move(body)}; }
inline Answer raw(std::string bytes) { return Answer{Answer::raw, std::move(bytes)}; }
inline Answer stall() { return Answer{Answer::stall, ""}; }
inline Answer close_at_once() { return Answer{Answer::close_at_once, ""}; }
inline Answer endless(std::string piece) { return Answer{Answer::endless, std::move(piece)}; }
// A reply whose body comes one byte every 150 ms: slow, but never silent for long.
inline Answer trickle(std::string body) { return Answer{Answer::trickle, std::move(body)}; }

struct Request {
  std::string head;  // request line and header lines, each ended by "\r\n"
  std::string body;
};

class Responder {
 public:
  explicit Responder(std::vector<Answer> answers = {}) : answers_(answers.begin(), answers.end()) {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int on = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t n = sizeof a;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &n);
    port_ = ntohs(a.sin_port);
    ::listen(listener_, 8);
    thread_ = std::thread([this] { serve(); });
  }
  ~Responder() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  Responder(const Responder&) = delete;
  Responder& operator=(const Responder&) = delete;

  std::string address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  void add(Answer a) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(std::move(a));
  }
  std::vector<Request> requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  // Waits until fd is readable (or closed) or the responder stops; false on stop or timeout.
  bool readable(int fd, int limit_ms) {
    for (int waited = 0; !stop_ && waited < limit_ms; waited += 50) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) return true;
    }
    return false;
  }

  bool read_request(int fd, Request& r) {
    std::string data;
    char buffer[4096];
    std::size_t head_end = std::string::npos;
    while ((head_end = data.find("\r\n\r\n")) == std::string::npos) {
      if (!readable(fd, 10000)) return false;
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      data.append(buffer, static_cast<std::size_t>(n));
    }
    r.head = data.substr(0, head_end + 2);
    std::size_t length = 0;
    for (const char* name : {"\r\nContent-Length: ", "\r\ncontent-length: "}) {
      const std::size_t at = r.head.find(name);
      if (at != std::string::npos) length = std::strtoul(r.head.c_str() + at + std::strlen(name), nullptr, 10);
    }
    r.body = data.substr(head_end + 4);
    while (r.body.size() < length) {
      if (!readable(fd, 10000)) return false;
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      r.body.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
  }

  static bool send_all(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  void answer(int fd, const Answer& a) {
    switch (a.kind) {
      case Answer::reply:
        send_all(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                         std::to_string(a.bytes.size()) + "\r\nConnection: close\r\n\r\n" + a.bytes);
        break;
      case Answer::raw:
        send_all(fd, a.bytes);
        break;
      case Answer::stall:
        // Until the client gives up and closes its end.
        while (!stop_) {
          pollfd p{fd, POLLIN, 0};
          char c;
          if (::poll(&p, 1, 50) > 0 && ::recv(fd, &c, 1, 0) <= 0) break;
        }
        break;
      case Answer::close_at_once:
        break;
      case Answer::trickle:
        if (!send_all(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " +
                              std::to_string(a.bytes.size()) + "\r\nConnection: close\r\n\r\n"))
          break;
        for (char c : a.bytes) {
          std::this_thread::sleep_for(std::chrono::milliseconds(150));
          if (stop_ || !send_all(fd, std::string(1, c))) break;
        }
        break;
      case Answer::endless: {
        if (!send_all(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n")) break;
        // Until the client has had enough (or far more than any reply it keeps).
        for (std::size_t sent = 0; !stop_ && sent < (64u << 20); sent += a.bytes.size())
          if (!send_all(fd, a.bytes)) break;
        break;
      }
    }
  }

  void serve() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      Request r;
      if (read_request(fd, r)) {
        Answer a = reply("Action=Abort\ntext=no answer left in the test\n");
        {
          std::lock_guard<std::mutex> lock(mutex_);
          requests_.push_back(r);
          if (!answers_.empty()) {
            a = answers_.front();
            answers_.pop_front();
          }
        }
        answer(fd, a);
      }
      ::shutdown(fd, SHUT_RDWR);
      ::close(fd);
    }
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::deque<Answer> answers_;
  std::vector<Request> requests_;
  std::thread thread_;
};

// A port on 127.0.0.1 where nobody listens (taken and given back at once).
inline int closed_port() {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t n = sizeof a;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &n);
  ::close(s);
  return ntohs(a.sin_port);
}

// The fields of a form body in order, as (name, value) pairs.
inline std::vector<std::pair<std::string, std::string>> form_fields(const std::string& body) {
  std::vector<std::pair<std::string, std::string>> fields;
  std::size_t at = 0;
  while (at <= body.size()) {
    std::size_t end = body.find('&', at);
    if (end == std::string::npos) end = body.size();
    const std::string field = body.substr(at, end - at);
    const std::size_t equals = field.find('=');
    fields.emplace_back(field.substr(0, equals), equals == std::string::npos ? "" : field.substr(equals + 1));
    at = end + 1;
  }
  return fields;
}

}  // namespace upload_test
