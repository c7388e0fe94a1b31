// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/messages.h"

#include "server/editions.h"
#include "server/judge.h"

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

// A reply whose HTML says what its text says.
Reply plain(Action action, const char* tone, const std::string& heading, const std::string& text) {
  return make(action, text, page(tone, heading, html_escape(text)));
}

}  // namespace

std::string reason_text(const Language& l, const std::string& code) {
  if (code == reason::claim) return tr(l, "Punktzahl oder Ausgabe weichen von der Anmeldung ab.");
  if (code == reason::version) return tr(l, "diese Version des Spiels wird nicht unterstützt.");
  if (code == reason::fingerprint) return tr(l, "die Grafikdaten gehören nicht zu dieser Ausgabe des Spiels.");
  if (code == reason::integrity) return tr(l, "die Spielregeln des Spiels sind verändert.");
  if (code == reason::event_log) return tr(l, "das Ereignisprotokoll des Spiels ist nicht stimmig.");
  if (code == reason::check_words) return tr(l, "die Zähler des Spiels passen nicht zur Anmeldung.");
  if (code == reason::score) return tr(l, "die Punktzahl passt nicht zum nachgespielten Spiel.");
  if (code == reason::events) return tr(l, "die Ereignisse passen nicht zum nachgespielten Spiel.");
  if (code == reason::replay)
    return tr(l, "die Aufzeichnung des Spiels ist nicht lesbar oder passt nicht zum Ergebnis.");
  if (code == reason::duplicate) return tr(l, "dieses Spiel steht schon in der Liste.");
  return tr(l, "es hat die Prüfung nicht bestanden.");
}

Reply malformed_request_reply(const Language& l) {
  return plain(Action::abort, "no", tr(l, "Fehlerhafte Anfrage"),
               tr(l, "Die Anfrage war unvollständig oder fehlerhaft und wurde nicht angenommen."));
}

Reply unreadable_request_reply(const Language& l) {
  Reply r;
  r.text = tr(l, "Die Anfrage konnte nicht gelesen werden.");
  return r;
}

Reply too_many_requests_reply(const Language& l) {
  Reply r;
  r.action = Action::retry;
  r.text = tr(l, "Zu viele Anfragen von deiner Adresse. Bitte warte einen Moment und sende dann noch einmal.");
  return r;
}

Reply server_busy_reply(const Language& l) {
  return plain(Action::retry, "wait", tr(l, "Server beschäftigt"),
               tr(l, "Der Server kann dein Ergebnis gerade nicht speichern. Bitte versuche es gleich noch einmal."));
}

Reply unsupported_version_reply(const Language& l) {
  return plain(Action::abort, "no", tr(l, "Version nicht unterstützt"),
               tr(l, "Diese Version des Spiels wird vom Highscore-Server nicht unterstützt."));
}

Reply unsupported_edition_reply(const Language& l, int edition) {
  return plain(Action::abort, "no", tr(l, "Ausgabe nicht unterstützt"),
               tr(l, "Ergebnisse der Ausgabe {} nimmt dieser Server nicht an.", {edition_name(edition)}));
}

Reply unknown_user_reply(const Language& l, const std::string& user, const std::string& register_url) {
  const std::string text = tr(l,
                              "Den Benutzernamen \"{}\" kennt der Highscore-Server nicht. Registriere dich unter {} "
                              "und sende dein Ergebnis dann noch einmal.",
                              {user, register_url});
  const std::string html =
      fill_in(html_escape(tr(l,
                             "Den Benutzernamen \"{}\" kennt der Server nicht. {}, dann das Ergebnis noch einmal "
                             "senden.")),
              {html_escape(user), link(register_url, tr(l, "Hier registrieren"))});
  return make(Action::abort, text, page("no", tr(l, "Unbekannter Benutzer"), html));
}

Reply wrong_password_reply(const Language& l, const std::string& name) {
  return plain(Action::retry, "wait", tr(l, "Falsches Passwort"),
               tr(l, "Das Passwort passt nicht zum Benutzernamen {}. Bitte versuche es noch einmal.", {name}));
}

Reply too_many_tries_reply(const Language& l) {
  return plain(Action::retry, "wait", tr(l, "Zu viele Versuche"),
               tr(l,
                  "Für dieses Konto kamen zu viele falsche Passwörter. Bitte warte eine Minute und versuche es "
                  "dann noch einmal."));
}

