// SPDX-License-Identifier: GPL-3.0-or-later
// Whole scenes drawn as the game draws them, in states that take a while to reach by play: the
// megagun firing into a full sky, the bees attacking, the snail eating the apple, a card game,
// and the yard after the scene switch with its hiding places and trampoline. Each checks the
// state it reached; with GRUMBOLDX_KEEP_SHOTS=DIR the pictures are written there as PNG files for
// a look.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/chickens.h"
#include "game/qzX/recording.h"
#include "game/qzX/reload_hint.h"
#include "game/qzX/round.h"
#include "game/resources/archive.h"
#include "game/resources/random.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/backend.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace qzx;

namespace {

class ScenePictures : public testing::Test {
 protected:
  static void SetUpTestSuite() { gfxtest::load_archive(app::edition_xxl); }
  static void TearDownTestSuite() { gfxtest::unload_archive(); }
  void SetUp() override {
    test_support::reset_app_state();
    round_reset();
    app::edition = app::edition_xxl;
    gfx::set_drawing(true);
    gfx::cancel_transition();
    use_recorded_start(1262304000, 500);
    round_setup(false);
    use_wall_clock_start();
  }

  // One frame as the main loop runs it (the clock runs down by the frame time).
  static RoundOutcome frame(FrameInput in = {}) {
    if (!in.click && !in.right_click && in.cursor_x == 0 && in.cursor_y == 0) {
      in.cursor_x = 400;
      in.cursor_y = 300;
    }
    app::cursor_x = in.cursor_x;
    app::cursor_y = in.cursor_y;
    const RoundOutcome o = round_frame(in);
    gfx::flush_draw_list();
    app::round_time -= app::frame_time;
    return o;
  }
  static FrameInput shot_at(int x, int y) {
    FrameInput in;
    in.cursor_x = x;
    in.cursor_y = y;
    in.click = true;
    players[0].cartridges = players[0].magazine_size;  // never run dry in a picture
    return in;
  }
  // The first scene's last frame with the gate open, the sign turned and 950 points: the yard.
  static void into_the_yard() {
    view(0);
    frame();
    round.gate_open = true;
    round.sign_turned = true;
    set_score(950);
    app::round_time = 0;
    ASSERT_EQ(frame(), RoundOutcome::scene_switched);
    gfx::cancel_transition();
  }
  static void view(int layer1_x) {
    round.scroll = layer1_x << 16;
    round.scroll_speed = 0;
  }
  static Enemy* find(int anim) {
    for (Enemy& e : enemies)
      if (e.flags && e.anim == anim) return &e;
    return nullptr;
  }
  static void keep(const char* name) {
    const char* dir = std::getenv("GRUMBOLDX_KEEP_SHOTS");
    if (!dir) return;
    void* pixels = nullptr;
    int pitch = 0;
    ASSERT_EQ(plat::surface_lock(gfx::back_buffer, nullptr, &pixels, &pitch), plat::DD_OK);
    plat::write_png((std::filesystem::path(dir) / name).c_str(), static_cast<std::uint16_t*>(pixels),
                    800, 600, pitch, plat::format_565);
    plat::surface_unlock(gfx::back_buffer);
  }
  static void sky_full_of_chickens(int n) {
    for (int i = 0; i < n; ++i)
      if (Enemy* e = spawn_flying(-1)) {
        e->x = (gfx::layer_offset(e->depth) + 60 + res::random(680)) << 16;
        e->y = (30 + res::random(220)) << 16;
      }
  }
};

TEST_F(ScenePictures, TheMegagunFiresIntoAFullSky) {
  view(0);
  frame();
  spawn_megagun();
  for (int i = 0; i < 400 && round.megagun_state != 1; ++i) frame();
  ASSERT_EQ(round.megagun_state, 1);
  sky_full_of_chickens(25);
  frame(shot_at(400, 300));
  ASSERT_EQ(round.megagun_state, 2);
  const std::int32_t before = score();
  for (int i = 0; i < 30; ++i) frame();
  EXPECT_GT(score(), before) << "the megablast kills a chicken every 0.1 s";
  EXPECT_TRUE(gfx::shake_x != 0 || gfx::shake_y != 0);
  keep("megagun.png");
}

TEST_F(ScenePictures, TheBeesAttack) {
  view(0);
  frame();
  constexpr const gfx::ArtAnchor* hive = gfx::find_art_anchor("data\\gfx\\beehive_handup");
  ASSERT_NE(hive, nullptr);
  // Let the keeper knock some bees out first, then shoot the hive in his hand.
  for (int i = 0; i < 400; ++i) frame();
  frame(shot_at(hive->x + 18 - gfx::layer_offset(hive->depth), hive->y + 14));
  ASSERT_TRUE(round.bees_attacking);
  for (int i = 0; i < 90; ++i) frame();
  keep("bees.png");
}

TEST_F(ScenePictures, TheSnailEatsTheApple) {
  Enemy* snail = find(gfx::find_sprite("data\\gfx\\snailzero"));
  ASSERT_NE(snail, nullptr);
  view(1300);
  frame();
  const std::int32_t before = score();
  // Shots at its tail push it on to the apple, each push let run out.
  for (int i = 0; i < 2400 && score() < before + 25; ++i) {
    const int x = (snail->x >> 16) - gfx::layer_offset(snail->depth) + 20;
    frame(i % 120 == 0 ? shot_at(x, (snail->y >> 16) + 40) : FrameInput{});
  }
  EXPECT_GE(score(), before + 25) << "the first bite";
  for (int i = 0; i < 20; ++i) frame();
  keep("snail.png");
}

// A point of the object's current frame that is opaque and not covered by a nearer layer.
bool open_point(const Enemy& e, int& x, int& y) {
  const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), e.frame >> 8);
  const int left = screen_x(e) + r.left, top = (e.y >> 16) + r.top;
  for (int dy = 0; dy < r.height; ++dy)
    for (int dx = 0; dx < r.width; ++dx) {
      const int sx = left + dx, sy = top + dy;
      if (sx < 0 || sx > 799 || sy < 0 || sy > 599) continue;
      if (!gfx::sprite_pixel(sprite_row(e), e.frame >> 8, dx, dy)) continue;
      bool covered = false;
      for (int layer = 0; layer < e.depth; ++layer) covered |= gfx::layer_pixel(layer, sx, sy) != 0;
      if (covered) continue;
      x = sx;
      y = sy;
      return true;
    }
  return false;
}

