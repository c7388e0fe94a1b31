// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/highscores.h"

#include <cstdio>
#include <cstring>

#include "game/GrumboldX/highscore_check.h"
#include "game/app/app.h"
#include "game/resources/log.h"
#include "game/text/texts.h"
#include "platform/platform.h"

namespace front {

HighscoreEntry highscore_table[highscore_places];
int new_entry_rank = -1;

namespace {

bool set_up = false;

constexpr std::int32_t default_scores_xxl[highscore_places] = {1000, 800, 600, 400,
                                                                300,  200, 100, 50};
constexpr std::int32_t default_scores[highscore_places] = {500, 400, 300, 250, 200, 150, 100, 50};

// Where the file is written first; renamed over the real one once complete.
constexpr const char* temporary_file_name = "highscores.txt.new";

bool is_space(char16_t u) { return u == ' ' || (u >= '\t' && u <= '\r'); }

void copy_name(char16_t (&dest)[highscore_name_room], const char16_t* source, int limit) {
  int n = 0;
  for (; n < limit && n < highscore_name_room - 1 && source[n]; ++n) dest[n] = source[n];
  for (int k = n; k < highscore_name_room; ++k) dest[k] = 0;
}

void append_ascii(std::u16string& out, const char* text) {
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
}

// ---- reading ------------------------------------------------------------------------------

// The file image as UTF-16 units, read a line at a time as the wide-character line reader does.
struct LineReader {
  const std::uint8_t* bytes;
  std::size_t units;
  std::size_t at = 0;

