// SPDX-License-Identifier: GPL-3.0-or-later
// The PostgreSQL store: a few connections shared by the server's threads, each with the same
// prepared statements. A connection that breaks is dropped and made again on the next use, so
// the server outlives a restart of the database. Several server processes may share one
// database: the unique index on listed games and the row-level delete of the authentication
// keep two uploads of one game, or two uses of one authentication, from both succeeding.
#include <pqxx/pqxx>

#include <condition_variable>
#include <mutex>
#include <type_traits>

#include "server/accounts.h"
#include "server/schema.h"
#include "server/store.h"

namespace server {

namespace {

// The advisory lock that keeps two servers starting at once from migrating together.
constexpr long long migration_lock = 0x4752554d424f4c44;  // "GRUMBOLD"

void prepare(pqxx::connection& c) {
  c.prepare("insert_account",
            "INSERT INTO accounts (name, name_key, password_hash, created) VALUES ($1, $2, $3, $4) "
            "ON CONFLICT (name_key) DO NOTHING");
  c.prepare("find_account", "SELECT id, name, password_hash, created FROM accounts WHERE name_key = $1");
  c.prepare("prune_authentications", "DELETE FROM authentications WHERE created < $1");
  c.prepare("insert_authentication",
            "INSERT INTO authentications (account_id, edition, score, check_word_1, check_word_2, created, "
            "address, language) VALUES ($1, $2, $3, $4, $5, $6, $7, $8) RETURNING id");
  c.prepare("open_authentications",
            "SELECT id, account_id, edition, score, check_word_1, check_word_2, created, address, language "
            "FROM authentications WHERE account_id = $1 AND created >= $2 ORDER BY created DESC, id DESC LIMIT $3");
  c.prepare("use_authentication", "DELETE FROM authentications WHERE id = $1");
  c.prepare("insert_result",
            "INSERT INTO results (account_id, edition, score, simulated_score, listed_score, verified, exact, "
            "reason, detail, digest, created, address) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, NULLIF($10, ''), "
            "$11, $12) RETURNING id");
  c.prepare("rank",
            "SELECT COUNT(*) FROM results WHERE edition = $1 AND verified AND (listed_score > $2 OR "
            "(listed_score = $2 AND (created < $3 OR (created = $3 AND id < $4))))");
  c.prepare("count", "SELECT COUNT(*) FROM results WHERE edition = $1 AND verified");
  c.prepare("forget_addresses", "UPDATE results SET address = '' WHERE created < $1 AND address <> ''");
  c.prepare("list",
            "SELECT a.name, r.listed_score, r.created, r.exact, r.id FROM results r JOIN accounts a ON a.id = r.account_id "
            "WHERE r.edition = $1 AND r.verified ORDER BY r.listed_score DESC, r.created, r.id LIMIT $2 OFFSET $3");
  c.prepare("find_result",
            "SELECT id, account_id, edition, score, simulated_score, verified, exact, reason, detail, "
            "COALESCE(digest, ''), created, address, listed_score FROM results WHERE id = $1");
  c.prepare("listed_result",
            "SELECT id, account_id, edition, score, simulated_score, verified, exact, reason, detail, "
            "COALESCE(digest, ''), created, address, listed_score FROM results WHERE digest = $1 AND verified");
  c.prepare("insert_record", "INSERT INTO game_records (result_id, replay, penalty, timeline) VALUES ($1, $2, $3, $4)");
  c.prepare("insert_job", "INSERT INTO video_jobs (result_id, edition) VALUES ($1, $2)");
  c.prepare("listed_game",
            "SELECT r.id, r.account_id, r.edition, r.score, r.simulated_score, r.verified, r.exact, r.reason, "
            "r.detail, COALESCE(r.digest, ''), r.created, r.address, r.listed_score, a.name, "
            "COALESCE(g.timeline, ''), COALESCE(j.result_id, 0), COALESCE(j.edition, 0), COALESCE(j.state, ''), "
            "COALESCE(j.claimed_by, ''), COALESCE(j.claimed_at, 0), COALESCE(j.attempts, 0), COALESCE(j.size, 0), "
            "COALESCE(j.watched, 0) FROM results r JOIN accounts a ON a.id = r.account_id "
            "LEFT JOIN game_records g ON g.result_id = r.id LEFT JOIN video_jobs j ON j.result_id = r.id "
            "WHERE r.id = $1 AND r.verified");
  c.prepare("game_record", "SELECT replay, penalty, timeline FROM game_records WHERE result_id = $1");
  c.prepare("fail_stale_jobs",
            "UPDATE video_jobs SET state = 'failed', claimed_by = '' WHERE state = 'rendering' AND claimed_at < $1 "
            "AND attempts >= $2");
  // SKIP LOCKED: a job another server is claiming this moment is passed over, not waited for.
  c.prepare("claim_job",
            "UPDATE video_jobs SET state = 'rendering', claimed_by = $1, claimed_at = $2, attempts = attempts + 1 "
            "WHERE result_id = (SELECT result_id FROM video_jobs WHERE (($4::integer >> edition) & 1) = 1 AND "
            "(state = 'waiting' OR (state = 'rendering' AND claimed_at < $3)) ORDER BY result_id LIMIT 1 "
            "FOR UPDATE SKIP LOCKED) RETURNING result_id, edition, attempts");
  c.prepare("job_made",
            "UPDATE video_jobs SET state = 'ready', size = $1, watched = $2, claimed_by = '' "
            "WHERE result_id = $3 AND state = 'rendering' AND claimed_by = $4");
  c.prepare("job_failed",
            "UPDATE video_jobs SET state = CASE WHEN attempts >= $1 THEN 'failed' ELSE 'waiting' END, "
            "claimed_by = '' WHERE result_id = $2 AND state = 'rendering' AND claimed_by = $3");
  c.prepare("ready_videos",
            "SELECT result_id, edition, state, claimed_by, claimed_at, attempts, size, watched FROM video_jobs "
            "WHERE state = 'ready' ORDER BY watched, result_id");
  c.prepare("evict_video", "UPDATE video_jobs SET state = 'evicted', size = 0 WHERE result_id = $1 AND state = 'ready'");
  c.prepare("request_video",
            "UPDATE video_jobs SET state = 'waiting', attempts = 0, size = 0 WHERE result_id = $1 "
            "AND state IN ('evicted', 'ready')");
  c.prepare("watch_video", "UPDATE video_jobs SET watched = $1 WHERE result_id = $2");
}

// A job's columns from column first on (see the statements above).
template <typename Row>
VideoJob read_job(const Row& row, int first) {
  VideoJob j;
  j.result_id = row[first].template as<std::int64_t>();
  j.edition = row[first + 1].template as<int>();
  j.state = video_state_from_word(row[first + 2].template as<std::string>());
  j.claimed_by = row[first + 3].template as<std::string>();
  j.claimed_at = row[first + 4].template as<std::int64_t>();
  j.attempts = row[first + 5].template as<int>();
  j.size = row[first + 6].template as<std::int64_t>();
  j.watched = row[first + 7].template as<std::int64_t>();
  return j;
}

void migrate(pqxx::connection& c) {
  pqxx::work w(c);
  w.exec("SELECT pg_advisory_xact_lock(" + std::to_string(migration_lock) + ")");
  w.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
  const pqxx::result r = w.exec("SELECT version FROM schema_version");
  int v = r.empty() ? 0 : r[0][0].as<int>();
  if (v > schema_version)
    throw StoreError("the database has schema version " + std::to_string(v) + "; this server knows up to " +
                     std::to_string(schema_version));
  if (r.empty()) w.exec("INSERT INTO schema_version (version) VALUES (0)");
  for (int i = 0; i < migration_count; ++i) {
    if (migrations[i].version <= v) continue;
    w.exec(migrations[i].postgres);
    w.exec("UPDATE schema_version SET version = " + std::to_string(migrations[i].version));
    v = migrations[i].version;
  }
  w.commit();
}

class PostgresStore final : public Store {
 public:
  PostgresStore(const std::string& uri, int connections) : uri_(uri), slots_(static_cast<std::size_t>(connections)) {
    // The first connection migrates and proves the address; the others are made when needed.
    try {
      auto c = std::make_unique<pqxx::connection>(uri_);
      migrate(*c);
      prepare(*c);
      slots_[0] = std::move(c);
    } catch (const StoreError&) {
      throw;
    } catch (const std::exception& e) {
      throw StoreError(std::string("postgresql: ") + e.what());
    }
    for (std::size_t i = 0; i < slots_.size(); ++i) free_.push_back(i);
  }

