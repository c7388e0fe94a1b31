// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device object and its buffers, over the mixer. One device object at a time; its
// output is the backend's: SDL's audio device or the headless backend's virtual one.
#include "platform/audio.h"

#include <cstring>
#include <new>

#include "platform/audio_internal.h"
#include "platform/backend.h"

namespace plat {

struct SoundBuffer {
  SoundDevice* device = nullptr;
  int voice = -1;
  std::int16_t* storage = nullptr;  // 16-bit words, so 16-bit samples are read as such
  std::uint8_t* data = nullptr;     // the same memory as bytes
  std::uint32_t bytes = 0;
  std::uint32_t flags = 0;
  WaveFormat format{};
  std::int32_t volume = 0;
  // The outstanding lock, if any (the thread that locked also unlocks).
  bool locked = false;
  void* region1 = nullptr;
  void* region2 = nullptr;
};

struct SoundDevice {
  Mixer mixer;
  std::unique_ptr<AudioOutput> output;
  SoundBuffer* by_voice[mixer_voices] = {};
  int level = 0;
};

namespace {

SoundDevice* open_device = nullptr;
bool focused = false;

void free_buffer(SoundBuffer* b) {
  mixer_remove(b->device->mixer, b->voice);
  b->device->by_voice[b->voice] = nullptr;
  delete[] b->storage;
  delete b;
}

bool playable(const WaveFormat& f) {
  return f.format_tag == 1 && (f.channels == 1 || f.channels == 2) &&
         (f.bits_per_sample == 8 || f.bits_per_sample == 16) &&
         f.samples_per_sec >= DSBFREQUENCY_MIN && f.samples_per_sec <= DSBFREQUENCY_MAX &&
         f.block_align == f.channels * f.bits_per_sample / 8;
}

// A device that has gone away loses every buffer, as DirectSound's do.
void check_presence(SoundDevice* d) {
  if (d->output->present()) return;
  for (SoundBuffer* b : d->by_voice)
    if (b && !(mixer_state(d->mixer, b->voice) & voice_lost)) mixer_set_lost(d->mixer, b->voice, true);
}

bool lost(const SoundBuffer* b) { return mixer_state(b->device->mixer, b->voice) & voice_lost; }

}  // namespace

HRESULT sound_device_create(SoundDevice** out) {
  if (!out) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (open_device) return DSERR_ALLOCATED;
  if (backend().should_fail("DirectSoundCreate")) return DSERR_NODRIVER;
  auto* d = new SoundDevice;
  d->mixer.held.store(!focused);
  d->output = backend().open_audio(d->mixer);
  if (!d->output) {
    delete d;
    return DSERR_NODRIVER;
  }
  open_device = d;
  *out = d;
  return DS_OK;
}

HRESULT sound_device_set_cooperative_level(SoundDevice* device, int level) {
  if (!device || level < 1 || level > 4) return DSERR_INVALIDPARAM;
  if (backend().should_fail("SoundCooperativeLevel")) return DSERR_ALLOCATED;
  device->level = level;
  return DS_OK;
}

HRESULT sound_device_release(SoundDevice* device) {
  if (!device) return DSERR_INVALIDPARAM;
  // The output stops pulling first, so freeing the buffers waits for nothing.
  device->output.reset();
  for (SoundBuffer* b : device->by_voice)
    if (b) free_buffer(b);
  if (open_device == device) open_device = nullptr;
  delete device;
  return DS_OK;
}

void sound_device_lose_buffers() {
  if (!open_device) return;
  for (SoundBuffer* b : open_device->by_voice)
    if (b) mixer_set_lost(open_device->mixer, b->voice, true);
}

HRESULT sound_buffer_create(SoundDevice* device, const SoundBufferDesc* desc, SoundBuffer** out) {
  if (!out) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (!device || !desc || desc->size != sound_buffer_desc_size || desc->reserved != 0 ||
      !desc->format || desc->buffer_bytes < DSBSIZE_MIN || desc->buffer_bytes > DSBSIZE_MAX)
    return DSERR_INVALIDPARAM;
  if (!playable(*desc->format)) return DSERR_BADFORMAT;
  auto* b = new SoundBuffer;
  b->storage = new (std::nothrow) std::int16_t[(desc->buffer_bytes + 1) / 2]();
  if (!b->storage) {
    delete b;
    return DSERR_OUTOFMEMORY;
  }
  b->device = device;
  b->data = reinterpret_cast<std::uint8_t*>(b->storage);
  b->bytes = desc->buffer_bytes;
  b->flags = desc->flags;
  b->format = *desc->format;
  if (b->format.bits_per_sample == 8) std::memset(b->data, 0x80, b->bytes);  // 8-bit silence
  b->voice = mixer_add(device->mixer, b->data, b->bytes, b->format);
  if (b->voice < 0) {
    delete[] b->storage;
    delete b;
    return DSERR_OUTOFMEMORY;
  }
  device->by_voice[b->voice] = b;
  *out = b;
  return DS_OK;
}

HRESULT sound_buffer_release(SoundBuffer* buffer) {
  if (!buffer) return DSERR_INVALIDPARAM;
  free_buffer(buffer);
  return DS_OK;
}

HRESULT sound_buffer_lock(SoundBuffer* b, std::uint32_t offset, std::uint32_t bytes,
                          void** region1, std::uint32_t* bytes1, void** region2,
                          std::uint32_t* bytes2) {
  if (!b || !region1 || !bytes1 || offset >= b->bytes || bytes == 0 || bytes > b->bytes)
    return DSERR_INVALIDPARAM;
  if (b->locked) return DSERR_INVALIDCALL;
  check_presence(b->device);
  if (lost(b)) return DSERR_BUFFERLOST;
  mixer_lock_range(b->device->mixer, b->voice, offset, bytes);
  const std::uint32_t first = bytes < b->bytes - offset ? bytes : b->bytes - offset;
  // A caller that takes no second region gets the part up to the end of the buffer only.
  const bool wraps = first < bytes && region2 && bytes2;
  *region1 = b->data + offset;
  *bytes1 = first;
  if (region2) *region2 = wraps ? b->data : nullptr;
  if (bytes2) *bytes2 = wraps ? bytes - first : 0;
  b->locked = true;
  b->region1 = *region1;
  b->region2 = wraps ? b->data : nullptr;
  return DS_OK;
}

HRESULT sound_buffer_unlock(SoundBuffer* b, void* region1, std::uint32_t, void* region2,
                            std::uint32_t) {
  if (!b || !b->locked || region1 != b->region1 || region2 != b->region2) return DSERR_INVALIDPARAM;
  b->locked = false;
  mixer_unlock_range(b->device->mixer, b->voice);
  return DS_OK;
}

HRESULT sound_buffer_play(SoundBuffer* b, std::uint32_t flags) {
  if (!b) return DSERR_INVALIDPARAM;
  check_presence(b->device);
  if (lost(b)) return DSERR_BUFFERLOST;
  mixer_play(b->device->mixer, b->voice, flags & DSBPLAY_LOOPING);
  return DS_OK;
}

HRESULT sound_buffer_stop(SoundBuffer* b) {
  if (!b) return DSERR_INVALIDPARAM;
  mixer_stop(b->device->mixer, b->voice);
  return DS_OK;
}

HRESULT sound_buffer_set_position(SoundBuffer* b, std::uint32_t position) {
  if (!b || position >= b->bytes) return DSERR_INVALIDPARAM;
  mixer_set_position(b->device->mixer, b->voice, position);
  return DS_OK;
}

HRESULT sound_buffer_get_position(SoundBuffer* b, std::uint32_t* play, std::uint32_t* write) {
  if (!b) return DSERR_INVALIDPARAM;
  const std::uint32_t at = mixer_position(b->device->mixer, b->voice);
  if (play) *play = at;
  if (write) *write = at;
  return DS_OK;
}

HRESULT sound_buffer_get_status(SoundBuffer* b, std::uint32_t* status) {
  if (!b || !status) return DSERR_INVALIDPARAM;
  check_presence(b->device);
  const std::uint32_t state = mixer_state(b->device->mixer, b->voice);
  if (state & voice_lost) {
    *status = DSBSTATUS_BUFFERLOST;
  } else {
    *status = (state & voice_playing ? DSBSTATUS_PLAYING : 0) |
              (state & voice_looping ? DSBSTATUS_LOOPING : 0);
  }
  return DS_OK;
}

HRESULT sound_buffer_set_volume(SoundBuffer* b, std::int32_t volume) {
  if (!b) return DSERR_INVALIDPARAM;
  if (!(b->flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  b->volume = volume;
  mixer_set_volume(b->device->mixer, b->voice, volume);
  return DS_OK;
}

HRESULT sound_buffer_get_volume(SoundBuffer* b, std::int32_t* volume) {
  if (!b || !volume) return DSERR_INVALIDPARAM;
  if (!(b->flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  *volume = b->volume;
  return DS_OK;
}

HRESULT sound_buffer_restore(SoundBuffer* b) {
  if (!b) return DSERR_INVALIDPARAM;
  if (!b->device->output->present()) return DSERR_BUFFERLOST;
  if (lost(b)) {
    mixer_set_position(b->device->mixer, b->voice, 0);
    mixer_set_lost(b->device->mixer, b->voice, false);
  }
  return DS_OK;
}

void audio_set_focus(bool on) {
  focused = on;
  if (open_device) open_device->mixer.held.store(!on);
}

void audio_shutdown() {
  if (open_device) sound_device_release(open_device);
  open_device = nullptr;
  focused = false;
  headless_audio_shutdown();
}

}  // namespace plat
