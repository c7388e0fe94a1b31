// SPDX-License-Identifier: GPL-3.0-or-later
// The log, the memory guards, the checksum, the result-code reporters and the random numbers.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "game/resources/checksum.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/resources/random.h"
#include "platform/dx_results.h"
#include "tests/test_support.h"

using test_support::InScratchDir;
using test_support::read_file;

TEST(WeightedSum, KnownValueAndEmptyInput) {
  EXPECT_EQ(res::weighted_sum(0, "abc", 3, 7, 5), 1762);
  EXPECT_EQ(res::weighted_sum(1234, "abc", 0, 7, 5), 1234);
  EXPECT_EQ(res::weighted_sum(1234, "abc", -4, 7, 5), 1234);
  // Bytes count as unsigned, and the sum wraps like a 32-bit integer.
  const unsigned char high[] = {0xFF};
  EXPECT_EQ(res::weighted_sum(0, high, 1, 3, 0), 765);
  EXPECT_EQ(res::weighted_sum(INT32_MAX, high, 1, 1, 0), static_cast<std::int32_t>(0x800000FEu));
  // A run continues where a previous one stopped when the weight is carried along.
  EXPECT_EQ(res::weighted_sum(res::weighted_sum(0, "ab", 2, 7, 5), "c", 1, 5, 5), 1762);
}

TEST(Log, EachRunStartsAFreshFileAndLinesAppend) {
  InScratchDir here;
  res::debug_log_reset();
  res::debug_log("first run %d\n", 1);
  res::debug_log_reset();
  res::debug_log("second run\n");
  res::debug_log("value %s\n", "x");
  EXPECT_EQ(read_file("debug.txt"), "second run\nvalue x\n");
}

TEST(Reporters, LinesForKnownUnknownAndSuccess) {
  InScratchDir here;
  res::debug_log_reset();
  EXPECT_FALSE(res::report_dd_error(0, "game/gfx", 10));
  EXPECT_FALSE(res::report_ds_error(0, "game/sound", 11));
  EXPECT_EQ(read_file("debug.txt"), "");

  EXPECT_TRUE(res::report_dd_error(plat::DDERR_SURFACELOST, "game/gfx", 12));
  EXPECT_TRUE(res::report_dd_error(plat::DSERR_BUFFERLOST, "game/gfx", 13));  // only in the sound table
  EXPECT_TRUE(res::report_ds_error(plat::DSERR_BUFFERLOST, "game/sound", 14));
  EXPECT_TRUE(res::report_ds_error(plat::DSERR_GENERIC, "game/sound", 15));  // generic code, own prefix
  EXPECT_TRUE(res::report_dd_error(plat::DDERR_GENERIC, "game/gfx", 16));
  EXPECT_EQ(read_file("debug.txt"),
            "DirectX Error (887601c2) in file game/gfx in line 12: \"DDERR_SURFACELOST\"\n"
            "DirectX Error (88780096) in file game/gfx in line 13: \"Unknown error (88780096)\"\n"
            "DirectSound Error (88780096) in file game/sound in line 14: \"DSERR_BUFFERLOST\"\n"
            "DirectSound Error (80004005) in file game/sound in line 15: \"DSERR_GENERIC\"\n"
            "DirectX Error (80004005) in file game/gfx in line 16: \"DDERR_GENERIC\"\n");
}

TEST(Reporters, OverlongLineIsCutTo499Characters) {
  InScratchDir here;
  res::debug_log_reset();
  const std::string long_source(600, 's');
  EXPECT_TRUE(res::report_dd_error(plat::DDERR_NOTFOUND, long_source.c_str(), 1));
  const std::string line = read_file("debug.txt");
  EXPECT_EQ(line.size(), 499u);
  EXPECT_EQ(line.rfind("DirectX Error (887600ff) in file sss", 0), 0u);
}

TEST(MemoryDeathTest, ExhaustedHeapLogsAndEndsWithCode1) {
  InScratchDir here;
  res::debug_log_reset();
  EXPECT_EXIT(res::xmalloc(SIZE_MAX / 2, "game/gfx/sprites.cpp", 321), testing::ExitedWithCode(1), "");
  EXPECT_EQ(read_file("debug.txt"), "ERROR: not enough memory in game/gfx/sprites.cpp, line 321\n");
  void* block = res::xmalloc(16, __FILE__, __LINE__);
  EXPECT_EXIT(res::xrealloc(block, SIZE_MAX / 2, "game/sound/sounds.cpp", 7), testing::ExitedWithCode(1), "");
  res::xfree(block, __FILE__, __LINE__);
}

TEST(Random, KnownSequenceOnEveryPlatform) {
  res::random_seed(1);
  const int expected[] = {41, 18467, 6334, 26500, 19169};
  for (int v : expected) EXPECT_EQ(res::random(32768), v);
}

TEST(Random, SameSeedSameSequenceAndRanges) {
  res::random_seed(12345);
  int first[20];
  for (int& v : first) v = res::random(1000);
  res::random_seed(12345);
  for (int v : first) EXPECT_EQ(res::random(1000), v);
  EXPECT_EQ(res::random(0), 0);
  EXPECT_EQ(res::random(-3), 0);
  bool seen[6] = {};
  for (int i = 0; i < 600; ++i) {
    const int v = res::random(6);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 6);
    seen[v] = true;
  }
  for (bool s : seen) EXPECT_TRUE(s);
}
