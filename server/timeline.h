// SPDX-License-Identifier: GPL-3.0-or-later
// A listed game's course, for its page: the score after every change and every event of its log,
// each with its moment in milliseconds from the game's start. The verifier makes it while it
// re-simulates an upload (an event recorded in a frame gets that frame's start); the store keeps
// it as text beside the result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/qzX/recording.h"

namespace server {

struct ScorePoint {
  std::int32_t ms = 0;
  std::int32_t score = 0;
};

struct TimedEvent {
  std::int32_t ms = 0;
  std::uint16_t code = 0;
  std::int16_t value = 0;
};

struct Timeline {
  std::int32_t length_ms = 0;        // when the last frame ends
  std::vector<ScorePoint> scores;    // after every change, in order
  std::vector<TimedEvent> events;    // the whole event log, noise pairs included
};

// The most entries of either kind a timeline may hold: the event log's own room with some to
// spare. A text that claims more is refused.
inline constexpr std::size_t max_timeline_entries = 100000;

// What a re-simulation saw at the start of every frame (before its logic ran), plus one entry
// after the last frame: the frame's start, the events logged so far and the score so far.
struct FrameSnapshot {
  std::int64_t ms = 0;
  int events = 0;
  std::int32_t score = 0;
};
// The timeline of a re-simulated game from its snapshots and its event log: an event logged in
// frame i, and a score that changed in it, get frame i's start.
Timeline timeline_from_frames(const std::vector<FrameSnapshot>& frames, const std::vector<qzx::EventEntry>& events);

// "T1 LENGTH\nS ms score ...\nE ms code value ...\n": plain numbers, so both databases keep it as
// text.
std::string timeline_text(const Timeline& t);
// False (and out untouched) for a text that is not one or holds more than max_timeline_entries.
bool read_timeline(std::string_view text, Timeline& out);

// ---- reading a game from its events ----

inline constexpr int megagun_code = 45;
inline constexpr int yard_code = 50002;  // the switch into the second scene
inline constexpr int first_chicken_code = 100, last_chicken_code = 49999;
inline constexpr int first_noise_block = 50011, last_noise_block = 50020;

// A chicken hit's points: 5 for the nearest and biggest up to 25 for the farthest and smallest.
constexpr int chicken_points(int code) { return ((code - first_chicken_code) % 5 + 1) * 5; }
constexpr bool is_chicken(int code) { return code >= first_chicken_code && code <= last_chicken_code; }
// Codes below 100: the scenery targets (and the megagun, 45).
constexpr bool is_target(int code) { return code >= 1 && code < first_chicken_code; }

// The events as they happened, without noise blocks and their raw pairs (which are no events).
std::vector<TimedEvent> real_events(const std::vector<TimedEvent>& events);

}  // namespace server
