// SPDX-License-Identifier: GPL-3.0-or-later
// The server's storage: accounts, the authentications that open an upload, the results, and for
// every listed game what its page and video are made from, with the job that renders the video.
// Two implementations share this face: SQLite in one file (the default) and PostgreSQL through
// libpqxx, chosen by a "postgresql://" (or "postgres://") connection string, where several
// server processes can share one database. Each operation is one transaction of prepared
// statements; the schema carries its version and is brought up to date when a store opens.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace server {

// The schema this server writes; a database of a later version is refused.
inline constexpr int schema_version = 4;

// Any failure of the database itself (connection lost, disk full, a newer schema).
struct StoreError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Account {
  std::int64_t id = 0;
  std::string name;           // as registered
  std::string password_hash;  // yescrypt
  std::int64_t created = 0;   // seconds since 1970
};

// A successful authentication: it opens one upload of the named score and edition, carrying
// the check words that the upload's event log must match.
struct Authentication {
  std::int64_t id = 0;
  std::int64_t account_id = 0;
  int edition = 0;
  std::int32_t score = 0;
  std::int64_t check_word_1 = 0, check_word_2 = 0;
  std::int64_t created = 0;
  std::string address;
  std::string language = "de";  // the code of the language the game asked in, for the upload's reply
};

struct Result {
  std::int64_t id = 0;
  std::int64_t account_id = 0;
  int edition = 0;
  std::int32_t score = 0;            // the score the game claimed
  std::int32_t simulated_score = 0;  // the re-simulation's
  // What the list shows: the claim, or the re-simulation's score where that is lower (a bonus
  // the clock estimate could not confirm is not listed).
  std::int32_t listed_score = 0;
  bool verified = false;
  bool exact = false;                // the re-simulation matched every event exactly
  std::string reason;                // a rejection's reason code, or the tolerance used
  std::string detail;                // what differed, for operators
  std::string digest;                // of the game's input (hex); empty when there was none
  std::int64_t created = 0;
  std::string address;
};

struct ListEntry {
  std::int64_t rank = 0;
  std::string name;
  std::int32_t score = 0;
  std::int64_t created = 0;
  bool exact = false;
  std::int64_t id = 0;  // the result's, for the link to its page
};

// Kept beside a listed result: what its page and its video are made from.
struct GameRecord {
  std::string replay;    // the upload's replay text
  bool penalty = false;  // the game ran with the highscore penalty
  std::string timeline;  // timeline_text (timeline.h)
};

// A listed game's video. none: the game has no job (it was listed before videos were made).
enum class VideoState { none, waiting, rendering, ready, failed, evicted };
// The word the database keeps ("waiting", ...); and back, none for a word that is none of them.
const char* video_state_word(VideoState s);
VideoState video_state_from_word(std::string_view word);

struct VideoJob {
  std::int64_t result_id = 0;
  int edition = 0;
  VideoState state = VideoState::none;
  std::string claimed_by;        // the worker that renders it ("host:pid/slot")
  std::int64_t claimed_at = 0;   // seconds since 1970
  int attempts = 0;              // renders started since it last waited afresh
  std::int64_t size = 0;         // bytes of the finished file
  std::int64_t watched = 0;      // when the video was last fetched (or made)
};

// A claimed job: what the renderer needs.
struct RenderJob {
  std::int64_t result_id = 0;
  int edition = 0;
  bool penalty = false;
  std::string replay;
  int attempts = 0;  // this one included
};

// A listed game's page: the result, its player, its timeline text ("" for a game listed before
// timelines were kept) and its video's job.
struct ListedGame {
  Result result;
  std::string name;
  std::string timeline;
  VideoJob video;
};

struct StoredResult {
  enum class Outcome {
    stored,           // kept as given
    duplicate,        // the same game is listed already: kept as rejected, reason "duplicate"
    not_authenticated // the authentication was used up or is gone: nothing stored
  } outcome = Outcome::stored;
  std::int64_t id = 0;
  std::int64_t rank = 0;   // place in its edition's list (verified results only)
  std::int64_t listed = 0; // results in that list after this one
};

