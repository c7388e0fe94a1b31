// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/qzX/replay_tolerance.h"

#include <cstdlib>

namespace qzx {

namespace {

constexpr int marker_code = 50000;
constexpr int first_bonus = 50003, last_bonus = 50006;
constexpr int first_noise = 50011, last_noise = 50020;
constexpr int beyond_clock = 9999;

struct Entry {
  int code;
  int value;
  int place;  // core events before it
};

struct Parts {
  std::vector<Entry> core, markers, bonuses;
  std::vector<Entry> all;                   // in order, noise blocks as one entry of code 50011
};

Parts split(const std::vector<qzx::EventEntry>& events) {
  Parts p;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const int code = events[i].code;
    const int place = static_cast<int>(p.core.size());
    Entry e{code, events[i].value, place};
    if (code >= first_noise && code <= last_noise) {
      e.code = first_noise;
      i += static_cast<std::size_t>(code - (first_noise - 1));  // its raw pairs
    } else if (code == marker_code) {
      p.markers.push_back(e);
    } else if (code >= first_bonus && code <= last_bonus) {
      p.bonuses.push_back(e);
    } else {
      p.core.push_back(e);
    }
    p.all.push_back(e);
  }
  return p;
}

bool times_agree(int a, int b, int slack = time_slack) {
  return a == beyond_clock || b == beyond_clock || std::abs(a - b) <= slack;
}

std::string describe(const char* what, std::size_t index, const Entry& u, const Entry& s) {
  return std::string(what) + " " + std::to_string(index) + ": uploaded " + std::to_string(u.code) + "@" +
         std::to_string(u.value) + ", replayed " + std::to_string(s.code) + "@" + std::to_string(s.value);
}

}  // namespace

std::vector<int> core_codes(const std::vector<qzx::EventEntry>& events) {
  std::vector<int> out;
  for (const Entry& e : split(events).core) out.push_back(e.code);
  return out;
}

int bonus_points(int code) { return code >= first_bonus && code <= last_bonus ? 5 * (code - 50000) - 10 : 0; }

Agreement compare_games(const std::vector<qzx::EventEntry>& uploaded, std::int32_t claimed_score,
                        const std::vector<qzx::EventEntry>& simulated, std::int32_t simulated_score) {
  Agreement a;
  const Parts u = split(uploaded), s = split(simulated);

  if (u.core.size() != s.core.size()) {
    a.why = "core events: uploaded " + std::to_string(u.core.size()) + ", replayed " + std::to_string(s.core.size());
    return a;
  }
  for (std::size_t i = 0; i < u.core.size(); ++i)
    if (u.core[i].code != s.core[i].code || !times_agree(u.core[i].value, s.core[i].value)) {
      a.why = describe("core event", i, u.core[i], s.core[i]);
      return a;
    }

  if (u.markers.size() != s.markers.size()) {
    a.why = "markers: uploaded " + std::to_string(u.markers.size()) + ", replayed " + std::to_string(s.markers.size());
    return a;
  }
  for (std::size_t i = 0; i < u.markers.size(); ++i)
    if (std::abs(u.markers[i].place - s.markers[i].place) > move_slack) {
      a.why = describe("marker", i, u.markers[i], s.markers[i]);
      return a;
    }

  // Bonuses: pair them in order; what stays unpaired or changes its code is a difference.
  int differences = 0;
  std::int64_t points = 0;  // uploaded minus replayed, over the differing bonuses
  std::size_t i = 0, j = 0;
  while (i < u.bonuses.size() || j < s.bonuses.size()) {
    if (i < u.bonuses.size() && j < s.bonuses.size()) {
      const Entry& x = u.bonuses[i];
      const Entry& y = s.bonuses[j];
      if (times_agree(x.value, y.value, bonus_time_slack) && std::abs(x.place - y.place) <= move_slack) {
        if (x.code != y.code) {
          ++differences;
          points += bonus_points(x.code) - bonus_points(y.code);
        }
        ++i;
        ++j;
        continue;
      }
      // The earlier one has no partner.
      const bool uploaded_first = x.place < y.place || (x.place == y.place && x.value <= y.value);
      ++differences;
      if (uploaded_first) {
        points += bonus_points(x.code);
        ++i;
      } else {
        points -= bonus_points(y.code);
        ++j;
      }
      continue;
    }
    ++differences;
    if (i < u.bonuses.size())
      points += bonus_points(u.bonuses[i++].code);
    else
      points -= bonus_points(s.bonuses[j++].code);
  }
  a.bonus_differences = differences;
  if (differences > max_bonus_differences) {
    a.why = std::to_string(differences) + " bonuses differ";
    return a;
  }
  a.events_agree = true;
  if (points > max_bonus_points || points < -max_bonus_points) {
    a.why = "differing bonuses worth " + std::to_string(points) + " points";
    return a;
  }
  if (static_cast<std::int64_t>(claimed_score) != static_cast<std::int64_t>(simulated_score) + points) {
    a.why = "score: claimed " + std::to_string(claimed_score) + ", replayed " + std::to_string(simulated_score) +
            (differences ? ", differing bonuses worth " + std::to_string(points) : std::string());
    return a;
  }
  a.within = true;
  // Exact: every code in its place (noise blocks as one) and the same score.
  a.exact = differences == 0 && claimed_score == simulated_score && u.all.size() == s.all.size();
  for (std::size_t k = 0; a.exact && k < u.all.size(); ++k) a.exact = u.all[k].code == s.all[k].code;
  a.why = a.exact ? "exact" : differences ? std::to_string(differences) + " bonus(es) moved by the clock estimate"
                                          : "events moved by the clock estimate";
  return a;
}

}  // namespace qzx
