// SPDX-License-Identifier: GPL-3.0-or-later
// The SDL backend: a borderless desktop-full-screen window, the 800 x 600 picture scaled with
// black bars (into the renderer's real output size, followed when it changes) through a
// streaming texture, input as window messages, the real clock.
//
// In a web page the window is the page's canvas, sized by the page (full screen is the page's,
// asked for by its first click); the keyboard is read on the canvas alone, so the upload form
// over it gets its keys; while the page holds the pointer locked, the crosshair follows the
// mouse's movements (a page cannot move the pointer, so the crosshair is moved instead); and
// every frame's wait gives the page's event loop its turn.
#include <SDL.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#include <emscripten/html5.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/letterbox.h"
#include "platform/script.h"
#include "platform/sdl.h"

namespace plat {

namespace {

#ifdef __EMSCRIPTEN__
// Gives the page's event loop a turn and comes back after `ms` milliseconds, or as soon as the
// turn is over when ms is 0: a message the page posts to itself is not held back as a timer is.
EM_JS(void, page_turn, (int ms), {
  Asyncify.handleSleep(function (wakeUp) {
    if (ms > 0) {
      setTimeout(wakeUp, ms);
      return;
    }
    var channel = Module.grumboldxTurn || (Module.grumboldxTurn = new MessageChannel());
    channel.port1.onmessage = function () { wakeUp(); };
    channel.port2.postMessage(0);
  });
});
// A timer wakes up to about this late, so the frame's last milliseconds are waited in turns.
constexpr std::uint32_t page_turn_slack_ms = 2;
#endif

// Virtual-key code of an SDL key: letters and digits by the layout's meaning, the rest by key.
std::uint32_t vk_of(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<std::uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<std::uint32_t>(key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<std::uint32_t>(key - SDLK_F1);
  switch (key) {
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_END: return VK_END;
    case SDLK_HOME: return VK_HOME;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_DELETE: return VK_DELETE;
    default: return 0;
  }
}

class SdlBackend final : public Backend {
 public:
  SdlBackend() {
#ifdef __EMSCRIPTEN__
    SDL_SetHint(SDL_HINT_EMSCRIPTEN_KEYBOARD_ELEMENT, "#canvas");
#endif
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_EVENTS) != 0)
      std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
  }
  ~SdlBackend() override {
    display_release();
    window_destroy();
    SDL_Quit();
  }

  bool window_create(const char* title) override {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
      return false;
    }
    // Made with the desktop's own place and size: where no window manager answers the request
    // for full screen (a bare X server) the window keeps the size it was made with, and SDL
    // would take it for the whole screen all the same.
    SDL_Rect place{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600};
    if (SDL_GetDisplayBounds(0, &place) != 0)
      place = SDL_Rect{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600};
#ifdef __EMSCRIPTEN__
    // Made for OpenGL at once: a renderer would otherwise make the canvas's window again, and
    // that takes every page event handler off the document, the lock's below too.
    constexpr Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_OPENGL;
#else
    constexpr Uint32 flags = SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_RESIZABLE;
#endif
    window_ = SDL_CreateWindow(title, place.x, place.y, place.w, place.h, flags);
    if (!window_) {
      std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
      return false;
    }
    SDL_SetWindowMinimumSize(window_, 400, 300);
    if (!window_icon().empty()) {
      if (SDL_Surface* icon = SDL_LoadBMP(window_icon().c_str())) {
        SDL_SetWindowIcon(window_, icon);
        SDL_FreeSurface(icon);
      }
    }
    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own pointer
#ifdef __EMSCRIPTEN__
    // The lock's changes come in the queue among the mouse's events, so that every movement is
    // read as the lock was when it happened (a click that locks also moves the pointer first).
    lock_event_ = SDL_RegisterEvents(1);
    if (lock_event_ != static_cast<Uint32>(-1))
      emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, this, false, lock_changed);
#endif
    return true;
  }

  void window_destroy() override {
    display_release();
#ifdef __EMSCRIPTEN__
    if (window_ && lock_event_ != static_cast<Uint32>(-1))
      emscripten_set_pointerlockchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, false, nullptr);
