// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/qzX/reload_hint.h"

#include <cstdint>

#include "game/app/app.h"
#include "game/qzX/round.h"
#include "game/text/font.h"
#include "game/text/texts.h"

namespace qzx {

namespace {

constexpr std::int32_t hint_time = 131072;  // 2 s
// Right-aligned with the score above it, just over the magazine's row (y 520).
constexpr int hint_right = 784;
constexpr int hint_y = 482;

// Time the hint is still shown (16.16 s); kept apart from the round's recorded state.
std::int32_t hint_left = 0;

}  // namespace

void draw_reload_hint(bool clicked) {
  // The megagun takes the click when it is ready or firing, with the magazine emptied for it.
  const bool gun_in_hand = round.megagun_state != 1 && round.megagun_state != 2;
  if (players[0].cartridges > 0 || !gun_in_hand) {
    hint_left = 0;
    return;
  }
  if (clicked) hint_left = hint_time;
  if (hint_left <= 0) return;
  hint_left -= app::frame_time;
  const char16_t* line = text::get_text(reload_hint_text);
  text::draw_text(hint_right - text::text_width(line), hint_y, line);
}

}  // namespace qzx