  int version() override {
    return run([](pqxx::work& w) { return w.exec("SELECT version FROM schema_version")[0][0].as<int>(); });
  }

  bool create_account(const std::string& name, const std::string& hash, std::int64_t now) override {
    return run([&](pqxx::work& w) {
      const pqxx::result r = w.exec_prepared("insert_account", name, name_key(name), hash, now);
      w.commit();
      return r.affected_rows() == 1;
    });
  }

  std::optional<Account> find_account(const std::string& name) override {
    return run([&](pqxx::work& w) -> std::optional<Account> {
      const pqxx::result r = w.exec_prepared("find_account", name_key(name));
      if (r.empty()) return std::nullopt;
      return Account{r[0][0].as<std::int64_t>(), r[0][1].as<std::string>(), r[0][2].as<std::string>(),
                     r[0][3].as<std::int64_t>()};
    });
  }

  std::int64_t add_authentication(const Authentication& a, std::int64_t max_age) override {
    return run([&](pqxx::work& w) {
      w.exec_prepared("prune_authentications", a.created - max_age);
      const pqxx::result r = w.exec_prepared("insert_authentication", a.account_id, a.edition, a.score,
                                             a.check_word_1, a.check_word_2, a.created, a.address, a.language);
      w.commit();
      return r[0][0].as<std::int64_t>();
    });
  }

