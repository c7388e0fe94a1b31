// SPDX-License-Identifier: GPL-3.0-or-later
// The SQLite store: one file, one connection, one operation at a time. The journal is written
// ahead (WAL), so readers are not held up by a writer and a killed process leaves either the
// whole transaction or none of it.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <mutex>
#include <optional>

#include "server/accounts.h"
#include "server/schema.h"
#include "server/store.h"

namespace server {

namespace {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s_, nullptr) != SQLITE_OK)
      throw StoreError(std::string("sqlite: ") + sqlite3_errmsg(db));
  }
  ~Statement() { sqlite3_finalize(s_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Binds the values in order, starting a fresh run of the statement.
  template <typename... Values>
  Statement& bind(const Values&... values) {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
    int index = 1;
    (bind_one(index++, values), ...);
    return *this;
  }
  // True while a row is there.
  bool step() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw_error();
    return false;
  }
  // For statements that write: SQLITE_DONE, or SQLITE_CONSTRAINT_UNIQUE (reported, not
  // thrown: a name or a listed game that is there already).
  int run() {
    const int rc = sqlite3_step(s_);
    if (rc == SQLITE_DONE || rc == SQLITE_CONSTRAINT_UNIQUE) {
      sqlite3_reset(s_);
      return rc;
    }
    throw_error();
    return rc;
  }
  std::int64_t integer(int column) const { return sqlite3_column_int64(s_, column); }
  std::string text(int column) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, column));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, column))) : std::string();
  }
  void done() { sqlite3_reset(s_); }

 private:
  void bind_one(int i, std::int64_t v) { sqlite3_bind_int64(s_, i, v); }
  void bind_one(int i, int v) { sqlite3_bind_int64(s_, i, v); }
  void bind_one(int i, bool v) { sqlite3_bind_int64(s_, i, v ? 1 : 0); }
  void bind_one(int i, const std::string& v) {
    sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  void bind_one(int i, const std::optional<std::string>& v) {
    if (v)
      bind_one(i, *v);
    else
      sqlite3_bind_null(s_, i);
  }
  [[noreturn]] void throw_error() {
    const std::string message = sqlite3_errmsg(db_);
    sqlite3_reset(s_);
    throw StoreError("sqlite: " + message);
  }
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

void exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw StoreError("sqlite: " + text);
  }
}

