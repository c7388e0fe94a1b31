// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore table and its file: ranking, the exact bytes against check strings made with the
// system's crypt(3), the round trip, the check against edits, bad files and failing writes.
#include <crypt.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "game/GrumboldX/highscore_check.h"
#include "game/GrumboldX/highscores.h"
#include "game/app/app.h"
#include "game/resources/log.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace front;

using namespace test_support;

namespace {

const char* const names[highscore_places] = {"Alpha", "Bravo", "Charlie", "Delta",
                                             "Echo",  "Foxtrot", "Golf", "Hotel"};

std::string utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t u : text) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

std::u16string widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string narrow_to_units(const std::string& bytes) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  return units;
}

// The default names come from texts 20 to 27.
void load_default_names() {
  std::u16string table;
  for (int i = 0; i < highscore_places; ++i)
    table += widen(std::to_string(20 + i) + " \"" + names[i] + "\"\n");
  const std::string bytes = utf16(table);
  text::parse_text_table(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

std::u16string name_of(int place) { return highscore_table[place].name; }

void set_table(const std::vector<std::pair<std::string, int>>& entries) {
  for (int i = 0; i < highscore_places; ++i) {
    const std::u16string name = widen(entries[i].first);
    for (int k = 0; k < highscore_name_room; ++k)
      highscore_table[i].name[k] = k < static_cast<int>(name.size()) ? name[k] : 0;
    highscore_table[i].score = entries[i].second;
  }
}

std::vector<std::pair<std::u16string, int>> table_now() {
  std::vector<std::pair<std::u16string, int>> t;
  for (const HighscoreEntry& e : highscore_table) t.emplace_back(e.name, e.score);
  return t;
}

std::string system_crypt(const std::string& key, const std::string& salt) {
  crypt_data data{};
  return crypt_r(key.c_str(), salt.c_str(), &data);
}

// The usual salt character with the same perturbation value as a code of the check's salts
// (the codes that reach beyond the alphabet act like these; 128..130 have no such character).
char usual_salt(int code) {
  if (code == 63 || code == 64) return static_cast<char>('8' + (code - 63));
  if (code >= 91 && code <= 96) return static_cast<char>('U' + (code - 91));
  if (code >= 123) return '.';
  return static_cast<char>(code);
}

// The three check strings of one place, made with the system's crypt(3).
std::string oracle_checks(const std::string& name, int score, int place, const std::string& date_key) {
  const int c1 = 72 + 3 * place + score % 10;
  const int c2 = 73 + 2 * place + (score / 7) % 10;
  const int c3 = 107 + 2 * place + (score / 13) % 10;
  EXPECT_LE(c3, 127) << "no system salt for this score at place " << place;
  std::string r1 = system_crypt(name + date_key, std::string("z") + usual_salt(c1));
  std::string r2 = system_crypt(std::to_string(score) + date_key, std::string("g") + usual_salt(c2));
  r1[1] = static_cast<char>(c1);  // the game's results begin with the salt as given
  r2[1] = static_cast<char>(c2);
  std::string k3 = r1;
  for (std::size_t k = 1; k < k3.size(); k += 2) k3[k] = r2[k];
  const std::string r3 = system_crypt(k3, std::string("P") + usual_salt(c3));
  return r1.substr(2) + r2.substr(2) + r3.substr(2);
}

std::string pad(std::string text, std::size_t width, bool left) {
  while (text.size() < width) text = left ? text + " " : " " + text;
  return text;
}

// A table whose check salts all have a character of the usual alphabet, a negative score
// included.
const std::vector<std::pair<std::string, int>> known_table = {
    {"Alpha", 900}, {"Bravo", 777}, {"Charlie", 600}, {"Delta", 523},
    {"Echo", 400},  {"Foxtrot", 301}, {"Golf", 130},  {"Hotel", -7}};

class Highscores : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("GRUMBOLDX_TIME");  // the headless wall clock starts at 2010-01-01 00:00:00 UTC
    ASSERT_TRUE(plat::init_headless());
    res::debug_log_reset();
    load_default_names();
    app::edition = app::edition_xl;
    app::highscore_penalty = false;
    new_entry_rank = -1;
    set_default_highscores();
  }
  void TearDown() override { plat::shutdown(); }

  static bool load(const std::string& bytes) {
    // Exactly as long as the file, so reading past its end is caught by the sanitizer.
    std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
    return load_highscores_from(image.data(), image.size());
  }
  std::string log() const { return read_file(here.path() / "debug.txt"); }
  void expect_defaults() const {
    const int scores[] = {500, 400, 300, 250, 200, 150, 100, 50};
    for (int i = 0; i < highscore_places; ++i) {
      EXPECT_EQ(name_of(i), widen(names[i])) << "place " << i;
      EXPECT_EQ(highscore_table[i].score, scores[i]) << "place " << i;
    }
  }

  InScratchDir here;
};

}  // namespace

