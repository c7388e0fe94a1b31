// SPDX-License-Identifier: GPL-3.0-or-later
// The UTF-16 text table: numbering, quotes, comments, the byte-order mark and bad lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/text/texts.h"
#include "game/text/translations.h"
#include "tests/gfx_fixture.h"

using namespace text;

namespace {

std::vector<std::uint8_t> utf16(const std::u16string& s, bool bom) {
  std::vector<std::uint8_t> out;
  if (bom) {
    out.push_back(0xFF);
    out.push_back(0xFE);
  }
  for (char16_t u : s) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return out;
}

void parse(const std::u16string& s, bool bom = true) {
  const auto bytes = utf16(s, bom);
  parse_text_table(bytes.data(), bytes.size());
}

std::u16string text_of(int index) { return std::u16string(get_text(index)); }

class TextTable : public ::testing::Test {
 protected:
  void SetUp() override { gfxtest::reset_log(); }
};

struct TableCase {
  const char* what;
  std::u16string file;
  int index;
  std::u16string expected;  // u"" with defined = false: undefined
  bool defined;
};

TEST_F(TextTable, ParsingCases) {
  const TableCase cases[] = {
      {"plain line", u"12 \"Hello\"\r\n", 12, u"Hello", true},
      {"leading blanks before the number", u"   7 \"Seven\"\r\n", 7, u"Seven", true},
      {"quotes inside keep up to the last quote", u"5 \"say \"hi\" now\"\r\n", 5,
       u"say \"hi\" now", true},
      {"no quote defines nothing", u"5 Hello\r\n", 5, u"", false},
      {"no closing quote defines nothing", u"5 \"Hello\r\n", 5, u"", false},
      {"comment line", u"#5 \"Hello\"\r\n", 5, u"", false},
      {"lines shorter than 3 units are skipped", u"5\r\n6 \"x\"\r\n", 6, u"x", true},
      {"a later line replaces the earlier", u"3 \"one\"\r\n3 \"two\"\r\n", 3, u"two", true},
      {"9999 ends the table", u"1 \"a\"\r\n9999\r\n2 \"b\"\r\n", 2, u"", false},
      {"empty text", u"4 \"\"\r\n", 4, u"", true},
      {"last line without line end", u"8 \"end\"", 8, u"end", true},
      {"non-ASCII text", u"9 \"Gr\u00fc\u00dfe \u20ac\"\n", 9, u"Gr\u00fc\u00dfe \u20ac", true},
  };
  for (const TableCase& c : cases) {
    parse(c.file);
    EXPECT_EQ(text_index[c.index] != text_undefined, c.defined) << c.what;
    if (c.defined) {
      EXPECT_EQ(text_of(c.index), c.expected) << c.what;
    }
  }
}

TEST_F(TextTable, LinesNumbered100AreCountedOn) {
  parse(u"100 \"Alpha\"\r\n100 no quote\r\n100 \"Beta\"\r\n");
  EXPECT_EQ(text_of(100), u"Alpha");
  EXPECT_EQ(text_index[101], text_undefined);  // the counter moved on all the same
  EXPECT_EQ(text_of(102), u"Beta");
}

TEST_F(TextTable, FileWithoutByteOrderMarkIsReadFromItsFirstByte) {
  parse(u"11 \"first\"\r\n", false);
  EXPECT_EQ(text_of(11), u"first");
  parse(u"11 \"first\"\r\n", true);
  EXPECT_EQ(text_of(11), u"first");
}

TEST_F(TextTable, IndicesOutOfRangeAreLoggedAndIgnored) {
  parse(u"1 \"ok\"\r\n0 \"zero\"\r\n600 \"big\"\r\n-3 \"neg\"\r\n99999999999 \"huge\"\r\n");
  EXPECT_EQ(text_of(1), u"ok");
  const std::string log = gfxtest::read_log();
  EXPECT_NE(log.find("Text Index out of range!(0, 3)\n"), std::string::npos);
  EXPECT_NE(log.find("Text Index out of range!(600, 3)\n"), std::string::npos);
  EXPECT_NE(log.find("Text Index out of range!(-3, 3)\n"), std::string::npos);
  // The auto-numbered lines stop at the end of the table too.
  std::u16string many;
  for (int i = 0; i < 520; ++i) many += u"100 \"c\"\n";
  parse(many);
  EXPECT_EQ(text_of(599), u"c");
  EXPECT_NE(gfxtest::read_log().find("Text Index out of range!(600,"), std::string::npos);
}

TEST_F(TextTable, UndefinedTextsAreLoggedAndShownAsMissing) {
  parse(u"1 \"a\"\r\n");
  EXPECT_EQ(text_of(2), u"Can't find text!");
  EXPECT_EQ(text_of(0), u"Can't find text!");
  EXPECT_EQ(text_of(600), u"Can't find text!");
  EXPECT_NE(gfxtest::read_log().find("Error, can't find text with index#2!\n"), std::string::npos);
}

TEST_F(TextTable, OverlongLinesAndAFullPoolStayInBounds) {
  // A line of 2000 units is read as 998 units, then the rest as the next lines.
  std::u16string line = u"20 \"" + std::u16string(1990, u'x') + u"\"\r\n";
  parse(line + u"21 \"after\"\r\n");
  EXPECT_EQ(text_index[20], text_undefined);  // its first part has no closing quote
  EXPECT_EQ(text_of(21), u"after");
  // Texts beyond the 20000-unit pool are dropped with a log line.
  std::u16string file;
  const std::u16string long_text(900, u'y');
  for (int i = 1; i <= 30; ++i) {
    const std::string number = std::to_string(i);
    file += std::u16string(number.begin(), number.end()) + u" \"" + long_text + u"\"\n";
  }
  parse(file);
  EXPECT_EQ(text_of(22), long_text);
  EXPECT_EQ(text_index[23], text_undefined);  // 22 × 901 units fit, the 23rd does not
  EXPECT_NE(gfxtest::read_log().find("Text pool full, text 23 dropped\n"), std::string::npos);
}

TEST_F(TextTable, MissingFileLeavesEveryTextUndefined) {
  gfxtest::LooseFiles files;
  parse(u"1 \"a\"\r\n");
  load_texts();
  EXPECT_NE(gfxtest::read_log().find("Error, can't open text-file!\n"), std::string::npos);
  EXPECT_EQ(text_of(1), u"Can't find text!");
  files.write("data\\text.txt", utf16(u"# texts\r\n13 \"Score %d\"\r\n", true));
  load_texts();
  EXPECT_EQ(text_of(13), u"Score %d");
}

}  // namespace

