// SPDX-License-Identifier: GPL-3.0-or-later
// crypt(3): 25 DES encryptions of an all-zero block under a key made from the password, the
// salt perturbing the expansion of every round, the 64-bit result written as 11 characters.
//
// The salt acts as in the classic fast crypt formulation, where the right half is kept in a
// rotated bit order (standard bit m of the half at position m mod 32) and the expansion's eight
// six-bit groups lie at bits 0..5, 8..13, 16..21, 24..29 of the half (S-boxes 1, 3, 5, 7) and of
// the half rotated right by 4 (S-boxes 2, 4, 6, 8). There each salt unit is a 32-bit mask over the
// half folded onto itself (v = x ^ (x >> 16)): the first salt unit's mask acts on the groups of
// the odd S-boxes, the second's (shifted left by 4) on those of the even ones. For the 12-bit
// salts of the usual alphabet this is the textbook rule; the wider masks of the codes 128..130
// act here exactly as in that formulation.
#include "game/crypt/crypt.h"

#include <bit>
#include <utility>

namespace crypt3 {

namespace {

// The standard's tables, bits numbered from 1 at the most significant end.
constexpr int pc1[56] = {57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
                         10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
                         63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
                         14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};
constexpr int pc2[48] = {14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10, 23, 19, 12, 4,
                         26, 8,  16, 7,  27, 20, 13, 2,  41, 52, 31, 37, 47, 55, 30, 40,
                         51, 45, 33, 48, 44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};
constexpr int key_shifts[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};
constexpr int final_permutation[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31, 38, 6, 46, 14, 54, 22,
    62, 30, 37, 5, 45, 13, 53, 21, 61, 29, 36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43,
    11, 51, 19, 59, 27, 34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9, 49, 17, 57, 25};
constexpr int p_permutation[32] = {16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
                                   2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};
constexpr std::uint8_t s_boxes[8][4][16] = {
    {{14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7},
     {0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8},
     {4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0},
     {15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13}},
    {{15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10},
     {3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5},
     {0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15},
     {13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9}},
    {{10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8},
     {13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1},
     {13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7},
     {1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12}},
    {{7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15},
     {13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9},
     {10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4},
     {3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14}},
    {{2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9},
     {14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6},
     {4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14},
     {11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3}},
    {{12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11},
     {10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8},
     {9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6},
     {4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13}},
    {{4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1},
     {13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6},
     {1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2},
     {6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12}},
    {{13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7},
     {1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2},
     {7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8},
     {2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}}};

constexpr char16_t alphabet[] = u"./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// Bit n (1 = most significant) of a word of the given width.
constexpr std::uint64_t bit_of(std::uint64_t word, int width, int n) {
  return (word >> (width - n)) & 1u;
}

std::uint32_t reverse_bits(std::uint32_t x) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
  return (x >> 16) | (x << 16);
}

// S-box s and the permutation P together: the round function's output bits for one six-bit
// group g, whose inputs b1..b6 lie in g from its lowest bit up (b1 b6 pick the row, b2..b5 the
// column).
struct SpTable {
  std::uint32_t bits[8][64];
};
constexpr SpTable make_sp_table() {
  SpTable t{};
  for (int s = 0; s < 8; ++s) {
    for (std::uint32_t g = 0; g < 64; ++g) {
      const int row = static_cast<int>(((g & 1u) << 1) | ((g >> 5) & 1u));
      const int column = static_cast<int>(((g >> 1) & 1u) << 3 | ((g >> 2) & 1u) << 2 |
                                          ((g >> 3) & 1u) << 1 | ((g >> 4) & 1u));
      const std::uint32_t sbox_out =
          static_cast<std::uint32_t>(s_boxes[s][row][column]) << (28 - 4 * s);
      std::uint32_t out = 0;
      for (int i = 0; i < 32; ++i)
        out = (out << 1) | static_cast<std::uint32_t>(bit_of(sbox_out, 32, p_permutation[i]));
      t.bits[s][g] = out;
    }
  }
  return t;
}
constexpr SpTable sp_table = make_sp_table();

// The sixteen round keys, each as eight six-bit groups in expansion order (the group's first
// bit lowest), the way the round function meets them.
struct KeySchedule {
  std::uint8_t groups[16][8];
};

KeySchedule make_schedule(std::uint64_t key) {
  std::uint32_t c = 0, d = 0;  // 28 bits each, bit 1 most significant
  for (int i = 0; i < 28; ++i) c = (c << 1) | static_cast<std::uint32_t>(bit_of(key, 64, pc1[i]));
  for (int i = 28; i < 56; ++i) d = (d << 1) | static_cast<std::uint32_t>(bit_of(key, 64, pc1[i]));
  KeySchedule ks{};
  for (int round = 0; round < 16; ++round) {
    for (int s = 0; s < key_shifts[round]; ++s) {
      c = ((c << 1) | (c >> 27)) & 0x0FFFFFFFu;
      d = ((d << 1) | (d >> 27)) & 0x0FFFFFFFu;
    }
    const std::uint64_t cd = (static_cast<std::uint64_t>(c) << 28) | d;
    for (int k = 0; k < 48; ++k)
      ks.groups[round][k / 6] |= static_cast<std::uint8_t>(bit_of(cd, 56, pc2[k]) << (k % 6));
  }
  return ks;
}

// The round function on the right half r (bit 1 most significant).
std::uint32_t round_function(std::uint32_t r, const std::uint8_t (&key)[8], std::uint32_t mask0,
                             std::uint32_t mask1) {
  const std::uint32_t x = std::rotl(reverse_bits(r), 1);  // the rotated order
  const std::uint32_t v = x ^ (x >> 16);
  const std::uint32_t a = v & mask0, b = v & mask1;
  const std::uint32_t odd = x ^ a ^ (a << 16);                  // S-boxes 1, 3, 5, 7
  const std::uint32_t even = std::rotr(x ^ b ^ (b << 16), 4);   // S-boxes 2, 4, 6, 8
  std::uint32_t out = 0;
  for (int s = 0; s < 8; ++s) {
    const std::uint32_t source = s % 2 == 0 ? odd : even;
    out |= sp_table.bits[s][((source >> (8 * (s / 2))) & 0x3Fu) ^ key[s]];
  }
  return out;
}

}  // namespace

