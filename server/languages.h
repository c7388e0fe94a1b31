// SPDX-License-Identifier: GPL-3.0-or-later
// The languages the server speaks: German, the language its texts are written in, and every
// translation file of lang/ that the build embedded (server/embed_languages.cmake). A page or a
// reply looks its German texts up in the language it answers in; a text a translation lacks stays
// German, and the miss is remembered for the tests to read. A browser's language comes from
// "?lang=xx", else the "lang" cookie, else Accept-Language; the game's from its upload number.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace server {

struct Language {
  std::string code;     // "de", "en": two lower-case letters
  std::string name;     // in the language itself, for the language switch
  int upload_code = 0;  // the number in the game's lang field: 0x0007 German, 0x0009 English
  std::map<std::string, std::string, std::less<>> texts;  // German text → this language's (empty for German)
};

// German first, then the embedded translations by code.
const std::vector<Language>& languages();
const Language& german();
// Null for a code no language has.
const Language* language_by_code(std::string_view code);
// German for a number no language has.
const Language& language_for_upload(int upload_code);
// What is wrong with the embedded files ("lang/fr.txt: line 12: ..."), empty when all are well.
// They are read once, at the first use; a faulty one is left out, and the server refuses to start.
const std::string& language_error();

// A German text in the language (the German text where the language has none), with the values
// in place of its "{}" marks.
std::string tr(const Language& language, std::string_view german);
std::string tr(const Language& language, std::string_view german, std::initializer_list<std::string_view> values);
// The values in place of the "{}" marks, in order; a mark without a value stays as it is.
std::string fill_in(std::string_view pattern, std::initializer_list<std::string_view> values);

// An address of this server that opens its page in the language: "lang=xx" joined to its query
// (before a "#"). German addresses stay as they were before the server had other languages.
std::string with_language(const std::string& url, const Language& language);

// The texts that were looked up in a language that lacked them, as "en: German text".
std::set<std::string> missing_translations();
void forget_missing_translations();

// The known language an Accept-Language header likes best: "en-GB" counts for "en", "*" for
// every language it does not name, q=0 refuses. Null when it likes none of them.
const Language* from_accept_language(std::string_view header);
// The value of a cookie in a Cookie header, "" when it is not there.
std::string cookie_value(std::string_view header, std::string_view name);

// The language of a page: the request's lang parameter when it names a language, else the lang
// cookie's, else the Accept-Language header's, else German. Chosen by the parameter, the page
// belongs to its address; otherwise it was negotiated and varies with the headers.
struct LanguageChoice {
  const Language* language = nullptr;
  bool from_parameter = false;
};
LanguageChoice choose_language(std::string_view parameter, std::string_view cookie_header,
                               std::string_view accept_language);

// A translation file as the build embedded it.
struct LanguageFile {
  std::string_view path;  // "lang/en.txt"
  std::string_view text;
};
// Defined by the generated source.
std::span<const LanguageFile> embedded_language_files();
// German and the files' languages by code, as languages() has them; error names each faulty
// file, which is left out, with its line where there is one: one that does not parse, whose code
// is not its file's name or another's, whose upload number is another's, or whose translation
// has another number of "{}" marks than its German text.
std::vector<Language> read_languages(std::span<const LanguageFile> files, std::string& error);

}  // namespace server
