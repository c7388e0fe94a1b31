// SPDX-License-Identifier: GPL-3.0-or-later
// The recording of a game for the upload: the event log with its ticks, noise blocks, hit codes
// and counters, the frame log and its packed input, the replay text and the event record with
// their inverses, and the integrity values.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/picture.h"
#include "game/qzX/record_mask.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/resources/memory.h"
#include "game/resources/random.h"
#include "platform/platform.h"

namespace {

using namespace qzx;

constexpr std::uint32_t start_seconds = 1262347322;  // 2010-01-01 12:02:02 UTC
constexpr std::uint32_t start_millis = 481;

std::uint32_t le32(const std::uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::string hex(const std::uint8_t* bytes, std::size_t length) {
  std::string out;
  char pair[3];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
    out += pair;
  }
  return out;
}

// The noise generator's step written out: state * 123 + 17 modulo 2^32, as a signed value.
std::int32_t noise_step_rule(std::int32_t s) {
  const std::int64_t next = (static_cast<std::int64_t>(s) * 123 + 17) & 0xFFFFFFFFLL;
  return static_cast<std::int32_t>(next >= 0x80000000LL ? next - 0x100000000LL : next);
}

class Recording : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_edition_ = app::edition;
    app::edition = app::edition_xl;
    record_start_at(start_seconds, start_millis);
    reset_score_accumulators();
  }
  void TearDown() override { app::edition = saved_edition_; }

  // The log's entries from index `from` on.
  static std::vector<EventEntry> events_from(int from) {
    std::vector<EventEntry> out;
    for (int i = from; i < event_count(); ++i) out.push_back(event_at(i));
    return out;
  }
  static std::uint16_t bucket(int index) { return le16(event_log + 18 + 2 * index); }

 private:
  int saved_edition_ = 2;
};

// ---- event log -------------------------------------------------------------------------------

TEST_F(Recording, AQuietGameGetsANoiseBlockAndAMarkerEveryTenSeconds) {
  noise_state = 999;
  record_score_change(10);  // accumulators 67, 4535, 484
  // Frames of 0.07 s up to 35 s: ticks at 10, 20 and 30 s.
  for (elapsed_hundredths = 0; elapsed_hundredths <= 3500; elapsed_hundredths += 7) record_tick();

  const std::vector<EventEntry> log = events_from(0);
  std::vector<std::int16_t> markers;
  std::vector<int> marker_times;
  std::size_t i = 0;
  while (i < log.size()) {
    const int code = log[i].code;
    ASSERT_GE(code, 50011) << "entry " << i;
    ASSERT_LE(code, 50020) << "entry " << i;
    i += 1 + static_cast<std::size_t>(code - 50010);  // the block's pairs
    ASSERT_LT(i, log.size());
    ASSERT_EQ(log[i].code, 50000);
    markers.push_back(log[i].value);
    ++i;
  }
  EXPECT_EQ(markers, (std::vector<std::int16_t>{67, 4535, 484}));
  // Noise codes and markers are counted; the pairs are not.
  EXPECT_EQ(bucket(3), 6);
  EXPECT_EQ(bucket(0) + bucket(1) + bucket(2), 0);

  // The first block, from the rule: o = 999, n = (999 mod 5) + 8 = 12, held at 10.
  std::int32_t d = noise_step_rule(999);
  EXPECT_EQ(log[0].code, 50020);
  EXPECT_EQ(log[0].value, 1001);  // the elapsed time of the frame that ran the tick
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(static_cast<std::int16_t>(log[1 + k].code), d % 100) << "pair " << k;
    EXPECT_EQ(log[1 + k].value, noise_step_rule(d) & 0x7FFF) << "pair " << k;
    d = noise_step_rule(noise_step_rule(d));
  }
}

TEST_F(Recording, TheNoiseBlockSizeFollowsTheStateAndTheEventsSinceTheTick) {
  struct Case {
    std::int32_t state;
    int events;   // recorded since the last tick
    int pairs;    // expected n
  };
  // Remainders of negative states are negative; n is held within 1..10.
  const Case cases[] = {{999, 0, 10}, {-7, 0, 6}, {-7, 5, 1}, {-9, 7, 1}, {3, 4, 7}, {10, 7, 1}};
  for (const Case& c : cases) {
    record_start_at(start_seconds, start_millis);
    noise_state = c.state;
    for (int e = 0; e < c.events; ++e) record_event(7);
    elapsed_hundredths = 1000;
    record_tick();
    const std::vector<EventEntry> log = events_from(c.events);
    ASSERT_EQ(log.size(), static_cast<std::size_t>(c.pairs + 2)) << c.state << " " << c.events;
    EXPECT_EQ(log[0].code, 50010 + c.pairs);
    // The first pair comes from one step of the state, and the state moves on 1 + 2n steps.
    std::int32_t d = noise_step_rule(c.state);
    EXPECT_EQ(static_cast<std::int16_t>(log[1].code), d % 100);
    for (int k = 0; k < c.pairs; ++k) d = noise_step_rule(noise_step_rule(d));
    EXPECT_EQ(noise_state, d);
    EXPECT_EQ(log.back().code, 50000);
  }
}

