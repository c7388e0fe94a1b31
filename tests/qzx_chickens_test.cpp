// SPDX-License-Identifier: GPL-3.0-or-later
// Chickens on the real sprites of the XL archive: near misses that turn a chicken or make it
// panic, the sizes of edition XS, the side runner's double points and take-off, the falling
// chicken's end and the field runner's kill.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/chickens.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/resources/archive.h"
#include "game/resources/random.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace qzx;

namespace {

constexpr std::int32_t empty_ring = 65536000;  // 1000 s: no hit

class Chickens : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gfxtest::load_archive(app::edition_xl); }
  static void TearDownTestSuite() { gfxtest::unload_archive(); }

  void SetUp() override {
    ASSERT_GT(gfx::frame_count(spr_chicken + 1), 0) << "the sprites did not load";
    test_support::reset_app_state();
    round_reset();
    app::frame_time = 1092;
    app::round_time = 5963710;
    for (gfx::Layer& l : gfx::layers) l.offset = 0;
    record_start_at(1000, 0);
    res::random_seed(7);
  }

  // A flying chicken of the size at (x, y) flying level in the given direction, with no course
  // change due for a long while.
  static Enemy& flying_at(int size, int x, int y, bool right) {
    Enemy* e = spawn_flying(size);
    EXPECT_NE(e, nullptr);
    e->x = x << 16;
    e->y = y << 16;
    e->flags &= static_cast<std::uint16_t>(~(f_mirrored | f_blink));
    if (right) e->flags |= f_mirrored | f_blink;
    e->vx = (right ? 1 : -1) * chicken_sizes[size].speed * 65536;
    e->vy = 0;
    e->timer2 = 100 * 65536;
    return *e;
  }

  // Shoots at (x, y) during one update of the chicken.
  static void shoot_during_update(Enemy& e, int x, int y) {
    round.shot_pending = true;
    round.cursor_x = x;
    round.cursor_y = y;
    e.update(e);
    round.shot_pending = false;
  }

  // Where a shot lands `distance` px outside the chicken's front (or back) edge, at mid height.
  static void beside(const Enemy& e, bool front, int distance, int& x, int& y) {
    const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), 0);
    const bool right = (e.flags & f_blink) != 0;
    const bool right_edge = front == right;
    x = right_edge ? screen_x(e) + r.left + r.width + distance : screen_x(e) + r.left - distance;
    y = (e.y >> 16) + r.top + r.height / 2;
  }

  static int objects_of_kind(int kind) {
    int n = 0;
    for (const Enemy& e : enemies) n += (e.flags & f_in_use) && e.kind == kind;
    return n;
  }
};

TEST_F(Chickens, ShotInFrontTurnsTheChickenAndTheFifthTurnKillsIt) {
  Enemy& e = flying_at(2, 400, 200, false);
  // Without a pending shot the cursor in front does nothing.
  int x, y;
  beside(e, true, 10, x, y);
  round.cursor_x = x;
  round.cursor_y = y;
  e.update(e);
  EXPECT_EQ(e.data1, 0);

  for (int turn = 1; turn <= 4; ++turn) {
    const bool was_right = (e.flags & f_blink) != 0;
    const std::int32_t vx = e.vx;
    beside(e, true, 10, x, y);
    shoot_during_update(e, x, y);
    EXPECT_EQ(e.data1, turn);
    EXPECT_EQ((e.flags & f_blink) != 0, !was_right) << "turn " << turn;
    EXPECT_EQ((e.flags & f_mirrored) != 0, !was_right) << "turn " << turn;
    EXPECT_EQ(e.vx, -vx);
    EXPECT_EQ(e.state, 1);
  }
  EXPECT_EQ(score(), 0);

  // The fifth turn happens before the death: the turned row's centre is kept.
  Enemy turned = e;
  turned.flags ^= f_mirrored;
  int old_cx, old_cy;
  gfx::frame_centre(sprite_row(turned), 0, old_cx, old_cy);
  const int old_x = e.x >> 16, old_y = e.y >> 16;
  beside(e, true, 10, x, y);
  round.shot_pending = true;
  round.cursor_x = x;
  round.cursor_y = y;
  chicken_near_miss(e);  // the near-miss step alone, so the chicken does not move first
  EXPECT_EQ(e.state, 3);
  EXPECT_EQ(e.anim, spr_falling);
  EXPECT_EQ(score(), chicken_sizes[2].points);
  EXPECT_EQ(round.hits, 1);
  EXPECT_EQ(hit_times[0][0], app::round_time);
  EXPECT_EQ(hit_times[0][1], empty_ring);
  EXPECT_EQ(objects_of_kind(kind_score_popup), 1);
  ASSERT_EQ(event_count(), 1);
  // The falling row's frame-0 centre is where the flying row's was.
  int new_cx, new_cy;
  gfx::frame_centre(sprite_row(e), 0, new_cx, new_cy);
  EXPECT_EQ((e.x >> 16) + new_cx, old_x + old_cx);
  EXPECT_EQ((e.y >> 16) + new_cy, old_y + old_cy);
}

