// SPDX-License-Identifier: GPL-3.0-or-later
// The game in each of its languages. In this process: how the language is chosen from the option
// and the locale, what it changes in the upload (its language number, the links), and that the
// English table has every text the German one has, in characters the font holds. Through the real binary, headless (XL): title,
// help, table, a round with hits, the name entry and the exit screen, each compared with the stored
// picture of that language; the same scripted round records the very same game in both.
//
// The stored pictures are tests/screens/<language>/<screen>.png at half size. After a change to
// what a screen shows, look at the new shots and store them with
//   GRUMBOLDX_STORE_SCREENS=1 build/bin/language_run_test
#include <gtest/gtest.h>

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "game/GrumboldX/language.h"
#include "game/app/app.h"
#include "game/gfx/picture.h"
#include "game/qzX/replay.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "game/upload/upload.h"
#include "platform/user_folders.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

constexpr const char* languages[] = {"de", "en"};

// Sets environment variables for the life of the object and puts the old values back.
class Environment {
 public:
  void set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) {
      if (value) setenv(name.c_str(), value->c_str(), 1);
      else unsetenv(name.c_str());
    }
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

// A screenshot at half size (each pixel the mean of a 2 × 2 block), as the pictures are stored.
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

Picture half_size(const std::filesystem::path& shot) {
  int w = 0, h = 0;
  const std::vector<unsigned char> full = read_png_rgb(shot, w, h);
  Picture out{w / 2, h / 2, {}};
  out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < 2; ++dy)
          for (int dx = 0; dx < 2; ++dx)
            sum += full[(static_cast<std::size_t>(2 * y + dy) * w + 2 * x + dx) * 3 + c];
        out.rgb[(static_cast<std::size_t>(y) * out.width + x) * 3 + c] = static_cast<unsigned char>((sum + 2) / 4);
      }
  return out;
}

Picture read_picture(const std::filesystem::path& file) {
  Picture p;
  p.rgb = read_png_rgb(file, p.width, p.height);
  return p;
}

void write_picture(const std::filesystem::path& file, const Picture& p) {
  std::filesystem::create_directories(file.parent_path());
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(p.width);
  image.height = static_cast<png_uint_32>(p.height);
  image.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&image, file.c_str(), 0, p.rgb.data(), 0, nullptr)) << file;
}

// Compares a shot with the stored picture of its language and screen (or stores it when asked).
// A pixel differs when a channel is off by more than 24; a handful may, as a decoder of another
// build may round a JPEG's colours otherwise, but no word: the smallest button is ~300 pixels here.
void expect_stored_picture(const std::filesystem::path& shot, const std::string& language,
                           const std::string& screen) {
  const std::filesystem::path stored = source_dir() / "tests" / "screens" / language / (screen + ".png");
  const Picture now = half_size(shot);
  ASSERT_EQ(now.width, 400) << shot;
  if (std::getenv("GRUMBOLDX_STORE_SCREENS")) {
    write_picture(stored, now);
    return;
  }
  const Picture then = read_picture(stored);
  ASSERT_EQ(then.width, now.width) << stored << " is missing or of another size";
  ASSERT_EQ(then.height, now.height) << stored;
  int differing = 0;
  for (std::size_t i = 0; i < now.rgb.size(); i += 3) {
    bool differs = false;
    for (int c = 0; c < 3; ++c) differs = differs || std::abs(now.rgb[i + c] - then.rgb[i + c]) > 24;
    differing += differs;
  }
  EXPECT_LE(differing, 40) << language << " " << screen << " differs from " << stored;
}

class LanguageRun : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    app::edition = app::edition_xl;
    gfxtest::load_archive(app::edition_xl);
  }
  static void TearDownTestSuite() {
    gfxtest::unload_archive();
    gfx::set_picture_language(nullptr);
    app::reset();
  }

  // A scratch folder with the XL archive for one run of the binary.
  RunResult run(const std::string& folder, const std::string& script, int frames,
                std::map<std::string, std::string> env, const std::vector<std::string>& args) {
    const std::filesystem::path at = dir / folder;
    std::filesystem::create_directories(at);
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", at / "grumboldX.dat",
                               std::filesystem::copy_options::skip_existing);
    write_file(at / "script.txt", script);
    env.emplace("GRUMBOLDX_HEADLESS", "1");
    env.emplace("GRUMBOLDX_FRAME_MS", "30");
    env.emplace("GRUMBOLDX_FRAMES", std::to_string(frames));
    env.emplace("GRUMBOLDX_SCRIPT", (at / "script.txt").string());
    return run_program("grumboldx", at, env, args);
  }

  ScratchDir dir;
};

}  // namespace

