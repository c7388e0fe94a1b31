// Until music streaming is built, no piece is ever loaded: the game runs without music.
#include "game/ogg/music.h"

namespace sound {

namespace {
bool requested = false;
}

bool music_requested() { return requested; }
int music_volume() { return 10000; }
void start_music(const char*) {}
void stop_music() { requested = false; }
void toggle_music() {}
void fade_music_step() {}

}  // namespace sound
