// SPDX-License-Identifier: GPL-3.0-or-later
// The round's rules on the real data of the XXL archive, driven frame by frame through
// round_frame or step by step: the set-up, the magazine and reloading, the multi-hit bonus, the
// time display, scrolling, chicken spawning, points and their guard, the megagun and the end of
// the round with the switch to the second scene.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

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
#include "game/resources/log.h"
#include "game/resources/random.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

// The bounds of the program's own initialised and zeroed data (GNU linker).
extern "C" char __data_start[], _end[];

using namespace qzx;

namespace {

constexpr std::int32_t empty_ring = 65536000;  // 1000 s: no hit
constexpr std::int32_t second = 65536;
constexpr std::int32_t no_spawn = 1 << 30;     // a spawn timer that does not run out in a test

struct SoundFile {
  int number;
  const char* name;
};
constexpr SoundFile sounds[] = {
    {sound::sound_empty_magazine, "data\\sfx\\empty magazine"},
    {sound::sound_gunblast, "data\\sfx\\gunblast"},
    {sound::sound_gun_reload, "data\\sfx\\gun reload"},
    {sound::sound_time_running, "data\\sfx\\time_running"},
    {sound::sound_megablast, "data\\sfx\\megablastx"},
    {sound::sound_level2_score, "data\\sfx\\level2_score"},
};

bool playing(int number) { return sound::sound_is_playing(number); }

class Round : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    gfxtest::load_archive(app::edition_xxl);
    for (const SoundFile& s : sounds) sound::load_sound(s.number, s.name, 0, false);
    sound::init_sound();
  }
  static void TearDownTestSuite() {
    sound::terminate_sound(true);
    gfxtest::unload_archive();
  }

  void SetUp() override {
    ASSERT_GT(gfx::frame_count(spr_chicken + 1), 0) << "the sprites did not load";
    ASSERT_TRUE(sound::sound_available) << "the headless sound device";
    test_support::reset_app_state();
    round_reset();
    gfx::cancel_transition();
    use_recorded_start(1000, 0);
    round_setup(false);
    gfx::set_scroll(0);  // as the first frame does
    // These tests look at the round's own rules: no scenery target, and no chicken unless a
    // test asks for one.
    enemy_clear();
    round.spawn_timer = no_spawn;
    for (const SoundFile& s : sounds) sound::stop_sound(s.number);
  }

  // One frame as the main loop runs it: the frame, then the clock runs down.
  static RoundOutcome frame(const FrameInput& in = {}) {
    const RoundOutcome outcome = round_frame(in);
    app::round_time -= app::frame_time;
    return outcome;
  }
  static FrameInput click_at(int x, int y) {
    FrameInput in;
    in.cursor_x = x;
    in.cursor_y = y;
    in.click = true;
    return in;
  }
  static FrameInput right_click() {
    FrameInput in;
    in.cursor_x = 400;
    in.cursor_y = 300;
    in.right_click = true;
    return in;
  }

  static int events_with(int code) {
    int n = 0;
    for (int i = 0; i < event_count(); ++i) n += event_at(i).code == code;
    return n;
  }
  static int live_particles() {
    return static_cast<int>(std::count_if(std::begin(particles), std::end(particles),
                                          [](const Particle& p) { return p.flags != 0; }));
  }
  static Enemy* first_of(int kind) { return enemy_next_of_kind(kind); }
};

TEST_F(Round, SetUpByEditionAndScene) {
  struct Case {
    int edition, scene;
    bool penalty;
    std::int32_t round_time;
    int magazine, spawn_range;
  };
  for (const Case c : {Case{app::edition_xs, 1, false, 3997630, 8, 10},
                       Case{app::edition_xl, 1, false, 5963710, 8, 30},
                       Case{app::edition_xxl, 1, true, 5963710, 2, 30},
                       Case{app::edition_xs, 2, false, 131006, 8, 10},
                       Case{app::edition_xl, 2, false, 131006, 8, 30},
                       Case{app::edition_xxl, 2, false, 3014590, 8, 30}}) {
    app::edition = c.edition;
    app::scene = c.scene;
    app::highscore_penalty = c.penalty;
    set_score(120);
    record_score_change(7);
    app::frame_time = 3000;
    ASSERT_NE(enemy_alloc(kind_scenery), nullptr);
    particle_burst(100, 100, 3.14, 1, 0);
    hit_times[1][5] = 1;
    round.megagun_state = 4;
    round.gate_open = true;
    const std::int32_t accumulator_before = score_accumulator(0);
    round_setup(false);
    const std::string at = "edition " + std::to_string(c.edition) + " scene " + std::to_string(c.scene);
    EXPECT_EQ(app::round_time, c.round_time) << at;
    EXPECT_EQ(round_time_at_setup(c.edition, c.scene), c.round_time) << at;
    EXPECT_EQ(app::frame_time, 1092) << at;
    EXPECT_EQ(players[0].cartridges, c.magazine) << at;
    EXPECT_EQ(players[0].magazine_size, c.magazine) << at;
    EXPECT_EQ(round.spawn_range, c.spawn_range) << at;
    EXPECT_GE(round.spawn_timer, second / 2) << at;
    EXPECT_LE(round.spawn_timer, 14 * second / 10) << at;
    EXPECT_EQ(round.shown_time, 0) << at;
    EXPECT_EQ(round.megagun_state, 0) << at;
    EXPECT_FALSE(round.gate_open) << at;
    // Only the scene's targets: no chicken yet, nothing else left over.
    EXPECT_EQ(round.live_chickens, 0) << at;
    for (const Enemy& e : enemies) {
      if (!e.flags) continue;
      EXPECT_TRUE(e.kind != kind_flying_chicken && e.kind != kind_ground_chicken &&
                  e.kind != kind_score_popup && e.kind != kind_shell)
          << at << ": kind " << e.kind;
    }
    EXPECT_EQ(live_particles(), 0) << at;
    EXPECT_EQ(hit_times[1][5], empty_ring) << at;
    // The first scene starts the score and its accumulators afresh; the second keeps them.
    EXPECT_EQ(score(), c.scene == 1 ? 0 : 120) << at;
    EXPECT_EQ(score_accumulator(0), c.scene == 1 ? 37 : accumulator_before) << at;
    if (c.scene == 1) {
      EXPECT_EQ(score_accumulator(1), 4555) << at;
      EXPECT_EQ(score_accumulator(2), 434) << at;
    }
  }
}

