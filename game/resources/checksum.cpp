// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/checksum.h"

#include <cstddef>
#include <numeric>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace res {

namespace {

// The weight that follows `weight`: ((weight + step) mod 9) + 3, wrapping like a 32-bit integer.
inline std::int32_t next_weight(std::int32_t weight, std::int32_t step) {
  const auto next = static_cast<std::int32_t>(static_cast<std::uint32_t>(weight) +
                                              static_cast<std::uint32_t>(step));
  return next % 9 + 3;
}

// The rule byte by byte; leaves the weight for the byte after the run. Unsigned arithmetic gives
// the 32-bit wrap without signed overflow.
std::uint32_t sum_bytes(std::uint32_t s, const unsigned char* bytes, std::size_t count,
                        std::int32_t& weight, std::int32_t step) {
  for (std::size_t i = 0; i < count; ++i) {
    s += static_cast<std::uint32_t>(weight) * bytes[i];
    weight = next_weight(weight, step);
  }
  return s;
}

// After one byte the weight is a remainder of 9 plus 3, one of the 17 values -5..11, so the
// weights run into a cycle of at most 17 within the next 17 bytes. Long runs are summed in
// blocks whose length is a multiple of both the cycle and the vector width, against a table of
// the block's weights, which takes the division out of the loop and lets eight bytes be
// multiplied and added at once.
constexpr int weight_values = 17;
constexpr int lowest_weight = -5;
constexpr int block_lanes = 16;
// Below this many bytes building the block table costs more than it saves.
constexpr std::size_t shortest_blocked_run = 64;

struct WeightCycle {
  int lead = 0;    // bytes before the weights start repeating
  int period = 0;  // length of the cycle after them
  std::int32_t weights[weight_values * 2] = {};  // lead weights, then one cycle
};

// weight must already be one of the 17 values.
WeightCycle find_cycle(std::int32_t weight, std::int32_t step) {
  WeightCycle c;
  int seen_at[weight_values];
  for (int& at : seen_at) at = -1;
  int n = 0;
  while (seen_at[weight - lowest_weight] < 0) {
    seen_at[weight - lowest_weight] = n;
    c.weights[n++] = weight;
    weight = next_weight(weight, step);
  }
  c.lead = seen_at[weight - lowest_weight];
  c.period = n - c.lead;
  return c;
}

int block_length(int period) { return std::lcm(period, block_lanes); }  // at most 17 * 16

// Sums whole blocks of `length` bytes (a multiple of 16) whose weights are `block`.
std::uint32_t sum_blocks(std::uint32_t s, const unsigned char* bytes, std::size_t blocks,
                         const std::int16_t* block, int length) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  __m128i low_sums = zero, high_sums = zero;
  for (std::size_t k = 0; k < blocks; ++k, bytes += length) {
    for (int i = 0; i < length; i += block_lanes) {
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
      const __m128i w_low = _mm_load_si128(reinterpret_cast<const __m128i*>(block + i));
      const __m128i w_high = _mm_load_si128(reinterpret_cast<const __m128i*>(block + i + 8));
      // Bytes widen to 16 bits; pairs of 16-bit products add into 32-bit lanes, which wrap
      // like the sum itself.
      low_sums = _mm_add_epi32(low_sums, _mm_madd_epi16(_mm_unpacklo_epi8(b, zero), w_low));
      high_sums = _mm_add_epi32(high_sums, _mm_madd_epi16(_mm_unpackhi_epi8(b, zero), w_high));
    }
  }
  alignas(16) std::uint32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_add_epi32(low_sums, high_sums));
  return s + lanes[0] + lanes[1] + lanes[2] + lanes[3];
#else
  std::uint32_t parts[4] = {s, 0, 0, 0};
  for (std::size_t k = 0; k < blocks; ++k, bytes += length)
    for (int i = 0; i < length; i += 4)
      for (int j = 0; j < 4; ++j)
        parts[j] += static_cast<std::uint32_t>(block[i + j]) * bytes[i + j];
  return parts[0] + parts[1] + parts[2] + parts[3];
#endif
}

}  // namespace

std::int32_t weighted_sum(std::int32_t sum, const void* data, std::int32_t length,
                          std::int32_t weight, std::int32_t step) {
  if (length <= 0) return sum;
  const auto* bytes = static_cast<const unsigned char*>(data);
  auto count = static_cast<std::size_t>(length);
  auto s = static_cast<std::uint32_t>(sum);
  if (count < shortest_blocked_run)
    return static_cast<std::int32_t>(sum_bytes(s, bytes, count, weight, step));

  // The first byte takes the weight as given; from then on it is one of the 17 values.
  s = sum_bytes(s, bytes, 1, weight, step);
  ++bytes;
  --count;
  const WeightCycle cycle = find_cycle(weight, step);
  s = sum_bytes(s, bytes, static_cast<std::size_t>(cycle.lead), weight, step);
  bytes += cycle.lead;
  count -= static_cast<std::size_t>(cycle.lead);

  const std::int32_t* repeating = cycle.weights + cycle.lead;
  const int length_of_block = block_length(cycle.period);
  alignas(16) std::int16_t block[weight_values * block_lanes];
  for (int i = 0, k = 0; i < length_of_block; ++i) {
    block[i] = static_cast<std::int16_t>(repeating[k]);
    if (++k == cycle.period) k = 0;
  }
  const std::size_t blocks = count / static_cast<std::size_t>(length_of_block);
  s = sum_blocks(s, bytes, blocks, block, length_of_block);
  bytes += blocks * static_cast<std::size_t>(length_of_block);
  count -= blocks * static_cast<std::size_t>(length_of_block);

  // The rest starts at the beginning of the cycle again.
  for (std::size_t i = 0; i < count; ++i) s += static_cast<std::uint32_t>(block[i]) * bytes[i];
  return static_cast<std::int32_t>(s);
}

}  // namespace res
