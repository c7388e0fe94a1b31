// SPDX-License-Identifier: GPL-3.0-or-later
// The form fields' escape of platform/http.h: the same on every backend, so an upload's body is
// the same byte for byte whichever exchange sends it.
#include "platform/http.h"

namespace plat {

std::size_t http_escape(const char* text, char* out, std::size_t room) {
  if (!out || room == 0) return 0;
  static constexpr char digits[] = "0123456789ABCDEF";
  std::size_t n = 0;
  for (const char* p = text ? text : ""; *p; ++p) {
    const auto c = static_cast<unsigned char>(*p);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_' || c == '~';
    const std::size_t need = plain ? 1 : 3;
    if (n + need > room - 1) break;
    if (plain) {
      out[n++] = static_cast<char>(c);
    } else {
      out[n++] = '%';
      out[n++] = digits[c >> 4];
      out[n++] = digits[c & 15];
    }
  }
  out[n] = 0;
  return n;
}

}  // namespace plat
