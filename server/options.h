// SPDX-License-Identifier: GPL-3.0-or-later
// The server's command line.
#pragma once

#include <string>

namespace server {

struct Options {
  int port = 8642;
  std::string listen = "0.0.0.0";
  std::string db = "highscores.db";  // a file for SQLite, or a postgresql:// connection string
  int db_connections = 16;           // PostgreSQL connections the workers share
  std::string archives;              // folder with XS/, XL/ and XXL/grumboldX.dat; empty: the build's
  std::string tls_cert, tls_key;
  int threads = 32;                  // HTTP worker threads
  int verifiers = 0;                 // per edition; 0: one per processor core
  double rate = 10;                  // requests a second per address (0: no limit)
  double burst = 40;
  int io_timeout = 10;               // seconds a write on a connection may stall
  int head_timeout = 10;             // seconds from a connection's start to the end of its request head
  int body_timeout = 30;             // seconds the whole body of a request may take to arrive
  int per_address = 16;              // open connections of one client address
  int max_connections = 512;         // open connections in all
  int body_memory_mb = 128;          // request bodies held at once, in MiB
  std::string port_file;             // the bound port is written here once the server listens
  int render_workers = 1;            // video render processes of this server (0: none)
  std::string video_cache;           // the folder of the rendered videos; empty: video_cache_folder
  int video_cache_mb = 1024;         // the size the videos may take in the cache, in MiB
  int render_time = 900;             // seconds one render may take
  std::string web;                   // the browser pages' folder; empty: default_web
  bool help = false;
  std::string verifier_archive;      // "--verifier ARCHIVE": run as a verifier process
  std::string render_archive;        // "--render-worker ARCHIVE": run as a render worker
};

// False, with the reason, for an unknown option or a value that does not fit.
bool parse_options(int argc, char** argv, Options& out, std::string& error);
std::string usage();

// The folder of the archives: a build tree's "../data" beside the running binary, else an
// installation's "../share/grumboldx".
std::string default_archives();
// The videos' folder: --video-cache, else "videos" beside an SQLite database, else (PostgreSQL)
// "videos" in the working folder.
std::string video_cache_folder(const Options& o);
// The browser pages' folder: an installation's "../share/grumboldx/web", else beside a build
// tree the source tree's "build-web/pages" (where scripts/web.sh writes them).
std::string default_web();
// The running binary's own path.
std::string own_program();

}  // namespace server
