// Sound effects by number (0..119): loaded once at start, one buffer each, played once or
// looped, stopped, asked about, and (for buffers made with volume control) set in volume
// 0..10000. Every operation on a number without a sound, or while no sound device is available,
// does nothing.
#pragma once

namespace sound {

constexpr int sound_slots = 120;

// Sound numbers the screens and the round play.
constexpr int sound_ambient_loop = 1;
constexpr int sound_gunblast = 15;
constexpr int sound_gun_reload = 16;
constexpr int sound_game_over = 23;
constexpr int sound_game_start = 24;
constexpr int sound_button = 50;

void load_sounds();
void init_sound();
void terminate_sound(bool free_samples);
void restore_sound();

void play_sound(int number);
void play_sound_looped(int number);
void stop_sound(int number);
bool sound_is_playing(int number);
void set_sound_volume(int number, int volume);

}  // namespace sound
