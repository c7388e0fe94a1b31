// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore server under faults, on loopback only and bounded in time: clients send honest
// games (an authentication, then the upload, again and again as the game does while the answer
// is "Retry" or none comes) while the server is killed with SIGKILL and started again, verifiers
// are killed, PostgreSQL is stopped at once and started again, and the database's writes fail as
// on a full disk for a while (a file size limit on the processes that write it). Then the faults
// stop, every game still open is sent to its end, and the tool prints what happened: requests
// sent, games verified, refused (with their reasons), lost (a game that ends unlisted although
// honest, or listed although told otherwise: must be 0), listed twice (must be 0), and the
// database's own integrity check.
//
//   server_soak [--seconds N] [--clients N] [--games N] [--postgres]
//
// SQLite by default (a scratch file); --postgres runs a throwaway cluster.
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <pqxx/pqxx>
#include <string>
#include <thread>
#include <vector>

#include "bench/load_support.h"
#include "tests/postgres_cluster.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
  int seconds = 120;
  int clients = 8;
  int games = 96;
  bool postgres = false;
};

// What became of one game.
enum class End { open, verified, refused };

struct Tally {
  std::mutex lock;
  std::atomic<long> requests{0}, retries{0};
  std::map<std::string, int> refused_reasons;
};

std::string reply_text(const std::string& body) {
  const std::size_t at = body.find("\ntext=");
  if (at == std::string::npos) return "";
  const std::size_t end = body.find('\n', at + 6);
  return body.substr(at + 6, end == std::string::npos ? std::string::npos : end - at - 6);
}

