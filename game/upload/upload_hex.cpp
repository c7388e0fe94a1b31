// SPDX-License-Identifier: GPL-3.0-or-later
// The round's event record as hexadecimal text for the upload, and the check words beside it.
#include "game/resources/memory.h"
#include "game/upload/upload.h"

namespace upload {

char* upload_hex = nullptr;
std::int32_t score_to_send = 0;
int check_word_1 = 0;
int check_word_2 = 0;

void make_upload_hex(const std::uint8_t* bytes, std::size_t length) {
  free_upload_hex();
  upload_hex = static_cast<char*>(XMALLOC(2 * length + upload_hex_spare));
  static constexpr char digits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < length; ++i) {
    upload_hex[2 * i] = digits[bytes[i] >> 4];
    upload_hex[2 * i + 1] = digits[bytes[i] & 15];
  }
  upload_hex[2 * length] = 0;
}

void free_upload_hex() {
  if (upload_hex) XFREE(upload_hex);
  upload_hex = nullptr;
}

}  // namespace upload
