// SPDX-License-Identifier: GPL-3.0-or-later
// Uploads end to end: games played in this process by the tests' aimed player are sent, with the
// game's own encoding, to the real server binary, which re-simulates them in its verifiers.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "game/gfx/layers.h"
#include "game/gfx/picture.h"
#include "game/gfx/sprites.h"
#include "game/qzX/replay.h"
#include "game/qzX/replay_tolerance.h"
#include "game/resources/archive.h"
#include "game/text/font.h"
#include "game/text/texts.h"
#include "server/verifier.h"
#include "tests/aimed_player.h"
#include "tests/gfx_fixture.h"
#include "tests/server_test_support.h"

using namespace test_support;
using server_test::ServerProcess;

namespace {

// The game's XL archive in this process, as the game loads it.
class Games : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    gfxtest::open_display();
    res::use_data_archive = true;
    ASSERT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").string().c_str()), 1);
    // The fingerprint sums every load of the process; the game loads once, so do we.
    gfx::reset_fingerprint();
    text::load_texts();
    gfx::load_catalogue();
    gfx::hide_loading_screen();
    text::load_font();
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < gfx::sprite_slots; ++i) gfx::release_sprite(i);
    gfx::release_layer_pictures();
    text::release_font();
    res::xfdone();
  }
  void SetUp() override {
    reset_app_state();
    app::edition = app::edition_xl;
  }
  // A whole game at about 60 frames a second; every seed gives another game.
  static qzx::Recording play(std::uint32_t seed) {
    AimedPlayer player;
    player.state = seed;
    qzx::Recording game = play_whole_game(player, {16, 17, 0, 0, seed}, 1262304000 + seed * 1000, seed % 1000);
    EXPECT_GT(game.score, 0);
    return game;
  }
};

std::vector<std::uint8_t> frame_log_copy() { return {qzx::frame_log, qzx::frame_log + qzx::frame_log_size}; }
void put_frame_log(const std::vector<std::uint8_t>& bytes) {
  std::memcpy(qzx::frame_log, bytes.data(), bytes.size());
  qzx::record_finish();
}

// The re-simulation from the replay text alone, in this process.
qzx::ReplayResult replay_here(const std::string& text) {
  qzx::DecodedReplay d;
  EXPECT_TRUE(qzx::decode_replay_text(text.c_str(), text.size(), d));
  qzx::Recording r;
  EXPECT_TRUE(qzx::recording_from_upload(d, false, r));
  XFREE(d.frame_log_bytes);
  return qzx::simulate_recording(r, qzx::ClockSource::reconstructed);
}

// ---- the verifiers ---------------------------------------------------------------------------

