// SPDX-License-Identifier: GPL-3.0-or-later
// The server's side of the videos: the render slots, the cache, and the render workers' processes.
#include "server/videos.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <ctime>
#include <filesystem>

#include "server/log.h"
#include "server/verifier_wire.h"

namespace server {

namespace fs = std::filesystem;

namespace {

constexpr const char* edition_folders[4] = {"", "XS", "XL", "XXL"};
constexpr std::int64_t greeting_ms = 120000;  // loading an archive and its sounds on a busy machine
// A job claimed this much longer than a render may take was left by a worker that died with its
// server: it is taken over.
constexpr std::int64_t stale_margin_seconds = 300;
// Videos whose last watching is remembered (once a minute each is written); beyond it the memory
// starts afresh.
constexpr std::size_t watch_memory = 10000;

std::int64_t wall_seconds() { return static_cast<std::int64_t>(std::time(nullptr)); }

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

std::string host_name() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "server";
  return name;
}

// A render worker process for one edition.
class ProcessRenderer final : public Renderer {
 public:
  ProcessRenderer(std::string program, std::string archives, std::chrono::seconds time_bound)
      : program_(std::move(program)), archives_(std::move(archives)), time_bound_(time_bound) {}
  ~ProcessRenderer() override { end(); }

  RenderOutcome render(const RenderJob& job, const std::string& path) override {
    RenderOutcome out;
    if (stopped_) {
      out.error = "stopping";
      return out;
    }
    if (job.edition < 1 || job.edition > 3) {
      out.error = "no such edition";
      return out;
    }
    if (pid_ > 0 && (edition_ != job.edition || waitpid(pid_, nullptr, WNOHANG) == pid_)) end();
    if (pid_ <= 0 && !spawn(job.edition, out.error)) return out;
    std::string message;
    wire::put_text(message, path);
    wire::put8(message, job.penalty ? 1 : 0);
    message += job.replay;
    const std::int64_t started = wire::now_ms();
    std::string answer;
    if (!wire::write_message(to_, message) ||
        !wire::read_message(from_, answer, started + static_cast<std::int64_t>(time_bound_.count()) * 1000)) {
      const bool overran = wire::now_ms() - started >= static_cast<std::int64_t>(time_bound_.count()) * 1000;
      out.error = stopped_ ? "stopped" : overran ? "the render overran its time" : "the render worker died";
      out.seconds = static_cast<double>(wire::now_ms() - started) / 1000.0;
      end();
      // A killed worker leaves its part file behind.
      std::error_code ignored;
      fs::remove(path + ".part", ignored);
      return out;
    }
    wire::Reader in(answer);
    out.made = in.u8() == 1;
    out.error = in.text();
    out.length_ms = in.u32();
    out.seconds = in.u32() / 1e6;
    if (!in.ok()) {
      out = RenderOutcome{};
      out.error = "a broken answer";
      end();
    }
    return out;
  }

  void stop() override {
    stopped_ = true;
    const pid_t pid = pid_.load();
    if (pid > 0) kill(pid, SIGKILL);
  }

 private:
  bool spawn(int edition, std::string& error) {
    const std::string archive = (fs::path(archives_) / edition_folders[edition] / "grumboldX.dat").string();
    wire::Child child;
    if (!wire::spawn_child(program_, "--render-worker", archive, child, error)) return false;
    to_ = child.to;
    from_ = child.from;
    pid_ = child.pid;
    if (stopped_) kill(child.pid, SIGKILL);
    std::string hello;
    if (!wire::read_message(from_, hello, wire::now_ms() + greeting_ms) || hello.size() != 5 ||
        hello.compare(0, 4, "GXR1") != 0 || hello[4] != static_cast<char>(edition)) {
      error = "the render worker for " + archive + " did not start";
      end();
      return false;
    }
    edition_ = edition;
    return true;
  }

  void end() {
    close_fd(to_);
    close_fd(from_);
    const pid_t pid = pid_.exchange(-1);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    edition_ = 0;
  }

  std::string program_, archives_;
  std::chrono::seconds time_bound_;
  std::atomic<pid_t> pid_{-1};
  std::atomic<bool> stopped_{false};
  int to_ = -1, from_ = -1;
  int edition_ = 0;
};

}  // namespace

std::string video_file(const std::string& cache_dir, std::int64_t result_id) {
  return (fs::path(cache_dir) / (std::to_string(result_id) + ".webm")).string();
}

int evict_videos(Store& store, const std::string& cache_dir, std::int64_t limit_bytes, std::int64_t keep,
                 std::int64_t incoming_bytes) {
  const std::vector<VideoJob> ready = store.ready_videos();  // least recently watched first
  std::int64_t total = incoming_bytes;
  for (const VideoJob& j : ready) total += j.size;
  int removed = 0;
  for (const VideoJob& j : ready) {
    if (total <= limit_bytes) break;
    if (j.result_id == keep) continue;
    // The job first: a page that still saw it ready finds no file and asks for it again.
    if (store.evict_video(j.result_id)) {
      std::error_code ignored;
      fs::remove(video_file(cache_dir, j.result_id), ignored);
      ++removed;
    }
    total -= j.size;
  }
  return removed;
}

std::unique_ptr<Renderer> make_process_renderer(std::string program, std::string archives,
                                                std::chrono::seconds time_bound) {
  return std::make_unique<ProcessRenderer>(std::move(program), std::move(archives), time_bound);
}

