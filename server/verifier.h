// SPDX-License-Identifier: GPL-3.0-or-later
// The re-simulation of uploaded games. The game keeps its world in fixed global tables, so a
// game is re-simulated in a process of its own: a verifier, the server binary started with
// "--verifier ARCHIVE", which loads one edition's archive and sprite catalogue through the
// headless platform backend (as the game loads them, so the graphics fingerprint comes out the
// same) and then re-simulates one replay text after another. The server keeps a pool of them
// per edition, grows it up to its limit while uploads wait, and replaces a verifier that dies or
// overruns its time; a hostile frame log can at worst end its own verifier.
//
// Pipe protocol (little-endian): the verifier greets with "GXV1", its edition, the 256-digit
// graphics fingerprint and the 40-digit integrity values of a game without and with the
// highscore penalty; a job is its length, a penalty byte and the replay text; an answer is its
// length and the fields of Simulation, the timeline last (its length, the score changes, and each
// event's moment in the order of the events).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "game/qzX/recording.h"
#include "server/timeline.h"

namespace server {

struct EditionFacts {
  int edition = 0;
  std::string fingerprint;        // 256 hexadecimal digits
  std::string integrity_normal;   // 40 digits: the five integrity values of a normal game
  std::string integrity_penalty;  // and of a game with the highscore penalty (magazine of 2)
};

struct Simulation {
  enum class Status {
    ok,
    unreadable,   // the replay text is not one, or its frame log's header does not fit
    implausible,  // a frame's input or frame time lies outside what the game records
    other_edition,// the frame log names another edition
    failed        // no verifier could answer (it died or overran its time)
  } status = Status::failed;
  std::uint32_t start_seconds = 0, start_millis = 0;
  bool crc_ok = false;
  std::int32_t frames = 0;
  std::int32_t score = 0;
  bool finished = false;      // the game ended on the last recorded frame
  std::string digest;         // the game's identity: SHA-256 of edition, start time and core events, hex
  std::vector<qzx::EventEntry> events;
  Timeline timeline;          // the events and the score changes with their moments (status ok)
  double seconds = 0;         // the verifier's own time for the job
};

// The verifier's side: loads the archive and answers jobs on its standard input until it ends.
int run_verifier(const char* archive_path);

class VerifierPool {
 public:
  // program: the server binary; archives: a folder with XS/, XL/ and XXL/grumboldX.dat.
  VerifierPool(std::string program, std::string archives, int per_edition,
               std::chrono::seconds job_time = std::chrono::seconds(30));
  ~VerifierPool();
  VerifierPool(const VerifierPool&) = delete;
  VerifierPool& operator=(const VerifierPool&) = delete;

  // Starts one verifier for each edition whose archive is there. False when none started;
  // report says what was found either way.
  bool start(std::string& report);
  // Null when the edition is not served.
  const EditionFacts* facts(int edition) const;
  Simulation simulate(int edition, bool penalty, const std::string& replay_text);

  std::uint64_t simulations() const { return simulations_.load(); }
  double simulation_seconds() const { return static_cast<double>(busy_micros_.load()) / 1e6; }
  // The verifiers alive: one that ended from outside while idle is reaped first.
  int running();
  // The verifiers' process ids (operators and tests).
  std::vector<pid_t> pids() const;

 private:
  struct Verifier {
    pid_t pid = -1;
    int to = -1, from = -1;  // job pipe, answer pipe
    bool busy = false;
  };
  struct Edition {
    EditionFacts facts;
    bool served = false;
    std::string archive;
    std::vector<std::unique_ptr<Verifier>> verifiers;
    int starting = 0;
  };
  std::unique_ptr<Verifier> spawn(const std::string& archive, EditionFacts* facts, std::string& error);
  void end(Verifier& v);
  Verifier* take(Edition& e);
  void give_back(Edition& e, Verifier* v, bool healthy);
  // Ends and removes the idle verifiers whose process has ended; with the lock held.
  void reap_dead(Edition& e);

  std::string program_, archives_;
  int per_edition_;
  std::chrono::seconds job_time_;
  Edition editions_[4];
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::atomic<std::uint64_t> simulations_{0};
  std::atomic<std::uint64_t> busy_micros_{0};
};

}  // namespace server