TEST_F(Games, AVerifierKnowsItsEditionAsTheGameDoesAndReplaysAnUpload) {
  // The game's input at 100 frames a second, where the 40-frame average makes the frame time
  // 589, below the 10 ms of a single frame: played again here, it leaves its logs behind.
  qzx::Recording game = play(11);
  for (qzx::RecordedFrame& f : game.frames) f.frame_time = 589;
  const qzx::ReplayResult played = qzx::simulate_recording(game, qzx::ClockSource::recorded);
  game.score = played.score;
  game.events = played.events;
  qzx::record_finish();
  const std::string replay = qzx::replay_text();
  server::VerifierPool pool((bin_dir() / "grumboldx-server").string(), data_dir().string(), 1);
  std::string report;
  ASSERT_TRUE(pool.start(report)) << report;
  const server::EditionFacts* facts = pool.facts(2);
  ASSERT_NE(facts, nullptr);
  EXPECT_EQ(facts->fingerprint, gfx::graphics_fingerprint());
  EXPECT_EQ(facts->integrity_normal, qzx::integrity_text());
  EXPECT_NE(facts->integrity_penalty, facts->integrity_normal);
  ASSERT_NE(pool.facts(1), nullptr);
  EXPECT_NE(pool.facts(1)->fingerprint, facts->fingerprint);

  const server::Simulation s = pool.simulate(2, false, replay);
  ASSERT_EQ(s.status, server::Simulation::Status::ok);
  EXPECT_TRUE(s.crc_ok);
  EXPECT_TRUE(s.finished);
  EXPECT_EQ(s.frames, played.frames_run);
  EXPECT_EQ(s.start_seconds, game.start_seconds);
  EXPECT_EQ(s.digest.size(), 64u);
  EXPECT_TRUE(qzx::compare_games(game.events, game.score, s.events, s.score).within);
  // The same game in this process: the verifier is the game.
  const qzx::ReplayResult here = replay_here(replay);
  EXPECT_EQ(s.score, here.score);
  EXPECT_EQ(qzx::first_event_difference(s.events, here.events), -1);
  // The timeline gives each event the start of the frame that logged it, and the score after
  // each change, as this process sees the same re-simulation frame by frame.
  qzx::DecodedReplay d;
  ASSERT_TRUE(qzx::decode_replay_text(replay.c_str(), replay.size(), d));
  qzx::Recording upload;
  ASSERT_TRUE(qzx::recording_from_upload(d, false, upload));
  XFREE(d.frame_log_bytes);
  const std::vector<std::int64_t> starts = qzx::frame_start_times_ms(upload);
  std::vector<std::int64_t> event_ms;
  std::vector<std::pair<std::int64_t, std::int32_t>> changes;
  std::int32_t last_score = 0;
  int logged = 0;
  const qzx::ReplayResult timed = qzx::simulate_recording(upload, qzx::ClockSource::reconstructed, [&](int frame) {
    // What the frame before this one logged and scored (before the first: at its start).
    const std::int64_t at = frame > 0 ? starts[static_cast<std::size_t>(frame - 1)] : 0;
    for (; logged < qzx::event_count(); ++logged) event_ms.push_back(at);
    if (qzx::score() != last_score) changes.emplace_back(at, last_score = qzx::score());
  });
  for (; logged < static_cast<int>(timed.events.size()); ++logged) event_ms.push_back(starts[starts.size() - 2]);
  if (timed.score != last_score) changes.emplace_back(starts[starts.size() - 2], timed.score);
  ASSERT_EQ(s.timeline.events.size(), s.events.size());
  for (std::size_t i = 0; i < s.events.size(); ++i) {
    EXPECT_EQ(s.timeline.events[i].code, s.events[i].code);
    EXPECT_EQ(s.timeline.events[i].ms, event_ms[i]) << "event " << i;
  }
  ASSERT_EQ(s.timeline.scores.size(), changes.size());
  for (std::size_t i = 0; i < changes.size(); ++i) {
    EXPECT_EQ(s.timeline.scores[i].ms, changes[i].first);
    EXPECT_EQ(s.timeline.scores[i].score, changes[i].second);
  }
  EXPECT_EQ(s.timeline.scores.back().score, s.score);
  EXPECT_EQ(s.timeline.length_ms, starts.back());

  // A verifier killed from outside is replaced by the next job.
  const std::vector<pid_t> before = pool.pids();
  ASSERT_EQ(before.size(), 3u);
  for (pid_t pid : before) kill(pid, SIGKILL);
  const server::Simulation again = pool.simulate(2, false, replay);
  EXPECT_EQ(again.status, server::Simulation::Status::ok);
  EXPECT_EQ(again.digest, s.digest);
}

