// SPDX-License-Identifier: GPL-3.0-or-later
// The exchange with the highscore server: two form POSTs to "qzt/uploadhandler.php" on one
// connection kept for the whole run, each reply read into a block of reply_room bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/app/app.h"
#include "game/qzX/recording.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/upload/redirect_server.h"
#include "game/upload/upload.h"
#include "platform/http.h"

namespace upload {

char* reply_body = nullptr;

namespace {

plat::HttpHandle internet = 0;
plat::HttpHandle connection = 0;
bool timed_out = false;

constexpr const char* handler = "qzt/uploadhandler.php";
constexpr const char* form_header = "Content-Type: application/x-www-form-urlencoded\r\n";
constexpr const char* version = "V1.1";

// A request body that starts with request_room bytes and grows when a field needs more (a long
// replay text); never written past.
struct Body {
  char* text = nullptr;
  std::size_t length = 0, room = 0;

  Body() : text(static_cast<char*>(XMALLOC(request_room))), room(request_room) { text[0] = 0; }
  ~Body() { XFREE(text); }
  Body(const Body&) = delete;
  Body& operator=(const Body&) = delete;

  void add(const char* part) {
    const std::size_t n = std::strlen(part);
    if (length + n + 1 > room) {
      while (length + n + 1 > room) room *= 2;
      text = static_cast<char*>(XREALLOC(text, room));
    }
    std::memcpy(text + length, part, n + 1);
    length += n;
  }
  void add(const char* name, const char* value) {
    add(name);
    add(value);
  }
  void add(const char* name, long long value) {
    char number[24];
    std::snprintf(number, sizeof number, "%lld", value);
    add(name, number);
  }
};

unsigned handle_log(plat::HttpHandle h) { return static_cast<unsigned>(h); }

// Sends the body as a form POST and reads the reply once; read is the number of bytes. The
// request handle is logged under the label its step uses.
bool post(const Body& body, const char* handle_label, std::size_t& read) {
  read = 0;
  const plat::HttpHandle request = plat::http_open_request(connection, "POST", handler);
  res::debug_log("  %s: %x\n", handle_label, handle_log(request));
  const bool sent = request && plat::http_send_request(request, form_header, body.text, body.length);
  res::debug_log("  request: %x\n", sent ? 1u : 0u);
  timed_out = request && !sent && plat::http_timed_out(request);
  if (!sent) return false;
  // The reply is read once; the block keeps a zero after it.
  if (reply_body) XFREE(reply_body);
  reply_body = static_cast<char*>(XMALLOC(reply_room));
  std::memset(reply_body, 0, reply_room);
  read = plat::http_read(request, reply_body, reply_room - 1);
  return true;
}

}  // namespace

const char* server_address() {
  const char* chosen = std::getenv("GRUMBOLDX_SERVER");
  return chosen && *chosen ? chosen : redirect_server;
}

bool last_request_timed_out() { return timed_out; }

bool connect_to_server() {
  res::debug_log("connect to server...\n");
  if (internet && connection) return true;
  if (!internet) {
    internet = plat::http_open("QZT_DE");
    res::debug_log("  open: %x\n", handle_log(internet));
    if (!internet) return false;
  }
  connection = plat::http_connect(internet, server_address(), "qzt");
  res::debug_log("  connect: %x\n", handle_log(connection));
  if (!connection) return false;
  res::debug_log("  connection ok\n");
  return true;
}

bool authenticate(const char* user, const char* password, const char* parameter) {
  timed_out = false;
  if (!connect_to_server()) return false;
  res::debug_log("authenticate...\n");
  char escaped[escape_room];
  Body body;
  body.add("type=Authenticate");
  plat::http_escape(user, escaped, sizeof escaped);
  body.add("&user=", escaped);
  plat::http_escape(password, escaped, sizeof escaped);
  body.add("&pass=", escaped);
  plat::http_escape(version, escaped, sizeof escaped);
  body.add("&version=", escaped);
  body.add("&vtype=", app::edition);
  char language_code[8];
  std::snprintf(language_code, sizeof language_code, "%04x", language_number());
  body.add("&lang=", language_code);
  body.add("&score=", score_to_send);
  body.add("&ienv=", check_word_1);
  body.add("&noyb=", check_word_2);
  plat::http_escape(parameter, escaped, sizeof escaped);
  body.add("&opt=", escaped);
  std::size_t read = 0;
  if (!post(body, "connection", read)) return false;
  res::debug_log("  bytes read %d\n", static_cast<int>(read));
  return true;
}

bool upload(const char* user, const char* password, int log_type) {
  timed_out = false;
  if (!connect_to_server()) return false;
  res::debug_log("upload...\n");
  char md[md_length + 1];
  char check[check_text_length + 1] = {};
  qzx::check_text(check);
  build_md_record(user, password, score_to_send, app::edition, check, md);
  char md_out[md_hex_length + 1];
  encode_upload_payload(md, md_out, log_type);

  Body body;
  body.add("type=Upload");
  body.add("&md=", md_out);
  if (log_type == log_normal || log_type == log_full) body.add("&el=", upload_hex ? upload_hex : "");
  if (log_type == log_full) body.add("&replay=", qzx::replay_text());
  body.add("&comp=", "false");
  body.add("&logtype=", log_type == log_full ? "full" : log_type == log_normal ? "normal" : "none");
  std::size_t read = 0;
  if (!post(body, "connect", read)) return false;
  res::debug_log("  bytes read: %d\n", static_cast<int>(read));
  return true;
}

}  // namespace upload
