// SPDX-License-Identifier: GPL-3.0-or-later
// Runs of the real game binary on the headless backend: start to end, failing display steps
// and flips, a missing archive, lost surfaces, scripted quits, signals, refused settings and
// reproducible screenshots with real content.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "game/gfx/catalogue_table.h"
#include "tests/test_support.h"

using namespace test_support;
namespace fs = std::filesystem;

namespace {

struct Rgb {
  std::vector<unsigned char> pixels;  // 8-bit RGB triples, top row first
  int width = 0, height = 0;
  const unsigned char* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

Rgb read_shot(const fs::path& file) {
  Rgb shot;
  shot.pixels = read_png_rgb(file, shot.width, shot.height);
  return shot;
}

// A file of the XL data tree the build generated: the edition's own files first, then the
// shared ones.
fs::path stored_file(const std::string& name) {
  const fs::path own = data_dir() / "tree" / "XL" / "data" / "gfx" / name;
  return fs::exists(own) ? own : data_dir() / "tree" / "common" / "data" / "gfx" / name;
}

// Decodes a JPEG stream with libjpeg, apart from the game's own loader. A decoding error comes
// back through the jump, so picture lives in the caller's frame.
bool decode_jpeg(std::FILE* in, Rgb& picture) {
  struct Failure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
  };
  jpeg_decompress_struct info;
  Failure failure;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<Failure*>(c->err)->jump, 1); };
  if (setjmp(failure.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  picture.width = static_cast<int>(info.output_width);
  picture.height = static_cast<int>(info.output_height);
  picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &picture.pixels[static_cast<std::size_t>(info.output_scanline) * picture.width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// A stored JPEG picture; empty when it cannot be read.
Rgb read_jpeg(const fs::path& file) {
  Rgb picture;
  std::FILE* in = std::fopen(file.c_str(), "rb");
  if (!in) return picture;
  if (!decode_jpeg(in, picture)) picture = Rgb{};
  std::fclose(in);
  return picture;
}

// The size a BMP file's header states.
void bmp_size(const fs::path& file, int& width, int& height) {
  const std::string b = read_file(file);
  auto le32 = [&](std::size_t at) {
    return static_cast<int>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
                            static_cast<unsigned char>(b[at + 2]) << 16 | static_cast<unsigned char>(b[at + 3]) << 24);
  };
  width = height = 0;
  if (b.size() < 54 || b.compare(0, 2, "BM") != 0) return;
  width = le32(18);
  height = le32(22);
}

struct Box {
  int left, top, right, bottom;  // right and bottom exclusive
  bool holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The title's full-screen picture, and what the title screen draws over it: the cursor, while
// the mouse has not moved, and the row of menu buttons with everything below it.
Rgb title_picture() {
  const std::string name = gfx::screen_pictures[0];  // "data\\gfx\\name", as the game asks
  return read_jpeg(stored_file(name.substr(name.rfind('\\') + 1) + ".jpg"));
}
const std::vector<Box> title_covered{{0, 0, 64, 64}, {0, gfx::menu_buttons[0].y, 800, 600}};

// The share of the shot's pixels outside the boxes whose channels all lie within tolerance of
// the picture's (top left aligned). The 16-bit display keeps 5 or 6 bits a channel and
// dithers, and the game decodes on its own: a shown picture stays close, not equal. A black
// frame, another picture or the right one shifted by a pixel stays below 96%.
double share_alike(const Rgb& shot, const Rgb& picture, const std::vector<Box>& skip, int tolerance) {
  if (shot.width == 0 || picture.width < shot.width || picture.height < shot.height) return 0;
  std::size_t compared = 0, alike = 0;
  for (int y = 0; y < shot.height; ++y)
    for (int x = 0; x < shot.width; ++x) {
      if (std::any_of(skip.begin(), skip.end(), [&](const Box& b) { return b.holds(x, y); })) continue;
      const unsigned char* a = shot.at(x, y);
      const unsigned char* b = picture.at(x, y);
      ++compared;
      alike += std::abs(a[0] - b[0]) <= tolerance && std::abs(a[1] - b[1]) <= tolerance &&
               std::abs(a[2] - b[2]) <= tolerance;
    }
  return compared ? static_cast<double>(alike) / static_cast<double>(compared) : 0;
}

// A picture with real content: a full screen of many colours, hardly any of it black.
void expect_real_content(const Rgb& shot, const std::string& what) {
  SCOPED_TRACE(what);
  ASSERT_EQ(shot.width, 800);
  ASSERT_EQ(shot.height, 600);
  std::vector<bool> seen(1u << 24);
  std::size_t colours = 0, black = 0;
  for (std::size_t i = 0; i < shot.pixels.size(); i += 3) {
    const unsigned char* p = &shot.pixels[i];
    const unsigned colour = static_cast<unsigned>(p[0]) << 16 | static_cast<unsigned>(p[1]) << 8 | p[2];
    colours += !seen[colour];
    seen[colour] = true;
    black += p[0] < 24 && p[1] < 24 && p[2] < 24;
  }
  EXPECT_GT(colours, 1000u);
  EXPECT_LT(black, shot.pixels.size() / 3 / 20) << "more than 5% of the picture is black";
}

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
  Rgb shots[2];
  for (int lose = 0; lose < 2; ++lose) {
    const std::string file = (dir / ("after" + std::to_string(lose) + ".png")).string();
    write_file(dir / "script.txt", std::string(lose ? "100 lost\n" : "") + "130 shot " + file + "\n");
    const RunResult r = run({{"GRUMBOLDX_FRAMES", "140"}, {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
    EXPECT_EQ(r.exit_code, 0);
    const std::string text = log();
    EXPECT_EQ(text.find("\nrestore surfaces ok\n") != std::string::npos, lose == 1) << text;
    EXPECT_TRUE(ends_with(text, "Grumbold X end\n"));
    shots[lose] = read_shot(file);
  }
  // Frame 130 shows the title: the picture itself, not a black frame in both runs.
  expect_real_content(shots[1], "title after the restore");
  EXPECT_GT(share_alike(shots[1], title_picture(), title_covered, 16), 0.99) << "the title picture is not shown";
  ASSERT_EQ(shots[0].pixels.size(), shots[1].pixels.size());
  int far_apart = 0;
  for (std::size_t i = 0; i < shots[0].pixels.size(); ++i)
    far_apart += std::abs(shots[0].pixels[i] - shots[1].pixels[i]) > 10;
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
  // The signal arrives once the game runs its frames, however fast the machine is.
  RunningProgram game("grumboldx", dir.path(), {{"GRUMBOLDX_HEADLESS", "1"}}, {});
  ASSERT_TRUE(game.wait_for_text(dir / "debug.txt", "Init ok\n")) << log();
  game.send_signal(SIGTERM);
  const RunResult r = game.finish();
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  const std::string text = log();
  const auto init = text.find("Init ok\n");
  EXPECT_NE(text.find("saving highscores\nterminate sound\n", init), std::string::npos) << text;
  EXPECT_TRUE(ends_with(text, "release dd\nGrumbold X end\n")) << text;
}

TEST_F(GameRun, AFlipThatKeepsFailingGivesUpTheFrameAndTheGameStillEndsInOrder) {
  // No picture is ever shown, so neither a frame limit nor the script's later frames end the
  // run: a signal does, once a frame has given up.
  const std::string gave_up = "ERROR: flip failed 100 times, frame not shown\n";
  RunningProgram game("grumboldx", dir.path(), {{"GRUMBOLDX_HEADLESS", "1"}, {"GRUMBOLDX_FAIL", "Flip"}}, {});
  ASSERT_TRUE(game.wait_for_text(dir / "debug.txt", gave_up)) << log().substr(0, 4000);
  game.send_signal(SIGTERM);
  const RunResult r = game.finish();
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  const std::string text = log();
  const auto init = text.find("Init ok\n");
  const auto first_give_up = text.find(gave_up, init);
  ASSERT_NE(first_give_up, std::string::npos);
  // Later frames try quietly: however many ran before the signal, the log tells it once.
  EXPECT_EQ(text.find(gave_up, first_give_up + 1), std::string::npos);
  EXPECT_EQ(text.find("ERROR: flip failed", first_give_up + gave_up.size()), std::string::npos);
  EXPECT_NE(text.find("saving highscores\nterminate sound\n", first_give_up), std::string::npos);
  EXPECT_TRUE(ends_with(text, "release dd\nGrumbold X end\n")) << text.substr(text.size() - std::min<std::size_t>(text.size(), 2000));
}

TEST_F(GameRun, MalformedSettingsAndScriptLinesAreRefusedWithCode2) {
  // Each bad script line follows a comment, a blank line and a good line, so the line number
  // counts every line of the file.
  const std::string good_lines = "# start\n\n1 move 10 20\n";
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    std::string script_line;  // empty: no script
    std::string message;      // expected on stderr
  } cases[] = {
      {"frame length not a number", {{"GRUMBOLDX_FRAME_MS", "abc"}}, "", "GRUMBOLDX_FRAME_MS must be a number"},
      {"frame length zero", {{"GRUMBOLDX_FRAME_MS", "0"}}, "", "GRUMBOLDX_FRAME_MS must be a number"},
      {"frame count negative", {{"GRUMBOLDX_FRAMES", "-5"}}, "", "GRUMBOLDX_FRAMES must be a number"},
      {"start time with a unit", {{"GRUMBOLDX_TIME", "12s"}}, "", "GRUMBOLDX_TIME must be a number"},
      {"unknown pixel format", {{"GRUMBOLDX_PIXELS", "444"}}, "", "GRUMBOLDX_PIXELS must be 565 or 555"},
      {"unknown operation to fail", {{"GRUMBOLDX_FAIL", "Flip,Nope"}}, "", "GRUMBOLDX_FAIL: unknown operation \"Nope\""},
      {"missing script", {{"GRUMBOLDX_SCRIPT", "no-such-script.txt"}}, "", "GRUMBOLDX_SCRIPT: cannot read"},
      {"frame not a number", {}, "x move 1 2", "line 4: "},
      {"negative frame", {}, "-1 close", "line 4: "},
      {"unknown action", {}, "1 jump", "line 4: unknown action"},
      {"move with one coordinate", {}, "1 move 10", "line 4: "},
      {"unknown key", {}, "1 key NOSUCHKEY", "line 4: unknown key"},
      {"focus neither on nor off", {}, "1 focus maybe", "line 4: "},
      {"word after a button", {}, "1 ldown extra", "line 4: unexpected \"extra\""},
      {"text with nothing to type", {}, "1 text", "line 4: "},
      {"shot without a file", {}, "1 shot", "line 4: "},
      {"negative sleep", {}, "1 sleep -5", "line 4: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto env = c.env;
    if (!c.script_line.empty()) {
      write_file(dir / "script.txt", good_lines + c.script_line + "\n");
      env["GRUMBOLDX_SCRIPT"] = (dir / "script.txt").string();
    }
    const RunResult r = run(env);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_NE(r.stderr_text.find(c.message), std::string::npos) << r.stderr_text;
    EXPECT_FALSE(std::filesystem::exists(dir / "debug.txt")) << "the game started";
  }
}

TEST_F(GameRun, ScreenshotsOfTwoRunsAreIdenticalInBothPixelFormats) {
  // Frame 10 shows the loading screen, frame 100 the title after its transition has settled.
  // Both must be the stored pictures, not merely the same in both runs.
  const Rgb loading = read_jpeg(stored_file("loading.jpg"));
  const Rgb title = title_picture();
  ASSERT_FALSE(loading.pixels.empty());
  ASSERT_FALSE(title.pixels.empty());
  int bar_width = 0, bar_height = 0;
  bmp_size(stored_file("loadingbar.bmp"), bar_width, bar_height);
  ASSERT_GT(bar_width, 0);
  // The bar grows over the loading picture.
  const Box bar{gfx::loading_bar_x, gfx::loading_bar_y, gfx::loading_bar_x + bar_width,
                gfx::loading_bar_y + bar_height};
  for (const char* format : {"565", "555"}) {
    SCOPED_TRACE(format);
    std::string shots[2][2];
    for (int i = 0; i < 2; ++i) {
      const std::string n = std::to_string(i);
      write_file(dir / "script.txt", "10 shot " + (dir / ("loading" + n + ".png")).string() + "\n" +
                                         "100 shot " + (dir / ("title" + n + ".png")).string() + "\n");
      const RunResult r = run({{"GRUMBOLDX_FRAMES", "101"}, {"GRUMBOLDX_PIXELS", format},
                               {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
      ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
      shots[i][0] = read_file(dir / ("loading" + n + ".png"));
      shots[i][1] = read_file(dir / ("title" + n + ".png"));
    }
    EXPECT_EQ(shots[0][0].substr(1, 3), "PNG");
    EXPECT_EQ(shots[0][0], shots[1][0]);
    EXPECT_EQ(shots[0][1], shots[1][1]);
    const std::string shift = std::string("color shift: ") + (format[1] == '6' ? "11 6 0" : "10 5 0");
    EXPECT_NE(log().find(shift), std::string::npos);

    const Rgb loading_shot = read_shot(dir / "loading0.png");
    const Rgb title_shot = read_shot(dir / "title0.png");
    expect_real_content(loading_shot, "loading screen");
    expect_real_content(title_shot, "title");
    EXPECT_GT(share_alike(loading_shot, loading, {bar}, 16), 0.99) << "the loading picture is not shown";
    EXPECT_GT(share_alike(title_shot, title, title_covered, 16), 0.99) << "the title picture is not shown";
  }
}

TEST_F(GameRun, ScriptFramesCountTheLoadingPicturesOfEachEdition) {
  // Scripts count every picture presented: the loading screen's, then the main loop's frames,
  // the first of which starts the transition from black.
  const Rgb loading = read_jpeg(stored_file("loading.jpg"));
  int bar_width = 0, bar_height = 0;
  bmp_size(stored_file("loadingbar.bmp"), bar_width, bar_height);
  const Box bar{gfx::loading_bar_x, gfx::loading_bar_y, gfx::loading_bar_x + bar_width,
                gfx::loading_bar_y + bar_height};
  const struct {
    const char* edition;
    int loading_pictures;
  } cases[] = {{"XS", 14}, {"XL", 23}, {"XXL", 32}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.edition);
    std::filesystem::copy_file(data_dir() / c.edition / "grumboldX.dat", dir / "grumboldX.dat",
                               std::filesystem::copy_options::overwrite_existing);
    const int last = c.loading_pictures;
    write_file(dir / "script.txt", std::to_string(last) + " shot " + (dir / "last.png").string() +
                                       "\n" + std::to_string(last + 1) + " shot " +
                                       (dir / "first.png").string() + "\n");
    const RunResult r = run({{"GRUMBOLDX_FRAMES", std::to_string(last + 1)},
                             {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()}});
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    EXPECT_GT(share_alike(read_shot(dir / "last.png"), loading, {bar}, 16), 0.99);
    EXPECT_LT(share_alike(read_shot(dir / "first.png"), loading, {bar}, 16), 0.5);
  }
}
