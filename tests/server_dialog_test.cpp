// SPDX-License-Identifier: GPL-3.0-or-later
// An aimed round played by the real game binary (headless), entered in the table and sent
// through its upload dialog to the real highscore server: verified, shown in the dialog's HTML
// view, listed, and rendered as a video that plays on the game's page in headless Chromium.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/round.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/server_test_support.h"

using namespace test_support;

namespace {

constexpr int start_frame = 101;  // the start button is released before this picture
// Frames of 100 ms: a whole round in 910 frames, so its video renders in seconds.
constexpr const char* frame_ms = "100";

class ServerDialog : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").string().c_str()), 1);
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
  void SetUp() override { std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir / "grumboldX.dat"); }

  RunResult run(const std::string& script, int frames, const std::string& server = "") {
    write_file(dir / "script.txt", script);
    std::map<std::string, std::string> env = {{"GRUMBOLDX_HEADLESS", "1"},
                                              {"GRUMBOLDX_FRAME_MS", frame_ms},
                                              {"GRUMBOLDX_FRAMES", std::to_string(frames)},
                                              {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}};
    if (!server.empty()) {
      env["GRUMBOLDX_SERVER"] = server;
      // The game keeps its connection to the server open for the rest of the run on purpose;
      // under the leak checker that connection would count as lost.
      env["LSAN_OPTIONS"] = "detect_leaks=0";
    }
    return run_program("grumboldx", dir.path(), env, {"-XL"});
  }

  ScratchDir dir;
};

// The aimed player on the frames of a recorded round (its frame times and round clock): the
// input of every frame.
std::vector<std::uint32_t> aim(const qzx::Recording& timing, std::int32_t& score) {
  reset_app_state();
  app::edition = timing.edition;
  AimedPlayer player;
  std::vector<std::uint32_t> inputs;
  qzx::begin_replay(timing);
  for (const qzx::RecordedFrame& f : timing.frames) {
    app::frame_time = f.frame_time;
    const std::uint32_t input = aimed_input(player, f.round_time);
    inputs.push_back(input);
    if (qzx::replay_frame(f.frame_time, input, f.round_time) == qzx::RoundOutcome::game_over) break;
  }
  score = qzx::score();
  qzx::end_replay();
  return inputs;
}

TEST_F(ServerDialog, AnAimedRoundSentThroughTheDialogIsVerifiedListedAndPlaysOnItsPage) {
  server_test::ServerProcess server({"--render-workers", "1"});
  ASSERT_TRUE(server.started());
  ASSERT_EQ(server.register_account("Spieler", "geheim12"), 201);

  // The round's frame times and clock from a run without shots, then the aimed input for them.
  const RunResult quiet = run("30 move 200 540\n100 ldown\n101 lup\n", start_frame + 91 * 1000 / 100 + 100);
  ASSERT_EQ(quiet.exit_code, 0) << quiet.stderr_text;
  qzx::Recording timing;
  std::string error;
  ASSERT_TRUE(qzx::load_recording((dir / "lastgame.rec").string().c_str(), timing, error)) << error;
  std::int32_t score = 0;
  const std::vector<std::uint32_t> inputs = aim(timing, score);
  ASSERT_GT(score, 50) << "enters the table";

  // The binary plays it, the name goes into the table, the send button opens the dialog, which
  // sends as Spieler and is closed again.
  const int end_frame = start_frame + static_cast<int>(inputs.size()) - 1;
  std::string script = script_of(inputs, start_frame);
  const int typing = end_frame + 60;
  script += std::to_string(typing) + " text Spieler\n";
  script += std::to_string(typing + 2) + " key RETURN\n";
  const int send = typing + 40;
  script += std::to_string(send) + " move 227 473\n" + std::to_string(send) + " ldown\n" +
            std::to_string(send + 1) + " lup\n";
  script += "1 dialog type 1000 Spieler\n1 dialog type 1003 geheim12\n1 dialog press 1\n1 dialog press 2\n";
  const RunResult played = run(script, send + 40, server.base());
  ASSERT_EQ(played.exit_code, 0) << played.stderr_text;
  const std::string& err = played.stderr_text;
  EXPECT_NE(err.find("dialog html 1006: <html><head><style>"), std::string::npos) << err;
  EXPECT_NE(err.find("<h3 class=\"ok\">Gepr&#252;ft!</h3><p>Dein Ergebnis von <b>" + std::to_string(score) +
                     "</b> Punkten steht auf <b>Platz 1 von 1 der XL-Liste</b>."),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("dialog enable 1 off"), std::string::npos) << "Continue and Continue: the button is off";

  const auto page = server.client().Get("/list/xl");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find(">Spieler</a></td><td class=\"num\">" + std::to_string(score) + "</td>"),
            std::string::npos);

  // Its page in a real browser: the list links it, the video (rendered in the background from
  // the upload's frame times) loads with the game's length and plays, both charts are drawn.
  qzx::Recording sent;
  ASSERT_TRUE(qzx::load_recording((dir / "lastgame.rec").string().c_str(), sent, error)) << error;
  for (qzx::RecordedFrame& f : sent.frames) f.length_ms = 0;  // the upload carries frame times only
  const double seconds = static_cast<double>(qzx::frame_start_times_ms(sent).back()) / 1000;
  const RunResult browser =
      run_program("/usr/bin/python3", dir.path(), {},
                  {(source_dir() / "tests" / "browser_game_page.py").string(), server.base(), "xl",
                   std::to_string(seconds), (dir / "game_page.png").string()},
                  std::chrono::seconds(300));
  EXPECT_EQ(browser.exit_code, 0) << browser.stderr_text << browser.stdout_text;
  int width = 0, height = 0;
  EXPECT_FALSE(read_png_rgb(dir / "game_page.png", width, height).empty()) << "the screenshot";
  if (const char* keep = std::getenv("GRUMBOLDX_KEEP_SHOTS"))  // for a look at the page
    std::filesystem::copy_file(dir / "game_page.png", std::filesystem::path(keep) / "game_page.png",
                               std::filesystem::copy_options::overwrite_existing);
}

}  // namespace
