// SPDX-License-Identifier: GPL-3.0-or-later
// The yard's targets (edition XXL) on the real data of the XXL archive, driven through the
// round's own frame: a tour that shoots every target and checks the events and points that
// reach the event log, the silencing and breaking rules, the grave's slab and the ghost's
// fourteenth hit, shots right after the display lost its surfaces, and a whole round in the yard
// reached through the real scene switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/scene2_targets.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/resources/random.h"
#include "platform/platform.h"
#include "tests/gfx_fixture.h"
#include "tests/target_tour.h"
#include "tests/test_support.h"

using namespace qzx;
using test_support::no_spawn;
using test_support::sprite;

namespace {

constexpr std::int32_t plenty_of_time = 40 * 65536;

constexpr const char* gfx2 = "data\\gfx2\\";  // the yard's pictures

struct Point {
  int x = -1, y = -1;
  bool found() const { return x >= 0; }
};

// The helpers are public: the tour's rows use them from free functions.
class Yard : public ::testing::Test {
 public:
  static void SetUpTestSuite() { gfxtest::load_archive(app::edition_xxl); }
  static void TearDownTestSuite() { gfxtest::unload_archive(); }

  // A fresh yard as the scene switch leaves it, with 1000 points to lose.
  void SetUp() override {
    ASSERT_GT(gfx::frame_count(sprite("barrel01", gfx2)), 0) << "the yard's sprites did not load";
    test_support::reset_app_state();
    round_reset();
    app::edition = app::edition_xxl;
    gfx::cancel_transition();
    record_start_at(1000, 0);
    set_score(1000);
    app::scene = 2;
    round_setup(false);
    round.spawn_timer = no_spawn;
  }
  void TearDown() override { app::scene = 1; }

  // One in-game frame; the clock stays well away from the end of the round.
  static RoundOutcome frame(const FrameInput& in = {}) {
    app::round_time = plenty_of_time;
    return round_frame(in);
  }
  static void frames(int n) {
    for (int i = 0; i < n; ++i) frame();
  }
  static void shoot(Point p) {
    players[0].cartridges = players[0].magazine_size;
    FrameInput in;
    in.cursor_x = p.x;
    in.cursor_y = p.y;
    in.click = true;
    frame(in);
  }

  // The first object of the yard showing the sprite.
  static Enemy* object_with(int anim) {
    for (Enemy& e : enemies)
      if ((e.flags & f_in_use) && e.kind == kind_scenery && e.anim == anim) return &e;
    return nullptr;
  }

  static bool shielded(const Enemy& e, int x, int y) {
    for (int layer = 0; layer < e.depth; ++layer)
      if (gfx::layer_pixel(layer, x, y)) return true;
    return false;
  }
  // A screen point on an opaque pixel of the object's frame and of the frame after it (the
  // shot's frame may advance it), not shielded by a nearer layer, inside x0..x1; the point
  // nearest the frame's centre.
  static Point opaque_point(const Enemy& e, int x0 = 0, int x1 = 799) {
    const int row = sprite_row(e);
    const int f = frame_number(e);
    const int next = std::min(f + 1, gfx::frame_count(row) - 1);
    const gfx::FrameRect r = gfx::frame_rect(row, f);
    const int left = screen_x(e) + r.left, top = (e.y >> 16) + r.top;
    Point best;
    long best_d = -1;
    const gfx::FrameRect rn = gfx::frame_rect(row, next);
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x) {
        const int sx = left + x, sy = top + y;
        if (sx < x0 || sx > x1 || sx < 0 || sx > 799 || sy < 0 || sy > 599) continue;
        if (!gfx::sprite_pixel(row, f, x, y)) continue;
        const int nx = sx - screen_x(e) - rn.left, ny = sy - (e.y >> 16) - rn.top;
        if (!gfx::sprite_pixel(row, next, nx, ny) || shielded(e, sx, sy)) continue;
        const long d = (x - r.width / 2L) * (x - r.width / 2L) + (y - r.height / 2L) * (y - r.height / 2L);
        if (best_d < 0 || d < best_d) {
          best = {sx, sy};
          best_d = d;
        }
      }
    return best;
  }

