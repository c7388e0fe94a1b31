// SPDX-License-Identifier: GPL-3.0-or-later
// A throwaway PostgreSQL cluster in a scratch folder, started with Debian's own programs (as the
// "postgres" user when running as root, since PostgreSQL refuses root), reachable only through
// its socket in that folder, and stopped when the object goes away.
#pragma once

#include <pwd.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace test_support {

class PostgresCluster {
 public:
  PostgresCluster();
  ~PostgresCluster();
  PostgresCluster(const PostgresCluster&) = delete;
  PostgresCluster& operator=(const PostgresCluster&) = delete;

  bool running() const { return running_; }
  // Why it does not run; installed() tells a missing installation from a failure.
  const std::string& why_not() const { return why_not_; }
  bool installed() const { return !bin_.empty(); }
  // A new empty database; its connection string.
  std::string fresh_database();
  std::string uri(const std::string& database) const;
  // Stops it at once (as a crash would leave it) and starts it again; false when it did not
  // come back.
  bool restart();
  // The server process and its children.
  std::vector<pid_t> processes() const;

 private:
  bool start();
  ScratchDir dir_;
  std::filesystem::path bin_;
  const passwd* user_ = nullptr;
  bool running_ = false;
  std::string why_not_;
  int databases_ = 0;
};

}  // namespace test_support
