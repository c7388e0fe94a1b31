// SPDX-License-Identifier: GPL-3.0-or-later
// Backend choice, the message queue and the calls that simply pass on to the backend.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <utility>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include "platform/audio_internal.h"
#include "platform/backend.h"
#include "platform/timer.h"
#include "platform/upload_ui_internal.h"

namespace plat {

namespace {
std::unique_ptr<Backend> active;
bool headless = false;
std::deque<Message> queue;
bool quit_posted = false;
int quit_code = 0;
int boxes_shown = 0;
bool keys_held[256] = {};
bool vsync_requested = false;  // asked for before the display is created
std::string icon_path;          // the window's icon, read when the window is made
std::string own_server;         // the game's own server's base address

#ifdef __EMSCRIPTEN__
// The origin of the page the game runs in ("https://host:port"), cut to room - 1 bytes.
EM_JS(void, page_origin, (char* out, int room), { stringToUTF8(location.origin, out, room); });
#endif

// Follows the keyboard state with the messages as the game receives them.
void track_keys(const Message& m) {
  if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wparam < 256)
    keys_held[m.wparam] = m.message == WM_KEYDOWN;
  if (m.message == WM_KILLFOCUS)
    for (bool& k : keys_held) k = false;
  boxes_shown = 0;
}

// The sound device is held while the window is in the background, from the moment the game
// learns of it.
void track_focus(const Message& m) {
  if (m.message == WM_SETFOCUS) audio_set_focus(true);
  if (m.message == WM_KILLFOCUS) audio_set_focus(false);
}
}  // namespace

Backend& backend() {
  if (!active) init_headless();
  return *active;
}

void use_backend(std::unique_ptr<Backend> chosen, bool is_headless) {
  if (active) return;
  active = std::move(chosen);
  headless = is_headless;
}

bool init_headless() {
  if (active) return true;
  bool ok = true;
  use_backend(make_headless_backend(ok), true);
  return ok;
}

bool open_headless_display(Surface** primary, Surface** back_buffer) {
  if (!init_headless() || !is_headless()) return false;
  if (display_create() != DD_OK || display_set_cooperative_level() != DD_OK ||
      display_query_interface() != DD_OK || display_set_mode(800, 600, 16) != DD_OK ||
      display_create_primary(primary) != DD_OK ||
      display_get_back_buffer(*primary, back_buffer) != DD_OK)
    return false;
  return *primary != nullptr && *back_buffer != nullptr;
}

void shutdown() {
  // Nothing may run beside the main thread any more: the timers stop, then the sound device.
  timers_shutdown();
  audio_shutdown();
  if (!active) return;
  active->window_destroy();
  active.reset();
  use_dialog_system(headless_dialog_system);
  forget_display();  // surfaces left over are freed; a new display can be made
  queue.clear();
  quit_posted = false;
  for (bool& k : keys_held) k = false;
  boxes_shown = 0;
}

bool is_headless() { return headless; }

void set_vsync(bool on) { vsync_requested = on; }
void set_window_icon(const std::string& bmp_path) { icon_path = bmp_path; }
const std::string& window_icon() { return icon_path; }
bool vsync_wanted() { return vsync_requested; }
void window_show(bool shown) { backend().window_show(shown); }

bool window_create(const char* title) { return backend().window_create(title); }
void window_destroy() { backend().window_destroy(); }
bool window_exists() { return backend().window_exists(); }
void confine_pointer(bool on) { backend().confine_pointer(on); }
void warp_pointer(int x, int y) {
  backend().warp_pointer(x < 0 ? 0 : x > 799 ? 799 : x, y < 0 ? 0 : y > 599 ? 599 : y);
}

bool peek_message(Message& out) {
  run_main_thread_tasks();
  backend().pump_events(queue);
  if (!queue.empty()) {
    out = queue.front();
    queue.pop_front();
    track_keys(out);
    track_focus(out);
    return true;
  }
  if (quit_posted) {
    quit_posted = false;
    out = Message{WM_QUIT, static_cast<std::uint64_t>(quit_code), 0};
    return true;
  }
  return false;
}

bool key_held(std::uint32_t vk) { return vk < 256 && keys_held[vk]; }

void wait_message() {
  run_main_thread_tasks();
  backend().pump_events(queue);
  if (!queue.empty() || quit_posted) return;
  backend().wait_event(queue);
}

void post_message(std::uint32_t message, std::uint64_t wparam, std::int64_t lparam) {
  queue.push_back(Message{message, wparam, lparam});
}

void post_quit_message(int exit_code) {
  quit_posted = true;
  quit_code = exit_code;
}

void message_box(const char* text, const char* title) {
  ++boxes_shown;
  backend().message_box(text, title);
}

int message_box_count() { return boxes_shown; }

bool open_url(const char* address) {
  if (!address || (std::strncmp(address, "http://", 7) != 0 &&
                   std::strncmp(address, "https://", 8) != 0))
    return false;
#ifdef __EMSCRIPTEN__
  char origin[256] = {};
  page_origin(origin, sizeof origin);
  return backend().open_url(rebase_address(address, own_server, origin).c_str());
#else
  return backend().open_url(address);
#endif
}

void set_own_server(const char* base_address) { own_server = base_address ? base_address : ""; }

std::string rebase_address(const char* address, const std::string& base, const std::string& new_base) {
  const std::string a = address ? address : "";
  if (base.empty() || new_base.empty() || a.compare(0, base.size(), base) != 0) return a;
  const char next = a.size() > base.size() ? a[base.size()] : 0;
  if (next != 0 && next != '/' && next != '?' && next != '#') return a;
  return new_base + a.substr(base.size());
}

std::uint32_t time_ms() { return backend().time_ms(); }

void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms) {
  backend().wait_frame_end(t0, min_ms);
}

WallTime wall_time_utc() {
  const std::int64_t ms = backend().wall_ms();
  const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
  std::tm parts{};
  gmtime_r(&seconds, &parts);
  return WallTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                  parts.tm_min, parts.tm_sec, static_cast<int>(ms % 1000)};
}

std::int64_t wall_time_seconds() { return backend().wall_ms() / 1000; }
std::int64_t wall_time_ms() { return backend().wall_ms(); }

bool next_recorded_frame(std::int32_t& length_ms, std::int32_t& frame_time) {
  return backend().next_recorded_frame(length_ms, frame_time);
}

}  // namespace plat
