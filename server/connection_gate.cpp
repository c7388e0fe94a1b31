// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/connection_gate.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string_view>

namespace server {

namespace {

constexpr int lingering_ms = 2000;  // how long a refused client's remaining bytes are read away

long long now_ms() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

const char* status_text(int status) {
  switch (status) {
    case 400: return "Bad Request";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    default: return "Service Unavailable";
  }
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// What the gate needs of a complete head: the declared body length, or why the head is refused.
struct HeadFacts {
  int status = 0;  // 0: in order
  const char* why = "";
  std::size_t body_length = 0;
};

HeadFacts read_head(std::string_view head, const GateLimits& limits) {
  HeadFacts f;
  const std::size_t line_end = head.find("\r\n");
  const std::string_view request_line = head.substr(0, line_end);
  if (request_line.empty() || request_line.find(' ') == std::string_view::npos)
    return {400, "the request line is not one"};
  std::string_view rest = head.substr(line_end + 2);
  int lines = 0;
  bool has_length = false, has_encoding = false;
  while (!rest.empty()) {
    const std::size_t end = rest.find("\r\n");
    const std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 2);
    if (line.empty()) break;  // the blank line that ends the head
    if (++lines > limits.max_header_lines) return {431, "too many header lines"};
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return {400, "a header line without a name"};
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = trim(line.substr(colon + 1));
    if (equal_ignoring_case(name, "Transfer-Encoding")) {
      has_encoding = true;
    } else if (equal_ignoring_case(name, "Content-Length")) {
      if (value.empty() || value.size() > 12 || value.find_first_not_of("0123456789") != std::string_view::npos)
        return {400, "a Content-Length that is not a number"};
      std::size_t n = 0;
      for (char c : value) n = n * 10 + static_cast<std::size_t>(c - '0');
      if (has_length && n != f.body_length) return {400, "two different Content-Lengths"};
      has_length = true;
      f.body_length = n;
    }
  }
  // A request with both is read one way here and perhaps another way by a proxy in front:
  // neither is trusted. Bodies come with their length (the game and browsers send one).
  if (has_encoding && has_length) return {400, "both Content-Length and Transfer-Encoding"};
  if (has_encoding) return {411, "a body without a Content-Length"};
  if (f.body_length > limits.max_body) return {413, "a body longer than allowed"};
  return f;
}

std::string address_of(const sockaddr_storage& a, int& port) {
  char text[INET6_ADDRSTRLEN] = {};
  if (a.ss_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(&a);
    inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
    port = ntohs(v4->sin_port);
  } else if (a.ss_family == AF_INET6) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&a);
    inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
    port = ntohs(v6->sin6_port);
  }
  return text;
}

}  // namespace

// ---- a connection ----------------------------------------------------------------------------

GateConnection::GateConnection(int fd, SSL* ssl, std::string address, int port)
    : fd_(fd), ssl_(ssl), address_(std::move(address)), port_(port) {}

GateConnection::~GateConnection() {
  if (ssl_) {
    SSL_shutdown(ssl_);
    SSL_free(ssl_);
  }
  if (fd_ >= 0) {
    shutdown(fd_, SHUT_WR);
    close(fd_);
  }
}

