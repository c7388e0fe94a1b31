// SPDX-License-Identifier: GPL-3.0-or-later
// The server's storage: accounts, the authentications that open an upload, and the results.
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
#include <vector>

namespace server {

// The schema this server writes; a database of a later version is refused.
inline constexpr int schema_version = 3;

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
  virtual StoredResult store_result(const Result& r, std::int64_t authentication_id) = 0;

  // A page of an edition's list: verified results, best listed score first, the earlier one first
  // among equals.
  virtual std::vector<ListEntry> list(int edition, std::int64_t offset, std::int64_t limit) = 0;
  virtual std::int64_t listed_count(int edition) = 0;
  virtual std::optional<Result> find_result(std::int64_t id) = 0;
  // The listed (verified) result of a game, by its identity.
  virtual std::optional<Result> listed_result(const std::string& digest) = 0;

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
