// SPDX-License-Identifier: GPL-3.0-or-later
// What a game records for the online upload: the event log (one entry per scoring event, plus the
// ten-second markers and noise blocks), the frame log (one entry per in-game frame with the
// frame time and the player's input), the score accumulators and the five integrity values over
// the tables that drive play; the texts the upload carries, and their inverses.
//
// Both logs are cleared at the start of every first-scene round and go on through the second
// scene. All numbers in them are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qzx {

constexpr int max_events = 20000;
constexpr int max_frames = 80000;
constexpr std::size_t event_log_size = 32 + 4 * max_events;
constexpr std::size_t frame_log_size = 20 + 8 * max_frames;  // 640020

// The blocks themselves, byte for byte as they travel.
extern std::uint8_t event_log[event_log_size];
extern std::uint8_t frame_log[frame_log_size];

// Readers of the blocks (tests, replays, the server).
std::uint32_t log_start_seconds();
std::uint32_t log_start_millis();
int event_count();
struct EventEntry {
  std::uint16_t code;
  std::int16_t value;
};
EventEntry event_at(int index);
int frame_count_recorded();
struct FrameEntry {
  std::uint16_t frame_time;  // the frame time's low half (the whole value: it is below 65536)
  std::uint32_t input;       // packed input, see pack_input
};
FrameEntry frame_at(int index);
// Event-log counters: shots, empty clicks, reloads and the four code buckets.
std::uint16_t shots_counted();
std::uint16_t empty_clicks_counted();
std::uint16_t reloads_counted();

// Set every in-game frame: (full round time - round time) / 655, or 9999 when negative or above
// 9200. Events recorded with value -1 take it.
extern std::int32_t elapsed_hundredths;
// The noise generator's state: 999 when the program starts, never reset.
extern std::int32_t noise_state;

// Packed input word: cursor x (bits 0-9), y (10-19), left arrow (20), right arrow (21), left
// click (22), right click (23), time over (24), the round time's whole seconds (25-31, low 7
// bits).
std::uint32_t pack_input(int cursor_x, int cursor_y, bool left, bool right, bool click,
                         bool right_click, std::int32_t round_time);

// Clears both logs, stores the start time (the wall clock, or the given time) in both, seeds
// the game's random generator with millis + (seconds mod 86400) * 1000, and resets the hit codes,
// ticks and the edition index.
void record_start();
void record_start_at(std::uint32_t seconds, std::uint32_t millis);
// Appends (code, value); value -1 means elapsed_hundredths. Nothing happens once 20000 are kept.
void record_event(int code, int value = -1);
// A chicken hit worth 5, 10, 15, 20 or 25 points: code hit base + 0..4; other points record
// nothing; the hit base moves on by 5 either way.
void record_hit_points(int points);
// One frame entry (up to 80000).
void record_frame(std::int32_t frame_time, std::uint32_t packed_input);
// Every ten seconds of elapsed time: a noise block when fewer than 8 events came since the last
// tick, then the 50000 marker with one of the score accumulators.
void record_tick();
void count_shot();
void count_empty_click();
void count_reload();

// The score accumulators: 37, 4555 and 434 at a first-scene set-up; a score change d adds 3d,
// -2d and 5d.
void reset_score_accumulators();
void record_score_change(std::int32_t d);
std::int32_t score_accumulator(int index);

// At the end of the game: the replay text, 16 hex digits of the masked start time followed by
// the compressed, scrambled frame log in hex. Valid until the next record_finish; "" before the
// first.
void record_finish();
const char* replay_text();
// The scrambled event log with the final score filled in (a new buffer from xmalloc; the caller
// frees it with xfree).
std::uint8_t* event_record_bytes(std::int32_t final_score, std::size_t& length);

// The five integrity values (each "%08x"), computed at every first-scene set-up: over the spawn
// table, the size table, the magazine size with the 16 bytes after it, the spawn range and the
// round time at set-up.
void integrity_values();
const char* integrity_text();  // 40 hex digits; "" before the first integrity_values
// The graphics fingerprint followed by the integrity values: 296 hex digits (out holds 297).
void check_text(char* out);

// The keystream that scrambles both texts: s = (s & 1) * 371945 - (s >> 1) * 94325, output the
// low byte of s * 149943; a seed of 0 becomes 1.
struct Keystream {
  std::uint32_t state;
  explicit Keystream(std::uint32_t seed) : state(seed ? seed : 1) {}
  std::uint8_t next();
};
std::uint32_t keystream_seed(std::uint32_t seconds, std::uint32_t millis);

// The inverses, for replays and the server. A replay text gives back the start time and the
// frame log's used part (header and entries, frame_log_bytes long); false for a text that is
// not one (odd length, not hex, longer than the game ever makes, a stream that does not inflate
// completely or has bytes after its end, more than a whole frame log, a header whose frame count
// disagrees with its length or whose start time differs from the text's). On false out is
// empty; a buffer out held before is not freed. The CRC is not checked here.
struct DecodedReplay {
  std::uint32_t start_seconds = 0, start_millis = 0;
  std::uint8_t* frame_log_bytes = nullptr;  // xmalloc'd; free with xfree
  std::size_t length = 0;
};
bool decode_replay_text(const char* text, std::size_t length, DecodedReplay& out);
// Unscrambles an event record in place (the mask on the first 8 bytes, the keystream after).
void unscramble_event_record(std::uint8_t* bytes, std::size_t length);

}  // namespace qzx
