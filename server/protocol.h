// SPDX-License-Identifier: GPL-3.0-or-later
// The two requests the game posts to "qzt/uploadhandler.php", read from their form fields with
// the limits the game itself keeps (a name and a password of at most 15 characters, a
// parameter of at most 63, an md value of exactly 712 hexadecimal digits, an event text and a
// replay text no longer than the game's largest logs make them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace server {

inline constexpr std::size_t max_user_name = 15;
inline constexpr std::size_t max_password_field = 15;
inline constexpr std::size_t max_parameter = 63;
inline constexpr std::size_t md_record_size = 356;
inline constexpr std::size_t md_hex_digits = 2 * md_record_size;
// The event text: 2 digits for each of the 32 header bytes and 20000 entries of 4 bytes, the
// three inserted bytes and the 8-digit final checksum.
inline constexpr std::size_t max_event_text = 2 * (32 + 4 * 20000) + 6 + 8;
// The replay text: the 8 masked start-time bytes and at most a whole frame log of 640020 bytes
// with the 1000 bytes of room the game's compression buffer has.
inline constexpr std::size_t max_replay_text = 2 * (8 + 640020 + 1000);
// The largest body the server reads: an upload with both texts at their longest and its field
// names, rounded up.
inline constexpr std::size_t max_request_body = 1536 * 1024;

enum class LogType { none, normal, full };
const char* log_type_word(LogType t);

struct AuthenticateRequest {
  std::string user;       // as typed (escapes undone)
  std::string password;
  std::string version;
  int edition = 0;        // 1 XS, 2 XL, 3 XXL
  std::int32_t score = 0;
  std::int64_t check_word_1 = 0, check_word_2 = 0;
  std::string parameter;
  int language = 0x0007;  // the lang field's number (German when the field is missing)
};

struct UploadRequest {
  std::string md;       // 712 hexadecimal digits
  std::string el;       // the event text (empty for log type none)
  std::string replay;   // the replay text (empty unless log type full)
  LogType log_type = LogType::none;
  int language = 0;     // a lang field's number, 0 without one (the game sends none)
};

struct Request {
  enum class Type { authenticate, upload } type = Type::authenticate;
  AuthenticateRequest authenticate;
  UploadRequest upload;
};

// Reads a body as one of the two requests. False, with a reason fit for the server's log (never
// holding a password), for anything else: an unknown or missing type, a missing or over-long
// field, a number that is not one, fields that do not belong to the type's log type.
bool parse_request(std::string_view body, Request& out, std::string& error);

bool is_hex(std::string_view s);

}  // namespace server
