// SPDX-License-Identifier: GPL-3.0-or-later
// The verifier process: one edition's archive loaded as the game loads it, then one replay text
// after another re-simulated from the upload's data alone.
#include <malloc.h>
#include <openssl/evp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "game/app/app.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/gfx/surfaces.h"
#include "game/qzX/little_endian.h"
#include "game/qzX/replay.h"
#include "game/qzX/replay_tolerance.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "platform/platform.h"
#include "server/verifier.h"
#include "server/verifier_wire.h"

namespace server {

namespace {

using qzx::get16;
using qzx::get32;

constexpr int job_fd = 0;
constexpr int answer_fd = 3;

std::string integrity_of_a_game(bool penalty) {
  qzx::Recording r;
  r.edition = app::edition;
  r.penalty = penalty;
  qzx::begin_replay(r);
  std::string text = qzx::integrity_text();
  qzx::end_replay();
  return text;
}

// The CRC the game puts into the frame log: over the whole 640020-byte block (the unused
// entries are zero) with the CRC field itself 0.
bool frame_log_crc_ok(const std::uint8_t* used, std::size_t length) {
  static const std::uint8_t zeros[4096] = {};
  const std::uint32_t stored = get32(used + 12);
  uLong crc = crc32(0L, used, 12);
  crc = crc32(crc, zeros, 4);
  crc = crc32(crc, used + 16, static_cast<uInt>(length - 16));
  for (std::size_t left = qzx::frame_log_size - length; left > 0;) {
    const std::size_t n = left < sizeof zeros ? left : sizeof zeros;
    crc = crc32(crc, zeros, static_cast<uInt>(n));
    left -= n;
  }
  return static_cast<std::uint32_t>(crc) == stored;
}

std::string sha256_hex(const std::uint8_t* data, std::size_t length) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned size = 0;
  EVP_Digest(data, length, digest, &size, EVP_sha256(), nullptr);
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned i = 0; i < size; ++i) {
    out.push_back(digits[digest[i] >> 4]);
    out.push_back(digits[digest[i] & 15]);
  }
  return out;
}