TEST(LanguageChoice, TheLocaleGivesItsTwoLetters) {
  const struct {
    const char* lc_all;
    const char* lc_messages;
    const char* lang;
    const char* language;
  } cases[] = {
      {nullptr, nullptr, "en_GB.UTF-8", "en"},
      {nullptr, "fr_FR", "en_GB.UTF-8", "fr"},  // LC_MESSAGES before LANG
      {"de_AT.UTF-8", "fr_FR", "en_GB.UTF-8", "de"},  // LC_ALL before both
      {"", "", "en", "en"},                         // empty settings count as unset
      {"C", nullptr, "en_US.UTF-8", ""},            // C and POSIX speak the game's own language
      {nullptr, nullptr, "POSIX", ""},
      {nullptr, nullptr, "C.UTF-8", ""},
      {nullptr, nullptr, "en@euro", "en"},
      {nullptr, nullptr, "EN_us", ""},
      {nullptr, nullptr, "english", ""},
      {nullptr, nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    Environment env;
    env.set("LC_ALL", c.lc_all);
    env.set("LC_MESSAGES", c.lc_messages);
    env.set("LANG", c.lang);
    EXPECT_EQ(plat::user_language(), c.language) << (c.lang ? c.lang : "(none)");
  }
}

TEST_F(LanguageRun, TheOptionWinsOverTheLocaleAndOnlyLanguagesOfTheArchiveAreChosen) {
  const struct {
    const char* option;
    const char* locale;
    bool ok;
    const char* language;
  } cases[] = {
      {"", "", true, "de"},     {"", "en", true, "en"},      {"", "fr", true, "de"},
      {"de", "en", true, "de"}, {"en", "", true, "en"},      {"fr", "en", false, "de"},
  };
  for (const auto& c : cases) {
    app::language = "de";
    std::string error;
    EXPECT_EQ(front::choose_language(c.option, c.locale, error), c.ok) << c.option << "/" << c.locale;
    EXPECT_EQ(app::language, c.language) << c.option << "/" << c.locale;
    if (!c.ok) {
      EXPECT_EQ(error, std::string("this archive has no language ") + c.option);
    }
  }
  gfx::set_picture_language(nullptr);
  app::language = "de";
}

TEST_F(LanguageRun, TheEnglishTableHasEveryTextAndTellsTheUploadItsLanguage) {
  text::load_texts("de");
  std::map<int, std::u16string> german;
  for (int i = 1; i < text::text_index_count; ++i)
    if (text::text_index[i] != text::text_undefined) german[i] = text::get_text(i);
  EXPECT_EQ(upload::language_number(), 7);
  text::load_texts("en");
  EXPECT_EQ(upload::language_number(), 9);
  for (const auto& [index, text] : german) {
    ASSERT_NE(text::text_index[index], text::text_undefined) << "text " << index << " is missing in English";
    // Gaps, numbers, names and the caption are the same in both; every other text is English.
    const bool same_in_both = text.size() <= 1 || index == 87 || index == 93 || index >= 98;
    if (!same_in_both) {
      EXPECT_NE(std::u16string(text::get_text(index)), text) << "text " << index << " is German";
    }
  }
  // The game's font has every character of the texts it draws (the dialog's, 80 to 97, are the
  // desktop's).
  for (int i = 1; i < text::text_index_count; ++i) {
    if (text::text_index[i] == text::text_undefined || (i >= 80 && i < 98)) continue;
    for (const char16_t* c = text::get_text(i); *c; ++c)
      EXPECT_TRUE(*c == u' ' || text::char_available(*c)) << "text " << i << ": character " << int(*c);
  }
  text::load_texts();
}

TEST(LanguageChoice, TheLinksCarryTheLanguage) {
  const char* path = "/grumbold/qzt/de/xs_c1_redirect.php?from=QZT_XS-Ver1.0DE-C1";
  app::language = "en";
  EXPECT_EQ(upload::language_path(path), "/grumbold/qzt/en/xs_c1_redirect.php?from=QZT_XS-Ver1.0EN-C1");
  app::language = "de";
  EXPECT_EQ(upload::language_path(path), path);
}

TEST_F(LanguageRun, AnUnknownLanguageEndsTheStartWithCode2) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"-lang", "fr"},
                                               std::vector<std::string>{"-lang"},
                                               std::vector<std::string>{"-lang", "EN"}}) {
    const RunResult r = run("refused", "", 10, {}, args);
    EXPECT_EQ(r.exit_code, 2) << args.back();
    EXPECT_NE(r.stderr_text.find(args.size() == 2 && args[1] == "fr" ? "this archive has no language fr"
                                                                     : "-lang needs a language code"),
              std::string::npos)
        << r.stderr_text;
  }
}

