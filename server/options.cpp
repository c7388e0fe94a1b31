// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/options.h"

#include <charconv>
#include <cstring>
#include <filesystem>

namespace server {

namespace {

template <typename T>
bool read_number(const char* text, T lowest, T highest, T& out) {
  const char* end = text + std::strlen(text);
  T v{};
  const auto [rest, ec] = std::from_chars(text, end, v);
  if (ec != std::errc() || rest != end || v < lowest || v > highest) return false;
  out = v;
  return true;
}

}  // namespace

std::string usage() {
  return "usage: grumboldx-server [options]\n"
         "  --port N            port to listen on (default 8642; 0 picks a free one)\n"
         "  --listen ADDRESS    address to listen on (default 0.0.0.0)\n"
         "  --db FILE|URI       SQLite file (default highscores.db in the working folder) or a\n"
         "                      postgresql:// connection string\n"
         "  --db-connections N  PostgreSQL connections the workers share (default 16)\n"
         "  --archives DIR      folder with XS/, XL/ and XXL/grumboldX.dat (default: the build's, or\n"
         "                      the installation's share/grumboldx)\n"
         "  --tls-cert FILE     serve HTTPS with this certificate chain (PEM) ...\n"
         "  --tls-key FILE      ... and this private key (PEM)\n"
         "  --threads N         HTTP worker threads (default 32)\n"
         "  --verifiers N       re-simulation processes per edition at most (default: one per core)\n"
         "  --rate N            requests a second per client address (default 10; 0: no limit)\n"
         "  --burst N           requests an address may send at once (default 40)\n"
         "  --io-timeout N      seconds a write on a connection may stall (default 10)\n"
         "  --head-timeout N    seconds from a connection's start to the end of its request\n"
         "                      head (default 10)\n"
         "  --body-timeout N    seconds the body of a request may take to arrive (default 30)\n"
         "  --per-address N     open connections of one client address (default 16)\n"
         "  --max-connections N open connections in all (default 512)\n"
         "  --body-memory N     MiB of request bodies held at once (default 128)\n"
         "  --port-file FILE    write the port to FILE once the server listens\n"
         "  --render-workers N  video render processes, at the lowest CPU priority (default 1;\n"
         "                      0: this server renders no videos)\n"
         "  --video-cache DIR   folder of the rendered videos (default videos beside the SQLite\n"
         "                      database, or in the working folder; made when missing)\n"
         "  --video-cache-mb N  MiB the videos may take; the least recently watched go first\n"
         "                      (default 1024)\n"
         "  --render-time N     seconds one video's render may take (default 900)\n"
         "  --web DIR           the game's browser pages, DIR/xs, DIR/xl and DIR/xxl, served at\n"
         "                      /play/EDITION/ (default: the installation's share/grumboldx/web,\n"
         "                      or the source tree's build-web/pages beside a build tree)\n"
         "  --help              this text\n";
}

bool parse_options(int argc, char** argv, Options& out, std::string& error) {
  out = Options{};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      out.help = true;
      continue;
    }
    if (i + 1 >= argc) {
      error = a == "--port" || a == "--db" || a == "--db-connections" || a == "--archives" || a == "--tls-cert" || a == "--tls-key" ||
                      a == "--threads" || a == "--verifiers" || a == "--rate" || a == "--burst" || a == "--listen" ||
                      a == "--port-file" || a == "--verifier" || a == "--io-timeout" || a == "--body-timeout" ||
                      a == "--head-timeout" || a == "--per-address" || a == "--max-connections" ||
                      a == "--body-memory" || a == "--render-workers" || a == "--video-cache" ||
                      a == "--video-cache-mb" || a == "--render-time" || a == "--render-worker" || a == "--web"
                  ? a + " needs a value"
                  : "unknown option " + a;
      return false;
    }
    const char* v = argv[++i];
    bool ok = true;
    if (a == "--port")
      ok = read_number(v, 0, 65535, out.port);
    else if (a == "--listen")
      out.listen = v;
    else if (a == "--db")
      out.db = v;
    else if (a == "--db-connections")
      ok = read_number(v, 1, 256, out.db_connections);
    else if (a == "--archives")
      out.archives = v;
    else if (a == "--tls-cert")
      out.tls_cert = v;
    else if (a == "--tls-key")
      out.tls_key = v;
    else if (a == "--threads")
      ok = read_number(v, 1, 1024, out.threads);
    else if (a == "--verifiers")
      ok = read_number(v, 1, 256, out.verifiers);
    else if (a == "--rate")
      ok = read_number(v, 0.0, 1e6, out.rate);
    else if (a == "--burst")
      ok = read_number(v, 1.0, 1e6, out.burst);
    else if (a == "--io-timeout")
      ok = read_number(v, 1, 3600, out.io_timeout);
    else if (a == "--body-timeout")
      ok = read_number(v, 1, 3600, out.body_timeout);
    else if (a == "--head-timeout")
      ok = read_number(v, 1, 3600, out.head_timeout);
    else if (a == "--per-address")
      ok = read_number(v, 1, 100000, out.per_address);
    else if (a == "--max-connections")
      ok = read_number(v, 1, 100000, out.max_connections);
    else if (a == "--body-memory")
      ok = read_number(v, 2, 65536, out.body_memory_mb);
    else if (a == "--port-file")
      out.port_file = v;
    else if (a == "--verifier")
      out.verifier_archive = v;
    else if (a == "--render-worker")
      out.render_archive = v;
    else if (a == "--web") {
      out.web = v;
      ok = !out.web.empty();
    } else if (a == "--render-workers")
      ok = read_number(v, 0, 64, out.render_workers);
    else if (a == "--video-cache") {
      out.video_cache = v;
      ok = !out.video_cache.empty();
    }
    else if (a == "--video-cache-mb")
      ok = read_number(v, 1, 16 * 1024 * 1024, out.video_cache_mb);
    else if (a == "--render-time")
      ok = read_number(v, 10, 86400, out.render_time);
    else {
      error = "unknown option " + a;
      return false;
    }
    if (!ok) {
      error = a + ": " + v + " is out of range";
      return false;
    }
    if (out.db.empty()) {
      error = "--db needs a file or a connection string";
      return false;
    }
  }
  if (out.tls_cert.empty() != out.tls_key.empty()) {
    error = "--tls-cert and --tls-key go together";
    return false;
  }
  return true;
}