  // A screen point inside x0..x1 that is opaque on every frame of the object's sprite.
  static Point opaque_on_every_frame(const Enemy& e, int x0, int x1) {
    const int row = sprite_row(e);
    const gfx::FrameRect r = gfx::frame_rect(row, 0);
    for (int y = r.height - 1; y >= 0; --y)
      for (int x = 0; x < r.width; ++x) {
        const int sx = screen_x(e) + r.left + x, sy = (e.y >> 16) + r.top + y;
        if (sx < x0 || sx > x1) continue;
        bool all = true;
        for (int f = 0; f < gfx::frame_count(row) && all; ++f) {
          const gfx::FrameRect fr = gfx::frame_rect(row, f);
          all = gfx::sprite_pixel(row, f, sx - screen_x(e) - fr.left, sy - (e.y >> 16) - fr.top) != 0;
        }
        if (all) return {sx, sy};
      }
    return {};
  }

  // Lets a hiding place's chicken pop up and runs it to the frame.
  static Enemy* popped_to(int place, int frame_wanted) {
    Enemy* e = find_hiding_place(place);
    if (!e) return nullptr;
    e->timer = 1;
    for (int i = 0; i < 2000 && !(e->state == 1 && frame_number(*e) >= frame_wanted); ++i) frame();
    return e->state == 1 ? e : nullptr;
  }

  static std::vector<int> codes_since(int first) {
    std::vector<int> codes;
    for (int i = first; i < event_count(); ++i) {
      const int code = event_at(i).code;
      if (code < 100) codes.push_back(code);  // scenery actions, not ticks or noise
    }
    return codes;
  }
  static int objects_of_yard() {
    int n = 0;
    for (const Enemy& e : enemies) n += (e.flags & f_in_use) && e.kind == kind_scenery;
    return n;
  }
};

// ---- the tour ---------------------------------------------------------------------------

// Brings a target into the state the row shoots it in; returns the object to aim at.
using Bring = Enemy* (*)();

Enemy* as_spawned_doghouse() { return Yard::object_with(sprite("doghouse", gfx2)); }
Enemy* barrels_object() { return Yard::object_with(sprite("barrels", gfx2)); }
Enemy* chimney_pot1() { return Yard::object_with(sprite("chimneyshoot", gfx2)); }
Enemy* chimney_pot2() { return Yard::object_with(sprite("chimneyshoot2", gfx2)); }
Enemy* window_frame() { return Yard::object_with(sprite("windowrshoot", gfx2)); }
Enemy* window() { return Yard::object_with(sprite("windowopenclose", gfx2)); }
Enemy* open_door() { return Yard::object_with(sprite("dooropen", gfx2)); }
Enemy* tree() { return Yard::object_with(sprite("tree", gfx2)); }
Enemy* axe() { return Yard::object_with(sprite("axe", gfx2)); }
Enemy* shore() { return Yard::object_with(sprite("shore", gfx2)); }
Enemy* cloth1() { return Yard::object_with(sprite("cloth1", gfx2)); }
Enemy* cloth2() { return Yard::object_with(sprite("cloth2", gfx2)); }
Enemy* cloth3() { return Yard::object_with(sprite("cloth3", gfx2)); }
Enemy* grave() { return Yard::object_with(sprite("grave", gfx2)); }

// The trampoline chicken a quarter into its jump.
Enemy* jumping_chicken() {
  Enemy* e = Yard::object_with(sprite("trambo", gfx2));
  if (!e) return nullptr;
  e->timer = 1;
  for (int i = 0; i < 40 && e->data0 < 134217728 / 4; ++i) Yard::frames(1);
  return e->state == 1 ? e : nullptr;
}

// The ghost out of the opened grave and fully faded in.
Enemy* ghost_out() {
  Enemy* g = grave();
  if (!g) return nullptr;
  g->state = 1;  // opening, as after its sixth shot
  g->anim_speed = 76;
  Yard::frames(120);
  Enemy* e = Yard::object_with(sprite("ghost", gfx2));
  if (!e) return nullptr;
  e->timer = 1;
  for (int i = 0; i < 120 && !(e->flags & f_shootable); ++i) Yard::frames(1);
  return (e->flags & f_shootable) ? e : nullptr;
}

template <int Place, int Frame>
Enemy* popped() {
  return Yard::popped_to(Place, Frame);
}

