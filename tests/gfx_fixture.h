// Helpers of the graphics and text tests: a headless display, BMP file images made in memory,
// and a scratch folder for loose data files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/gfx/surfaces.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "platform/platform.h"

namespace gfxtest {

// Opens the headless display once per test program (565 pixels) and points the log at a
// scratch file.
inline void open_display() {
  static bool open = false;
  if (open) return;
  open = true;
  setenv("GRUMBOLDX_HEADLESS", "1", 1);
  plat::init();
  plat::display_create();
  plat::display_set_cooperative_level();
  plat::display_query_interface();
  plat::display_set_mode(800, 600, 16);
  plat::display_create_primary(&gfx::primary);
  plat::display_get_back_buffer(gfx::primary, &gfx::back_buffer);
  gfx::detect_pixel_format();
}

// A log file of its own per test program, read back by the tests.
// Death tests run the program again: the path is handed down through the environment.
inline std::string log_path() {
  static const std::string path = [] {
    if (const char* inherited = std::getenv("GFXTEST_LOG")) return std::string(inherited);
    const std::string made = (std::filesystem::temp_directory_path() /
                              ("gfxtest_" + std::to_string(getpid()) + ".txt")).string();
    setenv("GFXTEST_LOG", made.c_str(), 1);
    return made;
  }();
  return path;
}
inline void reset_log() {
  debug_log_set_path(log_path().c_str());
  debug_log_reset();
}
inline std::string read_log() {
  std::ifstream in(log_path());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
inline void put32(std::vector<std::uint8_t>& b, unsigned v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

// A BMP file image: bits 1, 8 or 24; rows given top to bottom, one value per pixel (a palette
// index, a 0/1 bit, or 0xRRGGBB). The file stores them bottom-up with padded rows.
inline std::vector<std::uint8_t> make_bmp(int bits, int width, int height,
                                          const std::vector<unsigned>& pixels,
                                          std::vector<unsigned> palette = {}) {
  if (bits == 1 && palette.empty()) palette = {0x000000, 0xFFFFFF};
  std::vector<std::uint8_t> rows;
  const int row_bytes = bits == 24 ? (width * 3 + 3) / 4 * 4
                        : bits == 8 ? (width + 3) / 4 * 4
                                    : (width + 31) / 32 * 4;
  for (int y = height - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(static_cast<std::size_t>(row_bytes), 0);
    for (int x = 0; x < width; ++x) {
      const unsigned v = pixels[static_cast<std::size_t>(y) * width + x];
      if (bits == 24) {
        row[x * 3] = v & 0xFF;
        row[x * 3 + 1] = (v >> 8) & 0xFF;
        row[x * 3 + 2] = (v >> 16) & 0xFF;
      } else if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(v);
      } else if (v) {
        row[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
      }
    }
    rows.insert(rows.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> b;
  const unsigned palette_bytes = static_cast<unsigned>(palette.size()) * 4;
  b.push_back('B');
  b.push_back('M');
  put32(b, 54 + palette_bytes + static_cast<unsigned>(rows.size()));
  put32(b, 0);
  put32(b, 54 + palette_bytes);
  put32(b, 40);
  put32(b, static_cast<unsigned>(width));
  put32(b, static_cast<unsigned>(height));
  put16(b, 1);
  put16(b, static_cast<unsigned>(bits));
  put32(b, 0);
  put32(b, static_cast<unsigned>(rows.size()));
  put32(b, 2835);
  put32(b, 2835);
  put32(b, static_cast<unsigned>(palette.size()));
  put32(b, 0);
  for (unsigned c : palette) put32(b, c & 0xFFFFFF);  // blue, green, red, 0 in the file
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

// A scratch folder that holds loose data files; the tests switch the archive to loose-file
// mode and work inside it.
struct LooseFiles {
  std::filesystem::path root;
  std::filesystem::path previous;
  LooseFiles() {
    previous = std::filesystem::current_path();
    root = std::filesystem::temp_directory_path() /
           ("gfxloose_" + std::to_string(getpid()) + "_" + std::to_string(counter()++));
    std::filesystem::create_directories(root / "data" / "gfx");
    std::filesystem::create_directories(root / "data" / "gfx2");
    std::filesystem::current_path(root);
    use_data_archive = false;
  }
  ~LooseFiles() {
    std::filesystem::current_path(previous);
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  static int& counter() {
    static int n = 0;
    return n;
  }
  // name with backslashes, as the game spells it ("data\gfx\x.bmp").
  void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    std::string path = name;
    for (char& c : path)
      if (c == '\\') c = '/';
    std::ofstream out(root / path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  void write_text(const std::string& name, const std::string& text) const {
    write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
  }
};

}  // namespace gfxtest
