// SPDX-License-Identifier: GPL-3.0-or-later
// The traditional DES-based password hash of Unix, crypt(3), on UTF-16 strings. The highscore
// file's check strings are made with it (see game/GrumboldX/highscore_check.h).
//
// The result is the two salt units followed by eleven characters of the alphabet
// "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz" and a terminating 0. For keys
// and salts of the usual alphabet it is the same as any standard crypt(3). Beyond it:
// - only the low byte of a key unit counts, and only the first eight units;
// - a salt shorter than two units is padded with "A"; the output begins with the padded salt;
// - every salt unit has a perturbation value (salt_value), also the units a standard crypt(3)
//   refuses: the highscore check uses second salt characters from code 63 up to code 130.
// (The namespace is not called crypt: the C library declares a function of that name.)
#pragma once

#include <cstdint>

namespace crypt3 {

constexpr int crypt_result_units = 13;  // two salt units and eleven hash characters

// The perturbation value of one salt unit: the salt's six bits for the usual characters, values
// of their neighbours for the codes next to them, and three wider masks for the codes 128..130.
// Codes above 130 count as 0.
std::uint32_t salt_value(std::uint16_t unit);

// crypt(3) of key under salt (both ended by 0). out receives 13 units and a terminating 0.
void crypt_utf16(const char16_t* salt, const char16_t* key, char16_t out[crypt_result_units + 1]);

}  // namespace crypt3
