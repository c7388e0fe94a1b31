// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/highscore_check.h"

#include <cstdio>

#include "game/GrumboldX/highscores.h"
#include "game/app/app.h"
#include "game/crypt/crypt.h"
#include "game/text/texts.h"

namespace front {

char16_t computed_checks[check_triples][3][check_slot_units];
char16_t loaded_checks[check_triples][3][check_slot_units];

namespace {

// Appends the ASCII text to the UTF-16 string dest of the given room (always ended by 0).
void append_ascii(char16_t* dest, int room, const char* text) {
  int n = 0;
  while (n < room - 1 && dest[n]) ++n;
  for (; n < room - 1 && *text; ++n, ++text) dest[n] = static_cast<unsigned char>(*text);
  dest[n] = 0;
}

void append(char16_t* dest, int room, const char16_t* text) {
  int n = 0;
  while (n < room - 1 && dest[n]) ++n;
  for (; n < room - 1 && *text; ++n, ++text) dest[n] = *text;
  dest[n] = 0;
}

}  // namespace

void make_date_key(int year, int month, int day, int hour, int minute, int second,
                   char16_t out[date_key_room]) {
  auto sum16 = [](int a, int b) { return static_cast<unsigned>(static_cast<std::uint16_t>(a + b)); };
  char text[date_key_room];
  std::snprintf(text, sizeof text, "%x%x%x", sum16(year, second), sum16(month, minute),
                sum16(day, hour));
  out[0] = 0;
  append_ascii(out, date_key_room, text);
}

bool check_highscores(const char16_t* date_key) {
  // Room for a name of at most 19 units, or a score of at most 11 characters, and the date key.
  constexpr int key_room = highscore_name_room + date_key_room;
  bool all_match = true;
  for (int i = 0; i < highscore_places; ++i) {
    const HighscoreEntry& entry = highscore_table[i];
    const std::int32_t s = entry.score;

    char16_t name[highscore_name_room] = {};
    append(name, highscore_name_room, entry.name);
    for (int n = text::text_length(name); n > 0 && name[n - 1] == u' '; --n) name[n - 1] = 0;

    char16_t key1[key_room] = {};
    append(key1, key_room, name);
    append(key1, key_room, date_key);
    const char16_t salt1[] = {u'z', static_cast<char16_t>(72 + 3 * i + s % 10), 0};
    char16_t r1[crypt3::crypt_result_units + 1];
    crypt3::crypt_utf16(salt1, key1, r1);

    char score_text[16];
    std::snprintf(score_text, sizeof score_text, "%d", static_cast<int>(s));
    char16_t key2[key_room] = {};
    append_ascii(key2, key_room, score_text);
    append(key2, key_room, date_key);
    const char16_t salt2[] = {u'g', static_cast<char16_t>(73 + 2 * i + (s / 7) % 10), 0};
    char16_t r2[crypt3::crypt_result_units + 1];
    crypt3::crypt_utf16(salt2, key2, r2);

    // The third key is the first result with its odd positions taken from the second.
    char16_t key3[crypt3::crypt_result_units + 1];
    for (int k = 0; k <= crypt3::crypt_result_units; ++k) key3[k] = k % 2 ? r2[k] : r1[k];
    const char16_t salt3[] = {u'P', static_cast<char16_t>(107 + 2 * i + (s / 13) % 10), 0};
    char16_t r3[crypt3::crypt_result_units + 1];
    crypt3::crypt_utf16(salt3, key3, r3);

    const char16_t* results[3] = {r1, r2, r3};
    for (int c = 0; c < 3; ++c) {
      char16_t* slot = computed_checks[i][c];
      for (int k = 0; k < check_units; ++k) slot[k] = results[c][2 + k];
      slot[check_units] = 0;
      const char16_t* loaded = loaded_checks[i][c];
      for (int k = 0; k < check_units; ++k) {
        if (slot[k] != loaded[k]) {
          all_match = false;
          break;
        }
        if (!slot[k]) break;
      }
    }
  }
  if (!all_match) app::highscore_penalty = true;
  return all_match;
}

}  // namespace front