struct TourRow {
  const char* name;
  Bring bring;
  int shots;
  int x0, x1;  // where on the object to aim
  std::vector<int> codes;
  int points;
  bool gone_after = false;  // the target has left the round once its animation ended
  void (*between)(Enemy&) = nullptr;  // after each shot
};

// A pushed ghost drifts for a few frames; it is brought back down for the next shot.
void let_ghost_settle(Enemy& e) {
  Yard::frames(30);
  e.y = 424 << 16;
}

TEST_F(Yard, TourShootsEveryTargetOnce) {
  const TourRow rows[] = {
      {"doghouse", as_spawned_doghouse, 1, 0, 799, {33}, -25},
      {"barrels: the first", barrels_object, 1, 0, 391, {42}, -25},
      {"barrels: the second", barrels_object, 1, 392, 455, {43}, -25},
      {"barrels: the third", barrels_object, 1, 456, 799, {44}, -25},
      {"chimney top, left pot", chimney_pot1, 1, 0, 799, {87}, -25},
      {"chimney top, right pot", chimney_pot2, 1, 0, 799, {87}, -25},
      {"barrel01", popped<hp_barrel01, 10>, 1, 0, 799, {73}, 10},
      {"barrel02", popped<hp_barrel02, 15>, 1, 0, 799, {74}, 10},
      {"barrel03", popped<hp_barrel03, 8>, 1, 0, 799, {75}, 10},
      {"chimney", popped<hp_chimney, 8>, 1, 0, 799, {71}, 10},
      {"window frame", window_frame, 1, 0, 799, {34}, -25},
      {"windowr", popped<hp_windowr, 12>, 1, 0, 799, {76}, 10},
      {"topcorner", popped<hp_topcorner, 10>, 1, 0, 799, {81}, 10},
      {"behindwood", popped<hp_behindwood, 12>, 1, 0, 799, {82}, 10},
      {"doghouse_", popped<hp_doghouse, 9>, 1, 0, 799, {78}, 10},
      {"frontbigbarrel", popped<hp_frontbigbarrel, 10>, 1, 0, 799, {79}, 10},
      {"open door", open_door, 1, 0, 799, {35}, -25},
      {"door", popped<hp_door, 10>, 1, 0, 799, {72}, 10},
      {"tree", tree, 1, 0, 552, {22}, 25},  // left of the shovel leaning in front of it
      {"window", window, 1, 0, 799, {30}, -25},
      {"bigwindow", popped<hp_bigwindow, 18>, 1, 0, 799, {77}, 10},
      {"trampoline", jumping_chicken, 2, 0, 799, {80}, 50},  // the second shot is caught only
      {"axe", axe, 1, 0, 799, {23}, 5, true},
      {"shore", shore, 1, 0, 799, {26}, 5, true},
      {"cloth1", cloth1, 2, 0, 799, {83, 83}, 10, true},
      {"cloth2", cloth2, 2, 0, 799, {84, 84}, 10, true},
      {"cloth3", cloth3, 2, 0, 799, {85, 85}, 10, true},
      {"grave", grave, 6, 0, 799, {24}, 25},
      {"ghost", ghost_out, 14, 0, 799, {31}, 150, true, let_ghost_settle},
  };
  for (const TourRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    Enemy* e = row.bring();
    ASSERT_NE(e, nullptr) << "not brought into its state";
    const int slot = enemy_index(*e);
    const int first_event = event_count();
    const std::int32_t before = score();
    for (int shot = 0; shot < row.shots && (e->flags & f_in_use); ++shot) {
      Point p;
      if (e == window()) p = {408 + 35, 201 + 40};  // the glass: a box, not pixels
      else if (e == open_door()) p = {175 + 12, 227 + 60};  // the leaf left of the doorway
      else if (e == grave()) p = {303 + 150, 424 + 30};
      else p = opaque_point(*e, row.x0, row.x1);
      ASSERT_TRUE(p.found()) << "no point to aim at, shot " << shot;
      shoot(p);
      if (row.between && (e->flags & f_in_use)) row.between(*e);
    }
    EXPECT_EQ(codes_since(first_event), row.codes);
    EXPECT_EQ(score() - before, row.points);
    if (row.gone_after) {
      frames(120);
      EXPECT_FALSE((enemies[slot].flags & f_in_use) && enemies[slot].kind == kind_scenery)
          << "still in the round";
    }
  }
}

