// SPDX-License-Identifier: GPL-3.0-or-later
// The videos of listed games. Every listed game gets a job in the database (store.h); each server
// runs a few render slots, threads that claim one job after another and hand it to their
// renderer, a child process of the server's own binary ("--render-worker ARCHIVE") that loads
// one edition's archive with its sounds, as the game loads them, re-simulates the upload's replay
// text with the drawing on and writes a WebM file into the cache folder. Verification keeps
// priority: the render workers are processes of their own, apart from the verifiers, and run at
// the lowest CPU priority, so an upload never waits behind a render.
//
// A render has a time bound: a worker that overruns it or dies is killed and replaced and the job
// counts a failed attempt; after max_render_attempts it stays failed and the game's page says so.
// A failed render never touches the listing.
//
// The cache: one file per game, named by the result's id only. After each finished render the
// least recently watched videos are removed (their jobs evicted) until the ready ones fit in the
// limit, never the one just made; a page or a fetch of an evicted video puts its job back to
// waiting, and it is rendered again on demand. Servers that share a database should share the
// folder: a server that finds a ready video's file missing puts it back to waiting too.
//
// Pipe protocol with a render worker (little-endian, framed as the verifier's): the worker greets
// with "GXR1" and its edition; a job is the output path, a penalty byte and the replay text; an
// answer is a byte (1: made), a text (why not), the video's length in ms and the render's
// microseconds.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "server/store.h"

namespace server {

inline constexpr int max_render_attempts = 3;

struct VideoOptions {
  std::string cache_dir;
  std::int64_t cache_bytes = std::int64_t{1024} << 20;
  int workers = 1;                          // render slots of this server (0: none)
  std::chrono::seconds render_time{900};    // one render's bound
  std::chrono::seconds poll{10};            // how often an idle slot looks for jobs unwoken
};

// The cache file of a game: the folder and the result's number, nothing a client sent.
std::string video_file(const std::string& cache_dir, std::int64_t result_id);

// Removes the least recently watched ready videos (files and jobs) until they and incoming_bytes
// (a video about to be marked ready) fit in limit_bytes, never keep. How many were removed.
int evict_videos(Store& store, const std::string& cache_dir, std::int64_t limit_bytes, std::int64_t keep,
                 std::int64_t incoming_bytes = 0);

struct RenderOutcome {
  bool made = false;
  std::string error;         // why not
  std::int64_t length_ms = 0;
  double seconds = 0;        // the render's own time
};

// Renders a job into path (written as path + ".part" and renamed when whole). A render slot owns
// one and calls it from its thread; stop() may come from another thread and ends a render early.
class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual RenderOutcome render(const RenderJob& job, const std::string& path) = 0;
  virtual void stop() {}
};

// The renderer of child processes: a worker for the job's edition (archives: a folder with XS/,
// XL/ and XXL/grumboldX.dat), kept for the next job of that edition, replaced for another's;
// killed when it overruns time_bound, and its part file removed.
std::unique_ptr<Renderer> make_process_renderer(std::string program, std::string archives,
                                                std::chrono::seconds time_bound);

// The render worker's side: loads the archive and its sounds and renders jobs from its standard
// input until it ends.
int run_render_worker(const char* archive_path);

struct VideoCounters {
  std::atomic<std::uint64_t> made{0}, failed{0}, evicted{0};
  std::atomic<std::uint64_t> render_micros{0};
};

class VideoFarm {
 public:
  using RendererFactory = std::function<std::unique_ptr<Renderer>()>;
  // editions: bit e set for every edition this server can render.
  VideoFarm(Store& store, VideoOptions options, unsigned editions, RendererFactory make_renderer);
  ~VideoFarm();
  VideoFarm(const VideoFarm&) = delete;
  VideoFarm& operator=(const VideoFarm&) = delete;

  // Makes the cache folder when it is missing and starts the slots. False with the reason when
  // the folder cannot be made.
  bool start(std::string& error);
  // Stops the slots: a render under way is ended; its job is taken over later.
  void stop();
  // Makes the idle slots look for jobs now (a game was listed, a video asked for again).
  void wake();

  const VideoOptions& options() const { return options_; }
  const VideoCounters& counters() const { return counters_; }
  // A fetch of a video: true at most once a minute per video, when its watched time is worth
  // writing.
  bool watch_due(std::int64_t result_id, std::int64_t now);

 private:
  void run_slot(int slot);
  bool sleep_until_woken(std::uint64_t& seen);

  Store& store_;
  VideoOptions options_;
  unsigned editions_;
  RendererFactory make_renderer_;
  std::string name_;  // host:pid, the slots' claims say who they are
  std::vector<std::thread> threads_;
  std::vector<std::unique_ptr<Renderer>> renderers_;
  std::mutex mutex_;
  std::condition_variable woken_;
  std::uint64_t wakes_ = 0;
  bool stopping_ = false;
  VideoCounters counters_;
  std::mutex watch_mutex_;
  std::unordered_map<std::int64_t, std::int64_t> watched_;  // result id -> last written
};

}  // namespace server