TEST_F(Games, IdleVerifiersKilledFromOutsideAreReapedAndReplaced) {
  play(14);
  const std::string replay = qzx::replay_text();
  server::VerifierPool pool((bin_dir() / "grumboldx-server").string(), data_dir().string(), 2);
  std::string report;
  ASSERT_TRUE(pool.start(report)) << report;
  // Two jobs at once: edition XL gets its second verifier.
  std::thread other([&] { pool.simulate(2, false, replay); });
  pool.simulate(2, false, replay);
  other.join();
  const std::vector<pid_t> pids = pool.pids();
  ASSERT_EQ(pids.size(), 4u);
  for (pid_t pid : pids) kill(pid, SIGKILL);
  // Reaped, not counted: no zombie stays behind.
  int running = -1;
  for (int i = 0; i < 100 && running != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    running = pool.running();
  }
  EXPECT_EQ(running, 0);
  for (pid_t pid : pids) EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(pid))) << pid;
  // The next job gets a fresh verifier, not a dead one.
  EXPECT_EQ(pool.simulate(2, false, replay).status, server::Simulation::Status::ok);
}

TEST_F(Games, AVerifierRefusesWhatIsNotAGameOfItsEdition) {
  play(12);
  const std::vector<std::uint8_t> original = frame_log_copy();
  server::VerifierPool pool((bin_dir() / "grumboldx-server").string(), data_dir().string(), 1);
  std::string report;
  ASSERT_TRUE(pool.start(report)) << report;
  using Status = server::Simulation::Status;
  EXPECT_EQ(pool.simulate(1, false, qzx::replay_text()).status, Status::other_edition);
  for (const std::string& text : {std::string(""), std::string("zz"), std::string(64, '0'),
                                  std::string(qzx::replay_text()).substr(0, 200)})
    EXPECT_EQ(pool.simulate(2, false, text).status, Status::unreadable) << text.substr(0, 40);
  // A cursor below the picture is no input the game records.
  std::vector<std::uint8_t> changed = original;
  std::uint32_t input = 0;
  std::memcpy(&input, changed.data() + 20 + 8 * 5 + 4, 4);
  input = (input & ~(1023u << 10)) | (700u << 10);
  std::memcpy(changed.data() + 20 + 8 * 5 + 4, &input, 4);
  put_frame_log(changed);
  EXPECT_EQ(pool.simulate(2, false, qzx::replay_text()).status, Status::implausible);
  put_frame_log(original);
  EXPECT_EQ(pool.facts(4), nullptr);
  EXPECT_EQ(pool.simulate(0, false, qzx::replay_text()).status, Status::failed);
}

// ---- the server ------------------------------------------------------------------------------

// The results the server kept, oldest first: verified flag and reason.
std::vector<std::pair<bool, std::string>> kept_results(const ServerProcess& s) {
  std::vector<std::pair<bool, std::string>> out;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(s.database().c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) return out;
  sqlite3_stmt* q = nullptr;
  sqlite3_prepare_v2(db, "SELECT verified, reason FROM results ORDER BY id", -1, &q, nullptr);
  while (q && sqlite3_step(q) == SQLITE_ROW)
    out.emplace_back(sqlite3_column_int(q, 0) != 0, reinterpret_cast<const char*>(sqlite3_column_text(q, 1)));
  sqlite3_finalize(q);
  sqlite3_close(db);
  return out;
}

bool starts_with(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

class Uploads : public Games {
 protected:
  static void SetUpTestSuite() {
    Games::SetUpTestSuite();
    server_ = new ServerProcess();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    Games::TearDownTestSuite();
  }
  void SetUp() override {
    Games::SetUp();
    ASSERT_TRUE(server_->started());
  }
  // Authenticates and uploads; the upload's reply.
  static std::string send(const server_test::GameUpload& u) {
    const std::string auth = server_->post_game(u.authenticate);
    EXPECT_TRUE(starts_with(auth, "Action=Continue\n")) << auth;
    EXPECT_NE(auth.find("\nlogtype=full\n"), std::string::npos);
    return server_->post_game(u.upload);
  }
  static ServerProcess* server_;
};
ServerProcess* Uploads::server_ = nullptr;

TEST_F(Uploads, AnHonestGameIsVerifiedAndListed) {
  ASSERT_EQ(server_->register_account("Ehrlich", "geheim12"), 201);
  const qzx::Recording game = play(21);
  const std::string reply = send(server_test::encode_upload(server_test::honest_parts("Ehrlich", "geheim12", game.score)));
  EXPECT_TRUE(starts_with(reply, "Action=Continue\ntext=Gepr\xFC" "ft! Dein Ergebnis von " +
                                     std::to_string(game.score) + " Punkten steht auf Platz "))
      << reply;
  EXPECT_NE(reply.find("\nhtml=<html>"), std::string::npos);
  const auto page = server_->client().Get("/list/xl");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find(">Ehrlich</a></td><td class=\"num\">" + std::to_string(game.score) + "</td>"),
            std::string::npos);
  EXPECT_NE(page->body.find("<span class=\"mark\""), std::string::npos);
}

