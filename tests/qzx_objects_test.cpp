// SPDX-License-Identifier: GPL-3.0-or-later
// The object slots on the real sprites and layers of the XL archive: allocation and its limit,
// the animation driver, the per-frame pass, the shot resolution with its depth order, shielding
// and pixel test, and the miss handler's ricochets.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
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
#include "game/resources/random.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

using namespace qzx;

namespace {

constexpr std::int32_t empty_ring = 65536000;  // 1000 s: no hit
constexpr int target_sprite = spr_chicken + 1;  // "chickenn", a few frames of a normal size

// The slots whose hit operation ran, in order.
std::vector<int> hits;
void note_hit(Enemy& e) { hits.push_back(enemy_index(e)); }

// The slots whose update ran, in order.
std::vector<int> updates;
void note_update(Enemy& e) { updates.push_back(enemy_index(e)); }
void free_itself(Enemy& e) {
  note_update(e);
  enemy_free(e);
}

class Objects : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gfxtest::load_archive(app::edition_xl); }
  static void TearDownTestSuite() { gfxtest::unload_archive(); }

  void SetUp() override {
    ASSERT_GT(gfx::frame_count(target_sprite), 2) << "the sprites did not load";
    test_support::reset_app_state();
    round_reset();
    app::frame_time = 1092;
    app::round_time = 5963710;
    for (gfx::Layer& l : gfx::layers) l.offset = 0;
    record_start_at(1000, 0);
    res::random_seed(7);
    hits.clear();
    updates.clear();
  }

  // A shootable object in exactly this slot with a hit box of its own.
  static Enemy& target_in(int slot, int depth, int x, int y, int w = 40, int h = 30) {
    alloc_cursor = slot;
    Enemy* e = enemy_alloc(kind_scenery);
    EXPECT_NE(e, nullptr);
    EXPECT_EQ(enemy_index(*e), slot);
    e->flags |= f_shootable;
    set_depth(*e, depth);
    set_pos(*e, x << 16, y << 16);
    set_anim(*e, target_sprite, 0);
    set_hitbox(*e, 0, 0, w, h);
    e->on_hit = note_hit;
    return *e;
  }

  static void shoot(int x, int y) {
    round.shot_pending = true;
    round.cursor_x = x;
    round.cursor_y = y;
    resolve_shot();
    round.shot_pending = false;
  }

  static int live_particles() {
    return static_cast<int>(std::count_if(std::begin(particles), std::end(particles),
                                          [](const Particle& p) { return p.flags != 0; }));
  }

  // A screen point whose layers 0 .. layers - 1 are transparent (nothing shields an object
  // nearer than that) and that is no ricochet spot.
  static bool clear_point(int layers, int& x, int& y) {
    for (y = 20; y < 560; y += 7)
      for (x = 20; x < 740; x += 7) {
        bool clear = ricochet_rectangle(x, y) < 0;
        for (int l = 0; l < layers && clear; ++l) clear = gfx::layer_pixel(l, x, y) == 0;
        if (clear) return true;
      }
    return false;
  }

  // A screen point where layer `opaque` has a pixel and every nearer layer is transparent.
  static bool shield_point(int opaque, int& x, int& y) {
    for (y = 20; y < 560; y += 5)
      for (x = 20; x < 740; x += 5) {
        if (ricochet_rectangle(x, y) >= 0 || gfx::layer_pixel(opaque, x, y) == 0) continue;
        bool nearer_clear = true;
        for (int l = 0; l < opaque; ++l) nearer_clear &= gfx::layer_pixel(l, x, y) == 0;
        if (nearer_clear) return true;
      }
    return false;
  }
};

