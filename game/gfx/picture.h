// SPDX-License-Identifier: GPL-3.0-or-later
// Picture loading: BMP (1, 8 and 24 bit, uncompressed) and JPEG files of the data archive become
// blocks of 16-bit display pixels, or palette indices for 8-bit BMPs read as such. The colour
// rules: near-black is lifted to (8, 8, 8) so it stays visible, the magenta key becomes the
// transparent value 0, and 8-bit channels drop to 5 bits with a running remainder per row whose
// start values come from the dither generator. Every picture byte read also feeds the graphics
// fingerprint, a ring of 32 checksums that the highscore upload sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace gfx {

// A decoded picture, rows top to bottom without padding. indexed: one byte per pixel (palette
// indices, the adjusted palette is in picture_palette); otherwise 16-bit display pixels.
struct Picture {
  int width = 0;
  int height = 0;
  bool indexed = false;
  void* data = nullptr;  // from xmalloc

  std::uint16_t* pixels() const { return static_cast<std::uint16_t*>(data); }
  std::uint8_t* indices() const { return static_cast<std::uint8_t*>(data); }
};

// Adjusted red, green, blue of each index of the last 8-bit picture read with its indices.
extern std::uint8_t picture_palette[256][3];

// Pictures larger than this in either direction are treated as damaged files.
constexpr int max_picture_side = 16384;

// ---- colour rules --------------------------------------------------------------------------

struct Rgb {
  int r, g, b;
};
// Near-black (all channels below 8) becomes (8, 8, 8).
Rgb lift_near_black(Rgb c);
// The key colour tests of palette entries, 24-bit pixels and JPEG pixels.
inline bool is_palette_key(Rgb c) { return c.r >= 240 && c.b >= 240 && c.g < 8; }
inline bool is_bmp24_key(Rgb c) { return c.r >= 240 && c.b >= 240 && c.g == 0; }
inline bool is_jpeg_key(Rgb c) { return c.r > 239 && c.b > 239 && c.g < 16; }
// A palette entry after both rules: near-black lifted, the key turned into (0, 0, 0).
Rgb adjust_palette_entry(Rgb c);

// Reduces one 8-bit channel to 5 bits, carrying the dropped low bits in remainder.
inline int reduce_channel(int channel, int& remainder) {
  remainder += channel & 7;
  if (remainder > 7) {
    remainder -= 8;
    return channel >= 248 ? 31 : channel / 8 + 1;
  }
  return channel / 8;
}

// Converts one row of 8-bit red, green, blue triplets to display pixels with the near-black
// lift, the key test (key(c) → 0) and the dithered 5-bit reduction; the row's three start
// remainders are drawn from the dither generator first.
void convert_rgb_row(const std::uint8_t* rgb, int width, bool (*key)(Rgb), std::uint16_t* out);

// ---- dither generator and fingerprint -------------------------------------------------------

// Next state of the generator: (s & 1) * 371945 - (s >> 1) * 94325, modulo 2^32; 12345 at start.
std::uint32_t dither_random();
std::uint32_t dither_state();
void set_dither_state(std::uint32_t state);

// One fingerprint step: the chunk's weighted sum is XORed into the ring at the write position.
void fingerprint_add(const void* data, int length);
// While paused, fingerprint_add does nothing (a language's copy of a picture is read after the
// German picture itself has been summed).
void set_fingerprint_paused(bool paused);
// The checksum fingerprint_add sums each chunk with: weighted_sum, unless a test or tool puts
// another implementation of the same rule in its place to compare them on real pictures (null
// puts weighted_sum back).
using FingerprintChecksum = std::int32_t (*)(std::int32_t sum, const void* data,
                                             std::int32_t length, std::int32_t weight,
                                             std::int32_t step);
void set_fingerprint_checksum(FingerprintChecksum checksum);
// The ring as 256 lower-case hexadecimal digits, word 0 first (buffer of at least 257 bytes).
void fingerprint_text(char* out);
// The text written at the end of the catalogue load ("" before), sent with the upload.
const char* graphics_fingerprint();
void write_graphics_fingerprint();
// Clears the ring and its text (tests and tools only; the game never resets it).
void reset_fingerprint();

// ---- decoders ---------------------------------------------------------------------------------

enum class BmpResult {
  ok,
  unsupported,  // compressed, or a bit count other than 1, 8 or 24
  damaged,      // truncated, or its header lies about sizes
};
// Decodes a whole BMP file image. keep_indices: an 8-bit picture keeps its indices (and fills
// picture_palette). Never reads outside data[0 .. size). On failure out is left empty.
BmpResult decode_bmp(const std::uint8_t* data, std::size_t size, bool keep_indices,
                     Picture& out);
// Decodes a JPEG from a stream (the archive's): RGB, one scan line at a time. Logs "error while
// decoding\n" and returns false on a decoder error.
bool decode_jpeg(std::FILE* stream, Picture& out);
// Where the mask is 0 the picture becomes 0; a mask of another size is logged and applied only
// where both pictures overlap.
void apply_mask(Picture& picture, const Picture& mask);

// The language pictures are shown in: "" (German) or a code such as "en". A picture that the
// language has a copy of ("data\<code>\<rest>" beside "data\<rest>") is shown from that copy,
// while the German picture is still read for the fingerprint and the dither generator: both come
// out as in German, and so does every picture loaded after it.
void set_picture_language(const char* code);

// Loads "<base>.bmp", or "<base>.jpg" with its optional "<base>mask.bmp". want_indices: an 8-bit
// BMP keeps its indices (picture.indexed tells). A missing picture or a bad BMP is logged and
// ends the process (exit code 1); a JPEG that cannot be read returns false.
bool load_picture(const char* base, Picture& out, bool want_indices);
void free_picture(Picture& picture);

}  // namespace gfx