#endif
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
  }
  bool window_exists() const override { return window_ != nullptr; }

  void confine_pointer(bool on) override {
    if (window_) SDL_SetWindowGrab(window_, on ? SDL_TRUE : SDL_FALSE);
  }

  // The way back from the mouse mapping: the middle of the output pixels that show picture
  // pixel (x, y), then output pixels scaled to window points.
  void warp_pointer(int x, int y) override {
    if (!window_) return;
    if (locked_) {
      mouse_x_ = x;
      mouse_y_ = y;
      locked_x_ = x;
      locked_y_ = y;
      return;
    }
    int window_w = 0, window_h = 0, output_w = 0, output_h = 0;
    SDL_GetWindowSize(window_, &window_w, &window_h);
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    if (window_w <= 0 || window_h <= 0 || output_w <= 0 || output_h <= 0) {
      SDL_WarpMouseInWindow(window_, x, y);
      return;
    }
    const Letterbox box = letterbox(output_w, output_h);
    const std::int64_t ox = box.x + (2 * static_cast<std::int64_t>(x) + 1) * box.width / 1600;
    const std::int64_t oy = box.y + (2 * static_cast<std::int64_t>(y) + 1) * box.height / 1200;
    SDL_WarpMouseInWindow(window_, static_cast<int>(ox * window_w / output_w),
                          static_cast<int>(oy * window_h / output_h));
    mouse_x_ = x;
    mouse_y_ = y;
  }

  void pump_events(std::deque<Message>&) override {
    SDL_Event event;
    while (SDL_PollEvent(&event)) translate(event);
  }

  void wait_event(std::deque<Message>& queue) override {
    SDL_Event event;
    while (queue.empty() && SDL_WaitEvent(&event)) translate(event);
  }

  void message_box(const char* text, const char* title) override {
    std::fprintf(stderr, "%s: %s\n", title, text);
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, window_);
  }
  bool open_url(const char* address) override {
    if (SDL_OpenURL(address) == 0) return true;
    std::fprintf(stderr, "SDL_OpenURL: %s\n", SDL_GetError());
    return false;
  }

  std::uint32_t time_ms() override { return SDL_GetTicks(); }

  void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms) override {
#ifdef __EMSCRIPTEN__
    // The page's event loop (input, the canvas shown, the sound) runs only while the program
    // waits: every frame gives it at least one turn, also a frame that has used up its time. A
    // timer sleeps through the most of the wait; its last milliseconds and a late frame's turn
    // are turns of their own, since a browser holds nested timers back by 4 ms or more.
    for (bool first = true;; first = false) {
      const std::uint32_t elapsed = SDL_GetTicks() - t0;
      if (elapsed >= min_ms && !first) return;
      const std::uint32_t left = elapsed < min_ms ? min_ms - elapsed : 0;
      page_turn(left > page_turn_slack_ms ? static_cast<int>(left - page_turn_slack_ms) : 0);
    }
#endif
    // Sleeps until the last millisecond, then in steps of a tenth of one until the clock turns:
    // the frame ends at most about 0.1 ms late, and no core is kept busy spinning.
    for (;;) {
      const std::uint32_t elapsed = SDL_GetTicks() - t0;
      if (elapsed >= min_ms) return;
      if (min_ms - elapsed > 1)
        SDL_Delay(min_ms - elapsed - 1);
      else
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
  }

  std::int64_t wall_ms() override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }
  bool next_recorded_frame(std::int32_t&, std::int32_t&) override { return false; }

  HRESULT display_step(DisplayStep step) override {
    switch (step) {
      case DisplayStep::create:
        if (!window_) return DDERR_NOHWND;
        renderer_ = create_renderer();
        if (!renderer_) {
          std::fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
          return DDERR_NODIRECTDRAWHW;
        }
        return DD_OK;
      case DisplayStep::cooperative_level:
      case DisplayStep::query_interface:
        return renderer_ ? DD_OK : DDERR_NOTINITIALIZED;
      case DisplayStep::set_mode:
        texture_format_ = texture_format();
        texture_ = SDL_CreateTexture(renderer_, texture_format_, SDL_TEXTUREACCESS_STREAMING, 800,
                                     600);
        if (!texture_) {
          std::fprintf(stderr, "SDL_CreateTexture: %s\n", SDL_GetError());
          return DDERR_UNSUPPORTEDMODE;
        }
        scale_mode_set_ = false;
        picture_shown_ = false;
        return DD_OK;
      case DisplayStep::create_primary:
      case DisplayStep::get_back_buffer:
        return texture_ ? DD_OK : DDERR_NOTINITIALIZED;
    }
    return DDERR_GENERIC;
  }

  void display_release() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
  }

  HRESULT present(const std::uint16_t* pixels, int pitch) override {
    if (!texture_) return DDERR_NOTINITIALIZED;
    if (texture_format_ == SDL_PIXELFORMAT_RGB565) {
      SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
    } else {
      void* texels = nullptr;
      int texel_pitch = 0;
      if (SDL_LockTexture(texture_, nullptr, &texels, &texel_pitch) == 0) {
        SDL_ConvertPixels(800, 600, SDL_PIXELFORMAT_RGB565, pixels, pitch, texture_format_, texels,
                          texel_pitch);
        SDL_UnlockTexture(texture_);
      }
    }
    picture_shown_ = true;
    show_texture();
    return DD_OK;
  }

  PixelFormat pixel_format() const override { return format_565; }
  bool should_fail(const char*) override { return false; }
  std::unique_ptr<AudioOutput> open_audio(Mixer& mixer) override { return open_sdl_audio(mixer); }

  void window_show(bool shown) override {
    if (!window_) return;
    if (shown) {
      SDL_ShowWindow(window_);
      SDL_RaiseWindow(window_);
    } else {
      SDL_HideWindow(window_);
    }
  }

 private:
  // The GPU's renderer, unless its OpenGL is a software rasteriser (Mesa's llvmpipe under Xvfb
  // or without a graphics driver): SDL's software renderer, writing straight into the window
  // instead of through an OpenGL texture, then needs about a quarter of the processor time, on
  // one thread instead of three. A renderer named in SDL_RENDER_DRIVER is taken as it is.
  SDL_Renderer* create_renderer() {
    const Uint32 vsync = vsync_wanted() ? SDL_RENDERER_PRESENTVSYNC : 0;
    SDL_Renderer* r = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (r && !SDL_GetHint(SDL_HINT_RENDER_DRIVER) && rasterises_in_software(r)) {
      SDL_DestroyRenderer(r);
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
      r = nullptr;
    }
    if (!r) r = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    return r;
  }

  // Whether an OpenGL renderer runs on a software rasteriser; its context is the current one
  // right after it was made.
  static bool rasterises_in_software(SDL_Renderer* r) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(r, &info) != 0 || !info.name ||
        std::strncmp(info.name, "opengl", 6) != 0)
      return false;
    using GetString = const unsigned char* (*)(unsigned int);
    const auto get_string = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int gl_renderer = 0x1F01;
    const char* name = get_string ? reinterpret_cast<const char*>(get_string(gl_renderer)) : nullptr;
    if (!name) return false;
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"})
      if (std::strstr(name, software)) return true;
    return false;
  }

  // RGB565 as the game draws, for a GPU to convert; the software renderer scales fastest
  // between surfaces of one format, so there the texture takes the window's and each picture
  // is converted on its way in.
  Uint32 texture_format() const {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer_, &info) != 0 || !(info.flags & SDL_RENDERER_SOFTWARE))
      return SDL_PIXELFORMAT_RGB565;
    const Uint32 window_format = SDL_GetWindowPixelFormat(window_);
    if (SDL_BYTESPERPIXEL(window_format) != 4) return SDL_PIXELFORMAT_RGB565;
    return window_format;
  }

  // The picture's place in the renderer's output as it is now; the window's size can change at
  // any time (a window manager, Alt+Enter, the user).
  Letterbox placement() const {
    int w = 0, h = 0;
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &w, &h);
    return letterbox(w, h);
  }

  // Draws the texture (the last picture presented) into the output with black bars and shows
  // it. Nearest-pixel scaling when the picture is scaled by a whole number, smooth otherwise.
  void show_texture() {
    const Letterbox box = placement();
    const bool nearest = whole_scale(box);
    if (!scale_mode_set_ || nearest != nearest_) {
      SDL_SetTextureScaleMode(texture_, nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
      nearest_ = nearest;
      scale_mode_set_ = true;
    }
    const SDL_Rect target{box.x, box.y, box.width, box.height};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &target);
    SDL_RenderPresent(renderer_);
  }

  // Window coordinates become picture coordinates through the rectangle the picture is drawn
  // into (window points scaled to output pixels first, for displays where they differ);
  // positions over the black bars are kept at the picture's edge.
  std::int64_t point(int x, int y) {
    int window_w = 0, window_h = 0, output_w = 0, output_h = 0;
    if (window_) SDL_GetWindowSize(window_, &window_w, &window_h);
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    if (window_w > 0 && window_h > 0 && output_w > 0 && output_h > 0) {
      x = static_cast<int>(static_cast<std::int64_t>(x) * output_w / window_w);
      y = static_cast<int>(static_cast<std::int64_t>(y) * output_h / window_h);
      output_to_picture(letterbox(output_w, output_h), x, y, mouse_x_, mouse_y_);
    } else {
      mouse_x_ = x < 0 ? 0 : x > 799 ? 799 : x;
      mouse_y_ = y < 0 ? 0 : y > 599 ? 599 : y;
    }
    return make_point_lparam(mouse_x_, mouse_y_);
  }

