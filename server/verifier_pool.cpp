// SPDX-License-Identifier: GPL-3.0-or-later
// The server's side of the verifiers: starting them, handing out jobs, replacing the ones that
// fail.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "server/verifier.h"
#include "server/verifier_wire.h"

namespace server {

namespace {

constexpr const char* edition_folders[4] = {"", "XS", "XL", "XXL"};
constexpr std::int64_t greeting_ms = 120000;  // loading an archive on a busy machine

void close_fd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

bool read_simulation(const std::string& payload, Simulation& s) {
  wire::Reader in(payload);
  const std::uint8_t status = in.u8();
  s.start_seconds = in.u32();
  s.start_millis = in.u32();
  s.crc_ok = in.u8() != 0;
  s.frames = static_cast<std::int32_t>(in.u32());
  s.score = static_cast<std::int32_t>(in.u32());
  s.finished = in.u8() != 0;
  s.digest = in.text();
  s.seconds = in.u32() / 1e6;
  const std::uint32_t n = in.u32();
  if (!in.ok() || status > static_cast<std::uint8_t>(Simulation::Status::other_edition) || n > 100000) return false;
  s.status = static_cast<Simulation::Status>(status);
  s.events.resize(n);
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t v = in.u32();
    s.events[i] = qzx::EventEntry{static_cast<std::uint16_t>(v & 0xFFFF), static_cast<std::int16_t>(v >> 16)};
  }
  s.timeline.length_ms = static_cast<std::int32_t>(in.u32());
  const std::uint32_t changes = in.u32();
  if (!in.ok() || s.timeline.length_ms < 0 || changes > max_timeline_entries) return false;
  s.timeline.scores.resize(changes);
  for (ScorePoint& p : s.timeline.scores) {
    p.ms = static_cast<std::int32_t>(in.u32());
    p.score = static_cast<std::int32_t>(in.u32());
  }
  s.timeline.events.resize(n);
  for (std::uint32_t i = 0; i < n; ++i)
    s.timeline.events[i] = TimedEvent{static_cast<std::int32_t>(in.u32()), s.events[i].code, s.events[i].value};
  return in.ok();
}

}  // namespace

VerifierPool::VerifierPool(std::string program, std::string archives, int per_edition, std::chrono::seconds job_time)
    : program_(std::move(program)), archives_(std::move(archives)), per_edition_(per_edition < 1 ? 1 : per_edition),
      job_time_(job_time) {
  // A verifier that dies leaves a broken pipe: the write fails instead of ending the server.
  signal(SIGPIPE, SIG_IGN);
}

VerifierPool::~VerifierPool() {
  std::lock_guard lock(mutex_);
  for (Edition& e : editions_)
    for (auto& v : e.verifiers) end(*v);
}

std::unique_ptr<VerifierPool::Verifier> VerifierPool::spawn(const std::string& archive, EditionFacts* facts,
                                                             std::string& error) {
  wire::Child child;
  if (!wire::spawn_child(program_, "--verifier", archive, child, error)) return nullptr;
  auto v = std::make_unique<Verifier>();
  v->pid = child.pid;
  v->to = child.to;
  v->from = child.from;
  std::string hello;
  if (!wire::read_message(v->from, hello, wire::now_ms() + greeting_ms) || hello.compare(0, 4, "GXV1") != 0) {
    error = "the verifier for " + archive + " did not start";
    end(*v);
    return nullptr;
  }
  wire::Reader in(std::string_view(hello).substr(4));
  EditionFacts f;
  f.edition = in.u8();
  f.fingerprint = in.text();
  f.integrity_normal = in.text();
  f.integrity_penalty = in.text();
  if (!in.ok() || f.edition < 1 || f.edition > 3) {
    error = "the verifier for " + archive + " sent a broken greeting";
    end(*v);
    return nullptr;
  }
  if (facts) *facts = f;
  return v;
}

void VerifierPool::end(Verifier& v) {
  close_fd(v.to);
  close_fd(v.from);
  if (v.pid > 0) {
    kill(v.pid, SIGKILL);
    waitpid(v.pid, nullptr, 0);
  }
  v.pid = -1;
}