TEST_F(Uploads, ChangedUploadsAreRefusedWithTheirReasonAndNeverListed) {
  ASSERT_EQ(server_->register_account("Mogler", "geheim12"), 201);
  const qzx::Recording game = play(22);
  const server_test::UploadParts honest = server_test::honest_parts("Mogler", "geheim12", game.score);
  const std::vector<std::uint8_t> original_frames = frame_log_copy();
  const std::size_t before = kept_results(*server_).size();
  const auto listed = [] {
    const auto page = server_->client().Get("/list/xl");
    std::size_t n = 0;
    for (std::size_t at = 0; page && (at = page->body.find(">Mogler</a></td>", at)) != std::string::npos; ++at) ++n;
    return n;
  };

  struct Cheat {
    const char* name;
    const char* reason;
    const char* says;
    server_test::GameUpload upload;
  };
  std::vector<Cheat> cheats;
  {
    server_test::UploadParts p = honest;
    p.score += 5;
    cheats.push_back({"a higher score", "score", "die Punktzahl passt nicht", server_test::encode_upload(p)});
  }
  {
    server_test::UploadParts p = honest;
    p.check_text[10] = p.check_text[10] == '0' ? '1' : '0';
    cheats.push_back({"another fingerprint", "fingerprint", "Grafikdaten", server_test::encode_upload(p)});
  }
  {
    server_test::UploadParts p = honest;
    p.check_text[256 + 8 * 3] = p.check_text[256 + 8 * 3] == '0' ? '1' : '0';  // the spawn range
    cheats.push_back({"changed rules", "integrity", "Spielregeln", server_test::encode_upload(p)});
  }
  {
    // The first event's time moved by 4 s.
    std::int16_t value = 0;
    std::memcpy(&value, qzx::event_log + 32 + 2, 2);
    const std::int16_t moved = static_cast<std::int16_t>(value + 400);
    std::memcpy(qzx::event_log + 32 + 2, &moved, 2);
    cheats.push_back({"a changed event", "events", "Ereignisse passen nicht", server_test::encode_upload(honest)});
    std::memcpy(qzx::event_log + 32 + 2, &value, 2);
  }
  {
    // The first click whose absence the re-simulation notices. Re-simulating here writes the
    // event log anew: the game's own is put back afterwards.
    const std::vector<std::uint8_t> events(qzx::event_log, qzx::event_log + qzx::event_log_size);
    std::vector<std::uint8_t> changed = original_frames;
    bool found = false;
    for (std::size_t i = 0; i < game.frames.size() && !found; ++i) {
      std::uint8_t* input = changed.data() + 20 + 8 * i + 4;
      if (!(input[2] & 0x40)) continue;  // bit 22: a click
      input[2] &= static_cast<std::uint8_t>(~0x40);
      put_frame_log(changed);
      const qzx::ReplayResult r = replay_here(qzx::replay_text());
      found = !qzx::compare_games(game.events, game.score, r.events, r.score).within;
      if (!found) input[2] |= 0x40;
    }
    ASSERT_TRUE(found);
    server_test::UploadParts p = honest;
    p.replay = qzx::replay_text();
    std::memcpy(qzx::event_log, events.data(), events.size());
    cheats.push_back({"a changed frame", "", "nachgespielten Spiel", server_test::encode_upload(p)});
    put_frame_log(original_frames);
  }

  for (const Cheat& c : cheats) {
    SCOPED_TRACE(c.name);
    const std::string reply = send(c.upload);
    EXPECT_TRUE(starts_with(reply, "Action=Abort\n")) << reply;
    EXPECT_NE(reply.find(c.says), std::string::npos) << reply;
    const auto kept = kept_results(*server_);
    ASSERT_FALSE(kept.empty());
    EXPECT_FALSE(kept.back().first);
    if (*c.reason) EXPECT_EQ(kept.back().second, c.reason);
    else EXPECT_TRUE(kept.back().second == "events" || kept.back().second == "score") << kept.back().second;
  }
  EXPECT_EQ(listed(), 0u);

  // The honest game is listed once. Sent again by its player (the game gave up waiting for the
  // answer, say), it is not listed twice, and the player is told that it stands in the list.
  EXPECT_TRUE(starts_with(send(server_test::encode_upload(honest)), "Action=Continue\n"));
  const std::string again = send(server_test::encode_upload(honest));
  EXPECT_TRUE(starts_with(again, "Action=Continue\n")) << again;
  EXPECT_NE(again.find("steht schon in der XL-Liste"), std::string::npos) << again;
  const auto kept = kept_results(*server_);
  ASSERT_EQ(kept.size(), before + cheats.size() + 2);
  EXPECT_TRUE(kept[kept.size() - 2].first);
  EXPECT_EQ(kept.back().second, "duplicate");
  EXPECT_EQ(listed(), 1u);
}