TEST_F(Recording, ABusyStretchHasNoNoiseAndTheMarkerKeepsAValueOfMinusOne) {
  // Accumulator 0 = 37 + 3 * 43678 = 0x1FFFF: its low half reads as -1 and must not be taken
  // for "the elapsed time".
  record_score_change(43678);
  for (int e = 0; e < 8; ++e) record_event(60 + e, e);
  elapsed_hundredths = 1000;
  record_tick();
  ASSERT_EQ(event_count(), 9);
  EXPECT_EQ(event_at(8).code, 50000);
  EXPECT_EQ(event_at(8).value, -1);
  // Not yet time for the next tick.
  elapsed_hundredths = 1999;
  record_tick();
  EXPECT_EQ(event_count(), 9);
}

TEST_F(Recording, ChickenHitsOfOtherWorthRecordNothingButMoveTheHitCodeOn) {
  elapsed_hundredths = 1234;
  const int points[] = {5, 30, 5, 50, 25, 10, 7, 20};
  for (int p : points) record_hit_points(p);
  const std::vector<std::uint16_t> expected = {100, 110, 124, 126, 138};
  ASSERT_EQ(event_count(), static_cast<int>(expected.size()));
  for (int i = 0; i < event_count(); ++i) {
    EXPECT_EQ(event_at(i).code, expected[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(event_at(i).value, 1234);
  }
  // A new recording starts the codes again.
  record_start_at(start_seconds, start_millis);
  record_hit_points(15);
  EXPECT_EQ(event_at(0).code, 102);
}

TEST_F(Recording, EventsKeepTheirValueOrTakeTheElapsedTimeAndCountInTheirBucket) {
  elapsed_hundredths = 9999;
  const struct {
    int code, value;
    int bucket;
    std::int16_t stored;
  } cases[] = {{1, -1, 0, 9999},         {49, 17, 0, 17},         {50, -25, 1, -25},
               {99, -1, 1, 9999},        {100, 0, 2, 0},          {49999, 32767, 2, 32767},
               {50000, -1, 3, 9999},     {50001, -1, 3, 9999},    {65535, -32768, 3, -32768}};
  for (const auto& c : cases) record_event(c.code, c.value);
  ASSERT_EQ(event_count(), 9);
  int per_bucket[4] = {};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(event_at(i).code, cases[i].code);
    EXPECT_EQ(event_at(i).value, cases[i].stored);
    ++per_bucket[cases[i].bucket];
  }
  for (int b = 0; b < 4; ++b) EXPECT_EQ(bucket(b), per_bucket[b]) << "bucket " << b;
  EXPECT_EQ(le32(event_log + 28), 9u);
}

TEST_F(Recording, TheShotCountersLieInTheHeader) {
  for (int i = 0; i < 5; ++i) count_shot();
  for (int i = 0; i < 3; ++i) count_empty_click();
  count_reload();
  EXPECT_EQ(shots_counted(), 5);
  EXPECT_EQ(empty_clicks_counted(), 3);
  EXPECT_EQ(reloads_counted(), 1);
  EXPECT_EQ(le16(event_log + 12), 1);
  EXPECT_EQ(le16(event_log + 14), 5);
  EXPECT_EQ(le16(event_log + 16), 3);
}

TEST_F(Recording, FullLogsStopSilently) {
  // A busy first ten seconds fill the log but for 4 entries; the quiet next ten seconds bring a
  // noise block of 10 pairs of which only 3 fit, and the marker is lost.
  for (int i = 0; i < max_events - 5; ++i) record_event(10, i & 0x7FFF);
  elapsed_hundredths = 1000;
  record_tick();
  ASSERT_EQ(event_count(), max_events - 4);
  noise_state = 999;
  elapsed_hundredths = 2000;
  record_tick();
  EXPECT_EQ(event_count(), max_events);
  EXPECT_EQ(event_at(max_events - 4).code, 50020);
  std::int32_t d = noise_step_rule(999);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(static_cast<std::int16_t>(event_at(max_events - 3 + k).code), d % 100);
    d = noise_step_rule(noise_step_rule(d));
  }
  for (int k = 3; k < 10; ++k) d = noise_step_rule(noise_step_rule(d));
  EXPECT_EQ(noise_state, d);  // the generator ran through the whole block all the same
  record_event(11);
  record_hit_points(5);
  EXPECT_EQ(event_count(), max_events);
  EXPECT_EQ(bucket(0), max_events - 5);
  EXPECT_EQ(bucket(3), 2);  // the first marker and the noise code
  EXPECT_EQ(event_at(max_events).code, 0);  // past the end: nothing

  for (int i = 0; i < max_frames; ++i) record_frame(1092, static_cast<std::uint32_t>(i));
  record_frame(655, 0xFFFFFFFFu);
  EXPECT_EQ(frame_count_recorded(), max_frames);
  EXPECT_EQ(frame_at(max_frames - 1).input, static_cast<std::uint32_t>(max_frames - 1));
}

