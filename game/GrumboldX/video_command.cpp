// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/GrumboldX/video_command.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "game/GrumboldX/replay_command.h"
#include "game/qzX/replay.h"
#include "platform/video.h"

namespace front {

namespace {

// Hands the rendered frames to the encoder, with a progress line on the terminal.
class VideoSink final : public qzx::RenderSink {
 public:
  explicit VideoSink(plat::VideoWriter& writer) : writer_(writer), terminal_(isatty(2) != 0) {}
  bool picture(const std::uint16_t* pixels, int pitch, const plat::PixelFormat& format,
               std::int64_t time_ms) override {
    return writer_.add_picture(pixels, pitch, format, time_ms);
  }
  bool sound(const std::int16_t* samples, int frames) override {
    return writer_.add_sound(samples, frames);
  }
  void progress(int done, int total) override {
    const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 100;
    // A terminal sees one line that counts up; a log gets a line every tenth.
    if (terminal_) {
      if (percent != shown_ || done == total)
        std::fprintf(stderr, "\rvideo: frame %d of %d (%d %%)%s", done, total, percent,
                     done == total ? "\n" : "");
    } else if (percent / 10 != shown_ / 10 || done == total) {
      std::fprintf(stderr, "video: frame %d of %d (%d %%)\n", done, total, percent);
    }
    shown_ = percent;
  }
  void end_line() {
    if (terminal_ && shown_ >= 0 && shown_ < 100) std::fputc('\n', stderr);
  }

 private:
  plat::VideoWriter& writer_;
  bool terminal_;
  int shown_ = -1;
};

}  // namespace

bool video_argument(int argc, char** argv, std::string& path) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "-video") == 0) {
      path = argv[i + 1];
      return true;
    }
  return false;
}

int run_video_export(const char* replay_path, const char* video_path) {
  qzx::Recording r;
  if (!load_recording_for_this_edition(replay_path, r)) return replay_unreadable;
  plat::VideoWriter writer;
  if (!writer.open(video_path)) {
    std::fprintf(stderr, "video: %s\n", writer.error().c_str());
    return video_failed;
  }
  VideoSink sink(writer);
  const qzx::RenderResult result = qzx::render_recording(r, qzx::ClockSource::recorded, sink);
  sink.end_line();
  if (!result.completed || !writer.finish()) {
    std::fprintf(stderr, "video: %s; nothing was written\n",
                 writer.error().empty() ? "the rendering failed" : writer.error().c_str());
    return video_failed;
  }
  std::printf("video: wrote %s, %lld.%03lld s, score %d\n", video_path,
              static_cast<long long>(result.length_ms / 1000),
              static_cast<long long>(result.length_ms % 1000), result.replay.score);
  std::fflush(stdout);
  const int diff = qzx::first_event_difference(result.replay.events, r.events);
  if (diff >= 0 || result.replay.score != r.score || !result.replay.finished) {
    std::fprintf(stderr, "video: the game diverged from its recording (score %d, recorded %d)\n",
                 result.replay.score, r.score);
    return replay_diverged;
  }
  return video_written;
}

}  // namespace front
