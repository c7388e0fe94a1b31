// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene's scenery characters on the real archives of each edition: the postbox, the
// pumpkin, the stove, the front chicken, the sheep rider, the pan chicken, the lake with its
// chicken and the safe, the outhouse and the car with its parts. Shots go through the real
// in-game frame; a tour shoots every target and reads what reaches the event log and the score.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "tests/gfx_fixture.h"
#include "tests/target_tour.h"

using namespace qzx;
using test_support::events_since;
using test_support::look_at;
using test_support::look_within;
using test_support::Middle;
using test_support::shoot_at;
using test_support::spawned_by;
using test_support::sprite;
using test_support::takes;
using test_support::view;

namespace {

constexpr std::int32_t second = 65536;
constexpr int frames_per_second = 60;       // the frame time stays 1092 (1/60 s)

// The scenery targets of the round, as their spawn functions made them (null where the edition
// has none).
struct Scenery {
  Enemy* postbox = nullptr;
  Enemy* pumpkin = nullptr;
  Enemy* stove = nullptr;
  Enemy* front = nullptr;
  Enemy* tupo = nullptr;
  Enemy* pan = nullptr;
  Enemy* lake = nullptr;
  Enemy* lake_chicken = nullptr;
  Enemy* safe = nullptr;
  Enemy* toilet = nullptr;
  Enemy* toilet_chicken = nullptr;
  Enemy* car = nullptr;
  Enemy* car_front = nullptr;
  Enemy* car_door = nullptr;
  Enemy* car_bumper = nullptr;
};
Scenery scenery;

// A first-scene round whose slots hold only these targets, spawned in the scene's order, so no
// other target takes a shot or scores meanwhile.
void scenery_only() {
  enemy_clear();
  const bool xl_up = app::edition != app::edition_xs;
  scenery = {};
  scenery.postbox = spawned_by(spawn_postbox);
  scenery.pumpkin = spawned_by(spawn_pumpkin);
  scenery.stove = spawned_by(spawn_stove);
  if (xl_up) scenery.front = spawned_by(spawn_front);
  if (xl_up) scenery.tupo = spawned_by(spawn_tupo);
  scenery.pan = spawned_by(spawn_pan);
  scenery.lake = spawned_by(spawn_lake);
  scenery.lake_chicken = spawned_by(spawn_lake_chicken);
  if (xl_up) scenery.safe = spawned_by(spawn_safe);
  scenery.toilet = spawned_by(spawn_toilet);
  scenery.toilet_chicken = spawned_by(spawn_toilet_chicken);
  scenery.car = spawned_by(spawn_car);
  scenery.car_front = spawned_by(spawn_car_front);
  if (xl_up) scenery.car_door = spawned_by(spawn_car_door);
  if (xl_up) scenery.car_bumper = spawned_by(spawn_car_bumper);
}

// The cursor rests in the bottom left corner, far from every target, between shots.
constexpr test_support::Idle idle{1, 599};
// The frames of `seconds` s.
int frames_of(double seconds) { return static_cast<int>(seconds * frames_per_second) + 1; }

// A spot relative to the target's position, bounds included.
struct Box {
  int x0, y0, x1, y1;
};
// The first screen point of the box where a shot hits the target now.
bool find_spot(Enemy& e, Box b, int& cx, int& cy) {
  for (int y = b.y0; y <= b.y1; ++y)
    for (int x = b.x0; x <= b.x1; ++x) {
      cx = screen_x(e) + x;
      cy = (e.y >> 16) + y;
      if (cx < 1 || cx > 798 || cy < 0 || cy > 599) continue;
      if (takes(e, cx, cy)) return true;
    }
  return false;
}
// One frame with a shot into the box of the target; false when nothing there hits it.
bool shoot(Enemy& e, Box b) {
  int x, y;
  if (!find_spot(e, b, x, y)) return false;
  shoot_at(x, y);
  return true;
}

bool shows(const Enemy& e, const char* name) { return e.anim == sprite(name); }
bool shootable(const Enemy& e) { return (e.flags & f_shootable) != 0; }
bool visible(const Enemy& e) { return (e.flags & f_visible) != 0; }
int frame_of(const Enemy& e) { return e.frame >> 8; }
int last_frame(const char* name) { return gfx::frame_count(sprite(name)) - 1; }

// Where the targets are shot, relative to their positions (the spots the pictures give them).
constexpr Box whole_cell = {0, 0, 231, 215};
constexpr Box pumpkin_lid = {0, 0, 99, 37};
constexpr Box stove_front = {4, 26, 60, 38};
constexpr Box stove_knob = {66, 44, 78, 56};
constexpr Box stove_door = {18, 40, 62, 74};
constexpr Box roast = {22, 28, 58, 62};
constexpr Box front_card = {35, 6, 104, 65};
constexpr Box front_body = {20, 100, 120, 179};
constexpr Box rider = {30, 0, 75, 24};
constexpr Box sheep = {10, 30, 85, 75};
constexpr Box pan_body = {15, 40, 55, 75};     // turned to its pan, away from it
constexpr Box pan_pan = {66, 18, 82, 38};      // the pan beside its head
constexpr Box pan_chest = {25, 20, 55, 45};    // facing the player, above the pan
constexpr Box swimmer = {60, 0, 140, 46};
constexpr Box hut_wall = {100, 30, 108, 125};
constexpr Box latch = {136, 58, 148, 70};
constexpr Box opening = {112, 55, 150, 117};

// ---------------------------------------------------------------- bringing targets about

void stove_roast_out() {
  Enemy& s = *scenery.stove;
  view(s, Middle::cell);
  ASSERT_TRUE(shoot(s, stove_knob)) << "the knob opens the door";
  ASSERT_TRUE(idle.until([&] { return shows(s, "stove_open_action") && frame_of(s) == 8; }, frames_of(2)));
  ASSERT_TRUE(shoot(s, stove_door)) << "a chicken goes in";
  ASSERT_TRUE(shows(s, "stove_get_baked_action"));
  ASSERT_TRUE(idle.until(
      [&] { return shows(s, "stove_baked_action") && frame_of(s) == last_frame("stove_baked_action"); },
      frames_of(6)));
}

// The pan chicken looks at the player.
void pan_facing_the_player() {
  Enemy& p = *scenery.pan;
  view(p, Middle::cell);
  ASSERT_TRUE(idle.until([&] { return shows(p, "pan_looktous"); }, frames_of(10)));
}
// The pan chicken has turned to its pan and holds there.
void pan_turned_away() {
  Enemy& p = *scenery.pan;
  view(p, Middle::cell);
  ASSERT_TRUE(idle.until([&] { return shows(p, "pan_turntopan") && frame_of(p) == last_frame("pan_turntopan"); },
                         frames_of(10)));
}
void pan_hit_fourteen_times() {
  pan_turned_away();
  for (int i = 0; i < 14; ++i) ASSERT_TRUE(shoot(*scenery.pan, pan_body)) << i;
}

void lake_chicken_swims_up() {
  Enemy& c = *scenery.lake_chicken;
  view(c, Middle::cell);
  ASSERT_TRUE(idle.until([&] { return shows(c, "lake_play_up") && frame_of(c) >= 2; }, frames_of(15)));
}

void toilet_door_broken() {
  Enemy& d = *scenery.toilet_chicken;
  view(d, Middle::cell);
  ASSERT_TRUE(shoot(d, latch));
  ASSERT_TRUE(idle.until([&] { return frame_of(d) == last_frame("toilet_distruction"); }, frames_of(3)));
}

void car_parts_all_shot() {
  for (Enemy* part : {scenery.car_front, scenery.car_door, scenery.car_bumper}) {
    view(*part, Middle::cell);
    ASSERT_TRUE(shoot(*part, whole_cell));
  }
  ASSERT_EQ(car_parts_shot(), 3);
}
// The car chicken shows and stays a moment: looking about in the windscreen, or on the pause
// frame in the door or at the front.
bool car_chicken_holds() {
  const Enemy& c = *scenery.car;
  return shootable(c) && (shows(c, "car_look_action3") || (shows(c, "car_door_qz") && frame_of(c) == 5) ||
                          (shows(c, "car_front_qz") && frame_of(c) == 2));
}
void car_chicken_up() {
  if (app::edition != app::edition_xs) car_parts_all_shot();
  view(*scenery.car, Middle::cell);
  ASSERT_TRUE(idle.until(car_chicken_holds, frames_of(30)));
  view(*scenery.car, Middle::cell);
}

// The front chicken has come up (its first time is 10.0 .. 39.9 s into the round).
void front_risen() {
  Enemy& f = *scenery.front;
  ASSERT_TRUE(idle.until([&] { return shows(f, "front_hand_up_action"); }, frames_of(42)));
  view(f, Middle::cell);
}
void front_shows_a_card() {
  Enemy& f = *scenery.front;
  ASSERT_TRUE(idle.until([&] { return shows(f, "front_show_pics_action") && frame_of(f) >= 5; }, frames_of(45)));
  view(f, Middle::cell);
}

void tupo_spurred_five_times() {
  view(*scenery.tupo, Middle::cell);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(shoot(*scenery.tupo, rider)) << i;
}

void safe_landed() {
  view(*scenery.safe, Middle::cell);
  release_safe();
  ASSERT_TRUE(idle.until([] { return shootable(*scenery.safe); }, frames_of(2)));
}

// ---------------------------------------------------------------- fixture

class SceneryScene : public ::testing::Test {
 protected:
  static void load(int edition) { gfxtest::load_archive(edition); }
  static void unload() { gfxtest::unload_archive(); }

