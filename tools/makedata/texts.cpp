// SPDX-License-Identifier: GPL-3.0-or-later
// The text table "data\text.txt": UTF-16 little-endian with a byte-order mark, one text a line
// as <index> "<text>"; lines numbered 100 count up from 100 (the credits), 9999 ends the file.
#include <string>
#include <vector>

#include "game/gfx/catalogue_table.h"
#include "tools/makedata/image.h"
#include "tools/makedata/language.h"
#include "tools/makedata/outputs.h"

namespace makedata {

namespace {

struct Text {
    int index;
    const char* utf8;
};

// Bonus texts, the reload hint, card game, bee sting, score line, the name entry's prompt,
// default names, help (a one-character line is a small gap), the upload dialog's messages, labels,
// links and title, and the upload's language number (98). "%s" in the help's first line is the
// round's length, which differs by edition. Other languages replace these by number and the
// credits as a whole (lang/<code>.txt); a text a language leaves out stays German.
constexpr Text texts[] = {
    {1, "Dreifach-Treffer!"},
    {2, "Vierfach-Treffer!"},
    {3, "Fünffach-Treffer!"},
    {4, "Hühner-Hagel!"},
    {5, "Leer! Nachladen: rechte Maustaste"},
    {10, "Einundzwanzig!"},
    {11, "Überkauft!"},
    {12, "Autsch! Die Bienen haben dich erwischt!"},
    {13, "Deine Punkte: %d"},
    {14, "Geschafft! Name tippen, dann Enter"},
    {20, "Hofmeister"},
    {21, "Eierdieb"},
    {22, "Federfuchs"},
    {23, "Kornkönig"},
    {24, "Stallwache"},
    {25, "Flatterer"},
    {26, "Gockel"},
    {27, "Küken"},
    {50, "Ziel: in %s Sekunden möglichst viele Punkte!"},
    {51, " "},
    {52, "Zielen: Maus – Schießen: linke Maustaste"},
    {53, "Magazin leer? Rechte Maustaste lädt nach!"},
    {54, "Zu frühes Nachladen kostet 5 Punkte"},
    {55, "Umsehen: Maus an den Rand oder Pfeiltasten"},
    {56, "Kleine, ferne Hühner und Serien zählen mehr"},
    {57, "Vorsicht: Manche Kulisse kostet Punkte –"},
    {58, "auch ohne Schuss: Bienen, Schnecke & Co.!"},
    {59, "Taste M schaltet die Musik um"},
    {80, "Der Highscore-Server ist gerade nicht erreichbar. Bitte versuche es später noch einmal."},
    {81,
     "<html><body style='font-family:sans-serif'><h3>Keine Verbindung</h3><p>Der Highscore-Server ist gerade "
     "nicht erreichbar. Bitte versuche es später noch einmal.</p></body></html>"},
    {82, "Der Server hat keine Nachricht geschickt."},
    {83, "<html><body style='font-family:sans-serif'><p>Der Server hat keine Nachricht geschickt.</p></body></html>"},
    {84, "Dein Ergebnis: %d Punkte"},
    {85, "Benutzername:"},
    {86, "Passwort:"},
    {87, "Parameter:"},
    {88, "Zurück zum Spiel"},
    {89, "Senden"},
    {90, "> Hier klicken, um Hilfe zu erhalten <"},
    {91, "> Hier registrieren, falls noch nicht geschehen <"},
    {92, "> Hier geht's zur Internet-Highscore-Liste <"},
    {93, "Grumbold X - Upload"},
    {98, "0007"},
};

// Whole seconds of a round's first scene by edition (0 XS, 1 XL, 2 XXL).
constexpr const char* round_seconds[3] = {"61", "91", "91"};

// The credits (75 % font; a leading # means full size), ended by *ENDE*.
constexpr const char* credits[] = {
    "#GrumboldX",
    "Die große Hühnerjagd",
    "",
    "#Spielidee und Programm",
    "Das GrumboldX-Team",
    "",
    "#Grafik",
    "Jedes Bild ist im Code gezeichnet,",
    "mit cairo",
    "(LGPL 2.1 oder MPL 1.1)",
    "",
    "#Schrift",
    "Comic Neue Bold",
    "SIL Open Font License 1.1",
    "gesetzt mit FreeType",
    "(FreeType-Lizenz)",
    "",
    "#Klang und Musik",
    "Jeder Klang ist im Code erzeugt,",
    "gespeichert mit libogg und libvorbis",
    "(BSD-Lizenz)",
    "",
    "#Technik",
    "SDL2 (zlib-Lizenz)",
    "libjpeg-turbo (IJG- und BSD-Lizenz)",
    "zlib (zlib-Lizenz)",
    "libpng (libpng-Lizenz)",
    "",
    "#Fenster, Dialog und Netz",
    "GTK 3 (LGPL 2.1 oder später)",
    "WebKitGTK (LGPL 2.1 und BSD-Lizenz)",
    "fontconfig (MIT-Lizenz)",
    "Liberation-Schriften (SIL OFL 1.1)",
    "libcurl (curl-Lizenz)",
    "OpenSSL (Apache 2.0)",
    "",
    "#Highscore-Server",
    "cpp-httplib (MIT-Lizenz)",
    "SQLite (gemeinfrei)",
    "libpqxx (BSD-Lizenz)",
    "libxcrypt (LGPL 2.1 oder später)",
    "",
    "#Prüfstand",
    "GoogleTest (BSD-Lizenz)",
    "Google Benchmark (Apache 2.0)",
    "",
    "#Lizenz",
    "GrumboldX ist freie Software:",
    "GNU GPL 3.0 oder später",
    "",
    "#Besonderer Dank",
    "an alle Hühner vom Hof:",
    "Keines kam zu Schaden!",
    "",
    "#Danke fürs Spielen!",
    "*ENDE*",
};

// UTF-8 to UTF-16 code units (the texts use only the Basic Multilingual Plane).
void append_utf16(std::u16string& out, const char* s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        char32_t c = *p++;
        if (c >= 0xE0) {
            c = ((c & 0x0F) << 12) | ((p[0] & 0x3F) << 6) | (p[1] & 0x3F);
            p += 2;
        } else if (c >= 0xC0) {
            c = ((c & 0x1F) << 6) | (p[0] & 0x3F);
            p += 1;
        }
        out.push_back(char16_t(c));
    }
}

// A text as the edition shows it: "%s" becomes the round's length.
std::string edition_text(const char* utf8, int edition) {
    std::string text = utf8;
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, round_seconds[edition]);
    return text;
}

