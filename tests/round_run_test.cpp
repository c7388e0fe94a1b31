// SPDX-License-Identifier: GPL-3.0-or-later
// A whole round through the real game binary, headless: a round played without shots gives the
// frame times and the round clock; a player in this process then aims at the chickens of that
// same round, frame by frame; the game binary, fed the same input as a script, must reach the
// same events and score, shows the hits, ends in the name entry, and replays its own recording.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/resources/archive.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

constexpr int start_frame = 101;  // the start button is released before this picture
// Frames of 30 ms, as a player's; under the sanitizers 100 ms, so the round's 910 frames cost
// a third of 3033 and the same paths are run.
#if defined(__SANITIZE_ADDRESS__)
constexpr int frame_ms = 100;
#else
constexpr int frame_ms = 30;
#endif

class RoundRun : public testing::Test {
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
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir / "grumboldX.dat");
  }

  RunResult run(const std::string& script, int frames, const std::vector<std::string>& args = {}) {
    write_file(dir / "script.txt", script);
    return run_program("grumboldx", dir.path(),
                       {{"GRUMBOLDX_HEADLESS", "1"},
                        {"GRUMBOLDX_FRAME_MS", std::to_string(frame_ms)},
                        {"GRUMBOLDX_FRAMES", std::to_string(frames)},
                        {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}},
                       args);
  }

  qzx::Recording last_game() {
    qzx::Recording r;
    std::string error;
    EXPECT_TRUE(qzx::load_recording((dir / "lastgame.rec").string().c_str(), r, error)) << error;
    return r;
  }

  ScratchDir dir;
};

// The UTF-16 highscore file as ASCII text.
std::string table_text(const std::filesystem::path& file) {
  const std::string bytes = read_file(file);
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned u = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
    text.push_back(u < 0x80 ? static_cast<char>(u) : '?');
  }
  return text;
}

TEST_F(RoundRun, AnAimedRoundScoresEndsInTheNameEntryAndReplaysExactly) {
  // 1. The round without a shot: its frame times and round clock.
  const int round_frames_limit = 91 * 1000 / frame_ms + 200;
  const RunResult quiet = run("30 move 200 540\n100 ldown\n101 lup\n", start_frame + round_frames_limit);
  ASSERT_EQ(quiet.exit_code, 0) << quiet.stderr_text;
  const qzx::Recording timing = last_game();
  ASSERT_GT(timing.frames.size(), static_cast<std::size_t>(90 * 1000 / frame_ms)) << "a whole round";
  EXPECT_EQ((timing.frames.back().input >> 24) & 1, 1u) << "the last frame has the time over";

  // 2. The same round with aimed shots, in this process.
  const AimedRound aimed = play_aimed(timing);
  ASSERT_EQ(aimed.inputs.size(), timing.frames.size()) << "the round lasts as long as before";
  ASSERT_GT(aimed.score, 50) << "beats the last place of the default table";
  ASSERT_GE(aimed.first_kill_frame, 0);

  // 3. The binary plays that input: same events and score, a picture of a hit, the name entry.
  const int end_frame = start_frame + static_cast<int>(aimed.inputs.size()) - 1;
  std::string script = script_of(aimed.inputs, start_frame);
  script += std::to_string(start_frame + aimed.first_kill_frame + 2) + " shot hit.png\n";
  // The name typed as keystrokes and text: Shift+A, n, x, Backspace, "na", and an Escape that
  // the name entry ignores.
  const int typing = end_frame + 60;
  for (const char* line : {" keydown SHIFT\n", " key A\n", " keyup SHIFT\n", " key N\n", " key X\n",
                           " key BACK\n", " text na\n", " key ESCAPE\n"})
    script += std::to_string(typing) + line;
  script += std::to_string(typing + 2) + " shot name_entry.png\n";
  script += std::to_string(typing + 3) + " key RETURN\n";
  const RunResult played = run(script, end_frame + 100);
  ASSERT_EQ(played.exit_code, 0) << played.stderr_text;
  const qzx::Recording game = last_game();
  ASSERT_EQ(game.frames.size(), aimed.inputs.size());
  for (std::size_t i = 0; i < game.frames.size(); ++i)
    ASSERT_EQ(game.frames[i].input, aimed.inputs[i]) << "frame " << i;
  EXPECT_EQ(game.score, aimed.score);
  EXPECT_EQ(qzx::first_event_difference(game.events, aimed.events), -1);
  int width = 0, height = 0;
  EXPECT_FALSE(read_png_rgb(dir / "hit.png", width, height).empty());
  if (const char* keep = std::getenv("GRUMBOLDX_KEEP_SHOTS")) {  // for a look at the pictures
    std::filesystem::copy_file(dir / "hit.png", std::filesystem::path(keep) / "hit.png",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy_file(dir / "name_entry.png", std::filesystem::path(keep) / "name_entry.png",
                               std::filesystem::copy_options::overwrite_existing);
  }
  std::string entry = "Anna";  // "%-24s %8d"
  const std::string points = std::to_string(aimed.score);
  entry.append(29 - points.size(), ' ');  // the name in 24 places, a space, the points in 8
  entry += points + "\n";
  const std::string table = table_text(dir / "highscores.txt");
  EXPECT_NE(table.find(entry), std::string::npos) << table;

  // The next run starts from that file: accepted, and saved again with the same entries.
  const RunResult next = run("", 40);
  EXPECT_EQ(next.exit_code, 0) << next.stderr_text;
  EXPECT_EQ(read_file(dir / "debug.txt").find("Highscore-file not valid!"), std::string::npos);
  EXPECT_NE(table_text(dir / "highscores.txt").find(entry), std::string::npos);

  // 4. Its recording replays headless to the same event log, printed, and the same score.
  const RunResult replay = run_program("grumboldx", dir.path(), {{"GRUMBOLDX_HEADLESS", "1"}},
                                       {"-replay", "lastgame.rec"});
  EXPECT_EQ(replay.exit_code, 0) << replay.stderr_text;
  std::ostringstream expected;
  for (const qzx::EventEntry& e : aimed.events) expected << "event " << e.code << ' ' << e.value << '\n';
  expected << "score " << aimed.score << '\n';
  EXPECT_EQ(replay.stdout_text, expected.str());
}

TEST_F(RoundRun, AReplayOfAnotherEditionOrADamagedFileIsRefused) {
  qzx::Recording r;
  r.edition = 3;
  ASSERT_TRUE(qzx::save_recording(r, (dir / "xxl.rec").string().c_str()));
  write_file(dir / "broken.rec", "GXREC\r\n\x1a but nothing after");
  for (const char* file : {"xxl.rec", "broken.rec", "missing.rec"}) {
    const RunResult result = run_program("grumboldx", dir.path(), {{"GRUMBOLDX_HEADLESS", "1"}},
                                         {"-replay", file});
    EXPECT_EQ(result.exit_code, 2) << file;
    EXPECT_NE(result.stderr_text.find("replay: "), std::string::npos) << result.stderr_text;
  }
}

}  // namespace