TEST_F(Highscores, DefaultsComeFromTheTextsAndTheEdition) {
  struct Case {
    int edition;
    int scores[highscore_places];
  } cases[] = {
      {app::edition_xs, {500, 400, 300, 250, 200, 150, 100, 50}},
      {app::edition_xl, {500, 400, 300, 250, 200, 150, 100, 50}},
      {app::edition_xxl, {1000, 800, 600, 400, 300, 200, 100, 50}},
  };
  for (const Case& c : cases) {
    app::edition = c.edition;
    set_default_highscores();
    for (int i = 0; i < highscore_places; ++i) {
      EXPECT_EQ(name_of(i), widen(names[i]));
      EXPECT_EQ(highscore_table[i].score, c.scores[i]) << "edition " << c.edition << " place " << i;
    }
  }
}

TEST_F(Highscores, InsertMakesRoomBelowEqualScores) {
  struct Case {
    std::int32_t score;
    int place;
  } cases[] = {
      {501, 0},   // above the first
      {500, 1},   // equal to the first: below it
      {499, 1},
      {251, 3},
      {250, 4},   // equal to the fourth
      {51, 7},
      {50, -1},   // equal to the eighth: does not enter
      {-5, -1},
  };
  for (const Case& c : cases) {
    set_default_highscores();
    const auto before = table_now();
    const int place = insert_highscore(c.score);
    EXPECT_EQ(place, c.place) << "score " << c.score;
    const auto after = table_now();
    if (place < 0) {
      EXPECT_EQ(after, before) << "score " << c.score;
      continue;
    }
    // Above the place nothing moves; below it every entry moved one down with its name; the
    // place itself still holds the entry that moved down; the eighth dropped out.
    for (int i = 0; i < place; ++i) EXPECT_EQ(after[i], before[i]);
    for (int i = place + 1; i < highscore_places; ++i) EXPECT_EQ(after[i], before[i - 1]);
    EXPECT_EQ(after[place], before[place]);
  }
}

TEST_F(Highscores, TheFileHoldsExactlyTheDesignedBytes) {
  struct Case {
    HighscoreTime when;
    const char* date_key;
  } cases[] = {
      {{2010, 1, 1, 0, 0, 0}, "7da11"},
      {{2013, 12, 31, 23, 59, 58}, "8174736"},
  };
  for (const Case& c : cases) {
    set_table(known_table);
    char time_line[64];
    std::snprintf(time_line, sizeof time_line, "       %4d-%02d-%02d %02d:%02d:%02d\n", c.when.year,
                  c.when.month, c.when.day, c.when.hour, c.when.minute, c.when.second);
    std::string text = std::string("\n           Grumbold X\n") + time_line + "\n";
    for (const auto& [name, score] : known_table)
      text += pad(name, 24, true) + " " + pad(std::to_string(score), 8, false) + "\n";
    text += "\n---------------------------------\n";
    for (int i = 0; i < highscore_places; ++i)
      text += oracle_checks(known_table[i].first, known_table[i].second, i, c.date_key) + "\n";
    text += "\n";  // the ninth triple is never filled

    EXPECT_EQ(format_highscore_file(c.when), utf16(widen(text))) << "date key " << c.date_key;
  }
}

