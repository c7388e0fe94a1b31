// Sprite numbers the round and the chickens draw. A scaled object adds 1, 2 or 3 to its base
// number for the half, quarter and eighth size, and 4 for the mirrored row, so one base number
// names a whole family (the falling chicken of every size is base 8: "dchickleft1" .. 4).
#pragma once

namespace qzx {

constexpr int spr_chicken = 0;        // "chickenb", "chickenn", "chickenm", "chickens"
constexpr int spr_falling = 8;        // "dchickleft1" .. "dchickleft4"
constexpr int spr_particle = 28;
constexpr int spr_shadow = 54;
constexpr int spr_shadow2 = 246;      // the shadow of size 2
constexpr int spr_shell = 96;         // "shell1", the ejected shell
constexpr int spr_weapon = 100;       // the megagun and its parts up to 107
constexpr int spr_gun_barrel = 101;
constexpr int spr_gun_bullets = 102;
constexpr int spr_gun_fire = 103;
constexpr int spr_gun_pluesch = 104;
constexpr int spr_gun_rocket = 105;
constexpr int spr_gun_screen = 106;
constexpr int spr_gun_arrowspin = 107;
constexpr int spr_key = 211;
constexpr int spr_cursor = 220;       // "mousecursor"
constexpr int spr_cartridge = 222;    // "shell1_initial", the magazine in the display
constexpr int spr_run_normal = 230;   // "chickenrunn" at half size (231)
constexpr int spr_start_normal = 232; // "chickenstartn" at half size (233)
constexpr int spr_heart = 238;        // "dien" at half size (239), "dies" at an eighth (241)
constexpr int spr_run_small = 240;    // "chickenruns"
constexpr int spr_dies = 241;         // "dies"

}  // namespace qzx
