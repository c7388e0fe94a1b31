// SPDX-License-Identifier: GPL-3.0-or-later
// Account names and passwords: the rules, the yescrypt hashes and the cache of recent checks.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "server/accounts.h"

using namespace server;

namespace {

TEST(ServerAccounts, NamesAndPasswordsFollowTheRules) {
  struct Case {
    const char* text;
    bool name, password;
  } cases[] = {
      {"Gustav", true, true},       {"a", false, false},        {"ab", true, false},
      {"abcd", true, true},         {"max_m-1.x", true, true},  {"fünf", false, false},
      {"zwei worte", false, false}, {"123456789012345", true, false},
      {"1234567890123456", false, false}, {"geheim!12", false, true}, {"p&q=r", false, false},
      {"a+b%", false, false},       {"frage?", false, false},   {"", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(valid_user_name(c.text), c.name) << c.text;
    EXPECT_EQ(valid_password(c.text), c.password) << c.text;
  }
  EXPECT_EQ(name_key("GuStAv_1"), "gustav_1");
}

TEST(ServerAccounts, PasswordsAreKeptAsSaltedYescryptHashes) {
  const std::string a = hash_password("geheim12");
  const std::string b = hash_password("geheim12");
  ASSERT_EQ(a.rfind("$y$", 0), 0u) << a;
  EXPECT_NE(a, b);  // a fresh salt each time
  EXPECT_EQ(a.find("geheim12"), std::string::npos);
  EXPECT_TRUE(password_matches("geheim12", a));
  EXPECT_TRUE(password_matches("geheim12", b));
  EXPECT_FALSE(password_matches("geheim13", a));
  EXPECT_FALSE(password_matches("", a));
  EXPECT_FALSE(password_matches("geheim12", ""));
  EXPECT_FALSE(password_matches("geheim12", "*0"));
}

TEST(ServerAccounts, TheCacheKnowsOnlyTheCheckedPairWhileItsTimeLasts) {
  const std::string hash = hash_password("geheim12");
  CredentialCache cache;
  EXPECT_FALSE(cache.knows("Gustav", "geheim12", hash));
  EXPECT_EQ(check_password(cache, "Gustav", "geheim12", hash), PasswordCheck::right);
  EXPECT_TRUE(cache.knows("Gustav", "geheim12", hash));
  EXPECT_TRUE(cache.knows("gustav", "geheim12", hash));  // names without regard to case
  EXPECT_FALSE(cache.knows("Gustav", "geheim13", hash));
  EXPECT_FALSE(cache.knows("Gustav", "geheim12", hash_password("geheim12")));  // a new hash
  EXPECT_EQ(check_password(cache, "Gustav", "geheim13", hash), PasswordCheck::wrong);
  EXPECT_FALSE(cache.knows("Gustav", "geheim13", hash));

  CredentialCache brief(std::chrono::seconds(0));
  brief.remember("Gustav", "geheim12", hash);
  EXPECT_FALSE(brief.knows("Gustav", "geheim12", hash));
}

TEST(ServerAccounts, GuessingCostsTheGuesserNotTheServer) {
  const std::string hash = hash_password("geheim12");
  CredentialCache cache(std::chrono::minutes(10), GuessLimits{2, 3, std::chrono::seconds(60)});
  // The player's own pair, checked before the guessing starts, stays cheap and right throughout.
  ASSERT_EQ(check_password(cache, "Gustav", "geheim12", hash), PasswordCheck::right);
  for (const char* guess : {"raten1", "raten2", "raten3"})
    EXPECT_EQ(check_password(cache, "Gustav", guess, hash), PasswordCheck::wrong) << guess;
  const int hashes = cache.hashes_run();
  EXPECT_EQ(hashes, 4);
  // Held back: no more hash runs for this account, whatever is guessed; other accounts go on.
  EXPECT_EQ(check_password(cache, "Gustav", "raten4", hash), PasswordCheck::wait);
  EXPECT_EQ(check_password(cache, "GUSTAV", "raten5", hash), PasswordCheck::wait);
  EXPECT_EQ(cache.hashes_run(), hashes);
  EXPECT_EQ(check_password(cache, "Gustav", "geheim12", hash), PasswordCheck::right);
  EXPECT_EQ(check_password(cache, "Emma", "raten1", hash), PasswordCheck::wrong);

  // Many checks at once: never more than two hash runs together.
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] { check_password(cache, "Jemand" + std::to_string(i), "raten", hash); });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(cache.hashes_run(), hashes + 9);
  EXPECT_LE(cache.most_hashing_at_once(), 2);
  EXPECT_GE(cache.most_hashing_at_once(), 1);
}

}  // namespace