// Rolls back on the way out unless committed.
class Transaction {
 public:
  Transaction(sqlite3* db, bool write) : db_(db) { exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN"); }
  ~Transaction() {
    if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void commit() {
    exec(db_, "COMMIT");
    done_ = true;
  }

 private:
  sqlite3* db_;
  bool done_ = false;
};

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const std::string& path) {
    // A new database is the server's alone (SQLite gives its journal files the same mode).
    if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600); fd >= 0) ::close(fd);
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StoreError("sqlite: cannot open " + path + ": " + message);
    }
    try {
      sqlite3_extended_result_codes(db_, 1);
      sqlite3_busy_timeout(db_, 5000);
      exec(db_, "PRAGMA journal_mode=WAL");
      exec(db_, "PRAGMA synchronous=NORMAL");
      exec(db_, "PRAGMA foreign_keys=ON");
      migrate();
      prepare();
    } catch (...) {
      statements_.reset();
      sqlite3_close(db_);
      throw;
    }
  }
  ~SqliteStore() override {
    statements_.reset();
    sqlite3_close(db_);
  }

  int version() override {
    std::lock_guard lock(mutex_);
    return read_version();
  }

  bool create_account(const std::string& name, const std::string& hash, std::int64_t now) override {
    std::lock_guard lock(mutex_);
    return s().insert_account.bind(name, name_key(name), hash, now).run() == SQLITE_DONE;
  }

  std::optional<Account> find_account(const std::string& name) override {
    std::lock_guard lock(mutex_);
    Statement& q = s().find_account.bind(name_key(name));
    if (!q.step()) return std::nullopt;
    Account a{q.integer(0), q.text(1), q.text(2), q.integer(3)};
    q.done();
    return a;
  }

  std::int64_t add_authentication(const Authentication& a, std::int64_t max_age) override {
    std::lock_guard lock(mutex_);
    Transaction t(db_, true);
    s().prune_authentications.bind(a.created - max_age).run();
    s().insert_authentication
        .bind(a.account_id, a.edition, static_cast<std::int64_t>(a.score), a.check_word_1, a.check_word_2,
              a.created, a.address, a.language)
        .run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    t.commit();
    return id;
  }

  std::vector<Authentication> open_authentications(std::int64_t account_id, std::int64_t since,
                                                   int limit) override {
    std::lock_guard lock(mutex_);
    std::vector<Authentication> out;
    Statement& q = s().open_authentications.bind(account_id, since, static_cast<std::int64_t>(limit));
    while (q.step()) {
      Authentication a;
      a.id = q.integer(0);
      a.account_id = q.integer(1);
      a.edition = static_cast<int>(q.integer(2));
      a.score = static_cast<std::int32_t>(q.integer(3));
      a.check_word_1 = q.integer(4);
      a.check_word_2 = q.integer(5);
      a.created = q.integer(6);
      a.address = q.text(7);
      a.language = q.text(8);
      out.push_back(std::move(a));
    }
    return out;
  }

  StoredResult store_result(const Result& r, std::int64_t authentication_id, const GameRecord* record) override {
    std::lock_guard lock(mutex_);
    Transaction t(db_, true);
    StoredResult out;
    s().use_authentication.bind(authentication_id).run();
    if (sqlite3_changes(db_) != 1) {
      out.outcome = StoredResult::Outcome::not_authenticated;
      return out;  // rolled back
    }
    Result kept = r;
    if (insert_result(kept) == SQLITE_CONSTRAINT_UNIQUE) {
      // Only the index of listed games can refuse a verified result with a digest.
      if (!kept.verified || kept.digest.empty()) throw StoreError("sqlite: a result broke a constraint");
      // The same game is listed already.
      kept.verified = false;
      kept.exact = false;
      kept.reason = "duplicate";
      if (insert_result(kept) != SQLITE_DONE) throw StoreError("sqlite: cannot keep a duplicate");
      out.outcome = StoredResult::Outcome::duplicate;
    }
    out.id = sqlite3_last_insert_rowid(db_);
    if (kept.verified) {
      Statement& q = s().rank.bind(kept.edition, static_cast<std::int64_t>(kept.listed_score), kept.created, out.id);
      q.step();
      out.rank = q.integer(0) + 1;
      q.done();
      if (record) {
        s().insert_record.bind(out.id, record->replay, record->penalty, record->timeline).run();
        s().insert_job.bind(out.id, kept.edition).run();
      }
    }
    out.listed = count(kept.edition);
    t.commit();
    return out;
  }

  std::vector<ListEntry> list(int edition, std::int64_t offset, std::int64_t limit) override {
    std::lock_guard lock(mutex_);
    std::vector<ListEntry> out;
    Statement& q = s().list.bind(edition, limit, offset);
    while (q.step())
      out.push_back({offset + static_cast<std::int64_t>(out.size()) + 1, q.text(0),
                     static_cast<std::int32_t>(q.integer(1)), q.integer(2), q.integer(3) != 0, q.integer(4)});
    return out;
  }

  std::int64_t listed_count(int edition) override {
    std::lock_guard lock(mutex_);
    return count(edition);
  }

  std::int64_t forget_addresses(std::int64_t before) override {
    std::lock_guard lock(mutex_);
    s().forget_addresses.bind(before).run();
    return sqlite3_changes(db_);
  }

  std::optional<Result> find_result(std::int64_t id) override {
    std::lock_guard lock(mutex_);
    return read_result(s().find_result.bind(id));
  }

  std::optional<Result> listed_result(const std::string& digest) override {
    std::lock_guard lock(mutex_);
    return read_result(s().listed_result.bind(digest));
  }

  std::optional<ListedGame> listed_game(std::int64_t id) override {
    std::lock_guard lock(mutex_);
    Statement& q = s().listed_game.bind(id);
    if (!q.step()) return std::nullopt;
    ListedGame g;
    g.name = q.text(13);
    g.timeline = q.text(14);
    g.video = read_job(q, 15);
    g.result = *read_result(q, false);
    q.done();
    return g;
  }

  std::optional<GameRecord> game_record(std::int64_t result_id) override {
    std::lock_guard lock(mutex_);
    Statement& q = s().game_record.bind(result_id);
    if (!q.step()) return std::nullopt;
    GameRecord r{q.text(0), q.integer(1) != 0, q.text(2)};
    q.done();
    return r;
  }

  std::optional<RenderJob> claim_video_job(const std::string& worker, std::int64_t now, std::int64_t stale_before,
                                           unsigned editions, int max_attempts) override {
    std::lock_guard lock(mutex_);
    Transaction t(db_, true);
    s().fail_stale_jobs.bind(stale_before, static_cast<std::int64_t>(max_attempts)).run();
    Statement& q = s().claim_job.bind(worker, now, stale_before, static_cast<std::int64_t>(editions));
    if (!q.step()) {
      t.commit();
      return std::nullopt;
    }
    RenderJob job;
    job.result_id = q.integer(0);
    job.edition = static_cast<int>(q.integer(1));
    job.attempts = static_cast<int>(q.integer(2));
    q.step();  // runs the statement to its end
    Statement& r = s().game_record.bind(job.result_id);
    if (r.step()) {
      job.replay = r.text(0);
      job.penalty = r.integer(1) != 0;
      r.done();
    }
    t.commit();
    return job;
  }

  bool finish_video_job(std::int64_t result_id, const std::string& worker, bool made, std::int64_t size,
                        std::int64_t now, int max_attempts) override {
    std::lock_guard lock(mutex_);
    if (made)
      s().job_made.bind(size, now, result_id, worker).run();
    else
      s().job_failed.bind(static_cast<std::int64_t>(max_attempts), result_id, worker).run();
    return sqlite3_changes(db_) == 1;
  }

  std::vector<VideoJob> ready_videos() override {
    std::lock_guard lock(mutex_);
    std::vector<VideoJob> out;
    Statement& q = s().ready_videos.bind();
    while (q.step()) out.push_back(read_job(q, 0));
    return out;
  }

  bool evict_video(std::int64_t result_id) override {
    std::lock_guard lock(mutex_);
    s().evict_video.bind(result_id).run();
    return sqlite3_changes(db_) == 1;
  }

  bool request_video(std::int64_t result_id) override {
    std::lock_guard lock(mutex_);
    s().request_video.bind(result_id).run();
    return sqlite3_changes(db_) == 1;
  }

  void watch_video(std::int64_t result_id, std::int64_t now) override {
    std::lock_guard lock(mutex_);
    s().watch_video.bind(now, result_id).run();
  }

  // A job's columns from column first on: result_id, edition, state, claimed_by, claimed_at,
  // attempts, size, watched (a missing job reads as state none).
  static VideoJob read_job(Statement& q, int first) {
    VideoJob j;
    j.result_id = q.integer(first);
    j.edition = static_cast<int>(q.integer(first + 1));
    j.state = video_state_from_word(q.text(first + 2));
    j.claimed_by = q.text(first + 3);
    j.claimed_at = q.integer(first + 4);
    j.attempts = static_cast<int>(q.integer(first + 5));
    j.size = q.integer(first + 6);
    j.watched = q.integer(first + 7);
    return j;
  }

  std::optional<Result> read_result(Statement& q, bool step = true) {
    if (step && !q.step()) return std::nullopt;
    Result r;
    r.id = q.integer(0);
    r.account_id = q.integer(1);
    r.edition = static_cast<int>(q.integer(2));
    r.score = static_cast<std::int32_t>(q.integer(3));
    r.simulated_score = static_cast<std::int32_t>(q.integer(4));
    r.verified = q.integer(5) != 0;
    r.exact = q.integer(6) != 0;
    r.reason = q.text(7);
    r.detail = q.text(8);
    r.digest = q.text(9);
    r.created = q.integer(10);
    r.address = q.text(11);
    r.listed_score = static_cast<std::int32_t>(q.integer(12));
    if (step) q.done();
    return r;
  }

  bool ping() override {
    std::lock_guard lock(mutex_);
    try {
      Statement q(db_, "SELECT 1");
      return q.step() && q.integer(0) == 1;
    } catch (const StoreError&) {
      return false;
    }
  }

 private:
  struct Statements {
    explicit Statements(sqlite3* db)
        : insert_account(db, "INSERT INTO accounts (name, name_key, password_hash, created) VALUES (?, ?, ?, ?)"),
          find_account(db, "SELECT id, name, password_hash, created FROM accounts WHERE name_key = ?"),
          prune_authentications(db, "DELETE FROM authentications WHERE created < ?"),
          insert_authentication(db,
                                "INSERT INTO authentications (account_id, edition, score, check_word_1, "
                                "check_word_2, created, address, language) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
          open_authentications(db,
                               "SELECT id, account_id, edition, score, check_word_1, check_word_2, created, "
                               "address, language FROM authentications WHERE account_id = ? AND created >= ? "
                               "ORDER BY created DESC, id DESC LIMIT ?"),
          use_authentication(db, "DELETE FROM authentications WHERE id = ?"),
          insert_result(db,
                        "INSERT INTO results (account_id, edition, score, simulated_score, listed_score, verified, "
                        "exact, reason, detail, digest, created, address) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
          rank(db,
               "SELECT COUNT(*) FROM results WHERE edition = ?1 AND verified = 1 AND (listed_score > ?2 OR "
               "(listed_score = ?2 AND (created < ?3 OR (created = ?3 AND id < ?4))))"),
          count(db, "SELECT COUNT(*) FROM results WHERE edition = ? AND verified = 1"),
          forget_addresses(db, "UPDATE results SET address = '' WHERE created < ? AND address <> ''"),
          list(db,
               "SELECT a.name, r.listed_score, r.created, r.exact, r.id FROM results r JOIN accounts a ON a.id = r.account_id "
               "WHERE r.edition = ? AND r.verified = 1 ORDER BY r.listed_score DESC, r.created, r.id LIMIT ? OFFSET ?"),
          find_result(db,
                      "SELECT id, account_id, edition, score, simulated_score, verified, exact, reason, detail, "
                      "COALESCE(digest, ''), created, address, listed_score FROM results WHERE id = ?"),
          listed_result(db,
                        "SELECT id, account_id, edition, score, simulated_score, verified, exact, reason, detail, "
                        "COALESCE(digest, ''), created, address, listed_score FROM results "
                        "WHERE digest = ? AND verified = 1"),
          insert_record(db, "INSERT INTO game_records (result_id, replay, penalty, timeline) VALUES (?, ?, ?, ?)"),
          insert_job(db, "INSERT INTO video_jobs (result_id, edition) VALUES (?, ?)"),
          listed_game(db,
                      "SELECT r.id, r.account_id, r.edition, r.score, r.simulated_score, r.verified, r.exact, r.reason, "
                      "r.detail, COALESCE(r.digest, ''), r.created, r.address, r.listed_score, a.name, "
                      "COALESCE(g.timeline, ''), COALESCE(j.result_id, 0), COALESCE(j.edition, 0), "
                      "COALESCE(j.state, ''), COALESCE(j.claimed_by, ''), COALESCE(j.claimed_at, 0), "
                      "COALESCE(j.attempts, 0), COALESCE(j.size, 0), COALESCE(j.watched, 0) "
                      "FROM results r JOIN accounts a ON a.id = r.account_id "
                      "LEFT JOIN game_records g ON g.result_id = r.id LEFT JOIN video_jobs j ON j.result_id = r.id "
                      "WHERE r.id = ? AND r.verified = 1"),
          game_record(db, "SELECT replay, penalty, timeline FROM game_records WHERE result_id = ?"),
          fail_stale_jobs(db,
                          "UPDATE video_jobs SET state = 'failed', claimed_by = '' WHERE state = 'rendering' "
                          "AND claimed_at < ? AND attempts >= ?"),
          claim_job(db,
                    "UPDATE video_jobs SET state = 'rendering', claimed_by = ?1, claimed_at = ?2, "
                    "attempts = attempts + 1 WHERE result_id = (SELECT result_id FROM video_jobs "
                    "WHERE ((?4 >> edition) & 1) = 1 AND (state = 'waiting' OR (state = 'rendering' AND "
                    "claimed_at < ?3)) ORDER BY result_id LIMIT 1) RETURNING result_id, edition, attempts"),
          job_made(db,
                   "UPDATE video_jobs SET state = 'ready', size = ?, watched = ?, claimed_by = '' "
                   "WHERE result_id = ? AND state = 'rendering' AND claimed_by = ?"),
          job_failed(db,
                     "UPDATE video_jobs SET state = CASE WHEN attempts >= ? THEN 'failed' ELSE 'waiting' END, "
                     "claimed_by = '' WHERE result_id = ? AND state = 'rendering' AND claimed_by = ?"),
          ready_videos(db,
                       "SELECT result_id, edition, state, claimed_by, claimed_at, attempts, size, watched "
                       "FROM video_jobs WHERE state = 'ready' ORDER BY watched, result_id"),
          evict_video(db, "UPDATE video_jobs SET state = 'evicted', size = 0 WHERE result_id = ? AND state = 'ready'"),
          request_video(db,
                        "UPDATE video_jobs SET state = 'waiting', attempts = 0, size = 0 WHERE result_id = ? "
                        "AND state IN ('evicted', 'ready')"),
          watch_video(db, "UPDATE video_jobs SET watched = ? WHERE result_id = ?") {}
    Statement insert_account, find_account, prune_authentications, insert_authentication,
        open_authentications, use_authentication, insert_result, rank, count, forget_addresses, list,
        find_result, listed_result, insert_record, insert_job, listed_game, game_record, fail_stale_jobs,
        claim_job, job_made, job_failed, ready_videos, evict_video, request_video, watch_video;
  };

  Statements& s() { return *statements_; }

  int insert_result(const Result& r) {
    const std::optional<std::string> digest = r.digest.empty() ? std::nullopt : std::optional(r.digest);
    return s().insert_result
        .bind(r.account_id, r.edition, static_cast<std::int64_t>(r.score),
              static_cast<std::int64_t>(r.simulated_score), static_cast<std::int64_t>(r.listed_score), r.verified,
              r.exact, r.reason, r.detail, digest,
              r.created, r.address)
        .run();
  }

  std::int64_t count(int edition) {
    Statement& q = s().count.bind(edition);
    q.step();
    const std::int64_t n = q.integer(0);
    q.done();
    return n;
  }

  int read_version() {
    Statement q(db_, "SELECT version FROM schema_version");
    const int v = q.step() ? static_cast<int>(q.integer(0)) : 0;
    return v;
  }

  void migrate() {
    Transaction t(db_, true);
    exec(db_, "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    int v = read_version();
    if (v > schema_version)
      throw StoreError("the database has schema version " + std::to_string(v) + "; this server knows up to " +
                       std::to_string(schema_version));
    if (v == 0) exec(db_, "INSERT INTO schema_version (version) SELECT 0 WHERE NOT EXISTS (SELECT 1 FROM schema_version)");
    for (int i = 0; i < migration_count; ++i) {
      if (migrations[i].version <= v) continue;
      exec(db_, migrations[i].sqlite);
      Statement u(db_, "UPDATE schema_version SET version = ?");
      u.bind(migrations[i].version).run();
      v = migrations[i].version;
    }
    t.commit();
  }

  void prepare() { statements_ = std::make_unique<Statements>(db_); }

  sqlite3* db_ = nullptr;
  std::mutex mutex_;
  std::unique_ptr<Statements> statements_;
};

}  // namespace

std::unique_ptr<Store> open_sqlite_store(const std::string& path) { return std::make_unique<SqliteStore>(path); }

}  // namespace server
