// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard input of the headless backend as the game receives it: a scripted key press sends
// what a real keystroke sends, held keys follow the key-down and key-up messages, and typed
// text arrives as characters only.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/script.h"
#include "tests/test_support.h"

using namespace test_support;

namespace {

struct Sent {
  std::uint32_t message;
  std::uint64_t wparam;
  bool operator==(const Sent& o) const { return message == o.message && wparam == o.wparam; }
};

std::ostream& operator<<(std::ostream& out, const Sent& s) {
  return out << "{0x" << std::hex << s.message << ", " << std::dec << s.wparam << "}";
}

// Opens a headless window with the script and takes every message of frame 1, leaving out the
// focus the new window gets.
class ScriptedInput : public testing::Test {
 protected:
  void TearDown() override {
    plat::shutdown();
    unsetenv("GRUMBOLDX_SCRIPT");
  }
  void start(const std::string& script) {
    write_file(dir / "script.txt", script);
    plat::shutdown();
    setenv("GRUMBOLDX_SCRIPT", (dir / "script.txt").c_str(), 1);
    ASSERT_TRUE(plat::init_headless());
    ASSERT_TRUE(plat::window_create("GrumboldX"));
  }
  std::vector<Sent> messages() {
    std::vector<Sent> out;
    plat::Message m;
    while (plat::peek_message(m)) {
      if (m.message == plat::WM_SETFOCUS) continue;
      out.push_back(Sent{m.message, m.wparam});
    }
    return out;
  }
  ScratchDir dir;
};

constexpr std::uint32_t down = plat::WM_KEYDOWN, up = plat::WM_KEYUP, chr = plat::WM_CHAR;

TEST_F(ScriptedInput, EachActionSendsWhatThePlayerWouldSend) {
  struct Case {
    const char* script;
    std::vector<Sent> expected;
  };
  const Case cases[] = {
      {"1 key A\n", {{down, 'A'}, {chr, 'a'}, {up, 'A'}}},
      {"1 key 7\n", {{down, '7'}, {chr, '7'}, {up, '7'}}},
      {"1 key SPACE\n", {{down, plat::VK_SPACE}, {chr, ' '}, {up, plat::VK_SPACE}}},
      // Keys that type nothing send no character, as text input does.
      {"1 key RETURN\n", {{down, plat::VK_RETURN}, {up, plat::VK_RETURN}}},
      {"1 key ESCAPE\n", {{down, plat::VK_ESCAPE}, {up, plat::VK_ESCAPE}}},
      {"1 keydown LEFT\n", {{down, plat::VK_LEFT}}},
      {"1 keyup LEFT\n", {{up, plat::VK_LEFT}}},
      {"1 keydown SHIFT\n1 key M\n1 keyup SHIFT\n1 key M\n",
       {{down, plat::VK_SHIFT}, {down, 'M'}, {chr, 'M'}, {up, 'M'}, {up, plat::VK_SHIFT},
        {down, 'M'}, {chr, 'm'}, {up, 'M'}}},
      // Typed text is characters only, whatever keys would make them.
      {"1 text J\xC3\xB6rg\n", {{chr, 'J'}, {chr, 0xF6}, {chr, 'r'}, {chr, 'g'}}},
  };
  for (const Case& c : cases) {
    start(c.script);
    EXPECT_EQ(messages(), c.expected) << c.script;
  }
}

TEST_F(ScriptedInput, KeyMessagesCarryTheScanCodeAndTheReleaseBits) {
  start("1 key A\n");
  plat::Message m;
  std::vector<plat::Message> keys;
  while (plat::peek_message(m))
    if (m.message == down || m.message == up) keys.push_back(m);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ((keys[0].lparam >> 16) & 0xFF, 0x1E);
  EXPECT_EQ(keys[0].lparam & 0xC0000000LL, 0);
  EXPECT_EQ((keys[1].lparam >> 16) & 0xFF, 0x1E);
  EXPECT_EQ(keys[1].lparam & 0xC0000000LL, 0xC0000000LL);
}

TEST_F(ScriptedInput, HeldKeysFollowTheMessagesHandedOut) {
  start("1 keydown LEFT\n1 keydown RIGHT\n1 keyup LEFT\n1 key RIGHT\n1 keydown LEFT\n"
        "1 focus off\n");
  struct Step {
    std::uint32_t message;
    bool left, right;
  };
  // The state changes only as each message is taken, never ahead of it.
  const Step steps[] = {
      {down, true, false},  {down, true, true},   {up, false, true},
      {down, false, true},  {up, false, false},   {down, true, false},
      {plat::WM_KILLFOCUS, false, false},  // the focus went: every key is let go
  };
  EXPECT_FALSE(plat::key_held(plat::VK_LEFT));
  plat::Message m;
  for (const Step& s : steps) {
    do {
      ASSERT_TRUE(plat::peek_message(m));
    } while (m.message == plat::WM_SETFOCUS || m.message == chr);
    EXPECT_EQ(m.message, s.message);
    EXPECT_EQ(plat::key_held(plat::VK_LEFT), s.left) << std::hex << m.message;
    EXPECT_EQ(plat::key_held(plat::VK_RIGHT), s.right) << std::hex << m.message;
  }
  EXPECT_FALSE(plat::key_held(1000));  // out of range: never held
}

TEST(ScriptParse, KeyActionsNeedAKnownKey) {
  struct Case {
    const char* line;
    const char* error;
  };
  const Case cases[] = {
      {"5 keydown", "line 1: unknown key \"\""},
      {"5 keyup NOPE", "line 1: unknown key \"NOPE\""},
      {"# comment\n5 keydown LEFT RIGHT", "line 2: unexpected \"RIGHT\""},
  };
  for (const Case& c : cases) {
    std::vector<plat::ScriptEvent> events;
    std::string error;
    EXPECT_FALSE(plat::parse_script(c.line, events, error)) << c.line;
    EXPECT_EQ(error, c.error);
  }
  std::vector<plat::ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(plat::parse_script("3 keyup right\n2 keydown left\n", events, error)) << error;
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].action, plat::ScriptAction::keydown);  // sorted by frame
  EXPECT_EQ(events[0].vk, plat::VK_LEFT);
  EXPECT_EQ(events[1].action, plat::ScriptAction::keyup);
  EXPECT_EQ(events[1].vk, plat::VK_RIGHT);
}

}  // namespace
