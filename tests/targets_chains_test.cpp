// SPDX-License-Identifier: GPL-3.0-or-later
// The first scene's two chains on the real archives of each edition: the tree, the key and the
// box that bring the megagun, the gate and the sign that open the way to the second scene, and
// the snail with its apple. Shots go through the real in-game frame; a tour shoots every target
// and reads what reaches the event log and the score.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/sprites.h"
#include "game/qzX/enemies.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"
#include "game/sound/sound_numbers.h"
#include "tests/gfx_fixture.h"
#include "tests/target_tour.h"

using namespace qzx;
using test_support::events_since;
using test_support::look_at;
using test_support::shoot_at;
using test_support::spawned_by;


namespace {

constexpr std::int32_t second = 65536;
constexpr std::int32_t frame_length = 1092;  // 1/60 s
constexpr std::int32_t half_second_frames = 30;
constexpr test_support::Idle idle{};  // the cursor rests mid-screen

constexpr int spr_tree_smile = gfx::find_sprite("data\\gfx\\tree_smile");
constexpr int spr_tree_laugh = gfx::find_sprite("data\\gfx\\tree_laugh");
constexpr int spr_xbox1 = gfx::find_sprite("data\\gfx\\xbox1");
constexpr int spr_xbox2 = gfx::find_sprite("data\\gfx\\xbox2");
constexpr int spr_snail_die = gfx::find_sprite("data\\gfx\\snail_die");

// The sounds the chains play that the tests listen for.
struct Sfx {
  int number;
  const char* name;
};
constexpr Sfx sounds[] = {
    {sound::sfx_hit_metal1, "data\\sfx\\hit_metal1"},
    {sound::sfx_hit_metal2, "data\\sfx\\hit_metal2"},
    {sound::sfx_hit_metal3, "data\\sfx\\hit_metal3"},
    {sound::sfx_box_open, "data\\sfx\\box_open"},
    {sound::sfx_box_lock_open, "data\\sfx\\box_lock_open"},
    {sound::sfx_box_lock_shot, "data\\sfx\\box_lock_shot"},
    {sound::sfx_snail_chew, "data\\sfx\\snail_chew"},
    {sound::sfx_hit_snail, "data\\sfx\\hit_snail"},
};
bool playing(int number) { return sound::sound_is_playing(number); }
void stop_sounds() {
  for (const Sfx& s : sounds) sound::stop_sound(s.number);
}
bool metal_playing() {
  return playing(sound::sfx_hit_metal1) || playing(sound::sfx_hit_metal2) ||
         playing(sound::sfx_hit_metal3);
}

// The chain targets of the round, as their spawn functions made them (null where the edition
// has none).
struct Chain {
  Enemy* key = nullptr;
  Enemy* gate = nullptr;
  Enemy* sign = nullptr;
  Enemy* box = nullptr;
  Enemy* tree = nullptr;
  Enemy* apple = nullptr;
  Enemy* snail = nullptr;
};
Chain chain;

// A first-scene round of the edition whose slots hold only the chain targets, spawned in the
// scene's order, so no other target takes a shot or scores meanwhile.
void chains_only() {
  enemy_clear();
  const bool xl_up = app::edition != app::edition_xs;
  chain = {};
  if (xl_up) chain.key = spawned_by(spawn_key);
  if (xl_up) chain.gate = spawned_by(spawn_gate);
  chain.sign = spawned_by(spawn_sign);
  if (xl_up) chain.box = spawned_by(spawn_box);
  chain.tree = spawned_by(spawn_tree);
  chain.apple = spawned_by(spawn_apple);
  chain.snail = spawned_by(spawn_snail);
}

// One frame with a shot at (dx, dy) from the target's position on the screen.
void shoot(const Enemy& e, int dx, int dy) { shoot_at(screen_x(e) + dx, (e.y >> 16) + dy); }

int count_of(const std::vector<int>& codes, int code) {
  return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

// Where each target is shot (offsets from its position, on its picture).
constexpr int tree_dx = 50, tree_dy = 30;
constexpr int key_dx = 24, key_dy = 13;
constexpr int box_dx = 17, box_dy = 35;
constexpr int gate_dx = 8, gate_dy = 50;
constexpr int sign_dx = 40, sign_dy = 80;
constexpr int tail_dx = 20, tail_dy = 40;  // the tail box, right part: a big push
constexpr int snail_dx = 40, snail_dy = 20;  // the top of the shell: a kill
constexpr int apple_dx = 22, apple_dy = 24;
constexpr int tree_view = 1900, box_view = 900, gate_view = 2150, snail_view = 1300;

// The tree's mood (16.16).
std::int32_t mood(const Enemy& tree) { return tree.data0; }

// Shots on the tree half a second apart, the rhythm it likes best, until `done` says so (at
// most `shots`). False when it never did.
template <class Done>
bool cheer_tree(int shots, Done done) {
  look_at(tree_view);
  for (int i = 0; i < shots; ++i) {
    shoot(*chain.tree, tree_dx, tree_dy);
    idle(half_second_frames - 1);
    if (done()) return true;
  }
  return false;
}
// The tree smiles and the next shot in the rhythm makes it laugh: the mood sinks for one more
// frame, then the shot raises it by 0.5 less its distance from the best gap.
void tree_on_the_brink() {
  constexpr std::int32_t gap = half_second_frames * frame_length;
  constexpr std::int32_t next_raise = second / 2 - (gap > second / 2 ? gap - second / 2 : second / 2 - gap);
  ASSERT_TRUE(cheer_tree(40, [] {
    return chain.tree->state == 1 && mood(*chain.tree) - frame_length / 2 + next_raise > 4 * second;
  }));
}
void tree_laughs() {
  ASSERT_TRUE(cheer_tree(40, [] { return chain.tree->state == 2; }));
}
// The key shows, fully faded in.
void key_shown() {
  tree_laughs();
  idle(60);
  ASSERT_TRUE(chain.key->flags & f_shootable);
  ASSERT_FALSE(chain.key->flags & f_tinted);
  look_at(tree_view);
}
void box_shot_89_times() {
  look_at(box_view);
  for (int i = 0; i < 89; ++i) shoot(*chain.box, box_dx, box_dy);
}
void key_in_hand() {
  round.key_held = true;
  look_at(box_view);
}
// Big pushes, each let run out, until one more brings the snail to the apple.
void snail_one_push_from_the_apple() {
  look_at(snail_view);
  for (int i = 0; i < 10 && (chain.snail->x >> 16) + 45 < 1559; ++i) {
    shoot(*chain.snail, tail_dx, tail_dy);
    idle(120);
  }
  ASSERT_EQ(chain.snail->state, 0) << "idling again";
  ASSERT_LT(chain.snail->x >> 16, 1559);
}
void snail_in_view() { look_at(snail_view); }
void tree_in_view() { look_at(tree_view); }
void gate_in_view() { look_at(gate_view); }

// Spins the resting sign until a spin ends on its far side (XXL: 13 half-turns, one spin in
// two at random); each spin that ends back at rest scores nothing.
bool spin_sign_until_turned() {
  look_at(gate_view);
  for (int spin = 0; spin < 12; ++spin) {
    shoot(*chain.sign, sign_dx, sign_dy);
    for (int f = 0; f < 1200 && chain.sign->state != 0 && chain.sign->state != 3; ++f) idle();
    if (round.sign_turned) return true;
    EXPECT_EQ(chain.sign->state, 0);
  }
  return false;
}
void spin_sign_to_its_far_side() { ASSERT_TRUE(spin_sign_until_turned()); }
// A round's first 30 s pass with the snail idling.
void wait_out_the_snail() { idle(30 * 60 + 1); }

// ---------------------------------------------------------------- fixture

class ChainScene : public ::testing::Test {
 protected:
  static void load(int edition) {
    gfxtest::load_archive(edition);
    if (HasFatalFailure()) return;
    for (const Sfx& s : sounds) sound::load_sound(s.number, s.name, 0, false);
    sound::init_sound();
  }
  static void unload() {
    sound::terminate_sound(true);
    gfxtest::unload_archive();
  }

  // A fresh first-scene round of the edition, with no chickens coming.
  static void new_round(int edition) {
    test_support::new_first_scene_round(edition);
    stop_sounds();
  }
  static void new_chain_round(int edition) {
    new_round(edition);
    chains_only();
  }

  // The tour: each row brings its target into a state, shoots it (or runs its action) and
  // reads the events and points that follow.
  struct TourRow {
    const char* name;
    std::uint8_t editions;
    Enemy* Chain::*target;
    void (*prepare)();  // after it, the view shows the target
    int dx, dy;         // the shot, from the target's position; no shot when `action` is set
    void (*action)();
    int frames_after;
    std::vector<int> events;
    int points;
  };
  static void tour(int edition) {
    const TourRow rows[] = {
        {"tree", gfx::ed_all, &Chain::tree, tree_in_view, tree_dx, tree_dy, nullptr, 1, {88}, -1},
        {"tree laughs", gfx::ed_xl_up, &Chain::tree, tree_on_the_brink, tree_dx, tree_dy, nullptr, 2,
         {88, 36}, 24},
        {"key", gfx::ed_xl_up, &Chain::key, key_shown, key_dx, key_dy, nullptr, 1, {41}, 25},
        {"box", gfx::ed_xl_up, &Chain::box, box_shot_89_times, box_dx, box_dy, nullptr, 1, {16}, 25},
        {"box with the key", gfx::ed_xl_up, &Chain::box, key_in_hand, box_dx, box_dy, nullptr, 1,
         {16}, 25},
        {"gate", gfx::ed_xl_up, &Chain::gate, gate_in_view, gate_dx, gate_dy, nullptr, 1, {6}, 10},
        {"sign", gfx::ed_all, &Chain::sign, gate_in_view, sign_dx, sign_dy, nullptr, 1, {}, 0},
        {"sign turned", gfx::ed_xxl, &Chain::sign, gate_in_view, 0, 0, spin_sign_to_its_far_side, 1,
         {53}, 10},
        {"snail pushed", gfx::ed_all, &Chain::snail, snail_in_view, tail_dx, tail_dy, nullptr, 1, {},
         0},
        {"snail", gfx::ed_all, &Chain::snail, snail_in_view, snail_dx, snail_dy, nullptr, 1, {21},
         -50},
        {"snail eats", gfx::ed_all, &Chain::snail, snail_one_push_from_the_apple, tail_dx, tail_dy,
         nullptr, 8 * 60, {64, 64, 64, 64}, 100},
        {"apple", gfx::ed_all, &Chain::apple, snail_in_view, apple_dx, apple_dy, nullptr, 1, {38},
         -10},
        {"snail gives up", gfx::ed_all, &Chain::snail, snail_in_view, 0, 0, wait_out_the_snail, 1,
         {46}, -25},
    };
    int toured = 0;
    for (const TourRow& r : rows) {
      if (!(r.editions & gfx::edition_bit(edition))) continue;
      SCOPED_TRACE(std::string("target: ") + r.name);
      new_chain_round(edition);
      Enemy* target = chain.*r.target;
      ASSERT_NE(target, nullptr);
      r.prepare();
      if (HasFatalFailure()) return;
      set_score(1000);
      const int first = event_count();
      if (r.action) {
        r.action();
        if (HasFatalFailure()) return;
      } else {
        shoot(*target, r.dx, r.dy);
      }
      idle(r.frames_after);
      EXPECT_EQ(events_since(first), r.events);
      EXPECT_EQ(score() - 1000, r.points);
      ++toured;
    }
    EXPECT_GT(toured, 0);
  }

  // A few hundred frames of the whole scene with the clock running, the view moving between
  // the chains and shots on them; no frame list leaves its sprite and the targets stay.
  static void whole_round(int edition) {
    gfxtest::reset_log();
    new_round(edition);
    struct Place {
      int x, y;
    };
    const Place places[] = {{2153 + tree_dx, 214 + tree_dy}, {1408 + tail_dx, 447 + tail_dy},
                            {2482 + sign_dx, 216 + sign_dy}, {1167 + box_dx, 260 + box_dy},
                            {2320 + gate_dx, 241 + gate_dy}, {1623 + apple_dx, 473 + apple_dy}};
    const Enemy* snail = enemy_next_of_kind(22);
    ASSERT_NE(snail, nullptr);
    std::vector<int> snail_frames;
    for (int f = 0; f < 600; ++f) {
      const Place& p = places[(f / 60) % std::size(places)];
      look_at(std::max(0, p.x - 400));
      FrameInput in;
      in.cursor_x = p.x - (round.scroll >> 16);
      in.cursor_y = p.y;
      in.click = f % 10 == 0;
      in.right_click = f % 80 == 79;
      round_frame(in);
      app::round_time -= app::frame_time;
      if (snail->flags && snail->kind == 22) snail_frames.push_back(snail->frame >> 8);
    }
    EXPECT_EQ(gfxtest::read_log().find("illegal frame-num"), std::string::npos);
    const int kinds[] = {kind_tree, 19, 22};
    for (int kind : kinds) ASSERT_NE(enemy_next_of_kind(kind), nullptr) << kind;
    EXPECT_EQ(enemy_next_of_kind(kind_tree)->counter, 1) << "the shots reached the tree";
    std::sort(snail_frames.begin(), snail_frames.end());
    EXPECT_GT(std::unique(snail_frames.begin(), snail_frames.end()) - snail_frames.begin(), 1)
        << "the snail's pictures move on";
  }
};

template <int Edition>
class ChainsIn : public ChainScene {
 protected:
  static void SetUpTestSuite() { load(Edition); }
  static void TearDownTestSuite() { unload(); }
  void SetUp() override { new_chain_round(Edition); }
};
using ChainsXS = ChainsIn<app::edition_xs>;
using ChainsXL = ChainsIn<app::edition_xl>;
using ChainsXXL = ChainsIn<app::edition_xxl>;

// ---------------------------------------------------------------- the megagun chain

TEST_F(ChainsXL, BoxRingsEightyNineTimesWithoutTheKeyAndOpensAtTheNinetieth) {
  look_at(box_view);
  Enemy& box = *chain.box;
  for (int shot = 1; shot <= 89; ++shot) {
    stop_sounds();
    shoot(box, box_dx, box_dy);
    ASSERT_TRUE(metal_playing()) << "shot " << shot;
    ASSERT_FALSE(playing(sound::sfx_box_open)) << "shot " << shot;
    ASSERT_FALSE(playing(sound::sfx_box_lock_shot)) << "shot " << shot;
  }
  EXPECT_EQ(box.state, 0);
  EXPECT_EQ(event_count(), 0);
  EXPECT_FALSE(round.megagun_present);

  stop_sounds();
  shoot(box, box_dx, box_dy);
  EXPECT_TRUE(metal_playing());
  EXPECT_TRUE(playing(sound::sfx_box_open));
  EXPECT_TRUE(playing(sound::sfx_box_lock_shot));
  EXPECT_FALSE(playing(sound::sfx_box_lock_open));
  EXPECT_EQ(box.state, 1);
  EXPECT_EQ(box.anim, spr_xbox1);
  EXPECT_EQ(events_since(0), std::vector<int>{16});
  EXPECT_EQ(score(), 25);
  EXPECT_TRUE(round.megagun_present);
  EXPECT_NE(enemy_next_of_kind(kind_megagun), nullptr);
  EXPECT_EQ(enemy_next_of_kind(kind_bonus_text), nullptr) << "no message without the key";

  // Opened, it only rings.
  stop_sounds();
  shoot(box, box_dx, box_dy);
  EXPECT_TRUE(metal_playing());
  EXPECT_FALSE(playing(sound::sfx_box_open));
  EXPECT_EQ(event_count(), 1);
}

TEST_F(ChainsXL, LaughingTreeShowsTheKeyWhichOpensTheBoxAtOnceWithTheHiddenMessage) {
  // The key hides until the tree first laughs.
  Enemy& key = *chain.key;
  EXPECT_FALSE(key.flags & (f_visible | f_shootable));
  tree_on_the_brink();
  EXPECT_FALSE(key.flags & (f_visible | f_shootable));
  const int first = event_count();
  shoot(*chain.tree, tree_dx, tree_dy);
  idle();
  EXPECT_EQ(chain.tree->anim, spr_tree_laugh);
  EXPECT_EQ(mood(*chain.tree), 7 * second) << "7.0 at the first laugh";
  EXPECT_EQ(count_of(events_since(first), 36), 1);

  // It fades in: blended while alpha rises by 100000 a second, then opaque.
  idle();
  EXPECT_TRUE(key.flags & f_visible);
  EXPECT_TRUE(key.flags & f_shootable);
  EXPECT_TRUE(key.flags & f_tinted);
  const std::int32_t a = key.alpha;
  idle();
  EXPECT_EQ(key.alpha - a, 100000 * frame_length / 65536);
  idle(60);
  EXPECT_EQ(key.alpha, 65536);
  EXPECT_FALSE(key.flags & f_tinted);

  // Laughing again later pays nothing more.
  idle(60 * 13);
  ASSERT_EQ(chain.tree->state, 0) << "upset again";
  tree_laughs();
  EXPECT_EQ(count_of(events_since(first), 36), 1);

  look_at(tree_view);
  set_score(0);
  shoot(key, key_dx, key_dy);
  EXPECT_TRUE(round.key_held);
  EXPECT_FALSE(key.flags & (f_visible | f_shootable));
  EXPECT_EQ(score(), 25);

  look_at(box_view);
  stop_sounds();
  shoot(*chain.box, box_dx, box_dy);
  EXPECT_FALSE(round.key_held);
  EXPECT_EQ(chain.box->state, 1);
  EXPECT_EQ(chain.box->anim, spr_xbox2);
  EXPECT_TRUE(playing(sound::sfx_box_open));
  EXPECT_TRUE(playing(sound::sfx_box_lock_open));
  EXPECT_FALSE(playing(sound::sfx_box_lock_shot));
  EXPECT_TRUE(round.megagun_present);
  EXPECT_EQ(score(), 50);
  EXPECT_EQ(event_at(event_count() - 1).code, 16);

  Enemy* message = enemy_next_of_kind(kind_bonus_text);
  ASSERT_NE(message, nullptr);
  EXPECT_EQ(std::u16string(message->text), u"Glückwunsch, Meisterschütze!");
  EXPECT_EQ(message->y >> 16, 270);
  EXPECT_TRUE(message->flags & f_blink);
  const int lasts = (3 * second / 2 + frame_length - 1) / frame_length;  // frames in 1.5 s
  idle(lasts - 1);
  EXPECT_TRUE(message->flags && message->kind == kind_bonus_text) << "still shown";
  idle();
  EXPECT_FALSE(message->flags && message->kind == kind_bonus_text) << "gone after 1.5 s";
}

TEST_F(ChainsXL, ShotsInRhythmCheerTheTreeUpMostAtHalfASecond) {
  Enemy& tree = *chain.tree;
  look_at(tree_view);
  struct Case {
    std::int32_t gap, raise;
  };
  for (const Case c : {Case{0, 0}, Case{second / 4, second / 4}, Case{second / 2 - 100, second / 2 - 100},
                       Case{second / 2, second / 2}, Case{second / 2 + 100, second / 2 - 100},
                       Case{second - 1, 1}, Case{second, 0}, Case{3 * second, 0}}) {
    tree.counter = 1;  // a shot came before
    tree.timer = c.gap;
    tree.data0 = 0;
    tree.on_hit(tree);
    EXPECT_EQ(mood(tree), c.raise) << "gap " << c.gap;
    EXPECT_EQ(tree.timer, 0);
  }
  // The first shot of the round has no rhythm.
  new_chain_round(app::edition_xl);
  chain.tree->timer = second / 2;
  chain.tree->on_hit(*chain.tree);
  EXPECT_EQ(mood(*chain.tree), 0);

  // The mood sinks by half a second's worth each second, not below 0; from 1.0 it smiles,
  // which adds 0.8.
  Enemy& t = *chain.tree;
  t.data0 = second - 1 + frame_length / 2;
  idle();
  EXPECT_EQ(t.state, 0);
  t.data0 = second + frame_length / 2;
  idle();
  EXPECT_EQ(t.state, 1);
  EXPECT_EQ(t.anim, spr_tree_smile);
  EXPECT_EQ(mood(t), second + 52429);
  idle(60);
  EXPECT_EQ(mood(t), second + 52429 - 60 * (frame_length / 2));
  EXPECT_EQ(t.state, 1);
  idle(60);
  EXPECT_EQ(t.state, 0) << "below 1.0 again";
  idle(60 * 4);
  EXPECT_EQ(mood(t), 0);
}

TEST_F(ChainsXS, TheTreeNeverSmilesSoNoKeyShows) {
  EXPECT_EQ(chain.key, nullptr);
  EXPECT_EQ(chain.box, nullptr);
  EXPECT_EQ(chain.gate, nullptr);
  // Forty shots in the rhythm that makes it laugh elsewhere.
  EXPECT_FALSE(cheer_tree(40, [] { return chain.tree->state != 0; }));
  EXPECT_EQ(mood(*chain.tree), 0);
  const std::vector<int> codes = events_since(0);
  EXPECT_EQ(count_of(codes, 88), 40);
  EXPECT_EQ(count_of(codes, 36), 0);
  for (const Enemy& e : enemies) EXPECT_FALSE(e.flags && e.kind == 17) << "no key in XS";
}

// ---------------------------------------------------------------- snail and apple

TEST_F(ChainsXL, SnailAtTheAppleEatsFourBitesThenOutlastsThe30SecondRule) {
  Enemy& snail = *chain.snail;
  Enemy& apple = *chain.apple;
  snail_one_push_from_the_apple();
  const int first = event_count();
  set_score(0);
  stop_sounds();
  shoot(snail, tail_dx, tail_dy);
  for (int f = 0; f < 120 && snail.state != 2; ++f) idle();
  ASSERT_EQ(snail.state, 2) << "eating";
  EXPECT_EQ(snail.x >> 16, 1559);
  EXPECT_TRUE(playing(sound::sfx_snail_chew));
  for (int f = 0; f < 10 * 60 && snail.state == 2; ++f) idle();
  EXPECT_EQ(snail.state, 3) << "content";
  EXPECT_FALSE(playing(sound::sfx_snail_chew));
  EXPECT_EQ(events_since(first), (std::vector<int>{64, 64, 64, 64}));
  EXPECT_EQ(score(), 100);
  EXPECT_EQ(snail_bites(), 4);
  EXPECT_EQ(apple.anim, gfx::find_sprite("data\\gfx\\appled"));

  // Thirty seconds into the round it still rests there, and can still be shot.
  while (round.snail_timer < 31 * second) idle();
  EXPECT_EQ(snail.state, 3);
  EXPECT_EQ(count_of(events_since(first), 46), 0);
  EXPECT_TRUE(snail.flags & f_shootable);
}

TEST_F(ChainsXL, SnailPushesAreSmallNearTheTipAndDieAway) {
  struct Case {
    int dx;
    std::int32_t speed;
  };
  for (const Case c : {Case{5, 3853516}, Case{8, 3853516}, Case{9, 91 << 16}, Case{20, 91 << 16}}) {
    new_chain_round(app::edition_xl);
    look_at(snail_view);
    Enemy& s = *chain.snail;
    // Both parts of the tail box, on the snail's foot.
    const int x0 = s.x >> 16;
    players[0].cartridges = 8;
    FrameInput in;
    in.cursor_x = screen_x(s) + c.dx;
    in.cursor_y = (s.y >> 16) + 59;
    in.click = true;
    round_frame(in);
    ASSERT_EQ(s.state, 1) << "dx " << c.dx;
    EXPECT_EQ(s.vx, c.speed) << "dx " << c.dx;
    for (int f = 0; f < 600 && s.vx; ++f) idle();
    EXPECT_EQ(s.vx, 0);
    EXPECT_NEAR((s.x >> 16) - x0, (c.speed / 2) >> 16, 2) << "it slides half its speed";
    EXPECT_EQ(s.state, 0) << "idling again";
  }
}

TEST_F(ChainsXL, AppleShotFromUnderTheEatingSnailSendsItBackToIdling) {
  Enemy& snail = *chain.snail;
  snail_one_push_from_the_apple();
  shoot(snail, tail_dx, tail_dy);
  for (int f = 0; f < 120 && snail.state != 2; ++f) idle();
  ASSERT_EQ(snail.state, 2);
  const int first = event_count();
  set_score(100);
  shoot(*chain.apple, apple_dx, apple_dy);
  idle();
  EXPECT_EQ(snail.state, 0);
  EXPECT_FALSE(playing(sound::sfx_snail_chew));
  EXPECT_EQ(events_since(first), std::vector<int>{38});
  EXPECT_EQ(score(), 90);
  idle(30);
  EXPECT_EQ(find_apple(), nullptr);
  EXPECT_EQ(enemy_next_of_kind(23), nullptr) << "the burst apple is gone";

  // Idling again, it gives up at 30 s: -25, dying, no longer shootable.
  while (round.snail_timer < 30 * second) idle();
  idle();
  EXPECT_EQ(snail.state, 4);
  EXPECT_EQ(snail.anim, spr_snail_die);
  EXPECT_FALSE(snail.flags & f_shootable);
  EXPECT_EQ(count_of(events_since(first), 46), 1);
  EXPECT_EQ(score(), 65);
}

// ---------------------------------------------------------------- gate and sign

// Counts the spin's bounces (reversals) until the sign rests or shows its far side.
int spin_and_count_bounces(Enemy& sign) {
  shoot(sign, sign_dx, sign_dy);
  int bounces = 0;
  std::int32_t v = sign.vx;
  for (int f = 0; f < 1200 && sign.state != 0 && sign.state != 3; ++f) {
    idle();
    if ((sign.vx < 0) != (v < 0) && sign.vx != 0) ++bounces;
    if (sign.vx != 0) v = sign.vx;
  }
  return bounces;
}

TEST_F(ChainsXL, SignSpinsTwelveHalfTurnsAndComesBackToRest) {
  Enemy& sign = *chain.sign;
  look_at(gate_view);
  for (int spin = 0; spin < 3; ++spin) {
    EXPECT_EQ(spin_and_count_bounces(sign), 11) << "spin " << spin;
    EXPECT_EQ(sign.state, 0);
    EXPECT_EQ(sign.frame, 0);
    EXPECT_FALSE(round.sign_turned);
  }
  EXPECT_EQ(event_count(), 0);
}

TEST_F(ChainsXL, SignShotWhileSpinningOnlyKnocks) {
  Enemy& sign = *chain.sign;
  look_at(gate_view);
  shoot(sign, sign_dx, sign_dy);
  ASSERT_EQ(sign.state, 1);
  EXPECT_EQ(sign.anim_speed, sign.vx / 256) << "follows its speed";
  idle(10);
  // A knock on the spinning board: its hit operation leaves the spin alone.
  const Enemy before = sign;
  sign.on_hit(sign);
  EXPECT_EQ(sign.state, 1);
  EXPECT_EQ(sign.counter, before.counter);
  EXPECT_EQ(sign.vx, before.vx);
  EXPECT_EQ(sign.frame, before.frame);
  EXPECT_EQ(event_count(), 0);
}

TEST_F(ChainsXXL, SignTurnedOnItsFarSideForTenSecondsThenTurnsBack) {
  Enemy& sign = *chain.sign;
  look_at(gate_view);
  int bounces = 0;
  for (int spin = 0; spin < 12 && !round.sign_turned; ++spin) {
    set_score(0);
    bounces = spin_and_count_bounces(sign);
    EXPECT_TRUE(bounces == 11 || bounces == 12) << bounces;
  }
  ASSERT_TRUE(round.sign_turned);
  EXPECT_EQ(bounces, 12) << "13 half-turns end forward";
  EXPECT_EQ(sign.state, 3);
  EXPECT_EQ(frame_number(sign), gfx::frame_count(sprite_row(sign)) - 1) << "the far side";
  EXPECT_EQ(score(), 10);
  EXPECT_EQ(event_at(event_count() - 1).code, 53);

  const int ten_seconds = 10 * second / frame_length;  // whole frames within 10 s
  idle(ten_seconds);
  EXPECT_TRUE(round.sign_turned) << "still turned just before 10 s";
  idle(2);
  EXPECT_FALSE(round.sign_turned);
  EXPECT_EQ(sign.anim_speed, -102);
  for (int f = 0; f < 600 && sign.state != 0; ++f) idle();
  EXPECT_EQ(sign.state, 0);
  EXPECT_EQ(sign.frame, 0);
  // At rest again it spins again.
  shoot(sign, sign_dx, sign_dy);
  EXPECT_EQ(sign.state, 1);
}

TEST_F(ChainsXL, GateOpensOnceForTenPoints) {
  Enemy& gate = *chain.gate;
  look_at(gate_view);
  shoot(gate, gate_dx, gate_dy);
  EXPECT_TRUE(round.gate_open);
  EXPECT_FALSE(gate.flags & f_shootable);
  EXPECT_EQ(score(), 10);
  idle(120);
  EXPECT_EQ(frame_number(gate), gfx::frame_count(sprite_row(gate)) - 1) << "stays open";
  shoot(gate, gate_dx, gate_dy);
  EXPECT_EQ(score(), 10);
  EXPECT_EQ(events_since(0), std::vector<int>{6});
}

TEST_F(ChainsXXL, GateAndSignShotOpenTheWayToTheSecondScene) {
  // The whole scene, not only the chains.
  new_round(app::edition_xxl);
  chain = {};
  for (Enemy& e : enemies) {
    if (!e.flags) continue;
    if (e.kind == 17 && e.anim == gfx::find_sprite("data\\gfx\\gate")) chain.gate = &e;
    if (e.kind == 19 && e.anim == gfx::find_sprite("data\\gfx\\sign")) chain.sign = &e;
  }
  ASSERT_NE(chain.gate, nullptr);
  ASSERT_NE(chain.sign, nullptr);
  look_at(gate_view);
  shoot(*chain.gate, gate_dx, gate_dy);
  EXPECT_TRUE(round.gate_open);
  ASSERT_TRUE(spin_sign_until_turned());
  set_score(1000);
  app::round_time = 0;
  EXPECT_EQ(round_frame(FrameInput{400, 300}), RoundOutcome::scene_switched);
  EXPECT_EQ(app::scene, 2);
}

// ---------------------------------------------------------------- tours and whole rounds

TEST_F(ChainsXS, Tour) { tour(app::edition_xs); }
TEST_F(ChainsXL, Tour) { tour(app::edition_xl); }
TEST_F(ChainsXXL, Tour) { tour(app::edition_xxl); }

TEST_F(ChainsXS, WholeRound) { whole_round(app::edition_xs); }
TEST_F(ChainsXL, WholeRound) { whole_round(app::edition_xl); }
TEST_F(ChainsXXL, WholeRound) { whole_round(app::edition_xxl); }

}  // namespace
