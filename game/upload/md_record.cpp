// SPDX-License-Identifier: GPL-3.0-or-later
// The md record: a block of 60 characters with the upload's plain fields, then the check text.
#include <cstdio>
#include <cstring>

#include "game/upload/upload.h"

namespace upload {

namespace {

// Copies up to width characters of text to md + at, without a terminating zero.
void put(char* md, int at, const char* text, int width) {
  for (int i = 0; i < width && text[i]; ++i) md[at + i] = text[i];
}

}  // namespace

void build_md_record(const char* user, const char* password, std::int32_t score, int edition,
                     const char* check_text, char* md) {
  std::memset(md, ' ', md_block);
  put(md, 6, user, 15);
  // Only the field's 12 places: a longer password would otherwise leave its 13th to 15th
  // characters beside a short score.
  put(md, 22, password, 12);
  // A score of more than six digits runs into the version field, which then overwrites it.
  char number[16];
  std::snprintf(number, sizeof number, "%d", score);
  put(md, 34, number, 11);
  put(md, 40, "V1.1", 4);
  std::snprintf(number, sizeof number, "%d", edition);
  md[44] = number[0];
  // The record is always 356 characters: a check text not made yet (no round was played in
  // this run) counts as zeros.
  int n = 0;
  for (; n < check_text_length && check_text[n]; ++n) md[md_block + n] = check_text[n];
  for (; n < check_text_length; ++n) md[md_block + n] = '0';
  md[md_length] = 0;
}

}  // namespace upload
