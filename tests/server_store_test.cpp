// SPDX-License-Identifier: GPL-3.0-or-later
// The server's store, the same tests on SQLite and on PostgreSQL. The PostgreSQL cases run on a
// throwaway cluster that this program starts in a scratch folder (as the "postgres" user when
// the tests run as root, since the server refuses root) and stops again; they are skipped only
// when PostgreSQL's programs are not installed.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <filesystem>
#include <pqxx/pqxx>
#include <thread>

#include "server/schema.h"
#include "server/store.h"
#include "tests/postgres_cluster.h"
#include "tests/test_support.h"

using namespace server;
namespace fs = std::filesystem;

namespace {

// One cluster for the whole program.
test_support::PostgresCluster& cluster() {
  static test_support::PostgresCluster c;
  return c;
}

// ---- the two stores side by side --------------------------------------------------------------

enum class Kind { sqlite, postgres };

class StoreTest : public testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    if (GetParam() == Kind::postgres) {
      test_support::PostgresCluster& c = cluster();
      if (!c.running() && c.installed()) ADD_FAILURE() << c.why_not();
      if (!c.running()) GTEST_SKIP() << c.why_not();
      spec_ = c.fresh_database();
    } else {
      spec_ = (dir_ / "highscores.db").string();
    }
    store_ = open_store(spec_);
  }
  // Sets the schema's version behind the store's back.
  void set_version(int v) { raw("UPDATE schema_version SET version = " + std::to_string(v)); }
  // Runs statements on the database behind the store's back.
  void raw(const std::string& sql) {
    if (GetParam() == Kind::postgres) {
      pqxx::connection c(spec_);
      pqxx::work w(c);
      w.exec(sql);
      w.commit();
    } else {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(spec_.c_str(), &db), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    }
  }
  std::int64_t account(const std::string& name) {
    EXPECT_TRUE(store_->create_account(name, "$y$hash", 100));
    return store_->find_account(name)->id;
  }
  std::int64_t authenticate(std::int64_t account_id, std::int64_t at = 1000, std::int32_t score = 500,
                            const std::string& language = "de") {
    Authentication a;
    a.language = language;
    a.account_id = account_id;
    a.edition = 2;
    a.score = score;
    a.check_word_1 = 9000;
    a.check_word_2 = 40402;
    a.created = at;
    a.address = "127.0.0.1";
    return store_->add_authentication(a, 600);
  }
  static Result result(std::int64_t account_id, std::int32_t score, std::int64_t at, std::string digest,
                       bool verified = true) {
    Result r;
    r.account_id = account_id;
    r.edition = 2;
    r.score = r.simulated_score = r.listed_score = score;
    r.verified = verified;
    r.exact = verified;
    r.reason = verified ? "exact" : "events";
    r.digest = std::move(digest);
    r.created = at;
    r.address = "127.0.0.1";
    return r;
  }
  StoredResult store(std::int64_t account_id, std::int32_t score, std::int64_t at, const std::string& digest,
                     bool verified = true) {
    return store_->store_result(result(account_id, score, at, digest, verified), authenticate(account_id, at, score));
  }

  test_support::ScratchDir dir_;
  std::string spec_;
  std::unique_ptr<Store> store_;
};

TEST_P(StoreTest, TheSchemaIsAtItsVersionAndKeepsItsDataWhenOpenedAgain) {
  EXPECT_EQ(store_->version(), schema_version);
  account("Gustav");
  store_.reset();
  store_ = open_store(spec_);
  EXPECT_EQ(store_->version(), schema_version);
  ASSERT_TRUE(store_->find_account("Gustav"));
  EXPECT_TRUE(store_->ping());
}

TEST_P(StoreTest, ADatabaseOfALaterSchemaIsRefused) {
  store_.reset();
  set_version(schema_version + 1);
  EXPECT_THROW(open_store(spec_), StoreError);
}