  // A fresh first-scene round of the edition, with no chickens coming.
  static void new_round(int edition) { test_support::new_first_scene_round(edition); }
  static void new_scenery_round(int edition) {
    new_round(edition);
    scenery_only();
  }

  // The tour: each row brings its target into a state, shoots it and reads the events and
  // points that follow.
  struct TourRow {
    const char* name;
    std::uint8_t editions;
    Enemy* Scenery::*target;
    void (*bring)();  // null: the target as spawned; after it the view shows the target
    Box spot;
    std::vector<int> events;
    int points;
  };
  static void tour(int edition) {
    const TourRow rows[] = {
        {"postbox", gfx::ed_all, &Scenery::postbox, nullptr, whole_cell, {7}, 5},
        {"pumpkin", gfx::ed_all, &Scenery::pumpkin, nullptr, pumpkin_lid, {8}, 5},
        {"stove at rest", gfx::ed_all, &Scenery::stove, nullptr, stove_front, {90}, -5},
        {"stove roast", gfx::ed_all, &Scenery::stove, stove_roast_out, roast, {1}, 50},
        {"front", gfx::ed_xl_up, &Scenery::front, front_risen, front_body, {65}, 5},
        {"tupo at full speed", gfx::ed_xl_up, &Scenery::tupo, tupo_spurred_five_times, rider, {39}, 25},
        {"tupo's sheep", gfx::ed_xl_up, &Scenery::tupo, nullptr, sheep, {40}, -10},
        {"pan", gfx::ed_all, &Scenery::pan, pan_hit_fourteen_times, pan_body, {91}, 75},
        {"lake chicken", gfx::ed_all, &Scenery::lake_chicken, lake_chicken_swims_up, swimmer, {3}, 10},
        {"safe", gfx::ed_xl_up, &Scenery::safe, safe_landed, whole_cell, {}, 0},
        {"toilet", gfx::ed_all, &Scenery::toilet, nullptr, hut_wall, {89}, -1},
        {"toilet latch", gfx::ed_all, &Scenery::toilet_chicken, nullptr, latch, {37}, 10},
        {"toilet chicken", gfx::ed_all, &Scenery::toilet_chicken, toilet_door_broken, opening, {4}, 25},
        {"car", gfx::ed_all, &Scenery::car, car_chicken_up, whole_cell, {52}, 25},
        {"car front", gfx::ed_xs, &Scenery::car_front, nullptr, whole_cell, {}, 0},
        {"car front", gfx::ed_xl_up, &Scenery::car_front, nullptr, whole_cell, {19}, 10},
        {"car door", gfx::ed_xl_up, &Scenery::car_door, nullptr, whole_cell, {18}, 10},
        {"car bumper", gfx::ed_xl_up, &Scenery::car_bumper, nullptr, whole_cell, {17}, 10},
    };
    int toured = 0;
    for (const TourRow& r : rows) {
      if (!(r.editions & gfx::edition_bit(edition))) continue;
      SCOPED_TRACE(std::string("target: ") + r.name);
      new_scenery_round(edition);
      Enemy* target = scenery.*r.target;
      ASSERT_NE(target, nullptr);
      view(*target, Middle::cell);
      if (r.bring) r.bring();
      if (HasFatalFailure()) return;
      set_score(1000);
      const int first = event_count();
      ASSERT_TRUE(shoot(*target, r.spot)) << "nothing in the spot hits it";
      idle();
      EXPECT_EQ(events_since(first), r.events);
      EXPECT_EQ(score() - 1000, r.points);
      ++toured;
    }
    EXPECT_GT(toured, 0);
  }