bool GateConnection::write(const char* data, std::size_t n, int seconds) {
  while (n > 0) {
    short wait_for = POLLOUT;
    ssize_t done = 0;
    if (ssl_) {
      ERR_clear_error();
      const int r = SSL_write(ssl_, data, static_cast<int>(n > 1 << 30 ? 1 << 30 : n));
      if (r > 0) {
        done = r;
      } else {
        const int e = SSL_get_error(ssl_, r);
        if (e == SSL_ERROR_WANT_READ) wait_for = POLLIN;
        else if (e != SSL_ERROR_WANT_WRITE) return false;
      }
    } else {
      done = send(fd_, data, n, MSG_NOSIGNAL);
      if (done < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
      if (done < 0) done = 0;
    }
    if (done > 0) {
      data += done;
      n -= static_cast<std::size_t>(done);
      continue;
    }
    pollfd p{fd_, wait_for, 0};
    if (poll(&p, 1, seconds * 1000) <= 0 || (p.revents & (POLLERR | POLLHUP))) return false;
  }
  return true;
}

// ---- the gate --------------------------------------------------------------------------------

ConnectionGate::ConnectionGate(const GateLimits& limits, SSL_CTX* tls, int workers, Handler handler)
    : limits_(limits), tls_(tls), worker_count_(workers < 1 ? 1 : workers), handler_(std::move(handler)) {
  epoll_fd_ = epoll_create1(EPOLL_CLOEXEC);
  wake_fd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

ConnectionGate::~ConnectionGate() {
  if (listen_fd_ >= 0) close(listen_fd_);
  if (wake_fd_ >= 0) close(wake_fd_);
  if (epoll_fd_ >= 0) close(epoll_fd_);
}

bool ConnectionGate::bind(const std::string& host, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || !found) {
    error = "cannot listen on " + host + ": not an address";
    return false;
  }
  const int fd = socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  // A restart may take its port back at once, but a second server cannot share it: no
  // SO_REUSEPORT, which would split the connections between two servers silently.
  int yes = 1;
  if (fd >= 0) setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  const bool ok = fd >= 0 && ::bind(fd, found->ai_addr, found->ai_addrlen) == 0 && listen(fd, 512) == 0;
  const int why = errno;
  freeaddrinfo(found);
  if (!ok) {
    if (fd >= 0) close(fd);
    error = "cannot listen on " + host + ":" + std::to_string(port) +
            (why == EADDRINUSE ? ": address in use" : std::string(": ") + std::strerror(why));
    return false;
  }
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  address_of(bound, port_);
  listen_fd_ = fd;
  return true;
}

void ConnectionGate::stop() {
  stopping_ = true;
  const std::uint64_t one = 1;
  if (wake_fd_ >= 0) [[maybe_unused]] ssize_t n = ::write(wake_fd_, &one, sizeof one);
}

void ConnectionGate::run() {
  if (listen_fd_ < 0 || epoll_fd_ < 0 || wake_fd_ < 0) return;
  epoll_event e{};
  e.events = EPOLLIN;
  e.data.ptr = nullptr;  // the listening socket
  epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, listen_fd_, &e);
  e.data.ptr = this;  // the wake-up
  epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, wake_fd_, &e);
  for (int i = 0; i < worker_count_; ++i) workers_.emplace_back([this] { work(); });

  epoll_event events[64];
  while (!stopping_) {
    const int n = epoll_wait(epoll_fd_, events, 64, 200);
    for (int i = 0; i < n && !stopping_; ++i) {
      if (events[i].data.ptr == nullptr)
        accept_all();
      else if (events[i].data.ptr != this)
        on_event(static_cast<GateConnection*>(events[i].data.ptr), events[i].events);
    }
    check_deadlines();
  }

  // Stop taking connections; requests already with the workers are answered.
  close(listen_fd_);
  listen_fd_ = -1;
  while (!open_.empty()) drop(open_.begin()->first);
  {
    std::lock_guard lock(queue_mutex_);
    queue_closed_ = true;
  }
  queue_ready_.notify_all();
  for (std::thread& t : workers_) t.join();
  workers_.clear();
}

