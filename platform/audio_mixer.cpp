// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/audio_mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace plat {

namespace {

// Frames mixed at a time: the accumulator lives on the audio thread's stack.
constexpr int chunk_frames = 256;
constexpr std::uint64_t one_frame = std::uint64_t{1} << 32;

// Waits until a pass that may have started before the caller's last store has ended. Only the
// threads outside the mixer wait here; the mixer itself never waits.
void wait_for_pass(Mixer& m) {
  const std::uint64_t seen = m.passes.load(std::memory_order_seq_cst);
  if ((seen & 1) == 0) return;
  while (m.passes.load(std::memory_order_acquire) == seen) std::this_thread::yield();
}

// Changes a voice's flags from outside the mixer: clears then sets bits and counts the change.
void change_state(MixVoice& v, std::uint32_t clear, std::uint32_t set) {
  std::uint32_t old = v.state.load(std::memory_order_relaxed);
  std::uint32_t next;
  do {
    next = ((old & ~clear) | set) + voice_change;
  } while (!v.state.compare_exchange_weak(old, next, std::memory_order_seq_cst));
}

// Whether [a, a + a_len) and [b, b + b_len) meet on a ring of size bytes (a, b < size).
bool ring_overlap(std::uint64_t a, std::uint64_t a_len, std::uint64_t b, std::uint64_t b_len,
                  std::uint64_t size) {
  if (a_len >= size || b_len >= size) return a_len && b_len;
  const std::uint64_t b_after_a = (b + size - a) % size;
  const std::uint64_t a_after_b = (a + size - b) % size;
  return b_after_a < a_len || a_after_b < b_len;
}

// One sample frame as left and right values in the 16-bit range.
template <int C, int B>
inline void frame_at(const MixVoice& v, std::uint32_t index, std::int32_t& l, std::int32_t& r) {
  if constexpr (B == 16) {
    const std::int16_t* s = reinterpret_cast<const std::int16_t*>(v.data) + index * C;
    l = s[0];
    r = C == 2 ? s[1] : l;
  } else {
    const std::uint8_t* s = v.data + index * C;
    l = (static_cast<std::int32_t>(s[0]) - 128) * 256;
    r = C == 2 ? (static_cast<std::int32_t>(s[1]) - 128) * 256 : l;
  }
}

// Adds count frames of the voice from pos, every source index and its neighbour inside the
// data. Linear interpolation with a 15-bit fraction; a voice at the mixing rate whose position
// has no fraction copies its samples.
template <int C, int B>
void add_frames(const MixVoice& v, std::int32_t* acc, int count, std::uint64_t pos,
                std::int32_t gain) {
  const std::uint64_t step = v.step;
  if (step == one_frame && (pos & 0xFFFFFFFFu) == 0) {
    const std::uint32_t first = static_cast<std::uint32_t>(pos >> 32);
    for (int i = 0; i < count; ++i) {
      std::int32_t l, r;
      frame_at<C, B>(v, first + static_cast<std::uint32_t>(i), l, r);
      acc[2 * i] += (l * gain) >> 16;
      acc[2 * i + 1] += (r * gain) >> 16;
    }
    return;
  }
  for (int i = 0; i < count; ++i, pos += step) {
    const std::uint32_t index = static_cast<std::uint32_t>(pos >> 32);
    const std::int32_t frac = static_cast<std::int32_t>((pos & 0xFFFFFFFFu) >> 17);
    std::int32_t l0, r0, l1, r1;
    frame_at<C, B>(v, index, l0, r0);
    frame_at<C, B>(v, index + 1, l1, r1);
    const std::int32_t l = l0 + (((l1 - l0) * frac) >> 15);
    const std::int32_t r = r0 + (((r1 - r0) * frac) >> 15);
    acc[2 * i] += (l * gain) >> 16;
    acc[2 * i + 1] += (r * gain) >> 16;
  }
}

// The last frame of the data: its neighbour is the first frame of a looping voice, else itself.
template <int C, int B>
void add_last_frame(const MixVoice& v, std::int32_t* acc, std::uint64_t pos, bool looping,
                    std::int32_t gain) {
  const std::uint32_t index = static_cast<std::uint32_t>(pos >> 32);
  const std::int32_t frac = static_cast<std::int32_t>((pos & 0xFFFFFFFFu) >> 17);
  std::int32_t l0, r0, l1, r1;
  frame_at<C, B>(v, index, l0, r0);
  frame_at<C, B>(v, looping ? 0 : index, l1, r1);
  acc[0] += ((l0 + (((l1 - l0) * frac) >> 15)) * gain) >> 16;
  acc[1] += ((r0 + (((r1 - r0) * frac) >> 15)) * gain) >> 16;
}

// Runs the voice for count mixed frames from pos, adding its sound unless silent. Returns the
// new position; ended is set when a voice that plays once ran out of data.
template <int C, int B>
std::uint64_t run_voice(const MixVoice& v, std::int32_t* acc, int count, std::uint64_t pos,
                        bool looping, bool silent, std::int32_t gain, bool& ended) {
  const std::uint64_t end = static_cast<std::uint64_t>(v.frames) << 32;
  const std::uint64_t last = end - one_frame;  // below it, every neighbour is inside the data
  int i = 0;
  while (i < count) {
    if (pos >= end) {
      if (!looping) {
        ended = true;
        return end;
      }
      pos %= end;
    }
    if (pos < last) {
      const std::uint64_t steps = (last - pos + v.step - 1) / v.step;
      const int n = static_cast<int>(std::min<std::uint64_t>(steps, static_cast<std::uint64_t>(count - i)));
      if (!silent) add_frames<C, B>(v, acc + 2 * i, n, pos, gain);
      pos += v.step * static_cast<std::uint64_t>(n);
      i += n;
    } else {
      if (!silent) add_last_frame<C, B>(v, acc + 2 * i, pos, looping, gain);
      pos += v.step;
      ++i;
    }
  }
  if (pos >= end && !looping) ended = true;
  return pos >= end ? (looping ? pos % end : end) : pos;
}

void mix_voice(MixVoice& v, std::int32_t* acc, int count) {
  const std::uint32_t state = v.state.load(std::memory_order_seq_cst);
  if ((state & (voice_in_use | voice_playing | voice_lost)) != (voice_in_use | voice_playing)) return;
  std::uint64_t pos = v.position.load(std::memory_order_acquire);
  const std::int32_t gain = v.gain.load(std::memory_order_relaxed);
  const std::uint64_t locked = v.locked.load(std::memory_order_seq_cst);
  const bool looping = state & voice_looping;

  bool silent = gain == 0;
  if (locked && !silent) {
    // The bytes this pass reads: from the current frame to the neighbour of the last one.
    const std::uint64_t first = (pos >> 32) % v.frames;
    const std::uint64_t span = ((v.step * static_cast<std::uint64_t>(count)) >> 32) + 2;
    silent = ring_overlap(first * v.block, span * v.block, locked >> 32, locked & 0xFFFFFFFFu,
                          static_cast<std::uint64_t>(v.frames) * v.block);
  }

  bool ended = false;
  std::uint64_t next;
  if (v.channels == 1 && v.bits == 16) next = run_voice<1, 16>(v, acc, count, pos, looping, silent, gain, ended);
  else if (v.channels == 2 && v.bits == 16) next = run_voice<2, 16>(v, acc, count, pos, looping, silent, gain, ended);
  else if (v.channels == 1) next = run_voice<1, 8>(v, acc, count, pos, looping, silent, gain, ended);
  else next = run_voice<2, 8>(v, acc, count, pos, looping, silent, gain, ended);

  // A change from outside during the pass wins: a rewind or a new play is never undone here.
  std::uint32_t seen = state;
  if (ended) v.state.compare_exchange_strong(seen, state & ~(voice_playing | voice_looping),
                                             std::memory_order_acq_rel);
  v.position.compare_exchange_strong(pos, next, std::memory_order_acq_rel);
}

}  // namespace

