// SPDX-License-Identifier: GPL-3.0-or-later
// Replays rendered as they were seen, in this process: a game of the aimed player rendered with
// the drawing on comes out as in the plain re-simulation, every picture has its frame's moment,
// the sound fills the rendered time to the sample, and the pictures are the round's. That the
// pictures are those the player saw, and the video file itself, are checked through the game
// binary in video_run_test.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "game/app/app.h"
#include "game/qzX/replay.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

class RenderedReplay : public testing::Test {
 protected:
  // The XL archive as the game loads it, with its sounds and the sound device.
  static void SetUpTestSuite() {
    app::edition = app::edition_xl;
    gfxtest::load_archive_with_sounds(app::edition_xl);
  }
  static void TearDownTestSuite() { gfxtest::unload_archive_with_sounds(); }
};

// Counts what the rendering hands on: the moments, the sound, and the colours of one picture.
class CountingSink final : public qzx::RenderSink {
 public:
  std::vector<std::int64_t> times;
  std::int64_t sound_frames = 0;
  bool loud = false;  // some sample away from silence
  std::set<std::uint16_t> colours_at_100;

  bool picture(const std::uint16_t* pixels, int pitch, const plat::PixelFormat&, std::int64_t time_ms) override {
    if (times.size() == 100)
      for (int y = 0; y < 600; y += 3)
        for (int x = 0; x < 800; x += 3) colours_at_100.insert(pixels[y * (pitch / 2) + x]);
    times.push_back(time_ms);
    return true;
  }
  bool sound(const std::int16_t* samples, int frames) override {
    for (int i = 0; i < frames * 2 && !loud; ++i) loud = samples[i] > 1000 || samples[i] < -1000;
    sound_frames += frames;
    return true;
  }
};

TEST_F(RenderedReplay, KeepsTheGameEachFramesMomentAndTheSound) {
  // The aimed player's game at 20 frames a second, its first 300 frames (15 s, the first hits).
  test_support::AimedPlayer player;
  qzx::Recording game = test_support::play_whole_game(player, {50, 50, 0, 0, 9}, 1262304000, 0);
  game.frames.resize(300);
  CountingSink sink;
  const qzx::RenderResult rendered = qzx::render_recording(game, qzx::ClockSource::recorded, sink);
  ASSERT_TRUE(rendered.completed);
  EXPECT_EQ(rendered.replay.frames_run, 300);
  const qzx::ReplayResult simulated = qzx::simulate_recording(game, qzx::ClockSource::recorded);
  EXPECT_GT(simulated.score, 0) << "the stretch holds hits";
  EXPECT_EQ(rendered.replay.score, simulated.score);
  EXPECT_EQ(qzx::first_event_difference(rendered.replay.events, simulated.events), -1);

  const std::vector<std::int64_t> starts = qzx::frame_start_times_ms(game);
  ASSERT_EQ(sink.times.size(), 300u);
  for (std::size_t i = 0; i < sink.times.size(); ++i) ASSERT_EQ(sink.times[i], starts[i]) << i;
  EXPECT_EQ(rendered.length_ms, starts.back());
  EXPECT_EQ(sink.sound_frames, rendered.length_ms * 44100 / 1000);
  EXPECT_TRUE(sink.loud) << "the shots are heard";
  EXPECT_GT(sink.colours_at_100.size(), 200u) << "a picture of the round, not a blank screen";
}

TEST(FrameStartTimes, RecordedLengthsOrFrameTimesSummedWithoutDrift) {
  qzx::Recording r;
  // Recorded lengths are taken as they are.
  r.frames = {{655, 0, 0, 10}, {700, 0, 0, 17}, {655, 0, 0, 10}};
  EXPECT_EQ(qzx::frame_start_times_ms(r), (std::vector<std::int64_t>{0, 10, 27, 37}));
  // An upload's recording has no lengths: 1000 frames of 1/65.536 s make 15.259 s, not the
  // 15 s that rounding every frame to 15 ms would give; frames shorter than a millisecond share
  // their moment.
  r.frames.assign(1000, qzx::RecordedFrame{1000, 0, 0, 0});
  const auto times = qzx::frame_start_times_ms(r);
  EXPECT_EQ(times.back(), 15259);
  r.frames.assign(3, qzx::RecordedFrame{20, 0, 0, 0});
  EXPECT_EQ(qzx::frame_start_times_ms(r), (std::vector<std::int64_t>{0, 0, 1, 1}));
}

}  // namespace