// Sends one game until it ends or the deadline passes.
End send_game(const std::string& base, const load::Game& g, Tally& tally, Clock::time_point deadline) {
  while (Clock::now() < deadline) {
    httplib::Client http(base);
    http.set_connection_timeout(2, 0);
    http.set_read_timeout(60, 0);
    ++tally.requests;
    const auto auth = http.Post("/qzt/uploadhandler.php", g.upload.authenticate, "application/x-www-form-urlencoded");
    if (auth && auth->body.rfind("Action=Continue\n", 0) == 0) {
      ++tally.requests;
      const auto up = http.Post("/qzt/uploadhandler.php", g.upload.upload, "application/x-www-form-urlencoded");
      if (up && up->body.rfind("Action=Continue\n", 0) == 0) return End::verified;
      if (up && up->body.rfind("Action=Abort\n", 0) == 0) {
        std::lock_guard guard(tally.lock);
        ++tally.refused_reasons[reply_text(up->body).substr(0, 120)];
        return End::refused;
      }
    } else if (auth && auth->body.rfind("Action=Abort\n", 0) == 0) {
      std::lock_guard guard(tally.lock);
      ++tally.refused_reasons["authentication: " + reply_text(auth->body).substr(0, 100)];
      return End::refused;
    }
    ++tally.retries;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  return End::open;
}

void limit_file_size(const std::vector<pid_t>& pids, rlim_t soft) {
  for (pid_t p : pids) {
    rlimit now{};
    if (prlimit(p, RLIMIT_FSIZE, nullptr, &now) != 0) continue;
    now.rlim_cur = soft;
    prlimit(p, RLIMIT_FSIZE, &now, nullptr);
  }
}

// Listed entries per player and score, and the database's integrity check.
struct Listing {
  std::map<std::pair<std::string, int>, int> entries;
  long listed = 0, listed_twice = 0;
  std::string integrity;
};

Listing read_listing(const std::string& db, bool postgres) {
  Listing l;
  const char* entries = "SELECT a.name, r.score FROM results r JOIN accounts a ON a.id = r.account_id "
                        "WHERE r.verified = 1";
  const char* twice = "SELECT COUNT(*) FROM (SELECT digest FROM results WHERE verified = 1 AND digest IS NOT NULL "
                      "GROUP BY digest HAVING COUNT(*) > 1) t";
  if (postgres) {
    pqxx::connection c(db);
    pqxx::work w(c);
    const auto fix = [](std::string q) {
      for (std::size_t at; (at = q.find("verified = 1")) != std::string::npos;) q.replace(at, 12, "verified");
      return q;
    };
    for (const auto& row : w.exec(fix(entries))) ++l.entries[{row[0].as<std::string>(), row[1].as<int>()}];
    l.listed_twice = w.exec(fix(twice))[0][0].as<long>();
    const long orphans = w.exec("SELECT COUNT(*) FROM results r LEFT JOIN accounts a ON a.id = r.account_id "
                                "WHERE a.id IS NULL")[0][0].as<long>();
    l.integrity = orphans == 0 ? "ok (no result without its account)" : std::to_string(orphans) + " orphaned results";
  } else {
    sqlite3* h = nullptr;
    sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(h, entries, -1, &q, nullptr);
    while (q && sqlite3_step(q) == SQLITE_ROW)
      ++l.entries[{reinterpret_cast<const char*>(sqlite3_column_text(q, 0)), sqlite3_column_int(q, 1)}];
    sqlite3_finalize(q);
    sqlite3_prepare_v2(h, twice, -1, &q, nullptr);
    if (q && sqlite3_step(q) == SQLITE_ROW) l.listed_twice = sqlite3_column_int64(q, 0);
    sqlite3_finalize(q);
    sqlite3_prepare_v2(h, "PRAGMA integrity_check", -1, &q, nullptr);
    if (q && sqlite3_step(q) == SQLITE_ROW) l.integrity = reinterpret_cast<const char*>(sqlite3_column_text(q, 0));
    sqlite3_finalize(q);
    sqlite3_close(h);
  }
  for (const auto& [key, n] : l.entries) l.listed += n;
  return l;
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);  // a connection the server closed is an error to count, not the end
  Settings s;
  const char* usage = "usage: server_soak [--seconds N] [--clients N] [--games N] [--postgres]\n";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::printf("%s", usage);
      return 0;
    }
    if (a == "--postgres") {
      s.postgres = true;
      continue;
    }
    if (i + 1 >= argc || (a != "--seconds" && a != "--clients" && a != "--games")) {
      std::fprintf(stderr, "server_soak: %s %s\n%s", a.c_str(), i + 1 >= argc ? "wants a value" : "is unknown", usage);
      return 2;
    }
    const int v = std::atoi(argv[++i]);
    if (v < 1) {
      std::fprintf(stderr, "server_soak: %s wants a positive number\n", a.c_str());
      return 2;
    }
    (a == "--seconds" ? s.seconds : a == "--clients" ? s.clients : s.games) = v;
  }

  std::unique_ptr<test_support::PostgresCluster> cluster;
  std::string db;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("server_soak_" + std::to_string(getpid()));
  if (s.postgres) {
    cluster = std::make_unique<test_support::PostgresCluster>();
    if (!cluster->running()) {
      std::fprintf(stderr, "server_soak: no PostgreSQL: %s\n", cluster->why_not().c_str());
      return 1;
    }
    db = cluster->fresh_database();
  } else {
    db = (folder / "soak.db").string();
  }

  std::printf("playing %d games (XL) for %d clients...\n", s.games, s.clients);
  std::fflush(stdout);
  const std::vector<load::Game> games = load::play_games(s.games, s.clients);
  const int verifiers = 2;
  load::ServerChild server = load::start_server(folder, db, 0, verifiers);
  const int port = server.port;
  const std::string base = server.base;
  load::register_accounts(base, s.clients);

  // The faults, one every few seconds in turn, until the time is up.
  std::atomic<bool> faults_on{true};
  std::mutex server_lock;
  std::map<std::string, int> faults;
  std::thread chaos([&] {
    const auto end = Clock::now() + std::chrono::seconds(s.seconds);
    for (int step = 0; Clock::now() < end; ++step) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2500));
      std::lock_guard guard(server_lock);
      switch (step % 4) {
        case 0:
          load::stop_server(server, true);
          server = load::start_server(folder, db, port, verifiers);
          ++faults["server killed (SIGKILL) and started again"];
          break;
        case 1:
          for (pid_t v : test_support::child_processes(server.pid)) kill(v, SIGKILL);
          ++faults["verifiers killed"];
          break;
        case 2:
          if (cluster) {
            cluster->restart();
            ++faults["PostgreSQL stopped at once and started again"];
          } else {
            load::stop_server(server, true);
            server = load::start_server(folder, db, port, verifiers);
            ++faults["server killed (SIGKILL) and started again"];
          }
          break;
        case 3: {
          const std::vector<pid_t> writers = cluster ? cluster->processes() : std::vector<pid_t>{server.pid};
          limit_file_size(writers, 1);
          std::this_thread::sleep_for(std::chrono::milliseconds(1500));
          limit_file_size(cluster ? cluster->processes() : std::vector<pid_t>{server.pid}, RLIM_INFINITY);
          ++faults["writes failing as on a full disk for 1.5 s"];
          break;
        }
      }
    }
    faults_on = false;
  });

  Tally tally;
  std::vector<End> ends(games.size(), End::open);
  std::atomic<std::size_t> next{0};
  const auto deadline = Clock::now() + std::chrono::seconds(s.seconds + 120);
  std::vector<std::thread> clients;
  for (int c = 0; c < s.clients; ++c)
    clients.emplace_back([&] {
      for (std::size_t i; (i = next++) < games.size();) {
        ends[i] = send_game(base, games[i], tally, deadline);
        // Spread the games over the faults.
        if (faults_on) std::this_thread::sleep_for(std::chrono::milliseconds(s.seconds * 1000 / (games.size() / s.clients + 1)));
      }
    });
  for (std::thread& t : clients) t.join();
  chaos.join();
  {
    std::lock_guard guard(server_lock);
    load::stop_server(server);
  }

  // Every game told "verified" must be listed with its player and score, and no more than those.
  std::map<std::pair<std::string, int>, int> told;
  int verified = 0, refused = 0, open = 0;
  for (std::size_t i = 0; i < games.size(); ++i) {
    if (ends[i] == End::verified) {
      ++verified;
      ++told[{games[i].user, games[i].score}];
    } else if (ends[i] == End::refused) {
      ++refused;
    } else {
      ++open;
    }
  }
  const Listing listing = read_listing(db, s.postgres);
  long lost = open, extra = 0;
  for (const auto& [key, n] : told) {
    const auto it = listing.entries.find(key);
    const int have = it == listing.entries.end() ? 0 : it->second;
    if (have < n) lost += n - have;
  }
  for (const auto& [key, n] : listing.entries) {
    const auto it = told.find(key);
    const int want = it == told.end() ? 0 : it->second;
    if (n > want) extra += n - want;
  }

  std::printf("\n%s, %d s of faults, %d clients, %zu games\n", s.postgres ? "PostgreSQL" : "SQLite", s.seconds,
              s.clients, games.size());
  for (const auto& [what, n] : faults) std::printf("  fault: %-46s %d\n", what.c_str(), n);
  std::printf("requests sent            %ld (games sent again after Retry or no answer: %ld times)\n", tally.requests.load(),
              tally.retries.load());
  std::printf("games verified           %d\n", verified);
  std::printf("games refused            %d\n", refused);
  for (const auto& [why, n] : tally.refused_reasons) std::printf("  %4d  %s\n", n, why.c_str());
  std::printf("games lost               %ld (never answered: %d; told verified but not listed: %ld)\n", lost + extra,
              open, lost - open);
  std::printf("listed but not told so   %ld\n", extra);
  std::printf("listed twice             %ld\n", listing.listed_twice);
  std::printf("listed in all            %ld\n", listing.listed);
  std::printf("database integrity       %s\n", listing.integrity.c_str());
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return lost + extra + listing.listed_twice == 0 ? 0 : 1;
}