TEST_P(StoreTest, NamesAreUniqueWithoutRegardToCase) {
  EXPECT_TRUE(store_->create_account("Gustav", "$y$one", 1));
  EXPECT_FALSE(store_->create_account("gUSTAV", "$y$two", 2));
  const auto a = store_->find_account("GUSTAV");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->name, "Gustav");
  EXPECT_EQ(a->password_hash, "$y$one");
  EXPECT_FALSE(store_->find_account("Gustl"));
}

TEST_P(StoreTest, AnAuthenticationOpensOneUploadAndOldOnesGo) {
  const std::int64_t gustav = account("Gustav");
  const std::int64_t old_one = authenticate(gustav, 1000);
  const std::int64_t new_one = authenticate(gustav, 1700);  // the first is older than 600 s now
  EXPECT_NE(old_one, new_one);
  auto open = store_->open_authentications(gustav, 0, 10);
  ASSERT_EQ(open.size(), 1u);
  EXPECT_EQ(open[0].id, new_one);
  EXPECT_EQ(open[0].check_word_1, 9000);
  EXPECT_TRUE(store_->open_authentications(gustav, 1701, 10).empty());
  // Several games may wait at once: newest first, as many as asked for.
  const std::int64_t third = authenticate(gustav, 1705, 700, "en");
  open = store_->open_authentications(gustav, 0, 10);
  ASSERT_EQ(open.size(), 2u);
  EXPECT_EQ(open[0].id, third);
  EXPECT_EQ(open[0].score, 700);
  EXPECT_EQ(open[0].language, "en");  // the upload's reply is written in it
  EXPECT_EQ(open[1].id, new_one);
  EXPECT_EQ(open[1].language, "de");
  EXPECT_EQ(store_->open_authentications(gustav, 0, 1).size(), 1u);

  const StoredResult first = store_->store_result(result(gustav, 500, 1710, "aa"), new_one);
  EXPECT_EQ(first.outcome, StoredResult::Outcome::stored);
  EXPECT_EQ(first.rank, 1);
  EXPECT_EQ(first.listed, 1);
  const StoredResult again = store_->store_result(result(gustav, 600, 1720, "bb"), new_one);
  EXPECT_EQ(again.outcome, StoredResult::Outcome::not_authenticated);
  EXPECT_EQ(store_->listed_count(2), 1);
  EXPECT_FALSE(store_->store_result(result(gustav, 600, 1720, "cc"), old_one).id);
}

TEST_P(StoreTest, ListsRankByScoreThenByTimeAndLeaveRefusedResultsOut) {
  const std::int64_t a = account("Anna"), b = account("Bert");
  EXPECT_EQ(store(a, 300, 10, "d1").rank, 1);
  EXPECT_EQ(store(b, 500, 20, "d2").rank, 1);
  EXPECT_EQ(store(a, 300, 30, "d3").rank, 3);  // after the earlier 300
  EXPECT_EQ(store(b, 900, 40, "d4", false).rank, 0);
  const StoredResult last = store(b, 400, 50, "d5");
  EXPECT_EQ(last.rank, 2);
  EXPECT_EQ(last.listed, 4);

  const auto page = store_->list(2, 0, 10);
  ASSERT_EQ(page.size(), 4u);
  const std::pair<std::string, int> expected[] = {{"Bert", 500}, {"Bert", 400}, {"Anna", 300}, {"Anna", 300}};
  for (std::size_t i = 0; i < page.size(); ++i) {
    EXPECT_EQ(page[i].rank, static_cast<std::int64_t>(i) + 1);
    EXPECT_EQ(page[i].name, expected[i].first);
    EXPECT_EQ(page[i].score, expected[i].second);
  }
  EXPECT_EQ(page[2].created, 10);
  const auto second = store_->list(2, 2, 2);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].rank, 3);
  EXPECT_TRUE(store_->list(1, 0, 10).empty());
  EXPECT_EQ(store_->listed_count(2), 4);
}

