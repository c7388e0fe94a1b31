// SPDX-License-Identifier: GPL-3.0-or-later
// Sprite numbers the round and the chickens draw, named by their catalogue pictures like every
// target's (gfx::find_sprite). A scaled object adds 1, 2 or 3 to its base number for the half,
// quarter and eighth size, and 4 for the mirrored row, so one base number names a whole family
// (the falling chicken of every size is base 8: "dchickleft1" .. 4); a family whose full size is
// never loaded is named by its half-size picture, one below it.
#pragma once

#include "game/gfx/catalogue_table.h"

namespace qzx {

constexpr int spr_chicken = gfx::find_sprite("data\\gfx\\chickenb");     // .. "chickens"
constexpr int spr_falling = gfx::find_sprite("data\\gfx\\dchickleft1");  // .. "dchickleft4"
constexpr int spr_particle = gfx::find_sprite("data\\gfx\\particle");
constexpr int spr_shadow = gfx::find_sprite("data\\gfx\\shadow");
constexpr int spr_shadow2 = gfx::find_sprite("data\\gfx\\shadow2");  // the shadow of size 2
constexpr int spr_shell = gfx::find_sprite("data\\gfx\\shell1");     // the ejected shell
constexpr int spr_weapon = gfx::find_sprite("data\\gfx\\weapon");    // the megagun; its parts:
constexpr int spr_gun_barrel = gfx::find_sprite("data\\gfx\\barrel");
constexpr int spr_gun_bullets = gfx::find_sprite("data\\gfx\\bullets");
constexpr int spr_gun_fire = gfx::find_sprite("data\\gfx\\fire");
constexpr int spr_gun_pluesch = gfx::find_sprite("data\\gfx\\pluesch");
constexpr int spr_gun_rocket = gfx::find_sprite("data\\gfx\\rocket");
constexpr int spr_gun_screen = gfx::find_sprite("data\\gfx\\screen");
constexpr int spr_gun_arrowspin = gfx::find_sprite("data\\gfx\\arrowspin");
constexpr int spr_key = gfx::find_sprite("data\\gfx\\key");
constexpr int spr_cursor = gfx::cursor_sprite;
constexpr int spr_cartridge = gfx::find_sprite("data\\gfx\\shell1_initial");  // the magazine shown
constexpr int spr_run_normal = gfx::find_sprite("data\\gfx\\chickenrunn") - 1;
constexpr int spr_start_normal = gfx::find_sprite("data\\gfx\\chickenstartn") - 1;
constexpr int spr_heart = gfx::find_sprite("data\\gfx\\dien") - 1;  // "dies" at an eighth (241)
constexpr int spr_run_small = gfx::find_sprite("data\\gfx\\chickenruns");
constexpr int spr_dies = gfx::find_sprite("data\\gfx\\dies");

// The families' places are fixed by the catalogue; the code relies on these neighbours.
static_assert(spr_chicken == 0 && spr_falling == 8 && spr_weapon == 100 &&
              spr_gun_arrowspin == spr_weapon + 7 && spr_heart + 3 == spr_dies &&
              spr_run_normal == 230 && spr_start_normal == 232 && spr_run_small == 240);

}  // namespace qzx