TEST_F(Highscores, ASavedTableLoadsBackTheSameAndValid) {
  set_table({{"Anna", 1000}, {"Bo", 990}, {"Cleo Weber", 800}, {"Dirk", 700},
             {"Ella", 600},  {"Fe", 500}, {"Gus", 0},          {"Hal", -30}});
  highscore_table[1].name[1] = u'\u00e4';  // a character beyond ASCII: "Bä"
  const auto saved = table_now();
  save_highscores();
  EXPECT_FALSE(std::filesystem::exists("highscores.txt.new")) << "the temporary file is gone";
  const std::string bytes = read_file("highscores.txt");

  set_default_highscores();
  load_highscores();
  EXPECT_TRUE(highscores_set_up());
  EXPECT_EQ(table_now(), saved);
  EXPECT_FALSE(app::highscore_penalty);
  EXPECT_EQ(log().find("not valid"), std::string::npos) << log();
  // The ninth check line is empty on saving and sets nothing on loading.
  const std::u16string units = narrow_to_units(bytes);
  EXPECT_EQ(units.substr(units.size() - 2), u"\n\n");
  for (const auto& check : loaded_checks[8]) EXPECT_EQ(check[0], 0);
}

TEST_F(Highscores, EditsThatChangeAnEntryOrTheDateKeyFailTheCheck) {
  set_table(known_table);
  const std::u16string file = narrow_to_units(format_highscore_file({2010, 1, 1, 0, 0, 0}));
  struct Case {
    const char16_t* from;
    const char16_t* to;
    bool valid;
  } cases[] = {
      {u"     900\n", u"     901\n", false},                        // a score
      {u"Alpha ", u"Alpho ", false},                               // a name
      {u"2010-01-01 00:00:00", u"2010-01-01 00:00:01", false},    // year + second
      {u"2010-01-01 00:00:00", u"2010-01-01 00:01:00", false},    // month + minute
      {u"2010-01-01 00:00:00", u"2010-01-02 00:00:00", false},    // day + hour
      {u"2010-01-01 00:00:00", u"2009-01-01 00:00:01", true},     // the same three sums
      {u"2010-01-01 00:00:00", u"2010-01-01 01:00:00", false},
      {u"2010-01-01 00:00:00", u"2010-01-02 23:00:00", false},
      {u"2010-01-01 00:00:00", u"2010-01-02 -1:00:00", true},     // day + hour stays 1
      {u"-7\n", u"-8\n", false},                                  // a negative score
  };
  for (const Case& c : cases) {
    std::u16string edited = file;
    const auto at = edited.find(c.from);
    ASSERT_NE(at, std::u16string::npos);
    edited.replace(at, std::char_traits<char16_t>::length(c.from), c.to);
    set_default_highscores();
    app::highscore_penalty = false;
    EXPECT_EQ(load(utf16(edited)), c.valid) << "edit at unit " << at;
    EXPECT_EQ(app::highscore_penalty, !c.valid);
    if (c.valid) {
      EXPECT_EQ(highscore_table[0].score, 900);
    } else {
      expect_defaults();
    }
  }
  // Two places swapped: names and scores no longer match their places.
  std::u16string swapped = file;
  const auto alpha = swapped.find(u"Alpha");
  const auto bravo = swapped.find(u"Bravo");
  const std::u16string line_a = swapped.substr(alpha, 34), line_b = swapped.substr(bravo, 34);
  swapped.replace(alpha, 34, line_b);
  swapped.replace(bravo, 34, line_a);
  EXPECT_FALSE(load(utf16(swapped)));
}

