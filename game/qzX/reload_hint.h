// SPDX-License-Identifier: GPL-3.0-or-later
// The reload hint of the head-up display: after a click on an empty magazine a short line says
// how to reload, until the gun is loaded again or the hint has been shown for two seconds. It
// only draws: it draws no random number, records nothing and no rule of the round reads it.
#pragma once

namespace qzx {

// The text that the hint shows (the text table's entry).
constexpr int reload_hint_text = 5;

// Called once per in-game frame from the display step, before the frame's click is handled;
// clicked: the left button went down in this frame.
void draw_reload_hint(bool clicked);

}  // namespace qzx
