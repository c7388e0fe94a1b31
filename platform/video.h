// SPDX-License-Identifier: GPL-3.0-or-later
// Videos of the game: the 800 x 600 picture and the mixed sound written into a WebM file, VP9
// pictures and Opus sound, by FFmpeg's libraries. Pictures come at their own times (the game's
// frames have different lengths: each keeps its moment, nothing is resampled to a fixed rate),
// sound as 44100 Hz stereo 16-bit samples in the order they were mixed.
//
// The file is written under its own name plus ".part" and renamed when it is finished; a writer
// that is destroyed unfinished (a failure, an interruption) removes the part file, so a failed
// video never leaves a broken file behind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace plat {

struct VideoSettings {
  int width = 800, height = 600;
  // VP9's quality level (0 best .. 63 smallest) under a target rate, and the speed step of the
  // encoder's real-time mode (5..8: higher is faster and a little larger). The defaults keep the
  // chickens and the head-up display's digits sharp at about 5 MB a minute of play.
  int quality = 40;
  int video_kbit = 560;
  int speed = 8;
  int sound_kbit = 48;
  // Encoder threads; 1 keeps a render on one core.
  int threads = 1;
};

class VideoWriter {
 public:
  VideoWriter();
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  // Opens path's part file and both encoders; false with the reason in error().
  bool open(const std::string& path, const VideoSettings& settings = {});
  // A picture shown from time_ms on (milliseconds from the video's start, later than the last
  // picture's): 16-bit pixels in the given layout, settings' width and height.
  bool add_picture(const std::uint16_t* pixels, int pitch_bytes, const PixelFormat& format,
                   std::int64_t time_ms);
  // Sound that follows the sound added before: frames of two 16-bit samples, 44100 a second.
  bool add_sound(const std::int16_t* samples, int frames);
  // Drains both encoders, writes the index and renames the part file to path.
  bool finish();
  const std::string& error() const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// The rate of the sound add_sound takes.
inline constexpr int video_sound_rate = 44100;

}  // namespace plat
