// SPDX-License-Identifier: GPL-3.0-or-later
// Ogg Vorbis effects: decoded whole when they are loaded (game/ogg), at half the file's rate.
#include "game/ogg/music.h"
#include "game/resources/archive.h"
#include "game/sound/sound.h"

namespace sound {

void load_ogg_sound(int number, const char* file_name, std::uint32_t buffer_flags,
                    bool keep_stereo) {
  SoundEntry* entry = begin_sound_entry(number, file_name);
  if (!entry) return;
  if (res::xflen(file_name) != 0)
    entry->samples = decode_ogg_file(file_name, keep_stereo, entry->format, entry->sample_length);
  entry->buffer_flags = buffer_flags;
}

}  // namespace sound
