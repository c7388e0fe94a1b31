// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene's characters on the real archives of each edition: the hedgehogs' card game,
// the beekeeper and its swarm, the kite and its chicken, the flower, the barrel, the cornfield
// and the oil barrel. Shots go through the real in-game frame at places found on each target's
// picture where nothing else takes the shot; a tour shoots every target and reads what reaches
// the event log and the score.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/qzX/trig_tables.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"
#include "game/text/texts.h"
#include "tests/gfx_fixture.h"
#include "tests/target_tour.h"

using namespace qzx;
using test_support::events_since;
using test_support::look_within;
using test_support::shoot_at;
using test_support::shot_box;
using test_support::spawned_by;
using test_support::taker_at;
using test_support::takes;
using test_support::view;

namespace {

constexpr std::int32_t second = 65536;
constexpr int frames_per_second = 60;  // the frame time stays 1092 (1/60 s)

constexpr int spr_bee = gfx::find_sprite("data\\gfx\\bee");
constexpr int spr_table_swept = gfx::find_sprite("data\\gfx\\hedges_shoot");
constexpr int spr_oil_pool = gfx::find_sprite("data\\gfx\\oilpool");
constexpr int spr_dropped = gfx::find_sprite("data\\gfx\\dchickleft4");
constexpr int kind_card = 29;
constexpr test_support::Idle idle{};  // the cursor rests mid-screen

// States the tests bring the targets into (each target's own numbering).
constexpr int flower_blinking = 2;
constexpr int barrel_staying = 2, barrel_waiting = 0;
constexpr int corn_looking = 2, corn_waving = 11, corn_waiting = 0;
constexpr int kite_flying = 1, kite_waiting = 0;
constexpr int chicken_hanging = 1, chicken_falling = 2, chicken_absent = 0;
constexpr int keeper_hand_down = 5, keeper_gone = 10, keeper_hand_up = 0;
// Card faces by value: face mod 8 gives 7, 8, 9, 10, 2, 3, 4, 11.
constexpr int seven = 0, eight = 1, nine = 2, ten = 3, two = 4, three = 5, ace = 7;
// The hive, relative to the beekeeper.
constexpr int hive_left = 5, hive_right = 31, hive_top = 0, hive_bottom = 28;

// The characters of the round, as their spawn functions made them (null where the edition has
// none).
struct Cast {
  Enemy* left = nullptr;
  Enemy* right = nullptr;
  Enemy* table = nullptr;
  Enemy* deck = nullptr;
  Enemy* flower = nullptr;
  Enemy* barrel = nullptr;
  Enemy* cornfield = nullptr;
  Enemy* kite = nullptr;
  Enemy* kite_chicken = nullptr;
  Enemy* keeper = nullptr;
  Enemy* oil = nullptr;
};
Cast cast;

// A first-scene round whose slots hold only these characters, spawned in the scene's order.
void characters_only() {
  enemy_clear();
  const bool xl_up = app::edition != app::edition_xs;
  cast = {};
  if (xl_up) {
    cast.left = spawned_by(spawn_hedgehog_left);
    cast.right = spawned_by(spawn_hedgehog_right);
    cast.table = spawned_by(spawn_hedgehog_top);
    cast.deck = spawned_by(spawn_cards);
  }
  cast.flower = spawned_by(spawn_flower);
  if (xl_up) cast.barrel = spawned_by(spawn_barrel);
  cast.cornfield = spawned_by(spawn_cornfield);
  if (xl_up) {
    cast.kite = spawned_by(spawn_kite);
    cast.kite_chicken = spawned_by(spawn_kite_chicken);
  }
  cast.keeper = spawned_by(spawn_beehive);
  if (xl_up) cast.oil = spawned_by(spawn_oil_barrel);
  reset_card_game();
  reset_bees();
}

// ---------------------------------------------------------------- where a shot lands

bool in_hive(const Enemy& keeper, int x, int y) {
  const int rx = x - screen_x(keeper), ry = y - (keeper.y >> 16);
  return rx >= hive_left && rx <= hive_right && ry >= hive_top && ry <= hive_bottom;
}
bool in_box(const Enemy& e, int x, int y) {
  const int left = screen_x(e) + e.hit_x, top = (e.y >> 16) + e.hit_y;
  return x >= left && x < left + e.hit_w && y >= top && y <= top + e.hit_h;
}

// Who a shot at (x, y) is meant for: the target itself takes it (some rows ask more).
using Aim = bool (*)(const Enemy& target, int x, int y);
bool takes_hive(const Enemy& t, int x, int y) { return takes(t, x, y) && in_hive(t, x, y); }
bool takes_keeper(const Enemy& t, int x, int y) { return takes(t, x, y) && !in_hive(t, x, y); }

// A screen point on the target, nearest its middle, that it takes, with its neighbours 2 px
// around taken too (a moving target still takes it in the next frame). False when there is none
// on the screen.
bool find_spot(const Enemy& e, Aim aim, int& sx, int& sy) {
  const auto [left, top, w, h] = shot_box(e);
  const int cx = left + w / 2, cy = top + h / 2;
  auto good = [&](int x, int y) {
    static constexpr int around[5][2] = {{0, 0}, {-2, 0}, {2, 0}, {0, -2}, {0, 2}};
    for (const auto& d : around) {
      const int px = x + d[0], py = y + d[1];
      if (px < 0 || px > 799 || py < 0 || py > 599 || !aim(e, px, py)) return false;
    }
    return true;
  };
  for (int d = 0; d <= std::max(w, h); ++d)
    for (int y = cy - d; y <= cy + d; ++y)
      for (int x = cx - d; x <= cx + d; ++x) {
        if (std::max(std::abs(x - cx), std::abs(y - cy)) != d) continue;
        if (good(x, y)) {
          sx = x;
          sy = y;
          return true;
        }
      }
  return false;
}

// Shoots the target at a spot it takes; waits for one (a moving target) up to max_frames.
void shoot(const Enemy& e, Aim aim = takes, int max_frames = 0) {
  int x = 0, y = 0;
  bool found = find_spot(e, aim, x, y);
  for (int f = 0; !found && f < max_frames; ++f) {
    idle();
    found = find_spot(e, aim, x, y);
  }
  ASSERT_TRUE(found) << "no place to shoot the target on the screen";
  shoot_at(x, y);
}

int objects_of_kind(int kind) {
  int n = 0;
  for (const Enemy& e : enemies) n += (e.flags & f_in_use) && e.kind == kind;
  return n;
}

// The bees drawn in the last frame (the swarm draws every bee it holds).
int bees_drawn() {
  int n = 0;
  for (int band = 0; band < gfx::draw_bands; ++band)
    for (const gfx::DrawEntry* e = gfx::draw_band_head(band); e; e = e->next) n += e->sprite == spr_bee;
  return n;
}

// ---------------------------------------------------------------- bringing targets into a state

// Deals one card and turns it to the given face.
void deal(int face) {
  view(*cast.deck);
  const int before = objects_of_kind(kind_card);
  shoot(*cast.deck);
  if (::testing::Test::HasFatalFailure()) return;
  ASSERT_EQ(objects_of_kind(kind_card), before + 1) << "a card was dealt";
  Enemy* card = nullptr;
  for (Enemy& e : enemies)
    if ((e.flags & f_in_use) && e.kind == kind_card && e.state == 0) card = &e;
  ASSERT_NE(card, nullptr);
  card->data0 = face;
  ASSERT_TRUE(idle.until([&] { return card->state != 0; }, 120)) << "the card turns over";
}
void deal_hand(std::initializer_list<int> faces) {
  for (int f : faces) {
    deal(f);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

void deck_in_view() { view(*cast.deck); }
void players_in_view() { view(*cast.table); }
void hand_of_20() {
  deal_hand({ten, ten});
  players_in_view();
}
void hand_of_21() { deal_hand({ten, ace}); }
void hand_of_22() { deal_hand({ten, ten, two}); }

// Waits out the current wait of a waiting target at once.
void wake(Enemy& e) { e.timer = 1; }

void flower_blinks() {
  wake(*cast.flower);
  ASSERT_TRUE(idle.until([] { return cast.flower->state == flower_blinking; }, 300));
  view(*cast.flower);
}
void barrel_chicken_up() {
  wake(*cast.barrel);
  ASSERT_TRUE(idle.until([] { return cast.barrel->state == barrel_staying; }, 300));
  view(*cast.barrel);
}
// The cornfield shows a chicken or a flag at random: waits for the one asked for.
void cornfield_shows(int state) {
  Enemy& c = *cast.cornfield;
  for (int tries = 0; tries < 40 && c.state != state; ++tries) {
    ASSERT_TRUE(idle.until([&] { return c.state == corn_waiting; }, 60 * 15));
    wake(c);
    ASSERT_TRUE(idle.until([&] { return c.state == corn_looking || c.state == corn_waving; }, 300));
  }
  ASSERT_EQ(c.state, state);
  view(c);
}
void corn_chicken() { cornfield_shows(corn_looking); }
void corn_flag() { cornfield_shows(corn_waving); }
// The kite comes in; the view goes as far right as it can and the kite flies into it.
void kite_in_view() {
  wake(*cast.kite);
  idle();
  ASSERT_EQ(cast.kite->state, kite_flying);
  look_within(gfx::layers[1].width);
  int x, y;
  ASSERT_TRUE(idle.until([&] {
    return find_spot(*cast.kite, takes, x, y) && find_spot(*cast.kite_chicken, takes, x, y);
  }, 20 * 60));
}
void chicken_dropped() {
  kite_in_view();
  if (::testing::Test::HasFatalFailure()) return;
  shoot(*cast.kite);
  idle(10);
  ASSERT_EQ(cast.kite_chicken->state, chicken_falling);
}
void oil_in_view() { view(*cast.oil); }
void keeper_in_view() { look_within(0); }
// The keeper knocks until the bees attack, and the attack runs to its sting.
void bees_sting() {
  look_within(0);
  shoot(*cast.keeper, takes_hive);
  ASSERT_TRUE(qzx::round.bees_attacking);
  idle(5 * frames_per_second + 1);
}

// ---------------------------------------------------------------- fixture

class CharacterScene : public ::testing::Test {
 protected:
  static void load(int edition) {
    gfxtest::load_archive(edition);
    if (HasFatalFailure()) return;
    sound::load_sound(sound::sfx_bee_loop, "data\\sfx\\bee_loop", sound::volume_control, false);
    sound::init_sound();
  }
  static void unload() {
    sound::terminate_sound(true);
    gfxtest::unload_archive();
  }

  // A fresh first-scene round of the edition, with no chickens coming.
  static void new_round(int edition) {
    test_support::new_first_scene_round(edition);
    sound::stop_sound(sound::sfx_bee_loop);
  }
  static void new_character_round(int edition) {
    new_round(edition);
    characters_only();
  }

  // The tour: each row brings its target into a state, shoots it (or runs its action) and reads
  // the events and points that follow.
  struct TourRow {
    const char* name;
    std::uint8_t editions;
    Enemy* Cast::*target;
    void (*prepare)();  // after it, the view shows the target (or it flies into view)
    Aim aim;            // the shot, on the spot the target takes; no shot when `action` is set
    void (*action)();
    std::vector<int> events;
    int points;
  };
  static void tour(int edition) {
    const TourRow rows[] = {
        {"hedgehog left", gfx::ed_xl_up, &Cast::left, players_in_view, takes, nullptr, {15}, -50},
        {"hedgehog right", gfx::ed_xl_up, &Cast::right, players_in_view, takes, nullptr, {15}, -50},
        {"card table stands on 20", gfx::ed_xl_up, &Cast::table, hand_of_20, takes, nullptr, {62}, 20},
        {"card deck", gfx::ed_xl_up, &Cast::deck, deck_in_view, takes, nullptr, {58}, -5},
        {"cards to 21", gfx::ed_xl_up, &Cast::deck, deck_in_view, nullptr, hand_of_21, {58, 58, 63}, 40},
        {"cards bust", gfx::ed_xl_up, &Cast::deck, deck_in_view, nullptr, hand_of_22, {58, 58, 58, 14}, -15},
        {"flower", gfx::ed_all, &Cast::flower, flower_blinks, takes, nullptr, {55}, 25},
        {"barrel", gfx::ed_xl_up, &Cast::barrel, barrel_chicken_up, takes, nullptr, {51}, 10},
        {"cornfield chicken", gfx::ed_all, &Cast::cornfield, corn_chicken, takes, nullptr, {50}, 15},
        {"cornfield flag", gfx::ed_all, &Cast::cornfield, corn_flag, takes, nullptr, {86}, -50},
        {"kite", gfx::ed_xl_up, &Cast::kite, kite_in_view, takes, nullptr, {54}, 25},
        {"kite chicken hanging", gfx::ed_xl_up, &Cast::kite_chicken, kite_in_view, takes, nullptr, {97}, 10},
        {"kite chicken falling", gfx::ed_xl_up, &Cast::kite_chicken, chicken_dropped, takes, nullptr, {98}, 50},
        {"beekeeper", gfx::ed_all, &Cast::keeper, keeper_in_view, takes_keeper, nullptr, {93}, 5},
        {"beehive", gfx::ed_all, &Cast::keeper, keeper_in_view, takes_hive, nullptr, {}, 0},
        {"bee sting", gfx::ed_all, &Cast::keeper, keeper_in_view, nullptr, bees_sting, {92}, -50},
        {"oil barrel", gfx::ed_xl_up, &Cast::oil, oil_in_view, takes, nullptr, {32}, -25},
    };
    int toured = 0;
    for (const TourRow& r : rows) {
      if (!(r.editions & gfx::edition_bit(edition))) continue;
      SCOPED_TRACE(std::string("target: ") + r.name);
      new_character_round(edition);
      Enemy* target = cast.*r.target;
      ASSERT_NE(target, nullptr);
      r.prepare();
      if (HasFatalFailure()) return;
      set_score(1000);
      const int first = event_count();
      if (r.action) {
        r.action();
      } else {
        shoot(*target, r.aim);
      }
      if (HasFatalFailure()) return;
      idle();
      EXPECT_EQ(events_since(first), r.events);
      EXPECT_EQ(score() - 1000, r.points);
      ++toured;
    }
    EXPECT_GT(toured, 0);
  }

  // Half a minute of the whole scene with the clock running, the view moving between the
  // characters and shots at them: no frame list leaves its sprite, and the characters cycle.
  static void whole_round(int edition) {
    gfxtest::reset_log();
    new_round(edition);
    qzx::round.spawn_timer = 0;  // chickens come as in a game
    struct Watch {
      const char* name;
      int sprite;  // a sprite the target shows first
      const Enemy* target;
      std::set<int> states;
    };
    std::vector<Watch> watched;
    const bool xl_up = edition != app::edition_xs;
    const char* names[] = {"data\\gfx\\flower_up_down", "data\\gfx\\cornfield_up", "data\\gfx\\beehive_handup",
                           xl_up ? "data\\gfx\\barrel_up" : nullptr, xl_up ? "data\\gfx\\kite_broken" : nullptr};
    for (const char* n : names) {
      if (!n) continue;
      const int sprite = gfx::find_sprite(n);
      const Enemy* found = nullptr;
      for (const Enemy& e : enemies)
        if ((e.flags & f_in_use) && e.kind == kind_scenery && e.anim == sprite) found = &e;
      ASSERT_NE(found, nullptr) << n;
      watched.push_back({n, sprite, found, {}});
    }
    const int views[] = {0, 1000, 1500, 2100, 2200};
    for (int f = 0; f < 30 * frames_per_second; ++f) {
      look_within(views[(f / 120) % std::size(views)]);
      FrameInput in;
      in.cursor_x = 100 + (f * 37) % 600;
      in.cursor_y = 150 + (f * 53) % 400;
      in.click = f % 9 == 0;
      in.right_click = f % 80 == 79;
      round_frame(in);
      app::round_time -= app::frame_time;
      for (Watch& w : watched) w.states.insert(w.target->state);
    }
    EXPECT_EQ(gfxtest::read_log().find("illegal frame-num"), std::string::npos);
    for (const Watch& w : watched) EXPECT_GT(w.states.size(), 1u) << w.name << " goes through its states";
    EXPECT_LE(bees_drawn(), 60);
  }
};

template <int Edition>
class CharactersIn : public CharacterScene {
 protected:
  static void SetUpTestSuite() { load(Edition); }
  static void TearDownTestSuite() { unload(); }
  void SetUp() override { new_character_round(Edition); }
};
using CharactersXS = CharactersIn<app::edition_xs>;
using CharactersXL = CharactersIn<app::edition_xl>;
using CharactersXXL = CharactersIn<app::edition_xxl>;

// ---------------------------------------------------------------- the card game

TEST_F(CharactersXL, CardGamePaysFiftyOnlyForExactly21AndBustsAbove) {
  struct Case {
    std::vector<int> faces;
    std::vector<int> events;
    int points;
    bool hand_over;
  };
  const Case cases[] = {
      {{ten, ace}, {58, 58, 63}, -10 + 50, true},
      {{seven, three, ace}, {58, 58, 58, 63}, -15 + 50, true},
      {{two, two, two, three, eight, two, two}, {58, 58, 58, 58, 58, 58, 58, 63}, -35 + 50, true},
      {{ace, ace}, {58, 58, 14}, -10, true},
      {{ten, ten, two}, {58, 58, 58, 14}, -15, true},
      {{ten, nine, ace}, {58, 58, 58, 14}, -15, true},  // 30
      {{ten, eight}, {58, 58}, -10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.faces));
    new_character_round(app::edition_xl);
    set_score(1000);
    for (int face : c.faces) {
      deal(face);
      if (HasFatalFailure()) return;
    }
    EXPECT_EQ(events_since(0), c.events);
    EXPECT_EQ(score() - 1000, c.points);
    EXPECT_EQ(objects_of_kind(kind_card), static_cast<int>(c.faces.size()));
    if (!c.hand_over) {
      EXPECT_TRUE(card_stand_allowed());
      continue;
    }
    // The hand stays 3 s; the deck deals nothing meanwhile.
    EXPECT_FALSE(card_stand_allowed());
    shoot(*cast.deck);
    EXPECT_EQ(events_since(0), c.events);
    idle(3 * frames_per_second - 2);
    EXPECT_EQ(objects_of_kind(kind_card), static_cast<int>(c.faces.size()));
    idle(2);
    EXPECT_EQ(objects_of_kind(kind_card), 0) << "swept off after 3 s";
    EXPECT_EQ(card_total(), 0);
    deal(ten);
    EXPECT_EQ(card_total(), 10) << "a new hand";
  }
}

TEST_F(CharactersXL, StandingOnTheTableScoresTheTotalFrom17To20) {
  struct Case {
    std::vector<int> faces;
    std::vector<int> events;
    int points;
  };
  const Case cases[] = {
      {{ten, seven}, {59}, 17}, {{ten, eight}, {60}, 18}, {{ten, nine}, {61}, 19},
      {{ten, ten}, {62}, 20},   {{seven, nine}, {}, 0},   {{two}, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.faces));
    new_character_round(app::edition_xl);
    for (int face : c.faces) {
      deal(face);
      if (HasFatalFailure()) return;
    }
    players_in_view();
    set_score(1000);
    const int first = event_count();
    shoot(*cast.table, takes);
    EXPECT_EQ(events_since(first), c.events);
    EXPECT_EQ(score() - 1000, c.points);
    // A second shot in the pause stands on nothing; after 0.5 s the hand is gone.
    shoot(*cast.table, takes);
    EXPECT_EQ(events_since(first), c.events);
    idle(frames_per_second / 2);
    EXPECT_EQ(objects_of_kind(kind_card), 0);
    EXPECT_EQ(card_total(), 0);
  }
  // With no hand the table is only wood.
  new_character_round(app::edition_xl);
  players_in_view();
  shoot(*cast.table, takes);
  EXPECT_EQ(event_count(), 0);
  EXPECT_EQ(score(), 0);
}

TEST_F(CharactersXL, ShootingAPlayerEndsTheCardGameForTheRound) {
  deal(nine);
  players_in_view();
  set_score(1000);
  shoot(*cast.right, takes);
  EXPECT_EQ(events_since(0), (std::vector<int>{58, 15}));
  EXPECT_EQ(score(), 950);
  for (const Enemy* p : {cast.left, cast.right}) EXPECT_FALSE(p->flags & (f_visible | f_shootable));
  EXPECT_EQ(cast.table->anim, spr_table_swept);
  EXPECT_EQ(objects_of_kind(kind_card), 0);
  EXPECT_FALSE(cast.deck->flags & f_shootable);
  EXPECT_FALSE(card_stand_allowed());
  idle(2 * frames_per_second);
  EXPECT_EQ(frame_number(*cast.table), gfx::frame_count(spr_table_swept) - 1) << "the cards have flown";
  // The deck deals no more, the table stands on nothing.
  view(*cast.deck);
  cast.deck->on_hit(*cast.deck);
  players_in_view();
  shoot(*cast.table, takes);
  EXPECT_EQ(event_count(), 2);
}

// A point of the player's box where the table takes the shot; false when there is none.
bool table_over_box(const Enemy& player, int& x, int& y) {
  const auto [left, top, w, h] = shot_box(player);
  for (y = top; y <= top + h; ++y)
    for (x = left; x < left + w; ++x)
      if (taker_at(x, y) == cast.table) return in_box(player, x, y);
  return false;
}

TEST_F(CharactersXL, TheTableTakesTheShotsWhereItCoversAPlayersBox) {
  for (Enemy* Cast::*player : {&Cast::left, &Cast::right}) {
    SCOPED_TRACE(player == &Cast::left ? "left player" : "right player");
    new_character_round(app::edition_xl);
    deal_hand({ten, ten});
    if (HasFatalFailure()) return;
    players_in_view();
    int x, y;
    ASSERT_TRUE(table_over_box(*(cast.*player), x, y));
    set_score(1000);
    const int first = event_count();
    shoot_at(x, y);
    idle();
    // The table, in the later slot on the same layer, stands on the hand; the players play on.
    EXPECT_EQ(events_since(first), std::vector<int>{62});
    EXPECT_EQ(score() - 1000, 20);
    for (const Enemy* p : {cast.left, cast.right}) EXPECT_TRUE(p->flags & f_shootable);
    EXPECT_NE(cast.table->anim, spr_table_swept);
  }
}

// ---------------------------------------------------------------- the beekeeper and its bees

// The bees out after the keeper's k-th knock: counted as drawn, with the view on the hive.
int bees_after_knocks(int k) {
  look_within(0);
  Enemy& keeper = *cast.keeper;
  EXPECT_TRUE(idle.until([&] { return keeper.data0 == k && keeper.state == keeper_hand_down; }, 60 * 60));
  idle();
  return bees_drawn();
}

TEST_F(CharactersXL, BeesNeverPassSixty) {
  // Knocking lets out three bees every 0.11 s until the attack starts above 58.
  look_within(0);
  int most = 0;
  for (int f = 0; f < 60 * 60 && !qzx::round.bees_attacking; ++f) {
    idle();
    most = std::max(most, bees_drawn());
    ASSERT_LE(bees_drawn(), 60);
  }
  ASSERT_TRUE(qzx::round.bees_attacking);
  EXPECT_GT(most, 50);
  EXPECT_TRUE(sound::sound_is_playing(sound::sfx_bee_loop));

  // A shot on the hive lets out up to 50 more, never beyond 60; at 50 or more none.
  for (int knocks : {0, 1, 2, 3}) {
    SCOPED_TRACE(knocks);
    new_character_round(app::edition_xl);
    look_within(0);
    const int before = knocks ? bees_after_knocks(knocks) : 0;
    shoot(*cast.keeper, takes_hive);
    EXPECT_TRUE(qzx::round.bees_attacking);
    idle();
    EXPECT_EQ(bees_drawn(), before < 50 ? std::min(before + 50, 60) : before) << "before " << before;
  }
}

TEST_F(CharactersXL, StingThrowsTheAimSeventyPixelsAndKeepsItInside) {
  struct Place {
    int x, y;
  };
  for (const Place a : {Place{400, 300}, Place{1, 0}, Place{798, 599}, Place{2, 598}, Place{797, 1}, Place{400, 0}}) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE(::testing::Message() << a.x << "," << a.y << " seed " << seed);
      new_character_round(app::edition_xl);
      look_within(0);
      shoot(*cast.keeper, takes_hive);
      ASSERT_TRUE(qzx::round.bees_attacking);
      res::random_seed(seed);
      set_score(1000);
      const int first = event_count();
      bool stung = false;
      for (int f = 0; f < 6 * frames_per_second && !stung; ++f) {
        test_support::Idle{a.x, a.y}();
        stung = events_since(first) == std::vector<int>{92};
      }
      ASSERT_TRUE(stung);
      EXPECT_EQ(score(), 950);
      const int x = app::cursor_x, y = app::cursor_y;
      EXPECT_EQ(qzx::round.cursor_x, x);
      EXPECT_EQ(qzx::round.cursor_y, y);
      EXPECT_EQ(players[0].cursor_x, x);
      EXPECT_EQ(players[0].cursor_y, y);
      EXPECT_GE(x, 1);
      EXPECT_LE(x, 798);
      EXPECT_GE(y, 0);
      EXPECT_LE(y, 599);
      // 70 px from the middle; from an edge at most that, held inside.
      const double moved = std::hypot(x - a.x, y - a.y);
      if (a.x == 400 && a.y == 300)
        EXPECT_NEAR(moved, 70, 1);
      else
        EXPECT_LE(moved, 71);
      // Every bee is gone, the attack is over, the buzz fades over 4 s; the text is shown.
      EXPECT_FALSE(qzx::round.bees_attacking);
      EXPECT_EQ(qzx::round.bee_buzz, 4 * second);
      const Enemy* text = enemy_next_of_kind(kind_bonus_text);
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->y >> 16, 270);
      EXPECT_EQ(std::u16string(text->text), std::u16string(text::get_text(12)));
      idle();
      EXPECT_EQ(bees_drawn(), 0);
    }
  }
}

