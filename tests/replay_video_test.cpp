// SPDX-License-Identifier: GPL-3.0-or-later
// Replays rendered as they were seen: the rendered pictures are the very pictures the game showed
// the player (compared with the game binary's screenshots of the same frames), the game comes
// out as in the re-simulation, and the sound fills the rendered time. The video file itself is
// checked through the binary in video_option_test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "platform/backend.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

constexpr int start_frame = 101;  // the start button is released before this picture

class ReplayVideo : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string path = (data_dir() / "XL" / "grumboldX.dat").string();
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit(path.c_str()), 1);
    gfx::load_catalogue();
    gfx::hide_loading_screen();
    text::load_font();
    sound::load_sounds();
    sound::init_sound();
  }
  static void TearDownTestSuite() {
    sound::terminate_sound(true);
    text::release_font();
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    res::xfdone();
  }

  void SetUp() override {
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir / "grumboldX.dat");
  }

  // A scripted XL game through the binary, with frames of frame_ms; its recording.
  qzx::Recording play(const std::string& script, int frames, const char* frame_ms) {
    write_file(dir / "script.txt", script);
    const RunResult r = run_program("grumboldx", dir.path(),
                                    {{"GRUMBOLDX_HEADLESS", "1"},
                                     {"GRUMBOLDX_FRAME_MS", frame_ms},
                                     {"GRUMBOLDX_FRAMES", std::to_string(frames)},
                                     {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}},
                                    {"-XL"});
    EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
    qzx::Recording game;
    std::string error;
    EXPECT_TRUE(qzx::load_recording((dir / "lastgame.rec").string().c_str(), game, error)) << error;
    return game;
  }

  ScratchDir dir;
};

// Keeps what a test looks at: the moments of the pictures, chosen pictures as PNG files, and
// how much sound came.
class KeepingSink final : public qzx::RenderSink {
 public:
  std::vector<std::int64_t> times;
  std::vector<std::pair<int, std::filesystem::path>> wanted;  // frame index -> PNG to write
  std::int64_t sound_frames = 0;
  int frames_done = 0;

  bool picture(const std::uint16_t* pixels, int pitch, const plat::PixelFormat& format,
               std::int64_t time_ms) override {
    for (const auto& [frame, file] : wanted) {
      if (frame == frames_done) {
        EXPECT_TRUE(plat::write_png(file.c_str(), pixels, 800, 600, pitch, format));
      }
    }
    times.push_back(time_ms);
    return true;
  }
  bool sound(const std::int16_t*, int frames) override {
    sound_frames += frames;
    return true;
  }
  void progress(int done, int) override { frames_done = done; }
};

TEST_F(ReplayVideo, RenderedPicturesAreWhatThePlayerSawAndTheGameIsTheSame) {
  // A round without shots gives the frames; the aimed player scores on them; the binary plays
  // that input and takes screenshots after the opening transition and just after the first hit.
  // Frames of 100 ms: a whole round in 910 frames.
  const qzx::Recording timing = play("30 move 200 540\n100 ldown\n101 lup\n", start_frame + 1000, "100");
  ASSERT_GT(timing.frames.size(), 900u);
  const AimedRound aimed = play_aimed(timing);
  ASSERT_GE(aimed.first_kill_frame, 0);
  const int calm = 40, hit = aimed.first_kill_frame + 2;
  std::string script = script_of(aimed.inputs, start_frame);
  script += std::to_string(start_frame + calm) + " shot seen_calm.png\n";
  script += std::to_string(start_frame + hit) + " shot seen_hit.png\n";
  const int end_frame = start_frame + static_cast<int>(aimed.inputs.size());
  qzx::Recording game = play(script, end_frame + 50, "100");
  ASSERT_EQ(game.score, aimed.score);

  // The first frames up to a little after the hit, rendered here.
  game.frames.resize(static_cast<std::size_t>(std::max(calm, hit) + 20));
  KeepingSink sink;
  sink.wanted = {{calm, dir / "rendered_calm.png"}, {hit, dir / "rendered_hit.png"}};
  const qzx::RenderResult rendered = qzx::render_recording(game, qzx::ClockSource::recorded, sink);
  ASSERT_TRUE(rendered.completed);
  EXPECT_EQ(rendered.replay.frames_run, static_cast<int>(game.frames.size()));

  if (const char* keep = std::getenv("GRUMBOLDX_KEEP_SHOTS"))  // for a look at the pictures
    for (const char* name : {"seen_calm.png", "seen_hit.png", "rendered_calm.png", "rendered_hit.png"})
      std::filesystem::copy_file(dir / name, std::filesystem::path(keep) / name,
                                 std::filesystem::copy_options::overwrite_existing);
  for (const char* name : {"calm", "hit"}) {
    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    const auto seen = read_png_rgb(dir / (std::string("seen_") + name + ".png"), w1, h1);
    const auto made = read_png_rgb(dir / (std::string("rendered_") + name + ".png"), w2, h2);
    ASSERT_EQ(seen.size(), 800u * 600 * 3) << name;
    EXPECT_TRUE(seen == made) << "the " << name << " picture differs from the player's";
  }

  // The logic came out as in the plain re-simulation of the same frames.
  const qzx::ReplayResult simulated = qzx::simulate_recording(game, qzx::ClockSource::recorded);
  EXPECT_EQ(rendered.replay.score, simulated.score);
  EXPECT_GT(rendered.replay.score, 0);
  EXPECT_EQ(qzx::first_event_difference(rendered.replay.events, simulated.events), -1);

  // Every picture at its frame's recorded start; the sound fills the rendered time exactly.
  const std::vector<std::int64_t> starts = qzx::frame_start_times_ms(game);
  ASSERT_EQ(sink.times.size(), game.frames.size());
  for (std::size_t i = 0; i < sink.times.size(); ++i) ASSERT_EQ(sink.times[i], starts[i]) << i;
  EXPECT_EQ(rendered.length_ms, starts.back());
  EXPECT_EQ(sink.sound_frames, rendered.length_ms * 44100 / 1000);
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
