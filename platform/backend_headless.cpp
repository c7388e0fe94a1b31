// SPDX-License-Identifier: GPL-3.0-or-later
// The headless backend: no window, no device. A virtual clock in which every frame lasts
// GRUMBOLDX_FRAME_MS milliseconds, input from a script, pictures saved on request, and faults
// injected on request, so two runs of the same script are identical to the pixel.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/audio_internal.h"
#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/script.h"

namespace plat {

namespace {

volatile std::sig_atomic_t close_signal = 0;
void on_signal(int) { close_signal = 1; }

// 64 bits on every target: a start time past 2038 does not fit a 32-bit long.
bool read_number(const char* name, long long low, long long high, long long& value) {
  const char* text = std::getenv(name);
  if (!text || !*text) return true;
  char* end = nullptr;
  const long long v = std::strtoll(text, &end, 10);
  if (*end != '\0' || v < low || v > high) {
    std::fprintf(stderr, "%s must be a number from %lld to %lld, not \"%s\"\n", name, low, high, text);
    return false;
  }
  value = v;
  return true;
}

// Names of the operations that can be told to fail with GRUMBOLDX_FAIL.
constexpr const char* fault_names[] = {
    "CreateWindow",  "DirectDrawCreate", "SetCooperativeLevel", "QueryInterface",
    "SetDisplayMode", "CreateSurface",   "GetAttachedSurface",  "CreateOffscreen",
    "Lock",          "Flip",
    // The sound device and the music timer (platform/audio_headless.cpp, platform/timer.cpp).
    "DirectSoundCreate", "SoundCooperativeLevel", "SoundBufferLost", "timeBeginPeriod",
    "timeSetEvent",
    // The upload dialog and its HTML view (platform/upload_dialog_headless.cpp): the dialog
    // cannot be shown, the host cannot start, a view cannot be made, a text cannot be written
    // into a view.
    "DialogBox", "OleInitialize", "OleCreate", "Navigate2",
};

class HeadlessBackend;
// The headless backend in use: the upload dialog reads its lines from its script, and a video
// moves its clock.
HeadlessBackend* the_headless = nullptr;

class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(bool& ok) {
    long long frame_ms = 10, frames = 0, start = 1262304000;  // 2010-01-01 00:00:00 UTC
    ok = read_number("GRUMBOLDX_FRAME_MS", 1, 60000, frame_ms) &&
         read_number("GRUMBOLDX_FRAMES", 0, 2000000000LL, frames) &&
         read_number("GRUMBOLDX_TIME", 0, 4000000000LL, start);
    frame_ms_ = static_cast<std::uint32_t>(frame_ms);
    frame_limit_ = static_cast<long>(frames);
    wall_start_ = start;
    if (const char* pixels = std::getenv("GRUMBOLDX_PIXELS"); pixels && *pixels) {
      if (std::strcmp(pixels, "555") == 0) format_ = format_555;
      else if (std::strcmp(pixels, "565") != 0) {
        std::fprintf(stderr, "GRUMBOLDX_PIXELS must be 565 or 555, not \"%s\"\n", pixels);
        ok = false;
      }
    }
    if (const char* faults = std::getenv("GRUMBOLDX_FAIL")) {
      std::stringstream list(faults);
      std::string name;
      while (std::getline(list, name, ',')) {
        if (name.empty()) continue;
        bool known = false;
        for (const char* f : fault_names) known = known || name == f;
        if (!known) {
          std::fprintf(stderr, "GRUMBOLDX_FAIL: unknown operation \"%s\"\n", name.c_str());
          ok = false;
        }
        faults_.push_back(name);
      }
    }
    if (const char* script = std::getenv("GRUMBOLDX_SCRIPT"); script && *script) {
      std::ifstream file(script, std::ios::binary);
      if (!file) {
        std::fprintf(stderr, "GRUMBOLDX_SCRIPT: cannot read %s\n", script);
        ok = false;
      } else {
        std::stringstream text;
        text << file.rdbuf();
        std::string error;
        if (!parse_script(text.str(), events_, error)) {
          std::fprintf(stderr, "GRUMBOLDX_SCRIPT %s: %s\n", script, error.c_str());
          ok = false;
        }
      }
    }
    if (const char* times = std::getenv("GRUMBOLDX_FRAME_TIMES"); times && *times) {
      std::string error;
      if (!read_frame_times(times, error)) {
        std::fprintf(stderr, "GRUMBOLDX_FRAME_TIMES %s: %s\n", times, error.c_str());
        ok = false;
      }
    }
    close_signal = 0;
    the_headless = this;
    previous_int_ = std::signal(SIGINT, on_signal);
    previous_term_ = std::signal(SIGTERM, on_signal);
  }

  // The signals go back to what they did before, so a program that started the layer (a test)
  // can again be stopped by them.
  ~HeadlessBackend() override {
    if (the_headless == this) the_headless = nullptr;
    std::signal(SIGINT, previous_int_ == SIG_ERR ? SIG_DFL : previous_int_);
    std::signal(SIGTERM, previous_term_ == SIG_ERR ? SIG_DFL : previous_term_);
    close_signal = 0;
  }

