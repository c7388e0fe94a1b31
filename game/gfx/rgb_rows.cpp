// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/gfx/rgb_rows.h"

#include "game/gfx/surfaces.h"

#if defined(__x86_64__) || defined(__i386__)
#include <tmmintrin.h>
#define GRUMBOLDX_ROWS_SSSE3 1
#endif

namespace gfx {

namespace {

struct Remainders {
  unsigned r, g, b;  // each 0..7
};

// Pixel by pixel, continuing the remainders. Written without branches on the pixel values: a
// key pixel still goes through the reduction, but with its remainders' increments masked out,
// so it leaves them as if it had been skipped, and its result is masked to 0.
template <ChannelOrder order, class Key>
void convert_pixels(const std::uint8_t* px, int width, Key key, std::uint16_t* out,
                    Remainders& rem) {
  constexpr bool blue_first = order == ChannelOrder::blue_first;
  const unsigned rs = static_cast<unsigned>(red_shift);
  const unsigned gs = static_cast<unsigned>(green_shift);
  const unsigned bs = static_cast<unsigned>(blue_shift);
  // reduce_channel with the remainder kept in 0..7: the carry is bit 3 of the sum, and a carry
  // on top of 248 or more gives 32, which the last step turns into 31.
  auto reduce = [](unsigned channel, unsigned& remainder, unsigned keep) {
    remainder += channel & 7 & keep;
    const unsigned v = (channel >> 3) + (remainder >> 3);
    remainder &= 7;
    return v - (v >> 5);
  };
  for (int x = 0; x < width; ++x, px += 3) {
    unsigned r = blue_first ? px[2] : px[0];
    unsigned g = px[1];
    unsigned b = blue_first ? px[0] : px[2];
    if ((r | g | b) < 8) r = g = b = 8;  // lift_near_black
    const bool is_key = key(Rgb{static_cast<int>(r), static_cast<int>(g), static_cast<int>(b)});
    const unsigned keep = is_key ? 0u : ~0u;
    const unsigned r5 = reduce(r, rem.r, keep);
    const unsigned g5 = reduce(g, rem.g, keep);
    const unsigned b5 = reduce(b, rem.b, keep);
    out[x] = static_cast<std::uint16_t>(((r5 << rs) | (g5 << gs) | (b5 << bs)) & keep);
  }
}

enum class KeyRule { jpeg, bmp24 };

template <KeyRule rule>
bool key_of(Rgb c) {
  return rule == KeyRule::jpeg ? is_jpeg_key(c) : is_bmp24_key(c);
}

#if GRUMBOLDX_ROWS_SSSE3

// Byte shuffles that gather channel k of sixteen pixels (48 bytes in three registers) into one
// register: [channel][source register][lane], -128 where the lane comes from another register.
struct Gather {
  alignas(16) std::int8_t lanes[3][3][16];
};
constexpr Gather make_gather() {
  Gather g{};
  for (int k = 0; k < 3; ++k)
    for (int part = 0; part < 3; ++part)
      for (int i = 0; i < 16; ++i) {
        const int at = 3 * i + k - 16 * part;
        g.lanes[k][part][i] = static_cast<std::int8_t>(at >= 0 && at < 16 ? at : -128);
      }
  return g;
}
constexpr Gather gather = make_gather();

__attribute__((target("ssse3"))) inline __m128i channel_of(int k, __m128i a, __m128i b,
                                                           __m128i c) {
  const auto* m = reinterpret_cast<const __m128i*>(gather.lanes[k]);
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, _mm_load_si128(m)),
                                   _mm_shuffle_epi8(b, _mm_load_si128(m + 1))),
                      _mm_shuffle_epi8(c, _mm_load_si128(m + 2)));
}

// The reduction of one channel of sixteen pixels. The running remainder over the row is a
// prefix sum: with the sums T of the remainder before the group plus the low bits so far
// (at most 7 + 16 * 7, so bytes hold them), a pixel carries exactly when T / 8 grows at it, and
// the remainder after the group is T of the last pixel mod 8. rem holds that remainder in every
// lane.
__attribute__((target("ssse3"))) inline __m128i reduce16(__m128i channel, __m128i keep,
                                                         __m128i& rem) {
  const __m128i low_bits = _mm_set1_epi8(7);
  const __m128i five_bits = _mm_set1_epi8(31);
  __m128i t = _mm_and_si128(_mm_and_si128(channel, low_bits), keep);
  t = _mm_add_epi8(t, _mm_slli_si128(t, 1));
  t = _mm_add_epi8(t, _mm_slli_si128(t, 2));
  t = _mm_add_epi8(t, _mm_slli_si128(t, 4));
  t = _mm_add_epi8(t, _mm_slli_si128(t, 8));
  t = _mm_add_epi8(t, rem);
  // Bytes shifted right by 3 through 16-bit lanes: the mask drops what the upper byte shifted in.
  const __m128i eighths = _mm_and_si128(_mm_srli_epi16(t, 3), five_bits);
  const __m128i carry = _mm_sub_epi8(eighths, _mm_slli_si128(eighths, 1));
  rem = _mm_and_si128(_mm_shuffle_epi8(t, _mm_set1_epi8(15)), low_bits);
  const __m128i high = _mm_and_si128(_mm_srli_epi16(channel, 3), five_bits);
  return _mm_min_epu8(_mm_add_epi8(high, carry), five_bits);  // 32 (248 and up, carried) → 31
}