TEST_F(Uploads, ABonusTheReplayDoesNotGiveIsNeverListed) {
  ASSERT_EQ(server_->register_account("Bonus", "geheim12"), 201);
  const qzx::Recording game = play(24);
  {
    // The re-simulation gives this game its own score (re-simulating writes the logs anew).
    const std::vector<std::uint8_t> events(qzx::event_log, qzx::event_log + qzx::event_log_size);
    ASSERT_EQ(replay_here(qzx::replay_text()).score, game.score);
    std::memcpy(qzx::event_log, events.data(), events.size());
  }
  // A six-hit bonus added to the event record, its 20 points claimed everywhere: the bonus
  // rule lets a claim differ by the points of a moved bonus, so the game is verified, but the
  // list shows only what the re-simulation gives.
  qzx::record_event(50006, 4716);
  const std::int32_t claimed = game.score + 20;
  const std::string reply = send(server_test::encode_upload(server_test::honest_parts("Bonus", "geheim12", claimed)));
  EXPECT_TRUE(starts_with(reply, "Action=Continue\n")) << reply;
  EXPECT_NE(reply.find(std::to_string(game.score) + " statt " + std::to_string(claimed) + " Punkte"),
            std::string::npos)
      << reply;
  const auto page = server_->client().Get("/list/xl");
  ASSERT_TRUE(page);
  EXPECT_NE(page->body.find(">Bonus</a></td><td class=\"num\">" + std::to_string(game.score) + "</td>"),
            std::string::npos);
  EXPECT_EQ(page->body.find("<td class=\"num\">" + std::to_string(claimed) + "</td>"), std::string::npos);
}

