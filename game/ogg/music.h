// Streamed music: one Ogg Vorbis piece at a time, decoded into a looping two-second buffer by a
// periodic timer, faded out over about half a second, switched off and on with M.
#pragma once

namespace sound {

// A piece is playing, or one was asked for while music is off (the screens start theirs only
// when this is false).
bool music_requested();
// 0..10000; below 10000 a fade is in progress and the main loop runs fade_music_step every frame.
int music_volume();

void start_music(const char* name);
void stop_music();
void toggle_music();
void fade_music_step();

}  // namespace sound
