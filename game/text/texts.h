// SPDX-License-Identifier: GPL-3.0-or-later
// The text table: every word the game shows comes from the UTF-16 little-endian file
// "data\text.txt", one text per line, addressed by its index 1..599:
//   42 "text"     text 42 is everything between the first and the last double quote
//   100 "text"    lines numbered 100 get 100, 101, 102, ... in file order
//   9999          ends the table
// Lines starting with "#" or shorter than 3 units are comments; a leading byte-order mark is
// skipped. A later line with the same index replaces the earlier text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace text {

constexpr int text_pool_size = 20000;    // UTF-16 units, each text ending in 0
constexpr int text_index_count = 600;    // valid indices 1..599
constexpr int text_line_units = 998;     // longest line read at once; longer lines go on as the next
constexpr std::uint16_t text_undefined = 0xFFFF;

extern char16_t text_pool[text_pool_size];
extern std::uint16_t text_index[text_index_count];

// Fills the table from a whole file image (bytes as stored, byte-order mark optional).
void parse_text_table(const std::uint8_t* bytes, std::size_t size);
// Reads "data\text.txt" from the archive, or another language's "data\<code>\text.txt" (null or
// "de": German); a missing file leaves every text undefined.
void load_texts(const char* language = nullptr);
// The text with that index, or "Can't find text!" (logged) when it is not defined.
const char16_t* get_text(int index);
// Number of units before the terminating 0.
int text_length(const char16_t* text);

}  // namespace text
