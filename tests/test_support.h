// Small helpers shared by the tests: scratch folders, files, and runs of the real game binary.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

// A fresh folder under the system's temporary folder, removed again at the end of the test.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Makes the current directory a scratch folder for the lifetime of the object.
class InScratchDir {
 public:
  InScratchDir();
  ~InScratchDir();
  const std::filesystem::path& path() const { return dir_.path(); }

 private:
  ScratchDir dir_;
  std::filesystem::path previous_;
};

std::string read_file(const std::filesystem::path& file);
void write_file(const std::filesystem::path& file, const std::string& bytes);

// A stored file for make_archive: name as the game asks for it, and its bytes.
struct ArchiveEntry {
  std::string name;
  std::string bytes;
  std::optional<int> stated_length = std::nullopt;  // the directory states this length instead
};
// Writes an archive: entry 0 with the magic (non-zero length), then the entries in order, then
// (unless the list already ends in one) a zero-length entry.
void make_archive(const std::filesystem::path& file, const std::string& magic,
                  const std::vector<ArchiveEntry>& entries);

struct RunResult {
  int exit_code = -1;
  std::string stderr_text;
};
// Runs build/bin/<program> in folder with the given environment additions and arguments.
RunResult run_program(const std::string& program, const std::filesystem::path& folder,
                      const std::map<std::string, std::string>& environment,
                      const std::vector<std::string>& arguments);

// Reads a PNG as 8-bit RGB triples; empty when it cannot be read.
std::vector<unsigned char> read_png_rgb(const std::filesystem::path& file, int& width, int& height);

std::filesystem::path bin_dir();
std::filesystem::path data_dir();
std::filesystem::path source_dir();

}  // namespace test_support