std::uint32_t salt_value(std::uint16_t k) {
  if (k <= 46) return 0;                 // up to "." (the codes below the alphabet count as ".")
  if (k == 47) return 1;                 // "/"
  if (k <= 57) return k - 46u;           // the digits: 2..11
  if (k <= 64) return k - 53u;           // ":" to "@": 5..11
  if (k <= 90) return k - 53u;           // capital letters: 12..37
  if (k <= 96) return k - 59u;           // "[" to "`": 32..37
  if (k <= 122) return k - 59u;          // small letters: 38..63
  if (k <= 127) return 0;
  if (k == 128) return 0x01010000u;
  if (k == 129) return 0x01010101u;
  if (k == 130) return 0x01010100u;
  return 0;
}

void crypt_utf16(const char16_t* salt, const char16_t* key, char16_t out[crypt_result_units + 1]) {
  char16_t s[2] = {u'A', u'A'};
  if (salt[0]) {
    s[0] = salt[0];
    if (salt[1]) s[1] = salt[1];
  }
  const std::uint32_t mask0 = salt_value(s[0]);
  const std::uint32_t mask1 = salt_value(s[1]) << 4;

  // Eight key bytes: the low byte of each unit moved up one bit (its top bit falls away).
  std::uint64_t key_bits = 0;
  for (int i = 0, ended = 0; i < 8; ++i) {
    ended = ended || key[i] == 0;
    const std::uint64_t byte = ended ? 0 : (static_cast<unsigned>(key[i]) << 1) & 0xFEu;
    key_bits = (key_bits << 8) | byte;
  }
  const KeySchedule ks = make_schedule(key_bits);

  // The block starts at zero, which the initial permutation leaves at zero; between two
  // encryptions the final and the initial permutation cancel out, so only the halves swap.
  std::uint32_t left = 0, right = 0;
  for (int encryption = 0; encryption < 25; ++encryption) {
    for (int round = 0; round < 16; ++round) {
      const std::uint32_t next = left ^ round_function(right, ks.groups[round], mask0, mask1);
      left = right;
      right = next;
    }
    std::swap(left, right);
  }
  const std::uint64_t pre = (static_cast<std::uint64_t>(left) << 32) | right;
  std::uint64_t block = 0;
  for (int i = 0; i < 64; ++i) block = (block << 1) | bit_of(pre, 64, final_permutation[i]);

  out[0] = s[0];
  out[1] = s[1];
  for (int i = 0; i < 11; ++i) {
    // Six bits at a time from the top; the last character has four bits and two zero bits.
    const int shift = 58 - 6 * i;
    const std::uint64_t six = shift >= 0 ? (block >> shift) & 0x3Fu : (block << -shift) & 0x3Fu;
    out[2 + i] = alphabet[six];
  }
  out[crypt_result_units] = 0;
}

}  // namespace crypt3
