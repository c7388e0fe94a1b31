// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/languages.h"

#include <algorithm>
#include <mutex>

#include "game/text/translations.h"

namespace server {

namespace {

struct Loaded {
  std::vector<Language> list;
  std::string error;
};

std::size_t marks(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t at = 0; (at = text.find("{}", at)) != std::string_view::npos; at += 2) ++n;
  return n;
}

// The line of a file on which a [server] entry stands (0 when it cannot be found).
int line_of(std::string_view file, std::string_view key) {
  int line = 0;
  bool in_server = false;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    std::string_view text = file.substr(0, end);
    file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
    ++line;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    if (text.starts_with('[')) in_server = text.starts_with("[server]");
    else if (in_server && text.starts_with(key) && text.substr(key.size()).starts_with(" = ")) return line;
  }
  return 0;
}

std::string stem_of(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  return std::string(path.substr(0, path.rfind('.')));
}

// Checks a translation against the others and its own [server] texts; the first fault.
std::string check(const LanguageFile& file, const text::Translation& t, const std::vector<Language>& before) {
  if (t.code != stem_of(file.path)) return "the code " + t.code + " is not the file's name";
  for (const Language& other : before) {
    if (other.code == t.code) return "the code " + t.code + " is " + other.name + "'s already";
    if (other.upload_code == t.upload_code) return "the upload number is " + other.name + "'s already";
  }
  for (const auto& [german, translation] : t.server)
    if (marks(german) != marks(translation))
      return "line " + std::to_string(line_of(file.text, german)) + ": the translation has " +
             std::to_string(marks(translation)) + " {} where the German has " + std::to_string(marks(german));
  return "";
}

const Loaded& loaded() {
  static const Loaded all = [] {
    Loaded out;
    out.list = read_languages(embedded_language_files(), out.error);
    return out;
  }();
  return all;
}

std::mutex missing_mutex;
std::set<std::string> missing;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A q-value in thousandths ("0.8" → 800); -1 when it is none.
int quality(std::string_view q) {
  if (q.empty() || (q[0] != '0' && q[0] != '1')) return -1;
  const bool one = q[0] == '1';
  q.remove_prefix(1);
  int thousandths = one ? 1000 : 0;
  if (q.empty()) return thousandths;
  if (q[0] != '.' || q.size() > 4) return -1;
  int scale = 100;
  for (char c : q.substr(1)) {
    if (c < '0' || c > '9' || (one && c != '0')) return -1;
    thousandths += (c - '0') * scale;
    scale /= 10;
  }
  return thousandths;
}

}  // namespace

std::vector<Language> read_languages(std::span<const LanguageFile> files, std::string& error) {
  std::vector<Language> list{Language{"de", "Deutsch", text::german_upload_code, {}}};
  error.clear();
  for (const LanguageFile& file : files) {
    text::Translation t;
    std::string fault;
    if (text::parse_translation(file.text, t, fault)) fault = check(file, t, list);
    if (!fault.empty()) {
      if (!error.empty()) error += '\n';
      error.append(file.path).append(": ").append(fault);
      continue;
    }
    list.push_back(Language{t.code, t.name, t.upload_code, std::move(t.server)});
  }
  std::sort(list.begin() + 1, list.end(), [](const Language& a, const Language& b) { return a.code < b.code; });
  return list;
}

const std::vector<Language>& languages() { return loaded().list; }
const Language& german() { return loaded().list.front(); }
const std::string& language_error() { return loaded().error; }

const Language* language_by_code(std::string_view code) {
  for (const Language& l : languages())
    if (l.code == code) return &l;
  return nullptr;
}

const Language& language_for_upload(int upload_code) {
  for (const Language& l : languages())
    if (l.upload_code == upload_code) return l;
  return german();
}

std::string fill_in(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  auto value = values.begin();
  for (std::size_t at = 0;;) {
    const std::size_t mark = value == values.end() ? std::string_view::npos : pattern.find("{}", at);
    if (mark == std::string_view::npos) {
      out += pattern.substr(at);
      return out;
    }
    out += pattern.substr(at, mark - at);
    out += *value++;
    at = mark + 2;
  }
}

