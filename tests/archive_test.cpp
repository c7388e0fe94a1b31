// SPDX-License-Identifier: GPL-3.0-or-later
// The data archive: lookup rules, the edition from the header, and the archive builder.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/GrumboldX/command_line.h"
#include "game/app/app.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "tests/test_support.h"

using namespace front;

using namespace test_support;

namespace {

std::string read_stored(const char* name) {
  const int length = res::xflen(name);
  std::FILE* f = res::xfopen(name, "rb");
  if (!f) return "<null>";
  std::string bytes(static_cast<std::size_t>(length), '\0');
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  res::xfclose(f);
  bytes.resize(got);
  return bytes;
}

class ArchiveTest : public testing::Test {
 protected:
  void SetUp() override {
    res::debug_log_reset();
    make_archive("grumboldX.dat", "QZT XL V1.0",
                 {{"data\\gfx\\bg.jpg", "JPEGDATA"},
                  {"data\\text.txt", "texts"},
                  {"data\\twice.txt", "first"},
                  {"data\\twice.txt", "second"},
                  {"data\\end", "", 0},
                  {"data\\hidden.txt", "behind the end"}});
    ASSERT_EQ(res::xfinit("grumboldX.dat"), 1);
  }
  void TearDown() override { res::xfdone(); }
  InScratchDir here;
};

}  // namespace

TEST_F(ArchiveTest, LookupRules) {
  EXPECT_EQ(read_stored("data\\gfx\\bg.jpg"), "JPEGDATA");
  EXPECT_EQ(res::xflen("data\\text.txt"), 5);
  EXPECT_EQ(read_stored("data\\twice.txt"), "first");  // the first of two equal names wins
  EXPECT_EQ(res::xfexist("data\\gfx\\bg", ".jpg"), 1);       // base and extension joined as they are
  EXPECT_EQ(res::xfexist("data\\gfx\\bg", ".bmp"), 0);
  EXPECT_EQ(res::xfexist("data\\gfx\\", "bg.jpg"), 1);

  res::debug_log_reset();
  EXPECT_EQ(res::xflen("DATA\\TEXT.TXT"), 0);        // case matters
  EXPECT_EQ(res::xflen("data\\hidden.txt"), 0);      // nothing after a zero-length entry is seen
  EXPECT_EQ(res::xfopen("data\\end", "rb"), nullptr);  // a zero-length entry is not found
  EXPECT_EQ(res::xfexist("data\\hidden", ".txt"), 0);
  EXPECT_EQ(read_file("debug.txt"),
            "ERROR: xflen could not find file DATA\\TEXT.TXT\n"
            "ERROR: xflen could not find file data\\hidden.txt\n"
            "ERROR: xfopen could not find file data\\end\n");
}

TEST_F(ArchiveTest, OptionalNamesAreNeverReportedMissing) {
  res::debug_log_reset();
  EXPECT_EQ(res::xfexist("****data\\gfx\\nothing", ".bmp"), 1);
  EXPECT_EQ(res::xflen("****data\\gfx\\nothing.bmp"), 0);
  EXPECT_NE(res::xfopen("****data\\gfx\\nothing.bmp", "rb"), nullptr);
  EXPECT_EQ(read_file("debug.txt"), "");
}

TEST(Archive, HeaderDecidesTheEditionOverTheCommandLine) {
  InScratchDir here;
  struct Case {
    const char* magic;
    const char* command_line;
    int result, edition;
  } cases[] = {
      {"QZT XL V1.0", "-XXL", 1, 2},
      {"QZT XS V1.0", "-XL", 1, 1},
      {"QZT XXL V1.0", "", 1, 3},
      {"QZT XL V2.0", "-XS", 0, -1},
      {"qzt xl v1.0", "", 0, -1},
  };
  for (const Case& c : cases) {
    res::debug_log_reset();
    make_archive("grumboldX.dat", c.magic, {{"a", "b"}});
    read_command_line(c.command_line);
    EXPECT_EQ(res::xfinit("grumboldX.dat"), c.result) << c.magic;
    EXPECT_EQ(app::edition, c.edition) << c.magic;
    res::xfdone();
  }
}

TEST(Archive, MissingArchiveIsLogged) {
  InScratchDir here;
  res::debug_log_reset();
  EXPECT_EQ(res::xfinit("grumboldX.dat"), 0);
  EXPECT_EQ(read_file("debug.txt"), "open data file: grumboldX.dat\n  file not found\n");
}

TEST(Archive, CorruptEntriesAreNotFoundInsteadOfReadOutside) {
  InScratchDir here;
  res::debug_log_reset();
  make_archive("grumboldX.dat", "QZT XS V1.0", {{"negative", "x", -5}});
  ASSERT_EQ(res::xfinit("grumboldX.dat"), 1);
  EXPECT_EQ(res::xflen("negative"), 0);
  EXPECT_EQ(res::xfopen("negative", "rb"), nullptr);
  res::xfdone();
}

