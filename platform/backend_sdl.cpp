// The SDL backend: a borderless desktop-full-screen window, the 800 x 600 picture scaled with
// black bars through a streaming RGB565 texture, input as window messages, the real clock.
#include <SDL.h>

#include <chrono>
#include <cstdio>

#include "platform/backend.h"
#include "platform/keys.h"
#include "platform/script.h"

namespace plat {

namespace {

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
    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 800, 600,
                               SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_RESIZABLE);
    if (!window_) {
      std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
      return false;
    }
    SDL_SetWindowMinimumSize(window_, 400, 300);
    SDL_ShowCursor(SDL_DISABLE);  // the game draws its own pointer
    return true;
  }

  void window_destroy() override {
    display_release();
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
  }
  bool window_exists() const override { return window_ != nullptr; }

  void confine_pointer(bool on) override {
    if (window_) SDL_SetWindowGrab(window_, on ? SDL_TRUE : SDL_FALSE);
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

  std::uint32_t time_ms() override { return SDL_GetTicks(); }

  void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms) override {
    // Sleep until about 2 ms before the end, then spin for the exact moment.
    for (;;) {
      const std::uint32_t elapsed = SDL_GetTicks() - t0;
      if (elapsed >= min_ms) return;
      if (min_ms - elapsed > 2) SDL_Delay(min_ms - elapsed - 2);
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
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
          std::fprintf(stderr, "SDL_CreateRenderer: %s\n", SDL_GetError());
          return DDERR_NODIRECTDRAWHW;
        }
        return DD_OK;
      case DisplayStep::cooperative_level:
      case DisplayStep::query_interface:
        return renderer_ ? DD_OK : DDERR_NOTINITIALIZED;
      case DisplayStep::set_mode:
        if (SDL_RenderSetLogicalSize(renderer_, 800, 600) != 0) return DDERR_UNSUPPORTEDMODE;
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565,
                                     SDL_TEXTUREACCESS_STREAMING, 800, 600);
        if (!texture_) {
          std::fprintf(stderr, "SDL_CreateTexture: %s\n", SDL_GetError());
          return DDERR_UNSUPPORTEDMODE;
        }
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
    SDL_UpdateTexture(texture_, nullptr, pixels, pitch);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    return DD_OK;
  }

  PixelFormat pixel_format() const override { return format_565; }
  bool should_fail(const char*) override { return false; }

 private:
  // Window coordinates become picture coordinates (SDL scales them for the logical size);
  // positions over the black bars are kept at the picture's edge.
  std::int64_t point(int x, int y) {
    mouse_x_ = x < 0 ? 0 : x > 799 ? 799 : x;
    mouse_y_ = y < 0 ? 0 : y > 599 ? 599 : y;
    return make_point_lparam(mouse_x_, mouse_y_);
  }

  void toggle_fullscreen() {
    const bool full = SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (full) SDL_SetWindowSize(window_, 800, 600);
  }

  void translate(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:  // closing the window, Alt+F4, SIGINT and SIGTERM
        post_message(WM_CLOSE);
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_FOCUS_GAINED: post_message(WM_SETFOCUS); break;
          case SDL_WINDOWEVENT_FOCUS_LOST: post_message(WM_KILLFOCUS); break;
          case SDL_WINDOWEVENT_MINIMIZED: post_message(WM_SIZE, SIZE_MINIMIZED, 0); break;
          default: break;
        }
        break;
      case SDL_MOUSEMOTION:
        post_message(WM_MOUSEMOVE, 0, point(e.motion.x, e.motion.y));
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        const std::int64_t at = point(e.button.x, e.button.y);
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
  int mouse_x_ = 0, mouse_y_ = 0;
};

}  // namespace

std::unique_ptr<Backend> make_sdl_backend() { return std::make_unique<SdlBackend>(); }

}  // namespace plat
