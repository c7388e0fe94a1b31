#include "game/GrumboldX/exit_screen.h"

#include "game/GrumboldX/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/sprites.h"

std::int32_t exit_clock = 0;
int exit_frames = 0;

void reset_exit_screen() {
  exit_frames = 0;
  gfx::load_exit_pictures();
  app::last_key = 0;
  exit_clock = app::edition == app::edition_xs ? 0 : 6488064;  // 99.0 s
}

bool run_exit_screen() {
  exit_clock += app::frame_time;
  gfx::draw_cursor(0);
  exit_frames += 1;
  bool quit = false;
  if (exit_clock >= exit_screen_patience && app::last_key == 32) quit = true;
  app::last_key = 0;
  return quit;
}
