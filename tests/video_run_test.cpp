// SPDX-License-Identifier: GPL-3.0-or-later
// Replays rendered as videos, against the game binary: the rendered pictures are the very
// pictures the game showed the player (compared with the binary's own screenshots of the same
// frames), and "-replay FILE -video OUT.webm" writes a file that ffprobe reads with both streams
// and the game's length, while every failure exits with its code and leaves no file (nor part
// file) behind. In the release tree only: each case starts the game binary, which under the
// sanitizers costs seconds each; the rendering itself runs under them in replay_video_test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/qzX/replay.h"
#include "platform/backend.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

constexpr int start_frame = 101;  // the start button is released before this picture

class ReplayVideo : public testing::Test {
 protected:
  // The XL archive as the game loads it, with its sounds and the sound device.
  static void SetUpTestSuite() {
    app::edition = app::edition_xl;
    gfxtest::load_archive_with_sounds(app::edition_xl);
  }
  static void TearDownTestSuite() { gfxtest::unload_archive_with_sounds(); }

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

// ffprobe's answer for one entry of a file.
std::string probe(const std::filesystem::path& file, const std::string& entries) {
  const std::string command = "ffprobe -v error -show_entries " + entries +
                              " -of default=noprint_wrappers=1:nokey=1 '" + file.string() + "'";
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  return out;
}

TEST_F(ReplayVideo, TheVideoOptionWritesAWebmOfTheWholeGameOrFailsWithoutAFile) {
  write_file(dir / "script.txt", "30 move 200 540\n100 ldown\n101 lup\n");
  // Frames of 100 ms: a whole round in 910 frames.
  const RunResult played = run_program("grumboldx", dir.path(),
                                       {{"GRUMBOLDX_HEADLESS", "1"},
                                        {"GRUMBOLDX_FRAME_MS", "100"},
                                        {"GRUMBOLDX_FRAMES", std::to_string(start_frame + 1000)},
                                        {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}},
                                       {"-XL"});
  ASSERT_EQ(played.exit_code, 0) << played.stderr_text;
  qzx::Recording game;
  std::string error;
  ASSERT_TRUE(qzx::load_recording((dir / "lastgame.rec").string().c_str(), game, error)) << error;
  ASSERT_GT(game.frames.size(), 800u);
  // The game's length: the frames' recorded lengths (the last frame, saved before its length was
  // known, lasts its frame time).
  const std::int64_t length_ms = qzx::frame_start_times_ms(game).back();
  EXPECT_EQ(game.frames.back().length_ms, 0);

  const RunResult made = run_program("grumboldx", dir.path(), {},
                                     {"-XL", "-replay", "lastgame.rec", "-video", "game.webm"});
  ASSERT_EQ(made.exit_code, 0) << made.stderr_text;
  EXPECT_NE(made.stdout_text.find("video: wrote game.webm"), std::string::npos) << made.stdout_text;
  EXPECT_NE(made.stderr_text.find("(100 %)"), std::string::npos) << "the progress line";
  EXPECT_EQ(probe(dir / "game.webm", "stream=codec_name"), "vp9\nopus\n");
  const double seconds = std::atof(probe(dir / "game.webm", "format=duration").c_str());
  EXPECT_NEAR(seconds, length_ms / 1000.0, 0.05);
  EXPECT_FALSE(std::filesystem::exists(dir / "game.webm.part"));

  // Failures: what each exits with, and that no file (nor part file) stays.
  write_file(dir / "broken.rec", "GXREC\r\n\x1a");
  struct Failure {
    const char* what;
    std::string command;
    int exit_code;
    const char* message;
    const char* output;
  };
  const std::string game_bin = (bin_dir() / "grumboldx").string();
  const std::string in_dir = "cd '" + dir.path().string() + "' && ";
  const Failure failures[] = {
      {"an unreadable recording", in_dir + "'" + game_bin + "' -XL -replay broken.rec -video a.webm",
       2, "replay: broken.rec", "a.webm"},
      {"a folder that is not there",
       in_dir + "'" + game_bin + "' -XL -replay lastgame.rec -video missing/b.webm", 1,
       "video: cannot write missing/b.webm.part", "missing/b.webm"},
      // The disk fills up on the way: the file size limit stops the writes after 200 kB.
      {"a write that fails half-way",
       in_dir + "trap '' XFSZ; ulimit -f 200; exec '" + game_bin +
           "' -XL -replay lastgame.rec -video c.webm",
       1, "nothing was written", "c.webm"},
  };
  for (const Failure& f : failures) {
    const std::string command = "sh -c \"" + f.command + "\" >/dev/null 2>'" +
                                (dir / "stderr.txt").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << f.what;
    EXPECT_EQ(WEXITSTATUS(status), f.exit_code) << f.what;
    EXPECT_NE(read_file(dir / "stderr.txt").find(f.message), std::string::npos)
        << f.what << ": " << read_file(dir / "stderr.txt");
    EXPECT_FALSE(std::filesystem::exists(dir / f.output)) << f.what;
    EXPECT_FALSE(std::filesystem::exists(dir / (std::string(f.output) + ".part"))) << f.what;
  }
}

}  // namespace
