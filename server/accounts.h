// SPDX-License-Identifier: GPL-3.0-or-later
// Player accounts: the rules for names and passwords, and password hashing.
//
// Names are 2 to 15 letters, digits, "_", "-" and "." (the dialog reads 15 characters, and these
// travel unchanged both in the escaped authentication body and in the raw md record), unique
// without regard to case. Passwords are 4 to 12 printable ASCII characters without blanks and
// without & = + % # ?, which the game's address escaping might pass on unescaped: the md record
// of an upload holds only the first 12 characters of the password, and with this rule it holds
// all of it, so an upload can be checked against the account like the authentication.
//
// Passwords are kept only as yescrypt hashes (libxcrypt, a fresh salt each, its default cost),
// never in clear and never logged.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace server {

inline constexpr std::size_t min_user_name = 2;
inline constexpr std::size_t min_password = 4;
inline constexpr std::size_t max_password = 12;

bool valid_user_name(std::string_view name);
bool valid_password(std::string_view password);
// The name as the store compares it: lower case.
std::string name_key(std::string_view name);

// A yescrypt hash with a fresh salt; empty when the library fails (no entropy).
std::string hash_password(std::string_view password);
bool password_matches(std::string_view password, const std::string& hash);

// Name and password pairs checked against their hash in the last minutes. A player's
// authentication is followed by the upload, which carries the password again, and often by
// another round's; the cache answers those without another yescrypt run. It keeps only keyed
// digests (HMAC-SHA-256 under a random key made when the cache is made), in memory, never on
// disk; an entry is dropped when its time is up or the account's hash changes.
//
// It also stands between guessers and the hash: at most hashing_at_once yescrypt runs go at
// once (each takes about 90 ms of a core and 14 MB; the others wait their turn), and an account
// that saw failures_allowed wrong passwords within ten minutes is held back for hold_time: its
// checks are answered "wait" without a hash run, until the time is up. A pair the cache knows
// is right is answered at once, also while its account is held back.
inline constexpr auto failure_window = std::chrono::minutes(10);  // wrong passwords count this long
struct GuessLimits {
  int hashing_at_once = 2;
  int failures_allowed = 5;
  std::chrono::seconds hold_time = std::chrono::seconds(60);
};

class CredentialCache {
 public:
  explicit CredentialCache(std::chrono::seconds keep = std::chrono::minutes(10), GuessLimits limits = {});
  // True when this pair was checked against this hash within the keep time.
  bool knows(std::string_view name, std::string_view password, const std::string& hash);
  void remember(std::string_view name, std::string_view password, const std::string& hash);

  // The guessing guard (check_password uses these).
  bool held_back(std::string_view name);
  void note_failure(std::string_view name);
  void note_success(std::string_view name);
  void begin_hashing();  // waits for a free turn
  void end_hashing();
  int hashes_run() const;
  int most_hashing_at_once() const;

 private:
  std::string digest(std::string_view name, std::string_view password, const std::string& hash) const;
  struct Entry {
    std::string digest;
    std::chrono::steady_clock::time_point until;
  };
  std::chrono::seconds keep_;
  unsigned char key_[32];
  std::mutex mutex_;
  std::unordered_map<std::string, Entry> entries_;

  struct Failures {
    int count = 0;
    std::chrono::steady_clock::time_point first, held_until;
  };
  GuessLimits limits_;
  std::unordered_map<std::string, Failures> failures_;
  mutable std::mutex hashing_mutex_;
  std::condition_variable hashing_turn_;
  int hashing_ = 0, hashes_ = 0, most_hashing_ = 0;
};

enum class PasswordCheck { right, wrong, wait };

// Checks a password against an account's hash, through the cache when it knows the pair; wait
// while the account is held back after too many wrong ones.
PasswordCheck check_password(CredentialCache& cache, std::string_view name, std::string_view password,
                             const std::string& hash);

}  // namespace server
