// SPDX-License-Identifier: GPL-3.0-or-later
// The name entry of a new highscore (state 3): typed characters go into the edit buffer (at most
// ten, only those the font's code page and the font itself have), Backspace removes the last
// one, Enter puts the name into the table and saves it.
#pragma once

#include <cstdint>

#include "game/GrumboldX/highscores.h"

namespace front {

extern char16_t edit_buffer[typed_name_units + 1];

// Empties the edit buffer for a new entry.
void start_name_entry();
// A key press passed on by the window procedure (virtual-key code, scan code): Backspace and
// Enter act; every other key types through its character message (name_entry_char).
void name_entry_key(int vk, int scan_code);
// A typed character (a Unicode code point): appended when the buffer has room, the font's code
// page has the character and the font can draw it.
void name_entry_char(std::uint32_t code_point);
// The character a code point stands for in a Windows code page, or 0 when the code page has no
// byte for it (control characters included). Code page 1252 is known in full; for any other
// only the printable ASCII characters pass.
char16_t code_page_character(int code_page, std::uint32_t code_point);

}  // namespace front