std::string tr(const Language& language, std::string_view german_text) {
  if (language.code == "de") return std::string(german_text);
  const auto it = language.texts.find(german_text);
  if (it != language.texts.end()) return it->second;
  std::lock_guard lock(missing_mutex);
  missing.insert(language.code + ": " + std::string(german_text));
  return std::string(german_text);
}

std::string tr(const Language& language, std::string_view german_text, std::initializer_list<std::string_view> values) {
  return fill_in(tr(language, german_text), values);
}

std::string with_language(const std::string& url, const Language& language) {
  if (language.code == "de") return url;
  const std::size_t hash = std::min(url.find('#'), url.size());
  const std::string address = url.substr(0, hash);
  return address + (address.find('?') == std::string::npos ? "?" : "&") + "lang=" + language.code + url.substr(hash);
}

std::set<std::string> missing_translations() {
  std::lock_guard lock(missing_mutex);
  return missing;
}

void forget_missing_translations() {
  std::lock_guard lock(missing_mutex);
  missing.clear();
}

const Language* from_accept_language(std::string_view header) {
  struct Range {
    std::string tag;
    int q = 1000;
    int position = 0;
  };
  std::vector<Range> ranges;
  for (int position = 0; !header.empty() && position < 64; ++position) {
    const std::size_t comma = header.find(',');
    std::string_view item = header.substr(0, comma);
    header.remove_prefix(comma == std::string_view::npos ? header.size() : comma + 1);
    Range r;
    r.position = position;
    const std::size_t semicolon = item.find(';');
    r.tag = lower(trimmed(item.substr(0, semicolon)));
    std::replace(r.tag.begin(), r.tag.end(), '_', '-');
    for (std::string_view params = semicolon == std::string_view::npos ? "" : item.substr(semicolon + 1);
         !params.empty();) {
      const std::size_t next = params.find(';');
      const std::string_view param = trimmed(params.substr(0, next));
      params.remove_prefix(next == std::string_view::npos ? params.size() : next + 1);
      if (param.size() >= 2 && (param[0] == 'q' || param[0] == 'Q') && trimmed(param.substr(1)).starts_with('=')) {
        const std::string_view value = trimmed(trimmed(param.substr(1)).substr(1));
        r.q = quality(value);
      }
    }
    if (!r.tag.empty() && r.q >= 0) ranges.push_back(std::move(r));
  }
  // Each language's liking: a range of its own code, else the best of its regional ranges, else "*".
  const Language* best = nullptr;
  int best_q = 0, best_position = 0;
  for (const Language& l : languages()) {
    const Range* exact = nullptr;
    const Range* regional = nullptr;
    const Range* any = nullptr;
    for (const Range& r : ranges) {
      if (r.tag == l.code && !exact) exact = &r;
      if (r.tag.size() > 2 && r.tag.starts_with(l.code) && r.tag[2] == '-' && (!regional || r.q > regional->q))
        regional = &r;
      if (r.tag == "*" && !any) any = &r;
    }
    const Range* liking = exact ? exact : regional ? regional : any;
    if (!liking || liking->q <= 0) continue;
    if (!best || liking->q > best_q || (liking->q == best_q && liking->position < best_position)) {
      best = &l;
      best_q = liking->q;
      best_position = liking->position;
    }
  }
  return best;
}

std::string cookie_value(std::string_view header, std::string_view name) {
  while (!header.empty()) {
    const std::size_t semicolon = header.find(';');
    const std::string_view pair = trimmed(header.substr(0, semicolon));
    header.remove_prefix(semicolon == std::string_view::npos ? header.size() : semicolon + 1);
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos || trimmed(pair.substr(0, eq)) != name) continue;
    std::string_view value = trimmed(pair.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return "";
}

LanguageChoice choose_language(std::string_view parameter, std::string_view cookie_header,
                               std::string_view accept_language) {
  if (const Language* l = language_by_code(parameter)) return {l, true};
  if (const Language* l = language_by_code(cookie_value(cookie_header, "lang"))) return {l, false};
  if (const Language* l = from_accept_language(accept_language)) return {l, false};
  return {&german(), false};
}

}  // namespace server
