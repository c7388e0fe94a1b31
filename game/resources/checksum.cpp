#include "game/resources/checksum.h"

std::int32_t weighted_sum(std::int32_t sum, const void* data, std::int32_t length,
                          std::int32_t weight, std::int32_t step) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  // Unsigned arithmetic gives the 32-bit wrap without signed overflow.
  auto s = static_cast<std::uint32_t>(sum);
  for (std::int32_t i = 0; i < length; ++i) {
    s += static_cast<std::uint32_t>(weight) * bytes[i];
    const auto next = static_cast<std::int32_t>(static_cast<std::uint32_t>(weight) +
                                                static_cast<std::uint32_t>(step));
    weight = next % 9 + 3;
  }
  return static_cast<std::int32_t>(s);
}