TEST_F(Round, ClickWithAnEmptyGunHitsNothingAndCountsAnEmptyClick) {
  // (740, 240) lies on the metal of ricochet rectangle 0 while the view stands at 0.
  players[0].cartridges = 0;
  frame(click_at(740, 240));
  EXPECT_EQ(live_particles(), 0);
  EXPECT_EQ(empty_clicks_counted(), 1);
  EXPECT_EQ(shots_counted(), 0);
  EXPECT_EQ(players[0].cartridges, 0);
  EXPECT_TRUE(playing(sound::sound_empty_magazine));
  EXPECT_FALSE(playing(sound::sound_gunblast));
  EXPECT_EQ(first_of(kind_shell), nullptr);

  // With cartridges the same click ricochets, takes one and ejects its shell.
  frame(click_at(740, 240));
  frame(right_click());
  sound::stop_sound(sound::sound_empty_magazine);
  frame(click_at(740, 240));
  EXPECT_EQ(live_particles(), 20);
  EXPECT_EQ(shots_counted(), 1);
  EXPECT_EQ(empty_clicks_counted(), 2);
  EXPECT_EQ(players[0].cartridges, 7);
  EXPECT_TRUE(playing(sound::sound_gunblast));
  EXPECT_FALSE(playing(sound::sound_empty_magazine));
  Enemy* shell = first_of(kind_shell);
  ASSERT_NE(shell, nullptr);
  EXPECT_EQ(shell->x, (744 - 24 * 8) << 16);
  EXPECT_EQ(shell->y, 520 << 16);
  EXPECT_EQ(shell->vx, 3 * second);
  EXPECT_EQ(shell->vy, -5 * second);

  // The shell flies right, falling, until it has passed x 800.
  std::int32_t last_x = shell->x;
  int frames = 0;
  while (shell->flags && frames < 400) {
    last_x = shell->x;
    frame();
    ++frames;
  }
  EXPECT_EQ(shell->flags, 0);
  EXPECT_LE(last_x >> 16, 800);
  EXPECT_GT(last_x >> 16, 700);
}

TEST_F(Round, EarlyReloadCostsFivePointsAndIsRecordedOnlyAboveZero) {
  struct Case {
    std::int32_t score;
    int cartridges;
    std::int32_t after;
    bool event;
  };
  for (const Case c : {Case{100, 8, 95, true}, Case{100, 3, 95, true}, Case{3, 8, 0, true},
                       Case{0, 8, 0, false}, Case{100, 0, 100, false}}) {
    SetUp();
    set_score(c.score);
    players[0].cartridges = c.cartridges;
    frame(right_click());
    const std::string at = "score " + std::to_string(c.score) + " cartridges " +
                           std::to_string(c.cartridges);
    EXPECT_EQ(score(), c.after) << at;
    EXPECT_EQ(events_with(50001), c.event ? 1 : 0) << at;
    EXPECT_EQ(players[0].cartridges, 8) << at;
    EXPECT_EQ(reloads_counted(), 1) << at;
    EXPECT_TRUE(playing(sound::sound_gun_reload)) << at;
  }
  // The ready and the firing megagun keep the magazine as it is.
  for (int state : {1, 2}) {
    SetUp();
    round.megagun_state = state;
    players[0].cartridges = 0;
    set_score(100);
    frame(right_click());
    EXPECT_EQ(players[0].cartridges, 0) << "megagun state " << state;
    EXPECT_EQ(score(), 100) << "megagun state " << state;
    EXPECT_EQ(reloads_counted(), 0) << "megagun state " << state;
  }
}