TEST_P(StoreTest, AResultIsListedAndRankedWithItsListedScore) {
  const std::int64_t a = account("Anna"), b = account("Bert");
  store(a, 400, 10, "d1");
  Result claimed_more = result(b, 450, 20, "d2");
  claimed_more.simulated_score = claimed_more.listed_score = 380;
  const StoredResult s = store_->store_result(claimed_more, authenticate(b, 20, 450));
  EXPECT_EQ(s.rank, 2);
  const auto page = store_->list(2, 0, 10);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[1].name, "Bert");
  EXPECT_EQ(page[1].score, 380);
  const auto kept = store_->find_result(s.id);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->score, 450) << "the claim is kept beside it";
  EXPECT_EQ(kept->listed_score, 380);
}

TEST_P(StoreTest, ResultsOfTheFirstSchemaAreListedWithWhatTheirReplaySupports) {
  store_.reset();
  const bool pg = GetParam() == Kind::postgres;
  raw("DROP TABLE video_jobs; DROP TABLE game_records; DROP TABLE results; DROP TABLE authentications; "
      "DROP TABLE accounts");
  raw(pg ? migrations[0].postgres : migrations[0].sqlite);
  raw("INSERT INTO accounts (id, name, name_key, password_hash, created) VALUES (1, 'Anna', 'anna', '$y$x', 1)");
  raw(std::string("INSERT INTO results (account_id, edition, score, simulated_score, verified, exact, reason, detail, "
                  "digest, created, address) VALUES (1, 2, 90, 70, ") +
      (pg ? "true, false" : "1, 0") + ", 'tolerance', '', 'g1', 5, ''), (1, 2, 60, 60, " +
      (pg ? "true, true" : "1, 1") + ", 'exact', '', 'g2', 6, '')");
  set_version(1);
  store_ = open_store(spec_);
  EXPECT_EQ(store_->version(), schema_version);
  const auto page = store_->list(2, 0, 10);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0].score, 70);
  EXPECT_EQ(page[1].score, 60);
}

TEST_P(StoreTest, AGameIsListedOnceAndItsCopiesAreKeptAsRefused) {
  const std::int64_t a = account("Anna"), b = account("Bert");
  EXPECT_EQ(store(a, 300, 10, "same").outcome, StoredResult::Outcome::stored);
  const StoredResult copy = store(b, 300, 20, "same");
  EXPECT_EQ(copy.outcome, StoredResult::Outcome::duplicate);
  EXPECT_EQ(copy.rank, 0);
  const auto kept = store_->find_result(copy.id);
  ASSERT_TRUE(kept);
  EXPECT_FALSE(kept->verified);
  EXPECT_EQ(kept->reason, "duplicate");
  EXPECT_EQ(kept->digest, "same");
  EXPECT_EQ(store_->listed_count(2), 1);
  const auto listed = store_->listed_result("same");
  ASSERT_TRUE(listed);
  EXPECT_EQ(listed->account_id, a);
  EXPECT_TRUE(listed->verified);
  EXPECT_FALSE(store_->listed_result("other"));
  // Refused results may share a digest, and results without one never clash.
  EXPECT_EQ(store(a, 300, 30, "same", false).outcome, StoredResult::Outcome::stored);
  EXPECT_EQ(store(a, 300, 40, "").outcome, StoredResult::Outcome::stored);
  EXPECT_EQ(store(b, 300, 50, "").outcome, StoredResult::Outcome::stored);
}

TEST_P(StoreTest, OldResultsForgetTheirAddresses) {
  const std::int64_t a = account("Anna");
  const std::int64_t old = store(a, 300, 1000, "old").id, recent = store(a, 200, 9000, "recent").id;
  EXPECT_EQ(store_->forget_addresses(5000), 1);
  EXPECT_EQ(store_->find_result(old)->address, "");
  EXPECT_EQ(store_->find_result(recent)->address, "127.0.0.1");
  EXPECT_EQ(store_->find_result(old)->score, 300) << "only the address goes";
  EXPECT_EQ(store_->forget_addresses(5000), 0);
}

TEST_P(StoreTest, AFailingStepLeavesNoHalfResult) {
  const std::int64_t a = account("Anna");
  const std::int64_t auth = authenticate(a, 1000);
  // An account that does not exist breaks the result's insert after the authentication's
  // delete: both are undone together.
  EXPECT_THROW(store_->store_result(result(a + 1000, 300, 1010, "x"), auth), StoreError);
  const auto still = store_->open_authentications(a, 0, 10);
  ASSERT_EQ(still.size(), 1u);
  EXPECT_EQ(still[0].id, auth);
  EXPECT_EQ(store_->listed_count(2), 0);
  EXPECT_EQ(store_->store_result(result(a, 300, 1010, "x"), auth).outcome, StoredResult::Outcome::stored);
}