// What a game is: its edition, its start time (which seeds the generator) and the core events
// its re-simulation makes of it. Input that changes nothing (a cursor moved where nothing is hit)
// or a clock that moves a bonus gives the same game.
std::string game_identity(int edition, std::uint32_t start_seconds, std::uint32_t start_millis,
                          const std::vector<qzx::EventEntry>& events) {
  std::string text = std::to_string(edition) + " " + std::to_string(start_seconds) + " " + std::to_string(start_millis);
  for (int code : qzx::core_codes(events)) text += " " + std::to_string(code);
  return sha256_hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

// Inputs the game can record: the cursor inside the picture, and a frame time its clamp lets
// through (at most 6553, never 0; the 40-frame average of steady 10 ms frames is 589).
bool plausible(const qzx::Recording& r) {
  for (const qzx::RecordedFrame& f : r.frames) {
    if ((f.input & 1023) > 799 || ((f.input >> 10) & 1023) > 599) return false;
    if (f.frame_time < 1 || f.frame_time > 6553) return false;
  }
  return true;
}

Simulation run_job(bool penalty, const std::string& text) {
  Simulation s;
  qzx::DecodedReplay d;
  if (!qzx::decode_replay_text(text.data(), text.size(), d)) {
    s.status = Simulation::Status::unreadable;
    return s;
  }
  qzx::Recording r;
  const bool readable = qzx::recording_from_upload(d, penalty, r);
  s.start_seconds = d.start_seconds;
  s.start_millis = d.start_millis;
  if (readable) s.crc_ok = frame_log_crc_ok(d.frame_log_bytes, d.length);
  XFREE(d.frame_log_bytes);
  if (!readable) {
    s.status = Simulation::Status::unreadable;
    return s;
  }
  s.frames = static_cast<std::int32_t>(r.frames.size());
  if (r.edition != app::edition) {
    s.status = Simulation::Status::other_edition;
    return s;
  }
  if (!plausible(r)) {
    s.status = Simulation::Status::implausible;
    return s;
  }
  const auto start = std::chrono::steady_clock::now();
  // The log and the score at every frame's start give each event and score change its moment.
  const std::vector<std::int64_t> starts = qzx::frame_start_times_ms(r);
  std::vector<FrameSnapshot> snapshots;
  snapshots.reserve(r.frames.size() + 1);
  const qzx::ReplayResult result = qzx::simulate_recording(r, qzx::ClockSource::reconstructed, [&](int frame) {
    const std::size_t i = static_cast<std::size_t>(frame);
    snapshots.push_back({i < starts.size() ? starts[i] : 0, qzx::event_count(), qzx::score()});
  });
  snapshots.push_back({starts.empty() ? 0 : starts.back(), static_cast<int>(result.events.size()), result.score});
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  s.status = Simulation::Status::ok;
  s.score = result.score;
  s.finished = result.finished;
  s.events = result.events;
  s.timeline = timeline_from_frames(snapshots, result.events);
  s.digest = game_identity(r.edition, s.start_seconds, s.start_millis, s.events);
  return s;
}

std::string answer(const Simulation& s) {
  std::string out;
  wire::put8(out, static_cast<std::uint8_t>(s.status));
  wire::put32(out, s.start_seconds);
  wire::put32(out, s.start_millis);
  wire::put8(out, s.crc_ok);
  wire::put32(out, static_cast<std::uint32_t>(s.frames));
  wire::put32(out, static_cast<std::uint32_t>(s.score));
  wire::put8(out, s.finished);
  wire::put_text(out, s.digest);
  wire::put32(out, static_cast<std::uint32_t>(s.seconds * 1e6));
  wire::put32(out, static_cast<std::uint32_t>(s.events.size()));
  for (const qzx::EventEntry& e : s.events) {
    wire::put32(out, static_cast<std::uint32_t>(e.code) | (static_cast<std::uint32_t>(static_cast<std::uint16_t>(e.value)) << 16));
  }
  wire::put32(out, static_cast<std::uint32_t>(s.timeline.length_ms));
  wire::put32(out, static_cast<std::uint32_t>(s.timeline.scores.size()));
  for (const ScorePoint& p : s.timeline.scores) {
    wire::put32(out, static_cast<std::uint32_t>(p.ms));
    wire::put32(out, static_cast<std::uint32_t>(p.score));
  }
  // The timeline's events are the log's: only their moments go along.
  const bool timed = s.timeline.events.size() == s.events.size();
  for (std::size_t i = 0; i < s.events.size(); ++i)
    wire::put32(out, timed ? static_cast<std::uint32_t>(s.timeline.events[i].ms) : 0u);
  return out;
}

}  // namespace

int run_verifier(const char* archive_path) {
  // A verifier never outlives its server.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() == 1) return 1;
  // The game's diagnostic log would land in the server's folder; the server logs what matters.
  res::debug_log_set_path("/dev/null");
  // stdout belongs to nobody here: game code that prints goes to the server's stderr.
  dup2(2, 1);

  if (!plat::open_headless_display(&gfx::primary, &gfx::back_buffer)) {
    std::fprintf(stderr, "verifier: no headless display\n");
    return 1;
  }
  res::use_data_archive = true;
  if (res::xfinit(archive_path) != 1) {
    std::fprintf(stderr, "verifier: cannot open %s\n", archive_path);
    return 1;
  }
  text::load_texts();
  gfx::load_catalogue();
  gfx::hide_loading_screen();
  // The head-up display's texts are composed even with the drawing off; without the font every
  // character would cost a log line.
  text::load_font();
  // Decoding left freed buffers behind; a verifier lives long, so they go back to the system.
  malloc_trim(0);

  std::string hello = "GXV1";
  wire::put8(hello, static_cast<std::uint8_t>(app::edition));
  wire::put_text(hello, gfx::graphics_fingerprint());
  wire::put_text(hello, integrity_of_a_game(false));
  wire::put_text(hello, integrity_of_a_game(true));
  if (!wire::write_message(answer_fd, hello)) return 1;

  std::string job;
  while (wire::read_message(job_fd, job, -1)) {
    wire::Reader in(job);
    const bool penalty = in.u8() != 0;
    if (!in.ok()) return 1;
    const std::string text(in.rest());
    if (!wire::write_message(answer_fd, answer(run_job(penalty, text)))) return 1;
  }
  return 0;
}

}  // namespace server