TEST_F(Chickens, ShotBehindDoublesTheSpeedForOneAndAHalfSeconds) {
  Enemy& e = flying_at(1, 400, 200, true);
  int x, y;
  beside(e, false, 10, x, y);
  shoot_during_update(e, x, y);
  EXPECT_EQ(e.counter, 98304);
  EXPECT_EQ(e.data1, 0);
  EXPECT_EQ(e.vx, chicken_sizes[1].speed * 65536);  // no turn

  const std::int32_t step = static_cast<std::int32_t>(std::int64_t{e.vx} * app::frame_time / 65536);
  const std::int32_t doubled =
      static_cast<std::int32_t>(std::int64_t{e.vx} * 2 * app::frame_time / 65536);
  const int panic_frames = (98304 + app::frame_time - 1) / app::frame_time;
  for (int f = 0; f < panic_frames; ++f) {
    const std::int32_t before = e.x;
    e.update(e);
    ASSERT_EQ(e.x - before, doubled) << "frame " << f;
  }
  const std::int32_t before = e.x;
  e.update(e);
  EXPECT_EQ(e.x - before, step);
}

TEST_F(Chickens, EditionXsHasNoMiddleSize) {
  // Same seed, both editions: XS turns the table's 2 into size 1 and keeps the rest.
  constexpr int draws = 2000;
  int xl[draws];
  res::random_seed(99);
  for (int& s : xl) s = random_chicken_size();
  app::edition = app::edition_xs;
  res::random_seed(99);
  int seen[5] = {};
  for (int i = 0; i < draws; ++i) {
    const int s = random_chicken_size();
    ASSERT_NE(s, 3);
    EXPECT_EQ(s, xl[i] == 3 ? 1 : xl[i]);
    ++seen[s];
  }
  EXPECT_GT(seen[1], 0);
  EXPECT_GT(seen[2], 0);
  EXPECT_GT(seen[4], 0);
  EXPECT_NE(std::count(xl, xl + draws, 3), 0);
}

TEST_F(Chickens, SideRunnerHitOnTheGroundCountsDoubleButNotTwenty) {
  struct Case {
    int state, frame, points, dying_state;
  };
  for (const Case c : {Case{4, 0, 15, 6}, Case{5, 10, 15, 6}, Case{5, 11, 10, 3}}) {
    SetUp();
    Enemy* e = spawn_side_runner();
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind, kind_ground_chicken);
    if (c.state == 5) {
      e->state = 5;
      set_anim(*e, spr_start_normal, c.frame);
    }
    e->on_hit(*e);
    EXPECT_EQ(score(), c.points) << "state " << c.state << " frame " << c.frame;
    EXPECT_EQ(e->state, c.dying_state);
    EXPECT_EQ(e->anim, c.dying_state == 6 ? spr_heart : spr_falling);
    EXPECT_EQ(e->kind, kind_flying_chicken);
    EXPECT_EQ(e->update, &flying_update);
    EXPECT_EQ(round.hits, 1);
    EXPECT_EQ(hit_times[0][0], app::round_time);
  }
}

TEST_F(Chickens, SideRunnersStartOutOfViewAndNeverTwiceFromOnePoint) {
  // With layer 1 at 600 only the point at x 2707 lies outside the view.
  gfx::layers[1].offset = 600;
  Enemy* first = spawn_side_runner();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->x >> 16, 2707);
  EXPECT_LT(first->vx, 0);
  EXPECT_EQ(spawn_side_runner(), nullptr);
  EXPECT_EQ(round.live_chickens, 1);
  reset_side_runners();
  EXPECT_NE(spawn_side_runner(), nullptr);
}

