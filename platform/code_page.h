// SPDX-License-Identifier: GPL-3.0-or-later
// Windows code page 1252, the game's own for its texts, typed names and the upload dialog: bytes
// 0x80 to 0x9F hold € ‚ ƒ „ … † ‡ ˆ ‰ Š ‹ Œ Ž ‘ ’ “ ” • – — ˜ ™ š › œ ž Ÿ (five of them are
// empty); the rest above 0x7F is Latin-1.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// The code point of a byte; 0 for the five bytes the code page leaves empty.
char16_t cp1252_character(unsigned char byte);
// The byte of a code point, or -1 when the code page has none.
int cp1252_byte(std::uint32_t code_point);

// Text in the code page to UTF-8 (an empty byte becomes U+FFFD), and back (a character the code
// page lacks becomes "?").
std::string cp1252_to_utf8(const char* text);
std::string utf8_to_cp1252(const char* text);

}  // namespace plat
