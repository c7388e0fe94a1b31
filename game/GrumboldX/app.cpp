#include "game/GrumboldX/app.h"

namespace app {

int edition = edition_xl;
bool html_enabled = true;
std::atomic<bool> app_active = false;
int game_state = state_title;
int scene = 1;
std::int32_t frame_time = 0;
std::int32_t round_time = 0;
int frame_counter = 0;
std::uint32_t frame_stamps[40] = {};
int jitter_count = 0;
bool click_pending = false, click = false;
bool right_click_pending = false, right_click = false;
bool button_held = false;
int last_key = 0;
int cursor_x = 0, cursor_y = 0;

}  // namespace app
