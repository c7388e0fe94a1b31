// SPDX-License-Identifier: GPL-3.0-or-later
// Points: the score changes, score popups, bonus texts and the multi-hit bonus.
#include <cstdio>

#include "game/app/app.h"
#include "game/gfx/sprites.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/resources/log.h"
#include "game/text/font.h"
#include "game/text/texts.h"

namespace qzx {

namespace {

constexpr std::int32_t popup_life = 32768;    // 0.5 s
constexpr std::int32_t popup_rise = 1638400;  // 25 px/s
constexpr std::int32_t bonus_life = 131072;   // 2 s
constexpr int blink_hidden_frames = 8;
constexpr int blink_shown_frames = 11;

// Copies a text into a text object, cut at 63 units.
void set_object_text(Enemy& e, const char16_t* text) {
  int n = 0;
  while (text[n] && n < 63) {
    e.text[n] = text[n];
    ++n;
  }
  e.text[n] = 0;
  if (text[n]) {
    char narrow[256];
    int k = 0;
    for (; text[k] && k < 255; ++k) narrow[k] = text[k] < 128 ? static_cast<char>(text[k]) : '?';
    narrow[k] = 0;
    res::debug_log("***ERROR: String too long: %s\n", narrow);
  }
}

// A text object rises, counts its life down, blinks when asked and draws itself.
void text_object_update(Enemy& e) {
  e.y -= static_cast<std::int32_t>(static_cast<std::int64_t>(e.vy) * app::frame_time / 65536);
  e.timer -= app::frame_time;
  if (e.timer <= 0 || (e.y >> 16) < -30) {
    enemy_free(e);
    return;
  }
  if (e.flags & f_blink) {
    // counter 0 .. 7 hidden, 8 .. 18 shown: the first phase is as long as every later one.
    const bool hidden = e.counter < blink_hidden_frames;
    e.counter = (e.counter + 1) % (blink_hidden_frames + blink_shown_frames);
    if (hidden) return;
  }
  const int x = (e.flags & f_screen_fixed) ? e.x >> 16 : screen_x(e);
  text::draw_text(x, e.y >> 16, e.text);
}

}  // namespace

std::int32_t add_points(std::int32_t points) {
  const std::int32_t before = score();
  std::int32_t after = before + points;
  std::int32_t effective = points;
  if (after < 0 && after >= -99999) {
    effective = points - after;
    after = 0;
  }
  set_score(after);
  record_score_change(effective);
  return points;
}

void score_popup(const Enemy& e, std::int32_t points, int dx, int dy) {
  if (app::highscore_penalty && points > 1) points /= 2;
  const std::int32_t shown = add_points(points);
  int sprite = e.anim;
  if (sprite == spr_run_normal || sprite == spr_start_normal || sprite == spr_heart) sprite += 1;
  int cx = 0, cy = 0;
  gfx::frame_centre(sprite, e.frame >> 8, cx, cy);
  if (e.flags & f_scaled) {
    if (e.scale == 2) {
      cx /= 2;
      cy /= 2;
    } else if (e.scale == 3) {
      cx /= 4;
      cy /= 4;
    } else if (e.scale == 4) {  // an eighth: the popup stands on the small chicken too
      cx /= 8;
      cy /= 8;
    }
  }
  Enemy* t = enemy_alloc(kind_score_popup);
  if (!t) return;
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", static_cast<int>(shown));
  char16_t text[16];
  int n = 0;
  for (; digits[n]; ++n) text[n] = static_cast<char16_t>(digits[n]);
  text[n] = 0;
  set_object_text(*t, text);
  const int x = (e.x >> 16) + cx + dx - text::text_width(t->text) / 2;
  const int y = (e.y >> 16) + cy + dy;
  t->x = x << 16;
  t->y = y << 16;
  t->depth = e.depth;
  t->timer = popup_life;
  t->vy = popup_rise;
  t->update = text_object_update;
}

void bonus_text(const char16_t* text, int y) {
  if (y < 0) y = 70;
  for (int i = 0; i < enemy_slots; ++i) {
    const Enemy& o = enemies[i];
    if (o.flags && o.kind == kind_bonus_text && (o.y >> 16) < y + 30) y = (o.y >> 16) + 30;
  }
  Enemy* t = enemy_alloc(kind_bonus_text);
  if (!t) return;
  set_object_text(*t, text);
  t->flags |= f_blink | f_screen_fixed;
  t->x = (400 - text::text_width(t->text) / 2) << 16;
  t->y = y << 16;
  t->timer = bonus_life;
  t->update = text_object_update;
}

void multi_hit_check() {
  constexpr std::int32_t window = 117964;  // 1.8 s
  constexpr std::int32_t ripe = 104857;    // 1.6 s
  std::int32_t oldest_age = 0;
  int n = 0;
  for (int i = hit_ring_size - 1; i >= 0; --i) {
    const std::int64_t age = static_cast<std::int64_t>(hit_times[0][i]) - app::round_time;
    if (age > window) continue;
    if (n == 0) oldest_age = static_cast<std::int32_t>(age);
    ++n;
  }
  if (oldest_age < ripe || n < 3) return;
  if (n > 6) n = 6;
  fill_hit_rings();
  bonus_text(text::get_text(n - 2));
  add_points(5 * n - 10);
  record_event(50000 + n);
}

}  // namespace qzx