  bool window_create(const char*) override {
    if (should_fail("CreateWindow")) return false;
    window_ = true;
    // A new window is shown and takes the keyboard focus.
    post_message(WM_SETFOCUS);
    return true;
  }
  void window_destroy() override { window_ = false; }
  bool window_exists() const override { return window_; }
  void confine_pointer(bool) override {}
  void warp_pointer(int x, int y) override {
    mouse_x_ = x;
    mouse_y_ = y;
  }

  void pump_events(std::deque<Message>&) override {
    if (close_signal) {
      close_signal = 0;
      post_message(WM_CLOSE);
    }
    while (next_ < events_.size() && events_[next_].frame <= presented_ + 1) deliver(events_[next_++]);
  }

  void wait_event(std::deque<Message>& queue) override {
    // Nothing runs while the window is inactive, so the script goes on at once.
    while (queue.empty() && next_ < events_.size()) deliver(events_[next_++]);
    if (!queue.empty()) return;
    // Nothing will ever arrive: close the window in order rather than wait for ever.
    if (!close_posted_) {
      close_posted_ = true;
      post_message(WM_CLOSE);
    } else {
      post_quit_message(0);
    }
  }

  void message_box(const char* text, const char* title) override {
    std::fprintf(stderr, "message box \"%s\": %s\n", title, text);
  }
  bool open_url(const char* address) override {
    std::fprintf(stderr, "open_url: %s\n", address);
    return true;
  }

  std::uint32_t time_ms() override { return clock_; }
  void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms) override {
    // A recorded frame lasts as long as it did when it was recorded.
    std::uint32_t length = frame_ms_ > min_ms ? frame_ms_ : min_ms;
    if (next_time_ < frame_times_.size()) length = frame_times_[next_time_].length_ms;
    if (clock_ - t0 < length) advance_clock(t0 + length);
  }
  std::int64_t wall_ms() override { return wall_start_ * 1000 + clock_; }
  bool next_recorded_frame(std::int32_t& length_ms, std::int32_t& frame_time) override {
    if (next_time_ >= frame_times_.size()) return false;
    length_ms = static_cast<std::int32_t>(frame_times_[next_time_].length_ms);
    frame_time = frame_times_[next_time_].frame_time;
    ++next_time_;
    return true;
  }

  HRESULT display_step(DisplayStep step) override {
    switch (step) {
      case DisplayStep::create:
        return should_fail("DirectDrawCreate") ? DDERR_NODIRECTDRAWHW : DD_OK;
      case DisplayStep::cooperative_level:
        return should_fail("SetCooperativeLevel") ? DDERR_EXCLUSIVEMODEALREADYSET : DD_OK;
      case DisplayStep::query_interface:
        return should_fail("QueryInterface") ? DDERR_GENERIC : DD_OK;
      case DisplayStep::set_mode:
        return should_fail("SetDisplayMode") ? DDERR_UNSUPPORTEDMODE : DD_OK;
      case DisplayStep::create_primary:
        return should_fail("CreateSurface") ? DDERR_OUTOFVIDEOMEMORY : DD_OK;
      case DisplayStep::get_back_buffer:
        return should_fail("GetAttachedSurface") ? DDERR_NOTFOUND : DD_OK;
    }
    return DDERR_GENERIC;
  }
  void display_release() override {}

  HRESULT present(const std::uint16_t* pixels, int pitch) override {
    ++presented_;
    for (const ScriptEvent& e : events_) {
      if (e.action != ScriptAction::shot || e.frame != presented_) continue;
      if (!write_png(e.text.c_str(), pixels, 800, 600, pitch, format_))
        std::fprintf(stderr, "shot: cannot write %s\n", e.text.c_str());
    }
    if (frame_limit_ > 0 && presented_ == frame_limit_) post_message(WM_CLOSE);
    return DD_OK;
  }

  PixelFormat pixel_format() const override { return format_; }

  // The dialog lines in script order, apart from the frames.
  bool next_dialog_line(ScriptEvent& out) {
    while (next_dialog_ < events_.size() && events_[next_dialog_].action != ScriptAction::dialog)
      ++next_dialog_;
    if (next_dialog_ >= events_.size()) return false;
    out = events_[next_dialog_++];
    return true;
  }

  std::unique_ptr<AudioOutput> open_audio(Mixer& mixer) override {
    return open_headless_audio(mixer);
  }
  void window_show(bool) override {}  // nothing to hide

  bool should_fail(const char* operation) override {
    for (const std::string& f : faults_)
      if (f == operation) return true;
    return false;
  }

