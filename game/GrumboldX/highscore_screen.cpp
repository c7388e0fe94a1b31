// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/highscore_screen.h"

#include <cstdio>

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/highscores.h"
#include "game/GrumboldX/name_entry.h"
#include "game/GrumboldX/send_highscore.h"
#include "game/GrumboldX/title_screen.h"
#include "game/app/app.h"
#include "game/gfx/catalogue_table.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/ogg/music.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "game/upload/upload.h"

namespace front {

bool show_score_line = false;
std::int32_t blink_clock = 0;
bool highscore_music = false;
std::int32_t round_score = 0;

namespace {

constexpr int highscore_picture = 2;
constexpr int score_line_text = 13;
// The name entry's prompt, between the screen picture's title and its board.
constexpr int name_prompt_text = 14;
constexpr int name_prompt_y = 86;
constexpr const char* own_music = "data\\sfx\\highscoremusic.ogg";

// The text with its first "%d" replaced by the number ("%%" gives "%"), cut to fit out.
void format_number(const char16_t* format, int value, char16_t* out, int room) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", value);
  int n = 0;
  bool used = false;
  for (const char16_t* p = format; *p && n < room - 1; ++p) {
    if (p[0] == u'%' && p[1] == u'%') {
      out[n++] = u'%';
      ++p;
    } else if (p[0] == u'%' && p[1] == u'd' && !used) {
      for (const char* d = digits; *d && n < room - 1; ++d) out[n++] = static_cast<char16_t>(*d);
      used = true;
      ++p;
    } else {
      out[n++] = *p;
    }
  }
  out[n] = 0;
}

void number_text(int value, char16_t (&out)[16]) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", value);
  int n = 0;
  for (; digits[n]; ++n) out[n] = static_cast<char16_t>(digits[n]);
  out[n] = 0;
}

}  // namespace

void end_of_round(std::int32_t score) {
  highscore_music = true;
  // The round's own endings (recording, its sounds stopped) come with the round.
  sound::play_sound(sound::sound_game_over);
  round_score = score;
  const int place = insert_highscore(score);
  new_entry_rank = place;
  if (place >= 0) {
    highscore_table[place].score = score;
    start_name_entry();
    app::game_state = app::state_name_entry;
  } else {
    app::game_state = app::state_highscores;
  }
  gfx::start_transition(1);
  show_highscores(true);
}

void show_highscores(bool after_round) {
  show_score_line = after_round;
  if (after_round) {
    send_allowed = true;
    static constexpr int list[] = {button_send, button_menu, button_list_end};
    set_buttons(list);
  } else {
    static constexpr int list[] = {button_menu, button_list_end};
    set_buttons(list);
  }
}

void run_highscore_music() {
  if (sound::music_requested() || sound::sound_is_playing(sound::sound_game_over)) return;
  const bool own = app::edition >= app::edition_xl && highscore_music;
  sound::start_music(own ? own_music : title_music);
}

void draw_highscores(int edited_row) {
  // The caret and the score blink in a 30000 cycle: the clock keeps only its place in it.
  blink_clock = static_cast<std::int32_t>((std::int64_t{blink_clock} + app::frame_time) % 30000);
  gfx::clear_draw_list();
  gfx::draw_cursor(0);
  draw_buttons();
  gfx::show_screen_picture(highscore_picture);

  if (edited_row >= 0) {
    const char16_t* prompt = text::get_text(name_prompt_text);
    text::draw_text(400 - text::text_width(prompt) / 2, name_prompt_y, prompt);
  }
  if (show_score_line) {
    char16_t line[128];
    format_number(text::get_text(score_line_text), round_score, line, 128);
    text::draw_text(400 - text::text_width(line) / 2, 151, line);
  }
  int y = show_score_line ? 192 : 208;
  for (int place = 0; place < highscore_places; ++place, y += 33) {
    const HighscoreEntry& entry = highscore_table[place];
    const bool edited = place == edited_row;
    if (edited) {
      text::draw_text(200, y, edit_buffer);
      // The caret: the cursor's third frame, placed by its corner.
      if (blink_clock % 15000 < 7500)
        gfx::draw_sprite(gfx::cursor_sprite, 2, 189 + text::text_width(edit_buffer), y, 0, 0, 0);
    } else {
      text::draw_text(200, y, entry.name);
    }
    if (!edited || blink_clock % 30000 >= 15000) {
      char16_t score[16];
      number_text(entry.score, score);
      text::draw_text(610 - text::text_width(score), y, score);
    }
  }
}

void highscore_click() {
  switch (button_under_cursor()) {
    case button_menu:
      leave_highscores();
      break;
    case button_send:
      send_highscore();
      break;
    default:
      break;
  }
}

void leave_highscores() {
  if (highscore_music) {
    sound::stop_music();
    highscore_music = false;
  }
  app::game_state = app::state_title;
  set_title_buttons();
  gfx::start_transition(1);
}

}  // namespace front
