// SPDX-License-Identifier: GPL-3.0-or-later
// The sprite catalogue: every animation the game loads at start-up, in load order, with the
// menu buttons, the loading screen, the background layers, the full-screen pictures and the
// exit-screen pictures. The loader, the data generator and the data tests all read this table.
#pragma once

#include <cstdint>
#include <iterator>

namespace gfx {

// Editions as bits: XS = 1, XL = 2, XXL = 4 (edition number e has bit 1 << (e - 1)).
inline constexpr std::uint8_t ed_xs = 1;
inline constexpr std::uint8_t ed_xl = 2;
inline constexpr std::uint8_t ed_xxl = 4;
inline constexpr std::uint8_t ed_xl_up = ed_xl | ed_xxl;
inline constexpr std::uint8_t ed_all = ed_xs | ed_xl | ed_xxl;

// Bit of edition 1 (XS), 2 (XL) or 3 (XXL).
constexpr std::uint8_t edition_bit(int edition) {
    return edition >= 1 && edition <= 3 ? static_cast<std::uint8_t>(1u << (edition - 1)) : 0;
}

enum class LoadMode : std::uint8_t {
    surface,  // every frame gets its own colour-keyed surface
    packed,   // run-length packed frames sharing one scratch surface per unit
};

// One animation of the catalogue. The picture is "<name>.bmp", or "<name>.jpg" with an optional
// "<name>mask.bmp"; it is cut into columns × rows equal cells, one frame per cell, row by row.
// rows[e - 1] is the row (frame) count in edition e; 0 means the edition does not load it.
// A mirrored entry loads the same picture reversed left to right (the file is not stored twice).
struct CatalogueSprite {
    std::int16_t sprite;  // slot in the sprite table, 0..289
    const char* name;     // base path inside the archive, without extension
    std::int16_t columns;
    std::uint8_t rows[3];  // XS, XL, XXL
    bool mirrored;
};

// One unit of the load: a packed unit opens one packed group around its sprites (and the
// catalogue opens 70 of them); a surface unit loads its sprites in surface mode. A unit whose
// editions do not include the running edition is skipped whole, with its loading-bar step.
struct CatalogueUnit {
    LoadMode mode;
    std::uint8_t editions;  // edition bits that load the unit
    std::int16_t first;     // index of its first entry in catalogue_sprites
    std::int16_t count;     // number of entries
    std::int16_t bar_percent;  // loading bar after the unit (every third unit and the last), 0 = none
};

inline constexpr CatalogueSprite catalogue_sprites[] = {
    {54, "data\\gfx\\shadow", 1, {1, 1, 1}, false},
    {246, "data\\gfx\\shadow2", 1, {0, 1, 1}, false},
    {17, "data\\gfx\\gate", 1, {0, 25, 25}, false},
    {18, "data\\gfx\\postbox", 1, {1, 1, 1}, false},
    {19, "data\\gfx\\sign", 1, {15, 15, 15}, false},
    {20, "data\\gfx\\pumpkin1", 1, {13, 13, 13}, false},
    {21, "data\\gfx\\pumpkin2", 1, {7, 7, 7}, false},
    {22, "data\\gfx\\pumpkin3", 1, {7, 7, 7}, false},
    {23, "data\\gfx\\pumpkin4", 1, {11, 11, 11}, false},
    {24, "data\\gfx\\pumpkin5", 1, {10, 10, 10}, false},
    {25, "data\\gfx\\pumpkin6", 1, {16, 16, 16}, false},
    {26, "data\\gfx\\xbox1", 1, {0, 29, 29}, false},
    {27, "data\\gfx\\xbox2", 1, {0, 26, 26}, false},
    {28, "data\\gfx\\particle", 1, {6, 6, 6}, false},
    {29, "data\\gfx\\snailzero", 1, {4, 4, 4}, false},
    {30, "data\\gfx\\snail_die", 1, {11, 11, 11}, false},
    {31, "data\\gfx\\snail_eat", 1, {20, 20, 20}, false},
    {32, "data\\gfx\\snailshoot_big", 1, {12, 12, 12}, false},
    {33, "data\\gfx\\snailshoot_small", 1, {12, 12, 12}, false},
    {34, "data\\gfx\\applea", 1, {6, 6, 6}, false},
    {35, "data\\gfx\\appleb", 1, {6, 6, 6}, false},
    {36, "data\\gfx\\applec", 1, {6, 6, 6}, false},
    {37, "data\\gfx\\appled", 1, {6, 6, 6}, false},
    {260, "data\\gfx\\appleshoot", 1, {3, 3, 3}, false},
    {55, "data\\gfx\\cardsfront", 1, {0, 32, 32}, false},
    {56, "data\\gfx\\cardsfrontm", 1, {0, 32, 32}, false},
    {45, "data\\gfx\\cardsfronts", 1, {0, 32, 32}, false},
    {46, "data\\gfx\\cardturns", 1, {0, 4, 4}, false},
    {47, "data\\gfx\\hedgehoges_r", 1, {0, 34, 34}, false},
    {48, "data\\gfx\\hedgehoges_l", 1, {0, 34, 34}, false},
    {49, "data\\gfx\\hedgehoges_t", 1, {0, 1, 1}, false},
    {50, "data\\gfx\\hedges_shoot", 1, {0, 27, 27}, false},
    {51, "data\\gfx\\tree_upset", 1, {1, 24, 24}, false},
    {52, "data\\gfx\\tree_smile", 1, {0, 11, 11}, false},
    {53, "data\\gfx\\tree_laugh", 1, {0, 4, 4}, false},
    {231, "data\\gfx\\chickenrunn", 1, {0, 9, 9}, false},
    {233, "data\\gfx\\chickenstartn", 1, {0, 12, 12}, false},
    {239, "data\\gfx\\dien", 1, {0, 14, 14}, false},
    {235, "data\\gfx\\chickenrunn", 1, {0, 9, 9}, true},
    {237, "data\\gfx\\chickenstartn", 1, {0, 12, 12}, true},
    {243, "data\\gfx\\dien", 1, {0, 14, 14}, true},
    {240, "data\\gfx\\chickenruns", 1, {9, 9, 9}, false},
    {241, "data\\gfx\\dies", 1, {6, 6, 6}, false},
    {244, "data\\gfx\\chickenruns", 1, {9, 9, 9}, true},
    {245, "data\\gfx\\dies", 1, {6, 6, 6}, true},
    {0, "data\\gfx\\chickenb", 1, {13, 13, 13}, false},
    {1, "data\\gfx\\chickenn", 1, {13, 13, 13}, false},
    {2, "data\\gfx\\chickenm", 1, {0, 13, 13}, false},
    {3, "data\\gfx\\chickens", 1, {13, 13, 13}, false},
    {4, "data\\gfx\\chickenb", 1, {13, 13, 13}, true},
    {5, "data\\gfx\\chickenn", 1, {13, 13, 13}, true},
    {6, "data\\gfx\\chickenm", 1, {0, 13, 13}, true},
    {7, "data\\gfx\\chickens", 1, {13, 13, 13}, true},
    {8, "data\\gfx\\dchickleft1", 1, {8, 8, 8}, false},
    {9, "data\\gfx\\dchickleft2", 1, {8, 8, 8}, false},
    {10, "data\\gfx\\dchickleft3", 1, {0, 8, 8}, false},
    {11, "data\\gfx\\dchickleft4", 1, {8, 8, 8}, false},
    {12, "data\\gfx\\dchickleft1", 1, {8, 8, 8}, true},
    {13, "data\\gfx\\dchickleft2", 1, {8, 8, 8}, true},
    {14, "data\\gfx\\dchickleft3", 1, {0, 8, 8}, true},
    {15, "data\\gfx\\dchickleft4", 1, {8, 8, 8}, true},
    {96, "data\\gfx\\shell1", 1, {21, 21, 21}, false},
    {220, "data\\gfx\\mousecursor", 1, {3, 3, 3}, false},
    {222, "data\\gfx\\shell1_initial", 1, {1, 1, 1}, false},
    {216, "data\\gfx2\\chimneyshoot", 1, {0, 0, 2}, false},
    {259, "data\\gfx2\\chimneyshoot2", 1, {0, 0, 3}, false},
    {100, "data\\gfx\\weapon", 1, {0, 1, 1}, false},
    {101, "data\\gfx\\barrel", 1, {0, 3, 3}, false},
    {102, "data\\gfx\\bullets", 1, {0, 3, 3}, false},
    {103, "data\\gfx\\fire", 1, {0, 1, 1}, false},
    {104, "data\\gfx\\pluesch", 1, {0, 3, 3}, false},
    {105, "data\\gfx\\rocket", 1, {0, 3, 3}, false},
    {106, "data\\gfx\\screen", 1, {0, 4, 4}, false},
    {107, "data\\gfx\\arrowspin", 1, {0, 15, 15}, false},
    {108, "data\\gfx2\\barrel01", 1, {0, 0, 27}, false},
    {109, "data\\gfx2\\barrel01dead", 1, {0, 0, 7}, false},
    {110, "data\\gfx2\\barrel02", 1, {0, 0, 27}, false},
    {111, "data\\gfx2\\barrel02dead", 1, {0, 0, 7}, false},
    {112, "data\\gfx2\\barrel03", 1, {0, 0, 21}, false},
    {113, "data\\gfx2\\barrel03dead", 1, {0, 0, 19}, false},
    {114, "data\\gfx2\\windowr", 1, {0, 0, 28}, false},
    {115, "data\\gfx2\\windowrdead", 1, {0, 0, 10}, false},
    {256, "data\\gfx2\\windowrshoot", 1, {0, 0, 3}, false},
    {116, "data\\gfx2\\topcorner", 1, {0, 0, 23}, false},
    {117, "data\\gfx2\\topcornerdead", 1, {0, 0, 7}, false},
    {118, "data\\gfx2\\behindwood", 1, {0, 0, 28}, false},
    {119, "data\\gfx2\\behindwooddead", 1, {0, 0, 8}, false},
    {120, "data\\gfx2\\chimney", 1, {0, 0, 17}, false},
    {121, "data\\gfx2\\chimneydead", 1, {0, 0, 8}, false},
    {122, "data\\gfx2\\doghouse_", 1, {0, 0, 22}, false},
    {123, "data\\gfx2\\doghousedead", 1, {0, 0, 16}, false},
    {124, "data\\gfx2\\frontbigbarrel", 1, {0, 0, 20}, false},
    {125, "data\\gfx2\\frontbigbarreldead", 1, {0, 0, 8}, false},
    {126, "data\\gfx2\\dooropen", 1, {0, 0, 6}, false},
    {257, "data\\gfx2\\dooropenshoot", 1, {0, 0, 3}, false},
    {258, "data\\gfx2\\doorcloseshoot", 1, {0, 0, 3}, false},
    {127, "data\\gfx2\\door", 1, {0, 0, 22}, false},
    {128, "data\\gfx2\\doordead", 1, {0, 0, 21}, false},
    {129, "data\\gfx2\\tree", 1, {0, 0, 7}, false},
    {130, "data\\gfx2\\windowopenclose", 1, {0, 0, 5}, false},
    {131, "data\\gfx2\\windowcrack", 1, {0, 0, 15}, false},
    {211, "data\\gfx\\key", 1, {0, 15, 15}, false},
    {132, "data\\gfx2\\bigwindow", 1, {0, 0, 26}, false},
    {133, "data\\gfx2\\bigwindowdead", 1, {0, 0, 7}, false},
    {134, "data\\gfx2\\grave", 1, {0, 0, 18}, false},
    {135, "data\\gfx2\\gravelight", 1, {0, 0, 3}, false},
    {136, "data\\gfx2\\ghost", 1, {0, 0, 21}, false},
    {137, "data\\gfx2\\ghostdead", 1, {0, 0, 16}, false},
    {138, "data\\gfx\\flower_up_down", 1, {6, 6, 6}, false},
    {139, "data\\gfx\\flower_blink", 1, {10, 10, 10}, false},
    {140, "data\\gfx\\flower_die", 1, {11, 11, 11}, false},
    {141, "data\\gfx\\stove_get_baked_action", 1, {6, 6, 6}, false},
    {142, "data\\gfx\\stove_baked_action", 1, {11, 11, 11}, false},
    {143, "data\\gfx\\stove_backed_disap_action", 1, {3, 3, 3}, false},
    {144, "data\\gfx\\stove_open_action", 1, {18, 18, 18}, false},
    {145, "data\\gfx\\front_hand_up_action", 1, {0, 4, 4}, false},
    {146, "data\\gfx\\front_hand_down_action", 1, {0, 4, 4}, false},
    {147, "data\\gfx\\front_die", 1, {0, 9, 9}, false},
    {148, "data\\gfx\\front_knocking_action", 1, {0, 4, 4}, false},
    {149, "data\\gfx\\front_show_pics_action", 1, {0, 10, 10}, false},
    {150, "data\\gfx\\front_up_down_action", 1, {0, 7, 7}, false},
    {151, "data\\gfx\\front_cards", 1, {0, 5, 5}, false},
    {152, "data\\gfx\\tupocycle", 1, {0, 11, 11}, false},
    {261, "data\\gfx\\tuposhoot", 1, {0, 6, 6}, false},
    {153, "data\\gfx\\barrel_up", 1, {0, 9, 9}, false},
    {154, "data\\gfx\\barrel_down", 1, {0, 3, 3}, false},
    {155, "data\\gfx\\barrel_die", 1, {0, 5, 5}, false},
    {156, "data\\gfx\\pan_turntopan", 1, {10, 10, 10}, false},
    {157, "data\\gfx\\pan_looktopan", 1, {5, 5, 5}, false},
    {158, "data\\gfx\\pan_looktous", 1, {4, 4, 4}, false},
    {159, "data\\gfx\\pan_repel", 1, {2, 2, 2}, false},
    {160, "data\\gfx\\pan_die", 1, {11, 11, 11}, false},
    {161, "data\\gfx\\pan_turntous", 1, {8, 8, 8}, false},
    {162, "data\\gfx\\cornfield_blink", 1, {3, 3, 3}, false},
    {163, "data\\gfx\\cornfield_die", 1, {5, 5, 5}, false},
    {164, "data\\gfx\\cornfield_up", 1, {7, 7, 7}, false},
    {165, "data\\gfx\\cornfield_down", 1, {2, 2, 2}, false},
    {253, "data\\gfx\\flag_down", 1, {5, 5, 5}, false},
    {254, "data\\gfx\\flag_up", 1, {3, 3, 3}, false},
    {255, "data\\gfx\\flag_cycle", 1, {8, 8, 8}, false},
    {177, "data\\gfx\\lake", 1, {10, 10, 10}, false},
    {171, "data\\gfx\\lake_goingout", 1, {0, 13, 13}, false},
    {263, "data\\gfx\\lake_flat", 1, {1, 1, 1}, false},
    {214, "data\\gfx\\bee", 1, {1, 1, 1}, false},
    {166, "data\\gfx\\lake_play_up", 1, {9, 9, 9}, false},
    {167, "data\\gfx\\lake_blink_up", 1, {4, 4, 4}, false},
    {168, "data\\gfx\\lake_downup", 1, {10, 10, 10}, false},
    {169, "data\\gfx\\lake_dying", 1, {16, 16, 16}, false},
    {170, "data\\gfx\\lake_dying_safe", 1, {0, 12, 12}, false},
    {172, "data\\gfx\\lake_play_down", 1, {11, 11, 11}, false},
    {173, "data\\gfx\\lake_blink_down", 1, {4, 4, 4}, false},
    {175, "data\\gfx\\lake_updown", 1, {9, 9, 9}, false},
    {176, "data\\gfx\\lake_ups_goingout", 1, {0, 33, 33}, false},
    {179, "data\\gfx\\toilet_bg", 1, {1, 1, 1}, false},
    {178, "data\\gfx\\toilet_distruction", 1, {21, 21, 21}, false},
    {180, "data\\gfx\\toilet_die", 1, {8, 8, 8}, false},
    {181, "data\\gfx\\toilet_acting", 1, {27, 27, 27}, false},
    {182, "data\\gfx\\toilet_shaking", 1, {6, 6, 6}, false},
    {183, "data\\gfx\\kite_broken", 1, {0, 5, 5}, false},
    {184, "data\\gfx\\kite_qz", 1, {0, 12, 12}, false},
    {185, "data\\gfx\\beehive_handup", 1, {9, 9, 9}, false},
    {186, "data\\gfx\\beehive_handdown", 1, {7, 7, 7}, false},
    {187, "data\\gfx\\beehive_die", 1, {6, 6, 6}, false},
    {188, "data\\gfx\\beehive_knock", 1, {10, 10, 10}, false},
    {189, "data\\gfx\\beehive_turn", 1, {19, 19, 19}, false},
    {191, "data\\gfx\\car_bumper", 1, {0, 16, 16}, false},
    {195, "data\\gfx\\car_frontshoot1", 1, {1, 11, 11}, false},
    {193, "data\\gfx\\car_door", 1, {0, 12, 12}, false},
    {190, "data\\gfx\\car_honk_action2", 1, {8, 8, 8}, false},
    {192, "data\\gfx\\car_die", 1, {5, 5, 5}, false},
    {194, "data\\gfx\\car_down_action6", 1, {9, 9, 9}, false},
    {197, "data\\gfx\\car_blink_action_after3and5", 1, {5, 5, 5}, false},
    {198, "data\\gfx\\car_look_action3", 1, {9, 9, 9}, false},
    {199, "data\\gfx\\car_turnof_action5", 1, {8, 8, 8}, false},
    {200, "data\\gfx\\car_turnto_action4", 1, {8, 8, 8}, false},
    {201, "data\\gfx\\car_up_action1", 1, {12, 12, 12}, false},
    {247, "data\\gfx\\car_door_qz", 1, {0, 12, 12}, false},
    {248, "data\\gfx\\car_door_qz_die", 1, {0, 8, 8}, false},
    {249, "data\\gfx\\car_front_qz", 1, {0, 7, 7}, false},
    {250, "data\\gfx\\car_front_qz_die", 1, {0, 5, 5}, false},
    {251, "data\\gfx\\oilpool", 1, {0, 6, 6}, false},
    {252, "data\\gfx\\oilbarrel", 1, {0, 1, 1}, false},
    {217, "data\\gfx2\\cloth1", 1, {0, 0, 2}, false},
    {218, "data\\gfx2\\cloth2", 1, {0, 0, 2}, false},
    {219, "data\\gfx2\\cloth3", 1, {0, 0, 2}, false},
    {203, "data\\gfx2\\axe", 1, {0, 0, 3}, false},
    {204, "data\\gfx2\\trambo", 1, {0, 0, 5}, false},
    {205, "data\\gfx2\\trambodead", 1, {0, 0, 1}, false},
    {206, "data\\gfx2\\shore", 1, {0, 0, 4}, false},
    {207, "data\\gfx\\safe", 1, {0, 5, 5}, false},
    {212, "data\\gfx2\\doghouse", 1, {0, 0, 1}, false},
    {213, "data\\gfx2\\barrels", 1, {0, 0, 7}, false},
};

inline constexpr CatalogueUnit catalogue_units[] = {
    {LoadMode::surface, ed_all, 0, 1, 0},
    {LoadMode::surface, ed_xl_up, 1, 1, 0},
    {LoadMode::packed, ed_xl_up, 2, 1, 3},
    {LoadMode::packed, ed_all, 3, 1, 0},
    {LoadMode::packed, ed_all, 4, 1, 0},
    {LoadMode::packed, ed_all, 5, 6, 6},
    {LoadMode::packed, ed_xl_up, 11, 2, 0},
    {LoadMode::surface, ed_all, 13, 1, 0},
    {LoadMode::packed, ed_all, 14, 5, 9},
    {LoadMode::packed, ed_all, 19, 5, 0},
    {LoadMode::surface, ed_xl_up, 24, 4, 0},
    {LoadMode::packed, ed_xl_up, 28, 1, 12},
    {LoadMode::packed, ed_xl_up, 29, 1, 0},
    {LoadMode::packed, ed_xl_up, 30, 1, 0},
    {LoadMode::packed, ed_xl_up, 31, 1, 15},
    {LoadMode::packed, ed_all, 32, 3, 0},
    {LoadMode::surface, ed_xl_up, 35, 6, 0},
    {LoadMode::surface, ed_all, 41, 4, 18},
    {LoadMode::surface, ed_all, 45, 8, 0},
    {LoadMode::surface, ed_all, 53, 8, 0},
    {LoadMode::surface, ed_all, 61, 3, 21},
    {LoadMode::packed, ed_xxl, 64, 1, 0},
    {LoadMode::packed, ed_xxl, 65, 1, 0},
    {LoadMode::packed, ed_xl_up, 66, 1, 24},
    {LoadMode::packed, ed_xl_up, 67, 1, 0},
    {LoadMode::packed, ed_xl_up, 68, 1, 0},
    {LoadMode::packed, ed_xl_up, 69, 1, 27},
    {LoadMode::packed, ed_xl_up, 70, 1, 0},
    {LoadMode::packed, ed_xl_up, 71, 1, 0},
    {LoadMode::packed, ed_xl_up, 72, 1, 30},
    {LoadMode::packed, ed_xl_up, 73, 1, 0},
    {LoadMode::packed, ed_xxl, 74, 2, 0},
    {LoadMode::packed, ed_xxl, 76, 2, 33},
    {LoadMode::packed, ed_xxl, 78, 2, 0},
    {LoadMode::packed, ed_xxl, 80, 2, 0},
    {LoadMode::packed, ed_xxl, 82, 1, 36},
    {LoadMode::packed, ed_xxl, 83, 2, 0},
    {LoadMode::packed, ed_xxl, 85, 2, 0},
    {LoadMode::packed, ed_xxl, 87, 2, 39},
    {LoadMode::packed, ed_xxl, 89, 2, 0},
    {LoadMode::packed, ed_xxl, 91, 2, 0},
    {LoadMode::packed, ed_xxl, 93, 3, 42},
    {LoadMode::packed, ed_xxl, 96, 2, 0},
    {LoadMode::packed, ed_xxl, 98, 1, 0},
    {LoadMode::packed, ed_xxl, 99, 2, 45},
    {LoadMode::packed, ed_xl_up, 101, 1, 0},
    {LoadMode::packed, ed_xxl, 102, 2, 0},
    {LoadMode::packed, ed_xxl, 104, 2, 48},
    {LoadMode::packed, ed_xxl, 106, 2, 0},
    {LoadMode::packed, ed_all, 108, 3, 0},
    {LoadMode::packed, ed_all, 111, 4, 51},
    {LoadMode::packed, ed_xl_up, 115, 6, 0},
    {LoadMode::packed, ed_xl_up, 121, 1, 0},
    {LoadMode::packed, ed_xl_up, 122, 2, 54},
    {LoadMode::packed, ed_xl_up, 124, 3, 0},
    {LoadMode::packed, ed_all, 127, 6, 0},
    {LoadMode::packed, ed_all, 133, 7, 57},
    {LoadMode::packed, ed_all, 140, 2, 0},
    {LoadMode::packed, ed_all, 142, 1, 0},
    {LoadMode::surface, ed_all, 143, 1, 60},
    {LoadMode::packed, ed_all, 144, 9, 0},
    {LoadMode::packed, ed_all, 153, 1, 0},
    {LoadMode::packed, ed_all, 154, 4, 63},
    {LoadMode::packed, ed_xl_up, 158, 1, 0},
    {LoadMode::packed, ed_xl_up, 159, 1, 0},
    {LoadMode::packed, ed_all, 160, 5, 66},
    {LoadMode::packed, ed_xl_up, 165, 1, 0},
    {LoadMode::packed, ed_all, 166, 1, 0},
    {LoadMode::packed, ed_xl_up, 167, 1, 69},
    {LoadMode::packed, ed_all, 168, 12, 0},
    {LoadMode::packed, ed_xl_up, 180, 2, 0},
    {LoadMode::packed, ed_xxl, 182, 1, 72},
    {LoadMode::packed, ed_xxl, 183, 1, 0},
    {LoadMode::packed, ed_xxl, 184, 1, 0},
    {LoadMode::packed, ed_xxl, 185, 1, 75},
    {LoadMode::packed, ed_xxl, 186, 2, 0},
    {LoadMode::packed, ed_xxl, 188, 1, 0},
    {LoadMode::packed, ed_xl_up, 189, 1, 78},
    {LoadMode::packed, ed_xxl, 190, 1, 0},
    {LoadMode::packed, ed_xxl, 191, 1, 80},
};


inline constexpr int sprite_slots = 290;
inline constexpr int packed_group_count = 70;

constexpr int count_packed_units() {
    int n = 0;
    for (const CatalogueUnit& u : catalogue_units) n += u.mode == LoadMode::packed;
    return n;
}
static_assert(count_packed_units() == packed_group_count);

constexpr bool catalogue_slots_distinct() {
    bool used[sprite_slots] = {};
    for (const CatalogueSprite& s : catalogue_sprites) {
        if (s.sprite < 0 || s.sprite >= sprite_slots || used[s.sprite]) return false;
        used[s.sprite] = true;
    }
    return true;
}
static_assert(catalogue_slots_distinct());

// Frame count of an entry in an edition (1 XS, 2 XL, 3 XXL); 0 when that edition does not load it.
constexpr int catalogue_rows(const CatalogueSprite& s, int edition) {
    return edition >= 1 && edition <= 3 ? s.rows[edition - 1] : 0;
}

// Menu buttons: "data\gfx\<name>", 1 column × 3 rows (normal, under the pointer, pressed),
// loaded after the catalogue into sprite button_first_sprite + index.
struct MenuButton {
    const char* name;
    std::int16_t x, y;
};
inline constexpr int button_first_sprite = 57;
inline constexpr int button_rows = 3;
inline constexpr MenuButton menu_buttons[] = {
    {"data\\gfx\\menu_start", 150, 518},     {"data\\gfx\\menu_hilfe", 286, 518},
    {"data\\gfx\\menu_highscore", 432, 518}, {"data\\gfx\\menu_exit", 598, 518},
    {"data\\gfx\\highscore_send", 227, 473}, {"data\\gfx\\highscore_menu", 376, 520},
};

// Loading screen: both pictures 1 × 1 in surface mode; the bar grows upward at (216, 110).
inline constexpr int loading_sprite = 90;
inline constexpr int loading_bar_sprite = 91;
inline constexpr const char* loading_picture = "data\\gfx\\loading";
inline constexpr const char* loading_bar_picture = "data\\gfx\\loadingbar";
inline constexpr int loading_bar_x = 216;
inline constexpr int loading_bar_y = 110;

// Scene 1 layers 0..4, front to back; rows that hold only transparent pixels at the top and the
// bottom are trimmed, layer 1 is the scroll reference.
inline constexpr const char* scene1_layers[5] = {
    "data\\gfx\\ol", "data\\gfx\\olul", "data\\gfx\\ul", "data\\gfx\\bg", "data\\gfx\\sky",
};
// Scene 2 (edition XXL): layers 0..2, 800 × 600 each, fixed.
inline constexpr const char* scene2_layers[3] = {
    "data\\gfx2\\ol", "data\\gfx2\\ul", "data\\gfx2\\sky",
};
inline constexpr std::uint8_t scene2_editions = ed_xxl;

// Full-screen pictures by number, 800 × 600, never 8-bit.
inline constexpr const char* screen_pictures[6] = {
    "data\\gfx\\titelcard", "data\\gfx\\help",          "data\\gfx\\highscore",
    "data\\gfx\\credits",   "data\\gfx\\startbranding", "data\\gfx\\endbranding",
};

// Exit-screen pictures: "data\gfx\ad<n>.jpg" (1 × 1) into sprite ad_first_sprite - 1 + n for
// every n the archive holds, and the exit button "data\gfx\but_xit" (1 × 1) outside XXL.
struct ExitPicture {
    std::int16_t sprite;
    const char* name;
    std::uint8_t editions;  // editions whose archive holds it
    bool jpeg;              // stored as ".jpg" (the advertisement load only looks for that)
};
inline constexpr int ad_first_sprite = 270;
inline constexpr int ad_max = 10;
inline constexpr int exit_button_sprite = 269;
inline constexpr ExitPicture exit_pictures[] = {
    {270, "data\\gfx\\ad1", ed_xs | ed_xl, true},
    {271, "data\\gfx\\ad2", ed_xs, true},
    {272, "data\\gfx\\ad3", ed_xs, true},
    {269, "data\\gfx\\but_xit", ed_xs | ed_xl, false},
};

// Where the pictures expect the targets whose places the scene leaves to the artwork: the top
// left corner of the cell in the coordinates of the layer the target stands on (depth), or,
// for parts drawn with another sprite, the offset from that sprite's position.
struct ArtAnchor {
    const char* name;  // the sprite, or the first of a family drawn at the same place
    std::int16_t x, y;
    std::int8_t depth;
    const char* note;
};
inline constexpr ArtAnchor art_anchors[] = {
    {"data\\gfx\\beehive_handup", 150, 288, 1, "every beehive_* animation; the hive box is x 5..31, y 0..28"},
    {"data\\gfx\\toilet_bg", 2830, 175, 1, "every toilet_* animation"},
    {"data\\gfx\\lake_play_up", 300, 406, 1, "every lake chicken animation shares the lake's place"},
    {"data\\gfx\\safe", 460, 228, 1, "x above the chicken on the bank; it stops falling at y 228"},
    {"data\\gfx\\car_frontshoot1", 846, 184, 1, "the car's front light"},
    {"data\\gfx\\car_door", 985, 184, 1, "the car's door"},
    {"data\\gfx\\car_bumper", 846, 254, 1, "the car's bumper"},
    {"data\\gfx\\oilbarrel", 1092, 262, 1, "the oil pool lies at (1051, 295)"},
    {"data\\gfx\\cornfield_up", 1250, 275, 2, "x anywhere from 1250 to 1649; also the flag_* animations"},
    {"data\\gfx\\front_up_down_action", 0, 420, 0, "every front_* animation; rises from below the screen"},
    {"data\\gfx\\front_cards", 35, 6, 0, "offset from the front character, onto the board it holds up"},
    {"data\\gfx\\weapon", 290, 308, 0, "the megagun's resting place on the screen"},
    {"data\\gfx\\barrel", 160, 44, 0, "offset from the megagun"},
    {"data\\gfx\\fire", 272, 40, 0, "offset from the megagun, at the barrel's muzzle"},
    {"data\\gfx\\bullets", -20, 56, 0, "offset from the megagun"},
    {"data\\gfx\\pluesch", 88, -2, 0, "offset from the megagun, sitting on top"},
    {"data\\gfx\\rocket", 4, 20, 0, "offset from the megagun"},
    {"data\\gfx\\screen", 70, 98, 0, "offset from the megagun"},
    {"data\\gfx\\arrowspin", 130, 100, 0, "offset from the megagun"},
    {"data\\gfx2\\trambo", 330, 200, 1, "y is the lowest point of the jump"},
    {"data\\gfx2\\ghost", 325, 424, 0, "rises from the grave"},
};

// The sprite number of a catalogue picture by its name ("data\\gfx\\tree_upset"); -1 when the
// catalogue has none (the unmirrored entry when a picture is loaded twice).
constexpr int find_sprite(const char* name) {
    for (const CatalogueSprite& c : catalogue_sprites) {
        if (c.mirrored) continue;
        const char* p = c.name;
        const char* q = name;
        while (*p && *p == *q) {
            ++p;
            ++q;
        }
        if (*p == *q) return c.sprite;
    }
    return -1;
}

// The mouse cursor: frame 0 crosshair, 1 pointing hand, 2 caret.
inline constexpr int cursor_sprite = find_sprite("data\\gfx\\mousecursor");
static_assert(cursor_sprite == 220);

// The anchor of a sprite by name; null when the table has none.
constexpr const ArtAnchor* find_art_anchor(const char* name) {
    for (const ArtAnchor& a : art_anchors) {
        const char* p = a.name;
        const char* q = name;
        while (*p && *p == *q) {
            ++p;
            ++q;
        }
        if (*p == *q) return &a;
    }
    return nullptr;
}


// Text table and font.
inline constexpr const char* text_file = "data\\text.txt";
inline constexpr const char* font_definition = "data\\qzt.fnt";
inline constexpr const char* font_picture = "data\\gfx\\font_crunched";

}  // namespace gfx