class Store {
 public:
  virtual ~Store() = default;
  virtual int version() = 0;

  // False when the name (without regard to case) is taken.
  virtual bool create_account(const std::string& name, const std::string& password_hash,
                              std::int64_t now) = 0;
  virtual std::optional<Account> find_account(const std::string& name) = 0;

  // Keeps an authentication; authentications older than max_age_seconds are removed with it.
  virtual std::int64_t add_authentication(const Authentication& a, std::int64_t max_age_seconds) = 0;
  // The account's open authentications made at or after since, newest first, at most limit.
  virtual std::vector<Authentication> open_authentications(std::int64_t account_id, std::int64_t since,
                                                           int limit) = 0;

  // One transaction: uses up the authentication (it must still be there), keeps the result and
  // ranks it. A verified result whose digest is listed already is kept as a rejected duplicate.
  // A result that is listed keeps the record beside it, when one is given, and gets a waiting
  // video job in the same transaction, so a restart loses no job.
  virtual StoredResult store_result(const Result& r, std::int64_t authentication_id,
                                    const GameRecord* record = nullptr) = 0;

  // A page of an edition's list: verified results, best listed score first, the earlier one first
  // among equals.
  virtual std::vector<ListEntry> list(int edition, std::int64_t offset, std::int64_t limit) = 0;
  virtual std::int64_t listed_count(int edition) = 0;
  virtual std::optional<Result> find_result(std::int64_t id) = 0;
  // The listed (verified) result of a game, by its identity.
  virtual std::optional<Result> listed_result(const std::string& digest) = 0;

  // A listed (verified) result with its player, timeline and video job; nothing for any other id.
  virtual std::optional<ListedGame> listed_game(std::int64_t id) = 0;
  // The game record kept beside a result.
  virtual std::optional<GameRecord> game_record(std::int64_t result_id) = 0;

  // ---- video jobs ----
  // Claims one job in a single statement, so two servers never render one game twice: the oldest
  // waiting job of the editions in the mask (bit e for edition e), or one claimed before
  // stale_before by a worker that has died meanwhile. Its attempts count up. A stale job that has
  // used up max_attempts is marked failed instead.
  virtual std::optional<RenderJob> claim_video_job(const std::string& worker, std::int64_t now,
                                                   std::int64_t stale_before, unsigned editions,
                                                   int max_attempts) = 0;
  // The end of a render that worker claimed: ready with the file's size (watched now), or back to
  // waiting, failed for good after max_attempts. False when the job is no longer the worker's.
  virtual bool finish_video_job(std::int64_t result_id, const std::string& worker, bool made, std::int64_t size,
                                std::int64_t now, int max_attempts) = 0;
  // The ready videos, the least recently watched first.
  virtual std::vector<VideoJob> ready_videos() = 0;
  // A ready video whose file the cache removes; false when it was not ready.
  virtual bool evict_video(std::int64_t result_id) = 0;
  // An evicted video (or a ready one whose file is gone) waits to be rendered again, with fresh
  // attempts; false when it was neither.
  virtual bool request_video(std::int64_t result_id) = 0;
  virtual void watch_video(std::int64_t result_id, std::int64_t now) = 0;

  // Blanks the client address of the results made before `before`; how many were changed.
  virtual std::int64_t forget_addresses(std::int64_t before) = 0;

  // A round trip to the database (for the health address).
  virtual bool ping() = 0;
};

// Opens the store a --db value names: a "postgresql://" or "postgres://" connection string (with
// that many connections shared by the server's threads), or a file for SQLite (created when
// missing). Brings the schema up to date. Throws StoreError.
std::unique_ptr<Store> open_store(const std::string& spec, int connections = 16);
std::unique_ptr<Store> open_sqlite_store(const std::string& path);
std::unique_ptr<Store> open_postgres_store(const std::string& uri, int connections = 16);
bool is_postgres_uri(const std::string& spec);

}  // namespace server