  // The shown card scores by its picture.
  static void card_scores(int edition) {
    new_scenery_round(edition);
    front_shows_a_card();
    if (HasFatalFailure()) return;
    constexpr int points[5] = {10, 15, 20, 30, -50};
    const int card = scenery.front->data1;  // the picture on the board
    ASSERT_GE(card, 0);
    ASSERT_LT(card, 5);
    set_score(1000);
    const int first = event_count();
    ASSERT_TRUE(shoot(*scenery.front, front_card));
    EXPECT_EQ(events_since(first), std::vector<int>{66 + card});
    EXPECT_EQ(score() - 1000, points[card]);
    // Once per picture: a second shot on the same card does nothing.
    ASSERT_TRUE(shoot(*scenery.front, front_card));
    EXPECT_EQ(events_since(first).size(), 1u);
    EXPECT_TRUE(visible(*scenery.front));
  }

  // A stretch of the whole scene, every target of the edition alive, with the clock running,
  // the view moving between these targets and shots on them: no frame list leaves its sprite
  // and the characters go through their pictures.
  static void whole_round(int edition) {
    gfxtest::reset_log();
    new_round(edition);
    round.spawn_timer = 0;  // chickens too
    struct Place {
      int x, y;  // layer-1 pixels
    };
    const Place places[] = {{1188 + 40, 219 + 50}, {300 + 100, 406 + 30}, {1907 + 40, 263 + 50},
                            {2830 + 130, 175 + 80}, {948 + 20, 153 + 30},  {2698 + 50, 189 + 50}};
    // The characters by the pictures they show.
    const std::vector<std::vector<int>> families = {
        {sprite("stove_open_action"), sprite("stove_get_baked_action"), sprite("stove_baked_action"),
         sprite("stove_backed_disap_action")},
        {sprite("lake_play_up"), sprite("lake_blink_up"), sprite("lake_updown"), sprite("lake_blink_down"),
         sprite("lake_play_down"), sprite("lake_downup"), sprite("lake_dying")},
        {sprite("pan_turntopan"), sprite("pan_looktopan"), sprite("pan_turntous"), sprite("pan_looktous"),
         sprite("pan_repel"), sprite("pan_die")},
        {sprite("car_up_action1"), sprite("car_honk_action2"), sprite("car_look_action3"),
         sprite("car_down_action6"), sprite("car_die")},
    };
    std::vector<std::set<std::pair<int, int>>> seen(families.size());
    for (int f = 0; f < 1800; ++f) {
      const Place& p = places[(f / 120) % std::size(places)];
      look_within(p.x - 400);
      FrameInput in;
      in.cursor_x = p.x - (round.scroll >> 16);
      in.cursor_y = p.y;
      in.click = f % 15 == 0;
      in.right_click = f % 120 == 119;
      round_frame(in);
      app::round_time -= app::frame_time;
      for (const Enemy& e : enemies) {
        if (!(e.flags & f_in_use)) continue;
        for (std::size_t k = 0; k < families.size(); ++k)
          if (std::count(families[k].begin(), families[k].end(), e.anim)) seen[k].insert({e.anim, e.frame >> 8});
      }
    }
    EXPECT_EQ(gfxtest::read_log().find("illegal frame-num"), std::string::npos);
    for (std::size_t k = 0; k < families.size(); ++k)
      EXPECT_GT(seen[k].size(), 5u) << "character " << k << " moves through its pictures";
  }
};

template <int Edition>
class SceneryIn : public SceneryScene {
 protected:
  static void SetUpTestSuite() { load(Edition); }
  static void TearDownTestSuite() { unload(); }
  void SetUp() override { new_scenery_round(Edition); }
};
using SceneryXS = SceneryIn<app::edition_xs>;
using SceneryXL = SceneryIn<app::edition_xl>;
using SceneryXXL = SceneryIn<app::edition_xxl>;

// ---------------------------------------------------------------- edge cases

TEST_F(SceneryXL, PumpkinIsCarvedInSixStagesEachOnlyInItsSpot) {
  struct Stage {
    int x, y, w, h;  // the spot that counts, relative to the pumpkin
    int points, event;
  };
  const Stage stages[6] = {
      {0, 0, 100, 38, 5, 8},     {57, 42, 15, 13, 10, 9},  {26, 42, 16, 12, 10, 10},
      {35, 63, 27, 19, 10, 11}, {37, 48, 24, 22, 10, 12}, {37, 29, 24, 20, 15, 13},
  };
  Enemy& p = *scenery.pumpkin;
  view(p, Middle::cell);
  const int first = event_count();
  for (int s = 0; s < 6; ++s) {
    SCOPED_TRACE("stage " + std::to_string(s));
    const Stage& st = stages[s];
    EXPECT_EQ(p.hit_x, st.x);
    EXPECT_EQ(p.hit_y, st.y);
    EXPECT_EQ(p.hit_w, st.w);
    EXPECT_EQ(p.hit_h, st.h);
    EXPECT_EQ(frame_of(p), 0);
    const int before = event_count();
    // Beside the spot (on the pumpkin's left cheek) nothing happens.
    shoot_at(screen_x(p) + 8, (p.y >> 16) + 60);
    EXPECT_EQ(event_count(), before);
    // In the middle of the spot the stage scores and the carving plays.
    const int cx = screen_x(p) + st.x + st.w / 2, cy = (p.y >> 16) + st.y + st.h / 2;
    shoot_at(cx, cy);
    EXPECT_EQ(events_since(before), std::vector<int>{st.event});
    // A shot while it carves does nothing.
    shoot_at(cx, cy);
    EXPECT_EQ(event_count(), before + 1);
    ASSERT_TRUE(idle.until(
        [&] { return s == 5 ? frame_of(p) == last_frame("pumpkin6") : shootable(p); }, frames_of(2)));
    if (s < 5) {
      EXPECT_EQ(p.anim, sprite(("pumpkin" + std::to_string(s + 2)).c_str()));
    }
  }
  EXPECT_EQ(events_since(first), (std::vector<int>{8, 9, 10, 11, 12, 13}));
  EXPECT_EQ(score(), 60);
  idle(frames_of(2));
  EXPECT_FALSE(shootable(p)) << "nothing after the sixth stage";
  EXPECT_EQ(frame_of(p), last_frame("pumpkin6"));
}

TEST_F(SceneryXL, CarChickenHidesFromTheCursorUntilTheThreePartsAreShot) {
  Enemy& c = *scenery.car;
  view(c, Middle::cell);
  const int cx = screen_x(c) + 30, cy = (c.y >> 16) + 30;  // the windscreen chicken
  FrameInput near;
  near.cursor_x = cx + 120;  // within 150 pixels, beyond 100
  near.cursor_y = cy;
  for (int f = 0; f < frames_of(13); ++f) {
    round_frame(near);
    ASSERT_FALSE(visible(c)) << "it does not come up with the cursor near";
  }
  ASSERT_TRUE(idle.until([&] { return shows(c, "car_honk_action2"); }, frames_of(1)));
  EXPECT_FALSE(shootable(c)) << "while the car is whole it cannot be hit";
  // The cursor comes within 100 pixels: it ducks at once.
  FrameInput close;
  close.cursor_x = cx + 60;
  close.cursor_y = cy;
  round_frame(close);
  EXPECT_TRUE(shows(c, "car_down_action6"));
  EXPECT_EQ(c.anim_speed, 140);
  ASSERT_TRUE(idle.until([&] { return !visible(c); }, frames_of(1)));

  // Two parts shot: still shy.
  const int first = event_count();
  view(*scenery.car_front, Middle::cell);
  ASSERT_TRUE(shoot(*scenery.car_front, whole_cell));
  view(*scenery.car_door, Middle::cell);
  ASSERT_TRUE(shoot(*scenery.car_door, whole_cell));
  EXPECT_EQ(car_parts_shot(), 2);
  view(c, Middle::cell);
  ASSERT_TRUE(idle.until([&] { return visible(c); }, frames_of(13)));
  EXPECT_FALSE(shootable(c));
  ASSERT_TRUE(idle.until([&] { return !visible(c); }, frames_of(10)));

  // All three: it comes up with the cursor near, in any of its three places, and can be hit.
  view(*scenery.car_bumper, Middle::cell);
  ASSERT_TRUE(shoot(*scenery.car_bumper, whole_cell));
  EXPECT_EQ(events_since(first), (std::vector<int>{19, 18, 17}));
  view(c, Middle::cell);
  std::set<int> places;
  for (int f = 0; f < frames_of(200) && places.size() < 3; ++f) {
    round_frame(close);
    if (visible(c)) {
      places.insert(c.x >> 16);
      EXPECT_NE(c.anim_speed, 140) << "it no longer ducks";
    }
  }
  EXPECT_EQ(places, (std::set<int>{865, 948, 990})) << "front, windscreen and door";
  const int before = event_count();
  const int score_before = score();
  ASSERT_TRUE(idle.until(car_chicken_holds, frames_of(30)));
  ASSERT_TRUE(shoot(c, whole_cell));
  EXPECT_EQ(events_since(before), std::vector<int>{52});
  EXPECT_EQ(score() - score_before, 25);
}

TEST_F(SceneryXL, SafeFallsOnTheLakeChickenThatClimbedOutAndLandsForFiftyPoints) {
  Enemy& c = *scenery.lake_chicken;
  Enemy& s = *scenery.safe;
  look_at(0);  // the bank in view
  ASSERT_TRUE(safe_waiting());
  EXPECT_FALSE(visible(s));
  // Now and then, at the end of its round of swimming, the chicken climbs out.
  ASSERT_TRUE(idle.until([&] { return shows(c, "lake_ups_goingout"); }, 200 * frames_per_second));
  EXPECT_TRUE(shows(*scenery.lake, "lake_goingout")) << "rings on the water";
  ASSERT_TRUE(idle.until([&] { return frame_of(c) == last_frame("lake_ups_goingout"); }, frames_of(3)));
  // It howls once its last picture has shown (4 frames at this speed); 0.8 s later the safe
  // drops from above.
  int frames = 0;
  while (!visible(s) && frames < frames_of(2)) {
    idle();
    ++frames;
  }
  ASSERT_TRUE(visible(s));
  EXPECT_NEAR(frames, 4 + 0.8 * frames_per_second, 2);
  EXPECT_FALSE(safe_waiting());
  // 1000 pixels a second.
  const std::int32_t y = s.y;
  idle();
  EXPECT_EQ(s.y - y, static_cast<std::int32_t>(static_cast<std::int64_t>(1000 << 16) * app::frame_time / 65536));
  const int first = event_count();
  const int score_before = score();
  ASSERT_TRUE(idle.until([&] { return shootable(s); }, frames_of(1)));
  EXPECT_EQ(s.y, 228 << 16);
  EXPECT_EQ(events_since(first), std::vector<int>{2});
  EXPECT_EQ(score() - score_before, 50);
  EXPECT_EQ(round.shake_time, 26214) << "0.4 s of shaking";
  // The chicken under it is flattened and out of the game; the safe is only iron.
  idle(3);
  EXPECT_TRUE(shows(c, "lake_dying_safe"));
  EXPECT_FALSE(shootable(c));
  const int after_landing = event_count();
  ASSERT_TRUE(shoot(s, whole_cell));
  ASSERT_TRUE(shoot(s, whole_cell));
  EXPECT_EQ(event_count(), after_landing);
  EXPECT_EQ(score() - score_before, 50);
  idle(frames_of(60));
  EXPECT_TRUE(shows(c, "lake_dying_safe")) << "it stays under the safe";
}

TEST_F(SceneryXL, PanChickenCountsOnlyHitsWhileTurnedAwayAndFallsAtTheFifteenth) {
  Enemy& p = *scenery.pan;
  // Facing the player it shields itself: repelled, not counted.
  pan_facing_the_player();
  ASSERT_TRUE(shoot(p, pan_chest));
  EXPECT_TRUE(shows(p, "pan_repel"));
  pan_turned_away();
  // The pan beside its head repels too; then it turns back to its pan.
  ASSERT_TRUE(shoot(p, pan_pan));
  EXPECT_TRUE(shows(p, "pan_repel"));
  ASSERT_TRUE(idle.until([&] { return !shows(p, "pan_repel"); }, frames_of(1)));
  EXPECT_TRUE(shows(p, "pan_turntopan"));
  EXPECT_EQ(frame_of(p), last_frame("pan_turntopan"));
  const int first = event_count();
  for (int i = 0; i < 14; ++i) ASSERT_TRUE(shoot(p, pan_body)) << i;
  EXPECT_EQ(event_count(), first);
  EXPECT_EQ(score(), 0);
  ASSERT_TRUE(shoot(p, pan_body));
  EXPECT_EQ(events_since(first), std::vector<int>{91});
  EXPECT_EQ(score(), 75);
  EXPECT_TRUE(shows(p, "pan_die"));
  EXPECT_FALSE(shootable(p));
  // It fades, and while in view it does not come back, however long.
  ASSERT_TRUE(idle.until([&] { return !visible(p); }, frames_of(3)));
  idle(frames_of(20));
  EXPECT_FALSE(visible(p));
  // Out of view it is back within 17.9 s, counting from the start again.
  look_at(0);
  ASSERT_TRUE(idle.until([&] { return visible(p); }, frames_of(18)));
  EXPECT_TRUE(shootable(p));
  EXPECT_EQ(p.alpha, 65536);
}

// A repelled shot flashes the pan and sprays sparks: it draws the random numbers of the sparks
// and no more (no metal ring is chosen), facing the player or turned to the pan.
TEST_F(SceneryXL, ARepelledShotFlashesThePanAndDrawsOnlyItsSparks) {
  Enemy& p = *scenery.pan;
  struct Case {
    const char* name;
    void (*bring)();
    Box spot;
  };
  const Case cases[] = {
      {"facing the player", pan_facing_the_player, pan_chest},
      {"turned to its pan", pan_turned_away, pan_pan},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    c.bring();
    if (HasFatalFailure()) return;
    int x, y;
    ASSERT_TRUE(find_spot(p, c.spot, x, y));
    round.cursor_x = x;
    round.cursor_y = y;
    constexpr std::uint32_t seed = 4711;
    res::random_seed(seed);
    p.on_hit(p);
    const int after_shot = res::random(1 << 15);
    res::random_seed(seed);
    hit_particles(p);
    EXPECT_EQ(after_shot, res::random(1 << 15));
    EXPECT_TRUE(shows(p, "pan_repel"));
    EXPECT_EQ(p.counter, 0) << "not counted";
    ASSERT_TRUE(idle.until([&] { return !shows(p, "pan_repel"); }, frames_of(1)));
  }
}

TEST_F(SceneryXL, LakeChickenShotOnceIsGoneForTheRound) {
  Enemy& c = *scenery.lake_chicken;
  lake_chicken_swims_up();
  if (HasFatalFailure()) return;
  const int first = event_count();
  ASSERT_TRUE(shoot(c, swimmer));
  EXPECT_EQ(events_since(first), std::vector<int>{3});
  EXPECT_TRUE(shows(c, "lake_dying"));
  // Long after its dive it has not come up again, so it can pay no more.
  for (int f = 0; f < frames_of(30); ++f) {
    idle();
    ASSERT_FALSE(shootable(c)) << "back after " << f << " frames";
  }
  EXPECT_FALSE(visible(c));
  EXPECT_TRUE(shows(*scenery.lake, "lake")) << "the water has calmed back to ripples";
  EXPECT_EQ(events_since(first), std::vector<int>{3});
}

TEST_F(SceneryXL, FrontChickenDucksWhenTheMegagunFires) {
  Enemy& f = *scenery.front;
  front_target_megagun();
  EXPECT_FALSE(visible(f)) << "not there: nothing to duck";
  front_risen();
  ASSERT_FALSE(HasFatalFailure());
  spawn_megagun();
  ASSERT_TRUE(idle.until([] { return round.megagun_state == 1; }, frames_of(5)));
  ASSERT_TRUE(visible(f));
  ASSERT_FALSE(shows(f, "front_up_down_action"));
  FrameInput fire;
  fire.cursor_x = 400;
  fire.cursor_y = 300;
  fire.click = true;
  const int first = event_count();
  round_frame(fire);
  EXPECT_EQ(round.megagun_state, 2);
  // Backwards from the last frame of its rising.
  EXPECT_TRUE(shows(f, "front_up_down_action"));
  EXPECT_EQ(frame_of(f), last_frame("front_up_down_action"));
  EXPECT_EQ(f.anim_speed, -89);
  ASSERT_TRUE(idle.until([&] { return !visible(f); }, frames_of(1)));
  EXPECT_EQ(events_since(first), std::vector<int>{45});
}

TEST_F(SceneryXL, FrontChickenComesOnlyWhileTheMegagunIsIdle) {
  Enemy& f = *scenery.front;
  spawn_megagun();
  // Out and ready but not fired: longer than the first wait can be, and no front chicken.
  for (int i = 0; i < frames_of(41); ++i) {
    idle();
    ASSERT_FALSE(visible(f));
  }
  FrameInput fire;
  fire.cursor_x = 400;
  fire.cursor_y = 300;
  fire.click = true;
  round_frame(fire);
  // Firing and going: still none. The frame the megagun is gone, the waiting chicken comes.
  for (int i = 0; i < frames_of(10) && round.megagun_state != 4; ++i) {
    ASSERT_FALSE(visible(f));
    idle();
  }
  EXPECT_EQ(round.megagun_state, 4);
  EXPECT_TRUE(visible(f));
}

TEST_F(SceneryXL, ToiletDoorBreaksOnlyAtTheLatchAndTheChickenShowsFromItsFifthFrame) {
  Enemy& d = *scenery.toilet_chicken;
  view(d, Middle::cell);
  set_score(100);
  const int first = event_count();
  ASSERT_TRUE(shoot(*scenery.toilet, hut_wall));
  ASSERT_TRUE(shoot(d, {112, 80, 130, 117}));  // the door below the latch
  EXPECT_TRUE(shows(d, "toilet_shaking"));
  ASSERT_TRUE(shoot(d, latch));
  EXPECT_TRUE(shows(d, "toilet_distruction"));
  // Before the fifth frame the opening is still the door.
  ASSERT_TRUE(shoot(d, opening));
  EXPECT_LT(frame_of(d), 4);
  ASSERT_TRUE(idle.until([&] { return frame_of(d) >= 4; }, frames_of(1)));
  ASSERT_TRUE(shoot(d, opening));
  EXPECT_TRUE(shows(d, "toilet_die"));
  EXPECT_EQ(events_since(first), (std::vector<int>{89, 89, 37, 89, 4}));
  EXPECT_EQ(score(), 100 - 1 - 1 + 10 - 1 + 25);
  EXPECT_FALSE(shootable(d)) << "once";
}

TEST_F(SceneryXL, TupoReachesFullSpeedOnlyWithQuickShotsAndScoresItOnce) {
  Enemy& t = *scenery.tupo;
  view(t, Middle::cell);
  // Slow shots: the ride slows by 8000/65536 a second in between and never reaches 1.1.
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(shoot(t, rider));
    idle(frames_of(2));
  }
  EXPECT_EQ(event_count(), 0);
  // Quick ones do.
  const int first = event_count();
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(shoot(t, rider));
  EXPECT_EQ(events_since(first), std::vector<int>{39});
  EXPECT_EQ(score(), 25);
  ASSERT_TRUE(shoot(t, sheep));
  EXPECT_TRUE(shows(t, "tuposhoot"));
  EXPECT_FALSE(shootable(t)) << "the ride is over";
}