  std::vector<Authentication> open_authentications(std::int64_t account_id, std::int64_t since,
                                                   int limit) override {
    return run([&](pqxx::work& w) {
      std::vector<Authentication> out;
      for (const auto& row : w.exec_prepared("open_authentications", account_id, since, limit)) {
        Authentication a;
        a.id = row[0].as<std::int64_t>();
        a.account_id = row[1].as<std::int64_t>();
        a.edition = row[2].as<int>();
        a.score = row[3].as<std::int32_t>();
        a.check_word_1 = row[4].as<std::int64_t>();
        a.check_word_2 = row[5].as<std::int64_t>();
        a.created = row[6].as<std::int64_t>();
        a.address = row[7].as<std::string>();
        a.language = row[8].as<std::string>();
        out.push_back(std::move(a));
      }
      return out;
    });
  }

  StoredResult store_result(const Result& r, std::int64_t authentication_id, const GameRecord* record) override {
    return run([&](pqxx::work& w) { return store_once(w, r, authentication_id, record); });
  }

  std::optional<ListedGame> listed_game(std::int64_t id) override {
    return run([&](pqxx::work& w) -> std::optional<ListedGame> {
      const pqxx::result q = w.exec_prepared("listed_game", id);
      if (q.empty()) return std::nullopt;
      ListedGame g;
      g.result = *read_result(q);
      g.name = q[0][13].as<std::string>();
      g.timeline = q[0][14].as<std::string>();
      g.video = read_job(q[0], 15);
      return g;
    });
  }

  std::optional<GameRecord> game_record(std::int64_t result_id) override {
    return run([&](pqxx::work& w) -> std::optional<GameRecord> {
      const pqxx::result q = w.exec_prepared("game_record", result_id);
      if (q.empty()) return std::nullopt;
      return GameRecord{q[0][0].as<std::string>(), q[0][1].as<bool>(), q[0][2].as<std::string>()};
    });
  }

  std::optional<RenderJob> claim_video_job(const std::string& worker, std::int64_t now, std::int64_t stale_before,
                                           unsigned editions, int max_attempts) override {
    return run([&](pqxx::work& w) -> std::optional<RenderJob> {
      w.exec_prepared("fail_stale_jobs", stale_before, max_attempts);
      const pqxx::result q = w.exec_prepared("claim_job", worker, now, stale_before, static_cast<int>(editions));
      if (q.empty()) {
        w.commit();
        return std::nullopt;
      }
      RenderJob job;
      job.result_id = q[0][0].as<std::int64_t>();
      job.edition = q[0][1].as<int>();
      job.attempts = q[0][2].as<int>();
      const pqxx::result r = w.exec_prepared("game_record", job.result_id);
      if (!r.empty()) {
        job.replay = r[0][0].as<std::string>();
        job.penalty = r[0][1].as<bool>();
      }
      w.commit();
      return job;
    });
  }

