// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/pages.h"

#include <ctime>

#include "server/accounts.h"
#include "server/editions.h"
#include "server/reply.h"

namespace server {

namespace {

std::string frame(const std::string& title, const std::string& body) {
  std::string nav;
  for (int e = 1; e <= 3; ++e)
    nav += std::string("<a href=\"/list/") + edition_slug(e) + "\">" + edition_name(e) + "</a>";
  return "<!DOCTYPE html>\n<html lang=\"de\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" +
         html_escape(title) +
         " – GrumboldX</title><link rel=\"stylesheet\" href=\"/style.css\"></head><body>"
         "<header><a class=\"brand\" href=\"/\">GrumboldX</a><nav>" +
         nav + "<a href=\"/help/xl\">Hilfe</a><a href=\"/register/xl\">Registrieren</a></nav></header><main>" + body +
         "</main><footer>Jedes Ergebnis in den Listen wurde vom Server nachgespielt und geprüft.</footer>"
         "</body></html>\n";
}

std::string edition_or_default(int edition) { return edition_name(edition >= 1 && edition <= 3 ? edition : 2); }

}  // namespace

std::string date_text(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&t, &utc);
  char out[16];
  std::strftime(out, sizeof out, "%d.%m.%Y", &utc);
  return out;
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
footer{max-width:46rem;margin:0 auto;padding:0 1.2rem 1.5rem;color:var(--soft);font-size:.85rem}
)";
}

std::string index_page(const std::vector<int>& editions) {
  std::string lists;
  for (int e : editions)
    lists += std::string("<li><a href=\"/list/") + edition_slug(e) + "\">Bestenliste " + edition_name(e) + "</a></li>";
  return frame("Highscores",
               "<h1>GrumboldX – Online-Bestenlisten</h1>"
               "<p>Hier stehen die besten Ergebnisse aller Spieler, je Ausgabe des Spiels eine Liste. "
               "Jedes Ergebnis spielt der Server aus der mitgeschickten Aufzeichnung nach, bevor es in eine "
               "Liste kommt.</p><ul>" +
                   lists +
                   "</ul><p><a href=\"/register/xl\">Konto anlegen</a> · <a href=\"/help/xl\">So funktioniert "
                   "das Hochladen</a></p>");
}

std::string help_page(int edition) {
  const std::string name = edition_or_default(edition);
  const std::string slug = edition_slug(edition >= 1 && edition <= 3 ? edition : 2);
  return frame("Hilfe",
               "<h1>Hilfe zum Hochladen (" + name +
                   ")</h1>"
                   "<h2>1. Konto anlegen</h2><p>Lege einmal ein <a href=\"/register/" +
                   slug +
                   "\">Konto</a> an: ein Benutzername (2 bis 15 Buchstaben, Ziffern, <code>_</code>, "
                   "<code>-</code> oder <code>.</code>) und ein Passwort (4 bis 12 Zeichen).</p>"
                   "<h2>2. Ergebnis senden</h2><p>Nach einer Runde, deren Ergebnis in deine Highscore-Tabelle "
                   "kommt, klickst du dort auf den Senden-Knopf. Im Fenster „Grumbold X - Upload“ gibst du "
                   "Benutzername und Passwort ein und drückst „Senden“. Das Feld „Parameter“ bleibt leer.</p>"
                   "<h2>3. Die Prüfung</h2><p>Das Spiel schickt mit dem Ergebnis eine Aufzeichnung deiner "
                   "Eingaben. Der Server spielt die Runde damit nach und vergleicht Punkte und Ereignisse. "
                   "Stimmen sie überein, kommt das Ergebnis in die <a href=\"/list/" +
                   slug +
                   "\">Liste</a>. Weil das Spiel die genaue Rundenuhr nicht mitschickt, darf ein "
                   "Mehrfachtreffer-Bonus oder eine Zehn-Sekunden-Marke beim Nachspielen um ein Bild verrutschen; "
                   "solche Ergebnisse tragen in der Liste das Zeichen ≈, alle anderen ein ✓.</p>"
                   "<h2>Wenn etwas nicht klappt</h2><ul>"
                   "<li><b>Unbekannter Benutzer</b>: zuerst ein Konto anlegen.</li>"
                   "<li><b>Falsches Passwort</b>: noch einmal eingeben und erneut senden.</li>"
                   "<li><b>Nicht angenommen</b>: die Aufzeichnung passte nicht zum Ergebnis, oder dasselbe Spiel "
                   "steht schon in der Liste.</li>"
                   "<li><b>Server beschäftigt</b>: einen Moment warten und erneut senden.</li></ul>");
}

