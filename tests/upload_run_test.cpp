// SPDX-License-Identifier: GPL-3.0-or-later
// The send button of the real game binary after a round, headless: the dialog played by the
// script's dialog lines against a local responder, what travelled, and the game going on with
// its display built again. And a server nobody listens on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/qzX/recording.h"
#include "game/resources/archive.h"
#include "game/resources/memory.h"
#include "game/text/texts.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "platform/platform.h"
#include "tests/test_support.h"
#include "tests/upload_responder.h"

using namespace upload_test;
using namespace test_support;

namespace {

// Frames at 100 ms each (every frame time at its 0.1 s ceiling): the loading screen, the title,
// the start button; the 91-second round; the table with the send button (227, 473).
constexpr int start_click = 80;
constexpr int table_shown = 1080;
constexpr int send_click = 1100;

std::string script(const std::string& dialog_lines) {
  std::string s = "40 move 200 540\n" + std::to_string(start_click) + " ldown\n" +
                  std::to_string(start_click + 1) + " lup\n" + std::to_string(table_shown) +
                  " move 260 490\n" + std::to_string(table_shown) + " shot before.png\n" +
                  std::to_string(send_click) + " ldown\n" + std::to_string(send_click + 1) + " lup\n";
  s += dialog_lines;
  // The game goes on: a picture of the table, and the send button clicked again.
  s += std::to_string(send_click + 30) + " shot after.png\n";
  s += std::to_string(send_click + 40) + " ldown\n" + std::to_string(send_click + 41) + " lup\n";
  return s;
}

// Pixels that differ by more than a 5-bit step, in a rectangle of two 800 x 600 pictures.
int differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int x0, int y0,
              int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const std::size_t i = (static_cast<std::size_t>(y) * 800 + x) * 3;
      for (int c = 0; c < 3; ++c)
        if (std::abs(a[i + c] - b[i + c]) > 12) {
          ++n;
          break;
        }
    }
  return n;
}

