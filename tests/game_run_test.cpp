// Runs of the real game binary on the headless backend: start to end, failing display steps,
// a missing archive, lost surfaces, scripted quits, signals and reproducible screenshots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/test_support.h"

using namespace test_support;

namespace {

class GameRun : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir.path() / "grumboldX.dat");
  }
  RunResult run(std::map<std::string, std::string> env, std::vector<std::string> args = {}) {
    env["GRUMBOLDX_HEADLESS"] = "1";
    return run_program("grumboldx", dir.path(), env, args);
  }
  std::string log() const { return read_file(dir / "debug.txt"); }
  static bool ends_with(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  }
  ScratchDir dir;
};

}  // namespace

TEST_F(GameRun, TwoHundredFramesEndInOrder) {
  const RunResult r = run({{"GRUMBOLDX_FRAMES", "200"}});
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  const std::string text = log();
  EXPECT_EQ(text.rfind("      Grumbold X\n  2010-01-01 00:00:00\n\n", 0), 0u) << text;
  EXPECT_NE(text.find("open data file: grumboldX.dat\n"), std::string::npos);
  EXPECT_NE(text.find("color shift: 11 6 0\n"), std::string::npos);
  EXPECT_NE(text.find("Init ok\nsaving highscores\nterminate sound\n"), std::string::npos);
  EXPECT_TRUE(ends_with(text, "release dd\nGrumbold X end\n")) << text;
}

TEST_F(GameRun, EveryFailingDisplayStepShowsItsMessageAndEndsInOrder) {
  const char* steps[][2] = {
      {"DirectDrawCreate", "DirectDrawCreateEx FAILED"},
      {"SetCooperativeLevel", "SetCooperativeLevel FAILED"},
      {"QueryInterface", "QueryInterface FAILED"},
      {"SetDisplayMode", "SetDisplayMode FAILED"},
      {"CreateSurface", "CreateSurface FAILED"},
      {"GetAttachedSurface", "GetAttachedSurface FAILED"},
  };
  for (const auto& step : steps) {
    const RunResult r = run({{"GRUMBOLDX_FAIL", step[0]}, {"GRUMBOLDX_FRAMES", "50"}});
    EXPECT_EQ(r.exit_code, 1) << step[0];
    EXPECT_NE(r.stderr_text.find(std::string("message box \"GrumboldX\": ") + step[1]), std::string::npos)
        << r.stderr_text;
    const std::string text = log();
    EXPECT_NE(text.find("release dd\nsaving highscores\n"), std::string::npos) << text;
    EXPECT_TRUE(ends_with(text, "Grumbold X end\n")) << text;
  }
}

TEST_F(GameRun, WithoutAWindowTheGameStopsAtOnce) {
  const RunResult r = run({{"GRUMBOLDX_FAIL", "CreateWindow"}});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(log().find("ERROR: could not create the window\n"), std::string::npos);
}

TEST_F(GameRun, MissingArchiveShowsItsMessageAndEndsWithCode1) {
  std::filesystem::remove(dir / "grumboldX.dat");
  const RunResult r = run({{"GRUMBOLDX_FRAMES", "10"}});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.stderr_text.find("message box \"GrumboldX\": Error opening data file"), std::string::npos);
  EXPECT_NE(log().find("open data file: grumboldX.dat\n  file not found\n"), std::string::npos);
}

