// SPDX-License-Identifier: GPL-3.0-or-later
// The game's own crypt(3) against the system's (libxcrypt): the same 13 characters for every key
// and salt of the usual alphabet, and the design's rules beyond it.
#include <crypt.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "game/crypt/crypt.h"

namespace {

constexpr char salt_alphabet[] = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

std::string system_crypt(const std::string& key, const std::string& salt) {
  crypt_data data{};
  const char* result = crypt_r(key.c_str(), salt.c_str(), &data);
  return result ? result : "";
}

std::string game_crypt(const std::u16string& key, const std::u16string& salt) {
  char16_t out[crypt3::crypt_result_units + 1];
  crypt3::crypt_utf16(salt.c_str(), key.c_str(), out);
  std::string ascii;
  for (int i = 0; i < crypt3::crypt_result_units; ++i) {
    // The hash characters come from the alphabet; the salt units are copied as they are.
    if (i >= 2) {
      EXPECT_NE(std::string(salt_alphabet).find(static_cast<char>(out[i])), std::string::npos);
    }
    ascii.push_back(static_cast<char>(out[i]));
  }
  EXPECT_EQ(out[crypt3::crypt_result_units], 0);
  return ascii;
}

std::u16string wide(const std::string& s) {
  std::u16string w;
  for (unsigned char c : s) w.push_back(c);
  return w;
}

// The hash characters only, without the two salt units in front.
std::string hash_part(const std::string& result) { return result.substr(2); }

}  // namespace

TEST(Crypt, MatchesTheSystemCryptOnATableOfCases) {
  struct Case {
    const char* key;
    const char* salt;
  } cases[] = {
      {"", ".."},          {"a", ".."},          {"password", "ab"},  {"passwor", "zz"},
      {"12345678", "//"},  {"123456789", "//"},  {"Hofmeister7e2", "zH"}, {"500a3b0", "gW"},
      {" !\"#$%&'", "Az"}, {"\x7f\x7f\x7f", "9."}, {"~}|{", "Za"},     {"x", "0Y"},
  };
  for (const Case& c : cases) {
    const std::string want = system_crypt(c.key, c.salt);
    ASSERT_EQ(want.size(), 13u) << c.key;
    EXPECT_EQ(game_crypt(wide(c.key), wide(c.salt)), want) << "key \"" << c.key << "\" salt " << c.salt;
  }
}

TEST(Crypt, MatchesTheSystemCryptOnRandomKeysAndSalts) {
  std::mt19937 random(20100101);
  for (int n = 0; n < 3000; ++n) {
    const std::string salt = {salt_alphabet[random() % 64], salt_alphabet[random() % 64]};
    std::string key;
    const int length = static_cast<int>(random() % 12);
    for (int i = 0; i < length; ++i) key.push_back(static_cast<char>(1 + random() % 127));
    ASSERT_EQ(game_crypt(wide(key), wide(salt)), system_crypt(key, salt))
        << "case " << n << " salt " << salt;
  }
}

TEST(Crypt, ShortSaltsArePaddedWithA) {
  EXPECT_EQ(game_crypt(u"secret", u""), system_crypt("secret", "AA"));
  EXPECT_EQ(game_crypt(u"secret", u"x"), system_crypt("secret", "xA"));
  // Units after the second do not count.
  EXPECT_EQ(game_crypt(u"secret", u"xyz"), system_crypt("secret", "xy"));
}

TEST(Crypt, OnlyTheLowByteOfTheFirstEightUnitsCounts) {
  struct Case {
    std::u16string key;
    std::string same_as;
  } cases[] = {
      {u"\u0101bc", "\x01" "bc"},         // the high byte falls away
      {u"\u4141\u4242", "AB"},
      {u"\u00c1\u00e2", "Ab"},            // so does the top bit of the low byte
      {u"abcdefgh\u0101", "abcdefgh"},    // a ninth unit does not count
      {u"abcdefghXYZ", "abcdefgh"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(game_crypt(c.key, u"Pq"), system_crypt(c.same_as, "Pq")) << c.same_as;
}

TEST(Crypt, SaltCodesBesideTheAlphabetActLikeTheCharacterOfTheSameValue) {
  // Code ranges outside the usual alphabet and the usual character whose value they share.
  struct Range {
    int first, last;
    char same_first;  // the character for `first`; the following codes follow it
    bool constant;    // every code of the range counts as same_first
  } ranges[] = {
      {1, 45, '.', true},     // below the alphabet: 0
      {58, 64, '3', false},   // ":" .. "@": 5 .. 11, like "3" .. "9"
      {91, 96, 'U', false},   // "[" .. "`": 32 .. 37, like "U" .. "Z"
      {123, 127, '.', true},  // above it: 0
  };
  for (const Range& r : ranges) {
    for (int code = r.first; code <= r.last; ++code) {
      const char same = r.constant ? r.same_first : static_cast<char>(r.same_first + (code - r.first));
      for (int position = 0; position < 2; ++position) {
        std::u16string salt = u"zz";
        std::string usual = "zz";
        salt[position] = static_cast<char16_t>(code);
        usual[position] = same;
        const std::string got = game_crypt(u"Gockel7e2", salt);
        EXPECT_EQ(got[position], static_cast<char>(code)) << "the output begins with the salt as given";
        EXPECT_EQ(hash_part(got), hash_part(system_crypt("Gockel7e2", usual)))
            << "code " << code << " at position " << position;
      }
    }
  }
}

TEST(Crypt, TheWideMasksOfCodes128To130PerturbTheHash) {
  // The values the design gives the three codes: 32-bit masks, not 0.
  EXPECT_EQ(crypt3::salt_value(128), 0x01010000u);
  EXPECT_EQ(crypt3::salt_value(129), 0x01010101u);
  EXPECT_EQ(crypt3::salt_value(130), 0x01010100u);
  const std::string plain = hash_part(game_crypt(u"key", u"P."));
  std::string previous;
  for (char16_t code : {u'\u0080', u'\u0081', u'\u0082'}) {
    const std::u16string salt = {u'P', code};
    const std::string once = hash_part(game_crypt(u"key", salt));
    EXPECT_EQ(once, hash_part(game_crypt(u"key", salt))) << "the same every time";
    EXPECT_NE(once, plain) << "code " << static_cast<int>(code) << " acts like a salt of 0";
    EXPECT_NE(once, previous);
    previous = once;
    // As first salt unit too.
    EXPECT_NE(hash_part(game_crypt(u"key", std::u16string{code, u'.'})), plain);
  }
}
