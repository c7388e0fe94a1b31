// SPDX-License-Identifier: GPL-3.0-or-later
// Picture loading from the archive: JPEG through libjpeg, masks, and the choice of file.
#include "game/gfx/picture.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "game/resources/archive.h"
#include "game/resources/fatal.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"

namespace gfx {

// ---- JPEG --------------------------------------------------------------------------------------

namespace {

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void jpeg_error_exit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}
void jpeg_quiet(j_common_ptr) {}
// A warning about the data (a file that ends early, a damaged segment) means a damaged picture:
// libjpeg would go on and make up the missing rows.
void jpeg_warning_is_error(j_common_ptr info, int level) {
  if (level < 0) jpeg_error_exit(info);
}

}  // namespace

bool decode_jpeg(std::FILE* stream, Picture& out) {
  out = Picture{};
  jpeg_decompress_struct info;
  JpegError error;
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpeg_error_exit;
  error.manager.output_message = jpeg_quiet;
  error.manager.emit_message = jpeg_warning_is_error;
  std::uint16_t* volatile pixels = nullptr;
  std::uint8_t* volatile line = nullptr;
  if (setjmp(error.jump)) {
    res::debug_log("error while decoding\n");
    jpeg_destroy_decompress(&info);
    if (pixels) XFREE(pixels);
    if (line) XFREE(line);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, stream);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  if (info.output_components != 3 || width <= 0 || height <= 0 || width > max_picture_side ||
      height > max_picture_side)
    error.manager.error_exit(reinterpret_cast<j_common_ptr>(&info));
  pixels = static_cast<std::uint16_t*>(XMALLOC(static_cast<std::size_t>(width) * height * 2));
  line = static_cast<std::uint8_t*>(XMALLOC(static_cast<std::size_t>(width) * 3));
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    JSAMPROW row = line;
    if (jpeg_read_scanlines(&info, &row, 1) != 1)
      error.manager.error_exit(reinterpret_cast<j_common_ptr>(&info));
    fingerprint_add(line, width * 3);
    convert_rgb_row(line, width, is_jpeg_key, pixels + static_cast<std::size_t>(y) * width);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  XFREE(line);
  out.width = width;
  out.height = height;
  out.data = pixels;
  return true;
}

// ---- masks and loading -------------------------------------------------------------------------

void apply_mask(Picture& picture, const Picture& mask) {
  if (picture.width != mask.width || picture.height != mask.height)
    res::debug_log("Mask size different from original picture: %d %d, %d %d\n", picture.width,
                   picture.height, mask.width, mask.height);
  if (picture.indexed || mask.indexed || !picture.data || !mask.data) return;
  const int w = picture.width < mask.width ? picture.width : mask.width;
  const int h = picture.height < mask.height ? picture.height : mask.height;
  for (int y = 0; y < h; ++y) {
    std::uint16_t* p = picture.pixels() + static_cast<std::size_t>(y) * picture.width;
    const std::uint16_t* m = mask.pixels() + static_cast<std::size_t>(y) * mask.width;
    for (int x = 0; x < w; ++x)
      if (m[x] == 0) p[x] = 0;
  }
}

namespace {

// Reads a stored BMP whole and decodes it; any failure ends the process.
void load_bmp_file(const char* name, Picture& out, bool keep_indices) {
  const int length = res::xflen(name);
  std::FILE* stream = length > 0 ? res::xfopen(name, "rb") : nullptr;
  if (!stream) {
    res::debug_log("***ERROR*** could not open %s!\n", name);
    res::fatal_exit(1);
  }
  auto* bytes = static_cast<std::uint8_t*>(XMALLOC(static_cast<std::size_t>(length)));
  const std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(length), stream);
  res::xfclose(stream);
  const BmpResult result = decode_bmp(bytes, got, keep_indices, out);
  XFREE(bytes);
  if (result == BmpResult::unsupported) {
    res::debug_log("***ERROR*** Bitmap has to be 8 Bit or 24 Bit uncompressed\n");
    res::fatal_exit(1);
  }
  if (result == BmpResult::damaged) {
    res::debug_log("***ERROR*** Bitmap %s is damaged (truncated or wrong sizes)\n", name);
    res::fatal_exit(1);
  }
}

char picture_language[8] = "";

bool load_picture_file(const char* base, Picture& out, bool want_indices);

}  // namespace

void set_picture_language(const char* code) {
  const bool german = code == nullptr || std::strcmp(code, "de") == 0 || std::strlen(code) >= sizeof picture_language;
  std::snprintf(picture_language, sizeof picture_language, "%s", german ? "" : code);
}

bool load_picture(const char* base, Picture& out, bool want_indices) {
  char copy[256];
  const bool has_copy = picture_language[0] && std::strncmp(base, "data\\", 5) == 0 &&
                        std::snprintf(copy, sizeof copy, "data\\%s\\%s", picture_language, base + 5) < 256 &&
                        (res::xfexist(copy, ".bmp") || res::xfexist(copy, ".jpg"));
  if (!has_copy) return load_picture_file(base, out, want_indices);
  const std::uint32_t before = dither_state();
  Picture german;
  const bool german_ok = load_picture_file(base, german, want_indices);
  free_picture(german);
  const std::uint32_t after = dither_state();
  set_dither_state(before);
  set_fingerprint_paused(true);
  const bool ok = load_picture_file(copy, out, want_indices);
  set_fingerprint_paused(false);
  set_dither_state(after);
  if (!german_ok && ok) free_picture(out);
  return german_ok && ok;
}

namespace {

bool load_picture_file(const char* base, Picture& out, bool want_indices) {
  out = Picture{};
  char name[256];
  if (res::xfexist(base, ".bmp")) {
    std::snprintf(name, sizeof name, "%s.bmp", base);
    load_bmp_file(name, out, want_indices);
    return true;
  }
  if (res::xfexist(base, ".jpg")) {
    std::snprintf(name, sizeof name, "%s.jpg", base);
    std::FILE* stream = res::xfopen(name, "rb");
    if (!stream) {
      res::debug_log("can't open %s\n", name);
      return false;
    }
    const bool ok = decode_jpeg(stream, out);
    res::xfclose(stream);
    if (!ok) return false;
    char mask_base[256];
    std::snprintf(mask_base, sizeof mask_base, "%smask", base);
    if (res::xfexist(mask_base, ".bmp")) {
      std::snprintf(name, sizeof name, "%smask.bmp", base);
      Picture mask;
      load_bmp_file(name, mask, false);
      apply_mask(out, mask);
      free_picture(mask);
    }
    return true;
  }
  res::debug_log("file %s not found\n", base);
  res::fatal_exit(1);
}

}  // namespace

}  // namespace gfx
