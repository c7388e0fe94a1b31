// SPDX-License-Identifier: GPL-3.0-or-later
// The charts of a listed game's page, drawn by the server as inline SVG (no script): the score
// over the round's time with the multi-hit bonuses, the megagun and the switch into the yard
// marked, and what was hit (chickens by their size, the scenery targets by kind).
#pragma once

#include <string>
#include <string_view>

#include "server/languages.h"
#include "server/timeline.h"

namespace server {

// The German name of a scenery target's event code (below 100), null for a code no target
// records.
const char* target_name(int code);

std::string score_chart(const Timeline& t, const Language& l);
std::string hits_chart(const Timeline& t, const Language& l);

}  // namespace server
