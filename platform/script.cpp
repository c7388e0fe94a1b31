// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/script.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "platform/keys.h"

namespace plat {

namespace {

bool parse_int(const std::string& word, int& out) {
  if (word.empty()) return false;
  char* end = nullptr;
  const long value = std::strtol(word.c_str(), &end, 10);
  if (*end != '\0' || value < -1000000000L || value > 1000000000L) return false;
  out = static_cast<int>(value);
  return true;
}

struct ActionName {
  const char* name;
  ScriptAction action;
};
constexpr ActionName action_names[] = {
    {"move", ScriptAction::move},   {"ldown", ScriptAction::ldown},
    {"lup", ScriptAction::lup},     {"rdown", ScriptAction::rdown},
    {"rup", ScriptAction::rup},     {"key", ScriptAction::key},
    {"keydown", ScriptAction::keydown}, {"keyup", ScriptAction::keyup},
    {"text", ScriptAction::text},   {"focus", ScriptAction::focus},
    {"minimise", ScriptAction::minimise}, {"close", ScriptAction::close},
    {"shot", ScriptAction::shot},   {"lost", ScriptAction::lost},
    {"sleep", ScriptAction::sleep},  {"dialog", ScriptAction::dialog},
};

// "type ID TEXT" (TEXT: the rest of the line, may be empty), "press ID", "click ID", "close".
// On a malformed line error says what is wrong.
bool parse_dialog_line(std::istringstream& words, ScriptEvent& event, std::string& error) {
  std::string verb, id, rest;
  words >> verb;
  if (verb == "close") {
    event.verb = DialogVerb::close;
    if (words >> rest) {
      error = "unexpected \"" + rest + "\"";
      return false;
    }
    return true;
  }
  if (verb == "type") event.verb = DialogVerb::type;
  else if (verb == "press") event.verb = DialogVerb::press;
  else if (verb == "click") event.verb = DialogVerb::click;
  else {
    error = "dialog needs type, press, click or close";
    return false;
  }
  words >> id;
  if (!parse_int(id, event.x) || event.x < 0) {
    error = "dialog " + verb + " needs a control number";
    return false;
  }
  if (event.verb == DialogVerb::type) {
    std::getline(words, rest);
    if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
    event.text = rest;
  } else if (words >> rest) {
    error = "unexpected \"" + rest + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool parse_script(const std::string& source, std::vector<ScriptEvent>& out, std::string& error) {
  std::istringstream lines(source);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(number) + ": " + what;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    std::istringstream words(line);
    std::string frame_word, action_word;
    words >> frame_word >> action_word;
    ScriptEvent event;
    if (!parse_int(frame_word, event.frame) || event.frame < 0)
      return fail("expected a frame number, got \"" + frame_word + "\"");
    const auto* found = std::find_if(std::begin(action_names), std::end(action_names),
                                     [&](const ActionName& a) { return action_word == a.name; });
    if (found == std::end(action_names)) return fail("unknown action \"" + action_word + "\"");
    event.action = found->action;
    std::string a, b, rest;
    switch (event.action) {
      case ScriptAction::move:
        words >> a >> b;
        if (!parse_int(a, event.x) || !parse_int(b, event.y)) return fail("move needs X Y");
        break;
      case ScriptAction::key:
      case ScriptAction::keydown:
      case ScriptAction::keyup: {
        words >> a;
        const KeyName* key = find_key_by_name(a.c_str());
        if (!key) return fail("unknown key \"" + a + "\"");
        event.vk = key->vk;
        event.scan = key->scan;
        break;
      }
      case ScriptAction::text:
        std::getline(words, rest);
        if (!rest.empty() && rest.front() == ' ') rest.erase(0, 1);
        if (rest.empty()) return fail("text needs something to type");
        event.text = rest;
        break;
      case ScriptAction::focus:
        words >> a;
        if (a != "on" && a != "off") return fail("focus needs on or off");
        event.x = a == "on";
        break;
      case ScriptAction::shot:
        words >> a;
        if (a.empty()) return fail("shot needs a file name");
        event.text = a;
        break;
      case ScriptAction::sleep:
        words >> a;
        if (!parse_int(a, event.x) || event.x < 0) return fail("sleep needs milliseconds");
        break;
      case ScriptAction::dialog:
        if (!parse_dialog_line(words, event, rest)) return fail(rest);
        break;
      default:
        break;
    }
    if (event.action != ScriptAction::text && event.action != ScriptAction::dialog &&
        (words >> rest)) return fail("unexpected \"" + rest + "\"");
    out.push_back(event);
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const ScriptEvent& l, const ScriptEvent& r) { return l.frame < r.frame; });
  return true;
}

std::vector<unsigned> utf8_code_points(const std::string& text) {
  std::vector<unsigned> points;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    unsigned point = extra == 0 ? c : extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
    bool ok = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc >> 6) != 2) ok = false;
      point = point << 6 | (cc & 0x3F);
    }
    if (!ok) {
      points.push_back(0xFFFD);
      ++i;
      continue;
    }
    points.push_back(point);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return points;
}

}  // namespace plat