// The table's lines in a language (null: German), as UTF-8.
std::vector<std::pair<int, std::string>> table_lines(int edition, const text::Translation* language) {
    std::vector<std::pair<int, std::string>> out;
    for (const Text& t : texts) {
        const char* utf8 = t.utf8;
        if (language) {
            const auto it = language->texts.find(t.index);
            if (it != language->texts.end() && !it->second.empty()) utf8 = it->second.c_str();
        }
        out.emplace_back(t.index, edition_text(utf8, edition));
    }
    if (language && !language->credits.empty()) {
        for (const std::string& line : language->credits) out.emplace_back(100, line);
    } else {
        for (const char* line : credits) out.emplace_back(100, line);
    }
    return out;
}

bool write_table(const std::filesystem::path& file, int edition, const text::Translation* language,
                 std::string& error) {
    std::u16string body;
    body.push_back(u'\xFEFF');
    append_utf16(body, "# GrumboldX texts: <index> \"<text>\"; index 100 counts up for the credits\r\n");
    for (const auto& [index, line] : table_lines(edition, language)) {
        append_utf16(body, (std::to_string(index) + " \"").c_str());
        append_utf16(body, line.c_str());
        append_utf16(body, "\"\r\n");
    }
    append_utf16(body, "9999\r\n");
    std::vector<std::uint8_t> bytes;
    for (char16_t u : body) {
        bytes.push_back(std::uint8_t(u & 0xFF));
        bytes.push_back(std::uint8_t(u >> 8));
    }
    return write_file(file, bytes, error);
}

}  // namespace

std::vector<std::pair<int, std::u16string>> text_table(int edition) {
    std::vector<std::pair<int, std::u16string>> out;
    int next = 100;
    for (const auto& [index, line] : table_lines(edition, nullptr)) {
        std::u16string u;
        append_utf16(u, line.c_str());
        out.emplace_back(index == 100 ? next++ : index, u);
    }
    return out;
}

bool write_texts(const Roots& roots, const std::vector<text::Translation>& languages, std::string& error) {
    for (int edition = 0; edition < 3; ++edition) {
        if (!write_table(archive_path(roots.edition[edition], gfx::text_file, ""), edition, nullptr, error))
            return false;
        for (const text::Translation& language : languages) {
            const std::string name = "data\\" + language.code + "\\text.txt";
            if (!write_table(archive_path(roots.edition[edition], name, ""), edition, &language, error)) return false;
        }
    }
    return true;
}

}  // namespace makedata