TEST_F(CharactersXL, KeeperPaysByTheBeesOutThenComesBackWhenTheViewWasAway) {
  struct Case {
    int knocks;
    int points, event;
  };
  // 0, 18, 36, 54 bees; after the fourth knock the bees attack.
  for (const Case c : {Case{0, 5, 93}, Case{1, 15, 94}, Case{2, 25, 95}, Case{3, 35, 96}, Case{4, 5, 93}}) {
    SCOPED_TRACE(c.knocks);
    new_character_round(app::edition_xl);
    const int bees = c.knocks ? bees_after_knocks(c.knocks) : 0;
    EXPECT_EQ(qzx::round.bees_attacking, c.knocks == 4) << bees << " bees";
    set_score(1000);
    const int first = event_count();
    shoot(*cast.keeper, takes_keeper);
    EXPECT_EQ(events_since(first), std::vector<int>{c.event}) << bees << " bees";
    EXPECT_EQ(score() - 1000, c.points);
    EXPECT_FALSE(cast.keeper->flags & f_shootable);
  }
  // The last case's bees leave one every 0.2 s after the fall (the sting may come first).
  Enemy& keeper = *cast.keeper;
  ASSERT_TRUE(idle.until([&] { return keeper.state == keeper_gone; }, 20 * 60));
  EXPECT_EQ(bees_drawn(), 0);
  EXPECT_FALSE(sound::sound_is_playing(sound::sfx_bee_loop) && qzx::round.bee_buzz <= 0);
  // It stays gone while the view is on it; 10 s with the view away bring a new one.
  idle(15 * frames_per_second);
  EXPECT_EQ(keeper.state, keeper_gone);
  look_within(450);
  idle(10 * frames_per_second - 1);
  EXPECT_EQ(keeper.state, keeper_gone);
  idle(2);
  EXPECT_EQ(keeper.state, keeper_hand_up);
  EXPECT_TRUE(keeper.flags & f_shootable);
}

