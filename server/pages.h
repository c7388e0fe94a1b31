// SPDX-License-Identifier: GPL-3.0-or-later
// The server's web pages: the start page, help, the registration form, the highscore lists per
// edition and a page for every listed game. Plain HTML with one style sheet, readable in a browser and in the game's small
// HTML view; every text from outside is escaped. Each page speaks its language and has a switch
// to the others in its header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/languages.h"
#include "server/store.h"
#include "server/timeline.h"

namespace server {

// Where a page is shown: the language it speaks, and its own address, which the language switch
// in its header links to with another language.
struct PageContext {
  const Language* language = &german();
  std::string path = "/";
  std::string query;  // the query without lang, as it goes into a link ("page=2"); "" for none
};

// What was wrong with a registration (none: the empty form).
enum class FormError { none, name, password, mismatch, name_taken };
// The pages that say why a request is not answered.
enum class Trouble { too_many_requests, foreign_form, fields_in_address, busy, list_unreadable };

std::string style_sheet();
std::string index_page(const PageContext& c, const std::vector<int>& editions);
std::string help_page(const PageContext& c, int edition);
// The form, with what was wrong above it and the name typed before.
std::string register_page(const PageContext& c, int edition, FormError error, const std::string& name);
std::string registered_page(const PageContext& c, int edition, const std::string& name);
// page counts from 1; total is the number of listed results.
std::string list_page(const PageContext& c, int edition, const std::vector<ListEntry>& entries, std::int64_t page,
                      std::int64_t total, std::int64_t page_size);
std::string not_found_page(const PageContext& c);
// The browser edition's address on a server that has not got its pages.
std::string web_missing_page(const PageContext& c, int edition);
// A listed game's page: its facts, its video (or why there is none yet) and its charts (timeline
// null: none kept for it).
enum class VideoShown {
  ready,      // the video element
  preparing,  // being rendered, or waiting to be; the page reloads itself meanwhile
  failed,     // it could not be made
  none        // the game was listed before videos were made
};
std::string game_page(const PageContext& c, const ListedGame& g, const Timeline* timeline, VideoShown video);
// A game's page and its video.
std::string game_path(std::int64_t id);
std::string video_path(std::int64_t id);
std::string trouble_page(const PageContext& c, Trouble trouble);

// The day (UTC) of seconds since 1970 as the language writes it: "12.03.2024", "2024-03-12".
std::string date_text(std::int64_t seconds, const Language& language = german());

}  // namespace server