TEST_F(Round, MultiHitBonusCountsTheHitsOfTheLastMoments) {
  // Ages of the hits in the ring (newest first) and what they earn.
  struct Case {
    std::vector<std::int32_t> ages;
    int points;
  };
  const std::int32_t ripe = 104857, window = 117964;
  const Case cases[] = {
      {{6553, 30000, ripe - 1}, 0},
      {{6553, 30000, ripe}, 5},
      {{6553, ripe}, 0},
      {{6553, 30000, window}, 5},
      {{6553, 30000, window + 1}, 0},
      {{6553, 30000, ripe, window + 1}, 5},
      {{0, 6553, 30000, ripe}, 10},
      {{0, 0, 6553, 30000, ripe}, 15},
      {{0, 0, 0, 6553, 30000, ripe}, 20},
      {{0, 0, 0, 0, 0, 6553, 30000, ripe + 100}, 20},
  };
  for (const Case& c : cases) {
    SetUp();
    app::round_time = 40 * second;
    for (std::size_t i = 0; i < c.ages.size(); ++i)
      hit_times[0][i] = app::round_time + c.ages[i];
    multi_hit_check();
    const int counting = static_cast<int>(std::count_if(
        c.ages.begin(), c.ages.end(), [&](std::int32_t a) { return a <= window; }));
    const std::string at = std::to_string(c.ages.size()) + " hits, oldest " +
                           std::to_string(c.ages.back());
    EXPECT_EQ(score(), c.points) << at;
    Enemy* text = first_of(kind_bonus_text);
    if (c.points == 0) {
      EXPECT_EQ(text, nullptr) << at;
      EXPECT_EQ(hit_times[0][0], app::round_time + c.ages[0]) << at;
      continue;
    }
    const int n = std::min(counting, 6);
    EXPECT_EQ(c.points, 5 * n - 10) << at;
    EXPECT_EQ(events_with(50000 + n), 1) << at;
    ASSERT_NE(text, nullptr) << at;
    EXPECT_EQ(std::u16string(text->text), std::u16string(text::get_text(n - 2))) << at;
    EXPECT_EQ(text->flags & (f_blink | f_screen_fixed), f_blink | f_screen_fixed) << at;
    EXPECT_EQ(text->y, 70 << 16) << at;
    EXPECT_EQ(text->timer, 2 * second) << at;
    for (const auto& ring : hit_times)
      EXPECT_TRUE(std::all_of(std::begin(ring), std::end(ring),
                              [](std::int32_t t) { return t == empty_ring; }))
          << at;
  }
}

TEST_F(Round, ThreeQuickHitsPayOnlyOnceTheOldestIsOldEnough) {
  app::round_time = 40 * second;
  const std::int32_t first_hit = app::round_time + second;
  hit_times[0][0] = app::round_time;
  hit_times[0][1] = app::round_time + second / 2;
  hit_times[0][2] = first_hit;
  std::int32_t age_before = 0;
  int frames = 0;
  while (score() == 0 && frames < 100) {
    age_before = first_hit - app::round_time;
    frame();
    ++frames;
  }
  ASSERT_EQ(score(), 5);
  EXPECT_GE(age_before, 104857);
  EXPECT_LT(age_before - app::frame_time, 104857);
  EXPECT_EQ(events_with(50003), 1);
  ASSERT_NE(first_of(kind_bonus_text), nullptr);
  EXPECT_EQ(std::u16string(first_of(kind_bonus_text)->text), std::u16string(text::get_text(1)));

  // While the megagun fires the check does not run.
  SetUp();
  round.megagun_state = 2;
  app::round_time = 40 * second;
  for (int i = 0; i < 3; ++i) hit_times[0][i] = app::round_time + 104857 + 1000 * i;
  frame();
  EXPECT_EQ(score(), 0);
  EXPECT_EQ(first_of(kind_bonus_text), nullptr);
}

TEST_F(Round, BonusTextsStackDownwards) {
  const char16_t* word = u"Bonus";
  for (int y : {70, 100, 130}) {
    bonus_text(word);
    int cursor = 0;
    Enemy* newest = nullptr;
    while (Enemy* e = enemy_next_of_kind(kind_bonus_text, &cursor)) newest = e;
    ASSERT_NE(newest, nullptr);
    EXPECT_EQ(newest->y, y << 16);
    EXPECT_EQ(newest->x, (400 - text::text_width(word) / 2) << 16);
  }
}

// Which of the next frames draw anything: 'x' drawn, '.' not.
std::string drawn_frames(int frames) {
  std::string pattern;
  for (int f = 0; f < frames; ++f) {
    gfx::clear_draw_list();
    update_enemies();
    pattern += gfx::draw_list_count() ? 'x' : '.';
  }
  return pattern;
}

TEST_F(Round, BonusTextBlinksEightFramesHiddenElevenShown) {
  ASSERT_GT(text::text_width(u"Bonus"), 0) << "the font is loaded";
  bonus_text(u"Bonus");
  const std::string cycle = std::string(8, '.') + std::string(11, 'x');
  EXPECT_EQ(drawn_frames(3 * 19), cycle + cycle + cycle);
  // It stays still and is gone after 2 s.
  Enemy* text = first_of(kind_bonus_text);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->y, 70 << 16);
  const int left = (2 * second - 3 * 19 * 1092 + 1091) / 1092;
  drawn_frames(left);
  EXPECT_EQ(text->flags, 0);
}

TEST_F(Round, ScorePopupRisesAndIsGoneAfterHalfASecond) {
  Enemy* target = enemy_alloc(kind_scenery);
  ASSERT_NE(target, nullptr);
  set_pos(*target, 300 << 16, 200 << 16);
  set_anim(*target, spr_chicken + 1, 0);
  score_popup(*target, 10, 0, 0);
  Enemy* popup = first_of(kind_score_popup);
  ASSERT_NE(popup, nullptr);
  const std::int32_t y = popup->y;
  // Shown every frame while its 0.5 s last.
  const int frames = (second / 2 + 1091) / 1092;
  EXPECT_EQ(drawn_frames(frames), std::string(static_cast<std::size_t>(frames - 1), 'x') + ".");
  EXPECT_EQ(popup->flags, 0);
  EXPECT_LT(popup->y, y - 12 * second);
}

