// The headless backend's input script: one event per line, "FRAME ACTION ARGS".
//   move X Y | ldown | lup | rdown | rup | key NAME | keydown NAME | keyup NAME | text UTF8 |
//   focus on|off | minimise | close | shot FILE.png | lost | sleep MS
// Lines starting with '#' and blank lines are ignored. Events of frame F reach the game before
// frame F runs (frames count from 1); a shot of frame F saves the picture frame F presented.
#pragma once

#include <string>
#include <vector>

namespace plat {

enum class ScriptAction { move, ldown, lup, rdown, rup, key, keydown, keyup, text, focus,
                          minimise, close, shot, lost, sleep };

struct ScriptEvent {
  int frame = 0;
  ScriptAction action = ScriptAction::move;
  int x = 0, y = 0;     // move; sleep milliseconds in x; focus on = 1 in x
  unsigned vk = 0, scan = 0;  // key, keydown, keyup
  std::string text;     // text (UTF-8) or shot file
};

// Parses a whole script. On a malformed line returns false with "line N: what" in error.
bool parse_script(const std::string& source, std::vector<ScriptEvent>& out, std::string& error);

// Splits UTF-8 into code points; malformed bytes become U+FFFD.
std::vector<unsigned> utf8_code_points(const std::string& text);

}  // namespace plat
