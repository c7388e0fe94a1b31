// SPDX-License-Identifier: GPL-3.0-or-later
// The server's HTTP side: the connection gate (server/connection_gate.h) reads every request
// whole within its bounds, and cpp-httplib's routing answers it on a worker: the upload handler,
// the redirect addresses the game links to, the pages (each in the language the browser asks
// for, languages.h), every listed game's page and its video (videos.h), the health address, a
// request rate per address; HTTPS when a certificate and key are given.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "server/options.h"
#include "server/rate_limit.h"
#include "server/service.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}
typedef struct ssl_ctx_st SSL_CTX;

namespace server {

class ConnectionGate;
class VideoFarm;

class HttpServer {
 public:
  // videos: the cache and render slots of listed games' videos (null: no videos are served).
  HttpServer(const Options& options, Service& service, Store& store, VerifierPool& verifiers,
             VideoFarm* videos = nullptr);
  ~HttpServer();
  // Binds the address and port (port 0: any free one). False with the reason.
  bool bind(std::string& error);
  int port() const { return port_; }
  // Serves until stop() (from another thread).
  void run();
  void stop();

 private:
  void add_routes();
  // Sends an open file (the answer owns its descriptor from here), or the asked range of it, in
  // chunks within a time bound; counted among the streams, so large files never take every
  // worker from the pages and the uploads (503 when too many go out).
  void send_file(const httplib::Request& req, httplib::Response& res, int fd, std::int64_t size,
                 const std::string& type);
  std::string base_url(const std::string& host_header) const;

  Options options_;
  Service& service_;
  Store& store_;
  VerifierPool& verifiers_;
  VideoFarm* videos_;
  std::string web_dir_;          // the browser pages' folder
  std::atomic<int> streams_{0};  // file answers (videos, the browser pages) being sent
  RateLimit rate_;
  std::unique_ptr<httplib::Server> http_;
  SSL_CTX* tls_ = nullptr;
  std::unique_ptr<ConnectionGate> gate_;
  std::string tls_error_;
  int port_ = 0;
};

// Where a redirect address of the game leads on this server ("" for an unknown one): the
// upload dialog's help, registration and list links of each edition, and the exit screen's
// link pictures, each under the code of the game's language ("/grumbold/qzt/en/..."); the page
// opens in that language.
std::string redirect_target(const std::string& path);

}  // namespace server