TEST_P(StoreTest, OnlyOneOfManyConcurrentUploadsUsesAnAuthentication) {
  const std::int64_t a = account("Anna");
  const std::int64_t auth = authenticate(a, 1000);
  std::atomic<int> stored{0}, refused{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      const StoredResult r = store_->store_result(result(a, 100 + i, 1010, "g" + std::to_string(i)), auth);
      (r.outcome == StoredResult::Outcome::stored ? stored : refused)++;
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(stored.load(), 1);
  EXPECT_EQ(refused.load(), 7);
  EXPECT_EQ(store_->listed_count(2), 1);
}

// ---- listed games and their videos -------------------------------------------------------------

TEST_P(StoreTest, AListedGameKeepsItsRecordAndGetsAWaitingVideoJob) {
  const std::int64_t a = account("Anna"), b = account("Bert");
  const GameRecord record{"replay-text", true, "T1 5\nS 3 10\nE 3 101 0\n"};
  const StoredResult listed =
      store_->store_result(result(a, 300, 10, "g1"), authenticate(a, 10, 300), &record);
  ASSERT_EQ(listed.outcome, StoredResult::Outcome::stored);
  // A copy of the same game and a refused game keep nothing and get no job.
  const StoredResult copy = store_->store_result(result(b, 300, 20, "g1"), authenticate(b, 20, 300), &record);
  ASSERT_EQ(copy.outcome, StoredResult::Outcome::duplicate);
  const StoredResult refused =
      store_->store_result(result(b, 200, 30, "g2", false), authenticate(b, 30, 200), &record);

  const auto game = store_->listed_game(listed.id);
  ASSERT_TRUE(game);
  EXPECT_EQ(game->name, "Anna");
  EXPECT_EQ(game->result.listed_score, 300);
  EXPECT_EQ(game->timeline, record.timeline);
  EXPECT_EQ(game->video.state, VideoState::waiting);
  EXPECT_EQ(game->video.edition, 2);
  EXPECT_EQ(game->video.attempts, 0);
  const auto kept = store_->game_record(listed.id);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->replay, "replay-text");
  EXPECT_TRUE(kept->penalty);
  EXPECT_FALSE(store_->listed_game(copy.id));
  EXPECT_FALSE(store_->listed_game(refused.id));
  EXPECT_FALSE(store_->game_record(copy.id));
  EXPECT_FALSE(store_->listed_game(listed.id + 1000));
  // A listed game without a record (as before videos) has a page but no job.
  const StoredResult plain = store(a, 100, 40, "g3");
  ASSERT_TRUE(store_->listed_game(plain.id));
  EXPECT_EQ(store_->listed_game(plain.id)->video.state, VideoState::none);
  // The list links each entry to its page.
  const auto page = store_->list(2, 0, 10);
  ASSERT_EQ(page.size(), 2u);
  EXPECT_EQ(page[0].id, listed.id);
  EXPECT_EQ(page[1].id, plain.id);
}

// n listed games with records, oldest first: their ids.
std::vector<std::int64_t> listed_games(Store& store, std::int64_t account_id, int n, int edition = 2) {
  std::vector<std::int64_t> ids;
  for (int i = 0; i < n; ++i) {
    Authentication a;
    a.account_id = account_id;
    a.edition = edition;
    a.score = 100 + i;
    a.created = 1000 + i;
    Result r;
    r.account_id = account_id;
    r.edition = edition;
    r.score = r.simulated_score = r.listed_score = 100 + i;
    r.verified = r.exact = true;
    r.reason = "exact";
    r.digest = "game" + std::to_string(edition) + "-" + std::to_string(i);
    r.created = 1000 + i;
    const GameRecord record{"replay " + std::to_string(i), false, "T1 0\nS\nE\n"};
    ids.push_back(store.store_result(r, store.add_authentication(a, 600), &record).id);
  }
  return ids;
}

