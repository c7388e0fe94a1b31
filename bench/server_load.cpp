// SPDX-License-Identifier: GPL-3.0-or-later
// Load on the highscore server: many clients send honest games with full replays, each as the
// game does (an authentication, then the upload), and the tool prints verified uploads per
// second, the median and 99th-percentile latency of the upload request, and the share of the
// server's upload time spent re-simulating.
//
//   server_load [--clients N] [--games N] [--rate R] [--render-workers N] [--server URL | --postgres]
//
// The games are played beforehand in this process by the tests' aimed player (edition XL, 60
// frames a second, every game another), so the timed part is the server's alone. Without
// --server the tool starts build/bin/grumboldx-server itself on a free port with a scratch
// database (SQLite, or with --postgres a throwaway PostgreSQL cluster), no rate limit and one
// verifier per core, and stops it at the end. Two runs: one as
// fast as the clients go, and one paced at --rate uploads a second (default: 20 a core).
// --render-workers N (default 0) lets the started server render a video of every listed game
// in the background meanwhile, to show that verification keeps its pace beside it.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <fstream>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "bench/load_support.h"
#include "tests/postgres_cluster.h"


namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  int clients = 16;
  int games = 240;
  double rate = 0;  // 0: 20 a core
  std::string server;
  bool postgres = false;
  int render_workers = 0;
};

double health_number(const std::string& json, const char* key) {
  const std::regex r(std::string("\"") + key + "\":([0-9.]+)");
  std::smatch m;
  return std::regex_search(json, m, r) ? std::stod(m[1]) : 0;
}

struct Run {
  double seconds = 0;
  int verified = 0, other = 0;
  std::vector<double> upload_ms, exchange_ms;
  double simulation_share = 0;
  double server_cpu = 0;  // processor seconds of the server and its verifiers per wall second
};

double percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t i = std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5));
  return v[i];
}

// Processor time of a process and its reaped and living children, in seconds.
double process_tree_cpu(pid_t pid) {
  double total = 0;
  const auto read_stat = [&](pid_t p) {
    std::ifstream in("/proc/" + std::to_string(p) + "/stat");
    std::string line;
    std::getline(in, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return;
    std::vector<std::string> f;
    std::string field;
    for (std::size_t i = close + 2; i <= line.size(); ++i) {
      if (i == line.size() || line[i] == ' ') {
        f.push_back(field);
        field.clear();
      } else {
        field += line[i];
      }
    }
    // utime, stime, cutime, cstime are fields 14..17 (1-based); f starts at field 3.
    if (f.size() > 15)
      total += (std::stod(f[11]) + std::stod(f[12]) + std::stod(f[13]) + std::stod(f[14])) /
               static_cast<double>(sysconf(_SC_CLK_TCK));
  };
  read_stat(pid);
  for (pid_t child : test_support::child_processes(pid)) read_stat(child);
  return total;
}

Run run(const std::string& base, pid_t server_pid, const std::vector<load::Game>& games, std::size_t first,
        std::size_t count, int clients, double rate) {
  Run result;
  std::mutex lock;
  std::atomic<std::size_t> next{first};
  const std::size_t end = std::min(games.size(), first + count);
  httplib::Client probe(base);
  const auto before = probe.Get("/health");
  const double cpu_before = server_pid > 0 ? process_tree_cpu(server_pid) : 0;
  const auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int c = 0; c < clients; ++c)
    threads.emplace_back([&] {
      httplib::Client http(base);
      http.set_read_timeout(120, 0);
      http.set_keep_alive(true);
      for (;;) {
        const std::size_t i = next++;
        if (i >= end) return;
        if (rate > 0) std::this_thread::sleep_until(start + std::chrono::duration<double>((i - first) / rate));
        const auto t0 = Clock::now();
        const auto auth = http.Post("/qzt/uploadhandler.php", games[i].upload.authenticate,
                                    "application/x-www-form-urlencoded");
        const auto t1 = Clock::now();
        const auto up = http.Post("/qzt/uploadhandler.php", games[i].upload.upload, "application/x-www-form-urlencoded");
        const auto t2 = Clock::now();
        const bool ok = auth && up && up->body.rfind("Action=Continue", 0) == 0;
        std::lock_guard guard(lock);
        (ok ? result.verified : result.other)++;
        if (!ok && result.other <= 3)
          std::fprintf(stderr, "server_load: game %zu not verified: %s\n", i, up ? up->body.substr(0, 160).c_str() : "no answer");
        result.upload_ms.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        result.exchange_ms.push_back(std::chrono::duration<double, std::milli>(t2 - t0).count());
      }
    });
  for (std::thread& t : threads) t.join();
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (server_pid > 0) result.server_cpu = (process_tree_cpu(server_pid) - cpu_before) / result.seconds;
  const auto after = probe.Get("/health");
  if (before && after) {
    const double sim = health_number(after->body, "simulation_seconds") - health_number(before->body, "simulation_seconds");
    const double upload = health_number(after->body, "upload_seconds") - health_number(before->body, "upload_seconds");
    result.simulation_share = upload > 0 ? sim / upload : 0;
  }
  return result;
}