TEST_F(Recording, TheScoreAccumulatorsMoveWithEveryScoreChange) {
  EXPECT_EQ(score_accumulator(0), 37);
  EXPECT_EQ(score_accumulator(1), 4555);
  EXPECT_EQ(score_accumulator(2), 434);
  record_score_change(10);
  record_score_change(-4);
  EXPECT_EQ(score_accumulator(0), 37 + 18);
  EXPECT_EQ(score_accumulator(1), 4555 - 12);
  EXPECT_EQ(score_accumulator(2), 434 + 30);
  reset_score_accumulators();
  EXPECT_EQ(score_accumulator(0), 37);
}

TEST_F(Recording, TheStartStoresTheTimeInBothLogsAndSeedsTheGame) {
  app::edition = app::edition_xxl;
  elapsed_hundredths = 500;
  count_shot();
  record_frame(1092, 1);
  record_start_at(start_seconds, 70000);  // only the low 16 bits of the millis are kept
  EXPECT_EQ(log_start_seconds(), start_seconds);
  EXPECT_EQ(log_start_millis(), 70000u - 65536u);
  EXPECT_EQ(std::memcmp(event_log, frame_log, 8), 0);
  EXPECT_EQ(le32(frame_log + 16), 2u);  // edition index
  EXPECT_EQ(elapsed_hundredths, 0);
  EXPECT_EQ(shots_counted(), 0);
  EXPECT_EQ(event_count(), 0);
  EXPECT_EQ(frame_count_recorded(), 0);

  record_start_at(start_seconds, start_millis);
  std::vector<int> game;
  for (int i = 0; i < 8; ++i) game.push_back(res::random(1000));
  res::random_seed(start_millis + (start_seconds % 86400) * 1000);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(game[static_cast<std::size_t>(i)], res::random(1000)) << i;
}

TEST_F(Recording, TheStartReadsTheWallClock) {
  plat::shutdown();
  setenv("GRUMBOLDX_TIME", "1262347322", 1);
  setenv("GRUMBOLDX_FRAME_MS", "25", 1);
  ASSERT_TRUE(plat::init_headless());
  for (int i = 0; i < 41; ++i) plat::wait_frame_end(plat::time_ms(), 10);  // 1.025 s
  const std::int64_t now = plat::wall_time_ms();
  record_start();
  plat::shutdown();
  unsetenv("GRUMBOLDX_TIME");
  unsetenv("GRUMBOLDX_FRAME_MS");
  EXPECT_EQ(log_start_seconds(), static_cast<std::uint32_t>(now / 1000));
  EXPECT_EQ(log_start_millis(), static_cast<std::uint32_t>(now % 1000));
  EXPECT_NE(log_start_millis(), 0u);
}

// ---- frame log -------------------------------------------------------------------------------

