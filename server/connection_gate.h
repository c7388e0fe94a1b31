// SPDX-License-Identifier: GPL-3.0-or-later
// The server's front door. One thread waits on every open connection (epoll) and reads each
// request whole, head and body, before a worker sees it: a slow or hostile client holds a little
// memory and no worker. Its bounds: connections in all and per client address, the size and the
// line count of a request head, a deadline for the head (from the connection's start) and one
// for the body, the body's declared length, and the bytes of bodies held at once. A request that breaks one is answered at once
// with its status (400, 408, 411, 413, 429, 431, 503) and its connection closed, after what the
// client still sends is read away for a moment so that the answer is not lost to a reset. TLS,
// when a context is given, is done here too, handshake included. A connection carries one
// request: the worker answers and closes it, so nothing a client sends after its request is
// ever read as another one.
#pragma once

#include <openssl/ssl.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace server {

struct GateLimits {
  int max_connections = 512;        // open connections in all
  int per_address = 16;             // open connections of one client address
  std::size_t max_head = 16 * 1024; // request line and header lines
  int max_header_lines = 64;
  std::size_t max_body = 0;         // declared Content-Length
  std::size_t max_buffered = 128u << 20;  // bodies held by all connections together
  int head_seconds = 10;            // from the connection's start to the end of its head
  int body_seconds = 30;            // from the end of the head to the end of the body
  int write_seconds = 10;           // a write may stall this long
};

// A request read whole, as a worker gets it; the worker writes the answer and the gate closes
// the connection afterwards.
class GateConnection {
 public:
  GateConnection(int fd, SSL* ssl, std::string address, int port);
  ~GateConnection();
  GateConnection(const GateConnection&) = delete;
  GateConnection& operator=(const GateConnection&) = delete;

  const std::string& bytes() const { return bytes_; }  // head and body as received
  const std::string& address() const { return address_; }
  int port() const { return port_; }
  int fd() const { return fd_; }
  // Writes all of data, each stall bounded by seconds; false when the client is gone or stalled.
  bool write(const char* data, std::size_t n, int seconds);

 private:
  friend class ConnectionGate;
  enum class State { handshake, head, body, draining };
  int fd_;
  SSL* ssl_;
  std::string address_;
  int port_;
  std::string bytes_;
  State state_ = State::head;
  std::size_t head_end_ = 0;    // bytes of the head, once it is complete
  std::size_t expected_ = 0;    // head and body, once the head is read
  std::size_t scanned_ = 0;     // where the search for the head's end goes on
  std::size_t reserved_ = 0;    // of the gate's budget for bodies, given back when it closes
  long long deadline_ms_ = 0;   // steady clock
};

class ConnectionGate {
 public:
  using Handler = std::function<void(GateConnection&)>;
  // tls may be null (plain HTTP); it is not taken over.
  ConnectionGate(const GateLimits& limits, SSL_CTX* tls, int workers, Handler handler);
  ~ConnectionGate();

  // Binds and listens (port 0: any free one). False with the reason ("address in use").
  bool bind(const std::string& host, int port, std::string& error);
  int port() const { return port_; }
  // Serves until stop(); a stop that came earlier makes it return at once. Requests in a worker's
  // hands are answered before it returns.
  void run();
  void stop();

 private:
  void accept_all();
  void on_event(GateConnection* c, unsigned events);
  void read_from(GateConnection* c);
  void look_at_head(GateConnection* c);
  void refuse(GateConnection* c, int status, const char* text);
  void drop(GateConnection* c);  // closes and forgets a connection the event thread still holds
  void release(GateConnection& c);
  void check_deadlines();
  void work();

  GateLimits limits_;
  SSL_CTX* tls_;
  int worker_count_;
  Handler handler_;
  int listen_fd_ = -1;
  int epoll_fd_ = -1;
  int wake_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};

  std::unordered_map<GateConnection*, std::unique_ptr<GateConnection>> open_;  // the event thread's
  std::mutex count_mutex_;
  std::unordered_map<std::string, int> per_address_;
  int total_ = 0;
  std::atomic<std::size_t> buffered_{0};  // bodies reserved by open connections

  std::mutex queue_mutex_;
  std::condition_variable queue_ready_;
  std::deque<std::unique_ptr<GateConnection>> queue_;
  bool queue_closed_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace server
