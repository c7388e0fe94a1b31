// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/editions.h"

namespace server {

namespace {
constexpr const char* names[4] = {"", "XS", "XL", "XXL"};
constexpr const char* slugs[4] = {"", "xs", "xl", "xxl"};
}  // namespace

const char* edition_name(int edition) { return edition >= 1 && edition <= 3 ? names[edition] : ""; }
const char* edition_slug(int edition) { return edition >= 1 && edition <= 3 ? slugs[edition] : ""; }

int edition_from_slug(std::string_view slug) {
  for (int e = 1; e <= 3; ++e)
    if (slug == slugs[e]) return e;
  return 0;
}

}  // namespace server
