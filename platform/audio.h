// SPDX-License-Identifier: GPL-3.0-or-later
// The sound device and its buffers: the part of the platform layer the game's sound and music
// modules speak to. It behaves as the game expects of DirectSound: one device object, secondary
// buffers in any PCM format, lock and unlock of a byte range (one or two regions), play once or
// looped, stop, play position, status with a playing bit and a lost state, volume in hundredths
// of a decibel for buffers made with volume control, and restore. Results are DS_OK or the
// DSERR_ codes of dx_results.h.
//
// The buffers are mixed by the layer itself into one 44100 Hz stereo 16-bit stream: through SDL's
// audio device in the SDL backend, against the virtual clock in the headless backend (which can
// write what it mixed to the WAV file named by GRUMBOLDX_AUDIO_WAV). While the window does not
// have the keyboard focus the device is held: nothing is heard and no play position moves.
//
// Every call may come from the main thread or from a timer thread (platform/timer.h); calls on
// one buffer must not overlap, except status and position queries.
#pragma once

#include <cstdint>

#include "platform/dx_results.h"

namespace plat {

struct SoundDevice;  // opaque
struct SoundBuffer;  // opaque

// The PCM wave format record, its fields in the order and widths of the standard one.
struct WaveFormat {
  std::uint16_t format_tag;  // 1 = PCM, the only one accepted
  std::uint16_t channels;    // 1 or 2
  std::uint32_t samples_per_sec;
  std::uint32_t avg_bytes_per_sec;
  std::uint16_t block_align;  // channels * bits / 8
  std::uint16_t bits_per_sample;  // 8 (unsigned) or 16 (signed)
  std::uint16_t extra_size;
};

// A buffer's description: the 20-byte layout (size 20), the capability flags, the length of the
// buffer in bytes, a reserved 0 and the samples' format.
struct SoundBufferDesc {
  std::uint32_t size;
  std::uint32_t flags;
  std::uint32_t buffer_bytes;
  std::uint32_t reserved;
  const WaveFormat* format;
};
constexpr std::uint32_t sound_buffer_desc_size = 20;

constexpr std::uint32_t DSBCAPS_CTRLVOLUME = 0x80;  // the volume can be set
constexpr std::uint32_t DSBPLAY_LOOPING = 0x1;
constexpr std::uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr std::uint32_t DSBSTATUS_BUFFERLOST = 0x2;
constexpr std::uint32_t DSBSTATUS_LOOPING = 0x4;
constexpr int DSSCL_EXCLUSIVE = 3;
constexpr std::int32_t DSBVOLUME_MIN = -10000;  // silent
constexpr std::int32_t DSBVOLUME_MAX = 0;       // full level
constexpr std::uint32_t DSBFREQUENCY_MIN = 100;
constexpr std::uint32_t DSBFREQUENCY_MAX = 200000;
constexpr std::uint32_t DSBSIZE_MIN = 4;
constexpr std::uint32_t DSBSIZE_MAX = 0x0FFFFFFF;

// The rate and channels of the mixed stream.
constexpr int mix_rate = 44100;
constexpr int mix_channels = 2;

// ---------------------------------------------------------------------------------------------
// The device

// Opens the default sound device. DSERR_NODRIVER when the machine has none or it cannot be
// opened, DSERR_ALLOCATED while another device object exists.
HRESULT sound_device_create(SoundDevice** out);
// The cooperation with other programs (the game asks for DSSCL_EXCLUSIVE).
HRESULT sound_device_set_cooperative_level(SoundDevice* device, int level);
// Closes the device; buffers still alive are released with it.
HRESULT sound_device_release(SoundDevice* device);
// Every buffer of the device reports the lost state, as when the device is taken away.
// Harmless when there is no device.
void sound_device_lose_buffers();

// ---------------------------------------------------------------------------------------------
// Buffers

// A secondary buffer of desc->buffer_bytes bytes (4 .. 0x0FFFFFFF), filled with silence.
// DSERR_BADFORMAT for a format the mixer cannot play (not PCM, not 1 or 2 channels of 8 or 16
// bits, a rate outside 100 .. 200000, a block align that does not fit), DSERR_INVALIDPARAM for a
// malformed description.
HRESULT sound_buffer_create(SoundDevice* device, const SoundBufferDesc* desc, SoundBuffer** out);
HRESULT sound_buffer_release(SoundBuffer* buffer);

// Locks bytes bytes from offset on, wrapping past the end: the first region runs from offset,
// the second (null and 0 when the range does not wrap) from the start of the buffer. Bytes the
// mixer would read inside a locked range sound as silence. One lock at a time.
HRESULT sound_buffer_lock(SoundBuffer* buffer, std::uint32_t offset, std::uint32_t bytes,
                          void** region1, std::uint32_t* bytes1, void** region2,
                          std::uint32_t* bytes2);
// Ends the lock; the regions must be those the lock gave.
HRESULT sound_buffer_unlock(SoundBuffer* buffer, void* region1, std::uint32_t bytes1,
                            void* region2, std::uint32_t bytes2);

// Plays from the current position: once (flags 0), or looped with DSBPLAY_LOOPING. A buffer that
// plays once stops at its end and stays there.
HRESULT sound_buffer_play(SoundBuffer* buffer, std::uint32_t flags);
HRESULT sound_buffer_stop(SoundBuffer* buffer);
// The play position in bytes (rounded down to a whole sample frame).
HRESULT sound_buffer_set_position(SoundBuffer* buffer, std::uint32_t position);
// The play position, and the position from which writing is safe.
HRESULT sound_buffer_get_position(SoundBuffer* buffer, std::uint32_t* play, std::uint32_t* write);
// DSBSTATUS_ bits; a lost buffer answers DSBSTATUS_BUFFERLOST alone.
HRESULT sound_buffer_get_status(SoundBuffer* buffer, std::uint32_t* status);
// Volume in hundredths of a decibel, DSBVOLUME_MIN .. DSBVOLUME_MAX; DSERR_CONTROLUNAVAIL for a
// buffer made without DSBCAPS_CTRLVOLUME.
HRESULT sound_buffer_set_volume(SoundBuffer* buffer, std::int32_t volume);
HRESULT sound_buffer_get_volume(SoundBuffer* buffer, std::int32_t* volume);
// Gives a lost buffer back its memory (silence, position 0, stopped); DSERR_BUFFERLOST while the
// device is still away.
HRESULT sound_buffer_restore(SoundBuffer* buffer);

}  // namespace plat
