// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/branding.h"

#include "game/GrumboldX/round_flow.h"
#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"

namespace front {

std::int32_t branding_clock = 0;

namespace {
constexpr int branding_picture = 4;
}

void start_branding() {
  branding_clock = branding_time;
  app::game_state = app::state_branding;
  gfx::start_transition(1);
}

void run_start_branding() {
  gfx::clear_draw_list();
  gfx::draw_cursor(0);
  gfx::show_screen_picture(branding_picture);
  branding_clock -= app::frame_time;
  if (branding_clock <= 0) start_round();
}

}  // namespace front