void print(const char* name, const Run& r, unsigned cores) {
  const double per_second = r.verified / r.seconds;
  std::printf("%-26s %6d %8.1f %8.1f %9.0f %9.0f %10.0f %8.0f %%  %5.2f\n", name, r.verified, per_second,
              per_second / cores, percentile(r.upload_ms, 0.5), percentile(r.upload_ms, 0.99),
              percentile(r.exchange_ms, 0.99), 100 * r.simulation_share, r.server_cpu);
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);  // a connection the server closed is an error to count, not the end
  Settings s;
  const char* usage =
      "usage: server_load [--clients N] [--games N] [--rate R] [--render-workers N] [--server URL | --postgres]\n";
  for (int i = 1; i < argc; i += 2) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::printf("%s", usage);
      return 0;
    }
    if (a == "--postgres") {
      s.postgres = true;
      --i;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "server_load: %s wants a value\n%s", a.c_str(), usage);
      return 2;
    }
    if (a == "--clients")
      s.clients = std::max(1, std::atoi(argv[i + 1]));
    else if (a == "--games")
      s.games = std::max(2, std::atoi(argv[i + 1]));
    else if (a == "--rate")
      s.rate = std::atof(argv[i + 1]);
    else if (a == "--render-workers")
      s.render_workers = std::max(0, std::atoi(argv[i + 1]));
    else if (a == "--server")
      s.server = argv[i + 1];
    else {
      std::fprintf(stderr, "server_load: unknown option %s\n%s", a.c_str(), usage);
      return 2;
    }
  }
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  if (s.rate <= 0) s.rate = 20.0 * cores;
  std::printf("playing %d games (XL) for %d clients...\n", s.games, s.clients);
  std::fflush(stdout);
  const std::vector<load::Game> games = load::play_games(s.games, s.clients);

  load::ServerChild started;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("server_load_" + std::to_string(getpid()));
  std::unique_ptr<test_support::PostgresCluster> cluster;
  std::string db = (folder / "load.db").string();
  if (s.postgres && s.server.empty()) {
    cluster = std::make_unique<test_support::PostgresCluster>();
    if (!cluster->running()) {
      std::fprintf(stderr, "server_load: no PostgreSQL: %s\n", cluster->why_not().c_str());
      return 1;
    }
    db = cluster->fresh_database();
  }
  if (s.server.empty())
    started = load::start_server(folder, db, 0, static_cast<int>(cores),
                                 {"--render-workers", std::to_string(s.render_workers)});
  const std::string base = s.server.empty() ? started.base : s.server;
  load::register_accounts(base, s.clients);
  // A few uploads first, so every verifier is up and every account's password checked once.
  const std::size_t warm = std::min<std::size_t>(games.size() / 6, static_cast<std::size_t>(s.clients));
  run(base, started.pid, games, 0, warm, s.clients, 0);
  const std::size_t half = (games.size() - warm) / 2;

  std::printf("\n%u cores, %d clients, server %s, %s, %d render workers\n", cores, s.clients, base.c_str(),
              s.server.empty() ? (cluster ? "PostgreSQL" : "SQLite") : "given", s.render_workers);
  std::printf("%-26s %6s %8s %8s %9s %9s %10s %10s %6s\n", "run", "games", "per s", "per core", "p50 ms",
              "p99 ms", "p99 pair", "resim", "cpu");
  print("as fast as clients go", run(base, started.pid, games, warm, half, s.clients, 0), cores);
  char paced[64];
  std::snprintf(paced, sizeof paced, "paced at %.0f a second", s.rate);
  print(paced, run(base, started.pid, games, warm + half, games.size() - warm - half, s.clients, s.rate), cores);
  std::printf("(p50/p99 ms: the upload request; p99 pair: authentication and upload; resim: share of the\n"
              " server's upload time spent re-simulating; cpu: processor seconds of the server and its\n"
              " verifiers per second)\n");
  load::stop_server(started);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return 0;
}
