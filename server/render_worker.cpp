// SPDX-License-Identifier: GPL-3.0-or-later
// The render worker process: one edition's archive and its sounds loaded as the game loads them,
// then one job after another rendered into a WebM file, at the lowest CPU priority.
#include <malloc.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "game/app/app.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/replay.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/sound/sound.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "platform/video.h"
#include "server/videos.h"
#include "server/verifier_wire.h"

namespace server {

namespace {

constexpr int job_fd = 0;
constexpr int answer_fd = 3;

// The rendered frames into the encoder.
class WriterSink final : public qzx::RenderSink {
 public:
  explicit WriterSink(plat::VideoWriter& writer) : writer_(writer) {}
  bool picture(const std::uint16_t* pixels, int pitch, const plat::PixelFormat& format,
               std::int64_t time_ms) override {
    return writer_.add_picture(pixels, pitch, format, time_ms);
  }
  bool sound(const std::int16_t* samples, int frames) override { return writer_.add_sound(samples, frames); }

 private:
  plat::VideoWriter& writer_;
};

RenderOutcome render_job(const std::string& path, bool penalty, std::string_view text) {
  RenderOutcome out;
  qzx::DecodedReplay d;
  if (!qzx::decode_replay_text(text.data(), text.size(), d)) {
    out.error = "the replay text cannot be read";
    return out;
  }
  qzx::Recording r;
  const bool readable = qzx::recording_from_upload(d, penalty, r);
  XFREE(d.frame_log_bytes);
  if (!readable) {
    out.error = "the frame log does not fit its header";
    return out;
  }
  if (r.edition != app::edition) {
    out.error = "a game of another edition";
    return out;
  }
  const auto start = std::chrono::steady_clock::now();
  {
    // The writer removes its part file unless it finished.
    plat::VideoWriter writer;
    if (!writer.open(path)) {
      out.error = writer.error();
      return out;
    }
    WriterSink sink(writer);
    const qzx::RenderResult result = qzx::render_recording(r, qzx::ClockSource::reconstructed, sink);
    if (!result.completed || !writer.finish()) {
      out.error = writer.error().empty() ? "the rendering stopped" : writer.error();
    } else {
      out.made = true;
      out.length_ms = result.length_ms;
    }
  }
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return out;
}

std::string answer(const RenderOutcome& o) {
  std::string out;
  wire::put8(out, o.made ? 1 : 0);
  wire::put_text(out, o.error);
  wire::put32(out, static_cast<std::uint32_t>(o.length_ms));
  wire::put32(out, static_cast<std::uint32_t>(o.seconds * 1e6));
  return out;
}

}  // namespace

int run_render_worker(const char* archive_path) {
  // A worker never outlives its server, and never takes a core from it: the scheduler gives it
  // only time nothing else wants (the lowest nice level where that class is not allowed).
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 1;
  sched_param idle{};
  if (sched_setscheduler(0, SCHED_IDLE, &idle) != 0 && setpriority(PRIO_PROCESS, 0, 19) != 0)
    std::fprintf(stderr, "render worker: cannot lower its priority (a system call filter?): renders compete "
                         "with the verifiers\n");
  res::debug_log_set_path("/dev/null");
  dup2(2, 1);

  if (!plat::open_headless_display(&gfx::primary, &gfx::back_buffer)) {
    std::fprintf(stderr, "render worker: no headless display\n");
    return 1;
  }
  res::use_data_archive = true;
  if (res::xfinit(archive_path) != 1) {
    std::fprintf(stderr, "render worker: cannot open %s\n", archive_path);
    return 1;
  }
  text::load_texts();
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  text::load_font();
  sound::load_sounds();
  sound::init_sound();
  malloc_trim(0);

  std::string hello = "GXR1";
  wire::put8(hello, static_cast<std::uint8_t>(app::edition));
  if (!wire::write_message(answer_fd, hello)) return 1;

  std::string job;
  while (wire::read_message(job_fd, job, -1)) {
    wire::Reader in(job);
    const std::string path = in.text();
    const bool penalty = in.u8() != 0;
    if (!in.ok() || path.empty()) return 1;
    const RenderOutcome o = render_job(path, penalty, in.rest());
    malloc_trim(0);
    if (!wire::write_message(answer_fd, answer(o))) return 1;
  }
  return 0;
}

}  // namespace server