bool VerifierPool::start(std::string& report) {
  report.clear();
  bool any = false;
  for (int ed = 1; ed <= 3; ++ed) {
    const std::string archive = (std::filesystem::path(archives_) / edition_folders[ed] / "grumboldX.dat").string();
    if (!std::filesystem::exists(archive)) {
      report += std::string(edition_folders[ed]) + ": no archive at " + archive + "\n";
      continue;
    }
    std::string error;
    EditionFacts facts;
    auto v = spawn(archive, &facts, error);
    if (!v) {
      report += std::string(edition_folders[ed]) + ": " + error + "\n";
      continue;
    }
    if (facts.edition != ed) {
      report += std::string(edition_folders[ed]) + ": " + archive + " is another edition's archive\n";
      end(*v);
      continue;
    }
    std::lock_guard lock(mutex_);
    Edition& e = editions_[ed];
    e.facts = facts;
    e.served = true;
    e.archive = archive;
    e.verifiers.push_back(std::move(v));
    report += std::string(edition_folders[ed]) + ": " + archive + "\n";
    any = true;
  }
  return any;
}

const EditionFacts* VerifierPool::facts(int edition) const {
  if (edition < 1 || edition > 3) return nullptr;
  std::lock_guard lock(mutex_);
  return editions_[edition].served ? &editions_[edition].facts : nullptr;
}

void VerifierPool::reap_dead(Edition& e) {
  for (auto it = e.verifiers.begin(); it != e.verifiers.end();) {
    Verifier& v = **it;
    if (!v.busy && v.pid > 0 && waitpid(v.pid, nullptr, WNOHANG) == v.pid) {
      v.pid = -1;  // reaped: end() must not wait for it again
      end(v);
      it = e.verifiers.erase(it);
    } else {
      ++it;
    }
  }
}

int VerifierPool::running() {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (Edition& e : editions_) {
    reap_dead(e);
    n += static_cast<int>(e.verifiers.size());
  }
  return n;
}

std::vector<pid_t> VerifierPool::pids() const {
  std::lock_guard lock(mutex_);
  std::vector<pid_t> out;
  for (const Edition& e : editions_)
    for (const auto& v : e.verifiers) out.push_back(v->pid);
  return out;
}

VerifierPool::Verifier* VerifierPool::take(Edition& e) {
  std::unique_lock lock(mutex_);
  for (;;) {
    // A verifier killed while it waited is no use: gone before it is handed out.
    reap_dead(e);
    for (auto& v : e.verifiers)
      if (!v->busy && v->pid > 0) {
        v->busy = true;
        return v.get();
      }
    // All busy: another verifier joins while there is room; the job meanwhile waits for
    // whichever is free first.
    if (static_cast<int>(e.verifiers.size()) + e.starting < per_edition_) {
      ++e.starting;
      lock.unlock();
      std::string error;
      auto v = spawn(e.archive, nullptr, error);
      lock.lock();
      --e.starting;
      if (v) {
        v->busy = true;
        e.verifiers.push_back(std::move(v));
        return e.verifiers.back().get();
      }
      if (e.verifiers.empty()) return nullptr;
    }
    if (e.verifiers.empty() && e.starting == 0) return nullptr;
    idle_.wait(lock);
  }
}

void VerifierPool::give_back(Edition& e, Verifier* v, bool healthy) {
  std::unique_lock lock(mutex_);
  if (healthy) {
    v->busy = false;
  } else {
    // Gone or stuck: ended, and replaced by the next job that finds every verifier busy.
    end(*v);
    for (auto it = e.verifiers.begin(); it != e.verifiers.end(); ++it)
      if (it->get() == v) {
        e.verifiers.erase(it);
        break;
      }
  }
  lock.unlock();
  idle_.notify_all();
}

Simulation VerifierPool::simulate(int edition, bool penalty, const std::string& replay_text) {
  Simulation s;
  if (edition < 1 || edition > 3 || !editions_[edition].served) return s;
  Edition& e = editions_[edition];
  std::string job;
  wire::put8(job, penalty ? 1 : 0);
  job += replay_text;
  // One more try on a fresh verifier when the first dies: a verifier may have been killed from
  // outside. A job that kills two in a row is answered as failed.
  for (int attempt = 0; attempt < 2; ++attempt) {
    Verifier* v = take(e);
    if (!v) return s;
    const std::int64_t started = wire::now_ms();
    std::string payload;
    const bool ok = wire::write_message(v->to, job) &&
                    wire::read_message(v->from, payload, started + job_time_.count() * 1000) &&
                    read_simulation(payload, s);
    give_back(e, v, ok);
    if (ok) {
      simulations_.fetch_add(1);
      busy_micros_.fetch_add(static_cast<std::uint64_t>(s.seconds * 1e6));
      return s;
    }
    s = Simulation{};
    // A job that overran its time would overrun it again.
    if (wire::now_ms() - started >= job_time_.count() * 1000) break;
  }
  return s;
}

}  // namespace server