TEST(PackInput, FieldsLieInTheirBits) {
  struct Case {
    int x, y;
    bool left, right, click, right_click;
    std::int32_t round_time;
    std::uint32_t packed;
  };
  const Case cases[] = {
      {0, 0, false, false, false, false, 10 << 16, 10u << 25},
      {799, 599, false, false, false, false, 1 << 16, 799u | 599u << 10 | 1u << 25},
      {1, 2, true, false, false, false, 65536, 1u | 2u << 10 | 1u << 20 | 1u << 25},
      {0, 0, false, true, false, false, 65536, 1u << 21 | 1u << 25},
      {0, 0, false, false, true, false, 65536, 1u << 22 | 1u << 25},
      {0, 0, false, false, false, true, 65536, 1u << 23 | 1u << 25},
      {0, 0, false, false, false, false, 5963710, 90u << 25},    // 91 s less 66/65536
      {0, 0, false, false, false, false, 130 << 16, 2u << 25},   // only 7 bits of seconds
      {0, 0, false, false, false, false, 1, 0u},                 // not yet over
      {0, 0, false, false, false, false, 0, 1u << 24},           // time over
      {0, 0, false, false, false, false, -1, 1u << 24 | 0x7Fu << 25},  // whole seconds -1
  };
  for (const Case& c : cases)
    EXPECT_EQ(pack_input(c.x, c.y, c.left, c.right, c.click, c.right_click, c.round_time),
              c.packed)
        << c.x << "," << c.y << " t=" << c.round_time;
}

