#include "tests/test_support.h"

#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

// Allocation failures must reach the game's own out-of-memory path under the address sanitizer.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace test_support {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "grumboldx-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

InScratchDir::InScratchDir() : previous_(fs::current_path()) { fs::current_path(dir_.path()); }
InScratchDir::~InScratchDir() { fs::current_path(previous_); }

std::string read_file(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& file, const std::string& bytes) {
  if (file.has_parent_path()) fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

namespace {
void put_entry(std::string& directory, int index, const std::string& name, int offset, int length) {
  char* entry = directory.data() + index * 64;
  std::memcpy(entry, name.data(), std::min<std::size_t>(name.size(), 47));
  for (int i = 0; i < 4; ++i) {
    entry[48 + i] = static_cast<char>(static_cast<unsigned>(offset) >> (8 * i));
    entry[52 + i] = static_cast<char>(static_cast<unsigned>(length) >> (8 * i));
  }
}
}  // namespace

void make_archive(const fs::path& file, const std::string& magic,
                  const std::vector<ArchiveEntry>& entries) {
  std::string directory(32000, '\0');
  put_entry(directory, 0, magic, 0, 32000);
  std::string data;
  int index = 1;
  for (const ArchiveEntry& e : entries) {
    const int length = e.stated_length.value_or(static_cast<int>(e.bytes.size()));
    put_entry(directory, index++, e.name, 32000 + static_cast<int>(data.size()), length);
    data += e.bytes;
  }
  write_file(file, directory + data);
}

RunResult run_program(const std::string& program, const fs::path& folder,
                      const std::map<std::string, std::string>& environment,
                      const std::vector<std::string>& arguments) {
  const fs::path err = folder / ".stderr.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(127);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    std::FILE* e = std::freopen(err.c_str(), "w", stderr);
    (void)e;
    const std::string path = (bin_dir() / program).string();
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult result;
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.stderr_text = read_file(err);
  std::error_code ec;
  fs::remove(err, ec);
  return result;
}

std::vector<unsigned char> read_png_rgb(const fs::path& file, int& width, int& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  width = height = 0;
  if (!png_image_begin_read_from_file(&image, file.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  return pixels;
}

fs::path bin_dir() { return GRUMBOLDX_BIN_DIR; }
fs::path data_dir() { return GRUMBOLDX_DATA_DIR; }
fs::path source_dir() { return GRUMBOLDX_SOURCE_DIR; }

}  // namespace test_support