TEST_F(Objects, FullTableWarnsAndTheFreedSlotIsFoundEvenBeforeTheCursor) {
  for (int i = 0; i < enemy_slots; ++i) {
    Enemy* e = enemy_alloc(kind_scenery);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(enemy_index(*e), i);
  }
  EXPECT_EQ(enemy_count, enemy_slots);
  gfxtest::reset_log();
  EXPECT_EQ(enemy_alloc(kind_scenery), nullptr);
  EXPECT_EQ(gfxtest::read_log(), "***WARNING*** Not enough enemy-slots!\n");
  EXPECT_EQ(enemy_count, enemy_slots);

  // The freed slot keeps its fields until it is taken again; then it starts cleared.
  Enemy& old = enemies[17];
  old.x = 5 << 16;
  old.data0 = 9;
  old.on_hit = note_hit;
  enemy_free(old);
  EXPECT_EQ(enemy_count, enemy_slots - 1);
  EXPECT_EQ(old.data0, 9);
  ASSERT_GT(alloc_cursor, 17);
  Enemy* again = enemy_alloc(kind_flying_chicken);
  ASSERT_EQ(again, &old);
  EXPECT_EQ(alloc_cursor, 17);
  EXPECT_EQ(again->flags, f_in_use);
  EXPECT_EQ(again->kind, kind_flying_chicken);
  EXPECT_EQ(again->colour, 0x808080u);
  EXPECT_EQ(again->x, 0);
  EXPECT_EQ(again->data0, 0);
  EXPECT_EQ(again->on_hit, nullptr);
  EXPECT_EQ(enemy_alloc(kind_scenery), nullptr);

  // Freeing a flying chicken lowers the live-chicken counter, other kinds do not.
  round.live_chickens = 3;
  enemy_free(enemies[40]);
  enemy_free(*again);
  EXPECT_EQ(round.live_chickens, 2);
  EXPECT_EQ(enemy_count, enemy_slots - 2);
}

TEST_F(Objects, NextOfKindWalksTheTakenSlotsOfOneKind) {
  for (int slot : {3, 8, 12}) {
    alloc_cursor = slot;
    ASSERT_NE(enemy_alloc(kind_tree), nullptr);
  }
  alloc_cursor = 5;
  enemy_alloc(kind_scenery);
  enemy_free(enemies[8]);
  EXPECT_EQ(enemy_next_of_kind(kind_tree), &enemies[3]);
  int cursor = 0;
  std::vector<int> found;
  while (Enemy* e = enemy_next_of_kind(kind_tree, &cursor)) found.push_back(enemy_index(*e));
  EXPECT_EQ(found, (std::vector<int>{3, 12}));
}

TEST_F(Objects, SpriteRowFollowsSizeAndMirror) {
  struct Case {
    std::uint16_t flags;
    int scale, row;
  };
  for (const Case c : {Case{0, 3, 40}, Case{f_scaled, 0, 40}, Case{f_scaled, 1, 40},
                       Case{f_scaled, 2, 41}, Case{f_scaled, 3, 42}, Case{f_scaled, 4, 43},
                       Case{f_mirrored, 2, 44}, Case{f_scaled | f_mirrored, 4, 47}}) {
    Enemy e{};
    e.anim = 40;
    e.flags = static_cast<std::uint16_t>(f_in_use | c.flags);
    e.scale = static_cast<std::int16_t>(c.scale);
    EXPECT_EQ(sprite_row(e), c.row) << "flags " << c.flags << " scale " << c.scale;
  }
}

TEST_F(Objects, AnimAdvanceStepsLoopsAndHolds) {
  Enemy e{};
  e.flags = f_in_use;
  set_anim(e, target_sprite, 0);
  const int n = gfx::frame_count(target_sprite);
  // 84 per tick over a frame of 1092 (just under 1/60 s), truncated.
  const int step = 84 * 60 * 1092 / 65536;
  const int back = -84 * 60 * 1092 / 65536;
  struct Case {
    int speed, from;
    bool hold;
    int to;
    bool ended;
  };
  const Case cases[] = {
      {84, 0, false, step, false},
      {84, (n - 1) * 256, false, (n - 1) * 256 + step, false},
      {84, n * 256 - step, false, 0, true},
      {84, n * 256 - 1, true, (n - 1) * 256, true},
      {-84, 256, false, 256 + back, false},
      {-84, 10, false, (n - 1) * 256, true},
      {-84, 10, true, 0, true},
      {0, 300, false, 300, false},
  };
  for (const Case& c : cases) {
    e.anim_speed = static_cast<std::int16_t>(c.speed);
    e.frame = static_cast<std::int16_t>(c.from);
    EXPECT_EQ(anim_advance(e, c.hold), c.ended) << c.speed << " from " << c.from;
    EXPECT_EQ(e.frame, c.to) << c.speed << " from " << c.from;
  }
  EXPECT_EQ(step, 83);

  // Held: every run past the end puts the frame back to the start of the last frame and says so.
  set_anim(e, target_sprite, 0);
  int ends = 0;
  for (int f = 0; f < 200; ++f) {
    const bool ended = anim_advance(e, true);
    ASSERT_LT(e.frame, n * 256);
    if (ended) {
      ++ends;
      EXPECT_EQ(e.frame, (n - 1) * 256);
    }
    if (ends) {
      EXPECT_EQ(e.frame >> 8, n - 1);
    }
  }
  EXPECT_GT(ends, 10);

  // The frame count is the one of the row shown: the mirrored row of the half size.
  e.flags |= f_scaled | f_mirrored;
  e.scale = 2;
  const int mirrored_half = gfx::frame_count(target_sprite + 1 + 4);
  ASSERT_GT(mirrored_half, 0);
  e.anim_speed = 84;
  e.frame = static_cast<std::int16_t>(mirrored_half * 256 - 1);
  EXPECT_TRUE(anim_advance(e, true));
  EXPECT_EQ(e.frame, (mirrored_half - 1) * 256);
}

