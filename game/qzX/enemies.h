// SPDX-License-Identifier: GPL-3.0-or-later
// The object slots: everything that moves or can be shot during a round (chickens, scenery
// targets, score popups, bonus texts, ejected shells, the megagun) lives in one fixed table of
// 1000 records. A behaviour is a spawn function that takes a slot and fills it, and an update and
// a hit operation stored in the record. Also here: the animation driver, the per-frame pass that
// updates every object and hands the visible ones to the draw list, and the shot resolution.
//
// Times and positions are 16.16 fixed point; frames are 8.8. A per-tick speed q (a tick is
// 1/60 s) moves by q * 60 * frame_time / 65536 in one frame.
#pragma once

#include <cstdint>

namespace qzx {

struct Enemy;
using EnemyOp = void (*)(Enemy&);

// Flag bits.
constexpr std::uint16_t f_in_use = 0x8000;
constexpr std::uint16_t f_visible = 0x4000;
constexpr std::uint16_t f_shootable = 0x2000;
constexpr std::uint16_t f_pixel_test = 0x1000;  // a hit counts only on an opaque pixel
constexpr std::uint16_t f_scaled = 0x0800;      // drawn at the size step in `scale`
constexpr std::uint16_t f_mirrored = 0x0400;    // the mirrored sprite row (+4)
constexpr std::uint16_t f_screen_fixed = 0x0200;  // text objects: not moved by the layer offset
constexpr std::uint16_t f_z_front = 0x0100;     // one z step in front
constexpr std::uint16_t f_z_behind = 0x0080;    // one z step behind
constexpr std::uint16_t f_behind_layer = 0x0040;  // behind its own layer, which shields it too
constexpr std::uint16_t f_ground = 0x0020;      // chickens: came from the ground
constexpr std::uint16_t f_tinted = 0x0010;      // blended with `alpha`
constexpr std::uint16_t f_z_behind2 = 0x0008;   // two z steps behind
constexpr std::uint16_t f_z_front2 = 0x0004;    // two z steps in front
constexpr std::uint16_t f_blink = 0x0001;       // text objects blink; chickens: facing right

// Kinds.
constexpr std::int16_t kind_flying_chicken = 1;
constexpr std::int16_t kind_tree = 2;
constexpr std::int16_t kind_score_popup = 3;
constexpr std::int16_t kind_shell = 4;
constexpr std::int16_t kind_bonus_text = 16;
constexpr std::int16_t kind_ground_chicken = 24;
constexpr std::int16_t kind_megagun = 30;
constexpr std::int16_t kind_scenery = 38;

struct Enemy {
  std::int16_t kind;
  std::uint16_t flags;  // 0: the slot is free
  std::int16_t state;
  std::int32_t x, y;    // 16.16 world pixels; x in the coordinates of layer `depth`
  std::int32_t vx, vy;
  std::int16_t anim_speed;  // 1/256 frame per tick; 84 after set_anim
  std::int16_t depth;   // scene layer 0 (front) .. 4 (sky), also the z band
  std::int16_t scale;   // size step 0..4 when f_scaled: 0, 1 full, 2 half, 3 quarter, 4 eighth
  std::uint32_t colour;
  std::int32_t home_x, home_y;
  std::int16_t anim;    // sprite number
  std::int16_t frame;   // 8.8; the high byte is the frame drawn
  std::int32_t timer;
  std::int32_t counter;
  std::int32_t timer2;
  std::int32_t alpha;   // 16.16 blend level for f_tinted; 65536 is opaque
  std::int16_t hit_x, hit_y, hit_w, hit_h;  // explicit hit box when hit_w is not 0
  EnemyOp update;
  EnemyOp on_hit;
  std::int32_t seq_pos;  // 8.8 position in a frame sequence, or behaviour data
  std::int32_t data0, data1, data2, data3, data4, data5, data6, data7;
  std::int32_t shadow_fade;
  std::int16_t shadow_y;
  char16_t text[64];    // score popups and bonus texts
};

constexpr int enemy_slots = 1000;
extern Enemy enemies[enemy_slots];
extern int enemy_count;
extern int alloc_cursor;

void enemy_clear();
// A cleared record of the kind with flags = in use and colour 0x808080, or null (and the
// warning "***WARNING*** Not enough enemy-slots!") when all 1000 are taken.
Enemy* enemy_alloc(int kind);
// Frees the slot; a flying chicken lowers the live-chicken counter.
void enemy_free(Enemy& e);
// The next taken slot of the kind at or after *cursor (slot 0 without a cursor); the cursor then
// points after it.
Enemy* enemy_next_of_kind(int kind, int* cursor = nullptr);
int enemy_index(const Enemy& e);

void set_pos(Enemy& e, std::int32_t x, std::int32_t y);
void set_depth(Enemy& e, int depth);
void set_anim(Enemy& e, int anim, int frame);
void set_hitbox(Enemy& e, int x, int y, int w, int h);

// The sprite row the object shows: anim, + 1/2/3 for the half, quarter and eighth size when
// scaled, + 4 when mirrored.
int sprite_row(const Enemy& e);
// Draw-list flags of the record's flag bits, and its draw size (0 = full).
int draw_flags(const Enemy& e);
int draw_size(const Enemy& e);
// The integer screen x of an object on its layer.
int screen_x(const Enemy& e);

// The frame advances by anim_speed per tick; at the end it loops (hold false) or stays on the
// last frame (hold true). True when the end was passed in this call.
bool anim_advance(Enemy& e, bool hold);
// Plays a frame list (entries are frame + 1, ended by -1) at anim_speed through seq_pos; true
// when its end was passed.
bool anim_sequence(Enemy& e, const std::int16_t* list, bool hold);

// The per-frame pass from slot 999 down to 0: update, then draw the visible ones.
void update_enemies();
// Shot resolution (after update_enemies): the megablast's one kill every 0.1 s while the megagun
// fires; otherwise the nearest shootable object under the cursor takes the hit, or the miss
// handler runs.
void resolve_shot();

}  // namespace qzx
