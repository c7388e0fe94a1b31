// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/code_page.h"

#include "platform/script.h"

namespace plat {

namespace {

constexpr char16_t upper_controls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void append_utf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

char16_t cp1252_character(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? upper_controls[byte - 0x80] : static_cast<char16_t>(byte);
}

int cp1252_byte(std::uint32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<int>(code_point);
  for (int i = 0; i < 32; ++i)
    if (upper_controls[i] != 0 && upper_controls[i] == code_point) return 0x80 + i;
  return -1;
}

std::string cp1252_to_utf8(const char* text) {
  std::string out;
  for (const char* p = text ? text : ""; *p; ++p) {
    const char16_t c = cp1252_character(static_cast<unsigned char>(*p));
    append_utf8(out, c != 0 ? c : 0xFFFD);
  }
  return out;
}

std::string utf8_to_cp1252(const char* text) {
  std::string out;
  for (unsigned point : utf8_code_points(text ? text : "")) {
    const int byte = cp1252_byte(point);
    out += byte >= 0 ? static_cast<char>(byte) : '?';
  }
  return out;
}

}  // namespace plat