TEST_F(Objects, AnimSequencePlaysItsListToTheEnd) {
  // Frames 2, 0, 1 (entries are one more than the frame).
  static constexpr std::int16_t list[] = {3, 1, 2, -1};
  Enemy e{};
  e.flags = f_in_use;
  set_anim(e, target_sprite, 0);
  // 257 per tick over 1092 is exactly one entry a frame.
  ASSERT_EQ(257 * 60 * 1092 / 65536, 256);
  struct Case {
    int speed, from;
    bool hold;
    int to;
    bool ended;
    int shown;
  };
  const Case cases[] = {
      {257, 0, false, 256, false, 0},
      {257, 256, false, 512, false, 1},
      {257, 512, false, 0, true, 2},
      {257, 512, true, 512, true, 1},
      {771, 256, false, 0, true, 2},   // three entries at once: the end is not jumped over
      {771, 256, true, 512, true, 1},
      {-257, 512, false, 256, false, 0},
      {-257, 0, false, 512, true, 1},
      {-257, 0, true, 0, true, 2},
      {84, 0, false, 83, false, 2},
  };
  for (const Case& c : cases) {
    e.anim_speed = static_cast<std::int16_t>(c.speed);
    e.seq_pos = c.from;
    EXPECT_EQ(anim_sequence(e, list, c.hold), c.ended) << c.speed << " from " << c.from;
    EXPECT_EQ(e.seq_pos, c.to) << c.speed << " from " << c.from;
    EXPECT_EQ(e.frame >> 8, c.shown) << c.speed << " from " << c.from;
    EXPECT_EQ(e.frame, list[e.seq_pos >> 8] * 256 - 1);
  }

  // An entry that names no frame of the sprite is logged; the object goes on.
  const int n = gfx::frame_count(target_sprite);
  const std::int16_t beyond[] = {static_cast<std::int16_t>(n + 1), -1};
  const std::int16_t below[] = {0, -1};
  const std::int16_t last[] = {static_cast<std::int16_t>(n), -1};
  struct Illegal {
    const std::int16_t* list;
    bool logged;
  };
  for (const Illegal c : {Illegal{beyond, true}, Illegal{below, true}, Illegal{last, false}}) {
    gfxtest::reset_log();
    e.anim_speed = 84;
    e.seq_pos = 0;
    anim_sequence(e, c.list, false);
    EXPECT_EQ(gfxtest::read_log(), c.logged ? "Error, illegal frame-num!\n" : "") << c.list[0];
  }
}

// The draw list as (band, sprite, frame, x, y, kind, extra), bands front to back.
using Drawn = std::vector<std::tuple<int, int, int, int, int, int, int>>;
Drawn draw_list() {
  Drawn out;
  for (int band = 0; band < gfx::draw_bands; ++band)
    for (const gfx::DrawEntry* d = gfx::draw_band_head(band); d; d = d->next)
      out.emplace_back(band, d->sprite, d->frame, d->x, d->y, d->kind, d->extra);
  return out;
}

TEST_F(Objects, UpdatePassRunsFromTheLastSlotAndDrawsWhatStaysVisible) {
  gfx::layers[2].offset = 100;
  // A plain object on layer 2, a blended half-size mirrored one on layer 0, one that frees
  // itself in its update, one that is not visible.
  Enemy& plain = target_in(5, 2, 300, 200);
  plain.flags |= f_visible | f_z_behind;
  plain.frame = 2 * 256 + 77;
  Enemy& blended = target_in(700, 0, 400, 300);
  blended.flags |= f_visible | f_tinted | f_scaled | f_mirrored | f_z_front2;
  blended.scale = 2;
  blended.alpha = 40000;
  Enemy& gone = target_in(300, 1, 100, 100);
  gone.flags |= f_visible;
  gone.update = free_itself;
  Enemy& hidden = target_in(200, 1, 100, 100);
  for (Enemy* e : {&plain, &blended, &hidden}) e->update = note_update;

  gfx::clear_draw_list();
  gfx::draw_sprite_blended(target_sprite, 0, 400, 300, 0, 0x1 | 0x1000, 40000 >> 8, 128);
  gfx::draw_sprite(target_sprite, 2, 200, 200, 2, 0x200, 0);
  const Drawn expected = draw_list();
  ASSERT_EQ(expected.size(), 2u);

  gfx::clear_draw_list();
  update_enemies();
  EXPECT_EQ(updates, (std::vector<int>{700, 300, 200, 5}));
  EXPECT_EQ(draw_list(), expected);
  EXPECT_EQ(gone.flags, 0);
}

