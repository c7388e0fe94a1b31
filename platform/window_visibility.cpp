// Hiding the game's window while the upload dialog runs on the desktop, and bringing it back.
#include <SDL.h>

#include "platform/platform.h"

namespace plat {

namespace {

// The game's one window. SDL numbers windows from 1 in the order they are made; a message box
// may have used a number in between, so the first few are looked at.
SDL_Window* game_window() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
  for (Uint32 id = 1; id <= 64; ++id)
    if (SDL_Window* w = SDL_GetWindowFromID(id)) return w;
  return nullptr;
}

}  // namespace

void window_show(bool shown) {
  if (is_headless() || !window_exists()) return;
  SDL_Window* w = game_window();
  if (!w) return;
  if (shown) {
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);
  } else {
    SDL_HideWindow(w);
  }
}

}  // namespace plat