TEST_F(Round, TextsLongerThanSixtyThreeUnitsAreCutAndLogged) {
  struct Case {
    int length;
    bool logged;
  };
  for (const Case c : {Case{63, false}, Case{64, true}, Case{90, true}}) {
    SetUp();
    gfxtest::reset_log();
    const std::u16string text(static_cast<std::size_t>(c.length), u'7');
    bonus_text(text.c_str());
    Enemy* shown = first_of(kind_bonus_text);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(std::u16string(shown->text), text.substr(0, 63)) << c.length;
    const std::string line = "***ERROR: String too long: " + std::string(text.begin(), text.end()) + "\n";
    EXPECT_EQ(gfxtest::read_log(), c.logged ? line : "") << c.length;
  }
}

TEST_F(Round, ShakeMovesThePictureWithinItsAmplitudeUntilItsTimeRunsOut) {
  constexpr std::int32_t speeds[4] = {37700, 27100, 34200, 41300};
  constexpr std::int32_t starts[4] = {0, 5, 3, 2};
  shake(20000);
  EXPECT_EQ(round.shake_time, 20000);
  int frames = 0;
  while (round.shake_time > 0 && frames < 100) {
    const double amplitude = (round.shake_time + 9830) * 0.00052;
    ++frames;
    shake_step();
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(round.shake_phase[i], starts[i] + frames * (1092 * speeds[i] / 65536)) << i;
    if (round.shake_time > 0) {
      EXPECT_LE(std::abs(gfx::shake_x), amplitude);
      EXPECT_LE(std::abs(gfx::shake_y), amplitude);
    }
  }
  EXPECT_EQ(frames, (20000 + 1091) / 1092);
  EXPECT_EQ(round.shake_time, 0);
  EXPECT_EQ(gfx::shake_x, 0);
  EXPECT_EQ(gfx::shake_y, 0);
  // The offsets really moved the picture on the way.
  shake(20000);
  bool moved = false;
  for (int f = 0; f < 10; ++f) {
    shake_step();
    moved |= gfx::shake_x != 0 || gfx::shake_y != 0;
  }
  EXPECT_TRUE(moved);
}

TEST_F(Round, TimeDisplayNeverShowsANegativeTime) {
  struct Case {
    std::int32_t round_time, shown;
  };
  for (const Case c : {Case{75 * second + 100, 75 * second + 100}, Case{1, 1}, Case{0, 0},
                       Case{-500, 0}, Case{-3 * second, 0}}) {
    SetUp();
    app::round_time = c.round_time;
    round_frame(FrameInput{});
    EXPECT_EQ(round.shown_time, c.shown) << c.round_time;
    EXPECT_EQ(text::last_round_time_shown, c.shown) << c.round_time;
  }
}

TEST_F(Round, CountdownTicksOnceASecondInTheLastTenSeconds) {
  app::round_time = 13 * second + 500;
  round.previous_whole_seconds = app::round_time >> 16;
  std::vector<int> ticks;
  while (app::round_time >= 7 * second) {
    sound::stop_sound(sound::sound_time_running);
    const int whole = app::round_time >> 16;
    frame();
    if (playing(sound::sound_time_running)) ticks.push_back(whole);
  }
  EXPECT_EQ(ticks, (std::vector<int>{10, 9, 8, 7}));
}

