// SPDX-License-Identifier: GPL-3.0-or-later
// The screens outside the round, run in-process on the headless display: the button rules and
// frames, the title's clicks, the end of a round and the name entry, the exit screen's links,
// clocks and credits, and the dispatcher's fall-back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "game/GrumboldX/branding.h"
#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/help_screen.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/GrumboldX/highscores.h"
#include "game/GrumboldX/main_loop.h"
#include "game/GrumboldX/name_entry.h"
#include "game/GrumboldX/replay_command.h"
#include "game/GrumboldX/round_flow.h"
#include "game/GrumboldX/send_highscore.h"
#include "game/GrumboldX/title_screen.h"
#include "game/GrumboldX/window.h"
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace front;

using namespace test_support;

namespace {

std::string utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t u : text) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

void use_texts(const std::u16string& table) {
  const std::string bytes = utf16(table);
  text::parse_text_table(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

// A font with glyphs for the given characters only (code page 1252).
void use_font_with(const std::u16string& characters) {
  std::string definition = "0 1252\n0 64\n0 32\n" + std::to_string(characters.size()) + "\n0 0\n";
  for (char16_t c : characters) {
    char line[64];
    std::snprintf(line, sizeof line, "%x %x 0 1 7 0\n", c & 0xFF, c >> 8);
    definition += line;
  }
  text::parse_font_definition(definition.data(), definition.size(), text::font);
  text::country_code = 1252;
}

std::vector<int> active() {
  std::vector<int> list;
  for (const int* b = active_buttons; *b != button_list_end; ++b) list.push_back(*b);
  return list;
}

class Screens : public testing::Test {
 protected:
  void SetUp() override {
    reset_app_state();
    exit_screen_state_reset();
    res::debug_log_reset();
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", here.path() / "grumboldX.dat");
    ASSERT_EQ(res::xfinit("grumboldX.dat"), 1);
    ASSERT_TRUE(plat::init_headless());
    init_display();
    ASSERT_NE(gfx::back_buffer, nullptr);
    plat::Message m;
    while (plat::peek_message(m)) window_procedure(m.message, m.wparam, m.lparam);
    ASSERT_TRUE(app::app_active);  // a new window has the focus
    for (int i = 0; i < menu_button_count; ++i)
      gfx::load_button(i, gfx::menu_buttons[i].name, gfx::menu_buttons[i].x, gfx::menu_buttons[i].y);
    set_title_buttons();
    send_allowed = false;
    button_sound_armed = true;
    hovered_button = -1;
    highscore_music = false;
    show_score_line = false;
    new_entry_rank = -1;
    app::highscore_penalty = false;
    exit_link[0] = 0;
    link_hover = false;
    app::frame_time = 655;
    use_texts(u"13 \"Points: %d\"\n20 \"A\"\n21 \"B\"\n22 \"C\"\n23 \"D\"\n24 \"E\"\n25 \"F\"\n"
              u"26 \"G\"\n27 \"H\"\n");
    set_default_highscores();
  }
  void TearDown() override {
    release_all();
    plat::shutdown();
    res::xfdone();
  }

  static void point_at(int x, int y) {
    app::cursor_x = x;
    app::cursor_y = y;
  }
  // The frame the list shows for button b this frame (-1: not listed).
  static int listed_frame(int b) {
    for (const gfx::DrawEntry* e = gfx::draw_band_head(15); e; e = e->next)
      if (e->sprite == gfx::button_first_sprite + b) return e->frame;
    return -1;
  }
  // Opens the archive of another edition (the exit screen's pictures differ); its header sets
  // the edition.
  void use_archive(const char* edition) {
    res::xfdone();
    const auto copy = here.path() / (std::string(edition) + ".dat");
    if (!std::filesystem::exists(copy)) std::filesystem::copy_file(data_dir() / edition / "grumboldX.dat", copy);
    ASSERT_EQ(res::xfinit(copy.c_str()), 1);
  }
  static void key(unsigned vk) { window_procedure(plat::WM_KEYDOWN, vk, plat::make_key_lparam(0)); }
  static void type(const std::u16string& text) {
    for (char16_t c : text) window_procedure(plat::WM_CHAR, c, 1);
  }

  InScratchDir here;
};

}  // namespace

TEST_F(Screens, ButtonUnderTheCursorFollowsTheRules) {
  // Places of our own, so the edges are known: the send button overlaps the menu button.
  gfx::button_places[button_start] = {150, 518, 100, 40};
  gfx::button_places[button_help] = {286, 518, 100, 40};
  gfx::button_places[button_send] = {227, 473, 200, 80};
  gfx::button_places[button_menu] = {376, 520, 120, 40};
  const std::vector<int> title = {button_start, button_help, button_highscore, button_exit, -1};
  const std::vector<int> table = {button_send, button_menu, -1};
  struct Case {
    const char* what;
    const std::vector<int>& list;
    int state;
    bool send;
    int x, y;
    int want;
  } cases[] = {
      {"top left corner", title, app::state_title, false, 150, 518, button_start},
      {"bottom right corner", title, app::state_title, false, 250, 558, button_start},
      {"left of it", title, app::state_title, false, 149, 530, -1},
      {"right of it", title, app::state_title, false, 251, 530, -1},
      {"above it", title, app::state_title, false, 200, 517, -1},
      {"below it", title, app::state_title, false, 200, 559, -1},
      {"the next button", title, app::state_title, false, 286, 558, button_help},
      {"send allowed, overlap: the first in the list", table, app::state_highscores, true, 400, 530, button_send},
      {"send not allowed, overlap: it still decides", table, app::state_highscores, false, 400, 530, -1},
      {"send not allowed, menu alone", table, app::state_highscores, false, 480, 555, button_menu},
      {"send allowed, send alone", table, app::state_highscores, true, 230, 480, button_send},
      {"name entry: send", table, app::state_name_entry, true, 230, 480, -1},
      {"name entry: menu", table, app::state_name_entry, true, 480, 555, -1},
  };
  for (const Case& c : cases) {
    set_buttons(c.list.data());
    app::game_state = c.state;
    send_allowed = c.send;
    point_at(c.x, c.y);
    EXPECT_EQ(button_under_cursor(), c.want) << c.what;
  }
}

TEST_F(Screens, ButtonFramesAndOneClickPerPress) {
  const gfx::ButtonPlace start = gfx::button_places[button_start];
  const gfx::ButtonPlace help = gfx::button_places[button_help];
  ASSERT_GT(start.width, 0);
  struct Step {
    int x, y;
    bool held;
    int start_frame, help_frame;
    bool armed_after;
  } steps[] = {
      {start.x - 5, start.y - 5, false, 0, 0, true},   // nowhere
      {start.x + 2, start.y + 2, false, 1, 0, true},   // hovering
      {start.x + 2, start.y + 2, true, 2, 0, false},   // pressed: the click plays and disarms
      {help.x + 2, help.y + 2, true, 0, 2, false},     // held onto another button: no second click
      {help.x + 2, help.y + 2, false, 0, 1, true},     // released: armed again
      {start.x - 5, start.y - 5, true, 0, 0, true},    // pressed beside every button: nothing
  };
  for (const Step& s : steps) {
    point_at(s.x, s.y);
    app::button_held = s.held;
    gfx::clear_draw_list();
    draw_buttons();
    EXPECT_EQ(listed_frame(button_start), s.start_frame) << s.x << "," << s.y;
    EXPECT_EQ(listed_frame(button_help), s.help_frame) << s.x << "," << s.y;
    EXPECT_EQ(button_sound_armed, s.armed_after) << s.x << "," << s.y;
  }
  // The send button stays at frame 0 while it may not be used.
  static constexpr int table[] = {button_send, button_menu, button_list_end};
  set_buttons(table);
  app::game_state = app::state_highscores;
  const gfx::ButtonPlace send = gfx::button_places[button_send];
  point_at(send.x + 2, send.y + 2);
  app::button_held = false;
  gfx::clear_draw_list();
  draw_buttons();
  EXPECT_EQ(listed_frame(button_send), 0);
  EXPECT_EQ(hovered_button, -1);
  send_allowed = true;
  gfx::clear_draw_list();
  draw_buttons();
  EXPECT_EQ(listed_frame(button_send), 1);
  EXPECT_EQ(hovered_button, button_send);
}

TEST_F(Screens, TitleClicksLeadToTheirScreens) {
  struct Case {
    int edition;
    int button;
    int state;
    std::vector<int> buttons;
  } cases[] = {
      {app::edition_xl, button_start, app::state_round, {0, 1, 2, 3}},
      {app::edition_xxl, button_start, app::state_round, {0, 1, 2, 3}},
      {app::edition_xs, button_start, app::state_branding, {0, 1, 2, 3}},
      {app::edition_xl, button_help, app::state_help, {button_menu}},
      {app::edition_xl, button_highscore, app::state_highscores, {button_menu}},
      {app::edition_xs, button_exit, app::state_exit, {0, 1, 2, 3}},
      {app::edition_xl, -1, app::state_title, {0, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    app::edition = c.edition;
    app::game_state = app::state_title;
    set_title_buttons();
    exit_clock = 12345;
    if (c.button >= 0) {
      const gfx::ButtonPlace p = gfx::button_places[c.button];
      point_at(p.x + p.width / 2, p.y + p.height / 2);
    } else {
      point_at(10, 10);
    }
    window_procedure(plat::WM_LBUTTONUP, 0, 0);  // a release runs the title's click
    EXPECT_EQ(app::game_state, c.state) << "edition " << c.edition << " button " << c.button;
    EXPECT_EQ(active(), c.buttons) << "button " << c.button;
    if (c.state == app::state_branding) {
      EXPECT_EQ(branding_clock, branding_time);
    }
    if (c.state == app::state_exit) {
      EXPECT_EQ(exit_clock, 0);  // edition XS waits 3 s
    }
    if (c.state == app::state_highscores) {
      EXPECT_FALSE(show_score_line);
    }
  }
}

TEST_F(Screens, ATapOnStartDoesNotCarryItsPressIntoTheRound) {
  // Press and release in one frame, as a touchpad tap gives them: the round starts, and its
  // first frame finds no click (no shot, no lost cartridge).
  app::edition = app::edition_xl;
  app::game_state = app::state_title;
  set_title_buttons();
  const gfx::ButtonPlace p = gfx::button_places[button_start];
  point_at(p.x + p.width / 2, p.y + p.height / 2);
  window_procedure(plat::WM_LBUTTONDOWN, 0, 0);
  window_procedure(plat::WM_LBUTTONUP, 0, 0);
  ASSERT_EQ(app::game_state, app::state_round);
  latch_clicks();
  EXPECT_FALSE(app::click);
  EXPECT_FALSE(app::right_click);
  // A press in the round itself still shoots.
  window_procedure(plat::WM_LBUTTONDOWN, 0, 0);
  latch_clicks();
  EXPECT_TRUE(app::click);
  clear_click_latches();
  gfx::cancel_transition();
}

TEST_F(Screens, AWindowReplayHoldsItsFinalScoreForTwoSecondsBeforeTheTitle) {
  // A recording of a round's last three frames: the third runs the clock out.
  qzx::Recording r;
  r.edition = app::edition;
  for (std::int32_t clock : {2000, 1000, 0}) r.frames.push_back({1092, qzx::pack_input(400, 300, false, false, false, false, clock), clock, 16});
  ASSERT_TRUE(qzx::save_recording(r, "short.rec"));
  ASSERT_TRUE(start_window_replay("short.rec"));
  for (int frame = 0; frame < 3; ++frame) run_round();
  EXPECT_TRUE(window_replay_holding());
  EXPECT_EQ(replay_frame_wait_ms(), 16);

  app::frame_time = 1092;  // 60 frames a second
  int held = 0;
  while (app::game_state == app::state_round && held < 1000) {
    run_round();
    ++held;
  }
  EXPECT_EQ(app::game_state, app::state_title);
  EXPECT_FALSE(window_replay_running());
  EXPECT_EQ(held, 121) << "the frames that make two seconds at 1092 (120.03)";
  gfx::cancel_transition();
}

TEST_F(Screens, ADialogTheDesktopCannotShowLeavesTheSendButtonOn) {
  // The platform again, with the dialog failing.
  release_all();
  plat::shutdown();
  setenv("GRUMBOLDX_FAIL", "DialogBox", 1);
  ASSERT_TRUE(plat::init_headless());
  unsetenv("GRUMBOLDX_FAIL");
  init_display();
  text::load_texts();
  send_allowed = true;
  testing::internal::CaptureStderr();
  send_highscore();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("dialog: cannot be shown"), std::string::npos) << err;
  EXPECT_NE(read_file("debug.txt").find("ERROR: the upload dialog could not be shown"), std::string::npos);
  EXPECT_TRUE(send_allowed) << "nothing was sent: the player may try again";
}

TEST_F(Screens, TheBrandingStartsTheRoundWhenItsClockRunsOut) {
  app::edition = app::edition_xs;
  start_branding();
  app::frame_time = 6553;  // 0.1 s
  int frames = 0;
  while (app::game_state == app::state_branding && frames < 100) {
    run_start_branding();
    ++frames;
  }
  EXPECT_EQ(app::game_state, app::state_round);
  EXPECT_EQ(frames, (branding_time + 6552) / 6553);  // 3 s in steps of 0.1 s
  // A round of 61 s runs; broken off, it leads back to the title.
  EXPECT_EQ(app::round_time, 3997630);
  run_game_state();
  EXPECT_EQ(app::game_state, app::state_round);
  end_round_to_title();
  EXPECT_EQ(app::game_state, app::state_title);
  EXPECT_EQ(active(), std::vector<int>({0, 1, 2, 3}));
}

TEST_F(Screens, LeavingTheHelpAndTheTableReturnsToTheTitle) {
  for (int state : {app::state_help, app::state_highscores}) {
    app::game_state = state;
    show_highscores(false);
    highscore_music = true;
    const gfx::ButtonPlace menu = gfx::button_places[button_menu];
    point_at(menu.x + 1, menu.y + 1);
    window_procedure(plat::WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(app::game_state, app::state_title);
    EXPECT_EQ(active(), std::vector<int>({0, 1, 2, 3}));
    // Only the table stops its own music; the help page has none to stop.
    EXPECT_EQ(highscore_music, state == app::state_help);
  }
  app::game_state = app::state_highscores;
  highscore_music = true;
  key(plat::VK_ESCAPE);
  EXPECT_EQ(app::game_state, app::state_title);
  EXPECT_FALSE(highscore_music);
}

TEST_F(Screens, TheEndOfARoundPlacesTheScoreAndStartsTheNameEntry) {
  end_of_round(420);
  EXPECT_EQ(app::game_state, app::state_name_entry);
  EXPECT_EQ(new_entry_rank, 1);  // below 500, above 400
  EXPECT_EQ(highscore_table[1].score, 420);
  EXPECT_EQ(edit_buffer[0], 0);
  EXPECT_TRUE(highscore_music);
  EXPECT_TRUE(show_score_line);
  EXPECT_TRUE(send_allowed);
  EXPECT_EQ(active(), std::vector<int>({button_send, button_menu}));
  EXPECT_TRUE(gfx::transition_running());

  set_default_highscores();
  end_of_round(50);  // equal to the eighth: no place
  EXPECT_EQ(app::game_state, app::state_highscores);
  EXPECT_EQ(new_entry_rank, -1);
  EXPECT_EQ(highscore_table[7].score, 50);
  EXPECT_TRUE(show_score_line);
}

TEST_F(Screens, TheNameEntryTakesTenCharactersTheFontHasAndSavesOnEnter) {
  use_font_with(u"abcdefghijkm\u00e4\u0151");  // the font even has a glyph for U+0151
  end_of_round(600);
  ASSERT_EQ(new_entry_rank, 0);

  key(plat::VK_BACK);  // nothing to remove
  EXPECT_EQ(std::u16string(edit_buffer), u"");
  type(u"a\u00e4\u0151z");  // U+0151 is not in code page 1252; z has no glyph
  EXPECT_EQ(std::u16string(edit_buffer), u"a\u00e4");
  key(plat::VK_BACK);
  EXPECT_EQ(std::u16string(edit_buffer), u"a");
  type(u" bcdefghijk");  // the space is always there; the eleventh character is ignored
  EXPECT_EQ(std::u16string(edit_buffer), u"a bcdefghi");
  // M types its letter (here: none left to take) and leaves the entry open; Escape does nothing.
  key('M');
  key(plat::VK_ESCAPE);
  EXPECT_EQ(app::game_state, app::state_name_entry);
  key(plat::VK_BACK);
  key('M');
  type(u"m");
  EXPECT_EQ(std::u16string(edit_buffer), u"a bcdefghm");

  key(plat::VK_RETURN);
  EXPECT_EQ(app::game_state, app::state_highscores);
  EXPECT_EQ(std::u16string(highscore_table[0].name), u"a bcdefghm");
  EXPECT_EQ(active(), std::vector<int>({button_send, button_menu}));
  // The file was written and holds the new entry.
  set_default_highscores();
  load_highscores();
  EXPECT_EQ(std::u16string(highscore_table[0].name), u"a bcdefghm");
  EXPECT_EQ(highscore_table[0].score, 600);
  EXPECT_FALSE(app::highscore_penalty);
  // Typing outside the name entry goes nowhere.
  type(u"abc");
  EXPECT_EQ(std::u16string(edit_buffer), u"a bcdefghm");
}

TEST_F(Screens, CodePage1252DecidesWhichTypedCharactersCount) {
  struct Case {
    int code_page;
    std::uint32_t code_point;
    char16_t want;
  } cases[] = {
      {1252, u'a', u'a'},      {1252, 0x00DF, 0x00DF},  {1252, 0x20AC, 0x20AC},
      {1252, 0x0151, 0},       {1252, 0x0009, 0},       {1252, 0x0081, 0},
      {1252, 0x1F600, 0},      {1250, u'a', u'a'},      {1250, 0x00E4, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(code_page_character(c.code_page, c.code_point), c.want) << std::hex << c.code_point;
}

TEST_F(Screens, ClicksOnTheExitScreenCountOnlyAfterTenFrames) {
  app::edition = app::edition_xl;
  reset_exit_screen();
  const gfx::FrameRect picture = gfx::frame_rect(270, 0);
  ASSERT_GT(picture.width, 0);
  point_at(448 + picture.width - 1, 420 + picture.height - 1);  // right and bottom edges inside
  app::click = true;
  for (int frame = 1; frame <= 10; ++frame) EXPECT_FALSE(run_exit_screen()) << "frame " << frame;
  EXPECT_EQ(exit_link[0], 0);
  EXPECT_TRUE(run_exit_screen());
  EXPECT_STREQ(exit_link,
               "http://localhost:8642/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1");
}

TEST_F(Screens, ExitScreenLinksAndAreasPerEdition) {
  struct Case {
    const char* edition;
    int x, y;
    const char* link;  // nullptr: the click does not quit
  } cases[] = {
      {"XS", 10, 120, "xs_c4"},    // the invisible area's corners
      {"XS", 309, 519, "xs_c4"},
      {"XS", 310, 519, nullptr},
      {"XS", 309, 520, nullptr},
      {"XS", 383, 59, "xs_c1"},
      {"XS", 358, 408, "xs_c2"},
      {"XS", 396, 562, "xs_c3"},
      {"XL", 50, 440, "xl_c2"},
      {"XL", 49, 440, nullptr},
      {"XXL", 49, 440, ""},        // the credits: any click ends them, no link
  };
  for (const Case& c : cases) {
    use_archive(c.edition);
    exit_link[0] = 0;
    reset_exit_screen();
    app::click = false;
    for (int frame = 0; frame < 10; ++frame) run_exit_screen();
    point_at(c.x, c.y);
    app::click = true;
    const bool quit = run_exit_screen();
    EXPECT_EQ(quit, c.link != nullptr) << "edition " << c.edition << " at " << c.x << "," << c.y;
    if (c.link && *c.link) {
      EXPECT_NE(std::string(exit_link).find(c.link), std::string::npos) << exit_link;
      EXPECT_EQ(std::string(exit_link).rfind("http://localhost:8642/grumbold/qzt/de/", 0), 0u);
      EXPECT_TRUE(link_hover);
    } else {
      EXPECT_EQ(exit_link[0], 0) << exit_link;
      EXPECT_FALSE(link_hover);
    }
  }
}

TEST_F(Screens, EditionXSWaitsThreeSecondsForSpaceEscapeAndTheExitButton) {
  use_archive("XS");
  ASSERT_EQ(app::edition, app::edition_xs);
  app::game_state = app::state_exit;
  reset_exit_screen();
  const ExitArea button = exit_button_area(app::edition_xs);
  ASSERT_GT(button.width, 0);
  point_at(button.x, button.y);
  app::frame_time = 6553;
  for (int frame = 0; frame < 20; ++frame) {
    app::click = true;
    app::last_key = plat::VK_SPACE;
    EXPECT_FALSE(run_exit_screen()) << "frame " << frame;
    EXPECT_EQ(app::last_key, 0);
    key(plat::VK_ESCAPE);
    EXPECT_TRUE(app::app_active);
  }
  EXPECT_FALSE(link_hover);
  exit_clock = exit_screen_patience - app::frame_time;  // the next frame reaches 3 s
  app::click = false;
  app::last_key = plat::VK_SPACE;
  EXPECT_TRUE(run_exit_screen());
  EXPECT_EQ(exit_link[0], 0);
  app::last_key = 0;
  app::click = true;
  EXPECT_TRUE(run_exit_screen());  // the exit button
  EXPECT_TRUE(link_hover);
  key(plat::VK_ESCAPE);
  EXPECT_FALSE(app::app_active);
}

TEST_F(Screens, HoursOnTheExitAndHighscoreScreensKeepTheirClocksWorking) {
  // A clock that ran for nine hours and more: space still leaves the exit screen.
  use_archive("XS");
  app::game_state = app::state_exit;
  reset_exit_screen();
  for (int frame = 0; frame < 12; ++frame) run_exit_screen();
  exit_clock = INT32_MAX - 100;
  app::frame_time = 6553;
  app::click = false;
  app::last_key = plat::VK_SPACE;
  EXPECT_TRUE(run_exit_screen());
  EXPECT_GE(exit_clock, exit_screen_patience);

  // The caret goes on blinking in its cycle of 15000.
  blink_clock = INT32_MAX - 100;
  app::frame_time = 1092;
  int shown = 0;
  for (int frame = 0; frame < 28; ++frame) {  // two cycles
    draw_highscores(0);
    ASSERT_GE(blink_clock, 0);
    shown += blink_clock % 15000 < 7500;
  }
  EXPECT_GT(shown, 10);
  EXPECT_LT(shown, 18);
}

TEST_F(Screens, TheCreditsEndOnceTheyHaveScrolledPastTheirEndMark) {
  use_archive("XXL");
  ASSERT_EQ(app::edition, app::edition_xxl);
  use_texts(u"100 \"#Title\"\n100 \"line\"\n100 \"*ENDE*\"\n100 \"never shown\"\n");
  reset_exit_screen();
  app::frame_time = 6553;  // 5 pixels a frame at 50 pixels a second
  int frames = 0;
  bool quit = false;
  while (!quit && frames < 10000) {
    quit = run_exit_screen();
    ++frames;
  }
  ASSERT_TRUE(quit);
  // Two texts before the mark: the credits end once more than 34 * 2 + 620 pixels have scrolled.
  EXPECT_GT(credits_position / 65536, 34 * 2 + 620);
  EXPECT_LE((credits_position - 50 * 6553) / 65536, 34 * 2 + 620);

  // Without an end mark they run on.
  use_texts(u"100 \"a\"\n100 \"b\"\n");
  reset_exit_screen();
  for (int frame = 0; frame < 400; ++frame) ASSERT_FALSE(run_exit_screen());  // 2000 pixels
  // Any click after the first ten frames ends them.
  app::click = true;
  EXPECT_TRUE(run_exit_screen());
}

TEST_F(Screens, AnUnknownStateFallsBackToTheTitle) {
  for (int state : {4, 5, 9, -1}) {
    app::game_state = state;
    set_buttons(std::vector<int>{button_menu, -1}.data());
    gfx::clear_draw_list();
    run_game_state();
    EXPECT_EQ(app::game_state, app::state_title);
    EXPECT_EQ(active(), std::vector<int>({0, 1, 2, 3}));
    EXPECT_EQ(gfx::draw_list_count(), 0);
  }
}

// In a web page the game's own server is the one the page came from: its addresses move there,
// and every other address stays as it is.
TEST(WebAddresses, OnlyTheOwnServersMoveToThePagesOrigin) {
  const std::string own = "http://localhost:8642", page = "https://play.example:8443";
  struct Case {
    const char* address;
    const char* opened;
  } cases[] = {
      {"http://localhost:8642/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1",
       "https://play.example:8443/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1"},
      {"http://localhost:8642", "https://play.example:8443"},
      {"http://localhost:8642?x=1", "https://play.example:8443?x=1"},
      {"http://localhost:8642#top", "https://play.example:8443#top"},
      {"http://localhost:86420/list", "http://localhost:86420/list"},  // another port
      {"http://localhost:8642.evil.example/", "http://localhost:8642.evil.example/"},
      {"https://localhost:8642/list", "https://localhost:8642/list"},
      {"https://example.org/http://localhost:8642/", "https://example.org/http://localhost:8642/"},
  };
  for (const Case& c : cases) EXPECT_EQ(plat::rebase_address(c.address, own, page), c.opened) << c.address;
  // Without an own server or a page, nothing moves.
  EXPECT_EQ(plat::rebase_address("http://localhost:8642/a", "", page), "http://localhost:8642/a");
  EXPECT_EQ(plat::rebase_address("http://localhost:8642/a", own, ""), "http://localhost:8642/a");
}

TEST_F(Screens, OnlyWebAddressesAreHandedToTheBrowser) {
  struct Case {
    const char* address;
    bool handed_on;
  } cases[] = {
      {"http://localhost:8642/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1", true},
      {"https://example.org/", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"HTTP://localhost/", false},
      {"http:/localhost/", false},
      {"", false},
      {nullptr, false},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(plat::open_url(c.address), c.handed_on) << (c.address ? c.address : "null");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, c.handed_on ? std::string("open_url: ") + c.address + "\n" : "");
  }
  // A refused exit link is logged when the window goes.
  std::snprintf(exit_link, sizeof exit_link, "%s", "file:///etc/passwd");
  res::debug_log_reset();
  testing::internal::CaptureStderr();
  destroy_window();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(read_file("debug.txt").find("ERROR: web address refused: file:///etc/passwd\n"),
            std::string::npos);
  exit_link[0] = 0;
}

// ---------------------------------------------------------------- layout on the real pictures

namespace {

// The back buffer after a flush, 800 × 600 display pixels (565).
struct Shot {
  std::vector<std::uint16_t> pixels;
  std::uint16_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * 800 + x]; }
};

Shot take_shot() {
  gfx::cancel_transition();
  gfx::flush_draw_list();
  Shot s;
  s.pixels.resize(800 * 600);
  void* pixels = nullptr;
  int pitch = 0;
  EXPECT_EQ(plat::surface_lock(gfx::back_buffer, nullptr, &pixels, &pitch), plat::DD_OK);
  if (!pixels) return s;
  for (int y = 0; y < 600; ++y)
    std::memcpy(&s.pixels[static_cast<std::size_t>(y) * 800],
                static_cast<const std::uint8_t*>(pixels) + static_cast<std::size_t>(y) * pitch,
                800 * 2);
  plat::surface_unlock(gfx::back_buffer);
  return s;
}

// The screen picture alone.
Shot picture_shot(int number) {
  gfx::clear_draw_list();
  gfx::show_screen_picture(number);
  return take_shot();
}

bool on_screen(int x, int y) { return x >= 0 && x < 800 && y >= 0 && y < 600; }

// The boards' bare inside is dark; their wooden frame is not.
bool board_dark(std::uint16_t p) {
  const int red = (p >> 11) << 3, green = ((p >> 5) & 63) << 2;
  return red < 100 && green < 80;
}

// A wooden board of a screen picture: its bare inside and the outside of its frame (inclusive
// screen coordinates). A board that runs off the screen at a side has its inside reach that edge
// and no frame there.
struct Board {
  int left, top, right, bottom;
  int outer_left, outer_top, outer_right, outer_bottom;
  bool holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  bool frame_touches(int x0, int y0, int x1, int y1) const {  // a rectangle, inclusive
    const bool inside = x0 >= left && x1 <= right && y0 >= top && y1 <= bottom;
    const bool apart = x1 < outer_left || x0 > outer_right || y1 < outer_top || y0 > outer_bottom;
    return !inside && !apart;
  }
};

// From a bare point of the board along a line to the frame: the last pixel of the inside and
// the first past the wood and its dark outline.
void scan_to_frame(const Shot& s, int x, int y, int dx, int dy, int& inner, int& outer) {
  while (on_screen(x + dx, y + dy) && board_dark(s.at(x + dx, y + dy))) x += dx, y += dy;
  inner = dx ? x : y;
  if (!on_screen(x + dx, y + dy)) {
    outer = (dx + dy) * 100000;
    return;
  }
  while (on_screen(x + dx, y + dy) && !board_dark(s.at(x + dx, y + dy))) x += dx, y += dy;
  outer = (dx ? x : y) + 4 * (dx + dy);
}

// The board seen along the column x and the row y through a bare point (x, y) of it.
Board find_board(const Shot& s, int x, int y) {
  Board b{};
  EXPECT_TRUE(board_dark(s.at(x, y))) << x << "," << y << " is not on a bare board";
  scan_to_frame(s, x, y, -1, 0, b.left, b.outer_left);
  scan_to_frame(s, x, y, 1, 0, b.right, b.outer_right);
  scan_to_frame(s, x, y, 0, -1, b.top, b.outer_top);
  scan_to_frame(s, x, y, 0, 1, b.bottom, b.outer_bottom);
  return b;
}

struct Area {
  int x0, y0, x1, y1;  // inclusive
  bool holds(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

// Where a picture's frame 0 drawn at (x, y) shows its visible box.
Area drawn_area(int sprite, int x, int y) {
  const gfx::FrameRect r = gfx::frame_rect(sprite, 0);
  return {x + r.left, y + r.top, x + r.left + r.width - 1, y + r.top + r.height - 1};
}

// Where the active buttons are drawn.
std::vector<Area> button_areas() {
  std::vector<Area> areas;
  for (const int* b = active_buttons; *b != button_list_end; ++b)
    areas.push_back(drawn_area(gfx::button_first_sprite + *b, gfx::button_places[*b].x,
                               gfx::button_places[*b].y));
  return areas;
}

// What the screen drew over its picture, outside the given areas, that is not on the board's
// inside (pixels above the board's frame are allowed when above is set): the first such pixel,
// or an empty string.
std::string drawn_off_the_board(const Shot& picture, const Shot& screen, const Board& board,
                                const std::vector<Area>& skip, bool above = false) {
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      if (screen.at(x, y) == picture.at(x, y) || board.holds(x, y)) continue;
      if (above && y < board.outer_top) continue;
      bool skipped = false;
      for (const Area& a : skip) skipped |= a.holds(x, y);
      if (!skipped) return std::to_string(x) + "," + std::to_string(y);
    }
  return "";
}

// Columns and rows that differ between two shots inside a band of rows.
Area changed_box(const Shot& a, const Shot& b, int y0, int y1, int x0 = 0, int x1 = 799) {
  Area box{800, 600, -1, -1};
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x)
      if (a.at(x, y) != b.at(x, y)) {
        box.x0 = std::min(box.x0, x);
        box.y0 = std::min(box.y0, y);
        box.x1 = std::max(box.x1, x);
        box.y1 = std::max(box.y1, y);
      }
  return box;
}

class ScreenLayout : public Screens {
 protected:
  void SetUp() override {
    Screens::SetUp();
    // What the start-up load makes besides the catalogue: the screen pictures' surface, the font
    // and the cursor (its third frame is the name entry's caret).
    gfx::detect_pixel_format();
    if (!gfx::screen_image) gfx::screen_image = gfx::create_surface(800, 600);
    open_edition("XL");
    text::load_font();
    gfx::release_sprite(gfx::cursor_sprite);
    gfx::sprites[gfx::cursor_sprite] = gfx::load_animation("data\\gfx\\mousecursor", 1, 3, false);
    point_at(-100, -100);  // the cursor off the screen
    app::frame_time = 0;
  }
  // The edition's archive with its texts; its pictures are loaded again on use.
  void open_edition(const char* edition) {
    use_archive(edition);
    text::load_texts();
    set_default_highscores();
    gfx::screen_image_number = -1;
  }
};

}  // namespace

TEST_F(ScreenLayout, TheTableAndItsButtonsStayOnTheBoard) {
  struct Case {
    const char* what;
    bool after_round;
    int edited_row;
    const char16_t* name;
  } cases[] = {
      {"from the title", false, -1, nullptr},
      {"after a round", true, -1, nullptr},
      {"the name entry in the last row", true, 7, u"WWWWWWWWWW"},
      {"the name entry in the first row", true, 0, u"Kgyjqp"},
  };
  const Shot picture = picture_shot(2);
  const Board board = find_board(picture, 400, 300);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    show_highscores(c.after_round);
    new_entry_rank = c.edited_row;
    app::game_state = c.edited_row >= 0 ? app::state_name_entry : app::state_highscores;
    if (c.name) {
      std::u16string(c.name).copy(edit_buffer, typed_name_units);
      edit_buffer[std::u16string(c.name).size()] = 0;
    }
    blink_clock = 1000;  // the caret shown
    draw_highscores(c.edited_row);
    const Shot screen = take_shot();
    EXPECT_EQ(drawn_off_the_board(picture, screen, board, button_areas(), true), "");
    for (const Area& b : button_areas())
      EXPECT_FALSE(board.frame_touches(b.x0, b.y0, b.x1, b.y1))
          << "a button at " << b.x0 << "," << b.y0;
    if (c.edited_row >= 0) {
      // The prompt stands between the title and the board.
      const Area prompt = changed_box(picture, screen, 0, board.outer_top - 1);
      EXPECT_GE(prompt.x1, 0) << "no prompt above the board";
    }
  }
}

TEST_F(ScreenLayout, TheHelpAndItsButtonStayOnTheBoard) {
  for (const char* edition : {"XS", "XL"}) {
    SCOPED_TRACE(edition);
    open_edition(edition);
    app::game_state = app::state_help;
    const Shot picture = picture_shot(1);
    const Board board = find_board(picture, 400, 560);
    // The texts alone, then with the button.
    static constexpr int none[] = {button_list_end};
    set_buttons(none);
    draw_help();
    const Shot texts = take_shot();
    EXPECT_EQ(drawn_off_the_board(picture, texts, board, {}), "");
    static constexpr int list[] = {button_menu, button_list_end};
    set_buttons(list);
    const Area menu = button_areas().front();
    EXPECT_FALSE(board.frame_touches(menu.x0, menu.y0, menu.x1, menu.y1));
    const Area under_button = changed_box(picture, texts, menu.y0, menu.y1, menu.x0, menu.x1);
    EXPECT_LT(under_button.x1, 0) << "a text runs under the button at y " << under_button.y0;
  }
}

TEST_F(ScreenLayout, ExitScreenPicturesLieOnTheBoardWithoutASeam) {
  struct Case {
    const char* edition;
    int edition_number;
    int bare_x, bare_y;  // a point of the bare board
  } cases[] = {
      {"XS", app::edition_xs, 507, 300},
      {"XL", app::edition_xl, 360, 395},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.edition);
    open_edition(c.edition);
    ASSERT_EQ(app::edition, c.edition_number);
    reset_exit_screen();
    const Shot picture = picture_shot(3);
    const Board board = find_board(picture, c.bare_x, c.bare_y);
    exit_clock = exit_screen_patience;  // the exit button shown
    run_exit_screen();
    const Shot screen = take_shot();
    const ExitArea place = exit_button_area(c.edition_number);
    const Area button = drawn_area(gfx::exit_button_sprite, place.x, place.y);
    EXPECT_FALSE(board.frame_touches(button.x0, button.y0, button.x1, button.y1));
    int pictures = 0;
    for (int k = 0; exit_links(c.edition_number)[k].x >= 0; ++k) {
      const ExitLink& link = exit_links(c.edition_number)[k];
      if (link.x == 0) continue;
      const Area drawn = drawn_area(gfx::ad_first_sprite + k, link.x, link.y);
      ASSERT_GE(drawn.x1, drawn.x0);
      ++pictures;
      const int x1 = drawn.x1, y1 = drawn.y1;
      EXPECT_TRUE(board.holds(link.x, link.y) && board.holds(x1, y1))
          << "picture " << k + 1 << " at " << link.x << "," << link.y << ".." << x1 << "," << y1;
      // Its corners show the board behind it, not a piece of another picture.
      for (const auto& [x, y] : {std::pair{link.x + 1, link.y + 1}, std::pair{x1 - 1, link.y + 1},
                                 std::pair{link.x + 1, y1 - 1}, std::pair{x1 - 1, y1 - 1}}) {
        if (!on_screen(x, y)) continue;
        const std::uint16_t a = screen.at(x, y), b = picture.at(x, y);
        const int dr = std::abs(((a >> 11) << 3) - ((b >> 11) << 3));
        const int dg = std::abs((((a >> 5) & 63) << 2) - (((b >> 5) & 63) << 2));
        const int db = std::abs(((a & 31) << 3) - ((b & 31) << 3));
        EXPECT_LE(std::max({dr, dg, db}), 24) << "picture " << k + 1 << " corner " << x << "," << y;
      }
    }
    EXPECT_GT(pictures, 0);
  }
}