  // At most highscore_line_units units, the line end included; a longer line goes on as the
  // next one. line always ends in 0.
  void read(char16_t (&line)[highscore_line_units + 1]) {
    int n = 0;
    while (n < highscore_line_units) {
      if (at >= units) break;
      const char16_t u = static_cast<char16_t>(bytes[2 * at] | bytes[2 * at + 1] << 8);
      ++at;
      line[n++] = u;
      if (u == '\n') break;
    }
    line[n] = 0;
  }
};

// A decimal number as the formatted input reads "%d" (or "%<width>d"): white space skipped,
// then a sign and digits, together at most width units (0: no limit). False when there is no
// digit or the number does not fit 32 bits.
bool scan_int(const char16_t* line, int& pos, int width, std::int32_t& value) {
  while (line[pos] && is_space(line[pos])) ++pos;
  int used = 0;
  bool negative = false;
  if (line[pos] == '-' || line[pos] == '+') {
    negative = line[pos] == '-';
    ++pos;
    ++used;
  }
  std::int64_t v = 0;
  int digits = 0;
  while (line[pos] >= '0' && line[pos] <= '9' && (width == 0 || used < width)) {
    v = v * 10 + (line[pos] - '0');
    if (v > 2147483648LL) return false;
    ++pos;
    ++used;
    ++digits;
  }
  if (digits == 0) return false;
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  value = static_cast<std::int32_t>(v);
  return true;
}

// "%4d-%02d-%02d %02d:%02d:%02d": the fields read before the first mismatch are set, the rest
// keep their value, each kept as a 16-bit number.
void scan_time(const char16_t* line, std::int16_t (&fields)[6]) {
  constexpr int widths[6] = {4, 2, 2, 2, 2, 2};
  constexpr char16_t separators[5] = {u'-', u'-', u' ', u':', u':'};
  int pos = 0;
  for (int f = 0; f < 6; ++f) {
    if (f > 0) {
      const char16_t sep = separators[f - 1];
      if (sep == u' ') {
        while (line[pos] && is_space(line[pos])) ++pos;
      } else if (line[pos] == sep) {
        ++pos;
      } else {
        return;
      }
    }
    std::int32_t v = 0;
    if (!scan_int(line, pos, widths[f], v)) return;
    fields[f] = static_cast<std::int16_t>(v);
  }
}

// "%11s%11s%11s": up to three runs of at most 11 units without white space; an empty line sets
// nothing, a line with fewer runs sets the first ones.
void scan_checks(const char16_t* line, char16_t (&triple)[3][check_slot_units]) {
  int pos = 0;
  for (int c = 0; c < 3; ++c) {
    while (line[pos] && is_space(line[pos])) ++pos;
    if (!line[pos]) return;
    int n = 0;
    while (n < check_units && line[pos] && !is_space(line[pos])) triple[c][n++] = line[pos++];
    for (int k = n; k < check_slot_units; ++k) triple[c][k] = 0;
  }
}

// The structure of the file: false when it is not a table at all (no check can pass then).
bool parse_file(const std::uint8_t* bytes, std::size_t size, std::int16_t (&time)[6]) {
  if (size % 2 != 0) return false;  // UTF-16 comes in pairs of bytes: cut off or not UTF-16
  LineReader reader{bytes, size / 2};
  if (reader.units > 0) {
    // The game writes no byte-order mark, but an editor may add one: skipped. A reversed one
    // means big-endian text, which this reader cannot take.
    const char16_t first = static_cast<char16_t>(bytes[0] | bytes[1] << 8);
    if (first == 0xFFFE) return false;
    if (first == 0xFEFF) reader.at = 1;
  }
  char16_t line[highscore_line_units + 1];
  reader.read(line);
  reader.read(line);
  reader.read(line);
  scan_time(line, time);
  reader.read(line);
  for (HighscoreEntry& entry : highscore_table) {
    reader.read(line);
    copy_name(entry.name, line, typed_name_units);
    for (int n = text::text_length(entry.name); n > 0 && entry.name[n - 1] == u' '; --n)
      entry.name[n - 1] = 0;
    // The score begins after the name's ten units (a shorter line has none).
    int pos = 0;
    while (pos < typed_name_units && line[pos]) ++pos;
    if (pos < typed_name_units || !scan_int(line, pos, 0, entry.score)) return false;
  }
  reader.read(line);
  reader.read(line);
  for (auto& triple : loaded_checks) {
    reader.read(line);
    scan_checks(line, triple);
  }
  // A file that ends early reads as empty lines from there: an editor that trimmed the last
  // empty line or line end changed nothing, and a file cut off sooner fails the check strings.
  return true;
}

}  // namespace

void set_default_highscores() {
  const std::int32_t* scores =
      app::edition == app::edition_xxl ? default_scores_xxl : default_scores;
  for (int i = 0; i < highscore_places; ++i) {
    copy_name(highscore_table[i].name, text::get_text(20 + i), highscore_name_room);
    highscore_table[i].score = scores[i];
  }
}

namespace {
void reject_file() {
  res::debug_log("Highscore-file not valid!\n");
  app::highscore_penalty = true;
  set_default_highscores();
}
}  // namespace

bool load_highscores_from(const std::uint8_t* bytes, std::size_t size) {
  std::memset(loaded_checks, 0, sizeof loaded_checks);
  std::int16_t time[6] = {};
  const bool whole = parse_file(bytes, size, time);
  char16_t date_key[date_key_room];
  make_date_key(time[0], time[1], time[2], time[3], time[4], time[5], date_key);
  // The check runs on whatever was read, so a broken file also sets the penalty through it.
  const bool valid = check_highscores(date_key) && whole;
  if (!valid) reject_file();
  return valid;
}

void load_highscores() {
  set_up = true;  // from here on the table holds the file's entries or the defaults
  std::FILE* f = std::fopen(app::player_file(highscore_file_name).c_str(), "rb");
  if (!f) {
    set_default_highscores();
    return;
  }
  static std::uint8_t image[highscore_file_limit + 1];
  const std::size_t size = std::fread(image, 1, sizeof image, f);
  std::fclose(f);
  if (size > highscore_file_limit) {
    reject_file();
    return;
  }
  load_highscores_from(image, size);
}

bool highscores_set_up() { return set_up; }

std::string format_highscore_file(const HighscoreTime& when) {
  std::u16string text;
  char line[64];
  append_ascii(text, "\n           Grumbold X\n");
  std::snprintf(line, sizeof line, "       %4d-%02d-%02d %02d:%02d:%02d\n", when.year, when.month,
                when.day, when.hour, when.minute, when.second);
  append_ascii(text, line);

  char16_t date_key[date_key_room];
  make_date_key(when.year, when.month, when.day, when.hour, when.minute, when.second, date_key);
  check_highscores(date_key);

  append_ascii(text, "\n");
  for (const HighscoreEntry& entry : highscore_table) {
    int n = 0;
    for (; n < highscore_name_room - 1 && entry.name[n]; ++n) text.push_back(entry.name[n]);
    for (; n < 24; ++n) text.push_back(u' ');
    std::snprintf(line, sizeof line, " %8d\n", static_cast<int>(entry.score));
    append_ascii(text, line);
  }
  append_ascii(text, "\n---------------------------------\n");
  for (const auto& triple : computed_checks) {
    for (const auto& check : triple)
      for (int k = 0; k < check_slot_units && check[k]; ++k) text.push_back(check[k]);
    text.push_back(u'\n');
  }

  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t u : text) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

void save_highscores() {
  const std::string temporary = app::player_file(temporary_file_name), target = app::player_file(highscore_file_name);
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    res::debug_log("ERROR: cannot write %s, highscores not saved\n", temporary_file_name);
    return;
  }
  const plat::WallTime now = plat::wall_time_utc();
  // The comparison with the loaded strings inside the check says nothing about this save: the
  // penalty ends only when the new file is in place.
  const bool penalty_before = app::highscore_penalty;
  const std::string bytes = format_highscore_file(
      HighscoreTime{now.year, now.month, now.day, now.hour, now.minute, now.second});
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), target.c_str()) == 0) {
    app::highscore_penalty = false;
    return;
  }
  res::debug_log("ERROR: writing %s failed, the old highscores stay\n", highscore_file_name);
  std::remove(temporary.c_str());
  app::highscore_penalty = penalty_before;
}

int insert_highscore(std::int32_t score) {
  int place = -1;
  for (int i = highscore_places - 1; i >= 0; --i) {
    if (highscore_table[i].score >= score) continue;
    if (i + 1 < highscore_places) highscore_table[i + 1] = highscore_table[i];
    place = i;
  }
  return place;
}

}  // namespace front
