// SPDX-License-Identifier: GPL-3.0-or-later
// The replies the game reads: one "key=value" line per field, keys "Action", "text", "html",
// "url" and "logtype". The game reads a reply line by line and shows the values as they stand,
// so a value never holds a line break; its plain text is taken as 8-bit characters of the
// Windows code page, as the game's own messages are, and its HTML is kept to ASCII with
// character references, which any reading of the bytes shows alike.
#pragma once

#include <string>
#include <string_view>

namespace server {

enum class Action { proceed, retry, abort };  // "Continue", "Retry", "Abort"

struct Reply {
  Action action = Action::abort;
  std::string text;     // UTF-8; written as Latin-1
  std::string html;     // UTF-8; written as ASCII with &#N; references
  std::string url;      // opened by the game at once: left empty unless a reply needs it
  std::string logtype;  // "none", "normal" or "full" (authentication replies only)
};

const char* action_word(Action a);

// The reply's body: Action first, then the other fields that are set, each on its own line.
std::string write_reply(const Reply& r);

// UTF-8 to the game's code page 1252 (Latin-1 with € „ “ ” – … and friends in 0x80..0x9F):
// characters it lacks and broken sequences become "?"; line breaks and other control characters
// become blanks.
std::string to_cp1252_line(std::string_view utf8);
// UTF-8 to ASCII HTML: characters beyond U+007F become "&#N;"; line breaks become blanks.
std::string to_ascii_html_line(std::string_view utf8);
// Escapes &, <, >, " and ' for HTML text and attribute values.
std::string html_escape(std::string_view text);

}  // namespace server
