// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/service.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "server/editions.h"
#include "server/form.h"
#include "server/judge.h"
#include "server/log.h"
#include "server/messages.h"
#include "server/timeline.h"
#include "server/upload_record.h"

namespace server {

namespace {

// An account held back after too many wrong passwords: no hash is run, the game may try later.
Reply held_back(const std::string& address, const std::string& name, const Language& l) {
  server_log("%s: %s is held back after too many wrong passwords", address.c_str(), name.c_str());
  return too_many_tries_reply(l);
}

const Language& language_of(const Authentication& a) {
  const Language* l = language_by_code(a.language);
  return l ? *l : german();
}

// The open authentication an upload belongs to: the newest one of its edition and score whose
// check words its event record gives, else the newest one of its edition and score (whose check
// words will then refuse it). Null when none carries the claim: another game's authentication is
// left for that game.
const Authentication* authentication_for(const std::vector<Authentication>& open, const MdRecord& md,
                                         const EventRecord* events) {
  const Authentication* same_claim = nullptr;
  for (const Authentication& a : open) {
    if (a.edition != md.edition || a.score != md.score) continue;
    if (events && a.check_word_1 == check_word_1(*events) && a.check_word_2 == check_word_2(*events)) return &a;
    if (!same_claim) same_claim = &a;
  }
  return same_claim;
}

}  // namespace

void WriteHealth::failed(std::int64_t at, const std::string& what) {
  std::lock_guard lock(mutex_);
  last_ = Failure{at, what, true};
}

void WriteHealth::succeeded() {
  std::lock_guard lock(mutex_);
  last_.current = false;
}

WriteHealth::Failure WriteHealth::last_failure() const {
  std::lock_guard lock(mutex_);
  return last_;
}

const Language& request_language(std::string_view body) {
  Form form;
  std::string error;
  const std::string* lang = parse_form(body, form, error) ? form.find("lang") : nullptr;
  if (!lang || lang->empty() || lang->size() > 4 || !is_hex(*lang)) return german();
  return language_for_upload(static_cast<int>(std::stoul(*lang, nullptr, 16)));
}

std::string list_path(int edition, std::int64_t rank) {
  std::string path = std::string("/list/") + edition_slug(edition);
  if (rank > 0) {
    const std::int64_t page_number = (rank - 1) / list_page_size + 1;
    if (page_number > 1) path += "?page=" + std::to_string(page_number);
    path += "#r" + std::to_string(rank);
  }
  return path;
}

Service::Service(Store& store, VerifierPool& verifiers, CredentialCache& credentials)
    : store_(store), verifiers_(verifiers), credentials_(credentials),
      now_([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

Reply Service::handle(std::string_view body, const std::string& address, const std::string& base_url) {
  Request request;
  std::string error;
  if (!parse_request(body, request, error)) {
    ++counters_.malformed;
    server_log("%s: malformed request: %s", address.c_str(), error.c_str());
    return malformed_request_reply(request_language(body));
  }
  try {
    if (request.type == Request::Type::authenticate) return authenticate(request.authenticate, address, base_url);
    return upload(request.upload, address, base_url);
  } catch (const StoreError& e) {
    server_log("%s: database: %s", address.c_str(), e.what());
    writes_.failed(now_(), e.what());
    return server_busy_reply(request_language(body));
  }
}

Reply Service::authenticate(const AuthenticateRequest& a, const std::string& address, const std::string& base_url) {
  ++counters_.authentications;
  const Language& l = language_for_upload(a.language);
  if (a.version != "V1.1") {
    server_log("%s: authentication with version %s refused", address.c_str(), a.version.c_str());
    return unsupported_version_reply(l);
  }
  if (!verifiers_.facts(a.edition)) return unsupported_edition_reply(l, a.edition);
  const std::optional<Account> account = valid_user_name(a.user) ? store_.find_account(a.user) : std::nullopt;
  if (!account) {
    server_log("%s: authentication for an unknown user", address.c_str());
    return unknown_user_reply(l, a.user, with_language(base_url + "/register/" + edition_slug(a.edition), l));
  }
  const PasswordCheck check = check_password(credentials_, account->name, a.password, account->password_hash);
  if (check == PasswordCheck::wait) return held_back(address, account->name, l);
  if (check == PasswordCheck::wrong) {
    server_log("%s: wrong password for %s", address.c_str(), account->name.c_str());
    return wrong_password_reply(l, account->name);
  }
  Authentication auth;
  auth.account_id = account->id;
  auth.edition = a.edition;
  auth.score = a.score;
  auth.check_word_1 = a.check_word_1;
  auth.check_word_2 = a.check_word_2;
  auth.created = now_();
  auth.address = address;
  auth.language = l.code;
  store_.add_authentication(auth, authentication_lifetime);
  writes_.succeeded();
  server_log("%s: %s authenticated for %d points in %s", address.c_str(), account->name.c_str(), a.score,
             edition_name(a.edition));
  Reply r = authenticated_reply(l, account->name, a.score);
  r.logtype = log_type_word(LogType::full);
  return r;
}

Reply Service::upload(const UploadRequest& u, const std::string& address, const std::string& base_url) {
  const auto started = std::chrono::steady_clock::now();
  ++counters_.uploads;
  Reply r = judge_upload(u, address, base_url);
  counters_.upload_micros += static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count());
  return r;
}

void Service::forget_old_addresses(std::int64_t now) {
  std::int64_t last = addresses_forgotten_at_.load();
  if (now - last < 3600 || !addresses_forgotten_at_.compare_exchange_strong(last, now)) return;
  try {
    const std::int64_t n = store_.forget_addresses(now - address_keep);
    if (n > 0) server_log("the addresses of %lld results older than a week forgotten", static_cast<long long>(n));
  } catch (const StoreError& e) {
    server_log("forgetting old addresses failed: %s", e.what());
  }
}

Reply Service::judge_upload(const UploadRequest& u, const std::string& address, const std::string& base_url) {
  // The game names its language in the authentication only: the reply speaks the language of the
  // authentication the upload belongs to, or the upload's own lang field where it has one.
  const Language* asked = u.language ? &language_for_upload(u.language) : nullptr;
  const Language* l = asked ? asked : &german();
  if (u.log_type != LogType::full) {
    ++counters_.malformed;
    server_log("%s: upload with log type %s refused", address.c_str(), log_type_word(u.log_type));
    return no_recording_reply(*l);
  }
  // The game's own inverse of its encoding; both checksums must hold.
  upload::DecodedPayload payload;
  if (!upload::decode_upload_payload(u.md.c_str(), u.el.c_str(), upload::log_full, payload) ||
      !payload.event_checksum_ok || !payload.final_checksum_ok) {
    ++counters_.malformed;
    server_log("%s: upload encoding broken or checksums wrong", address.c_str());
    return damaged_data_reply(*l);
  }
  MdRecord md;
  std::string error;
  if (!read_md_record(std::string_view(payload.md_record, md_record_size), md, error)) {
    ++counters_.malformed;
    server_log("%s: upload md record: %s", address.c_str(), error.c_str());
    return malformed_request_reply(*l);
  }
  const std::optional<Account> account = valid_user_name(md.user) ? store_.find_account(md.user) : std::nullopt;
  const PasswordCheck check = account ? check_password(credentials_, account->name, md.password, account->password_hash)
                                      : PasswordCheck::wrong;
  if (check == PasswordCheck::wait) return held_back(address, account->name, *l);
  if (check == PasswordCheck::wrong) {
    ++counters_.malformed;
    server_log("%s: upload with an unknown user or a wrong password", address.c_str());
    return login_failed_reply(*l);
  }
  EventRecord events;
  const bool events_read = read_event_record(payload.event_text, events, error);
  const std::vector<Authentication> open =
      store_.open_authentications(account->id, now_() - authentication_lifetime, max_open_authentications);
  const Authentication* auth = authentication_for(open, md, events_read ? &events : nullptr);
  if (!asked && !open.empty()) l = &language_of(auth ? *auth : open.front());
  if (!auth && !open.empty()) {
    // The account has games waiting, but none with this claim: it is refused, and their
    // authentications stay open for them.
    ++counters_.refused;
    server_log("%s: %s's upload of %d points in %s matches none of %zu open authentications", address.c_str(),
               account->name.c_str(), md.score, edition_name(md.edition), open.size());
    return refused_reply(*l, md.score, reason::claim);
  }
  if (!auth) {
    // One that is older than its lifetime has run out; otherwise there was none, or it is used up
    // (a used one is gone).
    const std::vector<Authentication> old = store_.open_authentications(account->id, 0, 1);
    if (!asked && !old.empty()) l = &language_of(old.front());
    server_log("%s: upload by %s %s", address.c_str(), account->name.c_str(),
               old.empty() ? "without an unused authentication" : "after its authentication ran out");
    return send_again_reply(*l, old.empty() ? SendAgain::none_open : SendAgain::expired);
  }

  Result result;
  result.account_id = account->id;
  result.edition = auth->edition;
  result.score = md.score;
  result.created = now_();
  result.address = address;

  Verdict verdict;
  GameRecord record;
  const EditionFacts* facts = verifiers_.facts(auth->edition);
  bool penalty = false;
  if (!events_read) {
    verdict = Verdict{false, false, reason::event_log, error};
  } else if (!facts) {
    verdict = Verdict{false, false, reason::fingerprint, "edition not served"};
  } else {
    verdict = check_claim(md, events, *auth, *facts, penalty);
  }
  if (verdict.passed) {
    const Simulation s = verifiers_.simulate(auth->edition, penalty, u.replay);
    if (s.status == Simulation::Status::failed) {
      server_log("%s: no verifier answered for %s's upload", address.c_str(), account->name.c_str());
      return cannot_check_reply(*l);
    }
    result.simulated_score = s.score;
    result.digest = s.digest;
    record = GameRecord{u.replay, penalty, timeline_text(s.timeline)};
    verdict = check_simulation(md, events, s);
  }
  // The list never shows a point the re-simulation does not account for: where a differing bonus
  // makes the claim larger, the re-simulation's score is listed.
  result.listed_score = std::min(result.score, result.simulated_score);
  result.verified = verdict.passed;
  result.exact = verdict.exact;
  result.reason = verdict.reason;
  result.detail = verdict.detail;

  const StoredResult stored = store_.store_result(result, auth->id, &record);
  writes_.succeeded();
  if (result.verified && stored.outcome == StoredResult::Outcome::stored && on_listed_) on_listed_();
  forget_old_addresses(result.created);
  if (stored.outcome == StoredResult::Outcome::not_authenticated) {
    server_log("%s: %s's authentication was used by another upload meanwhile", address.c_str(),
               account->name.c_str());
    return send_again_reply(*l, SendAgain::used_meanwhile);
  }
  if (stored.outcome == StoredResult::Outcome::duplicate) {
    // The player's own game sent again (the game gave up waiting, or "Senden" was pressed
    // twice): it is listed, and the player is told so.
    const std::optional<Result> listed = store_.listed_result(result.digest);
    if (listed && listed->account_id == account->id) {
      ++counters_.verified;
      server_log("%s: %s's %d points in %s are listed already", address.c_str(), account->name.c_str(), md.score,
                 edition_name(result.edition));
      return listed_already_reply(*l, result.edition, with_language(base_url + list_path(result.edition), *l));
    }
    result.verified = false;
    result.reason = reason::duplicate;
  }
  server_log("%s: %s's %d points in %s: %s (%s%s%s)", address.c_str(), account->name.c_str(), md.score,
             edition_name(result.edition), result.verified ? "verified" : "refused", result.reason.c_str(),
             result.detail.empty() ? "" : ": ", result.detail.c_str());

  if (!result.verified) {
    ++counters_.refused;
    return refused_reply(*l, md.score, result.reason);
  }
  ++counters_.verified;
  return verified_reply(*l, md.score, result.listed_score, stored.rank, stored.listed, result.edition,
                        with_language(base_url + list_path(result.edition, stored.rank), *l));
}

}  // namespace server
