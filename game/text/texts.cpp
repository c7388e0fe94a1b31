// SPDX-License-Identifier: GPL-3.0-or-later
// The text table: parsing and lookup.
#include "game/text/texts.h"

#include <climits>

#include "game/resources/log.h"

namespace text {

char16_t text_pool[text_pool_size];
std::uint16_t text_index[text_index_count];

namespace {

constexpr char16_t missing_text[] = u"Can't find text!";

bool is_space(char16_t u) { return u == ' ' || u == '\t' || u == '\r' || u == '\n' || u == '\v' || u == '\f'; }

// A decimal number at the start of the line (white space and a sign allowed before it).
bool read_number(const char16_t* line, int length, int& value) {
  int i = 0;
  while (i < length && is_space(line[i])) ++i;
  bool negative = false;
  if (i < length && (line[i] == '-' || line[i] == '+')) negative = line[i++] == '-';
  if (i >= length || line[i] < '0' || line[i] > '9') return false;
  long long v = 0;
  for (; i < length && line[i] >= '0' && line[i] <= '9'; ++i)
    if (v < INT_MAX) v = v * 10 + (line[i] - '0');
  if (v > INT_MAX) v = INT_MAX;
  value = static_cast<int>(negative ? -v : v);
  return true;
}

}  // namespace

void parse_text_table(const std::uint8_t* bytes, std::size_t size) {
  for (char16_t& u : text_pool) u = 0;
  for (std::uint16_t& e : text_index) e = text_undefined;
  int counter = 100;
  int write = 0;

  const std::size_t units = size / 2;
  auto unit = [&](std::size_t i) { return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
  std::size_t at = 0;
  if (units > 0 && unit(0) >= 0xFE00) at = 1;

  char16_t line[text_line_units + 1];
  while (at < units) {
    int length = 0;
    while (at < units && length < text_line_units) {
      const char16_t u = unit(at++);
      line[length++] = u;
      if (u == '\n') break;
    }
    line[length] = 0;
    if (line[0] == '#' || length < 3) continue;

    int n = 0;
    if (!read_number(line, length, n)) continue;
    if (n == 9999) break;
    if (n < 1 || n >= text_index_count) {
      res::debug_log("Text Index out of range!(%d, %d)\n", n, write);
      continue;
    }
    if (n == 100) {
      n = counter++;
      if (n >= text_index_count) {
        res::debug_log("Text Index out of range!(%d, %d)\n", n, write);
        continue;
      }
    }
    int open = 0;
    while (open < length && line[open] != '"') ++open;
    if (open == length) continue;
    int close = length - 1;
    while (close > open && line[close] != '"') --close;
    if (close == open) continue;  // no closing quote: nothing defined
    const int text_units = close - open - 1;
    if (write + text_units + 1 > text_pool_size) {
      res::debug_log("Text pool full, text %d dropped\n", n);
      continue;
    }
    for (int k = 0; k < text_units; ++k) text_pool[write + k] = line[open + 1 + k];
    text_pool[write + text_units] = 0;
    text_index[n] = static_cast<std::uint16_t>(write);
    write += text_units + 1;
  }
}

namespace {
// Until the table is read every text is undefined.
[[maybe_unused]] const bool table_emptied = (parse_text_table(nullptr, 0), true);
}  // namespace

const char16_t* get_text(int index) {
  if (index < 1 || index >= text_index_count || text_index[index] == text_undefined) {
    res::debug_log("Error, can't find text with index#%d!\n", index);
    return missing_text;
  }
  return text_pool + text_index[index];
}

int text_length(const char16_t* text) {
  int n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace text
