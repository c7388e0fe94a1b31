// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore server for tests: build/bin/grumboldx-server started on a free port with a
// scratch database, the build's archives, no rate limit and no video rendering (unless the test
// asks for them; the videos' cache is in the scratch folder),
// stopped in order at the end; and the game's side
// of an upload, made with the game's own functions from the game that just ran in this process.
#pragma once

#include <httplib.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/qzX/recording.h"
#include "game/resources/memory.h"
#include "game/upload/upload.h"
#include "tests/test_support.h"

namespace server_test {

class ServerProcess {
 public:
  explicit ServerProcess(std::vector<std::string> extra = {}) {
    std::vector<std::string> args = {"--port", "0", "--port-file", (dir_ / "port").string(), "--db",
                                     (dir_ / "highscores.db").string(), "--archives",
                                     test_support::data_dir().string(), "--verifiers", "1", "--listen",
                                     "127.0.0.1", "--rate", "0", "--render-workers", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    program_ = std::make_unique<test_support::RunningProgram>("grumboldx-server", dir_.path(),
                                                              std::map<std::string, std::string>{}, args);
    if (program_->wait_for_text(dir_ / "port", "\n")) port_ = std::atoi(test_support::read_file(dir_ / "port").c_str());
  }
  ~ServerProcess() {
    if (!program_) return;
    program_->send_signal(SIGTERM);
    program_->finish();
  }
  bool started() const { return port_ > 0; }
  int pid() const { return program_ ? program_->pid() : -1; }
  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::filesystem::path database() const { return dir_ / "highscores.db"; }
  httplib::Client client() const {
    httplib::Client c("127.0.0.1", port_);
    c.set_read_timeout(60, 0);
    return c;
  }
  // The game's request: a form body posted to the upload handler; the reply's body.
  std::string post_game(const std::string& body) const {
    auto res = client().Post("/qzt/uploadhandler.php", body, "application/x-www-form-urlencoded");
    return res ? res->body : std::string("no answer");
  }
  // Registers through the form, as a browser does. The HTTP status.
  int register_account(const std::string& name, const std::string& password) const {
    httplib::Params form{{"name", name}, {"password", password}, {"password2", password}, {"edition", "xl"}};
    auto res = client().Post("/register", form);
    return res ? res->status : -1;
  }
  // Stops the server now, as a kill does.
  test_support::RunResult kill_now() {
    program_->send_signal(SIGKILL);
    test_support::RunResult r = program_->finish();
    program_.reset();
    return r;
  }

 private:
  test_support::ScratchDir dir_;
  std::unique_ptr<test_support::RunningProgram> program_;
  int port_ = 0;
};

// What the game sends for the game that just ended in this process: the two bodies, built with
// the game's own md record, event record, check words and payload encoding. The parts may be
// changed before encoding, as a cheat would change them.
struct UploadParts {
  std::string user, password;
  std::int32_t score = 0;     // claimed in the authentication, the md record and the event record
  std::string check_text;     // fingerprint and integrity values
  std::string replay;         // the replay text
};

inline UploadParts honest_parts(const std::string& user, const std::string& password, std::int32_t score) {
  char check[297];
  qzx::check_text(check);
  return UploadParts{user, password, score, check, qzx::replay_text()};
}

struct GameUpload {
  std::string authenticate;
  std::string upload;
};

// Encodes the parts with the event log as it now stands in qzx::event_log.
inline GameUpload encode_upload(const UploadParts& p) {
  std::size_t length = 0;
  std::uint8_t* record = qzx::event_record_bytes(p.score, length);
  upload::make_upload_hex(record, length);
  XFREE(record);
  upload::save_upload_hex();
  const int word_1 = (static_cast<int>(qzx::shots_counted()) + qzx::empty_clicks_counted()) * 3 + 8876;
  const int word_2 = static_cast<int>(qzx::reloads_counted()) * 5 + 40402;
  GameUpload u;
  u.authenticate = "type=Authenticate&user=" + p.user + "&pass=" + p.password + "&version=V1.1&vtype=" +
                   std::to_string(app::edition) + "&lang=0007&score=" + std::to_string(p.score) +
                   "&ienv=" + std::to_string(word_1) + "&noyb=" + std::to_string(word_2) + "&opt=";
  char md[upload::md_length + 1];
  upload::build_md_record(p.user.c_str(), p.password.c_str(), p.score, app::edition, p.check_text.c_str(), md);
  char md_out[upload::md_hex_length + 1];
  upload::encode_upload_payload(md, md_out, upload::log_full);
  u.upload = "type=Upload&md=" + std::string(md_out) + "&el=" + upload::upload_hex + "&replay=" + p.replay +
             "&comp=false&logtype=full";
  upload::free_saved_upload_hex();
  upload::free_upload_hex();
  return u;
}

}  // namespace server_test
