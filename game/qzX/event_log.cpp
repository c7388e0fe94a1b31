// SPDX-License-Identifier: GPL-3.0-or-later
// The event log: its block, the start of a recording, scoring events, the ten-second ticks with
// their noise blocks, the counters the upload's check words come from, and the score
// accumulators.
#include <cstring>

#include "game/app/app.h"
#include "game/qzX/little_endian.h"
#include "game/qzX/recording.h"
#include "game/resources/random.h"
#include "platform/platform.h"

namespace qzx {

std::uint8_t event_log[event_log_size];
std::int32_t elapsed_hundredths = 0;
std::int32_t noise_state = 999;

namespace {

// Positions in the block.
constexpr std::size_t at_start_seconds = 0;
constexpr std::size_t at_start_millis = 4;
constexpr std::size_t at_reloads = 12;
constexpr std::size_t at_shots = 14;
constexpr std::size_t at_empty_clicks = 16;
constexpr std::size_t at_buckets = 18;  // four 16-bit counters: <50, 50..99, 100..49999, >=50000
constexpr std::size_t at_event_count = 28;
constexpr std::size_t at_entries = 32;
// Where the frame log keeps the start time and the edition index.
constexpr std::size_t frame_at_start_seconds = 0;
constexpr std::size_t frame_at_start_millis = 4;
constexpr std::size_t frame_at_edition = 16;

constexpr std::int32_t tick_length = 1000;  // hundredths: ten seconds
constexpr int quiet_tick_events = 8;        // fewer events than this since a tick bring noise

std::int32_t hit_code_base = 100;
std::int32_t next_tick = tick_length;
std::int32_t events_since_tick = 0;
std::int32_t tick_count = 0;
std::int32_t accumulators[3] = {37, 4555, 434};

void bump16(std::size_t at) {
  put16(event_log + at, static_cast<std::uint16_t>(get16(event_log + at) + 1));
}

int bucket_of(std::uint32_t code) {
  if (code < 50) return 0;
  if (code < 100) return 1;
  if (code < 50000) return 2;
  return 3;
}

// Appends one entry without touching the buckets or the tick's count; false when the log is full.
bool append_entry(std::uint16_t code, std::int16_t value) {
  const int count = event_count();
  if (count >= max_events) return false;
  std::uint8_t* entry = event_log + at_entries + 4 * static_cast<std::size_t>(count);
  put16(entry, code);
  put16(entry + 2, static_cast<std::uint16_t>(value));
  put32(event_log + at_event_count, static_cast<std::uint32_t>(count + 1));
  return true;
}

// A counted event with its value as given (a marker's value may well be -1).
void record_counted(int code, std::int16_t value) {
  if (event_count() >= max_events) return;
  ++events_since_tick;
  const auto stored_code = static_cast<std::uint16_t>(code);
  bump16(at_buckets + 2 * static_cast<std::size_t>(bucket_of(stored_code)));
  append_entry(stored_code, value);
}

// One step of the noise generator, wrapping like a 32-bit integer.
std::int32_t wrap(std::uint32_t v) { return static_cast<std::int32_t>(v); }
std::int32_t noise_step(std::int32_t s) {
  return wrap(static_cast<std::uint32_t>(s) * 123u + 17u);
}
// Two steps at once.
std::int32_t noise_double_step(std::int32_t s) {
  return wrap(static_cast<std::uint32_t>(s) * 15129u + 2108u);
}

// A block of raw pairs that tells the server nothing and makes quiet stretches of a game look
// like busy ones: its code says how many pairs follow.
void add_noise_block() {
  const std::int32_t o = noise_state;
  std::int32_t d = noise_step(o);
  std::int32_t n = o % 5 - events_since_tick + quiet_tick_events;
  if (n < 1) n = 1;
  if (n > 10) n = 10;
  record_event(50010 + n);
  for (std::int32_t k = 0; k < n; ++k) {
    // The generator runs on the same even when the log has no room, so its sequence never
    // depends on how full the log was.
    append_entry(static_cast<std::uint16_t>(d % 100),
                 static_cast<std::int16_t>(noise_step(d) & 0x7FFF));
    d = noise_double_step(d);
  }
  noise_state = d;
}

}  // namespace

std::uint32_t log_start_seconds() { return get32(event_log + at_start_seconds); }
std::uint32_t log_start_millis() { return get32(event_log + at_start_millis); }
int event_count() { return static_cast<int>(get32(event_log + at_event_count)); }

EventEntry event_at(int index) {
  if (index < 0 || index >= event_count()) return {};
  const std::uint8_t* entry = event_log + at_entries + 4 * static_cast<std::size_t>(index);
  return {get16(entry), static_cast<std::int16_t>(get16(entry + 2))};
}

std::uint16_t shots_counted() { return get16(event_log + at_shots); }
std::uint16_t empty_clicks_counted() { return get16(event_log + at_empty_clicks); }
std::uint16_t reloads_counted() { return get16(event_log + at_reloads); }

void record_start() {
  const std::int64_t ms = plat::wall_time_ms();
  record_start_at(static_cast<std::uint32_t>(ms / 1000), static_cast<std::uint32_t>(ms % 1000));
}

void record_start_at(std::uint32_t seconds, std::uint32_t millis) {
  std::memset(event_log, 0, sizeof event_log);
  std::memset(frame_log, 0, sizeof frame_log);
  millis &= 0xFFFF;  // the field keeps only the low 16 bits
  put32(event_log + at_start_seconds, seconds);
  put32(event_log + at_start_millis, millis);
  put32(frame_log + frame_at_start_seconds, seconds);
  put32(frame_log + frame_at_start_millis, millis);
  // The round's random choices follow from the start time, so the server can replay them.
  res::random_seed(keystream_seed(seconds, millis));
  hit_code_base = 100;
  elapsed_hundredths = 0;
  next_tick = tick_length;
  tick_count = 0;
  events_since_tick = 0;
  put32(frame_log + frame_at_edition, static_cast<std::uint32_t>(app::edition - 1));
}

void record_event(int code, int value) {
  if (value == -1) value = elapsed_hundredths;
  record_counted(code, static_cast<std::int16_t>(value));
}

void record_hit_points(int points) {
  switch (points) {
    case 5: case 10: case 15: case 20: case 25:
      record_event(hit_code_base + points / 5 - 1);
      break;
    default:
      break;
  }
  hit_code_base += 5;
}

void record_tick() {
  if (elapsed_hundredths < next_tick) return;
  if (events_since_tick < quiet_tick_events) add_noise_block();
  next_tick += tick_length;
  // The accumulator's low half goes in as it is, even when it reads as -1.
  record_counted(50000, static_cast<std::int16_t>(accumulators[tick_count % 3]));
  events_since_tick = 0;
  ++tick_count;
}

void count_shot() { bump16(at_shots); }
void count_empty_click() { bump16(at_empty_clicks); }
void count_reload() { bump16(at_reloads); }

void reset_score_accumulators() {
  accumulators[0] = 37;
  accumulators[1] = 4555;
  accumulators[2] = 434;
}

void record_score_change(std::int32_t d) {
  const auto step = static_cast<std::uint32_t>(d);
  accumulators[0] = wrap(static_cast<std::uint32_t>(accumulators[0]) + 3u * step);
  accumulators[1] = wrap(static_cast<std::uint32_t>(accumulators[1]) - 2u * step);
  accumulators[2] = wrap(static_cast<std::uint32_t>(accumulators[2]) + 5u * step);
}

std::int32_t score_accumulator(int index) {
  return index >= 0 && index < 3 ? accumulators[index] : 0;
}

}  // namespace qzx
