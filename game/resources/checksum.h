// SPDX-License-Identifier: GPL-3.0-or-later
// The weighted byte checksum used over loaded pictures, the round set-up and the upload.
#pragma once

#include <cstdint>

namespace res {

// For each byte b (0..255): sum += weight * b; weight = ((weight + step) % 9) + 3, all in
// wrapping 32-bit signed arithmetic. A length of 0 or less returns sum unchanged.
std::int32_t weighted_sum(std::int32_t sum, const void* data, std::int32_t length,
                          std::int32_t weight, std::int32_t step);

}  // namespace res
