// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/text/translations.h"

#include <algorithm>
#include <cstdlib>

namespace text {

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

bool valid_utf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || (extra == 1 && c < 0xC2) || i + static_cast<std::size_t>(extra) >= s.size() + (extra == 0 ? 1 : 0))
      return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

}  // namespace

bool is_language_code(std::string_view code) {
  return code.size() == 2 && code[0] >= 'a' && code[0] <= 'z' && code[1] >= 'a' && code[1] <= 'z';
}

bool parse_translation(std::string_view file, Translation& out, std::string& error) {
  out = Translation{};
  if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
  if (!valid_utf8(file)) {
    error = "not UTF-8";
    return false;
  }
  enum class Section { none, language, texts, credits, words, server } section = Section::none;
  int line_number = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(line_number) + ": " + why;
    return false;
  };
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    std::string_view raw = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    ++line_number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    const std::string_view line = trimmed(raw);
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      const std::string_view name = line.substr(1, line.size() - 2);
      if (name == "language") section = Section::language;
      else if (name == "texts") section = Section::texts;
      else if (name == "credits") section = Section::credits;
      else if (name == "words") section = Section::words;
      else if (name == "server") section = Section::server;
      else return fail("unknown section [" + std::string(name) + "]");
      continue;
    }
    if (section == Section::credits) {
      out.credits.emplace_back(line);
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find(" = ");
    if (eq == std::string_view::npos || section == Section::none)
      return fail("expected \"key = text\" in a section");
    const std::string key(trimmed(line.substr(0, eq)));
    const std::string value(trimmed(line.substr(eq + 3)));
    switch (section) {
      case Section::language:
        if (key == "code") out.code = value;
        else if (key == "name") out.name = value;
        else if (key == "upload") {
          char* stop = nullptr;
          const long n = std::strtol(value.c_str(), &stop, 16);
          if (value.size() != 4 || *stop || n <= 0) return fail("upload is four hexadecimal digits");
          out.upload_code = static_cast<int>(n);
        } else {
          return fail("unknown key " + key);
        }
        break;
      case Section::texts: {
        char* stop = nullptr;
        const long index = std::strtol(key.c_str(), &stop, 10);
        if (key.empty() || *stop || index < 1 || index > 99) return fail("a text's number is 1 to 99");
        if (index >= first_default_name_text && index <= last_default_name_text) {
          // Characters, not bytes: every byte but a continuation byte starts one.
          const auto chars = std::count_if(value.begin(), value.end(),
                                           [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
          if (chars > default_name_chars) return fail("a highscore name (texts 20 to 27) has at most 10 characters");
        }
        out.texts[static_cast<int>(index)] = value;
        break;
      }
      case Section::words: out.words[key] = value; break;
      case Section::server: out.server[key] = value; break;
      default: break;
    }
  }
  while (!out.credits.empty() && out.credits.back().empty()) out.credits.pop_back();
  if (!is_language_code(out.code) || out.code == "de") {
    error = "[language] needs a code of two lower-case letters other than de";
    return false;
  }
  if (out.name.empty() || out.upload_code == 0) {
    error = "[language] needs a name and an upload number";
    return false;
  }
  return true;
}

const std::string& translated(const std::map<std::string, std::string, std::less<>>& map, const std::string& german) {
  const auto it = map.find(german);
  return it == map.end() ? german : it->second;
}

}  // namespace text
