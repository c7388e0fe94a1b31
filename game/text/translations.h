// SPDX-License-Identifier: GPL-3.0-or-later
// A translation of the game into another language: one UTF-8 text file a language, read by the
// data generator (texts, credits, words drawn into pictures) and built into the highscore server
// (its pages and replies). German is the language the game is written in: its texts live in the
// code, and a translation maps them to its own words. The file's sections:
//   [language]  code = en            the code -lang, the archive's folder and the server use
//               name = English       the language's own name, shown in the server's switch
//               upload = 0009        the upload's language number, four hexadecimal digits
//   [texts]     50 = Goal: ...       the text table's entries by number
//   [credits]   one line a credits line, exactly as it stands (up to the next section)
//   [words]     Hilfe = Help         words drawn into pictures, German = translation
//   [server]    German = translation the server's texts; "{}" marks where a value goes
// Outside [credits], lines starting with "#" and empty lines are comments; a key ends at the
// first " = ".
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace text {

struct Translation {
  std::string code;  // two lower-case letters
  std::string name;
  int upload_code = 0;
  std::map<int, std::string> texts;
  std::vector<std::string> credits;
  std::map<std::string, std::string, std::less<>> words;
  std::map<std::string, std::string, std::less<>> server;
};

// The default names of the highscore table are texts 20 to 27; the table's file keeps ten
// characters of a name, so a longer one would not match its own check strings when read back.
constexpr int first_default_name_text = 20, last_default_name_text = 27, default_name_chars = 10;

// A language's code: two lower-case ASCII letters ("de", "en").
bool is_language_code(std::string_view code);

// Reads a translation file's text; false with a message naming the line when it is malformed.
bool parse_translation(std::string_view file, Translation& out, std::string& error);

// The translation of a German text in a map, or the German text when it has none.
const std::string& translated(const std::map<std::string, std::string, std::less<>>& map,
                              const std::string& german);

// The upload's language number of German, the game's own language.
constexpr int german_upload_code = 7;

}  // namespace text
