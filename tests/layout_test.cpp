// SPDX-License-Identifier: GPL-3.0-or-later
// The tree's layering: only the platform layer touches the system's libraries (and within it
// only the SDL backend and the desktop files name SDL, GTK, WebKit or curl), nothing under game/
// but the front end includes the front end, and what each program links: the server and the
// tools need no desktop library, the game does.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

using namespace test_support;
namespace fs = std::filesystem;

namespace {

// Every .cpp and .h under top, with its text.
std::vector<std::pair<fs::path, std::string>> sources_under(const std::string& top) {
  std::vector<std::pair<fs::path, std::string>> out;
  for (const auto& entry : fs::recursive_directory_iterator(source_dir() / top)) {
    const auto ext = entry.path().extension();
    if (ext == ".cpp" || ext == ".h") out.emplace_back(entry.path(), read_file(entry.path()));
  }
  return out;
}

bool includes(const std::string& text, const std::string& what) {
  return text.find("#include " + what) != std::string::npos;
}

const char* const desktop_headers[] = {"<SDL", "\"SDL", "<gtk/", "<gdk/", "<webkit", "<curl/",
                                       "<windows.h>", "<X11/"};

// The shared libraries a program asks for by name (readelf's NEEDED entries).
std::vector<std::string> needed_libraries(const fs::path& program) {
  const RunResult r = run_program("/usr/bin/readelf", bin_dir(), {}, {"-d", program.string()});
  EXPECT_EQ(r.exit_code, 0) << r.stderr_text;
  std::vector<std::string> out;
  std::istringstream lines(r.stdout_text);
  for (std::string line; std::getline(lines, line);) {
    const auto at = line.find("(NEEDED)");
    const auto open = line.find('[', at);
    if (at == std::string::npos || open == std::string::npos) continue;
    out.push_back(line.substr(open + 1, line.find(']', open) - open - 1));
  }
  return out;
}

const char* const desktop_libraries[] = {"libSDL2", "libX11", "libwayland", "libasound", "libpulse",
                                         "libgtk", "libgdk", "libwebkit", "libjavascriptcore",
                                         "libsoup", "libcurl"};

}  // namespace

TEST(SourceLayout, OnlyThePlatformLayerTouchesSystemLibraries) {
  for (const char* top : {"game", "tools", "tests", "server", "bench"}) {
    for (const auto& [path, text] : sources_under(top)) {
      // The blitters' benchmark measures SDL's own colour-keyed blit beside ours.
      if (path.filename() == "blit_bench.cpp") continue;
      for (const char* h : desktop_headers) EXPECT_FALSE(includes(text, h)) << path << " includes " << h;
    }
  }
}

// The platform core (what the server and the tests link) names none of them either: only the
// SDL backend's files and the desktop's do.
TEST(SourceLayout, OnlyTheSdlBackendAndTheDesktopFilesNameDesktopLibraries) {
  const std::set<std::string> allowed = {"backend_sdl.cpp", "audio_sdl.cpp", "upload_dialog_gtk.cpp",
                                         "upload_dialog_gtk.h", "html_view_webkit.cpp", "http_curl.cpp"};
  for (const auto& [path, text] : sources_under("platform")) {
    if (allowed.count(path.filename().string())) continue;
    for (const char* h : desktop_headers) EXPECT_FALSE(includes(text, h)) << path << " includes " << h;
  }
}

// Includes run downwards: the front end (game/GrumboldX) sits on top of every other module.
TEST(SourceLayout, NothingBelowTheFrontEndIncludesIt) {
  for (const char* top : {"game", "platform", "server", "tools"}) {
    for (const auto& [path, text] : sources_under(top)) {
      if (path.parent_path().filename() == "GrumboldX") continue;
      EXPECT_FALSE(includes(text, "\"game/GrumboldX/")) << path;
    }
  }
  for (const auto& [path, text] : sources_under("platform"))
    EXPECT_FALSE(includes(text, "\"game/")) << path << " includes the game";
}

// A machine that only runs the server needs none of the desktop's libraries, and neither do the
// tools; the game does need them (so the check reads what it thinks it reads).
TEST(BinaryLayout, TheServerAndTheToolsLinkNoDesktopLibrary) {
  for (const char* program : {"grumboldx-server", "packdat", "makedata"}) {
    if (!fs::exists(bin_dir() / program)) continue;  // a tree that borrows its data has no generator
    const std::vector<std::string> needed = needed_libraries(bin_dir() / program);
    EXPECT_FALSE(needed.empty()) << program;
    for (const std::string& library : needed)
      for (const char* desktop : desktop_libraries)
        EXPECT_NE(library.rfind(desktop, 0), 0u) << program << " needs " << library;
  }
  const std::vector<std::string> game = needed_libraries(bin_dir() / "grumboldx");
  auto needs = [&](const char* prefix) {
    for (const std::string& library : game)
      if (library.rfind(prefix, 0) == 0) return true;
    return false;
  };
  EXPECT_TRUE(needs("libSDL2"));
  EXPECT_TRUE(needs("libgtk-3"));
  EXPECT_TRUE(needs("libcurl"));
}