std::string video_cache_folder(const Options& o) {
  if (!o.video_cache.empty()) return o.video_cache;
  if (o.db.rfind("postgresql://", 0) == 0 || o.db.rfind("postgres://", 0) == 0) return "videos";
  return (std::filesystem::path(o.db).parent_path() / "videos").string();
}

std::string own_program() {
  std::error_code ignored;
  return std::filesystem::read_symlink("/proc/self/exe", ignored).string();
}

std::string default_archives() {
  // A build tree's data folder beside bin/, else an installation's share/grumboldx.
  const std::filesystem::path top = std::filesystem::path(own_program()).parent_path().parent_path();
  std::error_code ignored;
  if (std::filesystem::is_directory(top / "data", ignored)) return (top / "data").string();
  return (top / "share" / "grumboldx").string();
}

std::string default_web() {
  const std::filesystem::path top = std::filesystem::path(own_program()).parent_path().parent_path();
  std::error_code ignored;
  const std::filesystem::path installed = top / "share" / "grumboldx" / "web";
  if (std::filesystem::is_directory(installed, ignored)) return installed.string();
  // A build tree (build/bin/grumboldx-server) beside the web build's pages.
  if (std::filesystem::is_directory(top / "data", ignored)) return (top.parent_path() / "build-web" / "pages").string();
  return installed.string();
}

}  // namespace server
