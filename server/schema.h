// SPDX-License-Identifier: GPL-3.0-or-later
// The schema's migrations, one per version, in the two SQL dialects. A store at version v runs
// every migration above v in order, each in the transaction that also records its version.
#pragma once

namespace server {

struct Migration {
  int version;
  const char* sqlite;    // statements separated by ";"
  const char* postgres;
};

extern const Migration migrations[];
extern const int migration_count;

}  // namespace server
