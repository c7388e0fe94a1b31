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
  bool help = false;
  std::string verifier_archive;      // "--verifier ARCHIVE": run as a verifier process
};

// False, with the reason, for an unknown option or a value that does not fit.
bool parse_options(int argc, char** argv, Options& out, std::string& error);
std::string usage();

// The folder of the archives: a build tree's "../data" beside the running binary, else an
// installation's "../share/grumboldx".
std::string default_archives();
// The running binary's own path.
std::string own_program();

}  // namespace server
