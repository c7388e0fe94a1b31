// SPDX-License-Identifier: GPL-3.0-or-later
// Key names, virtual-key codes and set-1 scan codes, shared by the backends.
#pragma once

#include <cstdint>

namespace plat {

struct KeyName {
  const char* name;     // as written in scripts: "RETURN", "ESCAPE", "A", "F1", ...
  std::uint32_t vk;     // virtual-key code
  std::uint32_t scan;   // set-1 scan code
};

// Looks a key up by its script name (letters and digits as one character, case-insensitive).
const KeyName* find_key_by_name(const char* name);
const KeyName* find_key_by_vk(std::uint32_t vk);
// The character a key types when pressed, as text input reports it: letters (upper case with
// Shift held), digits and the space; 0 for keys that type nothing (Return, Escape, arrows...).
unsigned typed_character(std::uint32_t vk, bool shift);

}  // namespace plat