// ---- translation files ---------------------------------------------------------------------------

TEST(Translation, AWholeFileIsReadSectionBySection) {
  const std::string file =
      "\xEF\xBB\xBF# a comment\n"
      "[language]\ncode = fr\nname = Français\nupload = 000c\n\n"
      "[texts]\n13 = Vos points : %d\n50 = But = tout\n"
      "[credits]\n#GrumboldX\n\nLe jeu\n\n\n"
      "[words]\nHilfe = Aide\n"
      "[server]\r\nZu viele Anfragen = Trop de requêtes\r\n";
  Translation t;
  std::string error;
  ASSERT_TRUE(parse_translation(file, t, error)) << error;
  EXPECT_EQ(t.code, "fr");
  EXPECT_EQ(t.name, "Français");
  EXPECT_EQ(t.upload_code, 0x0c);
  EXPECT_EQ(t.texts.at(13), "Vos points : %d");
  EXPECT_EQ(t.texts.at(50), "But = tout") << "the key ends at the first \" = \"";
  // Credits keep "#" lines and inner gaps as they stand; the blank lines before the next section go.
  EXPECT_EQ(t.credits, (std::vector<std::string>{"#GrumboldX", "", "Le jeu"}));
  EXPECT_EQ(translated(t.words, "Hilfe"), "Aide");
  EXPECT_EQ(translated(t.words, "Ende"), "Ende") << "a word without translation stays German";
  EXPECT_EQ(translated(t.server, "Zu viele Anfragen"), "Trop de requêtes");
}

TEST(Translation, AMalformedFileIsRefusedWithItsLine) {
  const std::string head = "[language]\ncode = fr\nname = Français\nupload = 000c\n";
  const struct {
    std::string file;
    std::string error;
  } cases[] = {
      {head + "[menus]\n", "line 5: unknown section [menus]"},
      {head + "[texts]\n13 Vos points\n", "line 6: expected \"key = text\" in a section"},
      {"code = fr\n" + head, "line 1: expected \"key = text\" in a section"},
      {head + "[texts]\n0 = zéro\n", "line 6: a text's number is 1 to 99"},
      {head + "[texts]\n100 = cent\n", "line 6: a text's number is 1 to 99"},
      {head + "[texts]\nx1 = un\n", "line 6: a text's number is 1 to 99"},
      {"[language]\ncode = fr\nname = F\nupload = c\n", "line 4: upload is four hexadecimal digits"},
      {"[language]\ncode = fr\nname = F\nupload = 00zz\n", "line 4: upload is four hexadecimal digits"},
      {"[language]\ncolour = red\n", "line 2: unknown key colour"},
      {"[language]\ncode = de\nname = Deutsch\nupload = 0007\n", "[language] needs a code of two lower-case letters other than de"},
      {"[language]\ncode = FR\nname = F\nupload = 000c\n", "[language] needs a code of two lower-case letters other than de"},
      {"[language]\ncode = fra\nname = F\nupload = 000c\n", "[language] needs a code of two lower-case letters other than de"},
      {"[language]\ncode = fr\nupload = 000c\n", "[language] needs a name and an upload number"},
      {head + "[texts]\n22 = Renard rusé\n", "line 6: a highscore name (texts 20 to 27) has at most 10 characters"},
      {head + "[words]\nHilfe = A\xC3\n", "not UTF-8"},
      {head + "[words]\nHilfe = \xC0\xAF\n", "not UTF-8"},
  };
  for (const auto& c : cases) {
    Translation t;
    std::string error;
    EXPECT_FALSE(parse_translation(c.file, t, error)) << c.file;
    EXPECT_EQ(error, c.error) << c.file;
  }
}