TEST_F(ScreenLayout, TheCreditsScrollOverABoardThatRunsOffTheScreen) {
  open_edition("XXL");
  reset_exit_screen();
  const Shot picture = picture_shot(3);
  const Board board = find_board(picture, 533, 300);
  EXPECT_EQ(board.top, 0);
  EXPECT_EQ(board.bottom, 599);
  app::frame_time = 6553;  // 5 pixels a frame
  int frames = 0, shown = 0;
  for (bool quit = false; !quit && frames < 2000; ++frames) {
    quit = run_exit_screen();
    if (frames % 15 != 0) continue;
    const Shot screen = take_shot();
    const std::string off = drawn_off_the_board(picture, screen, board, {});
    EXPECT_EQ(off, "") << "after " << frames << " frames";
    if (!off.empty()) break;
    ++shown;
  }
  EXPECT_GT(shown, 20);
}

TEST_F(ScreenLayout, TheCaretStandsAfterTheName) {
  show_highscores(true);
  new_entry_rank = 3;
  app::game_state = app::state_name_entry;
  const int row_top = 192 + 33 * 3, row_bottom = row_top + 34;
  for (const std::u16string name :
       {u"W", u"Küken", u"iiiii", u"WWWWWWWWWW", u"Hofmeister", u"ÄÖÜß"}) {
    SCOPED_TRACE(testing::PrintToString(name));
    name.copy(edit_buffer, typed_name_units);
    edit_buffer[name.size()] = 0;
    blink_clock = 8000;  // caret and score hidden
    draw_highscores(3);
    const Shot without_caret = take_shot();
    blink_clock = 1000;  // caret shown, score hidden
    draw_highscores(3);
    const Shot with_caret = take_shot();
    const Area caret = changed_box(without_caret, with_caret, row_top, row_bottom);
    ASSERT_GE(caret.x1, 0) << "no caret";
    edit_buffer[0] = 0;
    blink_clock = 8000;
    draw_highscores(3);
    const Shot empty = take_shot();
    const Area typed = changed_box(empty, without_caret, row_top, row_bottom);
    ASSERT_GE(typed.x1, 0) << "no name";
    EXPECT_GT(caret.x0, typed.x1) << "the caret starts inside the name";
    EXPECT_LE(caret.x0, typed.x1 + 8) << "the caret stands apart from the name";
  }
}