TEST_F(Objects, ShotHitsTheNearestAndOnEqualDepthTheHigherSlot) {
  int x, y;
  ASSERT_TRUE(clear_point(3, x, y));
  struct Case {
    int slot_a, depth_a, slot_b, depth_b, winner;
  };
  for (const Case c : {Case{10, 2, 20, 2, 20}, Case{20, 2, 10, 2, 20}, Case{10, 1, 20, 2, 10},
                       Case{10, 0, 20, 2, 10}, Case{999, 2, 0, 1, 0}}) {
    SetUp();
    target_in(c.slot_a, c.depth_a, x - 10, y - 10);
    target_in(c.slot_b, c.depth_b, x - 20, y - 5);
    shoot(x, y);
    EXPECT_EQ(hits, std::vector<int>{c.winner}) << c.slot_a << " at " << c.depth_a << ", "
                                                << c.slot_b << " at " << c.depth_b;
  }
}

TEST_F(Objects, HitRectangleCountsTheBottomEdgeButNotTheRightOne) {
  // Layer 0 scrolled by 100: the object at x 500 stands at screen x 400; its box starts 6 px
  // right and 4 px below it.
  gfx::layers[0].offset = 100;
  Enemy& e = target_in(50, 0, 500, 200);
  set_hitbox(e, 6, 4, 40, 30);
  struct Case {
    int x, y;
    bool hit;
  };
  for (const Case c : {Case{406, 204, true}, Case{405, 220, false}, Case{445, 220, true},
                       Case{446, 220, false}, Case{420, 203, false}, Case{420, 234, true},
                       Case{420, 235, false}}) {
    hits.clear();
    shoot(c.x, c.y);
    EXPECT_EQ(hits.size(), c.hit ? 1u : 0u) << c.x << ", " << c.y;
  }

  // Without a box of its own the rectangle is the current frame's, of the row shown.
  e.hit_w = 0;
  e.flags |= f_mirrored;
  e.frame = 1 * 256 + 200;
  const gfx::FrameRect r = gfx::frame_rect(target_sprite + 4, 1);
  ASSERT_GT(r.width, 0);
  const int left = 400 + r.left, top = 200 + r.top;
  for (const Case c : {Case{left, top, true}, Case{left - 1, top, false},
                       Case{left + r.width - 1, top + r.height, true},
                       Case{left + r.width, top + r.height, false}}) {
    hits.clear();
    shoot(c.x, c.y);
    EXPECT_EQ(hits.size(), c.hit ? 1u : 0u) << c.x << ", " << c.y;
  }
}

TEST_F(Objects, NearerLayersAndTheOwnLayerBehindItShield) {
  int x0, y0, x1, y1;
  ASSERT_TRUE(shield_point(0, x0, y0)) << "layer 0 has an opaque pixel";
  ASSERT_TRUE(shield_point(1, x1, y1)) << "layer 1 has an opaque pixel where layer 0 has none";
  struct Case {
    int opaque_layer, depth;
    bool behind_layer, hit;
  };
  for (const Case c : {Case{0, 0, false, true}, Case{0, 0, true, false}, Case{0, 1, false, false},
                       Case{0, 2, false, false}, Case{1, 0, true, true}, Case{1, 1, false, true},
                       Case{1, 1, true, false}, Case{1, 2, false, false}}) {
    SetUp();
    const int x = c.opaque_layer == 0 ? x0 : x1, y = c.opaque_layer == 0 ? y0 : y1;
    Enemy& e = target_in(30, c.depth, x - 5, y - 5);
    if (c.behind_layer) e.flags |= f_behind_layer;
    shoot(x, y);
    EXPECT_EQ(hits.size(), c.hit ? 1u : 0u)
        << "layer " << c.opaque_layer << " opaque, object at depth " << c.depth
        << (c.behind_layer ? " behind its layer" : "");
  }
  // Behind its own layer the higher slot is shielded, so the lower one at the same depth takes
  // the hit.
  SetUp();
  target_in(30, 1, x1 - 5, y1 - 5).flags |= f_behind_layer;
  target_in(20, 1, x1 - 5, y1 - 5);
  shoot(x1, y1);
  EXPECT_EQ(hits, std::vector<int>{20});
}

