// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/exit_screen.h"

#include <algorithm>
#include <cstdint>

#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "game/upload/upload.h"
#include "game/upload/redirect_server.h"

namespace front {

std::int32_t exit_clock = 0;
constexpr std::int32_t exit_clock_limit = 0x40000000;  // 16384 s
int exit_frames = 0;
std::int32_t credits_position = 0;
bool link_hover = false;
char exit_link[exit_link_room] = {};

namespace {

constexpr int credits_picture = 3;
constexpr int first_link_sprite = gfx::ad_first_sprite;
constexpr int first_credits_text = 100;
constexpr int clicks_after_frames = 10;  // a click during the first ten frames does nothing

constexpr ExitLink xs_links[] = {
    {383, 59, "/grumbold/qzt/de/xs_c1_redirect.php?from=QZT_XS-Ver1.0DE-C1"},
    {358, 408, "/grumbold/qzt/de/xs_c2_redirect.php?from=QZT_XS-Ver1.0DE-C2"},
    {396, 562, "/grumbold/qzt/de/xs_c3_redirect.php?from=QZT_XS-Ver1.0DE-C3"},
    {0, 0, "/grumbold/qzt/de/xs_c4_redirect.php?from=QZT_XS-Ver1.0DE-C4"},
    {-1, 0, ""},
};
constexpr ExitLink xl_links[] = {
    {448, 420, "/grumbold/qzt/de/xl_c1_redirect.php?from=QZT_XL-Ver1.0DE-C1"},
    {0, 0, "/grumbold/qzt/de/xl_c2_redirect.php?from=QZT_XL-Ver1.0DE-C2"},
    {-1, 0, ""},
};
constexpr ExitLink no_links[] = {{-1, 0, ""}};

// Left and top edges inside, right and bottom outside.
bool holds_cursor(const ExitArea& a) {
  return app::cursor_x >= a.x && app::cursor_x < a.x + a.width && app::cursor_y >= a.y &&
         app::cursor_y < a.y + a.height;
}

ExitArea link_area(const ExitLink& link, int k) {
  if (link.x == 0) return exit_invisible_area(app::edition);
  const gfx::FrameRect r = gfx::frame_rect(first_link_sprite + k, 0);
  return ExitArea{link.x, link.y, r.width, r.height};
}

bool starts_with_hash(const char16_t* text) { return text[0] == u'#'; }

bool is_end_mark(const char16_t* text) {
  const char16_t mark[] = u"*ENDE*";
  int n = 0;
  for (; mark[n] && text[n] == mark[n]; ++n) {}
  return !mark[n] && !text[n];
}

// The credits scroll up at 50 pixels a second, "#" lines in the full-size font, the others at
// 75 %; true once they have left the screen.
bool run_credits() {
  // Kept from wrapping round when the credits have no end mark and run on for many minutes.
  const std::int64_t position = static_cast<std::int64_t>(credits_position) + 50 * app::frame_time;
  credits_position = position > INT32_MAX ? INT32_MAX : static_cast<std::int32_t>(position);
  const int scrolled = credits_position / 65536;
  int y = 600 - scrolled;
  for (int k = 0; first_credits_text + k < text::text_index_count; ++k) {
    const char16_t* line = text::get_text(first_credits_text + k);
    if (is_end_mark(line)) return scrolled > 34 * k + 620;
    if (y > -34 && y < 600) {
      if (starts_with_hash(line)) {
        ++line;
        text::draw_text(533 - text::text_width(line) / 2, y, line);
      } else {
        text::draw_text_small(533 - text::text_width_small(line) / 2, y, line);
      }
    }
    y += 34;
    if (y > 600) break;
  }
  return false;
}

}  // namespace

const ExitLink* exit_links(int edition) {
  if (edition == app::edition_xs) return xs_links;
  if (edition == app::edition_xl) return xl_links;
  return no_links;
}

ExitArea exit_invisible_area(int edition) {
  if (edition == app::edition_xs) return ExitArea{10, 120, 300, 400};
  return ExitArea{50, 440, 270, 480};
}

ExitArea exit_button_area(int edition) {
  const gfx::FrameRect r = gfx::frame_rect(gfx::exit_button_sprite, 0);
  if (edition == app::edition_xs) return ExitArea{688, 525, r.width, r.height};
  return ExitArea{680, 520, r.width, r.height};
}

void exit_screen_state_reset() {
  exit_clock = 0;
  exit_frames = 0;
  credits_position = 0;
  link_hover = false;
  exit_link[0] = 0;
}

void reset_exit_screen() {
  credits_position = -1966080;  // -30.0
  exit_frames = 0;
  gfx::load_exit_pictures();
  app::last_key = 0;
  exit_clock = app::edition == app::edition_xs ? 0 : 6488064;  // 99.0 s
}

bool run_exit_screen() {
  // The clock stops far beyond the patience, so hours on this screen cannot wrap it.
  exit_clock = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{exit_clock} + app::frame_time, exit_clock_limit));
  gfx::clear_draw_list();
  gfx::draw_cursor(link_hover ? 1 : 0);
  gfx::show_screen_picture(credits_picture);
  exit_frames += 1;
  const bool patient = exit_clock >= exit_screen_patience;
  const bool may_click = app::click && exit_frames > clicks_after_frames;
  bool quit = false;
  bool hover = false;

  if (app::edition == app::edition_xxl) {
    quit = run_credits() || may_click;
  } else {
    const ExitLink* links = exit_links(app::edition);
    for (int k = 0; k < max_exit_links && links[k].x >= 0; ++k) {
      const ExitArea area = link_area(links[k], k);
      if (links[k].x > 0) gfx::draw_sprite(first_link_sprite + k, 0, area.x, area.y, 0, 0, 0);
      if (!holds_cursor(area)) continue;
      hover = true;
      if (may_click) {
        redirect_address(upload::language_path(links[k].path).c_str(), exit_link, sizeof exit_link);  // the last one wins
        quit = true;
      }
    }
    if (patient) {
      const ExitArea button = exit_button_area(app::edition);
      gfx::draw_sprite(gfx::exit_button_sprite, 0, button.x, button.y, 0, 0, 0);
      if (holds_cursor(button)) {
        hover = true;
        if (may_click) quit = true;
      }
    }
  }

  if (patient && app::last_key == 32) quit = true;
  app::last_key = 0;
  link_hover = hover;
  return quit;
}

}  // namespace front