std::int32_t gain_of_volume(std::int32_t hundredths_db) {
  if (hundredths_db >= DSBVOLUME_MAX) return 65536;
  if (hundredths_db <= DSBVOLUME_MIN) return 0;
  return static_cast<std::int32_t>(std::lround(65536.0 * std::pow(10.0, hundredths_db / 2000.0)));
}

int mixer_add(Mixer& m, const std::uint8_t* data, std::uint32_t bytes, const WaveFormat& format) {
  for (int i = 0; i < mixer_voices; ++i) {
    MixVoice& v = m.voices[i];
    std::uint32_t free_state = 0;
    // Reserved (not yet in use) while its fields are filled in.
    if (!v.state.compare_exchange_strong(free_state, voice_change, std::memory_order_acq_rel)) continue;
    v.data = data;
    v.bytes = bytes;
    v.block = format.block_align;
    v.frames = bytes / format.block_align;
    v.channels = format.channels;
    v.bits = format.bits_per_sample;
    v.step = (static_cast<std::uint64_t>(format.samples_per_sec) << 32) / mix_rate;
    v.position.store(0, std::memory_order_relaxed);
    v.gain.store(65536, std::memory_order_relaxed);
    v.locked.store(0, std::memory_order_relaxed);
    v.state.store(voice_in_use + 2 * voice_change, std::memory_order_release);
    return i;
  }
  return -1;
}

