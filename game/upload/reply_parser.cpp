// SPDX-License-Identifier: GPL-3.0-or-later
// The reply grammar: lines of "key=value"; everything else is skipped.
#include <cstring>

#include "game/upload/upload.h"

namespace upload {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_key(const char* key, const char* name) {
  for (; *key && *name; ++key, ++name)
    if (lower(*key) != lower(*name)) return false;
  return *key == 0 && *name == 0;
}

bool begins_with(const char* value, const char* word) {
  for (; *word; ++value, ++word)
    if (lower(*value) != lower(*word)) return false;  // also ends at the value's end
  return true;
}

// Copies at most room - 1 characters and ends them with a zero.
void copy_cut(char* out, std::size_t room, const char* text) {
  std::size_t n = 0;
  for (; n + 1 < room && text[n]; ++n) out[n] = text[n];
  out[n] = 0;
}

}  // namespace

int parse_reply(const char* body, std::size_t length, char* plain, char* html, int* log_type,
                void (*open_address)(const char* value)) {
  int action = action_abort;
  if (!body) return action;
  const void* zero = std::memchr(body, 0, length);
  const std::size_t end = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - body) : length;
  // One line at a time; the key and the value live in the line's own room. Of the addresses only
  // the last counts (later lines override), so a reply opens one browser at most.
  static char line[reply_line_room];
  static char address[reply_line_room];
  bool has_address = false;
  std::size_t at = 0;
  while (at < end) {
    const void* feed = std::memchr(body + at, '\n', end - at);
    const std::size_t line_end = feed ? static_cast<std::size_t>(static_cast<const char*>(feed) - body) : end;
    std::size_t n = line_end - at;
    if (n > reply_line_room - 1) n = reply_line_room - 1;
    std::memcpy(line, body + at, n);
    line[n] = 0;
    at = feed ? line_end + 1 : end;

    char* equals = std::strchr(line, '=');
    if (!equals) continue;
    *equals = 0;
    const char* key = line;
    const char* value = equals + 1;
    if (same_key(key, "Action")) {
      if (begins_with(value, "Continue")) action = action_continue;
      else if (begins_with(value, "Retry")) action = action_retry;
      else if (begins_with(value, "Abort")) action = action_abort;
    } else if (same_key(key, "text")) {
      copy_cut(plain, reply_text_room, value);
    } else if (same_key(key, "html")) {
      copy_cut(html, reply_text_room, value);
    } else if (same_key(key, "url")) {
      copy_cut(address, sizeof address, value);
      has_address = true;
    } else if (log_type && same_key(key, "logtype")) {
      if (begins_with(value, "none")) *log_type = log_none;
      else if (begins_with(value, "normal")) *log_type = log_normal;
      else if (begins_with(value, "full")) *log_type = log_full;
    }
  }
  if (has_address && open_address) open_address(address);
  return action;
}

}  // namespace upload
