// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/gfx_fixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "game/gfx/catalogue_table.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "tests/test_support.h"

namespace gfxtest {

namespace {
constexpr const char* scratch_variable = "GFXTEST_SCRATCH";
}  // namespace

const std::filesystem::path& ScratchFolder::path() {
  static ScratchFolder folder;
  return folder.path_;
}

ScratchFolder::ScratchFolder() {
  const char* inherited = std::getenv(scratch_variable);
  if (inherited && std::filesystem::is_directory(inherited)) {
    path_ = inherited;
    return;
  }
  path_ = std::filesystem::temp_directory_path() / ("gfxtest_" + std::to_string(getpid()));
  std::filesystem::create_directories(path_);
  setenv(scratch_variable, path_.c_str(), 1);
  owner_ = getpid();
}

ScratchFolder::~ScratchFolder() {
  if (owner_ != getpid()) return;  // a death test's child: the parent still reads the folder
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string log_path() { return (ScratchFolder::path() / "debug.txt").string(); }

void open_display() {
  static bool open = false;
  if (open) return;
  open = true;
  res::debug_log_set_path(log_path().c_str());
  plat::open_headless_display(&gfx::primary, &gfx::back_buffer);
  gfx::detect_pixel_format();
}

void reset_log() {
  res::debug_log_set_path(log_path().c_str());
  res::debug_log_reset();
}

std::string read_log() {
  std::ifstream in(log_path());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void put16(std::vector<std::uint8_t>& b, unsigned v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void put32(std::vector<std::uint8_t>& b, unsigned v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}

std::vector<std::uint8_t> make_bmp(int bits, int width, int height, const std::vector<unsigned>& pixels,
                                   std::vector<unsigned> palette) {
  if (bits == 1 && palette.empty()) palette = {0x000000, 0xFFFFFF};
  std::vector<std::uint8_t> rows;
  const int row_bytes = bits == 24 ? (width * 3 + 3) / 4 * 4 : bits == 8 ? (width + 3) / 4 * 4 : (width + 31) / 32 * 4;
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

int CharPicture::width() const { return rows.empty() ? 0 : static_cast<int>(rows[0].size()); }
int CharPicture::height() const { return static_cast<int>(rows.size()); }
unsigned CharPicture::index(int x, int y) const {
  const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
  return c == '.' ? 0u : static_cast<unsigned>(c - '0');
}
std::vector<std::uint8_t> CharPicture::bmp8() const { return make_bmp(8, width(), height(), values(false), colours); }
std::vector<std::uint8_t> CharPicture::bmp24() const { return make_bmp(24, width(), height(), values(true)); }
std::vector<unsigned> CharPicture::values(bool rgb) const {
  std::vector<unsigned> out;
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) out.push_back(rgb ? colours[index(x, y)] : index(x, y));
  return out;
}

LooseFiles::LooseFiles() {
  previous = std::filesystem::current_path();
  root = ScratchFolder::path() / ("loose_" + std::to_string(getpid()) + "_" + std::to_string(counter()++));
  std::filesystem::create_directories(root / "data" / "gfx");
  std::filesystem::create_directories(root / "data" / "gfx2");
  std::filesystem::current_path(root);
  res::use_data_archive = false;
}

LooseFiles::~LooseFiles() {
  std::filesystem::current_path(previous);
  std::error_code ignored;
  std::filesystem::remove_all(root, ignored);
}

int& LooseFiles::counter() {
  static int n = 0;
  return n;
}

void LooseFiles::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  std::ofstream out(root / path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void LooseFiles::write_text(const std::string& name, const std::string& text) const {
  write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
}

void load_archive(int edition) {
  static const char* folder[] = {"", "XS", "XL", "XXL"};
  const std::string path = (test_support::data_dir() / folder[edition] / "grumboldX.dat").string();
  ASSERT_TRUE(std::filesystem::exists(path)) << "the build packs " << path;
  open_display();
  res::use_data_archive = true;
  ASSERT_EQ(res::xfinit(path.c_str()), 1);
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  text::load_texts();
  text::load_font();
}

void unload_archive() {
  text::release_font();
  for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
  gfx::release_layer_pictures();
  res::xfdone();
}

void load_archive_with_sounds(int edition) {
  load_archive(edition);
  if (testing::Test::HasFatalFailure()) return;
  sound::load_sounds();
  sound::init_sound();
}

void unload_archive_with_sounds() {
  sound::terminate_sound(true);
  unload_archive();
}

}  // namespace gfxtest
