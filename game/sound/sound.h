// SPDX-License-Identifier: GPL-3.0-or-later
// Sound effects by number (0..119): loaded once at start, one buffer each, played once or
// looped, stopped, asked about, and (for buffers made with volume control) set in volume
// 0..10000. Every operation on a number without a sound, or while no sound device is available,
// does nothing. The module also owns the sound device, made and released together with the
// music's streaming buffer (game/ogg/music.h), and rebuilds everything when a buffer is lost.
#pragma once

#include <cstdint>

#include "platform/audio.h"

namespace sound {

constexpr int sound_slots = 120;

// Sound numbers the screens and the round play.
constexpr int sound_ambient_loop = 1;
constexpr int sound_gunblast = 15;
constexpr int sound_gun_reload = 16;
constexpr int sound_game_over = 23;
constexpr int sound_game_start = 24;
constexpr int sound_button = 50;
constexpr int sound_bee_loop = 102;
constexpr int sound_chicken_close = 4;
constexpr int sound_chicken_mid = 5;
constexpr int sound_chicken_far = 6;
constexpr int sound_chicken_heart_attack = 7;
constexpr int sound_empty_magazine = 12;
constexpr int sound_time_running = 40;
constexpr int sound_megablast = 52;
constexpr int sound_open_megagun = 53;
constexpr int sound_chick_appear = 54;
constexpr int sound_hit_metal1 = 60;
constexpr int sound_hit_metal2 = 61;
constexpr int sound_horn = 93;
constexpr int sound_hit_metal3 = 97;
constexpr int sound_level2_score = 107;

// Buffer flags of a sound whose volume the game sets.
constexpr std::uint32_t volume_control = plat::DSBCAPS_CTRLVOLUME;

// One sound: its PCM format and samples (null for an empty number; the entry owns them), and the
// flags its buffer is made with.
struct SoundEntry {
  plat::WaveFormat format;
  unsigned char* samples;
  std::uint32_t sample_length;
  std::uint32_t buffer_flags;
};

// The sound table, the buffer of every number (null where the number is empty or its buffer
// could not be made), and whether a sound device is there to play them.
extern SoundEntry sound_table[sound_slots];
extern plat::SoundBuffer* sound_buffers[sound_slots];
extern plat::SoundDevice* sound_device;
extern bool sound_available;

// Clears the table and loads every sound of the game's list, moving the loading bar to 85, 90,
// 95 and 100 % on the way and hiding the loading screen at the end.
void load_sounds();
// Loads base_name + ".wav", else + ".ogg" (keep_stereo keeps a 2-channel Ogg file stereo); an
// ".mp3" alone or no file at all is logged and leaves the number empty.
void load_sound(int number, const char* base_name, std::uint32_t buffer_flags, bool keep_stereo);
// The loaders' common start: logs the file, empties the number's entry (its samples freed) and
// hands it out; null for a number outside the table.
SoundEntry* begin_sound_entry(int number, const char* file_name);
void load_wav_sound(int number, const char* file_name, std::uint32_t buffer_flags);
void load_ogg_sound(int number, const char* file_name, std::uint32_t buffer_flags,
                    bool keep_stereo);

// Where a WAV file image keeps its format and samples, found by the loader's chunk scan: the
// tags are compared at steps of 4 bytes ("WAVE" from the start, "fmt " from "WAVE", "data" from
// the end of the fmt body), so tags off that grid are not found.
enum class WavScan { ok, no_wave, no_fmt, no_data, empty };
struct WavLayout {
  plat::WaveFormat format;
  std::uint32_t samples_at;     // offset of the first sample byte
  std::uint32_t sample_length;  // never past the end of the image
};
// Reads nothing outside image[0 .. length).
WavScan scan_wav(const unsigned char* image, std::uint32_t length, WavLayout& out);

// Makes the sound device, every sound's buffer and the streaming buffer (which starts playing
// silence). Without a device the game runs silent.
void init_sound();
// Stops the music and releases every buffer and the device; free_samples also frees the table's
// samples (the end of the program).
void terminate_sound(bool free_samples);
// terminate_sound(false), then init_sound: every buffer rebuilt from the samples in memory.
void restore_sound();
// A restore asked for on the music timer's thread; the main thread runs it (through the
// platform's hand-off) unless the sound system was terminated in between.
void request_restore_sound();

void play_sound(int number);
void play_sound_looped(int number);
void stop_sound(int number);
bool sound_is_playing(int number);
void set_sound_volume(int number, int volume);

}  // namespace sound
