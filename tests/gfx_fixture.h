// Helpers of the graphics and text tests: a headless display, BMP file images made in memory,
// and a scratch folder per test program that holds its log and its loose data files.
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

// Everything a test program writes goes into one folder of its own under the temporary
// directory, removed with all it holds when the program ends. Death tests run the program
// again: the child finds the folder through the environment, writes inside it (the parent reads
// the child's log lines) and leaves the removal to the process that made the folder.
class ScratchFolder {
 public:
  static const std::filesystem::path& path() {
    static ScratchFolder folder;
    return folder.path_;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  static constexpr const char* variable = "GFXTEST_SCRATCH";
  ScratchFolder() {
    const char* inherited = std::getenv(variable);
    if (inherited && std::filesystem::is_directory(inherited)) {
      path_ = inherited;
      return;
    }
    path_ = std::filesystem::temp_directory_path() / ("gfxtest_" + std::to_string(getpid()));
    std::filesystem::create_directories(path_);
    setenv(variable, path_.c_str(), 1);
    owner_ = getpid();
  }
  ~ScratchFolder() {
    if (owner_ != getpid()) return;  // a death test's child: the parent still reads the folder
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::filesystem::path path_;
  pid_t owner_ = 0;
};

// The test program's own log, read back by the tests.
inline std::string log_path() { return (ScratchFolder::path() / "debug.txt").string(); }

// Opens the headless display once per test program (565 pixels). The log points at the
// program's own file first: opening the display writes a line.
inline void open_display() {
  static bool open = false;
  if (open) return;
  open = true;
  debug_log_set_path(log_path().c_str());
  plat::init_headless();
  plat::display_create();
  plat::display_set_cooperative_level();
  plat::display_query_interface();
  plat::display_set_mode(800, 600, 16);
  plat::display_create_primary(&gfx::primary);
  plat::display_get_back_buffer(gfx::primary, &gfx::back_buffer);
  gfx::detect_pixel_format();
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

// A small picture drawn with characters, rows top to bottom: '.' is index 0, '1' to '9' the
// indices 1 to 9, and colours[i] the colour (0xRRGGBB) of index i. As an 8-bit BMP it keeps its
// indices; as a 24-bit one every pixel is its index's colour.
struct CharPicture {
  std::vector<std::string> rows;
  std::vector<unsigned> colours;

  int width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
  int height() const { return static_cast<int>(rows.size()); }
  unsigned index(int x, int y) const {
    const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    return c == '.' ? 0u : static_cast<unsigned>(c - '0');
  }
  std::vector<std::uint8_t> bmp8() const { return make_bmp(8, width(), height(), values(false), colours); }
  std::vector<std::uint8_t> bmp24() const { return make_bmp(24, width(), height(), values(true)); }

 private:
  std::vector<unsigned> values(bool rgb) const {
    std::vector<unsigned> out;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) out.push_back(rgb ? colours[index(x, y)] : index(x, y));
    return out;
  }
};

// A folder inside the program's scratch folder that holds loose data files; the tests switch
// the archive to loose-file mode and work inside it. Removed when the test ends (a death test's
// child never gets that far: its folder goes with the scratch folder).
struct LooseFiles {
  std::filesystem::path root;
  std::filesystem::path previous;
  LooseFiles() {
    previous = std::filesystem::current_path();
    root = ScratchFolder::path() /
           ("loose_" + std::to_string(getpid()) + "_" + std::to_string(counter()++));
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
