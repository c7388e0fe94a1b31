// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/postgres_cluster.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <pqxx/pqxx>

namespace fs = std::filesystem;

namespace test_support {

namespace {

fs::path postgres_programs() {
  std::error_code ec;
  fs::path best;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ec))
    if (fs::exists(entry.path() / "bin" / "initdb") && entry.path() > best.parent_path()) best = entry.path() / "bin";
  return best;
}

// Runs a program to its end, as user (when not null and running as root).
int run(const std::vector<std::string>& args, const passwd* user) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (user && (setgroups(0, nullptr) != 0 || setgid(user->pw_gid) != 0 || setuid(user->pw_uid) != 0)) _exit(126);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

PostgresCluster::PostgresCluster() {
  bin_ = postgres_programs();
  if (bin_.empty()) {
    why_not_ = "PostgreSQL's initdb is not installed";
    return;
  }
  if (geteuid() == 0) {
    user_ = getpwnam("postgres");
    if (!user_) {
      why_not_ = "running as root and there is no postgres user";
      return;
    }
    if (chown(dir_.path().c_str(), user_->pw_uid, user_->pw_gid) != 0) {
      why_not_ = "cannot hand the scratch folder to postgres";
      return;
    }
  }
  if (run({(bin_ / "initdb").string(), "-D", (dir_ / "data").string(), "-U", "grumbold", "--auth=trust", "-E",
           "UTF8", "--no-sync"},
          user_) != 0) {
    why_not_ = "initdb failed";
    return;
  }
  running_ = start();
  if (!running_) why_not_ = "the cluster did not start";
}

bool PostgresCluster::start() {
  const std::string settings = "-k " + dir_.path().string() + " -p 5432 -c listen_addresses='' -c fsync=off";
  return run({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-o", settings, "-l",
              (dir_ / "log").string(), "-w", "start"},
             user_) == 0;
}

PostgresCluster::~PostgresCluster() {
  if (running_)
    run({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-m", "immediate", "-w", "stop"}, user_);
}

std::string PostgresCluster::fresh_database() {
  std::string name = "t";
  name += std::to_string(++databases_);
  pqxx::connection c(uri("postgres"));
  pqxx::nontransaction w(c);
  w.exec("CREATE DATABASE " + name);
  return uri(name);
}

std::string PostgresCluster::uri(const std::string& database) const {
  return "postgresql://grumbold@/" + database + "?host=" + dir_.path().string() + "&port=5432";
}

bool PostgresCluster::restart() {
  run({(bin_ / "pg_ctl").string(), "-D", (dir_ / "data").string(), "-m", "immediate", "-w", "stop"}, user_);
  running_ = start();
  return running_;
}

std::vector<pid_t> PostgresCluster::processes() const {
  std::vector<pid_t> out;
  std::ifstream in(dir_ / "data" / "postmaster.pid");
  pid_t main = 0;
  if (!(in >> main) || main <= 0) return out;
  out.push_back(main);
  for (pid_t child : child_processes(main)) out.push_back(child);
  return out;
}

}  // namespace test_support