TEST_F(CharactersXL, LeavingBeesSilenceTheLoopWithTheLast) {
  const int bees = bees_after_knocks(1);
  ASSERT_GT(bees, 0);
  EXPECT_TRUE(sound::sound_is_playing(sound::sfx_bee_loop));
  shoot(*cast.keeper, takes_keeper);
  Enemy& keeper = *cast.keeper;
  ASSERT_TRUE(idle.until([&] { return keeper.state != 8; }, 60)) << "the fall";
  EXPECT_EQ(bees_drawn(), bees);
  // One bee every 0.2 s: 12 frames are a little less, the 13th takes one away (seen drawn
  // in the frame after).
  idle(12);
  EXPECT_EQ(bees_drawn(), bees);
  idle(2);
  EXPECT_EQ(bees_drawn(), bees - 1);
  ASSERT_TRUE(idle.until([] { return bees_drawn() == 0; }, bees * 13 + 30));
  idle();
  EXPECT_FALSE(sound::sound_is_playing(sound::sfx_bee_loop));
}

// ---------------------------------------------------------------- kite, barrel, oil barrel

TEST_F(CharactersXL, KiteAndItsChickenVanishPastTheLeftEdgeAndComeBack) {
  kite_in_view();
  Enemy& kite = *cast.kite;
  Enemy& chicken = *cast.kite_chicken;
  EXPECT_EQ(chicken.state, chicken_hanging);
  EXPECT_EQ(chicken.x - kite.x, 20 << 16);
  EXPECT_EQ(chicken.y - kite.y, 29 << 16);
  EXPECT_EQ(chicken.depth, 3);
  EXPECT_EQ(chicken.scale, 3);
  // It drifts between y 30 and 80 or so while it crosses.
  for (int f = 0; f < 60 * 60 && kite.state == kite_flying; ++f) {
    idle();
    if (kite.state == kite_flying) {
      EXPECT_GE(kite.y >> 16, 0);
      EXPECT_LE(kite.y >> 16, 110);
      EXPECT_EQ(chicken.x - kite.x, 20 << 16);
    }
  }
  EXPECT_EQ(kite.state, kite_waiting);
  EXPECT_EQ(chicken.state, chicken_absent);
  EXPECT_FALSE(kite.flags & (f_visible | f_shootable));
  EXPECT_FALSE(chicken.flags & (f_visible | f_shootable));
  EXPECT_GE(kite.timer, 5 * second - second / 10);
  EXPECT_LE(kite.timer, 12 * second);
  EXPECT_EQ(event_count(), 0);
}