TEST_F(ScenePictures, ACardGameIsDealt) {
  Enemy* deck = find(gfx::find_sprite("data\\gfx\\cardturns"));
  ASSERT_NE(deck, nullptr);
  view(1850);
  frame();
  int dealt = 0;
  for (int card = 0; card < 3; ++card) {
    int x = 0, y = 0;
    ASSERT_TRUE(open_point(*deck, x, y)) << "the deck can be shot somewhere";
    const int events = event_count();
    frame(shot_at(x, y));
    for (int i = events; i < event_count(); ++i) dealt += event_at(i).code == 58;
    for (int i = 0; i < 70; ++i) frame();
  }
  EXPECT_GE(dealt, 1) << "a shot on the deck deals";
  keep("cards.png");
}

TEST_F(ScenePictures, TheYardAfterTheSceneSwitch) {
  ASSERT_NO_FATAL_FAILURE(into_the_yard());
  ASSERT_EQ(app::scene, 2);
  EXPECT_EQ(score(), 950);
  bool popped = false, bounced = false;
  const int trampoline = gfx::find_sprite("data\\gfx2\\trambo");
  for (int i = 0; i < 60 * 15 && !(popped && bounced); ++i) {
    frame();
    bool up = false;
    for (const Enemy& e : enemies)
      if (e.flags && (e.flags & f_visible) && (e.flags & f_shootable) && e.kind == kind_scenery &&
          e.state == 1)
        up = true;
    if (up && !popped) {
      popped = true;
      keep("yard_popping.png");
    }
    if (!bounced)
      if (Enemy* t = find(trampoline); t && (t->flags & f_visible) && (t->y >> 16) < 120) {
        bounced = true;
        keep("yard_trampoline.png");
      }
  }
  EXPECT_TRUE(popped) << "a hiding place showed its chicken";
  EXPECT_TRUE(bounced) << "the trampoline chicken jumped";
}

