// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/upload_record.h"

#include <charconv>

#include "game/qzX/little_endian.h"
#include "server/protocol.h"

namespace server {

namespace {

using qzx::get16;
using qzx::get32;

std::string trimmed(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int bucket_of(int code) {
  if (code < 50) return 0;
  if (code < 100) return 1;
  if (code < 50000) return 2;
  return 3;
}

}  // namespace

bool read_md_record(std::string_view record, MdRecord& out, std::string& error) {
  out = MdRecord{};
  if (record.size() != md_record_size) {
    error = "md record of " + std::to_string(record.size()) + " characters";
    return false;
  }
  out.user = trimmed(record.substr(6, 16));
  out.password = trimmed(record.substr(22, 12));
  // The score "%d", left-aligned in 6 characters.
  const std::string score_text = trimmed(record.substr(34, 6));
  const auto [rest, ec] = std::from_chars(score_text.data(), score_text.data() + score_text.size(), out.score);
  if (score_text.empty() || ec != std::errc() || rest != score_text.data() + score_text.size()) {
    error = "md score is not a number";
    return false;
  }
  out.version = std::string(record.substr(40, 4));
  const char edition = record[44];
  if (edition < '1' || edition > '3' || record[45] != ' ') {
    error = "md edition is not 1, 2 or 3";
    return false;
  }
  out.edition = edition - '0';
  const std::string_view check = record.substr(60);
  if (!is_hex(check)) {
    error = "md check text is not hexadecimal";
    return false;
  }
  out.fingerprint = std::string(check.substr(0, 256));
  out.integrity = std::string(check.substr(256, 40));
  return true;
}

bool read_event_record(std::string_view text, EventRecord& out, std::string& error) {
  out = EventRecord{};
  if (text.size() % 2 != 0 || text.size() < 64 || text.size() > 2 * qzx::event_log_size) {
    error = "event text of " + std::to_string(text.size()) + " digits";
    return false;
  }
  std::vector<std::uint8_t> bytes(text.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const int high = hex_digit(text[2 * i]);
    const int low = hex_digit(text[2 * i + 1]);
    if (high < 0 || low < 0) {
      error = "event text is not hexadecimal";
      return false;
    }
    bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  qzx::unscramble_event_record(bytes.data(), bytes.size());
  const std::uint8_t* p = bytes.data();
  const auto count = static_cast<std::int32_t>(get32(p + 28));
  if (count < 0 || count > qzx::max_events || bytes.size() != 32 + 4 * static_cast<std::size_t>(count)) {
    error = "event count " + std::to_string(count) + " does not fit " + std::to_string(bytes.size()) + " bytes";
    return false;
  }
  if (p[26] != 0 || p[27] != 0) {
    error = "event header padding is not zero";
    return false;
  }
  out.start_seconds = get32(p);
  out.start_millis = get32(p + 4);
  out.final_score = static_cast<std::int32_t>(get32(p + 8));
  out.reloads = get16(p + 12);
  out.shots = get16(p + 14);
  out.empty_clicks = get16(p + 16);
  for (int b = 0; b < 4; ++b) out.buckets[b] = get16(p + 18 + 2 * b);
  out.events.resize(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t* e = p + 32 + 4 * i;
    out.events[static_cast<std::size_t>(i)] = qzx::EventEntry{get16(e), static_cast<std::int16_t>(get16(e + 2))};
  }
  // The buckets count every recorded event but the raw pairs after a noise block's code.
  std::uint32_t counted[4] = {};
  for (std::size_t i = 0; i < out.events.size(); ++i) {
    const int code = out.events[i].code;
    ++counted[bucket_of(code)];
    if (code >= 50011 && code <= 50020) i += static_cast<std::size_t>(code - 50010);
  }
  for (int b = 0; b < 4; ++b)
    if (counted[b] != out.buckets[b]) {
      error = "event bucket " + std::to_string(b) + " counts " + std::to_string(out.buckets[b]) + ", entries " +
              std::to_string(counted[b]);
      return false;
    }
  return true;
}

std::int64_t check_word_1(const EventRecord& r) {
  return (static_cast<std::int64_t>(r.shots) + r.empty_clicks) * 3 + 8876;
}
std::int64_t check_word_2(const EventRecord& r) { return static_cast<std::int64_t>(r.reloads) * 5 + 40402; }

}  // namespace server