TEST_F(CharactersXL, HangingChickenShotFallsAndScoresAgainFalling) {
  kite_in_view();
  set_score(1000);
  shoot(*cast.kite_chicken);
  EXPECT_EQ(cast.kite_chicken->state, chicken_falling);
  EXPECT_EQ(cast.kite_chicken->anim, spr_dropped);
  EXPECT_EQ(cast.kite->state, kite_flying) << "the kite flies on";
  idle(10);
  shoot(*cast.kite_chicken);
  EXPECT_EQ(events_since(0), (std::vector<int>{97, 98}));
  EXPECT_EQ(score(), 1060);
  EXPECT_FALSE(cast.kite_chicken->flags & f_shootable);
}

TEST_F(CharactersXL, OilBarrelFallsOnceAndTheBarrelChickenStaysDown) {
  oil_in_view();
  set_score(1000);
  shoot(*cast.oil);
  Enemy& oil = *cast.oil;
  EXPECT_EQ(oil.anim, spr_oil_pool);
  EXPECT_EQ(oil.x >> 16, 1051);
  EXPECT_EQ(oil.y >> 16, 295);
  EXPECT_FALSE(oil.flags & f_shootable);
  EXPECT_TRUE(oil_barrel_fallen());
  idle(60);
  EXPECT_EQ(frame_number(oil), gfx::frame_count(spr_oil_pool) - 1) << "the pool keeps its last frame";
  EXPECT_EQ(events_since(0), std::vector<int>{32});
  EXPECT_EQ(score(), 975);
  wake(*cast.barrel);
  idle(20 * frames_per_second);
  EXPECT_EQ(cast.barrel->state, barrel_waiting);
  EXPECT_FALSE(cast.barrel->flags & f_shootable);
  // A new round stands it up again.
  new_character_round(app::edition_xl);
  EXPECT_FALSE(oil_barrel_fallen());
  wake(*cast.barrel);
  EXPECT_TRUE(idle.until([] { return cast.barrel->state == barrel_staying; }, 300));
}

