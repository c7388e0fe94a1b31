// SPDX-License-Identifier: GPL-3.0-or-later
// The rule by which an upload's event log may differ from its re-simulation: made-up logs for
// each clause, and real games at several frame paces replayed from their upload data alone.
#include <gtest/gtest.h>

#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/replay_tolerance.h"
#include "game/resources/archive.h"
#include "game/resources/memory.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace qzx;
using Events = std::vector<qzx::EventEntry>;

namespace {

qzx::EventEntry e(int code, int value) {
  return qzx::EventEntry{static_cast<std::uint16_t>(code), static_cast<std::int16_t>(value)};
}

// Hits at 1, 2 and 3 s, a bonus for them, a target, the marker with a noise block of two pairs
// before it, and two more hits.
Events base() {
  return {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17),
          e(33, 99),   e(50000, 40), e(118, 1100), e(121, 1200)};
}
constexpr int base_score = 5 + 10 + 15 + 5 + 20 + 10;

TEST(ServerTolerance, EachClauseOfTheRule) {
  struct Case {
    const char* name;
    Events simulated;
    int simulated_score;
    int claimed_score;
    bool within, exact;
  } cases[] = {
      {"the same log", base(), base_score, base_score, true, true},
      {"another noise block length and pairs",
       {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50011, 1000), e(61, 5), e(50000, 40),
        e(118, 1100), e(121, 1200)},
       base_score, base_score, true, true},
      {"times within the slack",
       {e(100, 130), e(106, 200), e(112, 290), e(50003, 290), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 41), e(118, 1100), e(121, 1200)},
       base_score, base_score, true, true},
      {"a hit's time beyond the slack",
       {e(100, 151), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score, base_score, false, false},
      {"9999 matches any time",
       {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 9999)},
       base_score, base_score, true, true},
      {"a marker one event later",
       {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(118, 1100), e(50012, 1000), e(-5, 17),
        e(33, 99), e(50000, 45), e(121, 1200)},
       base_score, base_score, true, false},
      {"a marker four events earlier",
       {e(50012, 1000), e(-5, 17), e(33, 99), e(50000, 40), e(100, 100), e(106, 200), e(112, 300), e(50003, 300),
        e(7, 450), e(118, 1100), e(121, 1200)},
       base_score, base_score, false, false},
      {"a bonus for one hit more",
       {e(100, 100), e(106, 200), e(112, 300), e(50004, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score + 5, base_score, true, false},
      {"a bonus for one hit more, the score unexplained",
       {e(100, 100), e(106, 200), e(112, 300), e(50004, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score, base_score, false, false},
      {"the bonus missing in the replay",
       {e(100, 100), e(106, 200), e(112, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99), e(50000, 40),
        e(118, 1100), e(121, 1200)},
       base_score - 5, base_score, true, false},
      {"bonuses worth 25 points more in the replay",
       {e(100, 100), e(50006, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50003, 450),
        e(50012, 1000), e(-5, 17), e(33, 99), e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score + 25, base_score, false, false},
      {"five bonuses more in the replay",
       {e(100, 100), e(50003, 100), e(106, 200), e(50003, 200), e(112, 300), e(50003, 300), e(7, 450),
        e(50003, 450), e(50012, 1000), e(-5, 17), e(33, 99), e(50000, 40), e(118, 1100), e(50003, 1100),
        e(121, 1200), e(50003, 1200)},
       base_score + 25, base_score, false, false},
      {"a chain of moved bonuses that keeps the points",
       {e(100, 100), e(106, 200), e(50004, 210), e(112, 300), e(7, 450), e(50003, 520), e(50012, 1000),
        e(-5, 17), e(33, 99), e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score + 10, base_score, true, false},
      {"a hit of other points",
       {e(100, 100), e(107, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score + 5, base_score + 5, false, false},
      {"a hit more",
       {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(50000, 40), e(118, 1100), e(121, 1200), e(125, 1300)},
       base_score + 5, base_score + 5, false, false},
      {"a marker missing",
       {e(100, 100), e(106, 200), e(112, 300), e(50003, 300), e(7, 450), e(50012, 1000), e(-5, 17), e(33, 99),
        e(118, 1100), e(121, 1200)},
       base_score, base_score, false, false},
      {"a noise block missing beside a moved bonus",
       {e(100, 100), e(106, 200), e(112, 300), e(7, 450), e(50000, 40), e(118, 1100), e(121, 1200)},
       base_score - 5, base_score, true, false},
      {"the same log, another score", base(), base_score - 5, base_score, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Agreement a = compare_games(base(), c.claimed_score, c.simulated, c.simulated_score);
    EXPECT_EQ(a.within, c.within) << a.why;
    EXPECT_EQ(a.exact, c.exact) << a.why;
    EXPECT_FALSE(a.why.empty());
  }
  // A score that is off while the events agree is told apart from events that differ.
  EXPECT_TRUE(compare_games(base(), base_score, base(), base_score - 5).events_agree);
  EXPECT_FALSE(compare_games(base(), base_score, {e(100, 100)}, base_score).events_agree);
  EXPECT_EQ(bonus_points(50003), 5);
  EXPECT_EQ(bonus_points(50006), 20);
  EXPECT_EQ(bonus_points(50007), 0);
}

class ServerToleranceGames : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit((test_support::data_dir() / "XL" / "grumboldX.dat").string().c_str()), 1);
    // The fingerprint sums every load of the process; the game loads once, so do we.
    gfx::reset_fingerprint();
    text::load_texts();
    gfx::load_catalogue();
    gfx::hide_loading_screen();
    text::load_font();
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    text::release_font();
    res::xfdone();
  }
  void SetUp() override {
    test_support::reset_app_state();
    app::edition = app::edition_xl;
  }
};

// Games as players play them, from 100 frames a second to stalls of 400 ms: the re-simulation
// from what the upload carries is accepted for every one of them.
TEST_F(ServerToleranceGames, GamesReplayedFromTheirUploadDataAreAccepted) {
  const test_support::FrameLengths paces[] = {
      {10, 10, 0, 0, 1}, {16, 17, 0, 0, 2}, {10, 40, 0, 0, 3}, {15, 18, 150, 90, 4}, {20, 34, 400, 200, 5},
  };
  int exact = 0, games = 0;
  for (const test_support::FrameLengths& pace : paces)
    for (std::uint32_t round = 0; round < 2; ++round) {
      SCOPED_TRACE(testing::Message() << "pace " << pace.seed << ", game " << round);
      test_support::AimedPlayer player;
      player.state = pace.seed * 31 + round;
      const qzx::Recording game =
          test_support::play_whole_game(player, pace, 1262304000 + 7919 * (pace.seed * 2 + round), 37 * round);
      const std::string text = qzx::replay_text();
      qzx::DecodedReplay d;
      ASSERT_TRUE(qzx::decode_replay_text(text.c_str(), text.size(), d));
      qzx::Recording upload;
      ASSERT_TRUE(qzx::recording_from_upload(d, false, upload));
      XFREE(d.frame_log_bytes);
      const qzx::ReplayResult again = qzx::simulate_recording(upload, qzx::ClockSource::reconstructed);
      const Agreement a = compare_games(game.events, game.score, again.events, again.score);
      EXPECT_TRUE(a.within) << a.why;
      exact += a.exact;
      ++games;
    }
  // Most games agree in every code.
  EXPECT_GE(exact, games / 2);
}

}  // namespace
