// SPDX-License-Identifier: GPL-3.0-or-later
// The three editions as the server names them in addresses and pages.
#pragma once

#include <string_view>

namespace server {

// "XS", "XL", "XXL"; "" outside 1..3.
const char* edition_name(int edition);
// "xs", "xl", "xxl"; "" outside 1..3.
const char* edition_slug(int edition);
// 1..3 for a slug, 0 for anything else.
int edition_from_slug(std::string_view slug);

}  // namespace server
