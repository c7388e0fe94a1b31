// SPDX-License-Identifier: GPL-3.0-or-later
// How often a game re-simulated from the upload's data alone agrees with the game as played.
// The upload carries the frame log (frame times and input of every frame, with the round
// clock's whole seconds and the time-over bit) and the start time, but not the round clock
// itself, which runs on the frames' real lengths; the re-simulation estimates it. Games are
// played in this process by the aimed player at many frame paces, in editions XS, XL and XXL
// (whose games go on into the yard), and each is replayed twice: exactly from its full
// recording, and from the decoded replay text. "within": accepted by the tolerance rule; "full":
// of those, listed with the whole claimed score (the list shows the re-simulation's score where
// a bonus it does not give makes the claim larger).
//
//   replay_agreement [games per pace]   (default 4: 3 editions x 8 paces x 4 = 96 games)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/gfx/layers.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/replay_tolerance.h"
#include "game/resources/archive.h"
#include "game/resources/memory.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"

namespace {

struct Pace {
  const char* name;
  test_support::FrameLengths lengths;
};
const Pace paces[] = {
    {"10 ms steady", {10, 10, 0, 0, 0}},
    {"16-17 ms", {16, 17, 0, 0, 0}},
    {"33 ms steady", {33, 33, 0, 0, 0}},
    {"10-40 ms uneven", {10, 40, 0, 0, 0}},
    {"15-18, stall 150 ms", {15, 18, 150, 90, 0}},
    {"20-25, stall 400 ms", {20, 25, 400, 300, 0}},
    {"50-100 ms slow", {50, 100, 0, 0, 0}},
    {"11-13 ms", {11, 13, 0, 0, 0}},
};

std::vector<qzx::EventEntry> normalised(const std::vector<qzx::EventEntry>& events) {
  std::vector<qzx::EventEntry> out;
  for (std::size_t i = 0; i < events.size(); ++i) {
    out.push_back(events[i]);
    if (events[i].code >= 50011 && events[i].code <= 50020) {
      i += events[i].code - 50010;
      out.back().code = 50011;  // the block's length follows the noise state, not carried
    }
  }
  return out;
}

struct Row {
  int games = 0, exact = 0, score_same = 0, codes_same = 0, values_same = 0, within = 0, full = 0;
  int worst_value = 0;       // hundredths
  double worst_clock = 0;    // ms
  int values_off = 0, values_total = 0;
};

void load_edition(const char* name) {
  static bool loaded = false;
  if (loaded) {
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    res::xfdone();
  }
  loaded = true;
  const std::string path = std::string(GRUMBOLDX_DATA_DIR) + "/" + name + "/grumboldX.dat";
  if (res::xfinit(path.c_str()) != 1) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    std::exit(1);
  }
  gfx::load_catalogue();
  gfx::hide_loading_screen();
}

}  // namespace