TEST_F(Chickens, SideRunnerTakesOffIntoAFlyingChicken) {
  Enemy* e = spawn_side_runner();
  ASSERT_NE(e, nullptr);
  int frames = 0;
  while (e->kind == kind_ground_chicken && frames < 600) {
    e->update(*e);
    ++frames;
  }
  ASSERT_EQ(e->kind, kind_flying_chicken);
  EXPECT_EQ(e->state, 1);
  EXPECT_EQ(e->anim, spr_chicken);
  EXPECT_EQ(sprite_row(*e) & 3, 1);  // the normal size
  EXPECT_TRUE(e->flags & f_ground);
  EXPECT_TRUE(e->flags & f_z_front);
  EXPECT_LT(e->vy, 0);
  EXPECT_EQ(e->anim_speed, 64);
  EXPECT_EQ(e->update, &flying_update);
  EXPECT_EQ(e->on_hit, &flying_hit);
  EXPECT_EQ(round.live_chickens, 1);
}

TEST_F(Chickens, FallingChickenIsFreedAfterSixTenthsOfASecond) {
  Enemy& e = flying_at(4, 400, 100, false);
  e.on_hit(e);
  ASSERT_EQ(e.state, 3);
  std::int32_t elapsed = 0;
  bool blinked = false;
  while (e.flags) {
    e.update(e);
    elapsed += app::frame_time;
    blinked |= !(e.flags & f_visible);
    ASSERT_LE(elapsed, 39321 + app::frame_time);
  }
  EXPECT_GT(elapsed, 39321);
  EXPECT_TRUE(blinked);
  // enemy_free lowers the counter for a flying chicken and the update once more.
  EXPECT_EQ(round.live_chickens, -1);
  // A hit on a chicken that is already falling does nothing.
  Enemy& second = flying_at(4, 400, 100, false);
  second.on_hit(second);
  second.on_hit(second);
  EXPECT_EQ(score(), 2 * chicken_sizes[4].points);
}

TEST_F(Chickens, MegablastKillsLeaveTheMultiHitRingAlone) {
  round.megagun_state = 2;
  Enemy& e = flying_at(3, 400, 100, true);
  e.on_hit(e);
  EXPECT_EQ(e.state, 3);
  EXPECT_EQ(score(), 15);
  EXPECT_EQ(hit_times[0][0], empty_ring);
}

TEST_F(Chickens, FieldRunnerKillScoresTwentyFiveAndFadesOut) {
  Enemy* e = spawn_field_runner();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(e->flags & f_behind_layer);
  for (int f = 0; f < 10; ++f) e->update(*e);
  EXPECT_GT(e->data1, 0);
  e->on_hit(*e);
  EXPECT_EQ(score(), 25);
  EXPECT_EQ(round.hits, 0);
  EXPECT_EQ(hit_times[0][0], empty_ring);
  EXPECT_EQ(e->state, 6);
  EXPECT_EQ(e->anim, spr_dies);
  EXPECT_FALSE(e->flags & f_shootable);
  EXPECT_EQ(event_count(), 1);
  int frames = 0;
  while (e->flags && frames < 600) {
    e->update(*e);
    ++frames;
  }
  EXPECT_EQ(e->flags, 0);
  EXPECT_EQ(round.live_chickens, 0);
}

TEST_F(Chickens, FieldRunnerRunsToItsPathEndAndIsFreedThere) {
  Enemy* e = spawn_field_runner();
  ASSERT_NE(e, nullptr);
  const int start_x = e->home_x >> 16, end_x = e->seq_pos >> 16, end_y = e->data4 >> 16;
  EXPECT_EQ(end_x > start_x, (e->flags & f_mirrored) != 0);  // mirrored runs to the right
  int last_x = start_x, last_y = e->home_y >> 16, frames = 0;
  while (e->flags && frames < 1000) {
    last_x = e->x >> 16;
    last_y = e->y >> 16;
    e->update(*e);
    ++frames;
  }
  EXPECT_EQ(e->flags, 0);
  EXPECT_NEAR(last_x, end_x, 8);
  EXPECT_NEAR(last_y, end_y, 2);
  EXPECT_EQ(round.live_chickens, 0);
}

}  // namespace