TEST(Archive, LooseFilesStandInForTheArchiveWhenSwitchedOff) {
  InScratchDir here;
  res::debug_log_reset();
  res::use_data_archive = false;
  write_file("data/gfx/bg.jpg", "loose bytes");
  EXPECT_EQ(res::xfinit("grumboldX.dat"), 1);  // no archive needed
  EXPECT_EQ(res::xflen("data\\gfx\\bg.jpg"), 11);
  EXPECT_EQ(res::xfexist("data\\gfx\\bg", ".jpg"), 1);
  EXPECT_EQ(read_stored("data\\gfx\\bg.jpg"), "loose bytes");
  EXPECT_EQ(res::xflen("data\\gfx\\none.jpg"), 0);
  EXPECT_EQ(res::xfexist("data\\gfx\\none", ".jpg"), 0);
  EXPECT_EQ(read_file("debug.txt"), "xflen file not found: data\\gfx\\none.jpg\n");
  res::use_data_archive = true;
}

TEST(CommandLine, OptionsAreFoundAnywhereAndCaseSensitive) {
  InScratchDir here;
  res::debug_log_reset();
  struct Case {
    const char* line;
    int edition;
    bool html;
  } cases[] = {
      {"", 2, true},           {"-XS", 1, true},         {"-XS -XXL", 3, true},
      {"-XXL -XS", 3, true},   {"-XL", 2, true},         {"-xs -xxl", 2, true},
      {"foo-XSbar", 1, true},  {"-nohtml -XS", 1, false}, {"-NOHTML", 2, true},
  };
  for (const Case& c : cases) {
    app::edition = 2;
    read_command_line(c.line);
    EXPECT_EQ(app::edition, c.edition) << c.line;
    EXPECT_EQ(app::html_enabled, c.html) << c.line;
  }
}

TEST(Packdat, RoundTripIsReproducibleAndReadableByTheGame) {
  ScratchDir tree;
  write_file(tree / "common/data/gfx/bg.jpg", "jpeg bytes");
  write_file(tree / "common/data/text.txt", std::string("\xFF\xFEt\0", 4));
  write_file(tree / "XS/data/gfx/tree_upset.bmp", "BM small");
  ScratchDir out;
  const std::vector<std::string> args{"--edition", "XS", "--out", (out / "a.dat").string(),
                                      (tree / "common").string(), (tree / "XS").string()};
  ASSERT_EQ(run_program("packdat", out.path(), {}, args).exit_code, 0);
  std::vector<std::string> again = args;
  again[3] = (out / "b.dat").string();
  ASSERT_EQ(run_program("packdat", out.path(), {}, again).exit_code, 0);
  EXPECT_EQ(read_file(out / "a.dat"), read_file(out / "b.dat"));

  {
    InScratchDir here;
    res::debug_log_reset();
    ASSERT_EQ(res::xfinit((out / "a.dat").c_str()), 1);
    EXPECT_EQ(app::edition, 1);
    EXPECT_EQ(read_stored("data\\gfx\\bg.jpg"), "jpeg bytes");
    EXPECT_EQ(read_stored("data\\text.txt"), std::string("\xFF\xFEt\0", 4));
    EXPECT_EQ(read_stored("data\\gfx\\tree_upset.bmp"), "BM small");
    res::xfdone();
  }

  ASSERT_EQ(run_program("packdat", out.path(), {}, {"--extract", "a.dat", "x"}).exit_code, 0);
  EXPECT_EQ(read_file(out / "x/data/gfx/bg.jpg"), "jpeg bytes");
  EXPECT_EQ(read_file(out / "x/data/gfx/tree_upset.bmp"), "BM small");
}

TEST(Packdat, RefusesWhatTheGameCouldNotRead) {
  ScratchDir out;
  auto pack = [&](const std::filesystem::path& root) {
    return run_program("packdat", out.path(), {},
                       {"--edition", "XL", "--out", (out / "bad.dat").string(), root.string()});
  };
  ScratchDir many;
  for (int i = 0; i < 499; ++i) write_file(many / std::to_string(1000 + i), "x");
  ScratchDir long_name;
  write_file(long_name / std::string(48, 'n'), "x");
  ScratchDir empty_file;
  write_file(empty_file / "empty", "");

  for (const ScratchDir* root : {&many, &long_name, &empty_file}) {
    const RunResult r = pack(root->path());
    EXPECT_EQ(r.exit_code, 2) << root->path();
    EXPECT_NE(r.stderr_text.find("nothing written"), std::string::npos) << r.stderr_text;
    EXPECT_FALSE(std::filesystem::exists(out / "bad.dat"));
  }

  // 498 files and a 47-character name are fine.
  std::filesystem::remove(many / "1000");
  write_file(long_name / std::string(47, 'n'), "x");
  std::filesystem::remove(long_name / std::string(48, 'n'));
  EXPECT_EQ(pack(many.path()).exit_code, 0);
  EXPECT_EQ(pack(long_name.path()).exit_code, 0);

  // The same name from two roots.
  ScratchDir a, b;
  write_file(a / "data/x.txt", "1");
  write_file(b / "data/x.txt", "2");
  const RunResult twice = run_program(
      "packdat", out.path(), {},
      {"--edition", "XL", "--out", (out / "two.dat").string(), a.path().string(), b.path().string()});
  EXPECT_EQ(twice.exit_code, 2);
  EXPECT_NE(twice.stderr_text.find("two files named data\\x.txt"), std::string::npos);
}

TEST(Packdat, ExtractRefusesNamesThatLeaveTheFolder) {
  InScratchDir here;
  make_archive("evil.dat", "QZT XL V1.0", {{"..\\escape.txt", "x"}});
  const RunResult r = run_program("packdat", here.path(), {}, {"--extract", "evil.dat", "out"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_FALSE(std::filesystem::exists(here.path() / "escape.txt"));
}
