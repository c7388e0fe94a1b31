// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/buttons.h"

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"
#include "game/sound/sound.h"

namespace front {

int active_buttons[menu_button_count + 1] = {button_list_end};
bool send_allowed = false;
bool button_sound_armed = true;
int hovered_button = -1;

void set_buttons(const int* list) {
  int n = 0;
  for (; n < menu_button_count && list[n] != button_list_end; ++n) active_buttons[n] = list[n];
  active_buttons[n] = button_list_end;
}

void set_title_buttons() {
  static constexpr int title[] = {button_start, button_help, button_highscore, button_exit,
                                  button_list_end};
  set_buttons(title);
}

int button_under_cursor() {
  for (const int* b = active_buttons; *b != button_list_end; ++b) {
    if (*b < 0 || *b >= menu_button_count) continue;
    const gfx::ButtonPlace& place = gfx::button_places[*b];
    if (app::cursor_x < place.x || app::cursor_x > place.x + place.width) continue;
    if (app::cursor_y < place.y || app::cursor_y > place.y + place.height) continue;
    if (app::game_state == app::state_name_entry && (*b == button_send || *b == button_menu))
      return -1;
    if (*b == button_send && !send_allowed) return -1;
    return *b;
  }
  return -1;
}

void draw_buttons() {
  const int under = button_under_cursor();
  for (const int* b = active_buttons; *b != button_list_end; ++b) {
    if (*b < 0 || *b >= menu_button_count) continue;
    const int frame = *b == under ? (app::button_held ? 2 : 1) : 0;
    const gfx::ButtonPlace& place = gfx::button_places[*b];
    gfx::draw_sprite(gfx::button_first_sprite + *b, frame, place.x, place.y, 1, 0, 0);
  }
  if (app::button_held) {
    if (button_sound_armed && under >= 0) {
      sound::play_sound(sound::sound_button);
      button_sound_armed = false;
    }
  } else {
    button_sound_armed = true;
  }
  hovered_button = under;
}

}  // namespace front
