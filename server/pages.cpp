// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/pages.h"

#include <ctime>

#include "server/accounts.h"
#include "server/charts.h"
#include "server/editions.h"
#include "server/reply.h"

namespace server {

namespace {

// Each language by its own name; the page's own is no link.
std::string language_switch(const PageContext& c) {
  if (languages().size() < 2) return "";
  std::string out = "<nav class=\"languages\">";
  for (const Language& l : languages()) {
    const std::string code = html_escape(l.code);
    if (l.code == c.language->code) {
      out += "<span lang=\"" + code + "\">" + html_escape(l.name) + "</span>";
      continue;
    }
    const std::string href = c.path + "?" + (c.query.empty() ? "" : c.query + "&") + "lang=" + l.code;
    out += "<a href=\"" + html_escape(href) + "\" hreflang=\"" + code + "\" lang=\"" + code + "\">" +
           html_escape(l.name) + "</a>";
  }
  return out + "</nav>";
}

std::string frame(const PageContext& c, const std::string& title, const std::string& body,
                  const std::string& head = "") {
  const Language& l = *c.language;
  std::string nav;
  for (int e = 1; e <= 3; ++e)
    nav += std::string("<a href=\"/list/") + edition_slug(e) + "\">" + edition_name(e) + "</a>";
  return "<!DOCTYPE html>\n<html lang=\"" + html_escape(l.code) +
         "\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" +
         html_escape(title) +
         " – GrumboldX</title><link rel=\"stylesheet\" href=\"/style.css\">" +
         head + "</head><body>"
         "<header><a class=\"brand\" href=\"/\">GrumboldX</a><nav>" +
         nav + "<a href=\"/help/xl\">" + tr(l, "Hilfe") + "</a><a href=\"/register/xl\">" + tr(l, "Registrieren") +
         "</a></nav>" + language_switch(c) + "</header><main>" + body + "</main><footer>" +
         tr(l, "Jedes Ergebnis in den Listen wurde vom Server nachgespielt und geprüft.") + "</footer></body></html>\n";
}

std::string error_page(const PageContext& c, const std::string& heading, const std::string& text) {
  return frame(c, heading, "<h1>" + html_escape(heading) + "</h1><p>" + html_escape(text) + "</p>");
}

int edition_or_default(int edition) { return edition >= 1 && edition <= 3 ? edition : 2; }

}  // namespace

std::string date_text(std::int64_t seconds, const Language& language) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char out[64];
  // The format is the language's own: a translation of the German one.
  const std::string format = tr(language, "%d.%m.%Y");
  return std::strftime(out, sizeof out, format.c_str(), &utc) ? out : "";
}

