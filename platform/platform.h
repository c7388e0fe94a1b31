// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer: everything the game needs from the operating system, and nothing more.
//
// It offers a display object with a flipping primary surface and one back buffer, off-screen
// surfaces with colour key 0, lock/unlock, colour-keyed copies, stretch copies, colour fills,
// a lost state and restore; window messages for the window procedure; a millisecond clock and
// the frame wait; the wall clock; a message box. Surfaces live in memory and are composed by the
// game's own code; only presenting the picture, input and timing differ between the SDL backend
// (players, platform/sdl.h) and the headless backend (tests, automation, the server's
// verifiers). The program chooses one before anything else; without a choice it runs headless.
//
// Result codes carry the values and names of the DirectDraw headers (dx_results.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/dx_results.h"

namespace plat {

// ---------------------------------------------------------------------------------------------
// Start and end of the layer

// Chooses the headless backend and reads its settings from the environment (GRUMBOLDX_FRAME_MS,
// GRUMBOLDX_SCRIPT, GRUMBOLDX_FAIL, ...). Returns false (with a line on stderr) when a setting
// is malformed. Does nothing when a backend is already chosen.
bool init_headless();
// Closes the window, the display and the backend; every surface still alive is freed. Harmless
// when nothing is open.
void shutdown();
bool is_headless();

// ---------------------------------------------------------------------------------------------
// Window and messages. Message numbers, virtual-key codes and the packing of wParam/lParam are
// those of the Win32 window procedure, so the game's procedure reads like one.

enum : std::uint32_t {
  WM_DESTROY = 0x0002,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SETCURSOR = 0x0020,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,  // wParam: one Unicode code point of typed text
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
};
constexpr std::uint32_t SIZE_RESTORED = 0;
constexpr std::uint32_t SIZE_MINIMIZED = 1;

enum : std::uint32_t {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_DELETE = 0x2E,
  VK_F1 = 0x70,  // F1 .. F12 follow one by one
};

struct Message {
  std::uint32_t message = 0;
  std::uint64_t wparam = 0;
  std::int64_t lparam = 0;
};

// Mouse messages carry the position in 800 x 600 picture coordinates: x in the low word of
// lParam, y in the high word. The layer already keeps them inside the picture.
constexpr std::int64_t make_point_lparam(int x, int y) {
  return static_cast<std::int64_t>((static_cast<std::uint32_t>(y) & 0xFFFFu) << 16 |
                                   (static_cast<std::uint32_t>(x) & 0xFFFFu));
}
// Key messages carry the virtual-key code in wParam and the scan code in bits 16..23; a
// key-up message also has bits 30 and 31 set (the key was down and is being released).
constexpr std::int64_t make_key_lparam(std::uint32_t scan_code) {
  return static_cast<std::int64_t>(1u | ((scan_code & 0xFFu) << 16));
}
constexpr std::int64_t make_key_up_lparam(std::uint32_t scan_code) {
  return make_key_lparam(scan_code) | static_cast<std::int64_t>(0xC0000000u);
}

// Creates and shows the game's window ("GrumboldX", borderless desktop full screen, system
// pointer hidden over it). False when it cannot be created.
bool window_create(const char* title);
// The window's icon: a BMP file (32 bits with alpha), set when the window is made; "" for none.
void set_window_icon(const std::string& bmp_path);
const std::string& window_icon();
// Destroys the window (the caller then runs its own destroy handling). Harmless when none.
void window_destroy();
bool window_exists();
// Hides the window (while the upload dialog has the desktop) or shows it again in front, with
// the keyboard focus. The headless backend has nothing to hide.
void window_show(bool shown);
// Keeps the pointer inside the window while a round runs, so the picture's edges can be reached.
void confine_pointer(bool on);
// Moves the system pointer onto picture pixel (x, y) (0..799, 0..599), as the game does when
// something knocks the player's aim aside. The headless backend only takes the new position
// for the button messages that follow.
void warp_pointer(int x, int y);

// Takes the next waiting message, if any. A posted quit message is handed out only when no
// other message waits, as the window system does.
bool peek_message(Message& out);
// The keyboard state as of the messages handed out so far: true between a key's WM_KEYDOWN and
// its WM_KEYUP. Losing the focus lets every key go (its key-up would go to another window).
bool key_held(std::uint32_t vk);
// Blocks until a message waits (used while the window is inactive, so no core is burnt).
void wait_message();
// Queues a message for the window, handed out by peek_message in order.
void post_message(std::uint32_t message, std::uint64_t wparam = 0, std::int64_t lparam = 0);
void post_quit_message(int exit_code);

// A modal message box with an OK button. The headless backend logs it to stderr and counts it.
void message_box(const char* text, const char* title);
int message_box_count();

// Hands a web address to the system's web browser. Only addresses that begin with "http://" or
// "https://" are opened; anything else is refused (false) and left to the caller to log. The
// headless backend opens nothing and writes "open_url: ADDRESS" on stderr instead. Answers
// whether the address was handed on (not whether a page loaded). In a web page an address on
// the game's own server (set_own_server) opens on the server the page came from, where the
// page's requests go too, whatever server they name.
bool open_url(const char* address);
// The game's own server, by its base address ("http://host:port").
void set_own_server(const char* base_address);
// The address moved from the server at base to the one at new_base when it is on the server at
// base (base followed by "/", "?", "#" or nothing), else the address as it is.
std::string rebase_address(const char* address, const std::string& base, const std::string& new_base);

// ---------------------------------------------------------------------------------------------
// Clocks

// Milliseconds since the layer started, wrapping like a 32-bit counter.
std::uint32_t time_ms();
// Returns once at least min_ms milliseconds have passed since t0: sleeps until the last
// millisecond, then in steps of a tenth of one, so the frame lasts as long (at most about
// 0.1 ms more) without keeping a core busy.
void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms);

