// SPDX-License-Identifier: GPL-3.0-or-later
// Playing sounds by number. A number plays in one buffer only, so playing it again restarts it;
// a buffer found lost rebuilds the whole sound system first.
#include "game/resources/dx_errors.h"
#include "game/sound/sound.h"

namespace sound {

namespace {

// The number's buffer, or null when there is nothing to play.
plat::SoundBuffer* buffer_of(int number) {
  if (!sound_available || number < 0 || number >= sound_slots) return nullptr;
  return sound_buffers[number];
}

// Asks for the buffer's status; a lost buffer rebuilds the sound system. Returns the number's
// buffer afterwards, null if it has none now.
plat::SoundBuffer* checked_buffer(int number) {
  std::uint32_t status = 0;
  REPORT_DS(plat::sound_buffer_get_status(sound_buffers[number], &status));
  if (status == plat::DSBSTATUS_BUFFERLOST) restore_sound();
  return buffer_of(number);
}

void start(int number, std::uint32_t flags) {
  if (!buffer_of(number)) return;
  plat::SoundBuffer* buffer = checked_buffer(number);
  if (!buffer) return;
  REPORT_DS(plat::sound_buffer_stop(buffer));
  REPORT_DS(plat::sound_buffer_set_position(buffer, 0));
  REPORT_DS(plat::sound_buffer_play(buffer, flags));
}

}  // namespace

void play_sound(int number) { start(number, 0); }

void play_sound_looped(int number) { start(number, plat::DSBPLAY_LOOPING); }

void stop_sound(int number) {
  if (!buffer_of(number)) return;
  plat::SoundBuffer* buffer = checked_buffer(number);
  if (!buffer) return;
  REPORT_DS(plat::sound_buffer_stop(buffer));
  REPORT_DS(plat::sound_buffer_set_position(buffer, 0));
}

bool sound_is_playing(int number) {
  if (!buffer_of(number)) return false;
  std::uint32_t status = 0;
  REPORT_DS(plat::sound_buffer_get_status(sound_buffers[number], &status));
  if (status == plat::DSBSTATUS_BUFFERLOST) {
    restore_sound();
    return false;
  }
  return status & plat::DSBSTATUS_PLAYING;
}

void set_sound_volume(int number, int volume) {
  plat::SoundBuffer* buffer = buffer_of(number);
  if (!buffer) return;
  REPORT_DS(plat::sound_buffer_set_volume(buffer, volume - 10000));
}

}  // namespace sound
