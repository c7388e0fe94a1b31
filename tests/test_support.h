// SPDX-License-Identifier: GPL-3.0-or-later
// Small helpers shared by the tests: scratch folders, files, and runs of the real game binary.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

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
  int exit_code = -1;  // 128 + the signal's number when a signal ended the program
  std::string stderr_text;
  std::string stdout_text;
  bool timed_out = false;
};

// How long one run of a program may take before it is killed and the test fails: far more than
// a run of the game needs even under the sanitizers, so only a hang reaches it.
constexpr std::chrono::seconds run_time_limit{120};

// build/bin/<program> started in folder with the given environment additions and arguments,
// running while the test watches its files or signals it. A program still running when the
// object goes away is killed.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::filesystem::path& folder,
                 const std::map<std::string, std::string>& environment,
                 const std::vector<std::string>& arguments);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Waits until file holds text. False (without a test failure) when the program ends first or
  // the limit passes.
  bool wait_for_text(const std::filesystem::path& file, const std::string& text,
                     std::chrono::milliseconds limit = run_time_limit);
  void send_signal(int number) const;
  int pid() const { return pid_; }
  // Waits for the end. After limit the program is killed, the test fails and the result says so.
  RunResult finish(std::chrono::milliseconds limit = run_time_limit);

 private:
  bool ended();  // reaps the program once it has ended

  std::string program_;
  ScratchDir stderr_dir_;  // kept apart, so the run's own folder holds only what it wrote
  int pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
};

// Runs build/bin/<program> to its end; after limit it is killed and the test fails.
RunResult run_program(const std::string& program, const std::filesystem::path& folder,
                      const std::map<std::string, std::string>& environment,
                      const std::vector<std::string>& arguments,
                      std::chrono::milliseconds limit = run_time_limit);

// The processes whose parent is parent (from /proc).
std::vector<pid_t> child_processes(pid_t parent);

// Reads a PNG as 8-bit RGB triples; empty when it cannot be read.
std::vector<unsigned char> read_png_rgb(const std::filesystem::path& file, int& width, int& height);

// Puts the program's globals (app::) back to the values a fresh process starts with, so a test
// that runs game code in-process does not depend on the tests before it.
void reset_app_state();

std::filesystem::path bin_dir();
std::filesystem::path data_dir();
std::filesystem::path source_dir();

}  // namespace test_support