Reply authenticated_reply(const Language& l, const std::string& name, std::int32_t score) {
  return plain(Action::proceed, "ok", tr(l, "Angemeldet"),
               tr(l, "Hallo {}! Dein Ergebnis von {} Punkten wird jetzt übertragen und durch Nachspielen geprüft.",
                  {name, std::to_string(score)}));
}

Reply no_recording_reply(const Language& l) {
  return plain(Action::abort, "no", tr(l, "Keine Aufzeichnung"),
               tr(l,
                  "Das Spiel hat die Aufzeichnung der Runde nicht mitgeschickt; ohne sie kann der Server das "
                  "Ergebnis nicht prüfen."));
}

Reply damaged_data_reply(const Language& l) {
  return plain(Action::abort, "no", tr(l, "Beschädigte Daten"),
               tr(l, "Die Daten des Ergebnisses sind beschädigt und wurden nicht angenommen."));
}

Reply login_failed_reply(const Language& l) {
  return plain(Action::abort, "no", tr(l, "Anmeldung fehlgeschlagen"),
               tr(l, "Benutzername oder Passwort des Ergebnisses passen nicht zu einem Konto."));
}

Reply refused_reply(const Language& l, std::int32_t score, const std::string& reason_code) {
  return plain(Action::abort, "no", tr(l, "Nicht angenommen"),
               tr(l, "Dein Ergebnis von {} Punkten wurde nicht angenommen: {}",
                  {std::to_string(score), reason_text(l, reason_code)}));
}

Reply cannot_check_reply(const Language& l) {
  return plain(Action::retry, "wait", tr(l, "Prüfung nicht möglich"),
               tr(l, "Dein Ergebnis konnte gerade nicht geprüft werden. Bitte versuche es gleich noch einmal."));
}

Reply send_again_reply(const Language& l, SendAgain why) {
  const char* text = why == SendAgain::expired ? "Die Anmeldung zu diesem Ergebnis ist abgelaufen. Bitte sende es "
                                                 "noch einmal."
                     : why == SendAgain::none_open
                         ? "Zu diesem Ergebnis liegt keine offene Anmeldung vor. Bitte sende es noch einmal."
                         : "Die Anmeldung zu diesem Ergebnis wurde schon verwendet. Bitte sende es noch einmal.";
  return plain(Action::retry, "wait", tr(l, "Bitte noch einmal senden"), tr(l, text));
}

Reply listed_already_reply(const Language& l, int edition, const std::string& list_url) {
  const std::string name = edition_name(edition);
  return make(Action::proceed, tr(l, "Geprüft! Dieses Ergebnis steht schon in der {}-Liste. {}", {name, list_url}),
              page("ok", tr(l, "Geprüft!"),
                   fill_in(html_escape(tr(l, "Dieses Ergebnis steht schon in der {}-Liste. {}")),
                           {html_escape(name), link(list_url, tr(l, "Zur Liste"))})));
}

Reply verified_reply(const Language& l, std::int32_t score, std::int32_t listed_score, std::int64_t rank,
                     std::int64_t listed, int edition, const std::string& list_url) {
  const std::string place =
      tr(l, "Platz {} von {} der {}-Liste", {std::to_string(rank), std::to_string(listed), edition_name(edition)});
  const std::string claimed = std::to_string(score);
  const std::string to_list = link(list_url, tr(l, "Zur Liste"));
  if (listed_score < score) {
    const std::string kept = std::to_string(listed_score);
    // The HTML patterns hold their own markup; what is filled in is escaped.
    return make(Action::proceed,
                tr(l,
                   "Geprüft! Beim Nachspielen ergab dein Spiel {} statt {} Punkte (ein Bonus ließ sich nicht "
                   "bestätigen); mit {} Punkten steht es auf {}. {}",
                   {kept, claimed, kept, place, list_url}),
                page("ok", tr(l, "Geprüft!"),
                     tr(l,
                        "Beim Nachspielen ergab dein Spiel <b>{}</b> statt {} Punkte (ein Bonus ließ sich nicht "
                        "bestätigen); es steht auf <b>{}</b>. {}",
                        {kept, claimed, html_escape(place), to_list})));
  }
  return make(Action::proceed,
              tr(l, "Geprüft! Dein Ergebnis von {} Punkten steht auf {}. {}", {claimed, place, list_url}),
              page("ok", tr(l, "Geprüft!"),
                   tr(l, "Dein Ergebnis von <b>{}</b> Punkten steht auf <b>{}</b>. {}",
                      {claimed, html_escape(place), to_list})));
}

}  // namespace server
