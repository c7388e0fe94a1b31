// Until the sound device and the effects are built, every sound number is empty: the game runs
// silent, as it does on a machine without a sound device.
#include "game/sound/sound.h"

#include "game/gfx/sprites.h"

namespace sound {

void load_sounds() {
  gfx::loading_bar(100);
  gfx::hide_loading_screen();
}
void init_sound() {}
void terminate_sound(bool) {}
void restore_sound() {}
void play_sound(int) {}
void play_sound_looped(int) {}
void stop_sound(int) {}
bool sound_is_playing(int) { return false; }
void set_sound_volume(int, int) {}

}  // namespace sound
