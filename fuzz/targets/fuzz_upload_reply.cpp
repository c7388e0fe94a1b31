// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore server's reply grammar: any body parses to one of the three actions and one of
// the three log types, never reading outside its bytes, and every text it keeps ends inside
// its room.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/upload/upload.h"

namespace {

char plain[upload::reply_text_room];
char html[upload::reply_text_room];

void check_address(const char* value) {
  if (std::strlen(value) >= upload::reply_line_room) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plain[0] = html[0] = 0;
  int log_type = upload::log_none;
  const int action = upload::parse_reply(reinterpret_cast<const char*>(data), size, plain, html,
                                         size % 2 ? &log_type : nullptr, check_address);
  if (action < upload::action_continue || action > upload::action_abort) std::abort();
  if (log_type < upload::log_none || log_type > upload::log_full) std::abort();
  if (std::strlen(plain) >= upload::reply_text_room || std::strlen(html) >= upload::reply_text_room)
    std::abort();
  return 0;
}