TEST_P(StoreTest, AVideoJobIsClaimedOnceRetriedAndFailsForGoodAfterItsAttempts) {
  const std::int64_t a = account("Anna");
  const std::vector<std::int64_t> ids = listed_games(*store_, a, 3);
  const unsigned xl = 1u << 2;
  EXPECT_FALSE(store_->claim_video_job("w1", 2000, 1000, 1u << 1, 3)) << "no job of edition XS";
  // The oldest first, each to one worker.
  auto first = store_->claim_video_job("w1", 2000, 1000, xl, 3);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->result_id, ids[0]);
  EXPECT_EQ(first->replay, "replay 0");
  EXPECT_EQ(first->attempts, 1);
  auto second = store_->claim_video_job("w2", 2000, 1000, xl, 3);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->result_id, ids[1]);
  EXPECT_EQ(store_->listed_game(ids[0])->video.state, VideoState::rendering);
  EXPECT_EQ(store_->listed_game(ids[0])->video.claimed_by, "w1");

  // Made: ready with its size. A worker that no longer holds a job cannot finish it.
  EXPECT_FALSE(store_->finish_video_job(ids[0], "w2", true, 999, 2100, 3));
  EXPECT_TRUE(store_->finish_video_job(ids[0], "w1", true, 4096, 2100, 3));
  const VideoJob made = store_->listed_game(ids[0])->video;
  EXPECT_EQ(made.state, VideoState::ready);
  EXPECT_EQ(made.size, 4096);
  EXPECT_EQ(made.watched, 2100);

  // A failed render waits again; the third failure is final.
  EXPECT_TRUE(store_->finish_video_job(ids[1], "w2", false, 0, 2100, 3));
  EXPECT_EQ(store_->listed_game(ids[1])->video.state, VideoState::waiting);
  for (int attempt = 2; attempt <= 3; ++attempt) {
    auto again = store_->claim_video_job("w2", 2200, 1000, xl, 3);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->result_id, ids[1]);
    EXPECT_EQ(again->attempts, attempt);
    EXPECT_TRUE(store_->finish_video_job(ids[1], "w2", false, 0, 2300, 3));
  }
  EXPECT_EQ(store_->listed_game(ids[1])->video.state, VideoState::failed);
  EXPECT_EQ(store_->listed_game(ids[1])->result.listed_score, 101) << "the listing is untouched";
  EXPECT_EQ(store_->listed_count(2), 3);

  // A job whose worker died is taken over once its claim is old ...
  auto third = store_->claim_video_job("w3", 3000, 1000, xl, 3);
  ASSERT_TRUE(third);
  EXPECT_EQ(third->result_id, ids[2]);
  EXPECT_FALSE(store_->claim_video_job("w4", 3100, 2999, xl, 3)) << "claimed at 3000: still fresh";
  auto taken_over = store_->claim_video_job("w4", 4000, 3500, xl, 3);
  ASSERT_TRUE(taken_over);
  EXPECT_EQ(taken_over->result_id, ids[2]);
  EXPECT_EQ(taken_over->attempts, 2);
  EXPECT_FALSE(store_->finish_video_job(ids[2], "w3", true, 1, 4100, 3)) << "the dead worker's claim is gone";
  // ... and one that used up its attempts that way is failed, not claimed.
  ASSERT_TRUE(store_->claim_video_job("w5", 5000, 4500, xl, 3));
  EXPECT_FALSE(store_->claim_video_job("w6", 6000, 5500, xl, 3));
  EXPECT_EQ(store_->listed_game(ids[2])->video.state, VideoState::failed);
}