// The menu screens in both languages: German as it always was, English chosen by the locale.
TEST_F(LanguageRun, EveryMenuScreenLooksAsStoredInEachLanguage) {
  const std::string walk =
      "30 move 400 300\n120 shot title.png\n121 move 320 540\n124 ldown\n127 lup\n230 shot help.png\n"
      "231 move 420 545\n232 ldown\n233 lup\n341 move 470 540\n342 ldown\n343 lup\n450 shot table.png\n"
      "451 move 420 545\n452 ldown\n453 lup\n560 move 630 540\n561 ldown\n562 lup\n570 shot exit.png\n"
      "580 key SPACE\n";
  for (const std::string language : languages) {
    std::map<std::string, std::string> env;
    if (language == "en") env["LANG"] = "en_GB.UTF-8";
    const RunResult r = run("walk_" + language, walk, 2000, env, {});
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    for (const char* screen : {"title", "help", "table", "exit"})
      expect_stored_picture(dir / ("walk_" + language) / (std::string(screen) + ".png"), language, screen);
  }
}

// One aimed round played in each language: the same recording byte for byte, the pictures of
// that language on the way (a hit, the name entry).
TEST_F(LanguageRun, TheSameRoundRecordsTheSameGameInEachLanguage) {
  constexpr int start_frame = 101;
  const RunResult quiet = run("quiet", "30 move 200 540\n100 ldown\n101 lup\n", start_frame + 91 * 1000 / 30 + 200, {}, {});
  ASSERT_EQ(quiet.exit_code, 0) << quiet.stderr_text;
  qzx::Recording timing;
  std::string error;
  ASSERT_TRUE(qzx::load_recording((dir / "quiet" / "lastgame.rec").string().c_str(), timing, error)) << error;

  const AimedRound aimed = play_aimed(timing);
  ASSERT_GT(aimed.score, 50) << "beats the last place of the default table";
  ASSERT_GE(aimed.first_kill_frame, 0);

  const int end_frame = start_frame + static_cast<int>(aimed.inputs.size()) - 1;
  std::string script = script_of(aimed.inputs, start_frame);
  script += std::to_string(start_frame + aimed.first_kill_frame + 2) + " shot hit.png\n";
  script += std::to_string(end_frame + 60) + " text Anna\n";
  script += std::to_string(end_frame + 62) + " shot name_entry.png\n";
  script += std::to_string(end_frame + 63) + " key RETURN\n";
  std::string recordings[2];
  for (int k = 0; k < 2; ++k) {
    const std::string language = languages[k];
    const RunResult r = run("round_" + language, script, end_frame + 100, {}, {"-lang", language});
    ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
    recordings[k] = read_file(dir / ("round_" + language) / "lastgame.rec");
    ASSERT_FALSE(recordings[k].empty()) << "the round ended";
    expect_stored_picture(dir / ("round_" + language) / "hit.png", language, "hit");
    expect_stored_picture(dir / ("round_" + language) / "name_entry.png", language, "name_entry");
  }
  EXPECT_EQ(recordings[0], recordings[1]) << "the language changes nothing the game records";
  qzx::Recording game;
  ASSERT_TRUE(qzx::load_recording((dir / "round_en" / "lastgame.rec").string().c_str(), game, error)) << error;
  ASSERT_EQ(game.frames.size(), aimed.inputs.size());
  for (std::size_t i = 0; i < game.frames.size(); ++i) ASSERT_EQ(game.frames[i].input, aimed.inputs[i]) << "frame " << i;
  EXPECT_EQ(game.score, aimed.score);
}
