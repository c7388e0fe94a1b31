// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the upload carries: the replay text (the frame log, compressed and scrambled, in hex)
// and the scrambled event record; the keystream that scrambles both, and the inverses that the
// replays and the server use.
#include <zlib.h>

#include <cstring>

#include "game/qzX/little_endian.h"
#include "game/qzX/record_mask.h"
#include "game/qzX/recording.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace qzx {

namespace {

constexpr std::size_t frame_at_count = 8;
constexpr std::size_t frame_at_crc = 12;
constexpr std::size_t frame_header = 20;
constexpr std::size_t event_at_final_score = 8;
constexpr std::size_t event_header = 32;
constexpr std::size_t start_time_bytes = 8;  // start seconds and millis, masked in both texts
// The compression buffer is this much larger than its input, more than zlib ever needs.
constexpr std::size_t compress_slack = 1000;

char* text = nullptr;  // the replay text, from xmalloc

void scramble(std::uint8_t* bytes, std::size_t length, std::uint32_t seed) {
  Keystream keys(seed);
  for (std::size_t i = 0; i < length; ++i) bytes[i] ^= keys.next();
}

constexpr char hex_digits[] = "0123456789abcdef";
char* put_hex(char* out, std::uint8_t b) {
  *out++ = hex_digits[b >> 4];
  *out++ = hex_digits[b & 15];
  return out;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
// Reads length / 2 bytes from hex pairs; false at the first character that is not a digit.
bool read_hex(const char* in, std::size_t bytes, std::uint8_t* out) {
  for (std::size_t i = 0; i < bytes; ++i) {
    const int high = hex_value(in[2 * i]);
    const int low = hex_value(in[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    out[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace

std::uint8_t Keystream::next() {
  state = (state & 1u) * 371945u - (state >> 1) * 94325u;
  return static_cast<std::uint8_t>(state * 149943u);
}

std::uint32_t keystream_seed(std::uint32_t seconds, std::uint32_t millis) {
  return millis + (seconds % 86400u) * 1000u;
}

void record_finish() {
  // The CRC covers the whole block with its own field still 0.
  put32(frame_log + frame_at_crc, 0);
  put32(frame_log + frame_at_crc,
        static_cast<std::uint32_t>(crc32(0L, frame_log, static_cast<uInt>(frame_log_size))));

  const std::uint32_t count = get32(frame_log + frame_at_count);
  const std::size_t n = frame_header + 8 * static_cast<std::size_t>(count);
  auto* packed = static_cast<std::uint8_t*>(XMALLOC(n + compress_slack));
  uLongf m = n + compress_slack;
  if (compress(packed, &m, frame_log, n) != Z_OK) {
    res::debug_log("replay: compress failed\n");
    m = 0;
  }
  const std::uint32_t seconds = get32(frame_log);
  const std::uint32_t millis = get32(frame_log + 4);
  scramble(packed, m, keystream_seed(seconds, millis));

  if (text) XFREE(text);
  text = static_cast<char*>(XMALLOC(2 * m + 117));
  char* out = text;
  for (std::size_t i = 0; i < start_time_bytes; ++i)
    out = put_hex(out, static_cast<std::uint8_t>(frame_log[i] ^ record_mask));
  for (std::size_t i = 0; i < m; ++i) out = put_hex(out, packed[i]);
  *out = '\0';
  XFREE(packed);
}

const char* replay_text() { return text ? text : ""; }

std::uint8_t* event_record_bytes(std::int32_t final_score, std::size_t& length) {
  put32(event_log + event_at_final_score, static_cast<std::uint32_t>(final_score));
  const int count = event_count();
  length = event_header + 4 * static_cast<std::size_t>(count < 0 ? 0 : count);
  auto* bytes = static_cast<std::uint8_t*>(XMALLOC(length));
  std::memcpy(bytes, event_log, length);
  for (std::size_t i = 0; i < start_time_bytes; ++i) bytes[i] ^= record_mask;
  scramble(bytes + start_time_bytes, length - start_time_bytes,
           keystream_seed(log_start_seconds(), log_start_millis()));
  return bytes;
}

void unscramble_event_record(std::uint8_t* bytes, std::size_t length) {
  const std::size_t head = length < start_time_bytes ? length : start_time_bytes;
  for (std::size_t i = 0; i < head; ++i) bytes[i] ^= record_mask;
  if (length <= start_time_bytes) return;
  scramble(bytes + start_time_bytes, length - start_time_bytes,
           keystream_seed(get32(bytes), get32(bytes + 4)));
}

bool decode_replay_text(const char* in, std::size_t length, DecodedReplay& out) {
  out = DecodedReplay{};
  // The game never makes more than its buffer of n + 1000 bytes; a longer text is not one of
  // ours, and refusing it up front keeps a hostile text from asking for much memory.
  constexpr std::size_t most_packed = frame_log_size + compress_slack;
  if (!in || length % 2 != 0 || length <= 2 * start_time_bytes) return false;
  const std::size_t packed_length = length / 2 - start_time_bytes;
  if (packed_length > most_packed) return false;

  std::uint8_t start[start_time_bytes];
  if (!read_hex(in, start_time_bytes, start)) return false;
  for (std::uint8_t& b : start) b ^= record_mask;
  const std::uint32_t seconds = get32(start);
  const std::uint32_t millis = get32(start + 4);

  auto* packed = static_cast<std::uint8_t*>(XMALLOC(packed_length));
  if (!read_hex(in + 2 * start_time_bytes, packed_length, packed)) {
    XFREE(packed);
    return false;
  }
  scramble(packed, packed_length, keystream_seed(seconds, millis));

  // Inflating stops at the size of a full frame log: a stream that wants more is refused.
  auto* block = static_cast<std::uint8_t*>(XMALLOC(frame_log_size));
  uLongf inflated = frame_log_size;
  uLong consumed = packed_length;
  const int result = uncompress2(block, &inflated, packed, &consumed);
  XFREE(packed);
  bool fits = result == Z_OK && consumed == packed_length && inflated >= frame_header &&
              (inflated - frame_header) % 8 == 0;
  if (fits) {
    const std::uint32_t frames = get32(block + frame_at_count);
    fits = frames == (inflated - frame_header) / 8 && get32(block) == seconds &&
           get32(block + 4) == millis;
  }
  if (!fits) {
    XFREE(block);
    return false;
  }
  out.start_seconds = seconds;
  out.start_millis = millis;
  out.frame_log_bytes = static_cast<std::uint8_t*>(XREALLOC(block, inflated));
  out.length = inflated;
  return true;
}

}  // namespace qzx
