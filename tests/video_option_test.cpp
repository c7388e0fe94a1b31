// SPDX-License-Identifier: GPL-3.0-or-later
// "-replay FILE -video OUT.webm" through the game binary: a file that ffprobe reads with both
// streams and the game's length, and every failure exits with its code and leaves no file (nor
// part file) behind. In the release tree only: every case starts the game, which under the
// sanitizers costs seconds each; the rendering itself runs under them in replay_video_test.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/qzX/replay.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

constexpr int start_frame = 101;  // the start button is released before this picture

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

TEST(VideoOption, WritesAWebmOfTheWholeGameOrFailsWithoutAFile) {
  ScratchDir dir;
  std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir / "grumboldX.dat");
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