int main(int argc, char** argv) {
  const int per_pace = argc > 1 ? std::max(1, std::atoi(argv[1])) : 4;
  gfxtest::open_display();
  res::use_data_archive = true;
  Row total;
  int yard_games = 0;  // games that went on into the yard
  std::printf("%-8s %-22s %5s %6s %6s %6s %7s %6s %5s %11s %10s\n", "edition", "pace", "games", "exact",
              "score", "codes", "values", "within", "full", "worst value", "worst clock");
  for (const char* edition : {"XS", "XL", "XXL"}) {
    load_edition(edition);
    app::edition = edition[1] == 'S' ? app::edition_xs : edition[2] == 'L' ? app::edition_xxl : app::edition_xl;
    // XXL's games go on into the yard: it is opened shortly before the first scene ends, in play
    // and in both re-simulations alike.
    const bool yard = app::edition == app::edition_xxl;
    int game_number = 0;
    for (const Pace& pace : paces) {
      Row row;
      for (int g = 0; g < per_pace; ++g, ++game_number) {
        test_support::AimedPlayer player;
        player.state = 1000u + static_cast<std::uint32_t>(game_number) * 7919u;
        player.miss_percent = 10 + (game_number * 13) % 40;
        test_support::FrameLengths lengths = pace.lengths;
        lengths.seed = 77u + static_cast<std::uint32_t>(game_number);
        int yard_frame = -1;
        const qzx::Recording game = test_support::play_whole_game(
            player, lengths, 1262304000u + static_cast<std::uint32_t>(game_number) * 3607u,
            static_cast<std::uint32_t>(game_number * 37 % 1000),
            yard ? test_support::yard_opener(yard_frame) : std::function<void(int)>{});
        const auto before_frame = yard ? test_support::yard_opener_at(yard_frame) : std::function<void(int)>{};
        const std::string text = qzx::replay_text();
        ++row.games;
        if (std::any_of(game.events.begin(), game.events.end(),
                        [](const qzx::EventEntry& e) { return e.code == 50002; }))
          ++yard_games;

        const qzx::ReplayResult exact = qzx::simulate_recording(game, qzx::ClockSource::recorded, before_frame);
        if (exact.score == game.score && qzx::first_event_difference(exact.events, game.events) < 0)
          ++row.exact;

        qzx::DecodedReplay decoded;
        qzx::Recording upload;
        if (!qzx::decode_replay_text(text.c_str(), text.size(), decoded) ||
            !qzx::recording_from_upload(decoded, false, upload)) {
          std::printf("  game %d: the replay text does not decode\n", game_number);
          continue;
        }
        XFREE(decoded.frame_log_bytes);
        const std::vector<std::int32_t> clock = qzx::estimate_round_clock(upload);
        for (std::size_t i = 0; i < clock.size(); ++i)
          row.worst_clock = std::max(row.worst_clock,
                                     std::abs(double(clock[i]) - game.frames[i].round_time) * 1000 / 65536);
        const qzx::ReplayResult again =
            qzx::simulate_recording(upload, qzx::ClockSource::reconstructed, before_frame);
        if (qzx::compare_games(game.events, game.score, again.events, again.score).within) {
          ++row.within;
          // Listed with what the re-simulation supports: the whole claim unless it is lower.
          if (again.score >= game.score) ++row.full;
        }
        if (again.score == game.score) ++row.score_same;
        else
          std::printf("  game %d (%s, %s): score %d, played %d\n", game_number, edition, pace.name,
                      again.score, game.score);
        const auto a = normalised(again.events), b = normalised(game.events);
        bool codes = a.size() == b.size();
        bool values = codes;
        for (std::size_t i = 0; codes && i < a.size(); ++i) {
          if (a[i].code != b[i].code) {
            codes = values = false;
            std::printf("  game %d (%s, %s): event %zu is %u, played %u\n", game_number, edition,
                        pace.name, i, a[i].code, b[i].code);
            break;
          }
          if (a[i].code == 50000) continue;  // a score accumulator, equal with equal scores
          ++row.values_total;
          const int d = std::abs(a[i].value - b[i].value);
          if (d) ++row.values_off, values = false;
          row.worst_value = std::max(row.worst_value, d);
        }
        if (codes) ++row.codes_same;
        if (values) ++row.values_same;
      }
      std::printf("%-8s %-22s %5d %6d %6d %6d %7d %6d %5d %11d %9.1f\n", edition, pace.name, row.games,
                  row.exact, row.score_same, row.codes_same, row.values_same, row.within, row.full,
                  row.worst_value, row.worst_clock);
      total.games += row.games;
      total.exact += row.exact;
      total.score_same += row.score_same;
      total.codes_same += row.codes_same;
      total.values_same += row.values_same;
      total.within += row.within;
      total.full += row.full;
      total.values_off += row.values_off;
      total.values_total += row.values_total;
      total.worst_value = std::max(total.worst_value, row.worst_value);
      total.worst_clock = std::max(total.worst_clock, row.worst_clock);
    }
  }
  std::printf("%-8s %-22s %5d %6d %6d %6d %7d %6d %5d %11d %9.1f\n", "all", "", total.games, total.exact,
              total.score_same, total.codes_same, total.values_same, total.within, total.full,
              total.worst_value, total.worst_clock);
  std::printf("games in the yard: %d\n", yard_games);
  std::printf("event times off: %d of %d (%.1f %%)\n", total.values_off, total.values_total,
              total.values_total ? 100.0 * total.values_off / total.values_total : 0.0);
  return 0;
}