TEST_F(Objects, TheThirtyThirdCandidateIsDropped) {
  int x, y;
  ASSERT_TRUE(clear_point(2, x, y));
  // Slot 0 is nearest but is listed last (slots are listed from 999 down).
  for (int n : {32, 33}) {
    SetUp();
    target_in(0, 0, x - 10, y - 10);
    for (int slot = 1; slot < n; ++slot) target_in(slot, 1, x - 10, y - 10);
    shoot(x, y);
    EXPECT_EQ(hits, std::vector<int>{n == 32 ? 0 : 32}) << n << " objects under the cursor";
  }
}

TEST_F(Objects, PixelTestLetsTheShotThroughATransparentPixel) {
  int x, y;
  ASSERT_TRUE(clear_point(2, x, y));
  const gfx::FrameRect r = gfx::frame_rect(target_sprite, 0);
  int ox = -1, oy = -1, tx = -1, ty = -1;
  for (int j = 0; j < r.height; ++j)
    for (int i = 0; i < r.width; ++i) {
      const bool opaque = gfx::sprite_pixel(target_sprite, 0, i, j) != 0;
      if (opaque && ox < 0) {
        ox = i;
        oy = j;
      } else if (!opaque && tx < 0) {
        tx = i;
        ty = j;
      }
    }
  ASSERT_GE(ox, 0);
  ASSERT_GE(tx, 0);
  struct Case {
    int rx, ry;
    bool front_hit;
  };
  for (const Case c : {Case{ox, oy, true}, Case{tx, ty, false}}) {
    SetUp();
    // The pixel-tested object at depth 0 sits so that (rx, ry) of its frame is under (x, y); a
    // farther object without the test lies behind it.
    Enemy& front = target_in(10, 0, x - c.rx - r.left, y - c.ry - r.top);
    front.hit_w = 0;
    front.flags |= f_pixel_test;
    target_in(5, 1, x - 10, y - 10);
    shoot(x, y);
    EXPECT_EQ(hits, std::vector<int>{c.front_hit ? 10 : 5}) << c.rx << ", " << c.ry;
  }
}

TEST_F(Objects, WithoutAShotNothingIsTestedAndNoMissRuns) {
  target_in(10, 0, 730, 230);
  round.shot_pending = false;
  round.cursor_x = 740;
  round.cursor_y = 240;
  resolve_shot();
  EXPECT_TRUE(hits.empty());
  enemy_clear();
  resolve_shot();
  EXPECT_EQ(live_particles(), 0);
  // The same point with a shot: nothing to hit, so the bullet ricochets.
  shoot(740, 240);
  EXPECT_EQ(live_particles(), 20);
}

TEST_F(Objects, FiringMegagunKillsOneChickenEveryTenthOfASecond) {
  gfx::layers[1].offset = 0;
  gfx::layers[2].offset = 200;
  struct Case {
    int slot, kind, depth, x, state;
    bool shootable, killed;
  };
  const Case cases[] = {
      {900, kind_flying_chicken, 1, 300, 3, true, false},  // already falling
      {850, kind_flying_chicken, 1, 300, 6, true, false},  // heart attack
      {800, kind_flying_chicken, 1, 300, 1, false, false},
      {750, kind_scenery, 1, 300, 1, true, false},
      {700, kind_flying_chicken, 1, 150, 1, true, false},  // the band's ends do not count
      {650, kind_flying_chicken, 1, 600, 1, true, false},
      {600, kind_flying_chicken, 2, 300, 1, true, false},  // left of its layer's band
      {500, kind_ground_chicken, 2, 790, 1, true, true},
      {400, kind_flying_chicken, 1, 151, 1, true, true},
      {300, kind_flying_chicken, 1, 599, 1, true, true},
  };
  for (const Case& c : cases) {
    Enemy& e = target_in(c.slot, c.depth, c.x, 200);
    e.kind = static_cast<std::int16_t>(c.kind);
    e.state = static_cast<std::int16_t>(c.state);
    if (!c.shootable) e.flags &= static_cast<std::uint16_t>(~f_shootable);
    // A kill makes the chicken fall, as a chicken's own hit does.
    e.on_hit = [](Enemy& hit) {
      note_hit(hit);
      hit.state = 3;
    };
  }
  round.megagun_state = 2;
  round.megablast_countdown = 0;
  // The click lands on metal, but the megablast leaves no room for the miss handler.
  round.shot_pending = true;
  round.cursor_x = 740;
  round.cursor_y = 240;
  const int interval = 6553 / 1092 + 1;  // frames until the 0.1 s countdown passes below zero
  std::vector<int> kill_frames;
  for (int f = 0; f < 5 * interval; ++f) {
    const std::size_t before = hits.size();
    resolve_shot();
    if (hits.size() > before) kill_frames.push_back(f);
  }
  EXPECT_EQ(hits, (std::vector<int>{500, 400, 300}));
  EXPECT_EQ(kill_frames, (std::vector<int>{0, interval, 2 * interval}));
  EXPECT_EQ(live_particles(), 0);
}

