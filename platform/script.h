// SPDX-License-Identifier: GPL-3.0-or-later
// The headless backend's input script: one event per line, "FRAME ACTION ARGS".
//   move X Y | ldown | lup | rdown | rup | key NAME | keydown NAME | keyup NAME | text UTF8 |
//   focus on|off | minimise | close | shot FILE.png | lost | sleep MS |
//   dialog type ID TEXT | dialog press ID | dialog click ID | dialog close
// Lines starting with '#' and blank lines are ignored. Events of frame F reach the game before
// frame F runs (frames count from 1); a shot of frame F saves the picture frame F presented.
// The dialog lines are no window events: the upload dialog takes them one after another while
// it is open, in script order (their frame numbers only place them in it).
#pragma once

#include <string>
#include <vector>

namespace plat {

enum class ScriptAction { move, ldown, lup, rdown, rup, key, keydown, keyup, text, focus,
                          minimise, close, shot, lost, sleep, dialog };

// What a dialog line does: replace a field's text, press a button, click a link, close the
// dialog with its close box.
enum class DialogVerb { type, press, click, close };

struct ScriptEvent {
  int frame = 0;
  ScriptAction action = ScriptAction::move;
  int x = 0, y = 0;     // move; sleep milliseconds in x; focus on = 1 in x
  unsigned vk = 0, scan = 0;  // key, keydown, keyup
  std::string text;     // text (UTF-8), shot file, or the text a dialog line types
  DialogVerb verb = DialogVerb::type;  // dialog; the control's id in x
};

// Parses a whole script. On a malformed line returns false with "line N: what" in error.
bool parse_script(const std::string& source, std::vector<ScriptEvent>& out, std::string& error);

// The next dialog line of the headless backend's script, in order; false when there is none
// left (or no headless backend).
bool next_dialog_line(ScriptEvent& out);

// Splits UTF-8 into code points; malformed bytes become U+FFFD.
std::vector<unsigned> utf8_code_points(const std::string& text);

}  // namespace plat