// Whole groups of sixteen pixels; returns how many pixels it converted.
template <ChannelOrder order, KeyRule rule>
__attribute__((target("ssse3"))) int convert_groups(const std::uint8_t* px, int width,
                                                    std::uint16_t* out, Remainders& rem) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i ones = _mm_set1_epi8(-1);
  const __m128i top_five = _mm_set1_epi8(static_cast<char>(0xF8));
  const __m128i eight = _mm_set1_epi8(8);
  const __m128i key_floor = _mm_set1_epi8(static_cast<char>(240));
  const __m128i rs = _mm_cvtsi32_si128(red_shift);
  const __m128i gs = _mm_cvtsi32_si128(green_shift);
  const __m128i bs = _mm_cvtsi32_si128(blue_shift);
  __m128i rem_r = _mm_set1_epi8(static_cast<char>(rem.r));
  __m128i rem_g = _mm_set1_epi8(static_cast<char>(rem.g));
  __m128i rem_b = _mm_set1_epi8(static_cast<char>(rem.b));
  const int groups = width / 16;
  for (int n = 0; n < groups; ++n, px += 48, out += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(px + 32));
    constexpr bool blue_first = order == ChannelOrder::blue_first;
    __m128i red = channel_of(blue_first ? 2 : 0, a, b, c);
    __m128i green = channel_of(1, a, b, c);
    __m128i blue = channel_of(blue_first ? 0 : 2, a, b, c);
    // Near-black (all channels below 8) becomes (8, 8, 8).
    const __m128i dark = _mm_cmpeq_epi8(
        _mm_and_si128(_mm_or_si128(_mm_or_si128(red, green), blue), top_five), zero);
    red = _mm_or_si128(_mm_andnot_si128(dark, red), _mm_and_si128(dark, eight));
    green = _mm_or_si128(_mm_andnot_si128(dark, green), _mm_and_si128(dark, eight));
    blue = _mm_or_si128(_mm_andnot_si128(dark, blue), _mm_and_si128(dark, eight));
    // The key: red and blue 240 or more, green below 16 (JPEG) or exactly 0 (BMP).
    const __m128i red_high = _mm_cmpeq_epi8(_mm_max_epu8(red, key_floor), red);
    const __m128i blue_high = _mm_cmpeq_epi8(_mm_max_epu8(blue, key_floor), blue);
    const __m128i green_low =
        rule == KeyRule::jpeg
            ? _mm_cmpeq_epi8(_mm_and_si128(green, _mm_set1_epi8(static_cast<char>(0xF0))), zero)
            : _mm_cmpeq_epi8(green, zero);
    const __m128i keep =
        _mm_xor_si128(_mm_and_si128(_mm_and_si128(red_high, blue_high), green_low), ones);
    const __m128i r5 = reduce16(red, keep, rem_r);
    const __m128i g5 = reduce16(green, keep, rem_g);
    const __m128i b5 = reduce16(blue, keep, rem_b);
    for (int half = 0; half < 2; ++half) {
      const __m128i r16 = half ? _mm_unpackhi_epi8(r5, zero) : _mm_unpacklo_epi8(r5, zero);
      const __m128i g16 = half ? _mm_unpackhi_epi8(g5, zero) : _mm_unpacklo_epi8(g5, zero);
      const __m128i b16 = half ? _mm_unpackhi_epi8(b5, zero) : _mm_unpacklo_epi8(b5, zero);
      const __m128i keep16 =
          half ? _mm_unpackhi_epi8(keep, keep) : _mm_unpacklo_epi8(keep, keep);
      const __m128i pixels = _mm_or_si128(
          _mm_or_si128(_mm_sll_epi16(r16, rs), _mm_sll_epi16(g16, gs)), _mm_sll_epi16(b16, bs));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * half),
                       _mm_and_si128(pixels, keep16));
    }
  }
  rem.r = static_cast<unsigned>(_mm_cvtsi128_si32(rem_r)) & 7;
  rem.g = static_cast<unsigned>(_mm_cvtsi128_si32(rem_g)) & 7;
  rem.b = static_cast<unsigned>(_mm_cvtsi128_si32(rem_b)) & 7;
  return groups * 16;
}

bool has_ssse3() {
  static const bool present = __builtin_cpu_supports("ssse3");
  return present;
}

#endif

template <ChannelOrder order, KeyRule rule>
void convert_known_key(const std::uint8_t* px, int width, std::uint16_t* out, Remainders& rem) {
  int done = 0;
#if GRUMBOLDX_ROWS_SSSE3
  if (has_ssse3()) done = convert_groups<order, rule>(px, width, out, rem);
#endif
  convert_pixels<order>(px + 3 * done, width - done, [](Rgb c) { return key_of<rule>(c); },
                        out + done, rem);
}

template <ChannelOrder order>
void convert_in_order(const std::uint8_t* px, int width, bool (*key)(Rgb), std::uint16_t* out,
                      Remainders& rem) {
  if (key == is_jpeg_key)
    convert_known_key<order, KeyRule::jpeg>(px, width, out, rem);
  else if (key == is_bmp24_key)
    convert_known_key<order, KeyRule::bmp24>(px, width, out, rem);
  else
    convert_pixels<order>(px, width, key, out, rem);
}

}  // namespace

void convert_row(const std::uint8_t* px, int width, ChannelOrder order, bool (*key)(Rgb),
                 std::uint16_t* out) {
  Remainders rem;
  rem.r = dither_random() & 7;
  rem.g = dither_random() & 7;
  rem.b = dither_random() & 7;
  if (width <= 0) return;
  if (order == ChannelOrder::red_first)
    convert_in_order<ChannelOrder::red_first>(px, width, key, out, rem);
  else
    convert_in_order<ChannelOrder::blue_first>(px, width, key, out, rem);
}

}  // namespace gfx
