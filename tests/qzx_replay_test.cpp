// SPDX-License-Identifier: GPL-3.0-or-later
// Replays: whole games played in this process at several frame paces replay exactly from their
// recordings; from the upload's data alone (the replay text) they give the same score and event
// codes with the round clock estimated; damaged recording files are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/qzX/replay_tolerance.h"
#include "game/resources/archive.h"
#include "game/resources/memory.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

class Replay : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string path = (data_dir() / "XL" / "grumboldX.dat").string();
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit(path.c_str()), 1);
    gfx::load_catalogue();
    gfx::hide_loading_screen();
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    res::xfdone();
  }
  void SetUp() override {
    reset_app_state();
    app::edition = app::edition_xl;
  }
};

struct Pace {
  const char* name;
  FrameLengths lengths;
};
const Pace paces[] = {
    {"100 frames a second", {10, 10, 0, 0, 1}},
    {"60 frames a second", {16, 17, 0, 0, 2}},
    {"uneven, 10 to 40 ms", {10, 40, 0, 0, 3}},
    {"smooth with stalls of 150 ms", {15, 18, 150, 90, 4}},
};

// What the server makes of the last game's replay text: its recording, without the round clock.
void upload_of_last_game(qzx::Recording& upload) {
  const std::string text = qzx::replay_text();
  qzx::DecodedReplay decoded;
  ASSERT_TRUE(qzx::decode_replay_text(text.c_str(), text.size(), decoded));
  ASSERT_TRUE(qzx::recording_from_upload(decoded, false, upload));
  XFREE(decoded.frame_log_bytes);
}

// How far the round clock estimated from the upload strays from the played one (16.16 s).
std::int64_t worst_clock_error(const qzx::Recording& upload, const qzx::Recording& game) {
  const std::vector<std::int32_t> clock = qzx::estimate_round_clock(upload);
  std::int64_t worst = 0;
  for (std::size_t i = 0; i < clock.size() && i < game.frames.size(); ++i)
    worst = std::max<std::int64_t>(worst, std::llabs(std::int64_t{clock[i]} - game.frames[i].round_time));
  return worst;
}

TEST_F(Replay, AGameReplaysExactlyAtEveryPaceAndThroughItsFile) {
  for (const Pace& pace : paces) {
    SCOPED_TRACE(pace.name);
    AimedPlayer player;
    player.state = pace.lengths.seed;
    const qzx::Recording game = play_whole_game(player, pace.lengths, 1262304000, 250);
    ASSERT_GT(game.frames.size(), 1000u);
    ASSERT_GT(game.score, 0);
    const qzx::ReplayResult again = simulate_recording(game, qzx::ClockSource::recorded);
    EXPECT_TRUE(again.finished);
    EXPECT_EQ(again.score, game.score);
    EXPECT_EQ(qzx::first_event_difference(again.events, game.events), -1);

    InScratchDir here;
    ASSERT_TRUE(qzx::save_recording(game, "game.rec"));
    EXPECT_FALSE(std::filesystem::exists("game.rec.tmp"));
    qzx::Recording loaded;
    std::string error;
    ASSERT_TRUE(qzx::load_recording("game.rec", loaded, error)) << error;
    EXPECT_EQ(loaded.score, game.score);
    EXPECT_EQ(loaded.noise_start, game.noise_start);
    ASSERT_EQ(loaded.frames.size(), game.frames.size());
    EXPECT_TRUE(std::equal(loaded.frames.begin(), loaded.frames.end(), game.frames.begin(),
                           [](const qzx::RecordedFrame& a, const qzx::RecordedFrame& b) {
                             return a.frame_time == b.frame_time && a.input == b.input &&
                                    a.round_time == b.round_time && a.length_ms == b.length_ms;
                           }));
    EXPECT_EQ(qzx::first_event_difference(loaded.events, game.events), -1);
  }
}

TEST_F(Replay, TheUploadDataAloneAgreesWithinTheTolerance) {
  for (const Pace& pace : paces) {
    SCOPED_TRACE(pace.name);
    AimedPlayer player;
    player.state = pace.lengths.seed + 100;
    const qzx::Recording game = play_whole_game(player, pace.lengths, 1262400000, 999);
    qzx::Recording upload;
    ASSERT_NO_FATAL_FAILURE(upload_of_last_game(upload));
    ASSERT_EQ(upload.frames.size(), game.frames.size());

    // The estimated round clock stays within two of the longest frames of the real one: a
    // second's frames are placed by their frame times, which smooth over 40 frames, so a stall
    // is spread over its neighbours.
    const int longest = std::max(pace.lengths.longest_ms, pace.lengths.stall_ms);
    EXPECT_LE(worst_clock_error(upload, game), 2 * longest * 65536 / 1000) << "in 16.16 seconds";

    // The re-simulation agrees within the tolerance the server accepts: every chicken hit and
    // target action in order, markers near their places, bonuses the clock moved accounted for.
    const qzx::ReplayResult again = simulate_recording(upload, qzx::ClockSource::reconstructed);
    EXPECT_TRUE(again.finished);
    const qzx::Agreement a = qzx::compare_games(game.events, game.score, again.events, again.score);
    EXPECT_TRUE(a.within) << a.why;
  }
}

