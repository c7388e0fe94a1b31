// SPDX-License-Identifier: GPL-3.0-or-later
// The upload's payload: the md value, and for log types normal and full the event text with
// random bytes inserted and a checksum over the encoded record appended
// (game/upload/payload_decode.h describes the layout the server undoes).
#include <cstdio>
#include <cstring>

#include "game/resources/checksum.h"
#include "game/resources/memory.h"
#include "game/resources/random.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"

namespace upload {

char* saved_upload_hex = nullptr;

namespace {

void put_hex(char* at, unsigned value, int digits) {
  char text[12];
  std::snprintf(text, sizeof text, "%0*x", digits, value);
  std::memcpy(at, text, static_cast<std::size_t>(digits));
}

// Inserts value as two hex digits at position at of text (length before: n).
void insert_pair(char* text, int n, int at, int value) {
  std::memmove(text + at + 2, text + at, static_cast<std::size_t>(n - at) + 1);
  put_hex(text + at, static_cast<unsigned>(value), 2);
}

int modulo(int value, int m) { return m > 0 ? value % m : 0; }

void to_hex(const char* bytes, int n, char* out) {
  for (int i = 0; i < n; ++i) put_hex(out + 2 * i, static_cast<unsigned char>(bytes[i]), 2);
  out[2 * n] = 0;
}

}  // namespace

void save_upload_hex() {
  free_saved_upload_hex();
  const std::size_t n = upload_hex ? std::strlen(upload_hex) : 0;
  saved_upload_hex = static_cast<char*>(XMALLOC(n + 10));
  std::memcpy(saved_upload_hex, upload_hex ? upload_hex : "", n);
  saved_upload_hex[n] = 0;
}

void free_saved_upload_hex() {
  if (saved_upload_hex) XFREE(saved_upload_hex);
  saved_upload_hex = nullptr;
}

void encode_upload_payload(char* md, char* md_out, int log_type) {
  const int n = md_length;
  if (log_type != log_normal && log_type != log_full) {
    for (int i = 0; i < n; ++i) {
      const auto key = static_cast<unsigned char>(payload_key[i % payload_key_length]);
      put_hex(md_out + 2 * i, static_cast<unsigned char>(md[i]) ^ key, 2);
    }
    md_out[2 * n] = 0;
    return;
  }
  // Every encoding starts again from the text the dialog received.
  if (saved_upload_hex && upload_hex) std::strcpy(upload_hex, saved_upload_hex);
  char* text = upload_hex;
  const int length = text ? static_cast<int>(std::strlen(text)) : 0;

  const int start = res::random(256);
  const int weight = weight_choice(res::random(4));
  const int step = res::random(16);
  const std::int32_t event_sum = res::weighted_sum(start, text, length, weight, step);
  put_hex(md + 46, static_cast<unsigned>(start), 2);
  put_hex(md + 48, static_cast<unsigned>(weight), 2);
  put_hex(md + 50, static_cast<unsigned>(step), 2);
  put_hex(md + 52, static_cast<std::uint32_t>(event_sum), 8);

  const int p1 = modulo(res::random(256), length - 2);
  const int p2 = modulo(res::random(256), length);
  const int p3 = modulo(res::random(256), length + 2);
  const int r1 = res::random(256), r2 = res::random(256), r3 = res::random(256);
  if (text) {
    insert_pair(text, length, p1, r1);
    insert_pair(text, length + 2, p2, r2);
    insert_pair(text, length + 4, p3, r3);
  }
  put_hex(md + 0, static_cast<unsigned>(p1), 2);
  put_hex(md + 2, static_cast<unsigned>(p2), 2);
  put_hex(md + 4, static_cast<unsigned>(p3), 2);

  const int key[6] = {-r1, r2, r3, -r2, -r3, r1};
  for (int i = 6; i < n; ++i) md[i] = static_cast<char>(static_cast<unsigned char>(md[i]) + key[i % 6]);
  for (int j = 0; j < n - 6; ++j) {
    int a = 0, b = 0;
    shuffle_pair(j, n, a, b);
    const char keep = md[a];
    md[a] = md[b];
    md[b] = keep;
  }
  const std::int32_t final_sum = res::weighted_sum(0, md, n, 9, 4);
  if (text) {
    put_hex(text + length + 6, static_cast<std::uint32_t>(final_sum), 8);
    text[length + 14] = 0;
  }
  to_hex(md, n, md_out);
}

}  // namespace upload
