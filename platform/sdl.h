// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL backend: a real window, the mouse and keyboard, the screen, the sound device and the
// real clock, for players.
#pragma once

namespace plat {

// Chooses the SDL backend (the program's choice, made once before anything else).
bool init_sdl();

}  // namespace plat