TEST_F(Round, ScrollingSpeedsUpBrakesAndStaysInTheLayer) {
  const std::int32_t dt = 1092, accel = 2500 * dt, brake = 1500 * dt, max_speed = 400 * second;
  const std::int32_t start = 1000 * second;
  ASSERT_GT(gfx::layers[1].width, 2000);
  struct Case {
    int cursor_x;
    bool left, right;
    std::int32_t speed_before;
    int factor;
    std::int32_t speed;
  };
  const Case cases[] = {
      {0, true, false, 0, 2, -accel},
      {0, false, false, 0, 1, -accel},
      {0, false, true, 0, 1, -accel},  // the edge wins over the other side's arrow
      {400, true, false, 0, 1, -accel},
      {799, false, true, 0, 2, accel},
      {799, false, false, 0, 1, accel},
      {400, false, true, 0, 1, accel},
      {0, false, false, 100 * second, 1, -accel},  // turning round starts from rest
      {799, false, false, -100 * second, 1, accel},
      {0, true, false, -100 * second, 2, -100 * second - accel},
      {0, true, false, -max_speed + 1000, 2, -max_speed},
      {799, false, true, max_speed, 2, max_speed},
      {400, false, false, -100 * second, 1, -100 * second + brake},
      {400, false, false, 100 * second, 1, 100 * second - brake},
      {400, false, false, -brake / 2, 1, 0},
      {400, false, false, brake / 2, 1, 0},
  };
  for (const Case& c : cases) {
    round.scroll = start;
    round.scroll_speed = c.speed_before;
    round.scroll_factor = 1;
    FrameInput in;
    in.cursor_x = c.cursor_x;
    in.left = c.left;
    in.right = c.right;
    scroll_step(in);
    const std::string at = "cursor " + std::to_string(c.cursor_x) + (c.left ? " left" : "") +
                           (c.right ? " right" : "") + " from " + std::to_string(c.speed_before);
    EXPECT_EQ(round.scroll_factor, c.factor) << at;
    EXPECT_EQ(round.scroll_speed, c.speed) << at;
    EXPECT_EQ(round.scroll, start + static_cast<std::int32_t>(std::int64_t{c.factor} * c.speed * dt / 65536))
        << at;
  }

  // The edge with its arrow moves the view twice as far as either alone.
  auto moved = [&](int cursor_x, bool left) {
    round.scroll = start;
    round.scroll_speed = 0;
    FrameInput in;
    in.cursor_x = cursor_x;
    in.left = left;
    for (int f = 0; f < 10; ++f) scroll_step(in);
    return start - round.scroll;
  };
  const std::int32_t both = moved(0, true), edge = moved(0, false), arrow = moved(400, true);
  EXPECT_GT(edge, 0);
  EXPECT_EQ(edge, arrow);
  // Each frame's step is truncated on its own: twice the speed may gain a unit a frame.
  EXPECT_NEAR(both, 2 * edge, 10);

  // The view stops at both ends of layer 1.
  const std::int32_t right_end = (gfx::layers[1].width - 800) * second;
  struct End {
    int cursor_x;
    std::int32_t from, to;
  };
  for (const End e : {End{799, right_end - 100, right_end}, End{799, right_end, right_end},
                      End{0, 100, 0}, End{0, 0, 0}}) {
    round.scroll = e.from;
    round.scroll_speed = e.cursor_x == 0 ? -max_speed : max_speed;
    FrameInput in;
    in.cursor_x = e.cursor_x;
    scroll_step(in);
    EXPECT_EQ(round.scroll, e.to) << e.cursor_x << " from " << e.from;
  }
}

TEST_F(Round, SpawnStepPicksChickensByEditionAndScene) {
  struct Case {
    int edition, scene;
    bool middle_size, side_runners, field_runners;
  };
  for (const Case c : {Case{app::edition_xs, 1, false, false, true},
                       Case{app::edition_xl, 1, true, true, true},
                       Case{app::edition_xxl, 2, false, false, false}}) {
    app::edition = c.edition;
    app::scene = c.scene;
    round_setup(false);
    gfx::set_scroll(0);
    res::random_seed(11);
    int sizes[5] = {}, side = 0, field = 0, spawns = 0;
    bool only_small_far = true;
    for (int tick = 0; tick < 3000; ++tick) {
      enemy_clear();  // without the scene's targets, everything left is a spawn
      round.live_chickens = 0;
      round.spawn_timer = 0;
      spawn_step();
      // The next attempt comes 0.2 s .. (range + 1) / 10 s later.
      ASSERT_GE(round.spawn_timer, (2 << 16) / 10);
      ASSERT_LE(round.spawn_timer, ((round.spawn_range + 1) << 16) / 10);
      for (Enemy& e : enemies) {
        if (!e.flags) continue;
        ++spawns;
        if (e.kind == kind_flying_chicken) ++sizes[e.scale];
        if (e.update == &side_runner_update) ++side;
        if (e.update == &field_runner_update) ++field;
        only_small_far &= e.kind == kind_flying_chicken && e.scale == 4 && e.depth == 2;
      }
      enemy_clear();
    }
    const std::string at = "edition " + std::to_string(c.edition) + " scene " + std::to_string(c.scene);
    EXPECT_GT(spawns, 0) << at;
    EXPECT_EQ(sizes[3] > 0, c.middle_size) << at;
    EXPECT_EQ(side > 0, c.side_runners) << at;
    EXPECT_EQ(field > 0, c.field_runners) << at;
    EXPECT_EQ(only_small_far, c.scene == 2) << at;
    if (c.scene == 1) {
      EXPECT_GT(sizes[1], 0) << at;
      EXPECT_GT(sizes[2], 0) << at;
      EXPECT_GT(sizes[4], 0) << at;
    }
  }
}

TEST_F(Round, ManyLiveChickensShortenTheSpawnInterval) {
  struct Case {
    int edition, scene, live, range_before, range_after;
  };
  for (const Case c : {Case{app::edition_xl, 1, 7, 30, 9}, Case{app::edition_xl, 1, 6, 30, 30},
                       Case{app::edition_xxl, 1, 7, 30, 9}, Case{app::edition_xs, 1, 7, 10, 10},
                       Case{app::edition_xxl, 2, 3, 30, 9}, Case{app::edition_xxl, 2, 2, 30, 30}}) {
    app::edition = c.edition;
    app::scene = c.scene;
    round.spawn_range = c.range_before;
    round.live_chickens = c.live;
    round.spawn_timer = no_spawn;
    spawn_step();
    EXPECT_EQ(round.spawn_range, c.range_after)
        << "edition " << c.edition << " scene " << c.scene << " live " << c.live;
  }
}