// ---- edge cases ---------------------------------------------------------------------------

TEST_F(Yard, SetUpSpawnsTheYardAndClearsTheFlags) {
  scene2_flags.doghouse_shot = scene2_flags.barrel2_broken = true;
  SetUp();
  EXPECT_EQ(objects_of_yard(), 27);
  EXPECT_FALSE(scene2_flags.doghouse_shot);
  EXPECT_FALSE(scene2_flags.barrel2_broken);
  for (const Enemy& e : enemies)
    if ((e.flags & f_in_use) && e.kind == kind_scenery) {
      const bool depth1 = e.anim == sprite("trambo", gfx2) || e.anim == sprite("cloth1", gfx2) ||
                          e.anim == sprite("cloth2", gfx2) || e.anim == sprite("cloth3", gfx2);
      EXPECT_EQ(e.depth, depth1 ? 1 : 0) << "sprite " << e.anim;
    }
}

TEST_F(Yard, AfterTheDoghouseIsShotItsChickenNeverPopsUpAgain) {
  shoot(opaque_point(*as_spawned_doghouse()));
  ASSERT_TRUE(scene2_flags.doghouse_shot);
  Enemy* e = find_hiding_place(hp_doghouse);
  ASSERT_NE(e, nullptr);
  e->timer = 1;
  for (int i = 0; i < 20 * 60; ++i) {  // 20 s: longer than any wait
    frame();
    ASSERT_EQ(e->state, 0) << "frame " << i;
    ASSERT_FALSE(e->flags & (f_visible | f_shootable));
  }
  // Another place, not silenced, pops up as usual.
  EXPECT_NE(popped_to(hp_topcorner, 4), nullptr);
}

TEST_F(Yard, AShotAtBarrel01BelowFrame6HitsTheBarrelsBehindIt) {
  Enemy* chicken = popped_to(hp_barrel01, 4);
  ASSERT_NE(chicken, nullptr);
  ASSERT_LT(frame_number(*chicken), 6);
  // A point on the chicken's picture that is also on the first barrel.
  const Enemy& barrels = *barrels_object();
  const int row = sprite_row(*chicken), f = frame_number(*chicken);
  const gfx::FrameRect r = gfx::frame_rect(row, f);
  const gfx::FrameRect br = gfx::frame_rect(sprite_row(barrels), 0);
  Point p;
  for (int y = 0; y <= r.height && !p.found(); ++y)
    for (int x = 0; x < r.width && !p.found(); ++x) {
      const int sx = screen_x(*chicken) + r.left + x, sy = (chicken->y >> 16) + r.top + y;
      const int bx = sx - screen_x(barrels) - br.left, by = sy - (barrels.y >> 16) - br.top;
      if (sx <= 391 && gfx::sprite_pixel(row, f, x, y) &&
          gfx::sprite_pixel(sprite_row(barrels), 0, bx, by))
        p = {sx, sy};
    }
  ASSERT_TRUE(p.found()) << "the chicken does not come out of the first barrel";
  const int first_event = event_count();
  shoot(p);
  EXPECT_EQ(codes_since(first_event), std::vector<int>{42});
  EXPECT_TRUE(scene2_flags.barrel1_broken);
  // Breaking the barrel sends the chicken popping out of it to its last three frames.
  EXPECT_GE(frame_number(*chicken), gfx::frame_count(row) - 3);
}

// The pictures show the chicken on every frame it can be shot on.
TEST_F(Yard, EveryHidingPlaceShowsItsChickenOnItsShootableFrames) {
  // The pixels of a frame that differ from the first frame (the place before it comes up).
  const auto changed_pixels = [](int row, int f) {
    const auto at = [row](int frame, int x, int y) {
      const gfx::FrameRect r = gfx::frame_rect(row, frame);
      return gfx::sprite_pixel(row, frame, x - r.left, y - r.top);
    };
    const gfx::FrameRect r = gfx::frame_rect(row, f);
    int n = 0;
    for (int y = r.top; y < r.top + r.height; ++y)
      for (int x = r.left; x < r.left + r.width; ++x) n += at(f, x, y) && at(f, x, y) != at(0, x, y);
    return n;
  };
  for (int p = 0; p < hiding_place_count; ++p) {
    const Enemy& e = *find_hiding_place(p);
    const int row = sprite_row(e), frames = gfx::frame_count(row);
    const PopupFrames w = hiding_place_frames(p);
    ASSERT_GT(frames, 0) << "place " << p;
    for (int f = w.first; f <= w.last && f < frames; ++f)
      EXPECT_GE(changed_pixels(row, f), 80) << "place " << p << " frame " << f;
  }
}

