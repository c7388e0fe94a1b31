// SPDX-License-Identifier: GPL-3.0-or-later
// The upload handler: the game's two requests in, the replies of the game's grammar out.
//
// Authentication: an unknown user gets Abort with a link to the registration; a wrong password
// gets Retry; a known user gets Continue with logtype=full, and the server keeps the
// authentication (score, edition, check words, language) for the upload that follows within ten
// minutes. Every reply speaks the language of the game's lang field (messages.h).
// Upload: the payload encoding is undone with the game's own inverse and both checksums are
// checked; the md record's user and password must be the account's; then the result is judged
// (judge.h) and kept as verified or refused with its reason, using up the authentication. A
// malformed request, a broken encoding or a wrong account gets Abort and nothing is kept; when
// the re-simulation or the database fails, Retry, and nothing is kept either.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "server/accounts.h"
#include "server/languages.h"
#include "server/protocol.h"
#include "server/reply.h"
#include "server/store.h"
#include "server/verifier.h"

namespace server {

inline constexpr std::int64_t authentication_lifetime = 600;  // seconds
// How many of an account's open authentications an upload is matched against (newest first).
inline constexpr int max_open_authentications = 64;
// A result keeps its client's address for a week, long enough to trace a run of abuse back;
// then it is blanked (checked at most once an hour). An authentication keeps its address only
// while it lives (ten minutes), the rate limit its addresses only in memory for seconds.
inline constexpr std::int64_t address_keep = 7 * 24 * 3600;
inline constexpr std::int64_t list_page_size = 25;

// The database's writes as the health address reports them: the last one that failed (a full
// disk, a lost connection), and whether one has gone through since.
class WriteHealth {
 public:
  struct Failure {
    std::int64_t at = 0;  // seconds since 1970; 0: none yet
    std::string what;
    bool current = false;  // no write has gone through since
  };
  void failed(std::int64_t at, const std::string& what);
  void succeeded();
  Failure last_failure() const;

 private:
  mutable std::mutex mutex_;
  Failure last_;
};

struct ServiceCounters {
  std::atomic<std::uint64_t> authentications{0}, uploads{0}, verified{0}, refused{0}, malformed{0};
  std::atomic<std::uint64_t> upload_micros{0};  // time spent answering uploads
};

class Service {
 public:
  Service(Store& store, VerifierPool& verifiers, CredentialCache& credentials);

  // base_url: the server's address as the client reached it ("http://host:port"), for links.
  Reply handle(std::string_view body, const std::string& address, const std::string& base_url);
  Reply authenticate(const AuthenticateRequest& a, const std::string& address, const std::string& base_url);
  Reply upload(const UploadRequest& u, const std::string& address, const std::string& base_url);

  const ServiceCounters& counters() const { return counters_; }
  WriteHealth& writes() { return writes_; }
  // Tests move the clock (seconds since 1970); the default reads the system's.
  void set_clock(std::function<std::int64_t()> now) { now_ = std::move(now); }
  // Called after a game is listed (the video renderer's wake-up).
  void set_listed_hook(std::function<void()> hook) { on_listed_ = std::move(hook); }

 private:
  Reply judge_upload(const UploadRequest& u, const std::string& address, const std::string& base_url);
  void forget_old_addresses(std::int64_t now);

  Store& store_;
  VerifierPool& verifiers_;
  CredentialCache& credentials_;
  std::function<std::int64_t()> now_;
  std::function<void()> on_listed_;
  ServiceCounters counters_;
  WriteHealth writes_;
  std::atomic<std::int64_t> addresses_forgotten_at_{0};
};

// The list page that shows a rank ("/list/xl?page=2#r27").
std::string list_path(int edition, std::int64_t rank = 0);

// The language a request body names in its lang field, German without one: for a reply to a body
// that is no request, or that failed before its own language was known.
const Language& request_language(std::string_view body);

}  // namespace server
