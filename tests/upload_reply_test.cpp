// SPDX-License-Identifier: GPL-3.0-or-later
// The reply grammar: keys, values, line ends, overrides, and the rooms values are cut to.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/upload/upload.h"

namespace {

std::vector<std::string> opened;
void remember(const char* value) { opened.emplace_back(value); }

struct Parsed {
  int action;
  int log_type;
  std::string plain, html;
  std::vector<std::string> urls;
};

Parsed parse(const std::string& body, bool authentication = true) {
  static char plain[upload::reply_text_room], html[upload::reply_text_room];
  std::strcpy(plain, "plain before");
  std::strcpy(html, "html before");
  int log_type = -1;
  opened.clear();
  const int action = upload::parse_reply(body.data(), body.size(), plain, html,
                                         authentication ? &log_type : nullptr, remember);
  return Parsed{action, log_type, plain, html, opened};
}

TEST(UploadReply, LinesKeysAndValues) {
  using namespace upload;
  struct Case {
    const char* name;
    std::string body;
    int action, log_type;
    const char* plain;
    const char* html;
  };
  const Case cases[] = {
      {"empty", "", action_abort, -1, "plain before", "html before"},
      {"no line with =", "Hallo Welt\nnichts\n", action_abort, -1, "plain before", "html before"},
      {"all keys", "Action=Continue\ntext=Hallo\nhtml=<b>Hallo</b>\nlogtype=full\n", action_continue,
       log_full, "Hallo", "<b>Hallo</b>"},
      {"\\r\\n line ends: the \\r stays in a value", "Action=Continue\r\ntext=Hallo\r\nlogtype=normal\r\n",
       action_continue, log_normal, "Hallo\r", "html before"},
      {"keys without case", "ACTION=retry\nTeXt=a\nHTML=b\nLogType=NONE\n", action_retry, log_none, "a", "b"},
      {"values by their beginning", "Action=Continued\nlogtype=fullest\n", action_continue, log_full,
       "plain before", "html before"},
      {"an unknown value changes nothing", "Action=Retry\nAction=Cont\nlogtype=some\n", action_retry, -1,
       "plain before", "html before"},
      {"later lines win", "Action=Continue\ntext=a\nAction=Abort\ntext=b\n", action_abort, -1, "b",
       "html before"},
      {"the key ends at the first =", "text=a=b\n", action_abort, -1, "a=b", "html before"},
      {"a blank is part of the key", " text=x\nAction =Continue\n", action_abort, -1, "plain before",
       "html before"},
      {"empty values", "text=\nhtml=\n", action_abort, -1, "", ""},
      {"the last line needs no line end", "Action=Retry", action_retry, -1, "plain before", "html before"},
      {"a zero byte ends the reply", std::string("Action=Retry\n\0Action=Continue\n", 30), action_retry,
       -1, "plain before", "html before"},
  };
  for (const Case& c : cases) {
    const Parsed p = parse(c.body);
    EXPECT_EQ(p.action, c.action) << c.name;
    EXPECT_EQ(p.log_type, c.log_type) << c.name;
    EXPECT_EQ(p.plain, c.plain) << c.name;
    EXPECT_EQ(p.html, c.html) << c.name;
  }
}

TEST(UploadReply, TheUploadReplyHasNoLogType) {
  const Parsed p = parse("Action=Continue\nlogtype=full\n", false);
  EXPECT_EQ(p.action, upload::action_continue);
  EXPECT_EQ(p.log_type, -1);
}

TEST(UploadReply, OnlyTheLastUrlLineIsHandedOn) {
  // Later lines override earlier ones: a reply opens one address at most, however many it names.
  EXPECT_EQ(parse("url=http://a.example/x\r\ntext=t\nurl=file:///etc/passwd\nURL=https://b\n").urls,
            (std::vector<std::string>{"https://b"}));
  std::string many;
  for (int i = 0; i < 5000; ++i) many += "url=https://example.org/" + std::to_string(i) + "\n";
  EXPECT_EQ(parse(many).urls, (std::vector<std::string>{"https://example.org/4999"}));
  EXPECT_TRUE(parse("Action=Continue\ntext=t\n").urls.empty());
}

TEST(UploadReply, LongValuesAndLinesAreCutToTheirRooms) {
  // A value of 20000 characters keeps 15999; a line of 30000 keeps 19999, so its value 19994
  // before the value's own cut.
  const Parsed p = parse("text=" + std::string(20000, 'a') + "\nhtml=" + std::string(29995, 'b') +
                         "c\nAction=Retry\n");
  EXPECT_EQ(p.plain, std::string(upload::reply_text_room - 1, 'a'));
  EXPECT_EQ(p.html, std::string(upload::reply_text_room - 1, 'b'));
  EXPECT_EQ(p.action, upload::action_retry);
  // What lies beyond a line's room does not count as a line of its own.
  const Parsed q = parse("text=" + std::string(upload::reply_line_room, 'x') + "Action=Continue\n");
  EXPECT_EQ(q.action, upload::action_abort);
}

}  // namespace