TEST_F(Recording, FrameEntriesHoldTheFrameTimeAndTheInput) {
  record_frame(1092, 0x12345678u);
  record_frame(6553, 7u);
  ASSERT_EQ(frame_count_recorded(), 2);
  EXPECT_EQ(frame_at(0).frame_time, 1092);
  EXPECT_EQ(frame_at(1).input, 7u);
  const std::uint8_t entry[8] = {0x44, 0x04, 0, 0, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(std::memcmp(frame_log + 20, entry, 8), 0);
  EXPECT_EQ(le32(frame_log + 8), 2u);
}

// ---- replay text -----------------------------------------------------------------------------

TEST(Keystream, FollowsItsStepAndOutputRule) {
  const std::uint32_t seeds[] = {0, 1, 12345, 0x80000000u, 86399999u};
  for (std::uint32_t seed : seeds) {
    Keystream keys(seed);
    std::uint64_t s = seed ? seed : 1;
    for (int i = 0; i < 50; ++i) {
      s = ((s & 1) * 371945 + 0x100000000ULL * 94325 - (s >> 1) * 94325) & 0xFFFFFFFFULL;
      EXPECT_EQ(keys.next(), static_cast<std::uint8_t>((s * 149943) & 0xFF)) << seed << " " << i;
    }
  }
  EXPECT_EQ(keystream_seed(start_seconds, start_millis),
            start_millis + (start_seconds % 86400) * 1000);
}

// The frame log's used part made into a replay text the way the game does, for texts that
// differ from the game's in one chosen way.
std::string make_replay_text(const std::vector<std::uint8_t>& block, std::uint32_t seconds,
                             std::uint32_t millis) {
  std::vector<std::uint8_t> packed(compressBound(block.size()));
  uLongf m = packed.size();
  EXPECT_EQ(compress(packed.data(), &m, block.data(), block.size()), Z_OK);
  packed.resize(m);
  Keystream keys(keystream_seed(seconds, millis));
  for (std::uint8_t& b : packed) b ^= keys.next();
  std::uint8_t start[8];
  for (int i = 0; i < 4; ++i) {
    start[i] = static_cast<std::uint8_t>((seconds >> (8 * i)) ^ record_mask);
    start[4 + i] = static_cast<std::uint8_t>((millis >> (8 * i)) ^ record_mask);
  }
  return hex(start, 8) + hex(packed.data(), packed.size());
}

std::vector<std::uint8_t> header(std::uint32_t seconds, std::uint32_t millis, std::uint32_t frames,
                                 std::size_t entries) {
  std::vector<std::uint8_t> block(20 + 8 * entries, 0);
  for (int i = 0; i < 4; ++i) {
    block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(seconds >> (8 * i));
    block[static_cast<std::size_t>(4 + i)] = static_cast<std::uint8_t>(millis >> (8 * i));
    block[static_cast<std::size_t>(8 + i)] = static_cast<std::uint8_t>(frames >> (8 * i));
  }
  return block;
}

std::string masked_start_hex() {
  std::uint8_t start[8];
  for (int i = 0; i < 8; ++i) start[i] = static_cast<std::uint8_t>(frame_log[i] ^ record_mask);
  return hex(start, 8);
}

TEST_F(Recording, AnEmptyFrameLogGivesTheStartTimeAndTheCompressedHeaderOnly) {
  record_finish();
  const std::string text = replay_text();
  ASSERT_GT(text.size(), 16u);
  EXPECT_EQ(text.substr(0, 16), masked_start_hex());
  EXPECT_EQ(text.find_first_not_of("0123456789abcdef"), std::string::npos);

  // Unscrambled and inflated by hand, the rest is the 20-byte header.
  std::vector<std::uint8_t> packed((text.size() - 16) / 2);
  for (std::size_t i = 0; i < packed.size(); ++i)
    packed[i] = static_cast<std::uint8_t>(std::stoi(text.substr(16 + 2 * i, 2), nullptr, 16));
  Keystream keys(keystream_seed(start_seconds, start_millis));
  for (std::uint8_t& b : packed) b ^= keys.next();
  std::vector<std::uint8_t> plain(100);
  uLongf length = plain.size();
  ASSERT_EQ(uncompress(plain.data(), &length, packed.data(), packed.size()), Z_OK);
  ASSERT_EQ(length, 20u);
  EXPECT_EQ(std::memcmp(plain.data(), frame_log, 20), 0);
  EXPECT_EQ(le32(plain.data() + 8), 0u);
  EXPECT_EQ(le32(plain.data() + 16), 1u);  // edition XL
}

TEST_F(Recording, AReplayTextDecodesToTheFrameLogWithItsCrc) {
  for (int i = 0; i < 3000; ++i)
    record_frame(1092 + i % 7, pack_input(i % 800, i % 600, i % 3 == 0, false, i % 11 == 0,
                                          i % 97 == 0, 5963710 - i * 1092));
  record_finish();
  const std::string first = replay_text();
  record_finish();  // a second text over the same log is the same text
  const std::string text = replay_text();
  EXPECT_EQ(text, first);

  DecodedReplay replay;
  ASSERT_TRUE(decode_replay_text(text.data(), text.size(), replay));
  EXPECT_EQ(replay.start_seconds, start_seconds);
  EXPECT_EQ(replay.start_millis, start_millis);
  ASSERT_EQ(replay.length, 20u + 8 * 3000);
  EXPECT_EQ(std::memcmp(replay.frame_log_bytes, frame_log, replay.length), 0);

  // The CRC is that of the whole block with its field still 0.
  std::vector<std::uint8_t> block(frame_log, frame_log + frame_log_size);
  std::memset(block.data() + 12, 0, 4);
  EXPECT_EQ(le32(replay.frame_log_bytes + 12), crc32(0L, block.data(), block.size()));
  res::xfree(replay.frame_log_bytes, __FILE__, __LINE__);
}

TEST_F(Recording, AFullFrameLogMakesAReplayTextThatDecodes) {
  for (int i = 0; i < max_frames; ++i)
    record_frame(655 + (i * 7919) % 5898, static_cast<std::uint32_t>(i) * 2654435761u);
  record_finish();
  const std::string text = replay_text();
  DecodedReplay replay;
  ASSERT_TRUE(decode_replay_text(text.data(), text.size(), replay));
  ASSERT_EQ(replay.length, frame_log_size);
  EXPECT_EQ(std::memcmp(replay.frame_log_bytes, frame_log, frame_log_size), 0);
  res::xfree(replay.frame_log_bytes, __FILE__, __LINE__);
}

TEST_F(Recording, TextsThatAreNoReplayAreRefused) {
  record_frame(1092, 5);
  record_finish();
  const std::string good = replay_text();
  std::string wrong_case = good;
  wrong_case[20] = 'x';
  std::string last_flipped = good;
  last_flipped.back() = last_flipped.back() == '0' ? '1' : '0';

  // 87497 frames: a header that agrees with its length, which is past any frame log.
  const std::vector<std::uint8_t> huge = header(1, 2, 87497, 87497);
  const struct {
    const char* why;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"start time only", good.substr(0, 16)},
      {"odd length", good.substr(0, good.size() - 1)},
      {"not hex in the start", "zz" + good.substr(2)},
      {"not hex in the stream", wrong_case},
      {"cut short", good.substr(0, good.size() - 2)},
      {"bytes after the stream", good + "00"},
      {"broken check sum", last_flipped},
      {"not a stream", good.substr(0, 16) + std::string(40, '0')},
      {"frame count without entries", make_replay_text(header(1, 2, 5, 0), 1, 2)},
      {"entries without a frame count", make_replay_text(header(1, 2, 0, 1), 1, 2)},
      {"a header shorter than 20 bytes", make_replay_text({1, 2, 3}, 1, 2)},
      {"a different start time inside", make_replay_text(header(1, 3, 0, 0), 1, 2)},
      {"inflates past a frame log", make_replay_text(huge, 1, 2)},
      {"longer than any text the game makes", std::string(2 * (frame_log_size + 1100), 'a')},
  };
  for (const auto& c : cases) {
    DecodedReplay replay;
    EXPECT_FALSE(decode_replay_text(c.text.data(), c.text.size(), replay)) << c.why;
    EXPECT_EQ(replay.frame_log_bytes, nullptr) << c.why;
    EXPECT_EQ(replay.length, 0u) << c.why;
  }
  // The same way of making a text gives one that decodes, so the refusals above are for the
  // one thing each case changes.
  DecodedReplay replay;
  const std::string made = make_replay_text(header(1, 2, 1, 1), 1, 2);
  ASSERT_TRUE(decode_replay_text(made.data(), made.size(), replay));
  EXPECT_EQ(replay.length, 28u);
  res::xfree(replay.frame_log_bytes, __FILE__, __LINE__);
  EXPECT_FALSE(decode_replay_text(nullptr, 0, replay));
}

