// SPDX-License-Identifier: GPL-3.0-or-later
// Streamed music: one Ogg Vorbis piece at a time, decoded into a looping two-second buffer by a
// periodic timer, faded out over about half a second, switched off and on with M. The module
// also reads Ogg files from the archive into memory and decodes them there, for the music and
// for the Ogg sound effects.
#pragma once

#include <cstdint>

#include "platform/audio.h"

struct OggVorbis_File;  // libvorbisfile's decoder

namespace sound {

// A piece is playing, or one was asked for while music is off (the screens start theirs only
// when this is false).
bool music_requested();
// 0..10000; below 10000 a fade is in progress and the main loop runs fade_music_step every frame.
int music_volume();
// Music is switched on (M switches it).
bool music_enabled();

void start_music(const char* name);
void stop_music();
void toggle_music();
void fade_music_step();

// ---------------------------------------------------------------------------------------------
// The streaming buffer: 2 seconds of 44100 Hz stereo 16-bit, made by init_sound, played looped
// from then on (silence while nothing is written into it), released by terminate_sound.

constexpr std::uint32_t streaming_buffer_size = 352800;
extern plat::SoundBuffer* streaming_buffer;

// Makes the buffer, all zeros; null when it cannot be made.
plat::SoundBuffer* create_streaming_buffer();
void clear_streaming_buffer();

// The timer's work every 100 ms: keeps between 0.5 and 1.5 s of decoded music ahead of the play
// position, at most 40000 bytes a tick, nothing while the window has no focus.
void refill_streaming_buffer();
// One step of the decoder into its 1024-byte buffer: the bytes decoded, 0 when none (at the end
// of the piece the decoder starts it again for the next call).
int decode_music_chunk();
const unsigned char* music_decode_buffer();
// Where the next decoded bytes go in the streaming buffer.
std::uint32_t music_write_position();
// How often the play position overtook the decoded music (each is logged as it is found).
int music_underruns();

// ---------------------------------------------------------------------------------------------
// Ogg files in memory

struct OggImage {
  unsigned char* data;  // from xmalloc; null when nothing was loaded
  std::uint32_t size;
};
// The whole stored file; size 0 and no data when it is missing or empty. A file that exists but
// cannot be opened ends the program.
OggImage read_ogg_file(const char* name);

// An image being decoded, and the read position the decoder has reached in it.
struct OggSource {
  const unsigned char* data;
  std::uint32_t size;
  std::uint32_t at;
};
// Opens the decoder on source from its start. The decoder reads only from the image, through
// callbacks that hand out its bytes and report its end as the end of the stream; the stream is
// not seekable. False when the image is no Ogg Vorbis stream.
bool open_ogg_memory(OggVorbis_File& decoder, OggSource& source);

// An Ogg effect decoded whole and halved in rate (every second frame kept), mono unless
// keep_stereo and the file has two channels. Returns the samples (xmalloc) with their format and
// length, or null (logged) when the file is no Ogg Vorbis stream or holds nothing to play.
unsigned char* decode_ogg_file(const char* file_name, bool keep_stereo, plat::WaveFormat& format,
                               std::uint32_t& length);
// The same from an image already in memory; name is only used in log lines.
unsigned char* decode_ogg_image(const unsigned char* image, std::uint32_t size, const char* name,
                                bool keep_stereo, plat::WaveFormat& format,
                                std::uint32_t& length);

}  // namespace sound