TEST(UploadRun, ARoundSentFromTheTableAndPlayedOn) {
  ScratchDir dir;
  std::filesystem::copy_file(data_dir() / "XL" / "grumboldX.dat", dir / "grumboldX.dat");
  const std::string first_reply =
      "Action=Continue\r\nlogtype=full\r\ntext=Hallo Tester\r\nhtml=<p>Hallo Tester</p>\r\n";
  const std::string second_reply = "Action=Continue\ntext=Gespeichert\nhtml=<h1>Gespeichert</h1>\n";
  Responder responder({reply(first_reply), reply(second_reply)});
  write_file(dir / "script.txt",
             script("1 dialog type 1000 Tester\n"
                    "1 dialog type 1003 geheim\n"
                    "1 dialog press 1\n"
                    "1 dialog press 1\n"
                    "1 dialog click 1009\n"
                    "1 dialog press 2\n"));
  const RunResult r = run_program("grumboldx", dir.path(),
                                  {{"GRUMBOLDX_HEADLESS", "1"},
                                   {"GRUMBOLDX_FRAME_MS", "100"},
                                   {"GRUMBOLDX_FRAMES", std::to_string(send_click + 60)},
                                   {"GRUMBOLDX_SCRIPT", (dir / "script.txt").string()},
                                   {"GRUMBOLDX_SERVER", responder.address()}},
                                  {"-XL"});
  ASSERT_EQ(r.exit_code, 0) << r.stderr_text;
  const std::string& err = r.stderr_text;
  EXPECT_EQ(err.find("dialog open"), err.rfind("dialog open")) << "the button is off after a send";
  for (const char* line : {"dialog open: Grumbold X - Upload\n", "dialog text 1012: Dein Ergebnis: 0 Punkte\n",
                           "dialog html view 1006 created\n", "dialog html 1006: <p>Hallo Tester</p>\\r\n",
                           "dialog html 1006: <h1>Gespeichert</h1>\n", "dialog enable 1 off\n",
                           "dialog button 1 is disabled\n",
                           "open_url: http://localhost:8642/grumbold/qzt/de/xl-uplb-reg_redirect.php?"
                           "from=QZT_XL-Ver1.1DE-UR\n",
                           "dialog end: 2\n"})
    EXPECT_NE(err.find(line), std::string::npos) << line << err;

  // What travelled: the round's event record and replay text, the check words of a round
  // without a shot.
  const std::vector<Request> requests = responder.requests();
  ASSERT_EQ(requests.size(), 2u) << err;
  EXPECT_EQ(requests[0].body,
            "type=Authenticate&user=Tester&pass=geheim&version=V1.1&vtype=2&lang=0007&score=0"
            "&ienv=8876&noyb=40402&opt=");
  const auto fields = form_fields(requests[1].body);
  ASSERT_EQ(fields.size(), 6u);
  upload::DecodedPayload decoded;
  ASSERT_TRUE(upload::decode_upload_payload(fields[1].second.c_str(), fields[2].second.c_str(),
                                            upload::log_full, decoded));
  EXPECT_TRUE(decoded.event_checksum_ok && decoded.final_checksum_ok);
  const std::string md = decoded.md_record;
  EXPECT_EQ(md.substr(6, 40), "Tester          geheim      0     V1.12 ");
  EXPECT_EQ(md.substr(60).find_first_not_of("0123456789abcdef"), std::string::npos) << "check text";
  // The event text: the scrambled event log in hex, 32 header bytes and four per event.
  const std::string& events = decoded.event_text;
  ASSERT_GE(events.size(), 64u);
  std::vector<std::uint8_t> bytes(events.size() / 2);
  for (std::size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<std::uint8_t>(std::stoi(events.substr(2 * i, 2), nullptr, 16));
  qzx::unscramble_event_record(bytes.data(), bytes.size());
  const auto word = [&](std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
  };
  EXPECT_EQ(word(8), 0u) << "final score";
  EXPECT_EQ(bytes.size(), 32 + 4 * static_cast<std::size_t>(word(28))) << "event count";
  EXPECT_GE(word(28), 9u) << "a marker every ten seconds";
  qzx::DecodedReplay replay;
  ASSERT_TRUE(qzx::decode_replay_text(fields[3].second.c_str(), fields[3].second.size(), replay));
  EXPECT_GT(replay.length, 20u + 8 * 900);
  XFREE(replay.frame_log_bytes);

  // The log of the first exchange of a run.
  const std::string log = read_file(dir / "debug.txt");
  std::size_t at = 0;
  const std::string read_first = "  bytes read " + std::to_string(first_reply.size()) + "\n";
  const std::string read_second = "  bytes read: " + std::to_string(second_reply.size()) + "\n";
  for (const std::string& line : {std::string("connect to server...\n"), std::string("  open: "),
                                  std::string("  connect: "), std::string("  connection ok\n"),
                                  std::string("authenticate...\n"), std::string("  connection: "),
                                  std::string("  request: 1\n"), read_first,
                                  std::string("connect to server...\n"), std::string("upload...\n"),
                                  std::string("  connect: "), std::string("  request: 1\n"), read_second}) {
    at = log.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << "\n" << log;
  }

  // Back in full screen the table looks as it did (cursor and buttons aside).
  int w = 0, h = 0, w2 = 0, h2 = 0;
  const auto before = read_png_rgb(dir / "before.png", w, h);
  const auto after = read_png_rgb(dir / "after.png", w2, h2);
  ASSERT_EQ(w, 800);
  ASSERT_EQ(w2, 800);
  EXPECT_EQ(differing(before, after, 0, 0, 800, 440), 0);
}

// In this process: the first server address of the run is where nobody listens.
TEST(UploadRun, AServerNobodyListensOnCanBeTriedAgain) {
  InScratchDir dir;
  write_file(dir.path() / "script.txt", "1 dialog press 1\n1 dialog press 1\n1 dialog press 2\n");
  setenv("GRUMBOLDX_SCRIPT", (dir.path() / "script.txt").c_str(), 1);
  setenv("GRUMBOLDX_SERVER", ("http://127.0.0.1:" + std::to_string(closed_port())).c_str(), 1);
  reset_app_state();
  ASSERT_TRUE(plat::init_headless());
  ASSERT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").c_str()), 1);
  text::load_texts();
  app::html_enabled = true;
  const std::uint8_t bytes[32] = {};
  upload::make_upload_hex(bytes, sizeof bytes);
  testing::internal::CaptureStderr();
  upload::run_upload_dialog();
  const std::string err = testing::internal::GetCapturedStderr();
  plat::shutdown();
  res::xfdone();
  upload::free_upload_hex();
  for (const char* name : {"GRUMBOLDX_HEADLESS", "GRUMBOLDX_SCRIPT", "GRUMBOLDX_SERVER"}) unsetenv(name);

  const std::string shown = "dialog html 1006: <html><body style='font-family:sans-serif'><h3>Keine Verbindung";
  const std::size_t first = err.find(shown);
  ASSERT_NE(first, std::string::npos) << err;
  EXPECT_NE(err.find(shown, first + 1), std::string::npos) << "the second press tried again";
  EXPECT_EQ(err.find("dialog enable 1 off"), std::string::npos);
  EXPECT_EQ(read_file(dir.path() / "debug.txt").find("  bytes read"), std::string::npos);
}

}  // namespace
