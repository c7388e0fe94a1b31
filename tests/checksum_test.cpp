// SPDX-License-Identifier: GPL-3.0-or-later
// The weighted checksum against its rule written as a plain byte loop: every length around the
// block sizes, weights and steps of every kind (negative, past the cycle, at the 32-bit edges),
// start sums that wrap, data that does not start on a vector boundary, and the graphics
// fingerprint of the real archives.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/resources/checksum.h"
#include "game/resources/log.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

namespace {

// For each byte: sum += weight * byte; weight = ((weight + step) mod 9) + 3, 32-bit wrapping.
std::int32_t byte_rule(std::int32_t sum, const unsigned char* data, std::int32_t length,
                       std::int32_t weight, std::int32_t step) {
  auto s = static_cast<std::uint32_t>(sum);
  for (std::int32_t i = 0; i < length; ++i) {
    s += static_cast<std::uint32_t>(weight) * data[i];
    weight = static_cast<std::int32_t>(static_cast<std::uint32_t>(weight) +
                                       static_cast<std::uint32_t>(step)) % 9 + 3;
  }
  return static_cast<std::int32_t>(s);
}

std::vector<unsigned char> random_bytes(std::size_t count, unsigned seed) {
  std::mt19937 generator(seed);
  std::vector<unsigned char> bytes(count);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(generator() & 0xFF);
  return bytes;
}

TEST(WeightedSum, MatchesTheByteRuleForEveryLengthWeightAndStep) {
  // Steps -20..20 make the weights fall into cycles of 1, 3, 5, 8 and 9 values after lead-ins
  // of up to 12 bytes; the rest add the 32-bit wrap-around of weight + step.
  std::vector<std::int32_t> steps = {INT32_MIN, INT32_MIN + 3, INT32_MAX, INT32_MAX - 4, 1 << 30,
                                     1000000007};
  for (std::int32_t s = -20; s <= 20; ++s) steps.push_back(s);
  const std::int32_t weights[] = {7, 0, 3, 11, -5, -9, 12, 1000, INT32_MAX, INT32_MIN};
  // Short runs, the switch to blocks at 64, and around blocks of 144 (a cycle of 9) and 272.
  const std::int32_t lengths[] = {0,   1,   2,   17,  63,  64,  65,  100, 143,
                                  144, 145, 160, 271, 272, 273, 289, 1000, 4099};
  const std::int32_t sums[] = {0, INT32_MIN + 17};
  const auto data = random_bytes(4099 + 16, 1);
  for (const std::size_t offset : {std::size_t{0}, std::size_t{5}}) {
    const unsigned char* bytes = data.data() + offset;
    for (const std::int32_t step : steps)
      for (const std::int32_t weight : weights)
        for (const std::int32_t length : lengths)
          for (const std::int32_t sum : sums)
            ASSERT_EQ(res::weighted_sum(sum, bytes, length, weight, step),
                      byte_rule(sum, bytes, length, weight, step))
                << "offset " << offset << " step " << step << " weight " << weight << " length "
                << length << " sum " << sum;
  }
}

TEST(WeightedSum, LongRunsOfHighBytesWrapLikeTheByteRule) {
  // A megabyte of 0xFF and one of random bytes: the partial sums pass 2^32 many times over.
  struct Case {
    const char* what;
    std::vector<unsigned char> bytes;
  };
  const Case cases[] = {
      {"all 0xFF", std::vector<unsigned char>((1 << 20) + 7, 0xFF)},
      {"random", random_bytes((1 << 20) + 7, 2)},
  };
  const struct {
    std::int32_t sum, weight, step;
  } starts[] = {{0, 7, 5}, {INT32_MAX, 11, 1}, {-1, -5, -7}, {123456789, INT32_MIN, INT32_MAX}};
  for (const Case& c : cases)
    for (const auto& start : starts) {
      const auto length = static_cast<std::int32_t>(c.bytes.size());
      EXPECT_EQ(res::weighted_sum(start.sum, c.bytes.data(), length, start.weight, start.step),
                byte_rule(start.sum, c.bytes.data(), length, start.weight, start.step))
          << c.what << " weight " << start.weight << " step " << start.step;
    }
}

// The start-up load of an archive's pictures; returns the fingerprint text it writes.
std::string catalogue_fingerprint(const std::string& archive) {
  gfx::reset_fingerprint();
  if (!res::xfinit(archive.c_str())) return "no archive " + archive;
  gfx::load_catalogue();
  const std::string text = gfx::graphics_fingerprint();
  for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
  gfx::release_layer_pictures();
  res::xfdone();
  return text;
}

std::int32_t byte_rule_of_bytes(std::int32_t sum, const void* data, std::int32_t length,
                                std::int32_t weight, std::int32_t step) {
  return byte_rule(sum, static_cast<const unsigned char*>(data), length, weight, step);
}

TEST(WeightedSum, RealArchivesGiveTheFingerprintOfTheByteRule) {
  // Every picture byte of each edition's archive, in the chunks the loaders sum: once with the
  // checksum the game uses, once with the rule byte by byte.
  test_support::InScratchDir here;
  gfxtest::open_display();
  res::debug_log_set_path((here.path() / "debug.txt").c_str());
  res::debug_log_reset();
  for (const char* edition : {"XS", "XL", "XXL"}) {
    const std::string archive = (test_support::data_dir() / edition / "grumboldX.dat").string();
    const std::string fast = catalogue_fingerprint(archive);
    gfx::set_fingerprint_checksum(byte_rule_of_bytes);
    const std::string by_byte = catalogue_fingerprint(archive);
    gfx::set_fingerprint_checksum(nullptr);
    EXPECT_EQ(fast.size(), 256u) << edition << ": " << fast;
    EXPECT_EQ(fast, by_byte) << edition;
  }
  gfx::reset_fingerprint();
  test_support::reset_app_state();
}

}  // namespace