std::string register_page(int edition, const std::string& error, const std::string& name) {
  const int e = edition >= 1 && edition <= 3 ? edition : 2;
  std::string options;
  for (int k = 1; k <= 3; ++k)
    options += std::string("<option value=\"") + edition_slug(k) + "\"" + (k == e ? " selected" : "") + ">" +
               edition_name(k) + "</option>";
  return frame("Registrieren",
               "<h1>Konto anlegen</h1>" +
                   (error.empty() ? std::string() : "<p class=\"error\">" + html_escape(error) + "</p>") +
                   "<form method=\"post\" action=\"/register\">"
                   "<label>Benutzername<input name=\"name\" maxlength=\"15\" required value=\"" +
                   html_escape(name) +
                   "\" autocomplete=\"username\"></label>"
                   "<label>Passwort<input name=\"password\" type=\"password\" maxlength=\"12\" required "
                   "autocomplete=\"new-password\"></label>"
                   "<label>Passwort wiederholen<input name=\"password2\" type=\"password\" maxlength=\"12\" "
                   "required autocomplete=\"new-password\"></label>"
                   "<label>Ausgabe<select name=\"edition\">" +
                   options +
                   "</select></label><button type=\"submit\">Konto anlegen</button></form>"
                   "<p class=\"soft\">Benutzername: 2 bis 15 Buchstaben, Ziffern, _ - oder . "
                   "Passwort: 4 bis 12 Zeichen ohne Leerzeichen und ohne &amp; = + % # ?. Das Passwort "
                   "speichert der Server nur als yescrypt-Hash.</p>");
}

std::string registered_page(int edition, const std::string& name) {
  const int e = edition >= 1 && edition <= 3 ? edition : 2;
  return frame("Konto angelegt", "<h1>Willkommen, " + html_escape(name) +
                                     "!</h1><p class=\"notice\">Dein Konto ist angelegt. Sende dein Ergebnis jetzt "
                                     "aus dem Spiel.</p><p><a href=\"/list/" +
                                     edition_slug(e) + "\">Zur Bestenliste " + edition_name(e) + "</a></p>");
}

std::string list_page(int edition, const std::vector<ListEntry>& entries, std::int64_t page, std::int64_t total,
                      std::int64_t page_size) {
  const std::string slug = edition_slug(edition);
  const std::int64_t pages = total == 0 ? 1 : (total + page_size - 1) / page_size;
  std::string rows;
  for (const ListEntry& e : entries) {
    const std::string rank = std::to_string(e.rank);
    rows += "<tr id=\"r" + rank + "\"><td class=\"num\">" + rank + "</td><td>" + html_escape(e.name) +
            "</td><td class=\"num\">" + std::to_string(e.score) + "</td><td>" + date_text(e.created) + "</td><td>" +
            (e.exact ? "<span class=\"mark\" title=\"nachgespielt: alle Ereignisse und die Punkte stimmen\">✓</span>"
                     : "<span class=\"mark\" title=\"nachgespielt: ein Bonus oder eine Marke lag um ein Bild "
                       "anders\">≈</span>") +
            "</td></tr>";
  }
  if (rows.empty()) rows = "<tr><td colspan=\"5\" class=\"soft\">Noch keine geprüften Ergebnisse.</td></tr>";
  std::string nav = "<div class=\"pages\"><span>";
  if (page > 1) nav += "<a href=\"/list/" + slug + "?page=" + std::to_string(page - 1) + "\">« Bessere</a>";
  nav += "</span><span class=\"soft\">Seite " + std::to_string(page) + " von " + std::to_string(pages) +
         " · " + std::to_string(total) + " Ergebnisse</span><span>";
  if (page < pages) nav += "<a href=\"/list/" + slug + "?page=" + std::to_string(page + 1) + "\">Weitere »</a>";
  nav += "</span></div>";
  return frame(std::string("Bestenliste ") + edition_name(edition),
               std::string("<h1>Bestenliste ") + edition_name(edition) +
                   "</h1><table><thead><tr><th class=\"num\">Platz</th><th>Name</th><th class=\"num\">Punkte</th>"
                   "<th>Datum</th><th title=\"vom Server nachgespielt\">Geprüft</th></tr></thead><tbody>" +
                   rows + "</tbody></table>" + nav);
}

std::string not_found_page() {
  return frame("Nicht gefunden", "<h1>Nicht gefunden</h1><p>Diese Seite gibt es nicht. <a href=\"/\">Zur "
                                 "Startseite</a></p>");
}

std::string error_page(const std::string& heading, const std::string& text) {
  return frame(heading, "<h1>" + html_escape(heading) + "</h1><p>" + html_escape(text) + "</p>");
}

}  // namespace server
