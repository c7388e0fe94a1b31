// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a result to the online highscore server: the send button's preparations, the modal
// upload dialog, the two requests of an exchange (authentication, then the upload of the md
// record and, as far as the server asks, the event text and the replay text), the encoding of
// that record, the server's replies and how they are shown.
#pragma once

#include <string>

#include <cstddef>
#include <cstdint>

#include "platform/upload_ui.h"

namespace upload {

// ---- what the send button prepares -----------------------------------------------------------

// The round's event record as "%02x" pairs, in a buffer with upload_hex_spare bytes to spare
// (the encoding grows it by 14); null outside a send.
extern char* upload_hex;
constexpr std::size_t upload_hex_spare = 101;
extern std::int32_t score_to_send;
extern int check_word_1;  // (shots + empty clicks) * 3 + 8876
extern int check_word_2;  // reloads * 5 + 40402

// Makes upload_hex from bytes (freeing the one before).
void make_upload_hex(const std::uint8_t* bytes, std::size_t length);
void free_upload_hex();

// ---- the dialog ------------------------------------------------------------------------------

enum ControlId : int {
  id_send = 1,
  id_back = 2,
  id_user = 1000,
  id_password = 1003,
  id_parameter = 1005,
  id_message = 1006,
  id_help_link = 1008,
  id_register_link = 1009,
  id_list_link = 1010,
  id_status = 1012,
};
constexpr int link_count = 3;
constexpr int link_ids[link_count] = {id_help_link, id_register_link, id_list_link};

// Fonts, hover flags and the saved copy live from here to the dialog's end. False when the
// dialog could not be shown at all (logged).
bool run_upload_dialog();
int upload_dialog_proc(plat::DialogMessage message, int id);
// The banner over the dialog.
void paint_banner(int width, int height, std::uint8_t* rgb);
// The address a link of the dialog opens in the edition's browser, cut to room - 1.
void link_address(int link_id, int edition, char* out, std::size_t room);
// A redirect path in the game's language: its "/de/" folder and the "DE" of its from= value
// become the language's code ("/grumbold/qzt/en/...Ver1.1EN-UF").
std::string language_path(const char* path);
// A reply's "url" value: opened when it is an http or https address (a trailing line end cut
// off), else logged and skipped.
void open_reply_address(const char* value);

// ---- "Senden" --------------------------------------------------------------------------------

constexpr int user_room = 16;       // 15 characters
constexpr int parameter_room = 64;  // 63 characters
void send_upload();

// ---- texts of the text table as 8-bit characters ------------------------------------------

constexpr std::size_t dialog_text_room = 2000;
enum DialogText : int {
  text_unreachable = 80,
  text_unreachable_html = 81,
  text_no_text = 82,
  text_no_html = 83,
  text_status = 84,
  text_user_label = 85,  // 85..93: the dialog's labels, buttons, links and title
  text_language_number = 98,
};
// Text index as 8-bit characters: each unit below 256 becomes its byte, and the text ends
// before the first unit of 256 or more (out holds dialog_text_room bytes, zeroed first).
void dialog_text(int index, char* out);
// The upload's language number: text 98 of the table (four hexadecimal digits), or German's
// when the table has none.
constexpr int german_language_number = 7;
int language_number();
// Text 84 with its "%d" replaced by the score ("%%" gives "%"; nothing else is a format).
void status_text(std::int32_t score, char* out, std::size_t room);

// ---- the exchange ----------------------------------------------------------------------------

enum LogType : int { log_none = 0, log_normal = 1, log_full = 2 };
enum ReplyAction : int { action_continue = 0, action_retry = 1, action_abort = 2 };

constexpr std::size_t request_room = 50000;  // a longer body (a long replay text) grows it
constexpr std::size_t reply_room = 50000;    // replies are read up to reply_room - 1 bytes
constexpr std::size_t reply_text_room = 16000;
constexpr std::size_t reply_line_room = 20000;
constexpr std::size_t escape_room = 500;

// The server's base address: GRUMBOLDX_SERVER when set, else the redirect server's.
const char* server_address();
bool connect_to_server();
// True when a reply was read (into reply_body).
bool authenticate(const char* user, const char* password, const char* parameter);
bool upload(const char* user, const char* password, int log_type);
// The last request ran out of time (the server did not answer in time).
bool last_request_timed_out();
// The last reply: reply_room bytes, zero after the bytes read; null before the first.
extern char* reply_body;

// ---- the md record and its encoding -----------------------------------------------------------

constexpr int md_block = 60;
constexpr int check_text_length = 296;
constexpr int md_length = md_block + check_text_length;  // 356
constexpr int md_hex_length = 2 * md_length;             // 712
// 60 blanks with the user name (at most 15 characters) at 6, the password (its first 12) at
// 22, the score at 34, "V1.1" at 40, the edition digit at 44; then the check text. md holds
// md_length + 1 bytes.
void build_md_record(const char* user, const char* password, std::int32_t score, int edition,
                     const char* check_text, char* md);
// Log type none: md_out = md XOR the window title, in hex. Normal and full: upload_hex is made
// again from the saved copy and encoded, and so is md (see payload_decode.h for the layout).
// md_out holds md_hex_length + 1 bytes.
void encode_upload_payload(char* md, char* md_out, int log_type);
// The dialog's copy of upload_hex that every encoding starts from (null outside the dialog).
extern char* saved_upload_hex;
void save_upload_hex();
void free_saved_upload_hex();

// ---- replies ---------------------------------------------------------------------------------

// Walks a reply body (to its first zero byte or length) line by line; a line ends at "\n" (a
// "\r" stays in it) and is cut to reply_line_room - 1 characters. Keys (before the first "=")
// are matched without regard to case: "Action" (values beginning with Continue, Retry, Abort),
// "text" and "html" (into plain and html, cut to reply_text_room - 1), "url" (the last one
// handed to open_address once the walk is done), and with log_type given "logtype" (none,
// normal, full). Later lines override earlier ones. Answers the action, Abort when no line names one; plain, html and
// *log_type keep what they held unless a line replaces them.
int parse_reply(const char* body, std::size_t length, char* plain, char* html, int* log_type,
                void (*open_address)(const char* value));
// On reply_body, with the defaults text 82, text 83 (and log type none) first.
int parse_authenticate_reply(char* plain, char* html, int& log_type);
int parse_upload_reply(char* plain, char* html);

// Shows a reply in the message area: as HTML while html is enabled, else as plain text.
void show_server_message(const char* plain, const char* html);
// The plain text last shown, for a view that fails later.
const char* last_plain_message();

}  // namespace upload