TEST_P(StoreTest, TheCacheSeesReadyVideosByWatchingAndEvictedOnesWaitAgain) {
  const std::int64_t a = account("Anna");
  const std::vector<std::int64_t> ids = listed_games(*store_, a, 3);
  for (std::int64_t id : ids) {
    ASSERT_TRUE(store_->claim_video_job("w", 2000, 1000, 1u << 2, 3));
    ASSERT_TRUE(store_->finish_video_job(id, "w", true, 100 * id, 2000 + id, 3));
  }
  store_->watch_video(ids[0], 9000);
  std::vector<VideoJob> ready = store_->ready_videos();
  ASSERT_EQ(ready.size(), 3u);
  EXPECT_EQ(ready[0].result_id, ids[1]);
  EXPECT_EQ(ready[1].result_id, ids[2]);
  EXPECT_EQ(ready[2].result_id, ids[0]) << "watched last";
  EXPECT_EQ(ready[2].size, 100 * ids[0]);

  EXPECT_TRUE(store_->evict_video(ids[1]));
  EXPECT_FALSE(store_->evict_video(ids[1]));
  EXPECT_EQ(store_->listed_game(ids[1])->video.state, VideoState::evicted);
  EXPECT_EQ(store_->ready_videos().size(), 2u);
  EXPECT_TRUE(store_->request_video(ids[1]));
  EXPECT_FALSE(store_->request_video(ids[1])) << "waiting already";
  const VideoJob again = store_->listed_game(ids[1])->video;
  EXPECT_EQ(again.state, VideoState::waiting);
  EXPECT_EQ(again.attempts, 0);
  auto claimed = store_->claim_video_job("w", 9100, 1000, 1u << 2, 3);
  ASSERT_TRUE(claimed);
  EXPECT_EQ(claimed->result_id, ids[1]);
}

TEST_P(StoreTest, ManyWorkersClaimingAtOnceRenderEveryGameOnce) {
  const std::int64_t a = account("Anna");
  const std::vector<std::int64_t> ids = listed_games(*store_, a, 12);
  std::mutex mutex;
  std::vector<std::int64_t> claimed;
  std::vector<std::thread> workers;
  for (int w = 0; w < 6; ++w)
    workers.emplace_back([&, w] {
      while (auto job = store_->claim_video_job("w" + std::to_string(w), 2000, 1000, 1u << 2, 3)) {
        std::lock_guard lock(mutex);
        claimed.push_back(job->result_id);
      }
    });
  for (std::thread& t : workers) t.join();
  std::sort(claimed.begin(), claimed.end());
  EXPECT_EQ(claimed, ids);
}

TEST_P(StoreTest, ADatabaseOfTheThirdSchemaGainsTheVideoTablesAndKeepsItsList) {
  const std::int64_t a = account("Anna");
  const std::int64_t id = store(a, 300, 10, "old").id;
  store_.reset();
  raw("DROP TABLE video_jobs; DROP TABLE game_records");
  set_version(3);
  store_ = open_store(spec_);
  EXPECT_EQ(store_->version(), schema_version);
  ASSERT_EQ(store_->list(2, 0, 10).size(), 1u);
  EXPECT_EQ(store_->listed_game(id)->video.state, VideoState::none);
  const GameRecord record{"r", false, "T1 0\nS\nE\n"};
  const StoredResult fresh = store_->store_result(result(a, 500, 20, "new"), authenticate(a, 20, 500), &record);
  EXPECT_EQ(store_->listed_game(fresh.id)->video.state, VideoState::waiting);
}

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, testing::Values(Kind::sqlite, Kind::postgres),
                         [](const testing::TestParamInfo<Kind>& info) {
                           return info.param == Kind::sqlite ? std::string("SQLite") : std::string("PostgreSQL");
                         });

TEST(ServerStore, TheKindFollowsTheDbValue) {
  EXPECT_TRUE(is_postgres_uri("postgresql://u@h/db"));
  EXPECT_TRUE(is_postgres_uri("postgres://h/db"));
  EXPECT_FALSE(is_postgres_uri("highscores.db"));
  EXPECT_FALSE(is_postgres_uri("/var/lib/postgresql.db"));
  EXPECT_THROW(open_store("/nonexistent-folder/for/sure/highscores.db"), StoreError);
  EXPECT_THROW(open_postgres_store("postgresql://nobody@/none?host=/nonexistent-folder&connect_timeout=2"),
               StoreError);
}

}  // namespace
