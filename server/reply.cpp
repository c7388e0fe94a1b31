// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/reply.h"

#include <cstdint>

#include "platform/code_page.h"

namespace server {

namespace {

// Reads one UTF-8 character at i; -1 (and one byte consumed) for a broken sequence.
std::int32_t next_code_point(std::string_view s, std::size_t& i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  int extra = 0;
  std::int32_t cp = 0;
  if (c < 0x80) {
    ++i;
    return c;
  }
  if ((c & 0xE0) == 0xC0) {
    extra = 1;
    cp = c & 0x1F;
  } else if ((c & 0xF0) == 0xE0) {
    extra = 2;
    cp = c & 0x0F;
  } else if ((c & 0xF8) == 0xF0) {
    extra = 3;
    cp = c & 0x07;
  } else {
    ++i;
    return -1;
  }
  if (i + extra >= s.size()) {
    ++i;
    return -1;
  }
  for (int k = 1; k <= extra; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  i += extra + 1;
  return cp;
}

bool is_control(std::int32_t cp) { return cp < 32 || cp == 127 || (cp >= 0x80 && cp < 0xA0); }

}  // namespace

const char* action_word(Action a) {
  switch (a) {
    case Action::proceed: return "Continue";
    case Action::retry: return "Retry";
    case Action::abort: break;
  }
  return "Abort";
}

std::string to_cp1252_line(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::int32_t cp = next_code_point(utf8, i);
    const int byte = cp < 0 ? -1 : plat::cp1252_byte(static_cast<std::uint32_t>(cp));
    if (byte < 0)
      out.push_back('?');
    else if (is_control(cp))
      out.push_back(' ');
    else
      out.push_back(static_cast<char>(byte));
  }
  return out;
}

std::string to_ascii_html_line(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::int32_t cp = next_code_point(utf8, i);
    if (cp < 0)
      out.push_back('?');
    else if (is_control(cp))
      out.push_back(' ');
    else if (cp < 0x80)
      out.push_back(static_cast<char>(cp));
    else
      out += "&#" + std::to_string(cp) + ";";
  }
  return out;
}

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

std::string write_reply(const Reply& r) {
  std::string out = "Action=";
  out += action_word(r.action);
  out += "\n";
  if (!r.text.empty()) out += "text=" + to_cp1252_line(r.text) + "\n";
  if (!r.html.empty()) out += "html=" + to_ascii_html_line(r.html) + "\n";
  if (!r.url.empty()) out += "url=" + to_ascii_html_line(r.url) + "\n";
  if (!r.logtype.empty()) out += "logtype=" + to_ascii_html_line(r.logtype) + "\n";
  return out;
}

}  // namespace server