TEST_F(Recording, TheEventRecordIsScrambledAndUnscramblesToTheLog) {
  elapsed_hundredths = 321;
  for (int i = 0; i < 40; ++i) record_event(1 + i % 99);
  count_shot();
  std::size_t length = 0;
  std::uint8_t* bytes = event_record_bytes(-77, length);
  ASSERT_EQ(length, 32u + 4 * 40);
  EXPECT_EQ(static_cast<std::int32_t>(le32(event_log + 8)), -77);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[i], event_log[i] ^ record_mask) << i;
  // The keystream starts at byte 8.
  Keystream keys(keystream_seed(start_seconds, start_millis));
  for (std::size_t i = 8; i < length; ++i)
    ASSERT_EQ(bytes[i], event_log[i] ^ keys.next()) << i;
  unscramble_event_record(bytes, length);
  EXPECT_EQ(std::memcmp(bytes, event_log, length), 0);
  res::xfree(bytes, __FILE__, __LINE__);

  // Records shorter than the start time only lose their mask.
  std::uint8_t short_record[3] = {1, 2, 3};
  unscramble_event_record(short_record, 3);
  EXPECT_EQ(short_record[2], 3 ^ record_mask);
  unscramble_event_record(nullptr, 0);
}

// ---- integrity values ------------------------------------------------------------------------

TEST(Integrity, FiveHexValuesOfWhichOnlyTheThirdFollowsTheMagazine) {
  const Player saved_player = players[0];
  const RoundState saved_round = round;
  players[0].magazine_size = 8;
  round.spawn_range = 30;
  round.full_round_time = 5963710;
  integrity_values();
  const std::string full = integrity_text();
  ASSERT_EQ(full.size(), 40u);
  EXPECT_EQ(full.find_first_not_of("0123456789abcdef"), std::string::npos);
  // The sums of the spawn table, the size table and the magazine, worked out by hand from the
  // tables: a changed entry in either table changes the rules the server expects.
  EXPECT_EQ(full.substr(0, 8), "00000113");
  EXPECT_EQ(full.substr(8, 8), "0000002b");
  EXPECT_EQ(full.substr(16, 8), "00000038");
  EXPECT_EQ(full.substr(24, 8), "0000001e");
  EXPECT_EQ(full.substr(32, 8), "005affbe");

  players[0].magazine_size = 2;
  round.spawn_range = 10;
  round.full_round_time = 3997630;
  integrity_values();
  const std::string penalty = integrity_text();
  EXPECT_EQ(penalty.substr(0, 16), full.substr(0, 16));
  EXPECT_EQ(penalty.substr(16, 8), "0000000e");
  EXPECT_EQ(penalty.substr(24, 8), "0000000a");
  EXPECT_EQ(penalty.substr(32, 8), "003cffbe");

  // The check text: the graphics fingerprint, then the five values.
  gfx::reset_fingerprint();
  const std::uint8_t picture[] = {9, 8, 7, 6, 5};
  gfx::fingerprint_add(picture, sizeof picture);
  gfx::write_graphics_fingerprint();
  char check[297];
  check_text(check);
  EXPECT_EQ(std::string(check), std::string(gfx::graphics_fingerprint()) + penalty);
  EXPECT_EQ(std::strlen(check), 296u);
  gfx::reset_fingerprint();
  players[0] = saved_player;
  round = saved_round;
}

}  // namespace
