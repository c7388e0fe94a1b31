// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/schema.h"

namespace server {

// Version 1: accounts, the authentications that open an upload, and results. A game (its
// input's digest) is listed at most once: the unique index covers verified results only, so a
// refused copy is kept beside the listed one. Ids are never used twice (AUTOINCREMENT in
// SQLite), so an authentication removed meanwhile cannot be mistaken for a newer one.
const Migration migrations[] = {
    {1,
     R"(CREATE TABLE accounts (
          id INTEGER PRIMARY KEY,
          name TEXT NOT NULL,
          name_key TEXT NOT NULL UNIQUE,
          password_hash TEXT NOT NULL,
          created INTEGER NOT NULL);
        CREATE TABLE authentications (
          id INTEGER PRIMARY KEY AUTOINCREMENT,
          account_id INTEGER NOT NULL REFERENCES accounts(id),
          edition INTEGER NOT NULL,
          score INTEGER NOT NULL,
          check_word_1 INTEGER NOT NULL,
          check_word_2 INTEGER NOT NULL,
          created INTEGER NOT NULL,
          address TEXT NOT NULL);
        CREATE INDEX authentications_by_account ON authentications(account_id, created);
        CREATE INDEX authentications_by_age ON authentications(created);
        CREATE TABLE results (
          id INTEGER PRIMARY KEY AUTOINCREMENT,
          account_id INTEGER NOT NULL REFERENCES accounts(id),
          edition INTEGER NOT NULL,
          score INTEGER NOT NULL,
          simulated_score INTEGER NOT NULL,
          verified INTEGER NOT NULL,
          exact INTEGER NOT NULL,
          reason TEXT NOT NULL,
          detail TEXT NOT NULL,
          digest TEXT,
          created INTEGER NOT NULL,
          address TEXT NOT NULL);
        CREATE UNIQUE INDEX results_listed_once ON results(digest)
          WHERE verified = 1 AND digest IS NOT NULL;
        CREATE INDEX results_by_list ON results(edition, verified, score DESC, created, id))",
     R"(CREATE TABLE accounts (
          id BIGSERIAL PRIMARY KEY,
          name TEXT NOT NULL,
          name_key TEXT NOT NULL UNIQUE,
          password_hash TEXT NOT NULL,
          created BIGINT NOT NULL);
        CREATE TABLE authentications (
          id BIGSERIAL PRIMARY KEY,
          account_id BIGINT NOT NULL REFERENCES accounts(id),
          edition INTEGER NOT NULL,
          score INTEGER NOT NULL,
          check_word_1 BIGINT NOT NULL,
          check_word_2 BIGINT NOT NULL,
          created BIGINT NOT NULL,
          address TEXT NOT NULL);
        CREATE INDEX authentications_by_account ON authentications(account_id, created);
        CREATE INDEX authentications_by_age ON authentications(created);
        CREATE TABLE results (
          id BIGSERIAL PRIMARY KEY,
          account_id BIGINT NOT NULL REFERENCES accounts(id),
          edition INTEGER NOT NULL,
          score INTEGER NOT NULL,
          simulated_score INTEGER NOT NULL,
          verified BOOLEAN NOT NULL,
          exact BOOLEAN NOT NULL,
          reason TEXT NOT NULL,
          detail TEXT NOT NULL,
          digest TEXT,
          created BIGINT NOT NULL,
          address TEXT NOT NULL);
        CREATE UNIQUE INDEX results_listed_once ON results(digest)
          WHERE verified AND digest IS NOT NULL;
        CREATE INDEX results_by_list ON results(edition, verified, score DESC, created, id))"},
    // Version 2: the score a result is listed with, which may be below the claim.
    {2,
     R"(ALTER TABLE results ADD COLUMN listed_score INTEGER NOT NULL DEFAULT 0;
        UPDATE results SET listed_score = MIN(score, simulated_score);
        DROP INDEX results_by_list;
        CREATE INDEX results_by_list ON results(edition, verified, listed_score DESC, created, id))",
     R"(ALTER TABLE results ADD COLUMN listed_score INTEGER NOT NULL DEFAULT 0;
        UPDATE results SET listed_score = LEAST(score, simulated_score);
        DROP INDEX results_by_list;
        CREATE INDEX results_by_list ON results(edition, verified, listed_score DESC, created, id))"},
    // Version 3: the language of an authentication, which the upload's reply is written in.
    {3, R"(ALTER TABLE authentications ADD COLUMN language TEXT NOT NULL DEFAULT 'de')",
     R"(ALTER TABLE authentications ADD COLUMN language TEXT NOT NULL DEFAULT 'de')"},
    // Version 4: what a listed game's page and its video are made from (the upload's replay text,
    // its penalty flag, the timeline of the re-simulation), and one video job per listed game,
    // written in the transaction that lists it. A job's state is waiting, rendering, ready, failed
    // or evicted; claimed_by and claimed_at name the server and worker that render it, so a job
    // whose worker died is taken over; watched is when its video was last fetched (the disk
    // cache removes the least recently watched first). Games listed before keep no replay, so
    // they get no job.
    {4,
     R"(CREATE TABLE game_records (
          result_id INTEGER PRIMARY KEY REFERENCES results(id),
          replay TEXT NOT NULL,
          penalty INTEGER NOT NULL,
          timeline TEXT NOT NULL);
        CREATE TABLE video_jobs (
          result_id INTEGER PRIMARY KEY REFERENCES results(id),
          edition INTEGER NOT NULL,
          state TEXT NOT NULL DEFAULT 'waiting',
          claimed_by TEXT NOT NULL DEFAULT '',
          claimed_at INTEGER NOT NULL DEFAULT 0,
          attempts INTEGER NOT NULL DEFAULT 0,
          size INTEGER NOT NULL DEFAULT 0,
          watched INTEGER NOT NULL DEFAULT 0);
        CREATE INDEX video_jobs_by_state ON video_jobs(state, result_id))",
     R"(CREATE TABLE game_records (
          result_id BIGINT PRIMARY KEY REFERENCES results(id),
          replay TEXT NOT NULL,
          penalty BOOLEAN NOT NULL,
          timeline TEXT NOT NULL);
        CREATE TABLE video_jobs (
          result_id BIGINT PRIMARY KEY REFERENCES results(id),
          edition INTEGER NOT NULL,
          state TEXT NOT NULL DEFAULT 'waiting',
          claimed_by TEXT NOT NULL DEFAULT '',
          claimed_at BIGINT NOT NULL DEFAULT 0,
          attempts INTEGER NOT NULL DEFAULT 0,
          size BIGINT NOT NULL DEFAULT 0,
          watched BIGINT NOT NULL DEFAULT 0);
        CREATE INDEX video_jobs_by_state ON video_jobs(state, result_id))"},
};
const int migration_count = static_cast<int>(sizeof migrations / sizeof migrations[0]);

}  // namespace server