// An XXL game that goes on into the yard: the set-up in the middle of the game, the second
// scene's targets, the transition's random draw and the clock estimate's second segment are all
// re-simulated. The yard wants more points than the test's player gathers: it is opened at one
// frame shortly before the first scene ends, in the game and in each re-simulation alike; all
// else is played as it comes.
class ReplayYard : public testing::Test {
 protected:
  static void SetUpTestSuite() { gfxtest::load_archive(app::edition_xxl); }
  static void TearDownTestSuite() { gfxtest::unload_archive(); }
  void SetUp() override {
    reset_app_state();
    app::edition = app::edition_xxl;
  }
};

TEST_F(ReplayYard, AGameThatGoesOnIntoTheYardReplaysExactlyAndFromItsUploadData) {
  AimedPlayer player;
  player.state = 11;
  int yard_frame = -1;
  const qzx::Recording game =
      play_whole_game(player, {15, 18, 150, 90, 4}, 1262500000, 321, yard_opener(yard_frame));
  ASSERT_GT(yard_frame, 0);
  const auto switches = std::count_if(game.events.begin(), game.events.end(),
                                      [](const qzx::EventEntry& e) { return e.code == 50002; });
  ASSERT_EQ(switches, 1) << "the game did not reach the yard";
  ASSERT_GT(game.frames.size() - static_cast<std::size_t>(yard_frame), 2000u) << "46 s in the yard";
  const std::size_t first_scene_events =
      std::find_if(game.events.begin(), game.events.end(), [](const qzx::EventEntry& e) { return e.code == 50002; }) -
      game.events.begin();
  ASSERT_GT(game.events.size(), first_scene_events + 2) << "hits in the yard";

  const qzx::ReplayResult again = qzx::simulate_recording(game, qzx::ClockSource::recorded, yard_opener_at(yard_frame));
  EXPECT_TRUE(again.finished);
  EXPECT_EQ(again.score, game.score);
  EXPECT_EQ(qzx::first_event_difference(again.events, game.events), -1);

  qzx::Recording upload;
  ASSERT_NO_FATAL_FAILURE(upload_of_last_game(upload));
  EXPECT_LE(worst_clock_error(upload, game), 2 * 150 * 65536 / 1000) << "in 16.16 seconds, over both scenes";
  const qzx::ReplayResult estimated =
      qzx::simulate_recording(upload, qzx::ClockSource::reconstructed, yard_opener_at(yard_frame));
  EXPECT_TRUE(estimated.finished);
  const qzx::Agreement a = qzx::compare_games(game.events, game.score, estimated.events, estimated.score);
  EXPECT_TRUE(a.within) << a.why;
}

TEST_F(Replay, DamagedRecordingFilesAreRefusedWithAReason) {
  InScratchDir here;
  qzx::Recording r;
  r.frames.resize(3, qzx::RecordedFrame{1092, 400, 5963710, 16});
  r.events.resize(2, qzx::EventEntry{100, 5});
  ASSERT_TRUE(qzx::save_recording(r, "good.rec"));
  const std::string good = read_file("good.rec");
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string bad_version = good;
  bad_version[8] = 2;
  std::string bad_crc = good;
  bad_crc[60] ^= 1;
  std::string many_frames = good;
  many_frames[40] = 0x7f;  // the frame count's low byte of a huge count
  many_frames[43] = 0x7f;
  const Case cases[] = {
      {"empty", ""},
      {"another file", "PNG....................................................."},
      {"truncated", good.substr(0, good.size() - 5)},
      {"longer", good + "x"},
      {"another version", bad_version},
      {"a changed byte", bad_crc},
      {"counts beyond the logs", many_frames},
  };
  for (const Case& c : cases) {
    write_file("bad.rec", c.bytes);
    qzx::Recording out;
    std::string error;
    EXPECT_FALSE(qzx::load_recording("bad.rec", out, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
  std::string error;
  qzx::Recording out;
  EXPECT_FALSE(qzx::load_recording("missing.rec", out, error));
  EXPECT_NE(error.find("missing.rec"), std::string::npos);
}

}  // namespace