  bool finish_video_job(std::int64_t result_id, const std::string& worker, bool made, std::int64_t size,
                        std::int64_t now, int max_attempts) override {
    return run([&](pqxx::work& w) {
      const pqxx::result r = made ? w.exec_prepared("job_made", size, now, result_id, worker)
                                  : w.exec_prepared("job_failed", max_attempts, result_id, worker);
      w.commit();
      return r.affected_rows() == 1;
    });
  }

  std::vector<VideoJob> ready_videos() override {
    return run([&](pqxx::work& w) {
      std::vector<VideoJob> out;
      for (const auto& row : w.exec_prepared("ready_videos")) out.push_back(read_job(row, 0));
      return out;
    });
  }

  bool evict_video(std::int64_t result_id) override { return change_one("evict_video", result_id); }
  bool request_video(std::int64_t result_id) override { return change_one("request_video", result_id); }

  void watch_video(std::int64_t result_id, std::int64_t now) override {
    run([&](pqxx::work& w) {
      w.exec_prepared("watch_video", now, result_id);
      w.commit();
      return 0;
    });
  }

  std::vector<ListEntry> list(int edition, std::int64_t offset, std::int64_t limit) override {
    return run([&](pqxx::work& w) {
      std::vector<ListEntry> out;
      for (const auto& row : w.exec_prepared("list", edition, limit, offset))
        out.push_back({offset + static_cast<std::int64_t>(out.size()) + 1, row[0].as<std::string>(),
                       row[1].as<std::int32_t>(), row[2].as<std::int64_t>(), row[3].as<bool>(),
                       row[4].as<std::int64_t>()});
      return out;
    });
  }

  std::int64_t listed_count(int edition) override {
    return run([&](pqxx::work& w) { return w.exec_prepared("count", edition)[0][0].as<std::int64_t>(); });
  }

  std::int64_t forget_addresses(std::int64_t before) override {
    return run([&](pqxx::work& w) {
      const pqxx::result r = w.exec_prepared("forget_addresses", before);
      w.commit();
      return static_cast<std::int64_t>(r.affected_rows());
    });
  }

  std::optional<Result> find_result(std::int64_t id) override {
    return run([&](pqxx::work& w) { return read_result(w.exec_prepared("find_result", id)); });
  }

  std::optional<Result> listed_result(const std::string& digest) override {
    return run([&](pqxx::work& w) { return read_result(w.exec_prepared("listed_result", digest)); });
  }

  static std::optional<Result> read_result(const pqxx::result& q) {
    if (q.empty()) return std::nullopt;
    const auto row = q[0];
    Result r;
    r.id = row[0].as<std::int64_t>();
    r.account_id = row[1].as<std::int64_t>();
    r.edition = row[2].as<int>();
    r.score = row[3].as<std::int32_t>();
    r.simulated_score = row[4].as<std::int32_t>();
    r.verified = row[5].as<bool>();
    r.exact = row[6].as<bool>();
    r.reason = row[7].as<std::string>();
    r.detail = row[8].as<std::string>();
    r.digest = row[9].as<std::string>();
    r.created = row[10].as<std::int64_t>();
    r.address = row[11].as<std::string>();
    r.listed_score = row[12].as<std::int32_t>();
    return r;
  }

  bool ping() override {
    try {
      return run([](pqxx::work& w) { return w.exec("SELECT 1")[0][0].as<int>() == 1; });
    } catch (const StoreError&) {
      return false;
    }
  }

 private:
  bool change_one(const char* statement, std::int64_t result_id) {
    return run([&](pqxx::work& w) {
      const pqxx::result r = w.exec_prepared(statement, result_id);
      w.commit();
      return r.affected_rows() == 1;
    });
  }