int probe_hits = 0;
void probe_hit(Enemy&) { ++probe_hits; }

TEST_F(Yard, AllThreeBarrelsBrokenLeaveShotResolution) {
  Enemy& barrels = *barrels_object();
  // Something behind the barrels: an object in the lowest slot, so the barrels win while they
  // take shots.
  enemy_free(*as_spawned_doghouse());
  alloc_cursor = 0;
  Enemy* probe = enemy_alloc(kind_scenery);
  ASSERT_EQ(enemy_index(*probe), 0);
  probe->flags |= f_shootable;
  set_hitbox(*probe, 0, 0, 800, 600);
  probe->on_hit = probe_hit;
  probe_hits = 0;

  const Point first = opaque_on_every_frame(barrels, 0, 391);
  const Point third = opaque_on_every_frame(barrels, 456, 799);
  const Point second = opaque_on_every_frame(barrels, 392, 455);
  ASSERT_TRUE(first.found() && second.found() && third.found());
  const struct {
    Point p;
    int frame;
  } steps[] = {{first, 1}, {third, 5}, {first, 5}};  // the third shot: that barrel is broken
  for (const auto& s : steps) {
    shoot(s.p);
    EXPECT_EQ(frame_number(barrels), s.frame);
  }
  EXPECT_EQ(score(), 950) << "the repeated barrel costs nothing";
  EXPECT_EQ(probe_hits, 0);
  shoot(second);
  EXPECT_EQ(score(), 925);
  EXPECT_FALSE(barrels.flags & f_shootable);
  shoot(first);
  EXPECT_EQ(probe_hits, 1) << "the shot passes to what lies behind";
  EXPECT_EQ(score(), 925);
}

TEST_F(Yard, OnlyShotsOnTheGravesSlabCount) {
  Enemy& g = *grave();
  const Point slab{303 + 150, 424 + 30}, beside{303 + 100, 424 + 30};
  for (int i = 0; i < 5; ++i) shoot(slab);
  shoot(beside);
  EXPECT_EQ(g.counter, 5);
  EXPECT_EQ(g.state, 0) << "still closed";
  const int first_event = event_count();
  shoot(slab);
  EXPECT_EQ(codes_since(first_event), std::vector<int>{24});
  EXPECT_EQ(score(), 1025);
  // It opens, and the ghost's next wait is set when the opening ends.
  Enemy& ghost = *object_with(sprite("ghost", gfx2));
  ghost.timer = 100 * 65536;
  for (int i = 0; i < 300 && g.state == 1; ++i) frame();
  EXPECT_EQ(g.state, 2);
  EXPECT_GE(ghost.timer, 50 * 65536 / 10 - 2 * app::frame_time);
  EXPECT_LE(ghost.timer, 99 * 65536 / 10);
}

TEST_F(Yard, TheGhostIsPushedByHitsAndDiesOnTheFourteenth) {
  Enemy* ghost = ghost_out();
  ASSERT_NE(ghost, nullptr);
  const int first_event = event_count();
  for (int hit = 1; hit <= 13; ++hit) {
    const std::int32_t home = ghost->home_x;
    shoot(opaque_point(*ghost));
    ASSERT_EQ(ghost->counter, hit);
    frames(30);
    // One push moves it about 114 pixels, left or right.
    EXPECT_NEAR(std::abs(ghost->home_x - home) >> 16, 114, 8) << "hit " << hit;
    ghost->y = 424 << 16;  // keep it on screen for the next shot
  }
  EXPECT_TRUE(codes_since(first_event).empty());
  EXPECT_EQ(score(), 1000);
  shoot(opaque_point(*ghost));
  EXPECT_EQ(codes_since(first_event), std::vector<int>{31});
  EXPECT_EQ(score(), 1150);
  EXPECT_EQ(ghost->anim, sprite("ghostdead", gfx2));
  EXPECT_FALSE(ghost->flags & f_shootable);
  const int slot = enemy_index(*ghost);
  frames(120);
  EXPECT_FALSE(enemies[slot].flags & f_in_use) << "gone for good";
}

