// SPDX-License-Identifier: GPL-3.0-or-later
// The window procedure and the keyboard table, driven through the headless backend.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/main_loop.h"
#include "game/GrumboldX/window.h"
#include "game/app/app.h"
#include "game/gfx/surfaces.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace front;

using namespace test_support;

namespace {

class WindowTest : public testing::Test {
 protected:
  void SetUp() override {
    reset_app_state();
    exit_screen_state_reset();
    res::debug_log_reset();
    // The exit screen loads its pictures from the archive.
    std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", here.path() / "grumboldX.dat");
    ASSERT_EQ(res::xfinit("grumboldX.dat"), 1);
    ASSERT_TRUE(plat::init_headless());
    init_display();
    ASSERT_TRUE(plat::window_exists());
    ASSERT_NE(gfx::back_buffer, nullptr);
    handle_waiting_messages();
    ASSERT_TRUE(app::app_active);  // a new window has the focus
  }
  // Everything the game holds goes, as at the end of a run, so the next test starts without the
  // display or any of the game's surface pointers of this one.
  void TearDown() override {
    release_all();
    plat::shutdown();
    res::xfdone();
  }

  // Hands every waiting message to the window procedure; true when the quit message came.
  bool handle_waiting_messages() {
    plat::Message m;
    while (plat::peek_message(m)) {
      if (m.message == plat::WM_QUIT) return true;
      window_procedure(m.message, m.wparam, m.lparam);
    }
    return false;
  }

  void key(unsigned vk) { window_procedure(plat::WM_KEYDOWN, vk, plat::make_key_lparam(0)); }

  InScratchDir here;
};

}  // namespace

TEST_F(WindowTest, KeyboardTable) {
  struct Case {
    int state;
    unsigned vk;
    int next_state;
  } cases[] = {
      {app::state_title, plat::VK_ESCAPE, app::state_exit},
      {app::state_round, plat::VK_ESCAPE, app::state_title},
      {app::state_highscores, plat::VK_ESCAPE, app::state_title},
      {app::state_help, plat::VK_ESCAPE, app::state_title},
      {app::state_name_entry, plat::VK_ESCAPE, app::state_name_entry},  // only Enter ends it
      {app::state_branding, plat::VK_ESCAPE, app::state_branding},
      {app::state_name_entry, plat::VK_RETURN, app::state_highscores},
      {app::state_title, plat::VK_RETURN, app::state_title},
      {app::state_name_entry, 'M', app::state_name_entry},
      {app::state_round, plat::VK_F1, app::state_round},
      {app::state_round, plat::VK_SPACE, app::state_round},
  };
  for (const Case& c : cases) {
    app::game_state = c.state;
    app::scene = 2;
    key(c.vk);
    EXPECT_EQ(app::game_state, c.next_state) << "state " << c.state << " key " << c.vk;
    // Entering the exit screen forgets the key, so it cannot also end that screen.
    const bool entered_exit = c.next_state == app::state_exit;
    EXPECT_EQ(app::last_key, entered_exit ? 0 : static_cast<int>(c.vk));
    if (c.state == app::state_round && c.vk == plat::VK_ESCAPE) {
      EXPECT_EQ(app::scene, 1);
    }
  }
  EXPECT_TRUE(app::app_active);
}

TEST_F(WindowTest, EscapeOnTheExitScreenWaitsThreeSecondsInEditionXS) {
  app::edition = app::edition_xs;
  app::game_state = app::state_title;
  key(plat::VK_ESCAPE);
  ASSERT_EQ(app::game_state, app::state_exit);
  EXPECT_EQ(exit_clock, 0);
  key(plat::VK_ESCAPE);
  EXPECT_TRUE(app::app_active);  // before 3 s nothing happens
  exit_clock = exit_screen_patience;
  key(plat::VK_ESCAPE);
  EXPECT_FALSE(app::app_active);  // quit: everything released, the window closes
  EXPECT_EQ(gfx::primary, nullptr);
  EXPECT_TRUE(handle_waiting_messages());
  EXPECT_FALSE(plat::window_exists());
}

TEST_F(WindowTest, EditionXLExitScreenQuitsAtOnce) {
  app::edition = app::edition_xl;
  app::game_state = app::state_title;
  key(plat::VK_ESCAPE);
  EXPECT_EQ(exit_clock, 6488064);
  key(plat::VK_ESCAPE);
  EXPECT_FALSE(app::app_active);
}