TEST_F(Round, AddPointsHoldsTheScoreAtZeroAndCountsTheRealChange) {
  struct Case {
    std::int32_t before, points, after, change;
  };
  for (const Case c : {Case{10, 5, 15, 5}, Case{10, -5, 5, -5}, Case{3, -5, 0, -3},
                       Case{0, -25, 0, 0}, Case{0, 0, 0, 0}}) {
    set_score(c.before);
    reset_score_accumulators();
    EXPECT_EQ(add_points(c.points), c.points);
    EXPECT_EQ(score(), c.after) << c.before << " + " << c.points;
    EXPECT_EQ(score_accumulator(0), 37 + 3 * c.change) << c.before << " + " << c.points;
    EXPECT_EQ(score_accumulator(1), 4555 - 2 * c.change) << c.before << " + " << c.points;
    EXPECT_EQ(score_accumulator(2), 434 + 5 * c.change) << c.before << " + " << c.points;
  }
}

TEST_F(Round, ScorePopupHalvesPointsUnderThePenalty) {
  struct Case {
    bool penalty;
    std::int32_t points, added;
    const char16_t* shown;
  };
  for (const Case c : {Case{false, 25, 25, u"25"}, Case{true, 25, 12, u"12"},
                       Case{true, 1, 1, u"1"}, Case{true, -5, -5, u"-5"}}) {
    SetUp();
    set_score(50);
    app::highscore_penalty = c.penalty;
    Enemy* target = enemy_alloc(kind_scenery);
    ASSERT_NE(target, nullptr);
    set_depth(*target, 2);
    set_pos(*target, 300 << 16, 200 << 16);
    set_anim(*target, spr_chicken + 1, 0);
    score_popup(*target, c.points, 4, -6);
    EXPECT_EQ(score(), 50 + c.added) << c.points;
    Enemy* popup = first_of(kind_score_popup);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(std::u16string(popup->text), std::u16string(c.shown)) << c.points;
    int cx, cy;
    gfx::frame_centre(spr_chicken + 1, 0, cx, cy);
    EXPECT_EQ(popup->x >> 16, 300 + cx + 4 - text::text_width(popup->text) / 2);
    EXPECT_EQ(popup->y >> 16, 200 + cy - 6);
    EXPECT_EQ(popup->depth, 2);
    EXPECT_EQ(popup->timer, second / 2);
  }
}

TEST_F(Round, ScorePopupStandsAtTheCentreOfTheShownFrame) {
  struct Case {
    int anim;
    std::uint16_t flags;
    int scale, centre_sprite, divisor;
  };
  for (const Case c : {Case{spr_chicken + 1, 0, 2, spr_chicken + 1, 1},
                       Case{spr_run_normal, 0, 0, spr_run_normal + 1, 1},
                       Case{spr_start_normal, 0, 0, spr_start_normal + 1, 1},
                       Case{spr_heart, 0, 0, spr_heart + 1, 1},
                       Case{spr_chicken, f_scaled, 2, spr_chicken, 2},
                       Case{spr_chicken, f_scaled, 3, spr_chicken, 4},
                       Case{spr_chicken, f_scaled, 4, spr_chicken, 8}}) {
    SetUp();
    Enemy* target = enemy_alloc(kind_scenery);
    ASSERT_NE(target, nullptr);
    target->flags |= c.flags;
    target->scale = static_cast<std::int16_t>(c.scale);
    set_pos(*target, 300 << 16, 200 << 16);
    set_anim(*target, c.anim, 1);
    score_popup(*target, 10, 0, 0);
    Enemy* popup = first_of(kind_score_popup);
    ASSERT_NE(popup, nullptr);
    int cx, cy;
    gfx::frame_centre(c.centre_sprite, 1, cx, cy);
    ASSERT_GT(cx, 0) << c.centre_sprite;
    EXPECT_EQ(popup->x >> 16, 300 + cx / c.divisor - text::text_width(popup->text) / 2) << c.anim;
    EXPECT_EQ(popup->y >> 16, 200 + cy / c.divisor) << c.anim;
  }
}

// Plays a memory editor: every copy of value in the program's data becomes replacement.
int overwrite_in_data(std::int32_t value, std::int32_t replacement) {
  int copies = 0;
  auto at = reinterpret_cast<std::uintptr_t>(__data_start);
  at = (at + 3) & ~std::uintptr_t{3};
  for (; at + 4 <= reinterpret_cast<std::uintptr_t>(_end); at += 4) {
    std::int32_t v;
    std::memcpy(&v, reinterpret_cast<const void*>(at), 4);
    if (v != value) continue;
    std::memcpy(reinterpret_cast<void*>(at), &replacement, 4);
    ++copies;
  }
  return copies;
}