void mixer_remove(Mixer& m, int voice) {
  MixVoice& v = m.voices[voice];
  v.state.store(voice_change, std::memory_order_seq_cst);  // reserved: no pass starts on it
  wait_for_pass(m);
  v.data = nullptr;
  v.state.store(0, std::memory_order_release);
}

void mixer_play(Mixer& m, int voice, bool looping) {
  change_state(m.voices[voice], voice_looping, voice_playing | (looping ? voice_looping : 0));
}

void mixer_stop(Mixer& m, int voice) {
  change_state(m.voices[voice], voice_playing | voice_looping, 0);
}

void mixer_set_position(Mixer& m, int voice, std::uint32_t byte) {
  MixVoice& v = m.voices[voice];
  const std::uint64_t frame = std::min<std::uint64_t>(byte / v.block, v.frames);
  v.position.store(frame << 32, std::memory_order_release);
}

std::uint32_t mixer_position(const Mixer& m, int voice) {
  const MixVoice& v = m.voices[voice];
  return static_cast<std::uint32_t>(v.position.load(std::memory_order_acquire) >> 32) * v.block;
}

std::uint32_t mixer_state(const Mixer& m, int voice) {
  return m.voices[voice].state.load(std::memory_order_acquire) & voice_flags;
}

void mixer_set_volume(Mixer& m, int voice, std::int32_t hundredths_db) {
  m.voices[voice].gain.store(gain_of_volume(hundredths_db), std::memory_order_relaxed);
}

void mixer_set_lost(Mixer& m, int voice, bool lost) {
  if (lost) change_state(m.voices[voice], voice_playing | voice_looping, voice_lost);
  else change_state(m.voices[voice], voice_lost, 0);
}

void mixer_lock_range(Mixer& m, int voice, std::uint32_t offset, std::uint32_t bytes) {
  m.voices[voice].locked.store(static_cast<std::uint64_t>(offset) << 32 | bytes,
                               std::memory_order_seq_cst);
  wait_for_pass(m);
}

void mixer_unlock_range(Mixer& m, int voice) {
  m.voices[voice].locked.store(0, std::memory_order_seq_cst);
}

namespace {

// Busy moments add up beyond full scale. Up to the knee a sum passes unchanged; above it it bends
// smoothly (slope 1 at the knee) towards full scale without ever reaching it, so loud moments
// are squeezed instead of cut flat.
constexpr std::int32_t knee = 30000;  // -0.8 dB
constexpr std::int32_t headroom = 32767 - knee;

std::int16_t limit(std::int32_t v) {
  const std::int64_t size = v < 0 ? -std::int64_t{v} : v;
  if (size <= knee) return static_cast<std::int16_t>(v);
  const std::int64_t over = size - knee;
  const auto bent = static_cast<std::int16_t>(knee + headroom * over / (over + headroom));
  return static_cast<std::int16_t>(v < 0 ? -bent : bent);
}

}  // namespace

void mixer_mix(Mixer& m, std::int16_t* out, int frames) {
  m.passes.fetch_add(1, std::memory_order_seq_cst);
  if (m.held.load(std::memory_order_acquire)) {
    std::memset(out, 0, static_cast<std::size_t>(frames) * mix_channels * sizeof *out);
  } else {
    std::int32_t acc[chunk_frames * mix_channels];
    for (int done = 0; done < frames; done += chunk_frames) {
      const int n = std::min(chunk_frames, frames - done);
      std::fill(acc, acc + n * mix_channels, 0);
      for (MixVoice& v : m.voices) mix_voice(v, acc, n);
      std::int16_t* o = out + done * mix_channels;
      for (int i = 0; i < n * mix_channels; ++i) o[i] = limit(acc[i]);
    }
  }
  m.passes.fetch_add(1, std::memory_order_seq_cst);
}

}  // namespace plat
