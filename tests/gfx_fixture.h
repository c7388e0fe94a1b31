// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers of the graphics and text tests: a headless display, BMP file images made in memory,
// and a scratch folder per test program that holds its log and its loose data files.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace gfxtest {

// Everything a test program writes goes into one folder of its own under the temporary
// directory, removed with all it holds when the program ends. Death tests run the program
// again: the child finds the folder through the environment, writes inside it (the parent reads
// the child's log lines) and leaves the removal to the process that made the folder.
class ScratchFolder {
 public:
  static const std::filesystem::path& path();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

 private:
  ScratchFolder();
  ~ScratchFolder();
  std::filesystem::path path_;
  pid_t owner_ = 0;
};

// The test program's own log, read back by the tests.
std::string log_path();

// Opens the headless display once per test program (565 pixels). The log points at the
// program's own file first: opening the display writes a line.
void open_display();
// The build's archive of the edition (1 XS, 2 XL, 3 XXL) loaded as the game loads it: the
// display above, the catalogue's pictures, the texts and the font.
void load_archive(int edition);
// Releases the font, the pictures and the archive.
void unload_archive();
// The same with every sound of the archive loaded and the sound device started, as a whole game
// has them; the unloading ends the device first.
void load_archive_with_sounds(int edition);
void unload_archive_with_sounds();

void reset_log();
std::string read_log();

void put16(std::vector<std::uint8_t>& b, unsigned v);
void put32(std::vector<std::uint8_t>& b, unsigned v);

// A BMP file image: bits 1, 8 or 24; rows given top to bottom, one value per pixel (a palette
// index, a 0/1 bit, or 0xRRGGBB). The file stores them bottom-up with padded rows.
std::vector<std::uint8_t> make_bmp(int bits, int width, int height, const std::vector<unsigned>& pixels,
                                   std::vector<unsigned> palette = {});

// A small picture drawn with characters, rows top to bottom: '.' is index 0, '1' to '9' the
// indices 1 to 9, and colours[i] the colour (0xRRGGBB) of index i. As an 8-bit BMP it keeps its
// indices; as a 24-bit one every pixel is its index's colour.
struct CharPicture {
  std::vector<std::string> rows;
  std::vector<unsigned> colours;

  int width() const;
  int height() const;
  unsigned index(int x, int y) const;
  std::vector<std::uint8_t> bmp8() const;
  std::vector<std::uint8_t> bmp24() const;

 private:
  std::vector<unsigned> values(bool rgb) const;
};

// A folder inside the program's scratch folder that holds loose data files; the tests switch
// the archive to loose-file mode and work inside it. Removed when the test ends (a death test's
// child never gets that far: its folder goes with the scratch folder).
struct LooseFiles {
  std::filesystem::path root;
  std::filesystem::path previous;
  LooseFiles();
  ~LooseFiles();
  static int& counter();
  // name with backslashes, as the game spells it ("data\gfx\x.bmp").
  void write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  void write_text(const std::string& name, const std::string& text) const;
};

}  // namespace gfxtest