// ---------------------------------------------------------------- frame lists

// The flower blinks and the snail idles through frame lists. A list ends at its first -1: one
// that holds nothing else ends as soon as it moves, on entry 0, which names no frame, and what
// follows it in memory is never read as entries.
TEST_F(CharactersXL, AnEmptyFrameListEndsAtOnceAndReadsNothingPastItsEnd) {
  static constexpr std::int16_t memory[] = {-1, 2, 3, 4, -1};  // the list is memory[0] alone
  Enemy e{};
  e.flags = f_in_use;
  set_anim(e, spr_bee, 0);
  ASSERT_EQ(257 * 60 * app::frame_time / 65536, 256) << "one entry a frame";
  for (const int speed : {257, -257})
    for (const bool hold : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "speed " << speed << (hold ? ", held" : ", looping"));
      e.anim_speed = static_cast<std::int16_t>(speed);
      e.seq_pos = 0;
      gfxtest::reset_log();
      EXPECT_TRUE(anim_sequence(e, memory, hold));
      EXPECT_EQ(e.seq_pos, 0);
      EXPECT_EQ(e.frame, memory[0] * 256 - 1);
      EXPECT_EQ(gfxtest::read_log(), "Error, illegal frame-num!\n");
    }
}

// ---------------------------------------------------------------- tours and whole rounds

