// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/keys.h"

#include <cstring>
#include <strings.h>

#include "platform/platform.h"

namespace plat {
namespace {

constexpr KeyName keys[] = {
    {"BACK", VK_BACK, 0x0E},   {"TAB", VK_TAB, 0x0F},       {"RETURN", VK_RETURN, 0x1C},
    {"SHIFT", VK_SHIFT, 0x2A}, {"CONTROL", VK_CONTROL, 0x1D}, {"ESCAPE", VK_ESCAPE, 0x01},
    {"SPACE", VK_SPACE, 0x39}, {"END", VK_END, 0x4F},       {"HOME", VK_HOME, 0x47},
    {"LEFT", VK_LEFT, 0x4B},   {"UP", VK_UP, 0x48},         {"RIGHT", VK_RIGHT, 0x4D},
    {"DOWN", VK_DOWN, 0x50},   {"DELETE", VK_DELETE, 0x53},
    {"0", '0', 0x0B}, {"1", '1', 0x02}, {"2", '2', 0x03}, {"3", '3', 0x04}, {"4", '4', 0x05},
    {"5", '5', 0x06}, {"6", '6', 0x07}, {"7", '7', 0x08}, {"8", '8', 0x09}, {"9", '9', 0x0A},
    {"A", 'A', 0x1E}, {"B", 'B', 0x30}, {"C", 'C', 0x2E}, {"D", 'D', 0x20}, {"E", 'E', 0x12},
    {"F", 'F', 0x21}, {"G", 'G', 0x22}, {"H", 'H', 0x23}, {"I", 'I', 0x17}, {"J", 'J', 0x24},
    {"K", 'K', 0x25}, {"L", 'L', 0x26}, {"M", 'M', 0x32}, {"N", 'N', 0x31}, {"O", 'O', 0x18},
    {"P", 'P', 0x19}, {"Q", 'Q', 0x10}, {"R", 'R', 0x13}, {"S", 'S', 0x1F}, {"T", 'T', 0x14},
    {"U", 'U', 0x16}, {"V", 'V', 0x2F}, {"W", 'W', 0x11}, {"X", 'X', 0x2D}, {"Y", 'Y', 0x15},
    {"Z", 'Z', 0x2C},
    {"F1", VK_F1 + 0, 0x3B},  {"F2", VK_F1 + 1, 0x3C},  {"F3", VK_F1 + 2, 0x3D},
    {"F4", VK_F1 + 3, 0x3E},  {"F5", VK_F1 + 4, 0x3F},  {"F6", VK_F1 + 5, 0x40},
    {"F7", VK_F1 + 6, 0x41},  {"F8", VK_F1 + 7, 0x42},  {"F9", VK_F1 + 8, 0x43},
    {"F10", VK_F1 + 9, 0x44}, {"F11", VK_F1 + 10, 0x57}, {"F12", VK_F1 + 11, 0x58},
};

}  // namespace

const KeyName* find_key_by_name(const char* name) {
  for (const KeyName& key : keys)
    if (strcasecmp(key.name, name) == 0) return &key;
  return nullptr;
}

const KeyName* find_key_by_vk(std::uint32_t vk) {
  for (const KeyName& key : keys)
    if (key.vk == vk) return &key;
  return nullptr;
}

unsigned typed_character(std::uint32_t vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return shift ? vk : vk - 'A' + 'a';
  if ((vk >= '0' && vk <= '9') || vk == VK_SPACE) return vk;
  return 0;
}

}  // namespace plat
