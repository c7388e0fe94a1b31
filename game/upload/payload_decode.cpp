// SPDX-License-Identifier: GPL-3.0-or-later
// The inverse of the upload's payload encoding (the layout is in payload_decode.h).
#include "game/upload/payload_decode.h"

#include <cstdio>
#include <cstring>

#include "game/resources/checksum.h"
#include "game/upload/upload.h"

namespace upload {

namespace {

int digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of count hex digits at text, or -1 when one is not a digit.
long long hex_value(const char* text, int count) {
  long long value = 0;
  for (int i = 0; i < count; ++i) {
    const int d = digit(text[i]);
    if (d < 0) return -1;
    value = value * 16 + d;
  }
  return value;
}

}  // namespace

int weight_choice(int index) {
  static constexpr int weights[4] = {3, 7, 11, 13};
  return weights[index & 3];
}

void shuffle_pair(int j, int n, int& a, int& b) {
  const int m = n - 6;
  a = 6 + (7 * j) % m;
  b = 6 + (3 + 17 * j) % m;
}

bool decode_upload_payload(const char* md_hex, const char* el, int log_type, DecodedPayload& out) {
  out = DecodedPayload{};
  const int n = md_length;
  if (!md_hex || std::strlen(md_hex) != static_cast<std::size_t>(md_hex_length)) return false;
  unsigned char md[md_length];
  for (int i = 0; i < n; ++i) {
    const long long byte = hex_value(md_hex + 2 * i, 2);
    if (byte < 0) return false;
    md[i] = static_cast<unsigned char>(byte);
  }

  if (log_type != log_normal && log_type != log_full) {
    for (int i = 0; i < n; ++i)
      out.md_record[i] = static_cast<char>(md[i] ^ static_cast<unsigned char>(payload_key[i % payload_key_length]));
    out.md_record[n] = 0;
    return true;
  }

  if (!el) return false;
  const std::size_t sent = std::strlen(el);
  if (sent < 14 + 64) return false;
  const long long final_sum = hex_value(el + sent - 8, 8);
  if (final_sum < 0) return false;
  out.final_checksum = static_cast<std::uint32_t>(final_sum);
  out.final_checksum_ok =
      static_cast<std::uint32_t>(res::weighted_sum(0, md, n, 9, 4)) == out.final_checksum;

  // The positions lie in the first six bytes, which neither key nor shuffle touch.
  for (int k = 0; k < 3; ++k) {
    const long long p = hex_value(reinterpret_cast<const char*>(md) + 2 * k, 2);
    if (p < 0) return false;
    out.positions[k] = static_cast<int>(p);
  }
  // The swaps undone in reverse order, then the key taken off.
  for (int j = n - 7; j >= 0; --j) {
    int a = 0, b = 0;
    shuffle_pair(j, n, a, b);
    const unsigned char keep = md[a];
    md[a] = md[b];
    md[b] = keep;
  }

  // The inserted pairs come out in reverse order: r3, then r2, then r1.
  std::string text(el, sent - 8);
  const std::size_t length = text.size() - 6;  // L, the event text's own length
  for (int k = 2; k >= 0; --k) {
    const std::size_t at = static_cast<std::size_t>(out.positions[k]);
    // p1 < L - 2, p2 < L, p3 < L + 2, as the encoder draws them.
    if (at + 2 >= length + 2 * static_cast<std::size_t>(k)) return false;
    const long long r = hex_value(text.data() + at, 2);
    if (r < 0) return false;
    out.random_bytes[k] = static_cast<int>(r);
    text.erase(at, 2);
  }
  const int r1 = out.random_bytes[0], r2 = out.random_bytes[1], r3 = out.random_bytes[2];
  const int key[6] = {-r1, r2, r3, -r2, -r3, r1};
  for (int i = 6; i < n; ++i) md[i] = static_cast<unsigned char>(md[i] - key[i % 6]);
  std::memcpy(out.md_record, md, static_cast<std::size_t>(n));
  out.md_record[n] = 0;

  const long long start = hex_value(out.md_record + 46, 2);
  const long long weight = hex_value(out.md_record + 48, 2);
  const long long step = hex_value(out.md_record + 50, 2);
  const long long sum = hex_value(out.md_record + 52, 8);
  if (start < 0 || weight < 0 || step < 0 || sum < 0) return false;
  out.check_start = static_cast<int>(start);
  out.check_weight = static_cast<int>(weight);
  out.check_step = static_cast<int>(step);
  out.event_checksum = static_cast<std::uint32_t>(sum);
  out.event_text = std::move(text);
  out.event_checksum_ok =
      static_cast<std::uint32_t>(res::weighted_sum(
          out.check_start, out.event_text.data(), static_cast<std::int32_t>(out.event_text.size()),
          out.check_weight, out.check_step)) == out.event_checksum;
  return true;
}

}  // namespace upload
