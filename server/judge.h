// SPDX-License-Identifier: GPL-3.0-or-later
// The decision on an upload whose encoding and account are in order: first the checks that need
// no re-simulation (the claim against its authentication, the check text against the edition,
// the event record's score and counters), then the re-simulation's answer against the event
// record within the tolerance of game/qzX/replay_tolerance.h. The first failing check names the
// reason.
#pragma once

#include <string>

#include "server/store.h"
#include "server/upload_record.h"
#include "server/verifier.h"

namespace server {

// Reason codes, kept with a refused result.
namespace reason {
inline constexpr const char* claim = "claim";              // score or edition differ from the authentication
inline constexpr const char* version = "version";          // not "V1.1"
inline constexpr const char* fingerprint = "fingerprint";  // not this edition's pictures
inline constexpr const char* integrity = "integrity";      // the rules' tables were changed
inline constexpr const char* event_log = "event_log";      // the event record does not hold together
inline constexpr const char* check_words = "check_words";  // counters differ from the authentication's
inline constexpr const char* score = "score";              // the score differs from the game's
inline constexpr const char* events = "events";            // the events differ from the game's
inline constexpr const char* replay = "replay";            // the frame log is unreadable or does not fit
inline constexpr const char* duplicate = "duplicate";      // this game is listed already
}  // namespace reason

struct Verdict {
  bool passed = false;
  bool exact = false;
  std::string reason;  // a reason code when refused; the tolerance used when passed
  std::string detail;  // what differed, for the operator
};

// On success, penalty says whether the integrity values are those of a game with the
// highscore penalty (a magazine of 2), which the re-simulation must then play too.
Verdict check_claim(const MdRecord& md, const EventRecord& events, const Authentication& auth,
                    const EditionFacts& facts, bool& penalty);
// The re-simulation's answer (status ok or one of its refusals; not "failed").
Verdict check_simulation(const MdRecord& md, const EventRecord& events, const Simulation& s);

}  // namespace server