TEST_F(Round, ScoreChangedBehindTheGuardEndsTheProgram) {
#if defined(__SANITIZE_ADDRESS__)
  // Writing over every matching word of the data segment would also hit the address
  // sanitizer's own bookkeeping of globals; the release build runs this test.
  GTEST_SKIP() << "not with the address sanitizer";
#endif
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  constexpr std::int32_t odd_score = 0x2B5C6E1;
  gfxtest::reset_log();
  EXPECT_EXIT(
      {
        set_score(odd_score);
        if (overwrite_in_data(odd_score, odd_score + 1000) == 0) std::exit(3);
        round_frame(FrameInput{});
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "");
  EXPECT_NE(gfxtest::read_log().find("The score was changed from outside the game"),
            std::string::npos);
}

TEST(ScoreGuard, AgreesWithTheScoreBeforeAnyRound) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // A fresh process has set no score yet: it reads 0 and the guard agrees.
  EXPECT_EXIT(
      {
        res::debug_log_set_path(gfxtest::log_path().c_str());
        std::exit(score() == 0 ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(Round, MegagunSlidesInFiresForTwoPointSixSecondsAndLeaves) {
  set_score(0);
  spawn_megagun();
  ASSERT_TRUE(round.megagun_present);
  ASSERT_NE(first_of(kind_megagun), nullptr);
  EXPECT_EQ(round.megagun_state, 0);

  int frames = 0;
  while (round.megagun_state == 0 && frames < 2000) {
    frame();
    ++frames;
  }
  ASSERT_EQ(round.megagun_state, 1);
  EXPECT_EQ(players[0].cartridges, 0);
  EXPECT_EQ(round.megagun_height, 78848);

  // A chicken in the middle of the view; the click fires instead of shooting it.
  Enemy* chicken = spawn_flying(4);
  ASSERT_NE(chicken, nullptr);
  chicken->x = 300 << 16;
  chicken->y = 150 << 16;
  chicken->vx = chicken->vy = 0;
  chicken->timer2 = 100 * second;
  const int x = screen_x(*chicken) + 5, y = (chicken->y >> 16) + 5;
  frame(click_at(x, y));
  EXPECT_EQ(round.megagun_state, 2);
  EXPECT_EQ(chicken->state, 1);
  EXPECT_EQ(score(), 25);
  EXPECT_EQ(events_with(45), 1);
  EXPECT_TRUE(playing(sound::sound_megablast));
  EXPECT_NE(first_of(kind_score_popup), nullptr);
  EXPECT_EQ(shots_counted(), 0);
  EXPECT_EQ(empty_clicks_counted(), 0);

  // Firing: the first 0.1 s countdown runs out in the next frame; the kill does not count
  // towards the multi-hit bonus. Clicks do nothing and a new shake is ignored.
  frame(click_at(740, 240));
  EXPECT_EQ(chicken->state, 3);
  EXPECT_EQ(score(), 25 + chicken_sizes[4].points);
  EXPECT_EQ(hit_times[0][0], empty_ring);
  EXPECT_EQ(live_particles(), 0);
  EXPECT_EQ(shots_counted(), 0);
  shake(second);
  EXPECT_EQ(round.shake_time, 0);
  int firing_frames = 1;
  bool shook = false;
  while (round.megagun_state == 2 && firing_frames < 400) {
    frame();
    shook |= gfx::shake_x != 0 || gfx::shake_y != 0;
    ++firing_frames;
  }
  ASSERT_EQ(round.megagun_state, 3);
  EXPECT_TRUE(shook);
  EXPECT_EQ(gfx::shake_x, 0);
  EXPECT_EQ(gfx::shake_y, 0);
  // The firing frames: the first whose elapsed time passes 2.6 s ends it.
  EXPECT_EQ(firing_frames, 170392 / 1092 + 1);

  frames = 0;
  while (round.megagun_state == 3 && frames < 2000) {
    frame();
    ++frames;
  }
  EXPECT_EQ(round.megagun_state, 4);
  EXPECT_FALSE(round.megagun_present);
  EXPECT_EQ(first_of(kind_megagun), nullptr);
  // Gone: the right button reloads again.
  frame(right_click());
  EXPECT_EQ(players[0].cartridges, 8);
}

TEST_F(Round, TheClickThatMeetsTheArrivingMegagunLeavesChickensAlone) {
  // How many frames the megagun takes to come down.
  set_score(0);
  spawn_megagun();
  int descent = 0;
  while (round.megagun_state == 0 && descent < 2000) {
    frame();
    ++descent;
  }
  ASSERT_EQ(round.megagun_state, 1);

  // Again, with a chicken whose front strip the click of the arrival frame lies in: the gun is
  // empty by the time the chickens look for a pending shot, so it neither turns nor panics.
  SetUp();
  set_score(0);
  spawn_megagun();
  for (int i = 1; i < descent; ++i) frame();
  ASSERT_EQ(round.megagun_state, 0);
  ASSERT_EQ(players[0].cartridges, 8);
  Enemy* chicken = spawn_flying(2);
  ASSERT_NE(chicken, nullptr);
  chicken->x = 300 << 16;
  chicken->y = 150 << 16;
  chicken->flags &= static_cast<std::uint16_t>(~(f_mirrored | f_blink));  // flying left
  chicken->vx = chicken->vy = 0;
  chicken->timer2 = 100 * second;
  const gfx::FrameRect r = gfx::frame_rect(sprite_row(*chicken), 0);
  frame(click_at(screen_x(*chicken) + r.left - 10, (chicken->y >> 16) + r.top + r.height / 2));
  EXPECT_EQ(round.megagun_state, 2) << "the click fires the megagun";
  EXPECT_EQ(chicken->data1, 0) << "turned by a shot from an empty gun";
  EXPECT_EQ(chicken->flags & f_blink, 0);
  EXPECT_EQ(chicken->counter, 0) << "panicked by a shot from an empty gun";
}

TEST_F(Round, EndOfRoundGoesOnToTheSecondSceneOnlyInXxlWithGateSignAndPoints) {
  struct Case {
    int edition, scene;
    bool gate, sign;
    std::int32_t score;
    RoundOutcome outcome;
  };
  const Case cases[] = {
      {app::edition_xxl, 1, true, true, 900, RoundOutcome::scene_switched},
      {app::edition_xxl, 1, true, true, 5000, RoundOutcome::scene_switched},
      {app::edition_xxl, 1, true, true, 899, RoundOutcome::game_over},
      {app::edition_xxl, 1, false, true, 1000, RoundOutcome::game_over},
      {app::edition_xxl, 1, true, false, 1000, RoundOutcome::game_over},
      {app::edition_xxl, 2, true, true, 1000, RoundOutcome::game_over},
      {app::edition_xl, 1, true, true, 1000, RoundOutcome::game_over},
      {app::edition_xs, 1, true, true, 1000, RoundOutcome::game_over},
  };
  for (const Case& c : cases) {
    app::edition = c.edition;
    app::scene = c.scene;
    round_setup(false);
    round.spawn_timer = no_spawn;
    set_score(c.score);
    round.gate_open = c.gate;
    round.sign_turned = c.sign;
    players[0].cartridges = 3;
    app::round_time = 0;
    const std::string at = "edition " + std::to_string(c.edition) + " scene " +
                           std::to_string(c.scene) + (c.gate ? " gate" : "") +
                           (c.sign ? " sign" : "") + " score " + std::to_string(c.score);
    EXPECT_EQ(round_frame(FrameInput{}), c.outcome) << at;
    EXPECT_EQ(score(), c.score) << at;
    if (c.outcome == RoundOutcome::scene_switched) {
      EXPECT_EQ(app::scene, 2) << at;
      EXPECT_EQ(app::round_time, 3014590) << at;
      EXPECT_EQ(events_with(50002), 1) << at;
      EXPECT_EQ(players[0].cartridges, 8) << at;
      EXPECT_FALSE(round.gate_open) << at;
      EXPECT_TRUE(gfx::transition_running()) << at;
      // The second scene runs on from there.
      app::round_time -= app::frame_time;
      EXPECT_EQ(round_frame(FrameInput{}), RoundOutcome::running) << at;
    } else {
      EXPECT_EQ(app::scene, 1) << at;
      EXPECT_EQ(events_with(50002), 0) << at;
      EXPECT_NE(std::strlen(replay_text()), 0u) << at;
    }
    gfx::cancel_transition();
  }
}

TEST_F(Round, ElapsedHundredthsRunOnAcrossTheSceneSwitchUntil9999) {
  app::edition = app::edition_xxl;
  set_score(950);
  round.gate_open = round.sign_turned = true;
  app::round_time = second / 2;  // the first scene's last half second
  int frames = 0;
  std::int32_t last = 0;
  while (app::scene == 1 && frames++ < 100) {
    ASSERT_NE(frame(), RoundOutcome::game_over);
    if (app::scene == 1) last = elapsed_hundredths;
  }
  ASSERT_EQ(app::scene, 2);
  ASSERT_GE(last, 9100);
  round.spawn_timer = no_spawn;

  // The second scene goes on counting from where the first stopped, then runs past 9200.
  int first_9999 = -1;
  for (int i = 0; i < 120 && first_9999 < 0; ++i) {
    frame();
    if (elapsed_hundredths == 9999) {
      first_9999 = i;
    } else {
      ASSERT_GE(elapsed_hundredths, last) << "frame " << i << " of the second scene";
      ASSERT_LE(elapsed_hundredths, 9200);
      last = elapsed_hundredths;
    }
  }
  ASSERT_GT(first_9999, 0) << "the second scene's elapsed count never passed 9200";
  EXPECT_GE(last, 9195);
  record_event(24);
  EXPECT_EQ(event_at(event_count() - 1).value, 9999);
  gfx::cancel_transition();
}

TEST_F(Round, XxlJinglePlaysWhenTheScoreReachesNineHundred) {
  struct Case {
    int edition, scene;
    std::int32_t score;
    bool jingle;
  };
  for (const Case c : {Case{app::edition_xxl, 1, 900, true}, Case{app::edition_xxl, 1, 899, false},
                       Case{app::edition_xl, 1, 900, false}, Case{app::edition_xxl, 2, 900, false}}) {
    app::edition = c.edition;
    app::scene = c.scene;
    round_setup(false);
    round.spawn_timer = no_spawn;
    sound::stop_sound(sound::sound_level2_score);
    set_score(c.score);
    frame();
    EXPECT_EQ(round.level2_jingle, c.jingle) << c.edition << " " << c.scene << " " << c.score;
    EXPECT_EQ(playing(sound::sound_level2_score), c.jingle);
  }
  // Dipping below 900 and coming back plays it again.
  app::edition = app::edition_xxl;
  app::scene = 1;
  round_setup(false);
  round.spawn_timer = no_spawn;
  set_score(900);
  frame();
  sound::stop_sound(sound::sound_level2_score);
  frame();
  EXPECT_FALSE(playing(sound::sound_level2_score));
  set_score(895);
  frame();
  EXPECT_FALSE(round.level2_jingle);
  set_score(900);
  frame();
  EXPECT_TRUE(playing(sound::sound_level2_score));
}

}  // namespace
