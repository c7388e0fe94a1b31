#include "game/GrumboldX/exit_screen.h"

#include "game/GrumboldX/app.h"

std::int32_t exit_clock = 0;
int exit_frames = 0;

void reset_exit_screen() {
  exit_frames = 0;
  app::last_key = 0;
  exit_clock = app::edition == app::edition_xs ? 0 : 6488064;  // 99.0 s
}

bool run_exit_screen() {
  exit_clock += app::frame_time;
  exit_frames += 1;
  bool quit = false;
  if (exit_clock >= exit_screen_patience && app::last_key == 32) quit = true;
  app::last_key = 0;
  return quit;
}
