// SPDX-License-Identifier: GPL-3.0-or-later
// The game's sound effects and music, synthesised by code.
#pragma once

#include <filesystem>
#include <string>

namespace sounds {

// Writes every sound file under root (root/data/sfx/...). False with a message on failure.
bool make_sounds(const std::filesystem::path& root, std::string& error);

}  // namespace sounds
