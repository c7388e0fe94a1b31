// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/test_support.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "game/app/app.h"

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

namespace {

// The process's environment with the additions, as execve wants it.
// The inherited environment without the locale's language settings (a child speaks German unless
// a test gives it another), with the additions.
std::vector<std::string> environment_with(const std::map<std::string, std::string>& additions) {
  std::vector<std::string> out;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name == "LC_ALL" || name == "LC_MESSAGES" || name == "LANG") continue;
    if (!additions.count(name)) out.push_back(entry);
  }
  for (const auto& [name, value] : additions) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> pointers_to(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& program, const fs::path& folder,
                               const std::map<std::string, std::string>& environment,
                               const std::vector<std::string>& arguments)
    : program_(program) {
  // Everything the child needs is prepared here: between fork and exec only system calls run.
  std::vector<std::string> args{(bin_dir() / program).string()};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env = environment_with(environment);
  std::vector<char*> argv = pointers_to(args), envp = pointers_to(env);
  const std::string err = (stderr_dir_ / "stderr.txt").string();
  const std::string out = (stderr_dir_ / "stdout.txt").string();
  const std::string dir = folder.string();
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int fd_out = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || fd_out < 0 || dup2(fd, STDERR_FILENO) < 0 || dup2(fd_out, STDOUT_FILENO) < 0 ||
        chdir(dir.c_str()) != 0)
      _exit(127);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

RunningProgram::~RunningProgram() {
  if (ended()) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, &status_, 0);
}

bool RunningProgram::ended() {
  if (!reaped_ && waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return reaped_;
}

namespace {
// Short naps while waiting: quick answers for fast runs, little load for slow ones.
void nap(std::chrono::milliseconds& pause) {
  std::this_thread::sleep_for(pause);
  pause = std::min(pause * 2, std::chrono::milliseconds(20));
}
}  // namespace

bool RunningProgram::wait_for_text(const fs::path& file, const std::string& text,
                                   std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string seen;  // the file is read on from where the last look stopped
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    const bool gone = ended();
    std::ifstream in(file, std::ios::binary);
    if (in && in.seekg(static_cast<std::streamoff>(seen.size()))) {
      const std::size_t from = seen.size() > text.size() ? seen.size() - text.size() : 0;
      seen.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
      if (seen.find(text, from) != std::string::npos) return true;
    }
    if (gone || std::chrono::steady_clock::now() >= deadline) return false;
    nap(pause);
  }
}

void RunningProgram::send_signal(int number) const { kill(pid_, number); }

RunResult RunningProgram::finish(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  RunResult result;
  auto pause = std::chrono::milliseconds(1);
  while (!ended()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status_, 0);
      reaped_ = true;
      result.timed_out = true;
      ADD_FAILURE() << program_ << " still ran after " << limit.count() << " ms and was killed";
      break;
    }
    nap(pause);
  }
  if (!result.timed_out)
    result.exit_code = WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
  result.stderr_text = read_file(stderr_dir_ / "stderr.txt");
  result.stdout_text = read_file(stderr_dir_ / "stdout.txt");
  return result;
}

std::vector<pid_t> child_processes(pid_t parent) {
  std::vector<pid_t> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    int ppid = 0;
    char state = 0;
    if (close != std::string::npos && std::sscanf(line.c_str() + close + 2, "%c %d", &state, &ppid) == 2 &&
        ppid == parent)
      out.push_back(std::stoi(name));
  }
  return out;
}

RunResult run_program(const std::string& program, const fs::path& folder,
                      const std::map<std::string, std::string>& environment,
                      const std::vector<std::string>& arguments, std::chrono::milliseconds limit) {
  return RunningProgram(program, folder, environment, arguments).finish(limit);
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

void reset_app_state() { app::reset(); }

fs::path bin_dir() { return GRUMBOLDX_BIN_DIR; }
fs::path data_dir() { return GRUMBOLDX_DATA_DIR; }
fs::path source_dir() { return GRUMBOLDX_SOURCE_DIR; }

}  // namespace test_support
