// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start: log, command line, window and display, archive, loading, main loop.
#pragma once

namespace front {

// Runs the whole program on the backend main chose and returns its exit code.
int game_main(int argc, char** argv);

}  // namespace front