TEST_F(WindowTest, MinimisingEndsOnlyARound) {
  for (int state : {app::state_title, app::state_highscores, app::state_help, app::state_exit}) {
    app::game_state = state;
    window_procedure(plat::WM_SIZE, plat::SIZE_MINIMIZED, 0);
    EXPECT_EQ(app::game_state, state);
  }
  app::game_state = app::state_round;
  app::scene = 2;
  window_procedure(plat::WM_SIZE, plat::SIZE_MINIMIZED, 0);
  EXPECT_EQ(app::game_state, app::state_title);
  EXPECT_EQ(app::scene, 1);
}

TEST_F(WindowTest, MouseAndFocusMessages) {
  struct Case {
    int x, y, want_x, want_y;
  } moves[] = {{100, 200, 100, 200}, {0, 0, 0, 0}, {799, 599, 799, 599},
               {800, 600, 799, 599}, {0xFFFF, 0xFFFF, 799, 599}};
  for (const Case& c : moves) {
    window_procedure(plat::WM_MOUSEMOVE, 0, plat::make_point_lparam(c.x, c.y));
    EXPECT_EQ(app::cursor_x, c.want_x);
    EXPECT_EQ(app::cursor_y, c.want_y);
  }
  window_procedure(plat::WM_LBUTTONDOWN, 0, 0);
  EXPECT_TRUE(app::click_pending);
  EXPECT_TRUE(app::button_held);
  window_procedure(plat::WM_LBUTTONUP, 0, 0);
  EXPECT_FALSE(app::button_held);
  window_procedure(plat::WM_RBUTTONDOWN, 0, 0);
  EXPECT_TRUE(app::right_click_pending);
  window_procedure(plat::WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(app::app_active);
  window_procedure(plat::WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(app::app_active);
  EXPECT_EQ(window_procedure(plat::WM_SETCURSOR, 0, 0), 1);
  EXPECT_EQ(window_procedure(plat::WM_ERASEBKGND, 0, 0), 1);
}

TEST_F(WindowTest, ClosingDestroysReleasesAndQuitsAndReleasingTwiceIsHarmless) {
  res::debug_log_reset();
  window_procedure(plat::WM_CLOSE, 0, 0);
  EXPECT_FALSE(plat::window_exists());
  EXPECT_FALSE(app::app_active);
  EXPECT_EQ(gfx::primary, nullptr);
  EXPECT_EQ(gfx::back_buffer, nullptr);
  EXPECT_TRUE(handle_waiting_messages());
  release_all();
  EXPECT_EQ(read_file("debug.txt"),
            "saving highscores\nterminate sound\nrelease sprites\nrelease text\nrelease dd\n"
            "terminate sound\nrelease sprites\nrelease text\nrelease dd\n");
}

TEST_F(WindowTest, FramesRunOnTheVirtualClockAndLeaveAndEnterFullscreen) {
  const std::uint32_t start = plat::time_ms();
  app::frame_time = 1092;
  run_frame();
  EXPECT_EQ(plat::time_ms() - start, 10u);
  EXPECT_EQ(app::frame_counter, 1);
  EXPECT_EQ(app::frame_time, 655);

  EXPECT_TRUE(leave_fullscreen());
  EXPECT_FALSE(plat::display_exists());
  EXPECT_EQ(gfx::primary, nullptr);
  EXPECT_EQ(enter_fullscreen(), 1);
  EXPECT_TRUE(plat::display_exists());
  ASSERT_NE(gfx::back_buffer, nullptr);
  EXPECT_NE(gfx::next_screen, nullptr);
  run_frame();
  EXPECT_EQ(app::frame_counter, 2);
}

TEST_F(WindowTest, ScriptedInputReachesTheProcedure) {
  release_all();
  plat::shutdown();
  write_file("script.txt",
             "# a comment\n"
             "1 move 300 250\n"
             "1 ldown\n"
             "1 key ESCAPE\n");
  setenv("GRUMBOLDX_SCRIPT", (here.path() / "script.txt").c_str(), 1);
  const bool started = plat::init_headless();
  unsetenv("GRUMBOLDX_SCRIPT");
  ASSERT_TRUE(started);
  init_display();
  app::game_state = app::state_title;
  handle_waiting_messages();
  EXPECT_EQ(app::cursor_x, 300);
  EXPECT_EQ(app::cursor_y, 250);
  EXPECT_TRUE(app::click_pending);
  EXPECT_EQ(app::game_state, app::state_exit);
}
