// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/judge.h"

#include "game/qzX/replay_tolerance.h"

namespace server {

namespace {

Verdict refuse(const char* code, std::string detail) { return Verdict{false, false, code, std::move(detail)}; }

}  // namespace

Verdict check_claim(const MdRecord& md, const EventRecord& events, const Authentication& auth,
                    const EditionFacts& facts, bool& penalty) {
  if (md.version != "V1.1") return refuse(reason::version, "version " + md.version);
  if (md.edition != auth.edition || md.score != auth.score)
    return refuse(reason::claim, "upload: edition " + std::to_string(md.edition) + ", score " +
                                     std::to_string(md.score) + "; authentication: edition " +
                                     std::to_string(auth.edition) + ", score " + std::to_string(auth.score));
  if (md.edition != facts.edition || md.fingerprint != facts.fingerprint)
    return refuse(reason::fingerprint, "fingerprint " + md.fingerprint.substr(0, 16) + "...");
  if (md.integrity == facts.integrity_normal)
    penalty = false;
  else if (md.integrity == facts.integrity_penalty)
    penalty = true;
  else
    return refuse(reason::integrity, "integrity values " + md.integrity);
  if (events.final_score != md.score)
    return refuse(reason::score, "event record score " + std::to_string(events.final_score) + ", claimed " +
                                     std::to_string(md.score));
  if (check_word_1(events) != auth.check_word_1 || check_word_2(events) != auth.check_word_2)
    return refuse(reason::check_words, "counters give " + std::to_string(check_word_1(events)) + "/" +
                                           std::to_string(check_word_2(events)) + ", authentication sent " +
                                           std::to_string(auth.check_word_1) + "/" +
                                           std::to_string(auth.check_word_2));
  return Verdict{true, false, "", ""};
}

Verdict check_simulation(const MdRecord& md, const EventRecord& events, const Simulation& s) {
  switch (s.status) {
    case Simulation::Status::ok: break;
    case Simulation::Status::unreadable: return refuse(reason::replay, "replay text unreadable");
    case Simulation::Status::implausible: return refuse(reason::replay, "input outside what the game records");
    case Simulation::Status::other_edition: return refuse(reason::replay, "frame log of another edition");
    case Simulation::Status::failed: return refuse(reason::replay, "no re-simulation");
  }
  if (!s.crc_ok) return refuse(reason::replay, "frame log CRC differs");
  if (s.start_seconds != events.start_seconds || s.start_millis != events.start_millis)
    return refuse(reason::replay, "frame log and event record start at different times");
  if (!s.finished)
    return refuse(reason::replay, "the game does not end on the last of its " + std::to_string(s.frames) + " frames");
  const qzx::Agreement a = qzx::compare_games(events.events, md.score, s.events, s.score);
  if (!a.within) return refuse(a.events_agree ? reason::score : reason::events, a.why);
  return Verdict{true, a.exact, a.exact ? "exact" : "tolerance", a.why};
}

}  // namespace server