std::string style_sheet() {
  return R"(:root{--ink:#1f2328;--soft:#656d76;--line:#d0d7de;--accent:#8a4b08;--ok:#1a7f37;--bg:#fbf8f1}
*{box-sizing:border-box}
body{margin:0;font:15px/1.5 system-ui,-apple-system,"Segoe UI",Roboto,"Liberation Sans",sans-serif;color:var(--ink);background:var(--bg)}
header{display:flex;flex-wrap:wrap;align-items:center;gap:.5rem 1.5rem;padding:.6rem 1.2rem;background:#3d2b1f;color:#fff}
header a{color:#f6e7c8;text-decoration:none}
header a:hover{text-decoration:underline}
.brand{font-weight:700;font-size:1.2rem;color:#fff}
nav{display:flex;flex-wrap:wrap;gap:1rem}
.languages{margin-left:auto;gap:.7rem}
.languages span{color:#fff;font-weight:600}
main{max-width:46rem;margin:0 auto;padding:1rem 1.2rem 2rem}
h1{font-size:1.5rem;margin:.6rem 0 .8rem}
h2{font-size:1.15rem;margin:1.4rem 0 .4rem}
a{color:#0b57d0}
table{width:100%;border-collapse:collapse;background:#fff;border:1px solid var(--line)}
th,td{padding:.35rem .6rem;text-align:left;border-bottom:1px solid var(--line)}
th{background:#f3efe6;font-weight:600}
td.num,th.num{text-align:right;font-variant-numeric:tabular-nums}
tr:target{background:#fff4c2}
.mark{color:var(--ok);font-weight:700}
.soft{color:var(--soft)}
.pages{display:flex;justify-content:space-between;margin:.8rem 0}
form{display:grid;gap:.7rem;max-width:22rem;background:#fff;border:1px solid var(--line);padding:1rem;border-radius:6px}
label{display:grid;gap:.2rem;font-weight:600}
input,select{font:inherit;padding:.35rem .5rem;border:1px solid var(--line);border-radius:4px}
button{font:inherit;padding:.45rem .8rem;border:0;border-radius:4px;background:var(--accent);color:#fff;cursor:pointer}
.error{background:#ffebe9;border:1px solid #ff818266;padding:.5rem .8rem;border-radius:4px}
.notice{background:#dafbe1;border:1px solid #4ac26b66;padding:.5rem .8rem;border-radius:4px}
.facts{display:grid;grid-template-columns:max-content 1fr;gap:.2rem 1rem;margin:.4rem 0 1rem}
.facts dt{font-weight:600}
.facts dd{margin:0}
video{display:block;width:100%;aspect-ratio:4/3;background:#000;border-radius:4px}
.chart{display:block;width:100%;height:auto;background:#fff;border:1px solid var(--line);border-radius:4px}
.chart text{font-size:12px;fill:var(--ink)}
.chart .axis{fill:var(--soft)}
.chart .grid{stroke:#ece7dc}
.chart .axis-line{stroke:var(--soft)}
.chart .score{fill:none;stroke:var(--accent);stroke-width:2.5}
.chart .bonus{fill:var(--ok);stroke:#fff}
.chart .megagun{fill:#b42318;stroke:#fff}
.chart .yard{fill:#e9f1fb}
.chart .chicken{fill:#d08a2e}
.chart .target{fill:#4a6fa5}
.legend{color:var(--soft);font-size:.85rem}
.key{display:inline-block;width:.8rem;height:.8rem;margin:0 .3rem 0 .6rem;vertical-align:-.05rem;border-radius:2px}
.key.score{background:var(--accent)}
.key.bonus{background:var(--ok);border-radius:50%}
.key.megagun{background:#b42318}
.key.yard{background:#e9f1fb;border:1px solid var(--line)}
footer{max-width:46rem;margin:0 auto;padding:0 1.2rem 1.5rem;color:var(--soft);font-size:.85rem}
)";
}

std::string index_page(const PageContext& c, const std::vector<int>& editions) {
  const Language& l = *c.language;
  std::string lists;
  for (int e : editions)
    lists += std::string("<li><a href=\"/list/") + edition_slug(e) + "\">" +
             tr(l, "Bestenliste {}", {edition_name(e)}) + "</a></li>";
  return frame(c, tr(l, "Highscores"),
               "<h1>" + tr(l, "GrumboldX – Online-Bestenlisten") + "</h1><p>" +
                   tr(l,
                      "Hier stehen die besten Ergebnisse aller Spieler, je Ausgabe des Spiels eine Liste. Jedes "
                      "Ergebnis spielt der Server aus der mitgeschickten Aufzeichnung nach, bevor es in eine Liste "
                      "kommt.") +
                   "</p><ul>" + lists + "</ul><p><a href=\"/register/xl\">" + tr(l, "Konto anlegen") +
                   "</a> · <a href=\"/help/xl\">" + tr(l, "So funktioniert das Hochladen") + "</a></p>");
}

// The help's texts hold their own markup: they come from the code and the built-in translations.
std::string help_page(const PageContext& c, int edition) {
  const Language& l = *c.language;
  const int e = edition_or_default(edition);
  const std::string slug = edition_slug(e);
  return frame(c, tr(l, "Hilfe"),
               "<h1>" + tr(l, "Hilfe zum Hochladen ({})", {edition_name(e)}) + "</h1><h2>" + tr(l, "1. Konto anlegen") +
                   "</h2><p>" +
                   tr(l,
                      "Lege einmal ein <a href=\"{}\">Konto</a> an: ein Benutzername (2 bis 15 Buchstaben, Ziffern, "
                      "<code>_</code>, <code>-</code> oder <code>.</code>) und ein Passwort (4 bis 12 Zeichen).",
                      {"/register/" + slug}) +
                   "</p><h2>" + tr(l, "2. Ergebnis senden") + "</h2><p>" +
                   tr(l,
                      "Nach einer Runde, deren Ergebnis in deine Highscore-Tabelle kommt, klickst du dort auf den "
                      "Senden-Knopf. Im Fenster „Grumbold X - Upload“ gibst du Benutzername und Passwort ein und "
                      "drückst „Senden“. Das Feld „Parameter“ bleibt leer.") +
                   "</p><h2>" + tr(l, "3. Die Prüfung") + "</h2><p>" +
                   tr(l,
                      "Das Spiel schickt mit dem Ergebnis eine Aufzeichnung deiner Eingaben. Der Server spielt die "
                      "Runde damit nach und vergleicht Punkte und Ereignisse. Stimmen sie überein, kommt das Ergebnis "
                      "in die <a href=\"{}\">Liste</a>. Weil das Spiel die genaue Rundenuhr nicht mitschickt, darf "
                      "ein Mehrfachtreffer-Bonus oder eine Zehn-Sekunden-Marke beim Nachspielen um ein Bild "
                      "verrutschen; solche Ergebnisse tragen in der Liste das Zeichen ≈, alle anderen ein ✓.",
                      {"/list/" + slug}) +
                   "</p><h2>" + tr(l, "Wenn etwas nicht klappt") + "</h2><ul><li>" +
                   tr(l, "<b>Unbekannter Benutzer</b>: zuerst ein Konto anlegen.") + "</li><li>" +
                   tr(l, "<b>Falsches Passwort</b>: noch einmal eingeben und erneut senden.") + "</li><li>" +
                   tr(l,
                      "<b>Nicht angenommen</b>: die Aufzeichnung passte nicht zum Ergebnis, oder dasselbe Spiel "
                      "steht schon in der Liste.") +
                   "</li><li>" + tr(l, "<b>Server beschäftigt</b>: einen Moment warten und erneut senden.") +
                   "</li></ul>");
}

std::string register_page(const PageContext& c, int edition, FormError error, const std::string& name) {
  const Language& l = *c.language;
  const int e = edition_or_default(edition);
  std::string options;
  for (int k = 1; k <= 3; ++k)
    options += std::string("<option value=\"") + edition_slug(k) + "\"" + (k == e ? " selected" : "") + ">" +
               edition_name(k) + "</option>";
  // The password's forbidden characters go in as a value: " = " ends a translation's key.
  const std::string forbidden = "& = + % # ?";
  std::string message;
  switch (error) {
    case FormError::none: break;
    case FormError::name:
      message = tr(l, "Der Benutzername braucht 2 bis 15 Zeichen: Buchstaben, Ziffern, _ - oder .");
      break;
    case FormError::password:
      message = tr(l, "Das Passwort braucht 4 bis 12 Zeichen, ohne Leerzeichen und ohne {}", {forbidden});
      break;
    case FormError::mismatch: message = tr(l, "Die beiden Passwörter sind verschieden."); break;
    case FormError::name_taken: message = tr(l, "Diesen Benutzernamen gibt es schon."); break;
  }
  return frame(c, tr(l, "Registrieren"),
               "<h1>" + tr(l, "Konto anlegen") + "</h1>" +
                   (message.empty() ? std::string() : "<p class=\"error\">" + html_escape(message) + "</p>") +
                   "<form method=\"post\" action=\"/register\"><input type=\"hidden\" name=\"lang\" value=\"" +
                   html_escape(l.code) + "\"><label>" + tr(l, "Benutzername") +
                   "<input name=\"name\" maxlength=\"15\" required value=\"" + html_escape(name) +
                   "\" autocomplete=\"username\"></label><label>" + tr(l, "Passwort") +
                   "<input name=\"password\" type=\"password\" maxlength=\"12\" required "
                   "autocomplete=\"new-password\"></label><label>" +
                   tr(l, "Passwort wiederholen") +
                   "<input name=\"password2\" type=\"password\" maxlength=\"12\" "
                   "required autocomplete=\"new-password\"></label><label>" +
                   tr(l, "Ausgabe") + "<select name=\"edition\">" + options +
                   "</select></label><button type=\"submit\">" + tr(l, "Konto anlegen") +
                   "</button></form><p class=\"soft\">" +
                   fill_in(html_escape(tr(l,
                                          "Benutzername: 2 bis 15 Buchstaben, Ziffern, _ - oder . Passwort: 4 bis "
                                          "12 Zeichen ohne Leerzeichen und ohne {}. Das Passwort speichert der "
                                          "Server nur als yescrypt-Hash.")),
                           {html_escape(forbidden)}) +
                   "</p>");
}

std::string registered_page(const PageContext& c, int edition, const std::string& name) {
  const Language& l = *c.language;
  const int e = edition_or_default(edition);
  return frame(c, tr(l, "Konto angelegt"),
               "<h1>" + tr(l, "Willkommen, {}!", {html_escape(name)}) + "</h1><p class=\"notice\">" +
                   tr(l, "Dein Konto ist angelegt. Sende dein Ergebnis jetzt aus dem Spiel.") +
                   "</p><p><a href=\"/list/" + edition_slug(e) + "\">" +
                   tr(l, "Zur Bestenliste {}", {edition_name(e)}) + "</a></p>");
}

std::string list_page(const PageContext& c, int edition, const std::vector<ListEntry>& entries, std::int64_t page,
                      std::int64_t total, std::int64_t page_size) {
  const Language& l = *c.language;
  const std::string slug = edition_slug(edition);
  const std::int64_t pages = total == 0 ? 1 : (total + page_size - 1) / page_size;
  std::string rows;
  for (const ListEntry& e : entries) {
    const std::string rank = std::to_string(e.rank);
    const std::string name = e.id > 0 ? "<a href=\"" + game_path(e.id) + "\">" + html_escape(e.name) + "</a>"
                                      : html_escape(e.name);
    rows += "<tr id=\"r" + rank + "\"><td class=\"num\">" + rank + "</td><td>" + name +
            "</td><td class=\"num\">" + std::to_string(e.score) + "</td><td>" + date_text(e.created, l) +
            "</td><td><span class=\"mark\" title=\"" +
            html_escape(e.exact ? tr(l, "nachgespielt: alle Ereignisse und die Punkte stimmen")
                                : tr(l, "nachgespielt: ein Bonus oder eine Marke lag um ein Bild anders")) +
            "\">" + (e.exact ? "✓" : "≈") + "</span></td></tr>";
  }
  if (rows.empty())
    rows = "<tr><td colspan=\"5\" class=\"soft\">" + tr(l, "Noch keine geprüften Ergebnisse.") + "</td></tr>";
  std::string nav = "<div class=\"pages\"><span>";
  if (page > 1)
    nav += "<a href=\"/list/" + slug + "?page=" + std::to_string(page - 1) + "\">" + tr(l, "« Bessere") + "</a>";
  nav +=
      "</span><span class=\"soft\">" +
      tr(l, "Seite {} von {} · {} Ergebnisse", {std::to_string(page), std::to_string(pages), std::to_string(total)}) +
      "</span><span>";
  if (page < pages)
    nav += "<a href=\"/list/" + slug + "?page=" + std::to_string(page + 1) + "\">" + tr(l, "Weitere »") + "</a>";
  nav += "</span></div>";
  const std::string heading = tr(l, "Bestenliste {}", {edition_name(edition)});
  return frame(c, heading,
               "<h1>" + heading + "</h1><p><a class=\"play\" href=\"/play/" + slug + "/\">" +
                   tr(l, "{} im Browser spielen", {edition_name(edition)}) + "</a></p><table><thead><tr><th class=\"num\">" + tr(l, "Platz") + "</th><th>" +
                   tr(l, "Name") + "</th><th class=\"num\">" + tr(l, "Punkte") + "</th><th>" + tr(l, "Datum") +
                   "</th><th title=\"" + html_escape(tr(l, "vom Server nachgespielt")) + "\">" + tr(l, "Geprüft") +
                   "</th></tr></thead><tbody>" + rows + "</tbody></table>" + nav);
}

std::string game_path(std::int64_t id) { return "/game/" + std::to_string(id); }
std::string video_path(std::int64_t id) { return game_path(id) + "/video.webm"; }

std::string game_page(const PageContext& c, const ListedGame& g, const Timeline* timeline, VideoShown video) {
  const Language& l = *c.language;
  const Result& r = g.result;
  const std::string title = tr(l, "Spiel von {}", {g.name});
  const std::string mark =
      "<span class=\"mark\">" + std::string(r.exact ? "✓" : "≈") + "</span> " +
      html_escape(r.exact ? tr(l, "nachgespielt: alle Ereignisse und die Punkte stimmen")
                          : tr(l, "nachgespielt: ein Bonus oder eine Marke lag um ein Bild anders"));
  std::string body = "<h1>" + html_escape(title) + "</h1><dl class=\"facts\"><dt>" + tr(l, "Name") + "</dt><dd>" +
                     html_escape(g.name) + "</dd><dt>" + tr(l, "Punkte") + "</dt><dd>" +
                     std::to_string(r.listed_score) + "</dd><dt>" + tr(l, "Ausgabe") + "</dt><dd><a href=\"/list/" +
                     edition_slug(r.edition) + "\">" + edition_name(r.edition) + "</a></dd><dt>" + tr(l, "Datum") +
                     "</dt><dd>" + date_text(r.created, l) + "</dd><dt>" + tr(l, "Geprüft") + "</dt><dd>" + mark +
                     "</dd></dl><h2>" + tr(l, "Video") + "</h2>";
  std::string head;
  switch (video) {
    case VideoShown::ready:
      body += "<video controls preload=\"metadata\" src=\"" + video_path(r.id) + "\"></video>";
      break;
    case VideoShown::preparing:
      // The page looks again by itself until the video is there.
      head = "<meta http-equiv=\"refresh\" content=\"15\">";
      body += "<p class=\"notice\">" +
              tr(l, "Das Video wird gerade vorbereitet. Diese Seite sieht alle 15 Sekunden nach, ob es fertig ist.") +
              "</p>";
      break;
    case VideoShown::failed:
      body += "<p class=\"error\">" + tr(l, "Das Video zu diesem Spiel konnte nicht erstellt werden.") + "</p>";
      break;
    case VideoShown::none:
      body += "<p class=\"soft\">" + tr(l, "Zu diesem Spiel gibt es kein Video.") + "</p>";
      break;
  }
  if (timeline) {
    body += "<h2>" + tr(l, "Punkte im Lauf der Runde") + "</h2>" + score_chart(*timeline, l) + "<h2>" +
            tr(l, "Was getroffen wurde") + "</h2>" + hits_chart(*timeline, l);
  } else {
    body += "<p class=\"soft\">" + tr(l, "Zu diesem Spiel ist kein Verlauf gespeichert.") + "</p>";
  }
  return frame(c, title, body, head);
}

std::string web_missing_page(const PageContext& c, int edition) {
  const Language& l = *c.language;
  const int e = edition_or_default(edition);
  return frame(c, tr(l, "Nicht im Browser"),
               "<h1>" + tr(l, "Nicht im Browser") + "</h1><p>" +
                   tr(l, "Dieser Server hat die Browser-Ausgabe von {} nicht.", {edition_name(e)}) +
                   "</p><p><a href=\"/list/" + edition_slug(e) + "\">" +
                   tr(l, "Zur Bestenliste {}", {edition_name(e)}) + "</a></p>");
}

std::string not_found_page(const PageContext& c) {
  const Language& l = *c.language;
  return frame(c, tr(l, "Nicht gefunden"),
               "<h1>" + tr(l, "Nicht gefunden") + "</h1><p>" + tr(l, "Diese Seite gibt es nicht.") + " <a href=\"/\">" +
                   tr(l, "Zur Startseite") + "</a></p>");
}

std::string trouble_page(const PageContext& c, Trouble trouble) {
  const Language& l = *c.language;
  switch (trouble) {
    case Trouble::too_many_requests:
      return error_page(c, tr(l, "Zu viele Anfragen"), tr(l, "Bitte warte einen Moment."));
    case Trouble::foreign_form:
      return error_page(c, tr(l, "Nicht erlaubt"), tr(l, "Die Anmeldung geht nur über das Formular dieser Seite."));
    case Trouble::fields_in_address:
      return error_page(c, tr(l, "Nicht erlaubt"), tr(l, "Das Formular schickt seine Felder nicht in der Adresse."));
    case Trouble::busy:
      return error_page(c, tr(l, "Server beschäftigt"), tr(l, "Bitte versuche es gleich noch einmal."));
    case Trouble::list_unreadable:
      return error_page(c, tr(l, "Server beschäftigt"), tr(l, "Die Liste kann gerade nicht gelesen werden."));
  }
  return not_found_page(c);
}

}  // namespace server