void ConnectionGate::accept_all() {
  for (;;) {
    sockaddr_storage from{};
    socklen_t length = sizeof from;
    const int fd = accept4(listen_fd_, reinterpret_cast<sockaddr*>(&from), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;  // none left (or a passing failure such as too many files: the next round tries)
    int port = 0;
    std::string address = address_of(from, port);
    int status = 0;
    {
      std::lock_guard lock(count_mutex_);
      int& mine = per_address_[address];
      if (total_ >= limits_.max_connections)
        status = 503;
      else if (mine >= limits_.per_address)
        status = 429;
      if (status == 0) {
        ++mine;
        ++total_;
      } else if (mine == 0) {
        per_address_.erase(address);
      }
    }
    if (status != 0) {
      // Told in one write if the socket takes it (plain HTTP only), then closed: such a client
      // gets no room here.
      if (!tls_) {
        const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + status_text(status) +
                                   "\r\nRetry-After: 5\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        [[maybe_unused]] ssize_t n = send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
      }
      close(fd);
      continue;
    }
    SSL* ssl = tls_ ? SSL_new(tls_) : nullptr;
    auto c = std::make_unique<GateConnection>(fd, ssl, std::move(address), port);
    if (tls_ && (!ssl || SSL_set_fd(ssl, fd) != 1)) {
      release(*c);
      continue;  // closed with c
    }
    c->state_ = ssl ? GateConnection::State::handshake : GateConnection::State::head;
    c->deadline_ms_ = now_ms() + limits_.head_seconds * 1000LL;
    epoll_event e{};
    e.events = EPOLLIN | EPOLLRDHUP;
    e.data.ptr = c.get();
    if (epoll_ctl(epoll_fd_, EPOLL_CTL_ADD, fd, &e) != 0) {
      release(*c);
      continue;  // closed with c
    }
    GateConnection* raw = c.get();
    open_.emplace(raw, std::move(c));
  }
}

void ConnectionGate::on_event(GateConnection* c, unsigned events) {
  if (!open_.count(c)) return;
  if (c->state_ == GateConnection::State::handshake) {
    ERR_clear_error();
    const int r = SSL_accept(c->ssl_);
    if (r == 1) {
      c->state_ = GateConnection::State::head;
      epoll_event e{};
      e.events = EPOLLIN | EPOLLRDHUP;
      e.data.ptr = c;
      epoll_ctl(epoll_fd_, EPOLL_CTL_MOD, c->fd_, &e);
    } else {
      const int why = SSL_get_error(c->ssl_, r);
      if (why != SSL_ERROR_WANT_READ && why != SSL_ERROR_WANT_WRITE) {
        drop(c);
        return;
      }
      epoll_event e{};
      e.events = (why == SSL_ERROR_WANT_WRITE ? EPOLLOUT : EPOLLIN) | EPOLLRDHUP;
      e.data.ptr = c;
      epoll_ctl(epoll_fd_, EPOLL_CTL_MOD, c->fd_, &e);
      return;
    }
  }
  if (events & (EPOLLIN | EPOLLRDHUP | EPOLLHUP | EPOLLERR) || (c->ssl_ && SSL_pending(c->ssl_) > 0)) read_from(c);
}

void ConnectionGate::read_from(GateConnection* c) {
  char chunk[16384];
  for (;;) {
    ssize_t n = 0;
    if (c->ssl_) {
      ERR_clear_error();
      const int r = SSL_read(c->ssl_, chunk, sizeof chunk);
      if (r <= 0) {
        const int why = SSL_get_error(c->ssl_, r);
        if (why == SSL_ERROR_WANT_READ || why == SSL_ERROR_WANT_WRITE) return;
        drop(c);  // closed or broken
        return;
      }
      n = r;
    } else {
      n = recv(c->fd_, chunk, sizeof chunk, 0);
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        drop(c);  // the client closed (or the connection broke) before its request was whole
        return;
      }
    }
    if (c->state_ == GateConnection::State::draining) continue;  // read away, not kept
    c->bytes_.append(chunk, static_cast<std::size_t>(n));
    if (c->state_ == GateConnection::State::head) {
      look_at_head(c);
      if (!open_.count(c)) return;  // dropped
      if (c->state_ != GateConnection::State::body) continue;
    }
    if (c->state_ == GateConnection::State::body && c->bytes_.size() >= c->expected_) {
      // Whole: what came after it is no part of it (one request per connection).
      c->bytes_.resize(c->expected_);
      epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, c->fd_, nullptr);
      auto it = open_.find(c);
      std::unique_ptr<GateConnection> whole = std::move(it->second);
      open_.erase(it);
      {
        std::lock_guard lock(queue_mutex_);
        queue_.push_back(std::move(whole));
      }
      queue_ready_.notify_one();
      return;
    }
  }
}

