// SPDX-License-Identifier: GPL-3.0-or-later
// The data generator itself: a fresh run writes the files of the build's run again byte for
// byte (the graphics fingerprint depends on it), its developer views are written, and bad
// arguments are refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace test_support;

namespace {

std::map<std::string, std::string> read_tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).generic_string()] = read_file(entry.path());
  return files;
}

TEST(DataGenerator, AFreshRunWritesTheBuildsFilesAgain) {
  ScratchDir dir;
  // Every picture and sound: a minute and more under the sanitizers on a busy machine.
  const auto limit = std::chrono::seconds(240);
  const RunResult r = run_program("makedata", dir.path(), {}, {"--out", (dir / "tree").string()}, limit);
  ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
  const auto a = read_tree(dir / "tree");
  // The build's tree, from which the archives are packed; its stamp is the build's own.
  auto b = read_tree(data_dir() / "tree");
  ASSERT_EQ(b.erase("stamp"), 1u) << "no complete data tree at " << data_dir() / "tree";
  ASSERT_FALSE(a.empty());
  for (const auto& [name, bytes] : a) {
    if (!b.count(name)) {
      ADD_FAILURE() << name << " is missing from the build's tree";
      continue;
    }
    EXPECT_TRUE(bytes == b.at(name)) << name << " differs from the build's run";
  }
  for (const auto& [name, bytes] : b)
    if (!a.count(name)) ADD_FAILURE() << name << " is no longer written";
  // Every edition has its own pictures besides the shared ones, and no name is in both.
  for (const char* edition : {"XS/", "XL/", "XXL/"}) {
    int own = 0;
    for (const auto& [name, bytes] : a) {
      if (name.rfind(edition, 0) != 0) continue;
      ++own;
      EXPECT_FALSE(a.count("common/" + name.substr(std::string(edition).size()))) << name << " is also shared";
    }
    EXPECT_GT(own, 0) << edition;
  }
}

TEST(DataGenerator, WritesTheContactSheetAndThePreviews) {
  ScratchDir dir;
  const RunResult r = run_program("makedata", dir.path(), {},
                                  {"--contact-sheet", (dir / "sheet.png").string(), "--only", "pumpkin",
                                   "--preview-scene", (dir / "preview").string()});
  ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
  for (const fs::path& file : {dir / "sheet.png", dir / "preview" / "scene1_0.png", dir / "preview" / "scene2.png",
                               dir / "preview" / "title.png", dir / "preview" / "loading.png"}) {
    ASSERT_TRUE(fs::exists(file)) << file;
    EXPECT_EQ(read_file(file).substr(1, 3), "PNG") << file;
  }
}

TEST(DataGenerator, RefusesUnknownOrIncompleteArguments) {
  ScratchDir dir;
  const std::vector<std::vector<std::string>> cases = {{}, {"--out"}, {"--frobnicate", "x"}, {"--only", "x"}};
  for (const auto& args : cases) {
    const RunResult r = run_program("makedata", dir.path(), {}, args);
    EXPECT_EQ(r.exit_code, 2) << (args.empty() ? "(none)" : args[0]);
    EXPECT_NE(r.stderr_text.find("usage: makedata"), std::string::npos);
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
