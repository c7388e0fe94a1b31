// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device's life: made at start and after every display rebuild, one buffer per sound
// plus the music's streaming buffer, released before the display goes and at the end, and
// rebuilt whole when a buffer is lost.
#include <atomic>
#include <cstring>

#include "game/ogg/music.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"
#include "platform/timer.h"

namespace sound {

plat::SoundBuffer* sound_buffers[sound_slots];
plat::SoundDevice* sound_device = nullptr;
bool sound_available = false;

namespace {

// Set by the music timer's thread when the streaming buffer was lost; cleared by the restore
// and by terminate_sound, so a restore asked for just before the end never runs after it.
std::atomic<bool> restore_wanted{false};

void restore_if_still_wanted() {
  if (restore_wanted.exchange(false)) restore_sound();
}

// One sound's buffer, filled with its samples; an empty number gets none, and so does one whose
// buffer cannot be made or filled.
void create_sound_buffer(int number) {
  sound_buffers[number] = nullptr;
  const SoundEntry& entry = sound_table[number];
  if (!entry.samples) return;
  const plat::SoundBufferDesc desc{plat::sound_buffer_desc_size, entry.buffer_flags,
                                   entry.sample_length, 0, &entry.format};
  plat::SoundBuffer* buffer = nullptr;
  if (REPORT_DS(plat::sound_buffer_create(sound_device, &desc, &buffer))) return;
  void* region1 = nullptr;
  void* region2 = nullptr;
  std::uint32_t bytes1 = 0, bytes2 = 0;
  const plat::HRESULT locked =
      plat::sound_buffer_lock(buffer, 0, entry.sample_length, &region1, &bytes1, &region2, &bytes2);
  if (REPORT_DS(locked)) {
    res::debug_log("lock ds-buffer result: %x\n", static_cast<unsigned>(locked));
    REPORT_DS(plat::sound_buffer_release(buffer));  // never written through: the number stays silent
    return;
  }
  std::memcpy(region1, entry.samples, bytes1);
  if (region2) std::memcpy(region2, entry.samples + bytes1, bytes2);
  if (REPORT_DS(plat::sound_buffer_unlock(buffer, region1, bytes1, region2, bytes2))) {
    REPORT_DS(plat::sound_buffer_release(buffer));
    return;
  }
  sound_buffers[number] = buffer;
}

}  // namespace

void init_sound() {
  sound_available = false;
  if (REPORT_DS(plat::sound_device_create(&sound_device))) return;  // the game runs silent
  if (REPORT_DS(plat::sound_device_set_cooperative_level(sound_device, plat::DSSCL_EXCLUSIVE))) return;
  sound_available = true;
  for (int number = 0; number < sound_slots; ++number) create_sound_buffer(number);
  res::debug_log("create streaming buffer\n");
  streaming_buffer = create_streaming_buffer();
  if (streaming_buffer) REPORT_DS(plat::sound_buffer_play(streaming_buffer, plat::DSBPLAY_LOOPING));
}

void terminate_sound(bool free_samples) {
  restore_wanted = false;
  if (music_requested()) stop_music();
  for (int number = 0; number < sound_slots; ++number) {
    if (sound_buffers[number]) {
      REPORT_DS(plat::sound_buffer_release(sound_buffers[number]));
      sound_buffers[number] = nullptr;
    }
    // Every sample block goes at the end, also those of sounds whose buffer was never made.
    if (free_samples) {
      XFREE(sound_table[number].samples);
      sound_table[number].samples = nullptr;
    }
  }
  if (streaming_buffer) {
    REPORT_DS(plat::sound_buffer_stop(streaming_buffer));
    REPORT_DS(plat::sound_buffer_release(streaming_buffer));
    streaming_buffer = nullptr;
  }
  if (sound_device) {
    REPORT_DS(plat::sound_device_release(sound_device));
    sound_device = nullptr;
  }
}

void restore_sound() {
  terminate_sound(false);
  init_sound();
}

void request_restore_sound() {
  restore_wanted = true;
  plat::run_on_main_thread(restore_if_still_wanted);
}

}  // namespace sound