void ConnectionGate::look_at_head(GateConnection* c) {
  const std::size_t from = c->scanned_ > 3 ? c->scanned_ - 3 : 0;
  const std::size_t end = c->bytes_.find("\r\n\r\n", from);
  if (end == std::string::npos) {
    c->scanned_ = c->bytes_.size();
    std::size_t lines = 0;
    for (char ch : c->bytes_)
      if (ch == '\n') ++lines;
    if (c->bytes_.size() > limits_.max_head || lines > static_cast<std::size_t>(limits_.max_header_lines) + 1)
      refuse(c, 431, "the request head is too large");
    return;
  }
  c->head_end_ = end + 4;
  if (c->head_end_ > limits_.max_head) {
    refuse(c, 431, "the request head is too large");
    return;
  }
  const HeadFacts f = read_head(std::string_view(c->bytes_).substr(0, c->head_end_), limits_);
  if (f.status != 0) {
    refuse(c, f.status, f.why);
    return;
  }
  // The body's room is taken from the gate's budget before a byte of it is read: many large
  // uploads at once wait their turn (503 and Retry-After) instead of filling the memory.
  if (buffered_.fetch_add(f.body_length) + f.body_length > limits_.max_buffered) {
    buffered_.fetch_sub(f.body_length);
    refuse(c, 503, "the server is busy: please send again in a moment");
    return;
  }
  c->reserved_ = f.body_length;
  c->expected_ = c->head_end_ + f.body_length;
  c->state_ = GateConnection::State::body;
  c->deadline_ms_ = now_ms() + limits_.body_seconds * 1000LL;
}

void ConnectionGate::refuse(GateConnection* c, int status, const char* text) {
  const std::string body = std::string(text) + "\n";
  const std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + status_text(status) +
                             "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                             std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  // A short answer into an empty socket buffer goes at once; a client that reads nothing gets
  // nothing more.
  if (!c->write(answer.data(), answer.size(), 0)) {
    drop(c);
    return;
  }
  // Then the sending side is closed and what the client still sends is read away for a moment,
  // so that closing with unread bytes does not reset the connection before the answer is read.
  shutdown(c->fd_, SHUT_WR);
  c->bytes_.clear();
  c->bytes_.shrink_to_fit();
  c->state_ = GateConnection::State::draining;
  c->deadline_ms_ = now_ms() + lingering_ms;
}

void ConnectionGate::drop(GateConnection* c) {
  auto it = open_.find(c);
  if (it == open_.end()) return;
  epoll_ctl(epoll_fd_, EPOLL_CTL_DEL, c->fd_, nullptr);
  std::unique_ptr<GateConnection> owned = std::move(it->second);
  open_.erase(it);
  release(*owned);
}  // closed here

void ConnectionGate::release(GateConnection& c) {
  buffered_.fetch_sub(c.reserved_);
  c.reserved_ = 0;
  std::lock_guard lock(count_mutex_);
  auto it = per_address_.find(c.address_);
  if (it != per_address_.end() && --it->second <= 0) per_address_.erase(it);
  --total_;
}

void ConnectionGate::check_deadlines() {
  const long long now = now_ms();
  std::vector<GateConnection*> late;
  for (const auto& [c, owned] : open_)
    if (now >= c->deadline_ms_) late.push_back(c);
  for (GateConnection* c : late) {
    if (c->state_ == GateConnection::State::draining || c->state_ == GateConnection::State::handshake)
      drop(c);
    else
      refuse(c, 408, c->state_ == GateConnection::State::head ? "the request head came too slowly"
                                                               : "the request body came too slowly");
  }
}

void ConnectionGate::work() {
  for (;;) {
    std::unique_ptr<GateConnection> c;
    {
      std::unique_lock lock(queue_mutex_);
      queue_ready_.wait(lock, [this] { return !queue_.empty() || queue_closed_; });
      if (queue_.empty()) return;
      c = std::move(queue_.front());
      queue_.pop_front();
    }
    handler_(*c);
    release(*c);
    c.reset();  // answered: closed
  }
}

}  // namespace server