TEST_F(SceneryXL, StoveCostsFiveAtRestAndRoastsAChickenShotIntoItsOpenDoor) {
  Enemy& s = *scenery.stove;
  set_score(100);
  const int first = event_count();
  stove_roast_out();
  ASSERT_FALSE(HasFatalFailure());
  // The knob shot cost 5 like any shot at rest; the door and the roast's time cost nothing.
  EXPECT_EQ(events_since(first), std::vector<int>{90});
  ASSERT_TRUE(shoot(s, roast));
  EXPECT_EQ(events_since(first), (std::vector<int>{90, 1}));
  EXPECT_EQ(score(), 100 - 5 + 50);
  EXPECT_TRUE(shows(s, "stove_backed_disap_action"));
  ASSERT_TRUE(idle.until([&] { return frame_of(s) == 0 && shows(s, "stove_open_action"); }, frames_of(1)));
  // At rest again; by itself the door opens within 11.9 s, and a shot into the door outside
  // its open frames rings on the iron.
  ASSERT_TRUE(idle.until([&] { return frame_of(s) == 2; }, frames_of(12)));
  ASSERT_TRUE(shoot(s, stove_door));
  EXPECT_TRUE(shows(s, "stove_open_action"));
  EXPECT_EQ(events_since(first).size(), 2u);
}

// ---------------------------------------------------------------- the tours

TEST_F(SceneryXS, Tour) { tour(app::edition_xs); }
TEST_F(SceneryXL, Tour) { tour(app::edition_xl); }
TEST_F(SceneryXXL, Tour) { tour(app::edition_xxl); }
TEST_F(SceneryXL, FrontCardScoresByItsPicture) { card_scores(app::edition_xl); }
TEST_F(SceneryXXL, FrontCardScoresByItsPicture) { card_scores(app::edition_xxl); }

TEST_F(SceneryXS, WholeRound) { whole_round(app::edition_xs); }
TEST_F(SceneryXL, WholeRound) { whole_round(app::edition_xl); }
TEST_F(SceneryXXL, WholeRound) { whole_round(app::edition_xxl); }

}  // namespace
