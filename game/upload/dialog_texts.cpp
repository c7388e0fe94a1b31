// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog's texts from the text table, as the 8-bit characters the dialog shows.
#include <cstdio>
#include <cstring>

#include "game/text/texts.h"
#include "game/upload/upload.h"

namespace upload {

void dialog_text(int index, char* out) {
  std::memset(out, 0, dialog_text_room);
  const char16_t* text = text::get_text(index);
  for (std::size_t i = 0; i + 1 < dialog_text_room && text[i] && text[i] < 256; ++i)
    out[i] = static_cast<char>(text[i]);
}

int language_number() {
  // Four hexadecimal digits; a table without them is German's.
  const char16_t* text = text::text_index[text_language_number] == text::text_undefined
                             ? nullptr
                             : text::get_text(text_language_number);
  int number = 0;
  for (int i = 0; text && i < 4; ++i) {
    const char16_t c = text[i];
    const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                      : c >= u'a' && c <= u'f' ? c - u'a' + 10
                      : c >= u'A' && c <= u'F' ? c - u'A' + 10
                                               : -1;
    if (digit < 0) return german_language_number;
    number = number * 16 + digit;
  }
  return text && text[4] == 0 && number > 0 ? number : german_language_number;
}

void status_text(std::int32_t score, char* out, std::size_t room) {
  if (room == 0) return;
  char format[dialog_text_room];
  dialog_text(text_status, format);
  // The text file is data: only its first "%d" is a number, so no text can make the formatting
  // read what is not there.
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", score);
  std::size_t n = 0;
  bool used = false;
  for (const char* p = format; *p && n + 1 < room; ++p) {
    if (p[0] == '%' && p[1] == '%') {
      out[n++] = '%';
      ++p;
    } else if (p[0] == '%' && p[1] == 'd' && !used) {
      for (const char* d = digits; *d && n + 1 < room; ++d) out[n++] = *d;
      used = true;
      ++p;
    } else {
      out[n++] = *p;
    }
  }
  out[n] = 0;
}

}  // namespace upload
