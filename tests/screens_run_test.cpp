// SPDX-License-Identifier: GPL-3.0-or-later
// The screens through the real game binary in headless runs: a walk over every menu screen with
// screenshots, the exit link handed to the browser, a name entry saved and loaded back in a
// second run, and a failed start that leaves the player's highscore file alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/test_support.h"

using namespace test_support;

namespace {

struct Shot {
  std::vector<unsigned char> rgb;
  int width = 0, height = 0;
};

Shot read_shot(const std::filesystem::path& file) {
  Shot s;
  s.rgb = read_png_rgb(file, s.width, s.height);
  return s;
}

// Pixels that differ between two shots inside a rectangle by more than the dithering does: a
// picture loaded again is dithered anew (the dither runs on across every load), which moves a
// channel by one 5-bit step at most.
int differing(const Shot& a, const Shot& b, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * 800 + x) * 3;
      bool differs = false;
      for (int c = 0; c < 3; ++c) differs = differs || std::abs(a.rgb[i + c] - b.rgb[i + c]) > 12;
      n += differs;
    }
  return n;
}

// The UTF-16 highscore file as UTF-8 (the names here are ASCII).
std::string table_text(const std::filesystem::path& file) {
  const std::string bytes = read_file(file);
  std::string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const unsigned u = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
    text.push_back(u < 0x80 ? static_cast<char>(u) : '?');
  }
  return text;
}

class ScreensRun : public testing::Test {
 protected:
  void use_edition(const char* edition) {
    std::filesystem::copy_file(data_dir() / edition / "grumboldX.dat", dir.path() / "grumboldX.dat",
                               std::filesystem::copy_options::overwrite_existing);
  }
  RunResult run(const std::string& script, std::map<std::string, std::string> env,
                std::vector<std::string> args = {}) {
    env.emplace("GRUMBOLDX_HEADLESS", "1");
    if (!script.empty()) {
      write_file(dir / "script.txt", script);
      env.emplace("GRUMBOLDX_SCRIPT", (dir / "script.txt").string());
    }
    return run_program("grumboldx", dir.path(), env, args);
  }
  std::string log() const { return read_file(dir / "debug.txt"); }
  ScratchDir dir;
};

}  // namespace

TEST_F(ScreensRun, AWalkOverEveryMenuScreen) {
  use_edition("XL");
  // Buttons of the title: start 150, help 286, highscore 432, exit 598, all at y 518; the menu
  // button of help and table at (376, 520). Each screen change slides in for about 60 frames.
  const RunResult r = run(
      "30 move 400 300\n"
      "120 shot title.png\n"
      "121 move 320 540\n"
      "123 shot title_hover.png\n"
      "124 ldown\n"
      "126 shot title_press.png\n"
      "127 lup\n"
      "230 shot help.png\n"
      "231 move 420 545\n"
      "232 ldown\n"
      "233 lup\n"
      "340 shot title_again.png\n"
      "341 move 470 540\n"
      "342 ldown\n"
      "343 lup\n"
      "450 shot highscores.png\n"
      "451 move 420 545\n"
      "452 ldown\n"
      "453 lup\n"
      "560 move 630 540\n"
      "561 ldown\n"
      "562 lup\n"
      "570 shot exit.png\n"
      "580 key SPACE\n",
      {{"GRUMBOLDX_FRAMES", "2000"}});
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_EQ(r.stderr_text.find("open_url"), std::string::npos) << "no link was chosen";

  std::map<std::string, Shot> shots;
  for (const char* name : {"title", "title_hover", "title_press", "help", "title_again",
                           "highscores", "exit"}) {
    shots[name] = read_shot(dir / (std::string(name) + ".png"));
    ASSERT_EQ(shots[name].width, 800) << name;
  }
  // The help button (286, 518) changes its frame under the cursor and again when pressed; the
  // start button beside it stays as it was.
  EXPECT_GT(differing(shots["title"], shots["title_hover"], 290, 520, 390, 555), 500);
  EXPECT_GT(differing(shots["title_hover"], shots["title_press"], 290, 520, 390, 555), 500);
  EXPECT_EQ(differing(shots["title"], shots["title_hover"], 150, 518, 270, 555), 0);
  // Every screen shows its own picture; the title looks the same when it comes back (but for
  // the cursor, kept out of the compared band).
  const int whole = 800 * 480;
  EXPECT_GT(differing(shots["title"], shots["help"], 0, 0, 800, 480), whole / 4);
  EXPECT_GT(differing(shots["title"], shots["highscores"], 0, 0, 800, 480), whole / 4);
  EXPECT_GT(differing(shots["help"], shots["highscores"], 0, 0, 800, 480), whole / 10);
  EXPECT_GT(differing(shots["title"], shots["exit"], 0, 0, 800, 480), whole / 4);
  EXPECT_EQ(differing(shots["title"], shots["title_again"], 0, 0, 800, 260), 0);

  // The table was set up at the start, so the end saved it.
  EXPECT_NE(log().find("saving highscores\n"), std::string::npos);
  EXPECT_NE(table_text(dir / "highscores.txt").find("           Grumbold X\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "highscores.txt.new"));
}

TEST_F(ScreensRun, TheChosenExitLinkGoesToTheBrowserAtTheEnd) {
  use_edition("XS");
  // The exit button of the title, then a click into the invisible area of edition XS.
  const RunResult r = run(
      "30 move 630 540\n"
      "100 ldown\n"
      "101 lup\n"
      "105 move 100 300\n"
      "130 ldown\n"
      "131 lup\n",
      {{"GRUMBOLDX_FRAMES", "2000"}});
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_NE(r.stderr_text.find(
                "open_url: http://localhost:8642/grumbold/qzt/de/xs_c4_redirect.php?from=QZT_XS-Ver1.0DE-C4\n"),
            std::string::npos)
      << r.stderr_text;
  // The address is handed on after everything was released.
  const std::string text = log();
  EXPECT_NE(text.find("saving highscores\nterminate sound\nrelease sprites\nrelease text\nrelease dd\n"),
            std::string::npos)
      << text;
}

TEST_F(ScreensRun, AFailedStartLeavesThePlayersFileUntouched) {
  const std::string players_file = "not a table, but the player's own\n";
  struct Case {
    const char* what;
    bool archive;
    std::map<std::string, std::string> env;
  } cases[] = {
      {"a display step fails", true, {{"GRUMBOLDX_FAIL", "SetDisplayMode"}}},
      {"no data archive", false, {}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir / "grumboldX.dat");
    if (c.archive) use_edition("XL");
    write_file(dir / "highscores.txt", players_file);
    const RunResult r = run("", c.env);
    EXPECT_EQ(r.exit_code, 1) << c.what << ": " << r.stderr_text;
    EXPECT_EQ(read_file(dir / "highscores.txt"), players_file) << c.what;
  }
  // A start that succeeds saves the table as the design says (here the defaults, the player's
  // file having been rejected).
  use_edition("XL");
  const RunResult r = run("", {{"GRUMBOLDX_FRAMES", "30"}});
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  EXPECT_NE(log().find("Highscore-file not valid!\n"), std::string::npos);
  EXPECT_NE(table_text(dir / "highscores.txt").find("Hofmeister"), std::string::npos);
}
