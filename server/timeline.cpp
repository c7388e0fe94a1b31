// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/timeline.h"

#include <charconv>
#include <limits>

namespace server {

namespace {

std::int32_t clamp_ms(std::int64_t ms) {
  if (ms < 0) return 0;
  if (ms > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(ms);
}

// Numbers separated by single blanks, read one at a time.
class Numbers {
 public:
  explicit Numbers(std::string_view line) : line_(line) {}
  bool done() const { return at_ >= line_.size(); }
  bool next(std::int64_t& v) {
    if (at_ > 0) {
      if (at_ >= line_.size() || line_[at_] != ' ') return false;
      ++at_;
    }
    const char* begin = line_.data() + at_;
    const auto [end, ec] = std::from_chars(begin, line_.data() + line_.size(), v);
    if (ec != std::errc() || end == begin) return false;
    at_ += static_cast<std::size_t>(end - begin);
    return true;
  }

 private:
  std::string_view line_;
  std::size_t at_ = 0;
};

bool in_range(std::int64_t v, std::int64_t lowest, std::int64_t highest) { return v >= lowest && v <= highest; }

}  // namespace

Timeline timeline_from_frames(const std::vector<FrameSnapshot>& frames, const std::vector<qzx::EventEntry>& events) {
  Timeline t;
  if (frames.empty()) return t;
  t.length_ms = clamp_ms(frames.back().ms);
  std::size_t next_event = 0;
  std::int32_t score = 0;
  for (std::size_t i = 0; i + 1 < frames.size(); ++i) {
    const std::int32_t at = clamp_ms(frames[i].ms);
    const std::size_t logged = static_cast<std::size_t>(frames[i + 1].events < 0 ? 0 : frames[i + 1].events);
    for (; next_event < logged && next_event < events.size(); ++next_event)
      t.events.push_back({at, events[next_event].code, events[next_event].value});
    if (frames[i + 1].score != score) {
      score = frames[i + 1].score;
      t.scores.push_back({at, score});
    }
  }
  // Whatever the log holds beyond the last snapshot came with the last frame.
  for (; next_event < events.size(); ++next_event)
    t.events.push_back({t.length_ms, events[next_event].code, events[next_event].value});
  return t;
}

std::string timeline_text(const Timeline& t) {
  std::string out = "T1 " + std::to_string(t.length_ms) + "\nS";
  for (const ScorePoint& p : t.scores) out += " " + std::to_string(p.ms) + " " + std::to_string(p.score);
  out += "\nE";
  for (const TimedEvent& e : t.events)
    out += " " + std::to_string(e.ms) + " " + std::to_string(e.code) + " " + std::to_string(e.value);
  return out + "\n";
}

bool read_timeline(std::string_view text, Timeline& out) {
  // Three lines: the head, the scores, the events.
  std::string_view lines[3];
  for (std::string_view& line : lines) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return false;
    line = text.substr(0, end);
    text.remove_prefix(end + 1);
  }
  if (!text.empty() || !lines[0].starts_with("T1 ") || !lines[1].starts_with("S") || !lines[2].starts_with("E"))
    return false;
  constexpr std::int64_t ms_max = std::numeric_limits<std::int32_t>::max();
  Timeline t;
  Numbers head(lines[0].substr(3));
  std::int64_t length = 0;
  if (!head.next(length) || !head.done() || !in_range(length, 0, ms_max)) return false;
  t.length_ms = static_cast<std::int32_t>(length);
  const std::string_view scores = lines[1].substr(1), events = lines[2].substr(1);
  Numbers s(scores.empty() ? scores : scores.substr(1));
  if (!scores.empty() && scores[0] != ' ') return false;
  while (!scores.empty() && !s.done()) {
    std::int64_t ms = 0, score = 0;
    if (t.scores.size() >= max_timeline_entries || !s.next(ms) || !s.next(score) || !in_range(ms, 0, ms_max) ||
        !in_range(score, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()))
      return false;
    t.scores.push_back({static_cast<std::int32_t>(ms), static_cast<std::int32_t>(score)});
  }
  Numbers e(events.empty() ? events : events.substr(1));
  if (!events.empty() && events[0] != ' ') return false;
  while (!events.empty() && !e.done()) {
    std::int64_t ms = 0, code = 0, value = 0;
    if (t.events.size() >= max_timeline_entries || !e.next(ms) || !e.next(code) || !e.next(value) ||
        !in_range(ms, 0, ms_max) || !in_range(code, 0, 65535) || !in_range(value, -32768, 32767))
      return false;
    t.events.push_back({static_cast<std::int32_t>(ms), static_cast<std::uint16_t>(code),
                        static_cast<std::int16_t>(value)});
  }
  out = std::move(t);
  return true;
}

std::vector<TimedEvent> real_events(const std::vector<TimedEvent>& events) {
  std::vector<TimedEvent> out;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const int code = events[i].code;
    if (code >= first_noise_block && code <= last_noise_block) {
      i += static_cast<std::size_t>(code - (first_noise_block - 1));  // its raw pairs
      continue;
    }
    out.push_back(events[i]);
  }
  return out;
}

}  // namespace server
