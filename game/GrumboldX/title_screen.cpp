// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/title_screen.h"

#include "game/GrumboldX/branding.h"
#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/exit_screen.h"
#include "game/GrumboldX/highscore_screen.h"
#include "game/GrumboldX/round_flow.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/text/font.h"

namespace front {

namespace {
constexpr int title_picture = 0;
}

void draw_title() {
  gfx::clear_draw_list();
  gfx::draw_cursor(0);
  draw_buttons();
  gfx::show_screen_picture(title_picture);
  text::draw_text(729, 565, u"V1.1");
}

void title_click() {
  switch (button_under_cursor()) {
    case button_start:
      if (app::edition == app::edition_xs) {
        start_branding();
      } else {
        start_round();
      }
      break;
    case button_help: {
      static constexpr int help_buttons[] = {button_menu, button_list_end};
      set_buttons(help_buttons);
      app::game_state = app::state_help;
      gfx::start_transition(1);
      break;
    }
    case button_highscore:
      app::game_state = app::state_highscores;
      gfx::start_transition(1);
      show_highscores(false);
      break;
    case button_exit:
      app::game_state = app::state_exit;
      reset_exit_screen();
      break;
    default:
      break;
  }
}

}  // namespace front
