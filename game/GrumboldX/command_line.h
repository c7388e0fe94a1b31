// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: "-nohtml", "-XS", "-XL", "-XXL", "-vsync", found anywhere in the line,
// case-sensitive.
#pragma once

namespace front {

// Applies the options to app::html_enabled and app::edition (a later option in the order
// -XS, -XL, -XXL wins, whatever their order in the line), and hands "-vsync" to the platform.
void read_command_line(const char* line);
// The edition the line asks for by the same rule, else fallback.
int edition_option(const char* line, int fallback);

}  // namespace front