TEST_F(Uploads, AGameIsListedOnceHoweverItsIdleInputIsChanged) {
  ASSERT_EQ(server_->register_account("Erster", "geheim12"), 201);
  ASSERT_EQ(server_->register_account("Zweiter", "geheim12"), 201);
  const qzx::Recording game = play(25);
  const server_test::UploadParts honest = server_test::honest_parts("Erster", "geheim12", game.score);
  EXPECT_TRUE(starts_with(send(server_test::encode_upload(honest)), "Action=Continue\n"));

  // The cursor one pixel to the right on a frame without a click where the re-simulation stays
  // the same; the frame log's checksum is made right again. Another frame log, the same game.
  const std::vector<std::uint8_t> events(qzx::event_log, qzx::event_log + qzx::event_log_size);
  const std::vector<std::uint8_t> original = frame_log_copy();
  const qzx::ReplayResult base = replay_here(qzx::replay_text());
  std::vector<std::uint8_t> changed = original;
  bool found = false;
  for (std::size_t i = game.frames.size() / 2, tries = 0; i < game.frames.size() && !found && tries < 20; ++i) {
    std::uint8_t* input = changed.data() + 20 + 8 * i + 4;
    std::uint32_t word = 0;
    std::memcpy(&word, input, 4);
    if ((word & (1u << 22)) || (word & 1023) >= 799) continue;
    ++word;
    ++tries;
    std::memcpy(input, &word, 4);
    put_frame_log(changed);
    const qzx::ReplayResult r = replay_here(qzx::replay_text());
    found = r.score == base.score && qzx::first_event_difference(r.events, base.events) == -1;
    if (!found) changed = original;
  }
  ASSERT_TRUE(found);
  std::memcpy(qzx::event_log, events.data(), events.size());
  server_test::UploadParts copy = server_test::honest_parts("Zweiter", "geheim12", game.score);
  ASSERT_NE(copy.replay, honest.replay);
  const std::string reply = send(server_test::encode_upload(copy));
  EXPECT_TRUE(starts_with(reply, "Action=Abort\n")) << reply;
  EXPECT_NE(reply.find("steht schon in der Liste"), std::string::npos) << reply;
  EXPECT_EQ(kept_results(*server_).back().second, "duplicate");
  put_frame_log(original);
}

TEST_F(Uploads, EachUploadFindsItsOwnAuthenticationWhenSeveralWait) {
  ASSERT_EQ(server_->register_account("Zwei", "geheim12"), 201);
  const qzx::Recording first = play(26);
  const server_test::GameUpload a = server_test::encode_upload(server_test::honest_parts("Zwei", "geheim12", first.score));
  const qzx::Recording second = play(27);
  const server_test::GameUpload b = server_test::encode_upload(server_test::honest_parts("Zwei", "geheim12", second.score));
  ASSERT_NE(first.score, second.score);
  // Both authenticated, then sent in the other order; one more upload claiming what neither
  // authentication carries is refused without using either.
  EXPECT_TRUE(starts_with(server_->post_game(a.authenticate), "Action=Continue\n"));
  EXPECT_TRUE(starts_with(server_->post_game(b.authenticate), "Action=Continue\n"));
  server_test::UploadParts other = server_test::honest_parts("Zwei", "geheim12", second.score + 5);
  const std::string refused = server_->post_game(server_test::encode_upload(other).upload);
  EXPECT_TRUE(starts_with(refused, "Action=Abort\n")) << refused;
  EXPECT_NE(refused.find("weichen von der Anmeldung ab"), std::string::npos) << refused;
  const std::string reply_b = server_->post_game(b.upload);
  EXPECT_TRUE(starts_with(reply_b, "Action=Continue\ntext=Gepr\xFC" "ft!")) << reply_b;
  const std::string reply_a = server_->post_game(a.upload);
  EXPECT_TRUE(starts_with(reply_a, "Action=Continue\ntext=Gepr\xFC" "ft!")) << reply_a;
}

// The game names its language in the authentication only: the upload's reply speaks it.
TEST_F(Uploads, AnUploadIsAnsweredInTheLanguageOfItsAuthentication) {
  ASSERT_EQ(server_->register_account("English", "secret12"), 201);
  server_test::UploadParts parts = server_test::honest_parts("English", "secret12", 500);
  std::string authenticate = server_test::encode_upload(parts).authenticate;
  authenticate.replace(authenticate.find("&lang=0007&"), 11, "&lang=0009&");
  const std::string auth = server_->post_game(authenticate);
  EXPECT_TRUE(starts_with(auth, "Action=Continue\ntext=Hello English!")) << auth;
  parts.score = 505;  // not what the authentication claims
  const std::string reply = server_->post_game(server_test::encode_upload(parts).upload);
  EXPECT_TRUE(starts_with(reply, "Action=Abort\ntext=Your result of 505 points was not accepted: the score or the "
                                 "edition differs from the sign-in.\n"))
      << reply;
}

