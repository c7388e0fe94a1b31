// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/service.h"

#include <algorithm>
#include <chrono>
#include <ctime>

#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "server/editions.h"
#include "server/judge.h"
#include "server/log.h"
#include "server/upload_record.h"

namespace server {

namespace {

// The message area of the game's dialog is small: one heading, one paragraph.
std::string page(const char* tone, const std::string& heading, const std::string& body) {
  return "<html><head><style>body{font-family:sans-serif;font-size:13px;margin:6px;color:#222}"
         "h3{margin:0 0 4px;font-size:15px}.ok{color:#1a7f37}.no{color:#b42318}.wait{color:#9a6700}"
         "a{color:#0b57d0}</style></head><body><h3 class=\"" +
         std::string(tone) + "\">" + html_escape(heading) + "</h3><p>" + body + "</p></body></html>";
}

std::string link(const std::string& url, const std::string& label) {
  return "<a href=\"" + html_escape(url) + "\">" + html_escape(label) + "</a>";
}

Reply make(Action action, std::string text, std::string html) {
  Reply r;
  r.action = action;
  r.text = std::move(text);
  r.html = std::move(html);
  return r;
}

Reply malformed() {
  const std::string text = "Die Anfrage war unvollständig oder fehlerhaft und wurde nicht angenommen.";
  return make(Action::abort, text, page("no", "Fehlerhafte Anfrage", html_escape(text)));
}

Reply try_again(const std::string& heading, const std::string& text) {
  return make(Action::retry, text, page("wait", heading, html_escape(text)));
}

const char* reason_text(const std::string& code) {
  if (code == reason::claim) return "Punktzahl oder Ausgabe weichen von der Anmeldung ab.";
  if (code == reason::version) return "diese Version des Spiels wird nicht unterstützt.";
  if (code == reason::fingerprint) return "die Grafikdaten gehören nicht zu dieser Ausgabe des Spiels.";
  if (code == reason::integrity) return "die Spielregeln des Spiels sind verändert.";
  if (code == reason::event_log) return "das Ereignisprotokoll des Spiels ist nicht stimmig.";
  if (code == reason::check_words) return "die Zähler des Spiels passen nicht zur Anmeldung.";
  if (code == reason::score) return "die Punktzahl passt nicht zum nachgespielten Spiel.";
  if (code == reason::events) return "die Ereignisse passen nicht zum nachgespielten Spiel.";
  if (code == reason::replay) return "die Aufzeichnung des Spiels ist nicht lesbar oder passt nicht zum Ergebnis.";
  if (code == reason::duplicate) return "dieses Spiel steht schon in der Liste.";
  return "es hat die Prüfung nicht bestanden.";
}

// An account held back after too many wrong passwords: no hash is run, the game may try later.
Reply guessing(const std::string& address, const std::string& name) {
  server_log("%s: %s is held back after too many wrong passwords", address.c_str(), name.c_str());
  return try_again("Zu viele Versuche",
                   "Für dieses Konto kamen zu viele falsche Passwörter. Bitte warte eine Minute und versuche "
                   "es dann noch einmal.");
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
    return malformed();
  }
  try {
    if (request.type == Request::Type::authenticate) return authenticate(request.authenticate, address, base_url);
    return upload(request.upload, address, base_url);
  } catch (const StoreError& e) {
    server_log("%s: database: %s", address.c_str(), e.what());
    writes_.failed(now_(), e.what());
    return try_again("Server beschäftigt",
                     "Der Server kann dein Ergebnis gerade nicht speichern. Bitte versuche es gleich noch einmal.");
  }
}

Reply Service::authenticate(const AuthenticateRequest& a, const std::string& address, const std::string& base_url) {
  ++counters_.authentications;
  if (a.version != "V1.1") {
    server_log("%s: authentication with version %s refused", address.c_str(), a.version.c_str());
    const std::string text = "Diese Version des Spiels wird vom Highscore-Server nicht unterstützt.";
    return make(Action::abort, text, page("no", "Version nicht unterstützt", html_escape(text)));
  }
  if (!verifiers_.facts(a.edition)) {
    const std::string text = std::string("Ergebnisse der Ausgabe ") + edition_name(a.edition) +
                             " nimmt dieser Server nicht an.";
    return make(Action::abort, text, page("no", "Ausgabe nicht unterstützt", html_escape(text)));
  }
  const std::string register_url = base_url + "/register/" + edition_slug(a.edition);
  const std::optional<Account> account = valid_user_name(a.user) ? store_.find_account(a.user) : std::nullopt;
  if (!account) {
    server_log("%s: authentication for an unknown user", address.c_str());
    const std::string text = "Den Benutzernamen \"" + a.user +
                             "\" kennt der Highscore-Server nicht. Registriere dich unter " + register_url +
                             " und sende dein Ergebnis dann noch einmal.";
    return make(Action::abort, text,
                page("no", "Unbekannter Benutzer",
                     "Den Benutzernamen &quot;" + html_escape(a.user) + "&quot; kennt der Server nicht. " +
                         link(register_url, "Hier registrieren") + ", dann das Ergebnis noch einmal senden."));
  }
  const PasswordCheck check = check_password(credentials_, account->name, a.password, account->password_hash);
  if (check == PasswordCheck::wait) return guessing(address, account->name);
  if (check == PasswordCheck::wrong) {
    server_log("%s: wrong password for %s", address.c_str(), account->name.c_str());
    return try_again("Falsches Passwort",
                     "Das Passwort passt nicht zum Benutzernamen " + account->name + ". Bitte versuche es noch einmal.");
  }
  Authentication auth;
  auth.account_id = account->id;
  auth.edition = a.edition;
  auth.score = a.score;
  auth.check_word_1 = a.check_word_1;
  auth.check_word_2 = a.check_word_2;
  auth.created = now_();
  auth.address = address;
  store_.add_authentication(auth, authentication_lifetime);
  writes_.succeeded();
  server_log("%s: %s authenticated for %d points in %s", address.c_str(), account->name.c_str(), a.score,
             edition_name(a.edition));
  const std::string text = "Hallo " + account->name + "! Dein Ergebnis von " + std::to_string(a.score) +
                           " Punkten wird jetzt übertragen und durch Nachspielen geprüft.";
  Reply r = make(Action::proceed, text, page("ok", "Angemeldet", html_escape(text)));
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
  if (u.log_type != LogType::full) {
    ++counters_.malformed;
    server_log("%s: upload with log type %s refused", address.c_str(), log_type_word(u.log_type));
    const std::string text = "Das Spiel hat die Aufzeichnung der Runde nicht mitgeschickt; ohne sie kann der "
                             "Server das Ergebnis nicht prüfen.";
    return make(Action::abort, text, page("no", "Keine Aufzeichnung", html_escape(text)));
  }
  // The game's own inverse of its encoding; both checksums must hold.
  upload::DecodedPayload payload;
  if (!upload::decode_upload_payload(u.md.c_str(), u.el.c_str(), upload::log_full, payload) ||
      !payload.event_checksum_ok || !payload.final_checksum_ok) {
    ++counters_.malformed;
    server_log("%s: upload encoding broken or checksums wrong", address.c_str());
    const std::string text = "Die Daten des Ergebnisses sind beschädigt und wurden nicht angenommen.";
    return make(Action::abort, text, page("no", "Beschädigte Daten", html_escape(text)));
  }
  MdRecord md;
  std::string error;
  if (!read_md_record(std::string_view(payload.md_record, md_record_size), md, error)) {
    ++counters_.malformed;
    server_log("%s: upload md record: %s", address.c_str(), error.c_str());
    return malformed();
  }
  const std::optional<Account> account = valid_user_name(md.user) ? store_.find_account(md.user) : std::nullopt;
  const PasswordCheck check = account ? check_password(credentials_, account->name, md.password, account->password_hash)
                                      : PasswordCheck::wrong;
  if (check == PasswordCheck::wait) return guessing(address, account->name);
  if (check == PasswordCheck::wrong) {
    ++counters_.malformed;
    server_log("%s: upload with an unknown user or a wrong password", address.c_str());
    const std::string text = "Benutzername oder Passwort des Ergebnisses passen nicht zu einem Konto.";
    return make(Action::abort, text, page("no", "Anmeldung fehlgeschlagen", html_escape(text)));
  }
  EventRecord events;
  const bool events_read = read_event_record(payload.event_text, events, error);
  const std::vector<Authentication> open =
      store_.open_authentications(account->id, now_() - authentication_lifetime, max_open_authentications);
  const Authentication* auth = authentication_for(open, md, events_read ? &events : nullptr);
  if (!auth && !open.empty()) {
    // The account has games waiting, but none with this claim: it is refused, and their
    // authentications stay open for them.
    ++counters_.refused;
    server_log("%s: %s's upload of %d points in %s matches none of %zu open authentications", address.c_str(),
               account->name.c_str(), md.score, edition_name(md.edition), open.size());
    const std::string text = "Dein Ergebnis von " + std::to_string(md.score) +
                             " Punkten wurde nicht angenommen: " + reason_text(reason::claim);
    return make(Action::abort, text,
                page("no", "Nicht angenommen",
                     "Dein Ergebnis von " + std::to_string(md.score) +
                         " Punkten wurde nicht angenommen: " + html_escape(reason_text(reason::claim))));
  }
  if (!auth) {
    // One that is older than its lifetime has run out; otherwise there was none, or it is used up
    // (a used one is gone).
    const bool expired = !store_.open_authentications(account->id, 0, 1).empty();
    server_log("%s: upload by %s %s", address.c_str(), account->name.c_str(),
               expired ? "after its authentication ran out" : "without an unused authentication");
    return try_again("Bitte noch einmal senden",
                     expired ? "Die Anmeldung zu diesem Ergebnis ist abgelaufen. Bitte sende es noch einmal."
                             : "Zu diesem Ergebnis liegt keine offene Anmeldung vor. Bitte sende es noch einmal.");
  }

  Result result;
  result.account_id = account->id;
  result.edition = auth->edition;
  result.score = md.score;
  result.created = now_();
  result.address = address;

  Verdict verdict;
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
      return try_again("Prüfung nicht möglich",
                       "Dein Ergebnis konnte gerade nicht geprüft werden. Bitte versuche es gleich noch einmal.");
    }
    result.simulated_score = s.score;
    result.digest = s.digest;
    verdict = check_simulation(md, events, s);
  }
  // The list never shows a point the re-simulation does not account for: where a differing bonus
  // makes the claim larger, the re-simulation's score is listed.
  result.listed_score = std::min(result.score, result.simulated_score);
  result.verified = verdict.passed;
  result.exact = verdict.exact;
  result.reason = verdict.reason;
  result.detail = verdict.detail;

  const StoredResult stored = store_.store_result(result, auth->id);
  writes_.succeeded();
  forget_old_addresses(result.created);
  if (stored.outcome == StoredResult::Outcome::not_authenticated) {
    server_log("%s: %s's authentication was used by another upload meanwhile", address.c_str(),
               account->name.c_str());
    return try_again("Bitte noch einmal senden",
                     "Die Anmeldung zu diesem Ergebnis wurde schon verwendet. Bitte sende es noch einmal.");
  }
  if (stored.outcome == StoredResult::Outcome::duplicate) {
    // The player's own game sent again (the game gave up waiting, or "Senden" was pressed
    // twice): it is listed, and the player is told so.
    const std::optional<Result> listed = store_.listed_result(result.digest);
    if (listed && listed->account_id == account->id) {
      ++counters_.verified;
      server_log("%s: %s's %d points in %s are listed already", address.c_str(), account->name.c_str(), md.score,
                 edition_name(result.edition));
      const std::string list_url = base_url + list_path(result.edition);
      const std::string text = "Geprüft! Dieses Ergebnis steht schon in der " +
                               std::string(edition_name(result.edition)) + "-Liste. " + list_url;
      return make(Action::proceed, text,
                  page("ok", "Geprüft!",
                       "Dieses Ergebnis steht schon in der " + html_escape(edition_name(result.edition)) +
                           "-Liste. " + link(list_url, "Zur Liste")));
    }
    result.verified = false;
    result.reason = reason::duplicate;
  }
  server_log("%s: %s's %d points in %s: %s (%s%s%s)", address.c_str(), account->name.c_str(), md.score,
             edition_name(result.edition), result.verified ? "verified" : "refused", result.reason.c_str(),
             result.detail.empty() ? "" : ": ", result.detail.c_str());

  const std::string list_url = base_url + list_path(result.edition, result.verified ? stored.rank : 0);
  if (!result.verified) {
    ++counters_.refused;
    const std::string why = reason_text(result.reason);
    const std::string text =
        "Dein Ergebnis von " + std::to_string(md.score) + " Punkten wurde nicht angenommen: " + why;
    return make(Action::abort, text,
                page("no", "Nicht angenommen",
                     "Dein Ergebnis von " + std::to_string(md.score) + " Punkten wurde nicht angenommen: " +
                         html_escape(why)));
  }
  ++counters_.verified;
  const std::string place = "Platz " + std::to_string(stored.rank) + " von " + std::to_string(stored.listed) +
                            " der " + edition_name(result.edition) + "-Liste";
  if (result.listed_score < result.score) {
    const std::string listed = std::to_string(result.listed_score);
    const std::string text = "Geprüft! Beim Nachspielen ergab dein Spiel " + listed + " statt " +
                             std::to_string(md.score) + " Punkte (ein Bonus ließ sich nicht bestätigen); mit " +
                             listed + " Punkten steht es auf " + place + ". " + list_url;
    return make(Action::proceed, text,
                page("ok", "Geprüft!",
                     "Beim Nachspielen ergab dein Spiel <b>" + listed + "</b> statt " + std::to_string(md.score) +
                         " Punkte (ein Bonus ließ sich nicht bestätigen); es steht auf <b>" + html_escape(place) +
                         "</b>. " + link(list_url, "Zur Liste")));
  }
  const std::string text = "Geprüft! Dein Ergebnis von " + std::to_string(md.score) + " Punkten steht auf " +
                           place + ". " + list_url;
  return make(Action::proceed, text,
              page("ok", "Geprüft!",
                   "Dein Ergebnis von <b>" + std::to_string(md.score) + "</b> Punkten steht auf <b>" +
                       html_escape(place) + "</b>. " + link(list_url, "Zur Liste")));
}

}  // namespace server
