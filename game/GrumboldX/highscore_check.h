// SPDX-License-Identifier: GPL-3.0-or-later
// The check strings of the highscore file: three crypt(3) strings of 11 characters for every
// place, made from the entry's name, its score, its place and a date key taken from the time of
// saving, with salts that depend on the score and the place. Loading computes them again and
// compares them with those in the file; saving writes the fresh ones.
#pragma once

#include <cstdint>

namespace front {

constexpr int check_units = 11;       // characters of one check string
constexpr int check_slot_units = 15;  // room for one string and its terminator
constexpr int check_triples = 9;      // one triple per place; the ninth stays empty
constexpr int date_key_room = 13;     // "%x%x%x" of three 16-bit numbers and a terminator

extern char16_t computed_checks[check_triples][3][check_slot_units];
extern char16_t loaded_checks[check_triples][3][check_slot_units];

// The date key of a saving time: "%x%x%x" (lower-case hexadecimal without leading zeros) of
// year + second, month + minute and day + hour, each sum taken as an unsigned 16-bit number.
void make_date_key(int year, int month, int day, int hour, int minute, int second,
                   char16_t out[date_key_room]);

// Computes the check strings of all eight places of the table into computed_checks and compares
// each with the loaded one over its first 11 units. Any difference sets app::highscore_penalty; the
// answer is whether all 24 strings matched.
bool check_highscores(const char16_t* date_key);

}  // namespace front
