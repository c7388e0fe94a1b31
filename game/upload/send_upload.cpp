// SPDX-License-Identifier: GPL-3.0-or-later
// "Senden": authenticate, show the reply, and upload when the server says Continue.
#include <cstdio>

#include "game/upload/upload.h"

namespace upload {

namespace {

// The texts of one exchange; kept out of the stack for their size.
char plain[reply_text_room];
char html[reply_text_room];

void show_unreachable() {
  char text[dialog_text_room];
  dialog_text(text_unreachable, text);
  std::snprintf(plain, sizeof plain, "%s", text);
  dialog_text(text_unreachable_html, text);
  std::snprintf(html, sizeof html, "%s", text);
  show_server_message(plain, html);
}

}  // namespace

void send_upload() {
  plat::dialog_wait_cursor(true);
  char user[user_room], password[user_room], parameter[parameter_room];
  plat::dialog_get_text(id_user, user, sizeof user);
  plat::dialog_get_text(id_password, password, sizeof password);
  plat::dialog_get_text(id_parameter, parameter, sizeof parameter);

  if (!authenticate(user, password, parameter)) {
    show_unreachable();  // "Senden" stays enabled: the player may try again
    plat::dialog_wait_cursor(false);
    return;
  }
  int log_type = log_none;
  const int action = parse_authenticate_reply(plain, html, log_type);
  show_server_message(plain, html);
  if (action == action_abort) {
    plat::dialog_enable(id_send, false);
  } else if (action == action_continue) {
    if (upload(user, password, log_type)) {
      const int second = parse_upload_reply(plain, html);
      show_server_message(plain, html);
      if (second != action_retry) plat::dialog_enable(id_send, false);
    } else if (last_request_timed_out()) {
      // A server that stops answering midway is said to be out of reach; any other failure of
      // this step leaves the first reply on show.
      show_unreachable();
    }
  }
  plat::dialog_wait_cursor(false);
}

}  // namespace upload
