// SPDX-License-Identifier: GPL-3.0-or-later
// Music streaming: a piece is read whole into memory and decoded bit by bit by a 100 ms timer on
// its own thread into a two-second ring buffer that plays looped, kept 0.5 to 1.5 s ahead of the
// play position. The main thread starts and stops pieces, fades them out and switches music off
// and on.
//
// The timer thread shares the decoder, the image and the write position with the main thread.
// The main thread touches them only while no timer runs: start_music sets them up before it
// starts the timer, and stop_music kills the timer (waiting for a tick in progress) before it
// touches the buffer or releases the decoder and the image. A lost streaming buffer is not
// restored on the timer thread: the restore is handed to the main thread.
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "game/app/app.h"
#include "game/ogg/music.h"
#include "game/resources/dx_errors.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"
#include "platform/timer.h"

namespace sound {

plat::SoundBuffer* streaming_buffer = nullptr;

namespace {

constexpr std::uint32_t timer_period_ms = 100;
// Silence between the play position and the first decoded bytes of a piece (about 0.17 s).
constexpr std::uint32_t start_gap = 30000;
// The refill keeps a quarter of the buffer (0.5 s) free behind the play position and adds at
// most this much a tick.
constexpr std::uint32_t kept_free = streaming_buffer_size / 4;
constexpr int most_per_tick = 40000;
constexpr int decode_size = 1024;

bool enabled = true;
std::atomic<bool> requested{false};  // read by the timer thread
int volume = 10000;
char current_music_file[200] = "";
std::atomic<std::uint32_t> write_position{0};  // written by the timer thread while it runs
std::atomic<std::int32_t> refill_busy{0};
std::uint32_t music_timer = 0;
bool timer_running = false;

OggImage image{nullptr, 0};
OggSource source{nullptr, 0, 0};
OggVorbis_File decoder;
bool decoder_open = false;
unsigned char decode_buffer[decode_size];

// What the timer saw last: the play position, and how far the decoded music reached beyond it.
// Had the buffer played further than that by the next tick, it played music not yet written.
std::uint32_t last_play_position = 0;
std::uint32_t queued_ahead = 0;
std::atomic<int> underruns{0};

void tick(void*) { refill_streaming_buffer(); }

// Closes the decoder and frees the piece's image. A piece whose timer could not start is
// released too: the screens ask for it again and load it anew.
void release_piece() {
  if (decoder_open) ov_clear(&decoder);
  decoder_open = false;
  XFREE(image.data);
  image.data = nullptr;
}

// Locks the whole buffer and fills it with zeros.
bool fill_with_silence(plat::SoundBuffer* buffer) {
  void* region1 = nullptr;
  void* region2 = nullptr;
  std::uint32_t bytes1 = 0, bytes2 = 0;
  const plat::HRESULT locked = plat::sound_buffer_lock(buffer, 0, streaming_buffer_size, &region1,
                                                       &bytes1, &region2, &bytes2);
  if (REPORT_DS(locked)) {
    res::debug_log("lock ds-buffer result: %x\n", static_cast<unsigned>(locked));
    return false;  // nothing is written through a lock that failed
  }
  std::memset(region1, 0, bytes1);
  if (region2) std::memset(region2, 0, bytes2);
  return !REPORT_DS(plat::sound_buffer_unlock(buffer, region1, bytes1, region2, bytes2));
}

std::uint32_t ring_distance(std::uint32_t from, std::uint32_t to) {
  return (to + streaming_buffer_size - from) % streaming_buffer_size;
}

// Writes n decoded bytes at the write position, wrapping past the end of the buffer.
void write_decoded(int n) {
  void* region1 = nullptr;
  void* region2 = nullptr;
  std::uint32_t bytes1 = 0, bytes2 = 0;
  if (!REPORT_DS(plat::sound_buffer_lock(streaming_buffer, write_position,
                                         static_cast<std::uint32_t>(n), &region1, &bytes1,
                                         &region2, &bytes2))) {
    if (region1 && bytes1) std::memcpy(region1, decode_buffer, bytes1);
    if (region2 && bytes2) std::memcpy(region2, decode_buffer + bytes1, bytes2);
    REPORT_DS(plat::sound_buffer_unlock(streaming_buffer, region1, bytes1, region2, bytes2));
  }
  write_position = (write_position + static_cast<std::uint32_t>(n)) % streaming_buffer_size;
}

}  // namespace

bool music_requested() { return requested; }
int music_volume() { return volume; }
bool music_enabled() { return enabled; }
const unsigned char* music_decode_buffer() { return decode_buffer; }
std::uint32_t music_write_position() { return write_position.load(); }
int music_underruns() { return underruns; }

plat::SoundBuffer* create_streaming_buffer() {
  const plat::WaveFormat format{1, 2, 44100, 176400, 4, 16, 0};
  const plat::SoundBufferDesc desc{plat::sound_buffer_desc_size, plat::DSBCAPS_CTRLVOLUME,
                                   streaming_buffer_size, 0, &format};
  plat::SoundBuffer* buffer = nullptr;
  if (REPORT_DS(plat::sound_buffer_create(sound_device, &desc, &buffer))) return nullptr;
  if (!fill_with_silence(buffer)) {
    REPORT_DS(plat::sound_buffer_release(buffer));
    return nullptr;
  }
  return buffer;
}

void clear_streaming_buffer() {
  if (streaming_buffer) fill_with_silence(streaming_buffer);
}

void start_music(const char* name) {
  // Without a streaming buffer no piece could be heard: nothing is loaded.
  if (!sound_available || !streaming_buffer) return;
  if (requested) stop_music();
  std::snprintf(current_music_file, sizeof current_music_file, "%s", name);
  volume = 10000;
  if (!enabled) {
    requested = true;  // toggle_music starts it when music is switched on
    return;
  }
  image = read_ogg_file(name);
  if (image.size == 0) {
    release_piece();
    res::debug_log("Error loading ogg-file!\n");
    return;
  }
  source = OggSource{image.data, image.size, 0};
  decoder_open = open_ogg_memory(decoder, source);
  if (!decoder_open) {
    res::debug_log("Input does not appear to be an Ogg bitstream.\n");
    release_piece();
    return;
  }
  clear_streaming_buffer();
  REPORT_DS(plat::sound_buffer_play(streaming_buffer, plat::DSBPLAY_LOOPING));
  REPORT_DS(plat::sound_buffer_set_volume(streaming_buffer, volume - 10000));
  std::uint32_t play = 0;
  REPORT_DS(plat::sound_buffer_get_position(streaming_buffer, &play, nullptr));
  write_position = (play + start_gap) % streaming_buffer_size;
  last_play_position = play;
  queued_ahead = start_gap;

  if (!plat::timer_begin_period(timer_period_ms)) {
    res::debug_log("timeBeginPeriod error\n");
    timer_running = false;
    release_piece();
    return;
  }
  refill_busy = 0;
  music_timer = plat::timer_start(timer_period_ms, tick, nullptr);
  if (music_timer == 0) {
    res::debug_log("timeSetEvent error\n");
    plat::timer_end_period(timer_period_ms);
    timer_running = false;
    release_piece();
    return;
  }
  timer_running = true;
  requested = true;
}

void stop_music() {
  if (!sound_available || !requested) return;
  // The timer goes first: once it is killed no tick writes into the buffer or reads the decoder.
  if (timer_running) {
    plat::timer_kill(music_timer);
    plat::timer_end_period(timer_period_ms);
    timer_running = false;
  }
  if (streaming_buffer) {
    REPORT_DS(plat::sound_buffer_stop(streaming_buffer));
    clear_streaming_buffer();
  }
  requested = false;
  release_piece();
}

void toggle_music() {
  if (volume != 10000) return;  // a fade is running, or has ended and no piece started since
  if (enabled) {
    enabled = false;
    stop_music();
  } else {
    enabled = true;
    if (requested) {
      char name[sizeof current_music_file];
      std::memcpy(name, current_music_file, sizeof name);
      start_music(name);
    }
  }
}

void fade_music_step() {
  if (!sound_available) return;
  int rate = 10000 - volume;
  if (rate < 1200) rate = 1200;
  if (rate > 6000) rate = 6000;
  volume += -(app::frame_time * rate / 15000);
  if (volume < 5000) volume = 5000;
  if (streaming_buffer) REPORT_DS(plat::sound_buffer_set_volume(streaming_buffer, volume - 10000));
  if (volume <= 5000) stop_music();
}

void refill_streaming_buffer() {
  if (!requested || !app::app_active) return;
  if (refill_busy.exchange(1)) return;  // the previous tick is still at work

  std::uint32_t status = 0;
  REPORT_DS(plat::sound_buffer_get_status(streaming_buffer, &status));
  if (status == plat::DSBSTATUS_BUFFERLOST) {
    // The whole sound system is rebuilt, which stops this timer: that is the main thread's job.
    request_restore_sound();
    refill_busy.exchange(0);
    return;
  }
  std::uint32_t play = 0;
  REPORT_DS(plat::sound_buffer_get_position(streaming_buffer, &play, nullptr));
  if (ring_distance(last_play_position, play) > queued_ahead) {
    ++underruns;
    res::debug_log("streaming buffer underrun\n");
  }

  int room = static_cast<int>(ring_distance(write_position, play)) - static_cast<int>(kept_free);
  if (room > most_per_tick) room = most_per_tick;
  if (room >= 1) {
    for (;;) {
      const int n = decode_music_chunk();
      if (n <= 0) break;
      write_decoded(n);
      room -= n;
      if (room < 1) break;
    }
  }
  last_play_position = play;
  queued_ahead = ring_distance(play, write_position);
  refill_busy.exchange(0);
}

int decode_music_chunk() {
  if (!sound_available || !decoder_open) return 0;
  int section = 0;
  const long n = ov_read(&decoder, reinterpret_cast<char*>(decode_buffer), decode_size, 0, 2, 1,
                         &section);
  if (n > 0) return static_cast<int>(n);
  if (n < 0) {
    res::debug_log("something went wrong(%ld)!\n", n);
    return 0;
  }
  // The end of the piece: start it again for the next call.
  ov_clear(&decoder);
  decoder_open = open_ogg_memory(decoder, source);
  if (!decoder_open) res::debug_log("Input does not appear to be an Ogg bitstream.\n");
  return 0;
}

}  // namespace sound
