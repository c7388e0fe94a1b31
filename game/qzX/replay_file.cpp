// SPDX-License-Identifier: GPL-3.0-or-later
// "lastgame.rec", little-endian:
//   8 bytes  magic "GXREC\r\n\x1a"
//   u32 version, i32 edition, u32 flags (bit 0: highscore penalty), u32 start seconds,
//   u32 start millis, i32 noise state at the start, i32 final score, i32 frame count,
//   i32 event count
//   frames: u16 frame time, u16 zero, u32 packed input, i32 round clock, i32 length in ms
//   events: u16 code, i16 value
//   u32 CRC-32 of everything before it
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "game/qzX/little_endian.h"
#include "game/qzX/replay.h"
#include "game/resources/log.h"

namespace qzx {

namespace {

constexpr char magic[8] = {'G', 'X', 'R', 'E', 'C', '\r', '\n', '\x1a'};
constexpr std::size_t header_size = 8 + 4 * 9;
constexpr std::size_t frame_size = 16;
constexpr std::size_t event_size = 4;

}  // namespace

bool save_recording(const Recording& r, const char* path) {
  std::vector<std::uint8_t> b(magic, magic + 8);
  append32(b, recording_version);
  append32(b, static_cast<std::uint32_t>(r.edition));
  append32(b, r.penalty ? 1u : 0u);
  append32(b, r.start_seconds);
  append32(b, r.start_millis);
  append32(b, static_cast<std::uint32_t>(r.noise_start));
  append32(b, static_cast<std::uint32_t>(r.score));
  append32(b, static_cast<std::uint32_t>(r.frames.size()));
  append32(b, static_cast<std::uint32_t>(r.events.size()));
  for (const RecordedFrame& f : r.frames) {
    append16(b, f.frame_time);
    append16(b, 0);
    append32(b, f.input);
    append32(b, static_cast<std::uint32_t>(f.round_time));
    append32(b, static_cast<std::uint32_t>(f.length_ms));
  }
  for (const EventEntry& e : r.events) {
    append16(b, e.code);
    append16(b, static_cast<std::uint16_t>(e.value));
  }
  append32(b, static_cast<std::uint32_t>(crc32(0, b.data(), static_cast<uInt>(b.size()))));

  const std::string temporary = std::string(path) + ".tmp";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (!f) {
    res::debug_log("ERROR: cannot write %s\n", temporary.c_str());
    return false;
  }
  bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path) == 0) return true;
  res::debug_log("ERROR: writing %s failed, the old recording stays\n", path);
  std::remove(temporary.c_str());
  return false;
}

bool load_recording(const char* path, Recording& out, std::string& error) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) {
    error = std::string("cannot open ") + path;
    return false;
  }
  std::vector<std::uint8_t> b;
  std::uint8_t chunk[65536];
  for (;;) {
    const std::size_t n = std::fread(chunk, 1, sizeof chunk, f);
    b.insert(b.end(), chunk, chunk + n);
    if (n < sizeof chunk) break;
    if (b.size() > header_size + 4 + max_frames * frame_size + max_events * event_size) break;
  }
  std::fclose(f);
  return read_recording(b.data(), b.size(), out, error);
}

bool read_recording(const std::uint8_t* data, std::size_t size, Recording& out, std::string& error) {
  if (size < header_size + 4 || std::memcmp(data, magic, 8) != 0) {
    error = "not a recording";
    return false;
  }
  const std::uint8_t* p = data + 8;
  if (get32(p) != recording_version) {
    error = "recording version " + std::to_string(get32(p)) + ", this game reads version " +
            std::to_string(recording_version);
    return false;
  }
  Recording r;
  r.edition = static_cast<int>(get32(p + 4));
  r.penalty = (get32(p + 8) & 1) != 0;
  r.start_seconds = get32(p + 12);
  r.start_millis = get32(p + 16);
  r.noise_start = static_cast<std::int32_t>(get32(p + 20));
  r.score = static_cast<std::int32_t>(get32(p + 24));
  const std::uint32_t frames = get32(p + 28), events = get32(p + 32);
  if (r.edition < 1 || r.edition > 3 || frames > static_cast<std::uint32_t>(max_frames) ||
      events > static_cast<std::uint32_t>(max_events)) {
    error = "damaged recording (edition or counts out of range)";
    return false;
  }
  const std::size_t expected = header_size + frames * frame_size + events * event_size + 4;
  if (size != expected) {
    error = "damaged recording (truncated or too long)";
    return false;
  }
  if (get32(data + expected - 4) != crc32(0, data, static_cast<uInt>(expected - 4))) {
    error = "damaged recording (checksum)";
    return false;
  }
  const std::uint8_t* q = data + header_size;
  r.frames.resize(frames);
  for (RecordedFrame& fr : r.frames) {
    fr.frame_time = get16(q);
    fr.input = get32(q + 4);
    fr.round_time = static_cast<std::int32_t>(get32(q + 8));
    fr.length_ms = static_cast<std::int32_t>(get32(q + 12));
    q += frame_size;
  }
  r.events.resize(events);
  for (EventEntry& e : r.events) {
    e.code = get16(q);
    e.value = static_cast<std::int16_t>(get16(q + 2));
    q += event_size;
  }
  out = std::move(r);
  return true;
}

}  // namespace qzx