TEST_F(CharactersXS, OnlyTheFlowerTheCornfieldAndTheBeekeeperAreThere) {
  EXPECT_NE(cast.flower, nullptr);
  EXPECT_NE(cast.cornfield, nullptr);
  EXPECT_NE(cast.keeper, nullptr);
  new_round(app::edition_xs);
  for (int kind : {25, 26, 27, 28, 29}) EXPECT_EQ(enemy_next_of_kind(kind), nullptr) << kind;
}

TEST_F(CharactersXS, Tour) { tour(app::edition_xs); }
TEST_F(CharactersXL, Tour) { tour(app::edition_xl); }
TEST_F(CharactersXXL, Tour) { tour(app::edition_xxl); }

TEST_F(CharactersXS, WholeRound) { whole_round(app::edition_xs); }
TEST_F(CharactersXL, WholeRound) { whole_round(app::edition_xl); }
TEST_F(CharactersXXL, WholeRound) { whole_round(app::edition_xxl); }

}  // namespace

// The tables the logic uses instead of the maths library give what the library gives here: the
// sting's throw of 70 px to the pixel in each of the 3600 directions, the ghost's sway to the
// 1/65536 px, and the jump's half sine.
TEST(TrigTables, AgreeWithTheMathsLibrary) {
  constexpr qzx::trig::CircleOffsets c = qzx::trig::circle_offsets(70);
  for (int k = 0; k < qzx::trig::turn_steps; ++k) {
    const double angle = k * (2 * std::numbers::pi / 3600);
    ASSERT_EQ(c.x[k], std::lround(70 * std::cos(angle))) << "step " << k;
    ASSERT_EQ(c.y[k], std::lround(70 * std::sin(angle))) << "step " << k;
  }
  // The ghost's sway (18.75 px in 16.16, a full sway in 4096 steps), also for phases far on.
  constexpr auto sway = qzx::trig::scaled_sines<4096>(18.75 * 65536);
  for (std::int32_t phase = 0; phase < 3 * 4096; ++phase)
    ASSERT_EQ(sway[static_cast<std::size_t>(phase % 4096)],
              static_cast<std::int32_t>(18.75 * 65536 * std::sin(phase * 2 * std::numbers::pi / 4096)))
        << "phase " << phase;
  for (int i = 0; i <= qzx::trig::half_sine_steps; ++i)
    ASSERT_NEAR(qzx::trig::half_sine[i] / 1073741824.0, std::sin(std::numbers::pi * i / 2048), 2e-9) << i;
  // Between the steps the straight line stays within a millionth: well under a thousandth of a
  // pixel on the 180 px jump.
  for (std::int32_t phase : {0, 1, 65535, 5000000, 67108864, 100000001, 134217727, 134217728}) {
    const double exact = std::sin(std::numbers::pi * phase / 134217728.0);
    EXPECT_NEAR(qzx::trig::half_sine_at(phase) / 1073741824.0, exact, 1e-6) << phase;
  }
}
