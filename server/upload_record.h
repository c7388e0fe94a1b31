// SPDX-License-Identifier: GPL-3.0-or-later
// The contents of an upload once its payload encoding is undone: the md record's fields and the
// event record (the event log as the game keeps it, unscrambled).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/qzX/recording.h"

namespace server {

struct MdRecord {
  std::string user;      // blanks at the end taken off
  std::string password;  // the first 12 characters, blanks at the end taken off
  std::int32_t score = 0;
  std::string version;
  int edition = 0;
  std::string fingerprint;  // 256 digits
  std::string integrity;    // 40 digits
};

// Reads the 356-character record; false for one whose score, edition or check text is not of
// the game's form.
bool read_md_record(std::string_view record, MdRecord& out, std::string& error);

struct EventRecord {
  std::uint32_t start_seconds = 0, start_millis = 0;
  std::int32_t final_score = 0;
  std::uint16_t reloads = 0, shots = 0, empty_clicks = 0;
  std::uint16_t buckets[4] = {};  // codes below 50, 50 to 99, 100 to 49999, from 50000
  std::vector<qzx::EventEntry> events;  // noise pairs included
};

// The event text (the "%02x" pairs the game made of the scrambled event log) read back and
// unscrambled. False for a text that is not one: odd or not hex, shorter than the header, an
// event count that disagrees with the length, padding that is not zero, or bucket counters
// that disagree with the entries.
bool read_event_record(std::string_view event_text, EventRecord& out, std::string& error);

// The check words the game sends with its authentication, from the event record's counters.
std::int64_t check_word_1(const EventRecord& r);
std::int64_t check_word_2(const EventRecord& r);

}  // namespace server