VideoFarm::VideoFarm(Store& store, VideoOptions options, unsigned editions, RendererFactory make_renderer)
    : store_(store), options_(std::move(options)), editions_(editions), make_renderer_(std::move(make_renderer)),
      name_(host_name() + ":" + std::to_string(getpid())) {
  signal(SIGPIPE, SIG_IGN);  // a worker that died leaves a broken pipe: the write fails instead
}

VideoFarm::~VideoFarm() { stop(); }

bool VideoFarm::start(std::string& error) {
  std::error_code ec;
  fs::create_directories(options_.cache_dir, ec);
  if (!fs::is_directory(options_.cache_dir, ec)) {
    error = "cannot make the video cache " + options_.cache_dir;
    return false;
  }
  // A server killed while it rendered left its part files; one older than a render may take is
  // no other server's either.
  const auto too_old = fs::file_time_type::clock::now() - options_.render_time - std::chrono::seconds(stale_margin_seconds);
  for (fs::directory_iterator it(options_.cache_dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code ignored;
    if (it->path().extension() == ".part" && it->is_regular_file(ignored) && it->last_write_time(ignored) < too_old)
      fs::remove(it->path(), ignored);
  }
  for (int i = 0; i < options_.workers; ++i) renderers_.push_back(make_renderer_());
  for (int i = 0; i < options_.workers; ++i) threads_.emplace_back([this, i] { run_slot(i); });
  return true;
}

void VideoFarm::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ && threads_.empty()) return;
    stopping_ = true;
  }
  woken_.notify_all();
  for (auto& r : renderers_) r->stop();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
  renderers_.clear();
}

void VideoFarm::wake() {
  {
    std::lock_guard lock(mutex_);
    ++wakes_;
  }
  woken_.notify_all();
}

bool VideoFarm::watch_due(std::int64_t result_id, std::int64_t now) {
  std::lock_guard lock(watch_mutex_);
  if (watched_.size() >= watch_memory) watched_.clear();
  auto [it, fresh] = watched_.try_emplace(result_id, now);
  if (!fresh && now - it->second < 60) return false;
  it->second = now;
  return true;
}

// Waits for a wake-up or the poll interval; false when the farm stops.
bool VideoFarm::sleep_until_woken(std::uint64_t& seen) {
  std::unique_lock lock(mutex_);
  woken_.wait_for(lock, options_.poll, [&] { return stopping_ || wakes_ != seen; });
  seen = wakes_;
  return !stopping_;
}

void VideoFarm::run_slot(int slot) {
  Renderer& renderer = *renderers_[static_cast<std::size_t>(slot)];
  const std::string worker = name_ + "/" + std::to_string(slot);
  const std::int64_t stale_after = static_cast<std::int64_t>(options_.render_time.count()) + stale_margin_seconds;
  std::uint64_t seen = 0;
  for (;;) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      seen = wakes_;
    }
    std::optional<RenderJob> job;
    try {
      const std::int64_t now = wall_seconds();
      job = store_.claim_video_job(worker, now, now - stale_after, editions_, max_render_attempts);
    } catch (const StoreError& e) {
      server_log("video: cannot look for jobs: %s", e.what());
    }
    if (!job) {
      if (!sleep_until_woken(seen)) return;
      continue;
    }
    const std::string path = video_file(options_.cache_dir, job->result_id);
    const RenderOutcome outcome = renderer.render(*job, path);
    counters_.render_micros += static_cast<std::uint64_t>(outcome.seconds * 1e6);
    std::error_code ec;
    const std::int64_t size = outcome.made ? static_cast<std::int64_t>(fs::file_size(path, ec)) : 0;
    const bool made = outcome.made && !ec;
    bool stopping = false;
    {
      std::lock_guard lock(mutex_);
      stopping = stopping_;
    }
    try {
      // Room is made before the new video is marked ready, so whoever sees it ready sees the cache
      // within its limit; the counters too are kept before anyone can see the job's new state.
      if (made) {
        const int evicted = evict_videos(store_, options_.cache_dir, options_.cache_bytes, job->result_id, size);
        counters_.evicted += static_cast<std::uint64_t>(evicted);
      } else {
        ++counters_.failed;
      }
      // A render ended by a stop goes back to waiting for the next start; the attempt stays counted.
      const int attempts = stopping && !made ? INT_MAX : max_render_attempts;
      if (!store_.finish_video_job(job->result_id, worker, made, size, wall_seconds(), attempts)) {
        server_log("video: the job of game %lld was taken over meanwhile", static_cast<long long>(job->result_id));
      } else if (made) {
        ++counters_.made;
        server_log("video: game %lld rendered in %.1f s (%lld.%03lld s of game, %lld bytes)",
                   static_cast<long long>(job->result_id), outcome.seconds,
                   static_cast<long long>(outcome.length_ms / 1000), static_cast<long long>(outcome.length_ms % 1000),
                   static_cast<long long>(size));
      } else {
        server_log("video: game %lld not rendered (attempt %d): %s", static_cast<long long>(job->result_id),
                   job->attempts, outcome.error.c_str());
      }
    } catch (const StoreError& e) {
      server_log("video: cannot finish the job of game %lld: %s", static_cast<long long>(job->result_id), e.what());
    }
  }
}

}  // namespace server