struct WallTime {
  int year, month, day, hour, minute, second, millisecond;
};
// The current UTC date and time, the seconds since 1970 (seeding) and the milliseconds since
// 1970 (the recordings of a game, which keep both seconds and milliseconds).
WallTime wall_time_utc();
std::int64_t wall_time_seconds();
std::int64_t wall_time_ms();

// Frame lengths recorded earlier, for replays: the headless backend reads them from the file
// named by GRUMBOLDX_FRAME_TIMES (one frame a line, "LENGTH_MS FRAME_TIME") and lets each
// frame's virtual time pass by its recorded length. Hands out the next frame's pair; false when
// there is no recording or it is used up (the SDL backend never has one).
bool next_recorded_frame(std::int32_t& length_ms, std::int32_t& frame_time);

// Videos of a replay, on the headless backend: the clock is moved by each frame's length (the
// timers tick and the sound device mixes that time, as in a frame's wait), and everything the
// sound device mixes goes to the sink, 44100 stereo 16-bit frames a second, the device playing
// as if the window had the focus. advance_headless_clock is false when the backend is not the
// headless one; an empty sink ends the capture.
bool advance_headless_clock(std::uint32_t ms);
using SoundSink = std::function<void(const std::int16_t* samples, int frames)>;
void capture_sound(SoundSink sink);

// Measuring the program itself (frame statistics), with the real clock also in the headless
// backend: microseconds since an arbitrary start, never going back; microseconds of processor
// time (user and system, all threads) the process has used; whether the statistics were asked
// for (GRUMBOLDX_STATS=1 in the environment).
std::int64_t precise_time_us();
std::int64_t process_cpu_us();
bool frame_stats_requested();

// ---------------------------------------------------------------------------------------------
// Display and surfaces

struct Surface;  // opaque; 16-bit pixels, memory owned by the layer

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
};

struct PixelFormat {
  std::uint32_t red_mask, green_mask, blue_mask;
};

// The display object's set-up steps, in the order the game runs them. Each answers DD_OK or a
// DDERR_ code (the headless backend can be told to fail any of them, for tests).
HRESULT display_create();                                   // the display object
HRESULT display_set_cooperative_level();                    // exclusive full-screen use
HRESULT display_query_interface();                          // the interface the game speaks
HRESULT display_set_mode(int width, int height, int bits);  // 800 x 600 x 16
HRESULT display_create_primary(Surface** primary);          // flipping primary, one back buffer
HRESULT display_get_back_buffer(Surface* primary, Surface** back_buffer);
// Releases the display object (the primary surface must have been released before).
void display_release();
// Presents in step with the screen's refresh instead of at once (off unless asked for); takes
// effect when the display object is created next. The headless backend ignores it.
void set_vsync(bool on);
bool display_exists();
// The headless backend's display opened as the game opens it before loading its pictures: every
// step above, 800 x 600 x 16 (a tool, a test or the server's verifier that loads an archive).
// False when a step fails or another backend was chosen.
bool open_headless_display(Surface** primary, Surface** back_buffer);

// An off-screen plain surface in the display's pixel format.
HRESULT surface_create(int width, int height, Surface** out);
// Source colour key (low..high); pixels in the range are not drawn by keyed copies.
HRESULT surface_set_color_key(Surface* s, std::uint16_t low, std::uint16_t high);
// Releases a surface; releasing the primary also releases its back buffer.
HRESULT surface_release(Surface* s);
int surface_width(const Surface* s);
int surface_height(const Surface* s);

// Locks the whole surface (rect null) or a part of it. pitch is in bytes.
HRESULT surface_lock(Surface* s, const Rect* rect, void** pixels, int* pitch);
HRESULT surface_unlock(Surface* s);
HRESULT surface_get_pixel_format(Surface* s, PixelFormat* out);

// DD_OK, or DDERR_SURFACELOST while the surface has lost its memory.
HRESULT surface_is_lost(Surface* s);
// Gives a lost surface its memory back (contents are undefined: the layer clears them).
HRESULT surface_restore(Surface* s);

// Copy of src_rect (null: whole source) to (x, y) of dst, without clipping: the rectangle must
// lie inside both surfaces. With src_color_key, pixels in the source key range are skipped.
HRESULT blt_fast(Surface* dst, int x, int y, Surface* src, const Rect* src_rect,
                 bool src_color_key);
// Stretch copy of src_rect onto dst_rect (null: whole surfaces), colour-keyed when asked.
HRESULT blt_stretch(Surface* dst, const Rect* dst_rect, Surface* src, const Rect* src_rect,
                    bool src_color_key);
// Fills dst_rect (null: whole surface) with one pixel value.
HRESULT blt_fill(Surface* dst, const Rect* dst_rect, std::uint16_t color);
// Swaps the primary surface with its back buffer and presents the new picture.
HRESULT surface_flip(Surface* primary);

// Marks every surface lost, as when the display is taken away from the game.
void lose_all_surfaces();

}  // namespace plat