TEST_F(Objects, MissHandlerSpraysSparksOffTheMetalOfLayerOne) {
  struct Case {
    int scene, layer1_offset, x, y, sparks;
  };
  for (const Case c : {Case{1, 0, 740, 240, 20}, Case{1, 0, 734, 238, 20}, Case{1, 0, 764, 245, 0},
                       Case{1, 500, 240, 240, 20}, Case{1, 500, 740, 240, 0},
                       Case{2, 0, 740, 240, 0}}) {
    SetUp();
    app::scene = c.scene;
    gfx::layers[1].offset = c.layer1_offset;
    shot_missed(c.x, c.y);
    EXPECT_EQ(live_particles(), c.sparks)
        << "scene " << c.scene << " offset " << c.layer1_offset << " at " << c.x << ", " << c.y;
    for (const Particle& p : particles) {
      if (!p.flags) continue;
      EXPECT_EQ(p.flags, 0x70);
      EXPECT_EQ(p.depth, 1);
      EXPECT_GE(p.x >> 16, c.x + c.layer1_offset - 5);
      EXPECT_LE(p.x >> 16, c.x + c.layer1_offset + 4);
      EXPECT_GE(p.y >> 16, c.y - 5);
      EXPECT_LE(p.y >> 16, c.y + 4);
    }
  }
}

TEST_F(Objects, RicochetRectanglesAreTestedInOrder) {
  struct Case {
    int x, y, rectangle;
  };
  for (const Case c : {Case{734, 238, 0}, Case{763, 245, 0}, Case{764, 245, -1},
                       Case{741, 246, 1}, Case{1072, 245, 5}, Case{1076, 243, 5},
                       Case{1077, 243, 4}, Case{1000, 243, 16}, Case{970, 194, 13},
                       Case{1005, 193, 20}, Case{942, 156, 37}, Case{943, 160, -1},
                       Case{0, 0, -1}}) {
    EXPECT_EQ(ricochet_rectangle(c.x, c.y), c.rectangle) << c.x << ", " << c.y;
  }
}

TEST_F(Objects, ParticlesFallAndDieAndATakenTableMakesNoMore) {
  shot_missed(740, 240);
  ASSERT_EQ(live_particles(), 20);
  const Particle first = *std::find_if(std::begin(particles), std::end(particles),
                                       [](const Particle& p) { return p.flags != 0; });
  update_particles();
  const Particle& moved = *std::find_if(std::begin(particles), std::end(particles),
                                        [](const Particle& p) { return p.flags != 0; });
  const std::int32_t k = app::frame_time / 18;
  EXPECT_EQ(moved.x, first.x + static_cast<std::int32_t>(std::int64_t{first.vx} * 1092 / 65536));
  const std::int32_t vy = first.vy + 30 * 1092;
  EXPECT_EQ(moved.vy, vy - static_cast<std::int32_t>(std::int64_t{vy} * k / 1000));
  EXPECT_EQ(moved.life, first.life - 1092);
  // Every spark's life is at most 499 * 27 + 9450: all are gone after that long.
  for (int f = 0; f < (499 * 27 + 9450) / 1092 + 1; ++f) update_particles();
  EXPECT_EQ(live_particles(), 0);

  for (Particle& p : particles) {
    p.flags = 0x20;
    p.life = 65536;
    p.y = 0;
  }
  particle_burst(100, 100, 3.14, 1, 0);
  EXPECT_EQ(live_particles(), particle_slots);
}

}  // namespace
