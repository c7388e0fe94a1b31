// SPDX-License-Identifier: GPL-3.0-or-later
// The real upload dialog (GTK, with its WebKit view) on a virtual X server, typed into and sent
// by xdotool as a player would: a name, Tab, a password, Enter, then Escape. The last reply tries
// to make the view save a file; nothing lands on the disk, and WebKit keeps no data there either.
// Skipped where the virtual server or xdotool is missing.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "game/app/app.h"
#include "game/resources/archive.h"
#include "game/text/texts.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "platform/desktop.h"
#include "platform/platform.h"
#include "platform/sdl.h"
#include "tests/test_support.h"
#include "tests/upload_responder.h"

// GTK, fontconfig and WebKit keep caches for the life of the process, which the leak checker
// of the sanitizer build would report at its end.
extern "C" const char* __lsan_default_options() { return "detect_leaks=0"; }

using namespace upload_test;
using namespace test_support;

namespace {

bool on_path(const char* program) {
  return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Xvfb on a display number of its own choosing (-displayfd), ended with the object.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    char text[16] = {};
    std::size_t n = 0;
    while (n + 1 < sizeof text) {
      const ssize_t got = read(fds[0], text + n, 1);
      if (got <= 0 || text[n] == '\n') break;
      ++n;
    }
    close(fds[0]);
    text[n] = 0;
    if (n > 0) name_ = std::string(":") + text;
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& name() const { return name_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

pid_t start_shell(const std::string& script) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

TEST(UploadGtk, APlayerTypesPressesEnterAndReadsTheReply) {
  if (!on_path("Xvfb") || !on_path("xdotool")) GTEST_SKIP() << "Xvfb or xdotool is not installed";
  InScratchDir dir;
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  // A home of its own: where WebKit would put downloads, cookies and caches.
  const std::filesystem::path home = dir.path() / "home";
  std::filesystem::create_directories(home / "Downloads");
  const std::string home_text = home.string();
  const std::string home_before = std::getenv("HOME") ? std::getenv("HOME") : "";
  for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DOWNLOAD_DIR"})
    setenv(name, name[0] == 'H' ? home_text.c_str() : (home_text + "/" + name).c_str(), 1);
  Responder responder;
  responder.add(reply("Action=Continue\nlogtype=normal\ntext=Hallo Xdo\nhtml=<p>Hallo Xdo</p>\n"));
  // Without a script, a refresh follows at once to an address that answers with a file to save.
  responder.add(reply("Action=Continue\ntext=Gespeichert\nhtml=<h1>Gespeichert</h1><meta http-equiv=\"refresh\" "
                      "content=\"0;url=" + responder.address() + "/grab.sh\">\n"));
  responder.add(raw("HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Disposition: attachment; "
                    "filename=grab.sh\r\nContent-Length: 9\r\nConnection: close\r\n\r\necho grab"));
  setenv("DISPLAY", display.name().c_str(), 1);
  setenv("GRUMBOLDX_SERVER", responder.address().c_str(), 1);
  reset_app_state();
  ASSERT_TRUE(plat::init_sdl());
  plat::use_desktop_dialog();
  ASSERT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").c_str()), 1);
  text::load_texts();
  ASSERT_TRUE(plat::html_host_start());
  std::vector<std::uint8_t> bytes(32 + 4 * 8, 0x5a);
  upload::make_upload_hex(bytes.data(), bytes.size());
  const std::string event_text = upload::upload_hex;
  upload::score_to_send = 321;

  // The player: waits for the dialog to be shown, types into the first field, Tab, the
  // password, Enter; the Escape waits in the queue until "Senden" has finished.
  const pid_t player = start_shell(
      "xdotool search --sync --onlyvisible --name '^Grumbold X - Upload$' windowfocus --sync && "
      "xdotool type --delay 20 'Xdo Tester' && xdotool key Tab && xdotool type --delay 20 'pw&1' && "
      "xdotool key Return && sleep 3 && xdotool key Escape");
  // Should the player never get through, the display goes and the dialog with it.
  std::atomic<bool> done{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 1200 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (!done) kill(display.pid(), SIGTERM);
  });

  testing::internal::CaptureStderr();
  upload::run_upload_dialog();
  const std::string err = testing::internal::GetCapturedStderr();
  done = true;
  watchdog.join();
  int status = 0;
  waitpid(player, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xdotool failed";
  plat::shutdown();
  res::xfdone();
  upload::free_upload_hex();
  unsetenv("GRUMBOLDX_SERVER");
  for (const char* name : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DOWNLOAD_DIR"}) unsetenv(name);
  setenv("HOME", home_before.c_str(), 1);

  // What the message area showed: the HTML view, or its plain text where WebKit failed.
  const bool html = err.find("dialog html 1006: <h1>Gespeichert</h1>") != std::string::npos;
  const bool plain = err.find("dialog text 1006: Gespeichert") != std::string::npos;
  EXPECT_TRUE(html) << err;
  EXPECT_TRUE(html || plain) << err;
  const std::vector<Request> requests = responder.requests();
  ASSERT_EQ(requests.size(), 3u) << err;
  EXPECT_EQ(requests[2].head.rfind("GET /grab.sh ", 0), 0u) << "the refresh was followed";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(home)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(name.find("grab"), std::string::npos) << "saved: " << entry.path();
    EXPECT_EQ(name.find("webkitgtk"), std::string::npos) << "WebKit's data: " << entry.path();
  }
  const auto auth = form_fields(requests[0].body);
  EXPECT_EQ(auth[1], (std::pair<std::string, std::string>{"user", "Xdo%20Tester"}));
  EXPECT_EQ(auth[2], (std::pair<std::string, std::string>{"pass", "pw%261"}));
  const auto fields = form_fields(requests[1].body);
  ASSERT_GE(fields.size(), 3u);
  upload::DecodedPayload decoded;
  ASSERT_TRUE(upload::decode_upload_payload(fields[1].second.c_str(), fields[2].second.c_str(),
                                            upload::log_normal, decoded));
  EXPECT_EQ(std::string(decoded.md_record).substr(6, 32), "Xdo Tester      pw&1        321 ");
  EXPECT_EQ(decoded.event_text, event_text);
}

}  // namespace