#ifdef __EMSCRIPTEN__
  static EM_BOOL lock_changed(int, const EmscriptenPointerlockChangeEvent* change, void* self) {
    SDL_Event event{};
    event.type = static_cast<SdlBackend*>(self)->lock_event_;
    event.user.code = change->isActive ? 1 : 0;
    SDL_PushEvent(&event);
    return EM_FALSE;
  }
#endif

  // A movement of the locked pointer, in output pixels, moves the crosshair by as many picture
  // pixels as the picture is scaled; fractions are kept for the next movement, and the
  // crosshair stays on the picture.
  std::int64_t moved(int dx, int dy) {
    int window_w = 0, window_h = 0, output_w = 0, output_h = 0;
    if (window_) SDL_GetWindowSize(window_, &window_w, &window_h);
    if (renderer_) SDL_GetRendererOutputSize(renderer_, &output_w, &output_h);
    double scale_x = 1, scale_y = 1;
    if (window_w > 0 && window_h > 0 && output_w > 0 && output_h > 0) {
      const Letterbox box = letterbox(output_w, output_h);
      if (box.width > 0 && box.height > 0) {
        scale_x = 800.0 * output_w / window_w / box.width;
        scale_y = 600.0 * output_h / window_h / box.height;
      }
    }
    if (locked_x_ < 0) locked_x_ = mouse_x_, locked_y_ = mouse_y_;
    locked_x_ = std::clamp(locked_x_ + dx * scale_x, 0.0, 799.0);
    locked_y_ = std::clamp(locked_y_ + dy * scale_y, 0.0, 599.0);
    mouse_x_ = static_cast<int>(locked_x_);
    mouse_y_ = static_cast<int>(locked_y_);
    return make_point_lparam(mouse_x_, mouse_y_);
  }

  void toggle_fullscreen() {
#ifdef __EMSCRIPTEN__
    // The whole page, so that the upload form over the canvas is seen too.
    EM_ASM({
      if (document.fullscreenElement) document.exitFullscreen();
      else document.documentElement.requestFullscreen().catch(function () {});
    });
    return;
#endif
    const bool full = SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (!full) {
      // Desktop-sized first, for the same reason as at the window's creation.
      SDL_Rect place{};
      if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(window_), &place) == 0) {
        SDL_SetWindowPosition(window_, place.x, place.y);
        SDL_SetWindowSize(window_, place.w, place.h);
      }
      SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
      return;
    }
    SDL_SetWindowFullscreen(window_, 0);
    // Back from the desktop's size to a picture-sized window.
    SDL_SetWindowSize(window_, 800, 600);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
  }

  void translate(const SDL_Event& e) {
    if (lock_event_ && e.type == lock_event_) {
      locked_ = e.user.code != 0;
      locked_x_ = locked_y_ = -1;  // a new lock starts where the pointer was
      return;
    }
    switch (e.type) {
      case SDL_QUIT:  // closing the window, Alt+F4, SIGINT and SIGTERM
        post_message(WM_CLOSE);
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED: post_message(WM_SETFOCUS); break;
          case SDL_WINDOWEVENT_FOCUS_LOST: post_message(WM_KILLFOCUS); break;
          case SDL_WINDOWEVENT_MINIMIZED: post_message(WM_SIZE, SIZE_MINIMIZED, 0); break;
          // A new size or a damaged window: the last picture again, placed for the output as
          // it is now, so the window is right also while no frames run.
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_EXPOSED:
            if (texture_ && picture_shown_) show_texture();
            break;
          default: break;
        }
        break;
      case SDL_MOUSEMOTION:
        if (locked_) {
          post_message(WM_MOUSEMOVE, 0, moved(e.motion.xrel, e.motion.yrel));
          break;
        }
        post_message(WM_MOUSEMOVE, 0, point(e.motion.x, e.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        const std::int64_t at = locked_ ? make_point_lparam(mouse_x_, mouse_y_) : point(e.button.x, e.button.y);
        if (e.button.button == SDL_BUTTON_LEFT) post_message(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, 0, at);
        if (e.button.button == SDL_BUTTON_RIGHT) post_message(down ? WM_RBUTTONDOWN : WM_RBUTTONUP, 0, at);
        break;
      }
      case SDL_KEYDOWN: {
        const SDL_Keycode key = e.key.keysym.sym;
        const bool alt = e.key.keysym.mod & KMOD_ALT;
        if (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) {
          if (!e.key.repeat) toggle_fullscreen();
          break;
        }
        if (alt && key == SDLK_F4) {
          post_message(WM_CLOSE);
          break;
        }
        const std::uint32_t vk = vk_of(key);
        if (!vk) break;
        const KeyName* name = find_key_by_vk(vk);
        post_message(WM_KEYDOWN, vk, make_key_lparam(name ? name->scan : 0));
        break;
      }
      case SDL_KEYUP: {
        const std::uint32_t vk = vk_of(e.key.keysym.sym);
        if (!vk) break;
        const KeyName* name = find_key_by_vk(vk);
        post_message(WM_KEYUP, vk, make_key_up_lparam(name ? name->scan : 0));
        break;
      }
      case SDL_TEXTINPUT:
        for (unsigned p : utf8_code_points(e.text.text)) post_message(WM_CHAR, p, 1);
        break;
      default:
        break;
    }
  }

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  bool scale_mode_set_ = false;
  bool picture_shown_ = false;  // the texture holds a presented picture
  bool nearest_ = false;
  Uint32 texture_format_ = SDL_PIXELFORMAT_RGB565;
  int mouse_x_ = 0, mouse_y_ = 0;
  // The page's pointer lock as of the events read so far (never on the desktop), and the
  // crosshair while it holds, with fractions.
  Uint32 lock_event_ = 0;
  bool locked_ = false;
  double locked_x_ = -1, locked_y_ = -1;
};

}  // namespace

bool init_sdl() {
  use_backend(std::make_unique<SdlBackend>(), false);
  return true;
}

}  // namespace plat