  // store_result's transaction.
  StoredResult store_once(pqxx::work& w, const Result& r, std::int64_t authentication_id, const GameRecord* record) {
    StoredResult out;
    if (w.exec_prepared("use_authentication", authentication_id).affected_rows() != 1) {
      out.outcome = StoredResult::Outcome::not_authenticated;
      return out;  // not committed: rolled back
    }
    try {
      w.exec("SAVEPOINT listed_once");
      out.id = w.exec_prepared("insert_result", r.account_id, r.edition, r.score, r.simulated_score, r.listed_score,
                               r.verified, r.exact, r.reason, r.detail, r.digest, r.created, r.address)[0][0]
                   .as<std::int64_t>();
      w.exec("RELEASE SAVEPOINT listed_once");
    } catch (const pqxx::unique_violation&) {
      // Only the index of listed games can refuse a verified result with a digest; the
      // savepoint keeps the rest of the transaction.
      if (!r.verified || r.digest.empty()) throw;
      w.exec("ROLLBACK TO SAVEPOINT listed_once");
      Result kept = r;
      kept.verified = false;
      kept.exact = false;
      kept.reason = "duplicate";
      out.id = w.exec_prepared("insert_result", kept.account_id, kept.edition, kept.score, kept.simulated_score,
                               kept.listed_score, kept.verified, kept.exact, kept.reason, kept.detail, kept.digest, kept.created,
                               kept.address)[0][0]
                   .as<std::int64_t>();
      out.outcome = StoredResult::Outcome::duplicate;
      out.listed = w.exec_prepared("count", r.edition)[0][0].as<std::int64_t>();
      w.commit();
      return out;
    }
    if (r.verified) {
      out.rank = w.exec_prepared("rank", r.edition, r.listed_score, r.created, out.id)[0][0].as<std::int64_t>() + 1;
      if (record) {
        w.exec_prepared("insert_record", out.id, record->replay, record->penalty, record->timeline);
        w.exec_prepared("insert_job", out.id, r.edition);
      }
    }
    out.listed = w.exec_prepared("count", r.edition)[0][0].as<std::int64_t>();
    w.commit();
    return out;
  }

  // Runs fn in a transaction on a free connection; database errors become StoreError, and a
  // broken connection is dropped so the next use connects again.
  template <typename Fn>
  std::invoke_result_t<Fn&, pqxx::work&> run(Fn&& fn) {
    const std::size_t slot = acquire();
    struct Release {
      PostgresStore* store;
      std::size_t slot;
      ~Release() { store->release(slot); }
    } release{this, slot};
    try {
      if (!slots_[slot] || !slots_[slot]->is_open()) {
        slots_[slot] = std::make_unique<pqxx::connection>(uri_);
        prepare(*slots_[slot]);
      }
      pqxx::work w(*slots_[slot]);
      return fn(w);
    } catch (const pqxx::broken_connection& e) {
      slots_[slot].reset();
      throw StoreError(std::string("postgresql: connection lost: ") + e.what());
    } catch (const StoreError&) {
      throw;
    } catch (const std::exception& e) {
      throw StoreError(std::string("postgresql: ") + e.what());
    }
  }

  std::size_t acquire() {
    std::unique_lock lock(mutex_);
    available_.wait(lock, [&] { return !free_.empty(); });
    const std::size_t slot = free_.back();
    free_.pop_back();
    return slot;
  }
  void release(std::size_t slot) {
    {
      std::lock_guard lock(mutex_);
      free_.push_back(slot);
    }
    available_.notify_one();
  }

  std::string uri_;
  std::vector<std::unique_ptr<pqxx::connection>> slots_;
  std::vector<std::size_t> free_;
  std::mutex mutex_;
  std::condition_variable available_;
};

}  // namespace

bool is_postgres_uri(const std::string& spec) {
  return spec.rfind("postgresql://", 0) == 0 || spec.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Store> open_postgres_store(const std::string& uri, int connections) {
  return std::make_unique<PostgresStore>(uri, connections < 1 ? 1 : connections);
}

std::unique_ptr<Store> open_store(const std::string& spec, int connections) {
  if (is_postgres_uri(spec)) return open_postgres_store(spec, connections);
  return open_sqlite_store(spec);
}

}  // namespace server
