// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/target_tour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/targets/target_helpers.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "tests/gfx_fixture.h"
#include "tests/test_support.h"

namespace test_support {

using namespace qzx;

void new_first_scene_round(int edition) {
  reset_app_state();
  round_reset();
  app::edition = edition;
  gfx::cancel_transition();
  use_recorded_start(1000, 0);
  round_setup(false);
  gfx::set_scroll(0);
  round.spawn_timer = no_spawn;
}

Enemy* spawned_by(void (*spawn)()) {
  const int before = enemy_count;
  spawn();
  return enemy_count > before ? &enemies[alloc_cursor] : nullptr;
}

void look_at(int scroll) {
  round.scroll = scroll << 16;
  round.scroll_speed = 0;
  gfx::set_scroll(scroll);
}

void look_within(int scroll) { look_at(std::clamp(scroll, 0, gfx::layers[1].width - 800)); }

void view(const Enemy& e, Middle middle) {
  const std::int32_t factor = gfx::layers[e.depth].factor;
  if (middle == Middle::shown_frame) {
    if (factor <= 0) return;
    const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), frame_number(e));
    const int centre = (e.x >> 16) + r.left + r.width / 2;
    look_within(static_cast<int>(static_cast<std::int64_t>(centre - 400) * 65536 / factor));
    return;
  }
  const int w = gfx::frame_count(e.anim) > 0 ? gfx::frame_rect(sprite_row(e), 0).width : 0;
  int scroll = 0;
  if (factor > 0) scroll = static_cast<int>((static_cast<std::int64_t>((e.x >> 16) + w / 2 - 400) << 16) / factor);
  look_within(scroll);
}

void Idle::operator()(int frames) const {
  FrameInput in;
  in.cursor_x = x;
  in.cursor_y = y;
  for (int i = 0; i < frames; ++i) round_frame(in);
}

void shoot_at(int x, int y) {
  players[0].cartridges = players[0].magazine_size;
  FrameInput in;
  in.cursor_x = x;
  in.cursor_y = y;
  in.click = true;
  round_frame(in);
}

ShotBox shot_box(const Enemy& e) {
  if (e.hit_w) return {screen_x(e) + e.hit_x, (e.y >> 16) + e.hit_y, e.hit_w, e.hit_h};
  const gfx::FrameRect r = gfx::frame_rect(sprite_row(e), frame_number(e));
  return {screen_x(e) + r.left, (e.y >> 16) + r.top, r.width, r.height};
}

const Enemy* taker_at(int x, int y) {
  const Enemy* best = nullptr;
  for (int i = enemy_slots - 1; i >= 0; --i) {
    const Enemy& o = enemies[i];
    if (!(o.flags & f_in_use) || !(o.flags & f_shootable)) continue;
    const auto [left, top, w, h] = shot_box(o);
    if (x < left || x >= left + w || y < top || y > top + h) continue;
    const int shields = o.depth + ((o.flags & f_behind_layer) ? 1 : 0);
    bool shielded = false;
    for (int l = 0; l < shields; ++l) shielded = shielded || gfx::layer_pixel(l, x, y) != 0;
    if (shielded) continue;
    if ((o.flags & f_pixel_test) && !gfx::sprite_pixel(sprite_row(o), frame_number(o), x - left, y - top)) continue;
    if (!best || o.depth < best->depth) best = &o;
  }
  return best;
}

bool takes(const Enemy& target, int x, int y) { return taker_at(x, y) == &target; }

std::vector<int> events_since(int first) {
  std::vector<int> codes;
  for (int i = first; i < event_count(); ++i) codes.push_back(event_at(i).code);
  return codes;
}

int sprite(const char* name, const char* folder) { return gfx::find_sprite((std::string(folder) + name).c_str()); }

}  // namespace test_support