 private:
  void deliver(const ScriptEvent& e) {
    switch (e.action) {
      case ScriptAction::move:
        mouse_x_ = e.x < 0 ? 0 : e.x > 799 ? 799 : e.x;
        mouse_y_ = e.y < 0 ? 0 : e.y > 599 ? 599 : e.y;
        post_message(WM_MOUSEMOVE, 0, make_point_lparam(mouse_x_, mouse_y_));
        break;
      case ScriptAction::ldown: post_message(WM_LBUTTONDOWN, 1, point()); break;
      case ScriptAction::lup: post_message(WM_LBUTTONUP, 0, point()); break;
      case ScriptAction::rdown: post_message(WM_RBUTTONDOWN, 2, point()); break;
      case ScriptAction::rup: post_message(WM_RBUTTONUP, 0, point()); break;
      // A press is what a real keystroke sends: the key goes down, types its character (if it
      // has one) and comes up again.
      case ScriptAction::key:
        key_down(e);
        post_message(WM_KEYUP, e.vk, make_key_up_lparam(e.scan));
        break;
      case ScriptAction::keydown: key_down(e); break;
      case ScriptAction::keyup:
        if (e.vk == VK_SHIFT) shift_ = false;
        post_message(WM_KEYUP, e.vk, make_key_up_lparam(e.scan));
        break;
      case ScriptAction::text:
        for (unsigned point : utf8_code_points(e.text)) post_message(WM_CHAR, point, 1);
        break;
      case ScriptAction::focus: post_message(e.x ? WM_SETFOCUS : WM_KILLFOCUS); break;
      case ScriptAction::minimise:
        post_message(WM_SIZE, SIZE_MINIMIZED, 0);
        post_message(WM_KILLFOCUS);
        break;
      case ScriptAction::close: post_message(WM_CLOSE); break;
      case ScriptAction::shot: break;  // taken when its frame is presented
      case ScriptAction::lost: lose_all_surfaces(); break;
      case ScriptAction::sleep: advance_clock(clock_ + static_cast<std::uint32_t>(e.x)); break;
      case ScriptAction::dialog: break;  // read by the upload dialog while it is open
    }
  }
  std::int64_t point() const { return make_point_lparam(mouse_x_, mouse_y_); }

 public:
  // Every move of the virtual clock: the sound device mixes the time that passed and the timers
  // tick at their moments in it.
  void advance_clock(std::uint32_t to) {
    const std::uint32_t from = clock_;
    clock_ = to;
    headless_time_passed(from, to);
  }

 private:
  // One frame a line, "LENGTH_MS FRAME_TIME"; '#' lines and blank lines are skipped.
  bool read_frame_times(const char* path, std::string& error) {
    std::ifstream file(path);
    if (!file) {
      error = "cannot read the file";
      return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
      const auto first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos || line[first] == '#') continue;
      std::istringstream words(line);
      long length = -1, frame_time = -1;
      std::string rest;
      if (!(words >> length >> frame_time) || (words >> rest) || length < 0 || length > 60000 ||
          frame_time < 655 || frame_time > 6553) {
        error = "line " + std::to_string(number) +
                ": expected LENGTH_MS (0..60000) and FRAME_TIME (655..6553)";
        return false;
      }
      frame_times_.push_back(RecordedFrame{static_cast<std::uint32_t>(length),
                                           static_cast<std::int32_t>(frame_time)});
    }
    return true;
  }
  void key_down(const ScriptEvent& e) {
    if (e.vk == VK_SHIFT) shift_ = true;
    post_message(WM_KEYDOWN, e.vk, make_key_lparam(e.scan));
    if (const unsigned c = typed_character(e.vk, shift_)) post_message(WM_CHAR, c, 1);
  }

  std::uint32_t frame_ms_ = 10;
  long frame_limit_ = 0;
  std::int64_t wall_start_ = 0;
  PixelFormat format_ = format_565;
  std::vector<std::string> faults_;
  std::vector<ScriptEvent> events_;
  std::size_t next_ = 0;
  std::size_t next_dialog_ = 0;
  long presented_ = 0;
  std::uint32_t clock_ = 0;
  bool window_ = false;
  bool close_posted_ = false;
  struct RecordedFrame {
    std::uint32_t length_ms;
    std::int32_t frame_time;
  };
  std::vector<RecordedFrame> frame_times_;
  std::size_t next_time_ = 0;
  int mouse_x_ = 0, mouse_y_ = 0;
  void (*previous_int_)(int) = SIG_DFL;
  void (*previous_term_)(int) = SIG_DFL;
  bool shift_ = false;  // Shift held by a script's keydown: letters type in upper case
};

}  // namespace

bool next_dialog_line(ScriptEvent& out) {
  return the_headless && the_headless->next_dialog_line(out);
}

bool advance_headless_clock(std::uint32_t ms) {
  if (!the_headless) return false;
  the_headless->advance_clock(the_headless->time_ms() + ms);
  return true;
}

std::unique_ptr<Backend> make_headless_backend(bool& ok) {
  return std::make_unique<HeadlessBackend>(ok);
}

}  // namespace plat
