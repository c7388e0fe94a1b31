// SPDX-License-Identifier: GPL-3.0-or-later
// What the server tells the game: every reply's action, its plain text for the game's message
// line and its HTML for the dialog's small message area, written in the language the game asked
// in. Links carry that language (languages.h, with_language), so the page they open speaks it.
#pragma once

#include <cstdint>
#include <string>

#include "server/languages.h"
#include "server/reply.h"

namespace server {

// The words of a refusal's reason code (judge.h), as they follow "... wurde nicht angenommen: ".
std::string reason_text(const Language& l, const std::string& code);

Reply malformed_request_reply(const Language& l);
// A request body the server could not read (too long, too slow).
Reply unreadable_request_reply(const Language& l);
Reply too_many_requests_reply(const Language& l);
Reply server_busy_reply(const Language& l);
Reply unsupported_version_reply(const Language& l);
Reply unsupported_edition_reply(const Language& l, int edition);
Reply unknown_user_reply(const Language& l, const std::string& user, const std::string& register_url);
Reply wrong_password_reply(const Language& l, const std::string& name);
// An account held back after too many wrong passwords.
Reply too_many_tries_reply(const Language& l);
// Continue: the upload may follow (the caller sets its log type).
Reply authenticated_reply(const Language& l, const std::string& name, std::int32_t score);

Reply no_recording_reply(const Language& l);
Reply damaged_data_reply(const Language& l);
Reply login_failed_reply(const Language& l);
Reply refused_reply(const Language& l, std::int32_t score, const std::string& reason_code);
Reply cannot_check_reply(const Language& l);
// Retry: the upload found no authentication to use.
enum class SendAgain { expired, none_open, used_meanwhile };
Reply send_again_reply(const Language& l, SendAgain why);
// The player's own game sent again, listed already.
Reply listed_already_reply(const Language& l, int edition, const std::string& list_url);
// Verified and listed at rank of listed; listed_score below score where a bonus was not confirmed.
Reply verified_reply(const Language& l, std::int32_t score, std::int32_t listed_score, std::int64_t rank,
                     std::int64_t listed, int edition, const std::string& list_url);

}  // namespace server
