// SPDX-License-Identifier: GPL-3.0-or-later
// The server's web pages: the start page, help, the registration form and the highscore lists
// per edition. Plain HTML with one style sheet, readable in a browser and in the game's small
// HTML view; every text from outside is escaped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/store.h"

namespace server {

std::string style_sheet();
std::string index_page(const std::vector<int>& editions);
std::string help_page(int edition);
// The form, with an error message above it (empty: none) and the name typed before.
std::string register_page(int edition, const std::string& error, const std::string& name);
std::string registered_page(int edition, const std::string& name);
// page counts from 1; total is the number of listed results.
std::string list_page(int edition, const std::vector<ListEntry>& entries, std::int64_t page, std::int64_t total,
                      std::int64_t page_size);
std::string not_found_page();
std::string error_page(const std::string& heading, const std::string& text);

// "12.03.2024" (UTC) for seconds since 1970.
std::string date_text(std::int64_t seconds);

}  // namespace server
