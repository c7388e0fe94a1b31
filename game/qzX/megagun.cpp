// SPDX-License-Identifier: GPL-3.0-or-later
// The megagun: it slides in when the box is opened, fires once for 2.6 s killing one chicken
// every 0.1 s while the screen shakes, and slides out again.
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/qzX/targets/targets.h"
#include "game/sound/sound.h"

namespace qzx {

namespace {

constexpr std::int32_t start_height = 1049600;   // 8.8 px, far below the screen
constexpr std::int32_t rest_pull = 76288;        // the height it slides toward
constexpr std::int32_t ready_height = 78848;
constexpr std::int32_t gone_height = 158720;
constexpr std::int32_t kill_interval = 6553;     // 0.1 s
constexpr std::int32_t firing_time = 170392;     // 2.6 s
constexpr std::int32_t spin_rise = 90000;        // per second while the view scrolls
constexpr std::int32_t spin_fall = 250000;       // per second while it stands
constexpr std::int32_t spin_max = 6000;

// The parts in drawing order with their frame lists (frame + 1, ended by -1) and base speeds in
// 1/256 frame per tick at full spin.
struct Part {
  int sprite;
  const char* name;
  std::int16_t frames[16];
  int speed;
};
constexpr Part parts[] = {
    {spr_gun_barrel, "data\\gfx\\barrel", {1, 2, 3, -1}, 120},
    {spr_gun_bullets, "data\\gfx\\bullets", {1, 2, 3, -1}, 100},
    {spr_gun_pluesch, "data\\gfx\\pluesch", {1, 2, 3, 2, -1}, 40},
    {spr_gun_rocket, "data\\gfx\\rocket", {1, 2, 3, -1}, 90},
    {spr_gun_screen, "data\\gfx\\screen", {1, 2, 3, 4, -1}, 30},
    {spr_gun_arrowspin, "data\\gfx\\arrowspin", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -1},
     160},
};
constexpr int part_count = sizeof parts / sizeof parts[0];

constexpr const gfx::ArtAnchor* gun_place = gfx::find_art_anchor("data\\gfx\\weapon");
constexpr const gfx::ArtAnchor* fire_place = gfx::find_art_anchor("data\\gfx\\fire");

std::int32_t frame_step(std::int32_t per_second) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(per_second) * app::frame_time / 65536);
}

Enemy* megagun_object() { return enemy_next_of_kind(kind_megagun); }

void draw_parts(int x, int y) {
  gfx::draw_sprite(spr_weapon, 0, x, y, 0, 0x100, 0);
  for (int i = 0; i < part_count; ++i) {
    const Part& p = parts[i];
    int length = 0;
    while (p.frames[length] != -1) ++length;
    // Each part loops through its list at its own speed, scaled by the spin.
    std::int32_t& pos = round.megagun_frames[i];
    pos += static_cast<std::int32_t>(static_cast<std::int64_t>(p.speed) * round.megagun_spin /
                                     spin_max * 60 * app::frame_time / 65536);
    pos %= length * 256;
    const gfx::ArtAnchor* a = gfx::find_art_anchor(p.name);
    gfx::draw_sprite(p.sprite, p.frames[pos >> 8] - 1, x + a->x, y + a->y, 0, 0x1000, 0);
  }
  if (round.megagun_state == 2)
    gfx::draw_sprite(spr_gun_fire, 0, x + fire_place->x, y + fire_place->y, 0, 0x1000, 0);
}

}  // namespace

void spawn_megagun() {
  sound::play_sound(sound::sound_open_megagun);
  Enemy* e = enemy_alloc(kind_megagun);
  if (!e) return;
  set_anim(*e, spr_weapon, 0);
  round.megagun_present = true;
  round.megagun_state = 0;
  round.megagun_height = start_height;
  round.megagun_spin = 0;
  for (auto& f : round.megagun_frames) f = 0;
}

void megagun_control() {
  const std::int32_t dt = app::frame_time;
  std::int32_t& h = round.megagun_height;
  switch (round.megagun_state) {
    case 0:
      h -= static_cast<std::int32_t>(static_cast<std::int64_t>(dt) * (h - rest_pull) * 6 / 65536);
      if (h < ready_height) {
        players[0].cartridges = 0;
        h = ready_height;
        round.megagun_state = 1;
      }
      break;
    case 2:
      round.megagun_elapsed += dt;
      advance_shake_phases();
      set_shake_offsets((183500 - round.megagun_elapsed) * 0.00017);
      if (round.megagun_elapsed > firing_time) {
        gfx::shake_x = 0;
        gfx::shake_y = 0;
        round.megagun_state = 3;
      }
      break;
    case 3:
      h += static_cast<std::int32_t>(static_cast<std::int64_t>(dt) * (h - rest_pull) * 6 / 65536);
      if (h > gone_height) {
        round.megagun_present = false;
        round.megagun_state = 4;
        if (Enemy* e = megagun_object()) enemy_free(*e);
        return;
      }
      break;
    default:
      break;
  }
  if (round.scroll_speed != 0)
    round.megagun_spin += frame_step(spin_rise);
  else
    round.megagun_spin -= frame_step(spin_fall);
  if (round.megagun_spin < 0) round.megagun_spin = 0;
  if (round.megagun_spin > spin_max) round.megagun_spin = spin_max;

  const int x = gun_place->x, y = h >> 8;
  if (Enemy* e = megagun_object()) {
    // Kept in layer-0 coordinates, so a popup at the gun shows where the gun is.
    e->x = (x + gfx::layer_offset(0)) << 16;
    e->y = y << 16;
  }
  draw_parts(x, y);
}

void fire_megagun() {
  front_target_megagun();
  round.megablast_countdown = 0;
  round.megagun_elapsed = 0;
  round.shake_phase[0] = 0;
  round.shake_phase[1] = 2;
  round.shake_phase[2] = 1;
  round.shake_phase[3] = 5;
  round.megagun_state = 2;
  sound::play_sound(sound::sound_megablast);
  if (Enemy* e = megagun_object()) score_popup(*e, 25, 0, 0);
  record_event(45);
}

void megablast_step() {
  round.megablast_countdown -= app::frame_time;
  if (round.megablast_countdown >= 0) return;
  round.megablast_countdown = kill_interval;
  for (int i = enemy_slots - 1; i >= 0; --i) {
    Enemy& e = enemies[i];
    if (!(e.flags & f_in_use) || !(e.flags & f_shootable)) continue;
    if (e.kind != kind_flying_chicken && e.kind != kind_ground_chicken) continue;
    if (e.state == 3 || e.state == 6) continue;
    const int x = e.x >> 16, offset = gfx::layer_offset(e.depth);
    if (x <= offset + 150 || x >= offset + 600) continue;
    if (e.on_hit) e.on_hit(e);
    return;
  }
}

}  // namespace qzx