TEST_F(Highscores, BadFilesFallBackToTheDefaultsWithThePenalty) {
  set_table(known_table);
  const std::string good = format_highscore_file({2010, 1, 1, 0, 0, 0});
  ASSERT_TRUE(load(good));

  std::u16string no_line_ends = narrow_to_units(good);
  for (char16_t& u : no_line_ends)
    if (u == u'\n') u = u' ';
  std::u16string overlong = narrow_to_units(good);
  overlong.insert(1, std::u16string(150, u'x'));
  std::u16string huge = narrow_to_units(good);
  huge.replace(huge.find(u"     900"), 8, u"99999999999");
  std::mt19937 random(7);
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>(random()));

  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"half", good.substr(0, good.size() / 2)},
      {"without its check lines", good.substr(0, good.find(std::string("-\0\n\0", 4)) + 4)},
      {"one byte short", good.substr(0, good.size() - 1)},
      {"one byte more", good + "x"},
      {"with a big-endian byte-order mark", std::string("\xfe\xff") + good},
      {"without line ends", utf16(no_line_ends)},
      {"with an overlong line", utf16(overlong)},
      {"with a score beyond 32 bits", utf16(huge)},
      {"of garbage", garbage},
      {"of one line end", utf16(u"\n")},
  };
  for (const Case& c : cases) {
    set_table(known_table);
    app::highscore_penalty = false;
    res::debug_log_reset();
    EXPECT_FALSE(load(c.bytes)) << c.what;
    EXPECT_TRUE(app::highscore_penalty) << c.what;
    expect_defaults();
    EXPECT_EQ(log(), "Highscore-file not valid!\n") << c.what;
  }
}

TEST_F(Highscores, FilesAnEditorTouchedStillLoad) {
  set_table(known_table);
  const std::string good = format_highscore_file({2010, 1, 1, 0, 0, 0});
  const std::string mark = "\xff\xfe";
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"without its last, empty line", good.substr(0, good.size() - 2)},
      {"without the last check line's end either", good.substr(0, good.size() - 4)},
      {"with a byte-order mark", mark + good},
      {"with a byte-order mark and trimmed", mark + good.substr(0, good.size() - 2)},
  };
  for (const Case& c : cases) {
    set_default_highscores();
    app::highscore_penalty = false;
    EXPECT_TRUE(load(c.bytes)) << c.what;
    EXPECT_FALSE(app::highscore_penalty) << c.what;
    std::vector<std::pair<std::u16string, int>> expected;
    for (const auto& [name, score] : known_table) expected.emplace_back(widen(name), score);
    EXPECT_EQ(table_now(), expected) << c.what;
  }
}

TEST_F(Highscores, AMissingFileKeepsTheDefaultsWithoutPenalty) {
  set_table(known_table);
  load_highscores();
  expect_defaults();
  EXPECT_FALSE(app::highscore_penalty);
  EXPECT_EQ(log(), "");
}

TEST_F(Highscores, AFailingWriteLeavesTheOldFileWholeAndThePenaltyAsItWas) {
  set_table(known_table);
  save_highscores();
  const std::string old_file = read_file("highscores.txt");
  set_table({{"New", 5000}, {"B", 40}, {"C", 30}, {"D", 20}, {"E", 10}, {"F", 5}, {"G", 2}, {"H", 1}});

  // A full disk: the temporary file takes no bytes.
  ASSERT_EQ(symlink("/dev/full", "highscores.txt.new"), 0);
  app::highscore_penalty = true;
  res::debug_log_reset();
  save_highscores();
  EXPECT_EQ(read_file("highscores.txt"), old_file);
  EXPECT_FALSE(std::filesystem::is_symlink("highscores.txt.new")) << "the broken file is removed";
  EXPECT_TRUE(app::highscore_penalty);
  EXPECT_NE(log().find("ERROR: writing highscores.txt failed"), std::string::npos) << log();

  // A folder in the temporary file's place: it cannot even be opened.
  std::filesystem::create_directory("highscores.txt.new");
  res::debug_log_reset();
  save_highscores();
  EXPECT_EQ(read_file("highscores.txt"), old_file);
  EXPECT_TRUE(app::highscore_penalty);
  EXPECT_NE(log().find("ERROR: cannot write"), std::string::npos) << log();
  std::filesystem::remove("highscores.txt.new");

  // Once writing works again, the new table replaces the old one and the penalty ends.
  save_highscores();
  EXPECT_NE(read_file("highscores.txt"), old_file);
  EXPECT_FALSE(app::highscore_penalty);
  set_default_highscores();
  load_highscores();
  EXPECT_EQ(highscore_table[0].score, 5000);
}
