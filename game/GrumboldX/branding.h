// SPDX-License-Identifier: GPL-3.0-or-later
// The start branding of edition XS (state 8): a full-screen picture shown for 3 seconds before
// the round starts.
#pragma once

#include <cstdint>

namespace front {

constexpr std::int32_t branding_time = 196608;  // 3.0 s
extern std::int32_t branding_clock;             // time left, 16.16 seconds

// The start button in edition XS: the branding clock starts and state 8 slides in.
void start_branding();
// One frame: the picture and the cursor; once the clock has run out, the round starts.
void run_start_branding();

}  // namespace front