TEST_F(Uploads, WrongAccountsAndMalformedRequestsStoreNothing) {
  ASSERT_EQ(server_->register_account("Vorsicht", "geheim12"), 201);
  const qzx::Recording game = play(23);
  const std::size_t before = kept_results(*server_).size();

  const server_test::GameUpload stranger =
      server_test::encode_upload(server_test::honest_parts("Unbekannt", "geheim12", game.score));
  std::string reply = server_->post_game(stranger.authenticate);
  EXPECT_TRUE(starts_with(reply, "Action=Abort\n")) << reply;
  EXPECT_NE(reply.find(server_->base() + "/register/xl"), std::string::npos) << reply;

  const server_test::GameUpload wrong =
      server_test::encode_upload(server_test::honest_parts("Vorsicht", "geheim13", game.score));
  reply = server_->post_game(wrong.authenticate);
  EXPECT_TRUE(starts_with(reply, "Action=Retry\n")) << reply;

  // An upload whose md record names another password, and one without an authentication.
  const server_test::GameUpload honest =
      server_test::encode_upload(server_test::honest_parts("Vorsicht", "geheim12", game.score));
  EXPECT_TRUE(starts_with(server_->post_game(honest.authenticate), "Action=Continue\n"));
  EXPECT_TRUE(starts_with(server_->post_game(wrong.upload), "Action=Abort\n"));
  EXPECT_TRUE(starts_with(server_->post_game(stranger.upload), "Action=Abort\n"));

  const std::string md = honest.upload.substr(honest.upload.find("&md=") + 4, 712);
  const std::string el_and_rest = honest.upload.substr(honest.upload.find("&el="));
  std::string flipped_md = md;
  flipped_md[100] = flipped_md[100] == '0' ? '1' : '0';
  std::string flipped_el = honest.upload;
  const std::size_t el_at = flipped_el.find("&el=") + 4 + 80;
  flipped_el[el_at] = flipped_el[el_at] == '0' ? '1' : '0';
  const std::string garbage[] = {
      "",
      "hello",
      "type=Upload",
      "type=Upload&md=" + md + "&comp=false&logtype=none",                      // no recording
      "type=Upload&md=" + flipped_md + el_and_rest,                              // final checksum
      flipped_el,                                                                // event checksum
      "type=Upload&md=" + md + "&el=00&replay=00&comp=false&logtype=full",
      std::string(5000, '&'),
      "type=Authenticate&user=Vorsicht&pass=geheim12&version=V1.1&vtype=9&score=1&ienv=1&noyb=1",
      "type=Authenticate&user=Vorsicht&pass=geheim12&version=V2.0&vtype=2&score=1&ienv=1&noyb=1",
  };
  for (const std::string& body : garbage) {
    SCOPED_TRACE(body.substr(0, 60));
    reply = server_->post_game(body);
    EXPECT_TRUE(starts_with(reply, "Action=Abort\n")) << reply.substr(0, 200);
  }
  // The authentication is still there: the honest upload goes through after all that.
  EXPECT_TRUE(starts_with(server_->post_game(honest.upload), "Action=Continue\n"));
  // And an upload after its authentication was used gets Retry: the game may send again. Nothing
  // ran out: the reply does not say so.
  reply = server_->post_game(honest.upload);
  EXPECT_TRUE(starts_with(reply, "Action=Retry\n")) << reply;
  EXPECT_EQ(reply.find("abgelaufen"), std::string::npos) << reply;
  EXPECT_NE(reply.find("keine offene Anmeldung"), std::string::npos) << reply;
  const auto kept = kept_results(*server_);
  ASSERT_EQ(kept.size(), before + 1);
  EXPECT_TRUE(kept.back().first);
}

}  // namespace
