// SPDX-License-Identifier: GPL-3.0-or-later
// The two replies of an exchange, read from the last reply body with the default texts.
#include <cstdio>

#include "game/upload/upload.h"

namespace upload {

namespace {

void defaults(char* plain, char* html) {
  char text[dialog_text_room];
  dialog_text(text_no_text, text);
  std::snprintf(plain, reply_text_room, "%s", text);
  dialog_text(text_no_html, text);
  std::snprintf(html, reply_text_room, "%s", text);
}

}  // namespace

int parse_authenticate_reply(char* plain, char* html, int& log_type) {
  defaults(plain, html);
  log_type = log_none;
  return parse_reply(reply_body, reply_body ? reply_room : 0, plain, html, &log_type,
                     open_reply_address);
}

int parse_upload_reply(char* plain, char* html) {
  defaults(plain, html);
  return parse_reply(reply_body, reply_body ? reply_room : 0, plain, html, nullptr,
                     open_reply_address);
}

}  // namespace upload