// The lowest row of a frame that holds a visible pixel, in the cell's coordinates (-1: none),
// and one of its columns.
int lowest_row(int sprite, int frame, int& column) {
  const gfx::FrameRect r = gfx::frame_rect(sprite, frame);
  for (int y = r.height - 1; y >= 0; --y)
    for (int x = 0; x < r.width; ++x)
      if (gfx::sprite_pixel(sprite, frame, x, y)) {
        column = r.left + x;
        return r.top + y;
      }
  return -1;
}

// The trampoline's bed is the blue of the yard's back layer.
bool bed_blue(std::uint16_t p) {
  const int red = (p >> 11) << 3, green = ((p >> 5) & 63) << 2, blue = (p & 31) << 3;
  return blue > red + 40 && blue > green + 20;
}

TEST_F(ScenePictures, TheTrampolineChickenBouncesOnTheBed) {
  ASSERT_NO_FATAL_FAILURE(into_the_yard());
  const int sprite = gfx::find_sprite("data\\gfx2\\trambo");
  Enemy* e = find(sprite);
  ASSERT_NE(e, nullptr);
  e->timer = 1;
  for (int i = 0; i < 5 && !(e->flags & f_visible); ++i) frame();
  ASSERT_TRUE(e->flags & f_visible) << "the jump starts";
  const int low_y = e->y >> 16;  // where the jump starts and ends
  // Every frame of the bounce, and of the stunned chicken that finishes a jump, lands there.
  for (const char* name : {"data\\gfx2\\trambo", "data\\gfx2\\trambodead"}) {
    const int s = gfx::find_sprite(name);
    for (int f = 0; f < gfx::frame_count(s); ++f) {
      SCOPED_TRACE(std::string(name) + " frame " + std::to_string(f));
      int column = 0;
      const int row = lowest_row(s, f, column);
      ASSERT_GE(row, 0);
      const int x = screen_x(*e) + column, y = low_y + row;
      int bed_top = 600, bed_bottom = -1;
      for (int by = 0; by < 599; ++by)
        if (bed_blue(gfx::layer_pixel(1, x, by))) {
          bed_top = std::min(bed_top, by);
          bed_bottom = std::max(bed_bottom, by);
        }
      ASSERT_GE(bed_bottom, 0) << "no bed under the chicken at x " << x;
      EXPECT_GE(y, bed_top) << "the chicken's lowest pixel hangs above the bed";
      EXPECT_LE(y, bed_bottom) << "the chicken's lowest pixel sinks through the bed";
    }
  }
  frame();
  keep("yard_trampoline_low.png");
}

// The rows of text the frame draws: the number of glyphs at each y.
std::map<int, int> text_rows() {
  std::map<int, int> rows;
  for (int band = 0; band < gfx::draw_bands; ++band)
    for (const gfx::DrawEntry* d = gfx::draw_band_head(band); d; d = d->next)
      if (d->source == text::font.surface) ++rows[d->y];
  return rows;
}

int visible_characters(const char16_t* text) {
  int n = 0;
  for (; *text; ++text) n += *text != u' ';
  return n;
}

TEST_F(ScenePictures, AnEmptyClickShowsHowToReload) {
  const int hint = visible_characters(text::get_text(reload_hint_text));
  ASSERT_GT(hint, 3);
  auto hint_shown = [&] {
    for (const auto& [y, glyphs] : text_rows())
      if (glyphs == hint) return true;
    return false;
  };
  view(0);
  frame();
  FrameInput click;
  click.cursor_x = 400;
  click.cursor_y = 300;
  click.click = true;
  FrameInput reload = click;
  reload.click = false;
  reload.right_click = true;

  players[0].cartridges = 1;
  frame(click);  // the last shot
  EXPECT_FALSE(hint_shown());
  frame();
  const int empty_clicks = empty_clicks_counted();
  frame(click);
  EXPECT_EQ(empty_clicks_counted(), empty_clicks + 1);
  EXPECT_TRUE(hint_shown()) << "an empty click";
  frame();
  EXPECT_TRUE(hint_shown()) << "it stays a moment";
  frame(reload);
  frame();
  EXPECT_FALSE(hint_shown()) << "the gun is loaded";

  // Unloaded, it goes after two seconds.
  players[0].cartridges = 0;
  frame(click);
  int frames = 1;
  while (hint_shown() && frames < 600) {
    frame();
    ++frames;
  }
  EXPECT_NEAR(frames * app::frame_time, 131072, 2 * app::frame_time);
}

}  // namespace
