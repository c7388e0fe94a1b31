// SPDX-License-Identifier: GPL-3.0-or-later
// grumboldx-server: the reference highscore server. With no options it serves on port 8642 with
// highscores.db in the working folder and the build's three archives.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "server/http_server.h"
#include "server/languages.h"
#include "server/log.h"
#include "server/options.h"
#include "server/service.h"
#include "server/store.h"
#include "server/verifier.h"
#include "server/videos.h"

int main(int argc, char** argv) {
  server::Options options;
  std::string error;
  if (!server::parse_options(argc, argv, options, error)) {
    std::fprintf(stderr, "grumboldx-server: %s\n%s", error.c_str(), server::usage().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(server::usage().c_str(), stdout);
    return 0;
  }
  if (!options.verifier_archive.empty()) return server::run_verifier(options.verifier_archive.c_str());
  if (!options.render_archive.empty()) return server::run_render_worker(options.render_archive.c_str());
  // The built-in translations are read now: a faulty one stops the server before it serves.
  if (!server::language_error().empty()) {
    std::fprintf(stderr, "grumboldx-server: %s\n", server::language_error().c_str());
    return 1;
  }

  // SIGINT and SIGTERM are taken by one thread that stops the server in order; every other
  // thread (the workers start later) inherits the blocked mask.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  // A file size limit makes writes fail, which the store reports, rather than ending the server.
  signal(SIGXFSZ, SIG_IGN);

  std::unique_ptr<server::Store> store;
  try {
    store = server::open_store(options.db, options.db_connections);
  } catch (const server::StoreError& e) {
    std::fprintf(stderr, "grumboldx-server: %s\n", e.what());
    return 1;
  }
  const std::string archives = options.archives.empty() ? server::default_archives() : options.archives;
  const int verifiers = options.verifiers > 0 ? options.verifiers
                                              : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  server::VerifierPool pool(server::own_program(), archives, verifiers);
  std::string report;
  const bool any = pool.start(report);
  std::fputs(report.c_str(), stderr);
  if (!any) {
    std::fprintf(stderr, "grumboldx-server: no edition's archive could be loaded from %s\n", archives.c_str());
    return 1;
  }
  // As many password checks at once as there are cores; the others wait their turn.
  server::GuessLimits guess_limits;
  guess_limits.hashing_at_once = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  server::CredentialCache credentials(std::chrono::minutes(10), guess_limits);
  server::Service service(*store, pool, credentials);
  // The videos: render slots for the editions this server loads, fed by the job table and woken
  // when a game is listed.
  server::VideoOptions video_options;
  video_options.cache_dir = server::video_cache_folder(options);
  video_options.cache_bytes = static_cast<std::int64_t>(options.video_cache_mb) << 20;
  video_options.workers = options.render_workers;
  video_options.render_time = std::chrono::seconds(options.render_time);
  unsigned editions = 0;
  for (int e = 1; e <= 3; ++e)
    if (pool.facts(e)) editions |= 1u << e;
  const std::string program = server::own_program();
  server::VideoFarm videos(*store, video_options, editions, [&] {
    return server::make_process_renderer(program, archives, video_options.render_time);
  });
  if (!videos.start(error)) {
    std::fprintf(stderr, "grumboldx-server: %s\n", error.c_str());
    return 1;
  }
  service.set_listed_hook([&videos] { videos.wake(); });
  server::HttpServer http(options, service, *store, pool, &videos);
  if (!http.bind(error)) {
    std::fprintf(stderr, "grumboldx-server: %s\n", error.c_str());
    return 1;
  }
  if (!options.port_file.empty()) {
    // Written whole under another name and renamed, so a reader never sees half a number.
    const std::string temporary = options.port_file + ".tmp";
    std::ofstream(temporary) << http.port() << "\n";
    std::rename(temporary.c_str(), options.port_file.c_str());
  }
  server::server_log("listening on %s://%s:%d (database %s)", options.tls_cert.empty() ? "http" : "https",
                     options.listen.c_str(), http.port(),
                     server::is_postgres_uri(options.db) ? "PostgreSQL" : options.db.c_str());

  std::atomic<bool> served{false};
  std::thread stopper([&] {
    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    if (served) return;
    server::server_log("signal %d: stopping", signal_number);
    // A stop that comes before the accept loop has started finds nothing to stop: it is given
    // again until the loop has ended.
    while (!served) {
      http.stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  // A pause between binding and serving, for the tests of a stop that comes in between.
  if (const char* pause = std::getenv("GRUMBOLDX_SERVER_PAUSE_MS"))
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(pause)));
  http.run();
  served = true;
  // run() also returns when listening fails; the stopper then still waits for its signal.
  pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return 0;
}
