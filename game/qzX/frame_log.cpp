// SPDX-License-Identifier: GPL-3.0-or-later
// The frame log: one entry per in-game frame with the frame time and the player's input, enough
// for the server to run the round again frame by frame.
#include "game/qzX/little_endian.h"
#include "game/qzX/recording.h"

namespace qzx {

std::uint8_t frame_log[frame_log_size];

namespace {

constexpr std::size_t at_frame_count = 8;
constexpr std::size_t at_entries = 20;

}  // namespace

std::uint32_t pack_input(int cursor_x, int cursor_y, bool left, bool right, bool click,
                         bool right_click, std::int32_t round_time) {
  // The whole seconds are the time's high half (negative once the time has run out); only their
  // low 7 bits fit.
  const auto whole_seconds = static_cast<std::uint32_t>(round_time >> 16) & 0x7Fu;
  return (static_cast<std::uint32_t>(cursor_x) & 0x3FFu) |
         (static_cast<std::uint32_t>(cursor_y) & 0x3FFu) << 10 |
         static_cast<std::uint32_t>(left) << 20 | static_cast<std::uint32_t>(right) << 21 |
         static_cast<std::uint32_t>(click) << 22 | static_cast<std::uint32_t>(right_click) << 23 |
         static_cast<std::uint32_t>(round_time < 1) << 24 | whole_seconds << 25;
}

void record_frame(std::int32_t frame_time, std::uint32_t packed_input) {
  const int count = frame_count_recorded();
  if (count >= max_frames) return;
  std::uint8_t* entry = frame_log + at_entries + 8 * static_cast<std::size_t>(count);
  // The frame time is clamped far below one second, so its low half is all of it.
  const auto low_half = static_cast<std::uint16_t>(frame_time);
  entry[0] = static_cast<std::uint8_t>(low_half);
  entry[1] = static_cast<std::uint8_t>(low_half >> 8);
  entry[2] = entry[3] = 0;
  put32(entry + 4, packed_input);
  put32(frame_log + at_frame_count, static_cast<std::uint32_t>(count + 1));
}

int frame_count_recorded() { return static_cast<int>(get32(frame_log + at_frame_count)); }

FrameEntry frame_at(int index) {
  if (index < 0 || index >= frame_count_recorded()) return {};
  const std::uint8_t* entry = frame_log + at_entries + 8 * static_cast<std::size_t>(index);
  return {get16(entry), get32(entry + 4)};
}

}  // namespace qzx