TEST_F(Yard, ShotsRightAfterASurfaceLossStillMeetTheLayers) {
  // A piece of laundry moved down into the yard, where the front layer covers it.
  Enemy& cloth = *cloth1();
  set_pos(cloth, 100 << 16, 450 << 16);
  Enemy* chicken = popped_to(hp_behindwood, 12);
  ASSERT_NE(chicken, nullptr);
  const Point on_chicken = opaque_point(*chicken);
  ASSERT_TRUE(on_chicken.found());
  Enemy unshielded = cloth;
  unshielded.depth = 0;
  const Point on_cloth = opaque_point(unshielded);
  ASSERT_TRUE(on_cloth.found());
  ASSERT_NE(gfx::layer_pixel(0, on_cloth.x, on_cloth.y), 0) << "the yard is in front of it";

  plat::lose_all_surfaces();
  EXPECT_NE(gfx::layer_pixel(0, on_cloth.x, on_cloth.y), 0) << "read without the display";
  int first_event = event_count();
  shoot(on_cloth);
  EXPECT_TRUE(codes_since(first_event).empty()) << "the front layer still shields it";
  plat::lose_all_surfaces();
  first_event = event_count();
  shoot(on_chicken);
  EXPECT_EQ(codes_since(first_event), std::vector<int>{82});
  gfx::restore_surfaces();
}

TEST_F(Yard, AGoodFirstRoundGoesOnIntoTheYardAndItsRoundRunsToTheEnd) {
  // The end of a first-scene round with the gate open, the sign turned and 950 points.
  app::scene = 1;
  use_recorded_start(1000, 0);
  round_setup(false);
  use_wall_clock_start();
  round.gate_open = true;
  round.sign_turned = true;
  set_score(950);
  app::round_time = 0;
  ASSERT_EQ(round_frame(FrameInput{}), RoundOutcome::scene_switched);
  ASSERT_EQ(app::scene, 2);
  EXPECT_EQ(score(), 950);
  EXPECT_EQ(objects_of_yard(), 27);
  gfx::cancel_transition();

  // The yard's 46 s with a shot every half second somewhere in the picture.
  gfxtest::reset_log();
  bool popped[hiding_place_count] = {};
  int chickens_seen = 0;
  RoundOutcome outcome = RoundOutcome::running;
  int i = 0;
  for (; i < 60 * 60 && outcome == RoundOutcome::running; ++i) {
    FrameInput in;
    in.cursor_x = res::random(800);
    in.cursor_y = res::random(600);
    in.click = i % 30 == 0;
    if (i % 240 == 0) players[0].cartridges = players[0].magazine_size;
    outcome = round_frame(in);
    app::round_time -= app::frame_time;
    for (int p = 0; p < hiding_place_count; ++p)
      if (const Enemy* e = find_hiding_place(p); e && e->state == 1) popped[p] = true;
    for (const Enemy& e : enemies) chickens_seen += (e.flags & f_in_use) && e.kind == kind_flying_chicken;
  }
  EXPECT_EQ(outcome, RoundOutcome::game_over);
  EXPECT_NEAR(i, 3014590 / 1092, 2) << "46 s at 60 frames a second";
  // Every hiding place showed its chicken, unless a random shot silenced it first.
  const bool silenced[hiding_place_count] = {
      scene2_flags.barrel1_broken, scene2_flags.barrel2_broken, scene2_flags.barrel3_broken,
      scene2_flags.chimney_shot, scene2_flags.window_shot, false, false, scene2_flags.doghouse_shot};
  for (int p = 0; p < hiding_place_count; ++p) EXPECT_TRUE(popped[p] || silenced[p]) << "place " << p;
  EXPECT_GT(chickens_seen, 0);
  EXPECT_EQ(gfxtest::read_log().find("illegal frame-num"), std::string::npos);
}

}  // namespace