TEST_F(GameRun, LostSurfacesAreRestoredAndTheGameGoesOn) {
  // The same frame with and without losing every surface on the way must look the same (the
  // reloaded picture is dithered anew, so single channels may differ by one 5-bit step).
  std::vector<unsigned char> shots[2];
  for (int lose = 0; lose < 2; ++lose) {
    const std::string file = (dir / ("after" + std::to_string(lose) + ".png")).string();
    write_file(dir / "script.txt", std::string(lose ? "100 lost\n" : "") + "130 shot " + file + "\n");
    const RunResult r = run({{"GRUMBOLDX_FRAMES", "140"}, {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
    EXPECT_EQ(r.exit_code, 0);
    const std::string text = log();
    EXPECT_EQ(text.find("\nrestore surfaces ok\n") != std::string::npos, lose == 1) << text;
    EXPECT_TRUE(ends_with(text, "Grumbold X end\n"));
    int width = 0, height = 0;
    shots[lose] = read_png_rgb(file, width, height);
    EXPECT_EQ(width, 800);
  }
  ASSERT_FALSE(shots[0].empty());
  ASSERT_EQ(shots[0].size(), shots[1].size());
  int far_apart = 0;
  for (std::size_t i = 0; i < shots[0].size(); ++i)
    far_apart += std::abs(shots[0][i] - shots[1][i]) > 10;
  EXPECT_EQ(far_apart, 0);
}

TEST_F(GameRun, EscapeTwiceQuitsThroughTheExitScreen) {
  write_file(dir / "script.txt", "3 key ESCAPE\n5 key ESCAPE\n");
  const RunResult r = run({{"GRUMBOLDX_FRAMES", "100000"}, {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
  EXPECT_EQ(r.exit_code, 0);
  // The quit releases everything first; the window's destruction follows.
  const std::string text = log();
  const auto init = text.find("Init ok\n");
  const auto released = text.find("terminate sound\nrelease sprites\nrelease text\nrelease dd\n", init);
  const auto saved = text.find("saving highscores\n", init);
  ASSERT_NE(init, std::string::npos);
  ASSERT_NE(released, std::string::npos) << text;
  EXPECT_LT(released, saved) << text;
}

TEST_F(GameRun, FocusLossBlocksUntilTheScriptGoesOnAndAnEmptyScriptCloses) {
  write_file(dir / "script.txt", "5 focus off\n5 sleep 4000\n5 focus on\n8 focus off\n");
  const RunResult r = run({{"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_TRUE(ends_with(log(), "Grumbold X end\n"));
}

TEST_F(GameRun, TerminateSignalClosesInOrder) {
  const std::string command = "cd '" + dir.path().string() + "' && GRUMBOLDX_HEADLESS=1 timeout --preserve-status -s TERM 1 '" +
                              (bin_dir() / "grumboldx").string() + "' 2>/dev/null";
  const int status = std::system(command.c_str());
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(ends_with(log(), "Grumbold X end\n")) << log();
}

TEST_F(GameRun, ScreenshotsOfTwoRunsAreIdenticalInBothPixelFormats) {
  for (const char* format : {"565", "555"}) {
    std::string shots[2];
    for (int i = 0; i < 2; ++i) {
      const std::string file = (dir / ("shot" + std::to_string(i) + ".png")).string();
      write_file(dir / "script.txt", "10 shot " + file + "\n");
      const RunResult r = run({{"GRUMBOLDX_FRAMES", "12"}, {"GRUMBOLDX_PIXELS", format},
                               {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
      ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
      shots[i] = read_file(file);
    }
    EXPECT_EQ(shots[0].substr(1, 3), "PNG");
    EXPECT_EQ(shots[0], shots[1]);
    const std::string shift = std::string("color shift: ") + (format[1] == '6' ? "11 6 0" : "10 5 0");
    EXPECT_NE(log().find(shift), std::string::npos) << format;
  }
}

TEST(SourceLayout, OnlyThePlatformLayerTouchesSystemLibraries) {
  const char* forbidden[] = {"<SDL", "\"SDL", "<gtk/", "<webkit", "<curl/", "<windows.h>", "<X11/"};
  for (const char* top : {"game", "tools", "tests"}) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(source_dir() / top)) {
      const auto ext = entry.path().extension();
      if (ext != ".cpp" && ext != ".h") continue;
      const std::string text = read_file(entry.path());
      for (const char* f : forbidden) {
        EXPECT_EQ(text.find(std::string("#include ") + f), std::string::npos)
            << entry.path() << " includes " << f;
      }
    }
  }
}
