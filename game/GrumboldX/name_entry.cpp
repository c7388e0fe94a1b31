// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/name_entry.h"

#include "game/GrumboldX/buttons.h"
#include "game/text/font.h"
#include "platform/code_page.h"
#include "platform/platform.h"

namespace front {

char16_t edit_buffer[typed_name_units + 1] = {};

namespace {

int buffer_length() {
  int n = 0;
  while (n < typed_name_units && edit_buffer[n]) ++n;
  return n;
}

}  // namespace

char16_t code_page_character(int code_page, std::uint32_t c) {
  if (c < 0x20 || c == 0x7F) return 0;
  if (c < 0x7F) return static_cast<char16_t>(c);
  if (code_page != 1252) return 0;
  return plat::cp1252_byte(c) >= 0 ? static_cast<char16_t>(c) : 0;
}

void start_name_entry() {
  for (char16_t& u : edit_buffer) u = 0;
}

void name_entry_key(int vk, int) {
  if (vk == static_cast<int>(plat::VK_BACK)) {
    const int n = buffer_length();
    if (n > 0) edit_buffer[n - 1] = 0;
    return;
  }
  if (vk == static_cast<int>(plat::VK_RETURN) || vk == static_cast<int>(plat::VK_ESCAPE)) {
    if (new_entry_rank >= 0 && new_entry_rank < highscore_places) {
      HighscoreEntry& entry = highscore_table[new_entry_rank];
      int n = 0;
      for (; n < typed_name_units && edit_buffer[n]; ++n) entry.name[n] = edit_buffer[n];
      for (; n < highscore_name_room; ++n) entry.name[n] = 0;
    }
    save_highscores();
    static constexpr int list[] = {button_send, button_menu, button_list_end};
    set_buttons(list);
  }
}

void name_entry_char(std::uint32_t code_point) {
  const int n = buffer_length();
  if (n >= typed_name_units) return;
  const char16_t c = code_page_character(text::country_code, code_point);
  if (c == 0 || !text::char_available(c)) return;
  edit_buffer[n] = c;
  edit_buffer[n + 1] = 0;
}

}  // namespace front
