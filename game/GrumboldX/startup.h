// The program's start: log, command line, window and display, archive, loading, main loop.
#pragma once

// Runs the whole program and returns its exit code.
int game_main(int argc, char** argv);
