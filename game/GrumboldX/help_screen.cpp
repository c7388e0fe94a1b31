// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/help_screen.h"

#include "game/GrumboldX/buttons.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/text/font.h"
#include "game/text/texts.h"

namespace front {

namespace {
constexpr int help_picture = 1;
}

void draw_help() {
  gfx::clear_draw_list();
  gfx::draw_cursor(0);
  draw_buttons();
  gfx::show_screen_picture(help_picture);
  int y = 191;
  for (int index = help_first_text; index <= help_last_text; ++index) {
    const char16_t* line = text::get_text(index);
    text::draw_text(400 - text::text_width(line) / 2, y, line);
    // A line of one character is a small gap.
    y += text::text_length(line) > 1 ? 34 : 18;
  }
}

void help_click() {
  if (button_under_cursor() != button_menu) return;
  app::game_state = app::state_title;
  set_title_buttons();
  gfx::start_transition(1);
}

}  // namespace front
