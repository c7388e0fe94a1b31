// SPDX-License-Identifier: GPL-3.0-or-later
// The sound table and the game's list of sounds: which file each number loads, in which order,
// and where the loading bar moves on.
#include <cstdio>
#include <cstring>

#include "game/gfx/sprites.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"

namespace sound {

SoundEntry sound_table[sound_slots];

namespace {

struct SoundFile {
  int number;
  const char* base_name;
  std::uint32_t buffer_flags;
  bool keep_stereo;
  int loading_bar;  // the bar's percentage after this row, 0 for none
};

// In load order.
constexpr SoundFile sound_list[] = {
    {23, "data\\sfx\\game_over", 0, false, 0},
    {16, "data\\sfx\\gun reload", 0, false, 0},
    {15, "data\\sfx\\gunblast", 0, false, 0},
    {40, "data\\sfx\\time_running", 0, false, 0},
    {4, "data\\sfx\\chicken close", 0, false, 0},
    {5, "data\\sfx\\chicken mid", 0, false, 0},
    {6, "data\\sfx\\chicken far", 0, false, 0},
    {1, "data\\sfx\\ambientloop", 0, true, 0},  // played looped during a round
    {12, "data\\sfx\\empty magazine", 0, false, 0},
    {24, "data\\sfx\\game_start", 0, false, 85},
    {7, "data\\sfx\\chickenheartattack", 0, false, 0},
    {50, "data\\sfx\\button1", 0, false, 0},
    {52, "data\\sfx\\megablastx", 0, false, 0},
    {53, "data\\sfx\\open_megagun", 0, false, 0},
    {54, "data\\sfx\\chick_appear", 0, false, 0},
    {55, "data\\sfx\\chick_pan", 0, false, 0},
    {56, "data\\sfx\\hit1", 0, false, 0},
    {57, "data\\sfx\\hit_wood1", 0, false, 0},
    {58, "data\\sfx\\hit_wood2", 0, false, 0},
    {59, "data\\sfx\\hit_wood3", 0, false, 0},
    {60, "data\\sfx\\hit_metal1", 0, false, 0},
    {61, "data\\sfx\\hit_metal2", 0, false, 0},
    {62, "data\\sfx\\hit_switch", 0, false, 0},
    {63, "data\\sfx\\hit_snail", 0, false, 0},
    {64, "data\\sfx\\hit_pumpkin", 0, false, 0},
    {65, "data\\sfx\\hit_glass", 0, false, 0},
    {66, "data\\sfx\\hit_stone", 0, false, 0},
    {67, "data\\sfx\\hit_jacknjoe", 0, false, 0},
    {68, "data\\sfx\\hit_ghost", 0, false, 90},
    {69, "data\\sfx\\crash1", 0, false, 0},
    {71, "data\\sfx\\fishing", 0, false, 0},
    {74, "data\\sfx\\fishing2", 0, false, 0},
    {72, "data\\sfx\\howl", 0, false, 0},
    {73, "data\\sfx\\water", 0, false, 0},
    {75, "data\\sfx\\screen_knock", 0, false, 0},
    {76, "data\\sfx\\paper", 0, false, 0},
    {77, "data\\sfx\\paper_flight", 0, false, 0},
    {78, "data\\sfx\\chick_grill", 0, false, 0},
    {79, "data\\sfx\\chick_ready", 0, false, 0},
    {81, "data\\sfx\\oven_squeek", 0, false, 0},
    {80, "data\\sfx\\oven_doing", 0, false, 0},
    {82, "data\\sfx\\snail_apple", 0, false, 0},
    {83, "data\\sfx\\snail_chew", 0, false, 0},
    {84, "data\\sfx\\box_open", 0, false, 0},
    {85, "data\\sfx\\box_lock_open", 0, false, 0},
    {86, "data\\sfx\\box_lock_shot", 0, false, 0},
    {87, "data\\sfx\\key", 0, false, 0},
    {88, "data\\sfx\\tree_laugh", 0, false, 0},
    {89, "data\\sfx\\tree_laugh_short", 0, false, 95},
    {90, "data\\sfx\\stone_crash", 0, false, 0},
    {91, "data\\sfx\\card_shuffle", 0, false, 0},
    {92, "data\\sfx\\trampolin", 0, false, 0},
    {93, "data\\sfx\\horn", 0, false, 0},
    {94, "data\\sfx\\ghost", 0, false, 0},
    {95, "data\\sfx\\beehive_stick", 0, false, 0},
    {96, "data\\sfx\\sign_turn", 0, false, 0},
    {97, "data\\sfx\\hit_metal3", 0, false, 0},
    {99, "data\\sfx\\bee_hit1", 0, false, 0},
    {100, "data\\sfx\\bee_hit2", 0, false, 0},
    {101, "data\\sfx\\bee_hit3", 0, false, 0},
    {102, "data\\sfx\\bee_loop", volume_control, true, 0},  // looped, volume set by the game
    {103, "data\\sfx\\chick_pan2", 0, false, 0},
    {104, "data\\sfx\\chick_pan3", 0, false, 0},
    {105, "data\\sfx\\hit_apple", 0, false, 0},
    {106, "data\\sfx\\hit_sheep", 0, false, 0},
    {107, "data\\sfx\\level2_score", 0, false, 0},
    {108, "data\\sfx\\sheephappy", 0, false, 0},
    {109, "data\\sfx\\snail_move", 0, false, 100},
};
static_assert(sizeof sound_list / sizeof sound_list[0] == 68);

// File names are built in a buffer of this size, as the archive's own lookups are.
constexpr int file_name_size = 100;

}  // namespace

void load_sounds() {
  for (SoundEntry& entry : sound_table) XFREE(entry.samples);  // a second load starts afresh
  std::memset(sound_table, 0, sizeof sound_table);
  res::debug_log("load sounds\n");
  for (const SoundFile& s : sound_list) {
    load_sound(s.number, s.base_name, s.buffer_flags, s.keep_stereo);
    if (s.loading_bar) gfx::loading_bar(s.loading_bar);
  }
  gfx::hide_loading_screen();
}

SoundEntry* begin_sound_entry(int number, const char* file_name) {
  if (number < 0 || number >= sound_slots) return nullptr;
  SoundEntry& entry = sound_table[number];
  XFREE(entry.samples);
  entry.samples = nullptr;
  entry.sample_length = 0;
  res::debug_log("load sound effect: \"%s\"\n", file_name);
  return &entry;
}

void load_sound(int number, const char* base_name, std::uint32_t buffer_flags, bool keep_stereo) {
  char file_name[file_name_size];
  if (res::xfexist(base_name, ".wav")) {
    std::snprintf(file_name, sizeof file_name, "%s.wav", base_name);
    load_wav_sound(number, file_name, buffer_flags);
  } else if (res::xfexist(base_name, ".ogg")) {
    std::snprintf(file_name, sizeof file_name, "%s.ogg", base_name);
    load_ogg_sound(number, file_name, buffer_flags, keep_stereo);
  } else if (res::xfexist(base_name, ".mp3")) {
    res::debug_log("mp3s are not supported anymore!\n");
  } else {
    res::debug_log("load sound: file %s not found\n", base_name);
  }
}

}  // namespace sound
