// SPDX-License-Identifier: GPL-3.0-or-later
// The upload dialog in this process, played by dialog lines of a headless script, against a
// local responder: the request bodies, the rules for "Senden", the links, the HTML view and its
// failures, and servers that answer badly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "game/app/app.h"
#include "game/resources/archive.h"
#include "game/text/texts.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "platform/platform.h"
#include "platform/script.h"
#include "tests/test_support.h"
#include "tests/upload_responder.h"

using namespace upload_test;
using namespace test_support;

namespace {

struct DialogRun {
  std::string err;                // stderr of the run
  std::vector<Request> requests;  // what the responder received
  std::string log;                // what the run added to debug.txt
};

// The event record the dialog receives: 32 header bytes and 20 entries.
std::string sample_event_text() {
  std::vector<std::uint8_t> bytes(32 + 4 * 20);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
  upload::make_upload_hex(bytes.data(), bytes.size());
  return upload::upload_hex;
}

// Whether a appears in text before b (both must appear).
bool before(const std::string& text, const std::string& a, const std::string& b) {
  const std::size_t at = text.find(a), bt = text.find(b);
  return at != std::string::npos && bt != std::string::npos && at < bt;
}

class UploadExchange : public testing::Test {
 protected:
  // One responder for the whole run: the game keeps its connection to the first server address.
  static void SetUpTestSuite() { responder = new Responder(); }
  static void TearDownTestSuite() {
    delete responder;
    responder = nullptr;
  }

  DialogRun run(const std::vector<Answer>& answers, const std::string& dialog_lines, bool html,
                const char* faults = "") {
    for (const Answer& a : answers) responder->add(a);
    const std::size_t earlier = responder->requests().size();
    const std::string log_before = read_file(dir.path() / "debug.txt");
    write_file(dir.path() / "script.txt", dialog_lines);
    setenv("GRUMBOLDX_SCRIPT", (dir.path() / "script.txt").c_str(), 1);
    setenv("GRUMBOLDX_SERVER", responder->address().c_str(), 1);
    setenv("GRUMBOLDX_FAIL", faults, 1);
    // A server that says nothing for 1.5 s has stopped answering (the game waits far longer).
    setenv("GRUMBOLDX_HTTP_SILENCE_MS", "1500", 1);
    reset_app_state();
    EXPECT_TRUE(plat::init_headless());
    EXPECT_EQ(res::xfinit((data_dir() / "XL" / "grumboldX.dat").c_str()), 1);
    text::load_texts();
    app::html_enabled = html && plat::html_host_start();
    event_text = sample_event_text();
    upload::score_to_send = 4711;
    upload::check_word_1 = 8876 + 3 * 12;
    upload::check_word_2 = 40402 + 5 * 2;

    testing::internal::CaptureStderr();
    upload::run_upload_dialog();
    DialogRun r;
    r.err = testing::internal::GetCapturedStderr();
    plat::shutdown();
    res::xfdone();
    upload::free_upload_hex();
    for (const char* name :
         {"GRUMBOLDX_HEADLESS", "GRUMBOLDX_SCRIPT", "GRUMBOLDX_SERVER", "GRUMBOLDX_FAIL", "GRUMBOLDX_HTTP_SILENCE_MS"})
      unsetenv(name);
    const std::vector<Request> all = responder->requests();
    r.requests.assign(all.begin() + static_cast<std::ptrdiff_t>(earlier), all.end());
    r.log = read_file(dir.path() / "debug.txt").substr(log_before.size());
    return r;
  }

  static Responder* responder;
  InScratchDir dir;
  std::string event_text;
};

Responder* UploadExchange::responder = nullptr;

std::vector<std::string> names(const std::vector<std::pair<std::string, std::string>>& fields) {
  std::vector<std::string> out;
  for (const auto& f : fields) out.push_back(f.first);
  return out;
}

TEST_F(UploadExchange, TheBodiesCarryTheirFieldsInOrderForEveryLogType) {
  struct Case {
    const char* log_type;
    int value;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"none", upload::log_none, {"type", "md", "comp", "logtype"}},
      {"normal", upload::log_normal, {"type", "md", "el", "comp", "logtype"}},
      {"full", upload::log_full, {"type", "md", "el", "replay", "comp", "logtype"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.log_type);
    const DialogRun r = run({reply(std::string("Action=Continue\nlogtype=") + c.log_type + "\ntext=Weiter\n"),
                             reply("Action=Continue\ntext=Danke\n")},
                            "1 dialog type 1000 Anna Lena\n"
                            "1 dialog type 1003 ge heim&1\n"
                            "1 dialog type 1005 p=1+%\n"
                            "1 dialog press 1\n"
                            "1 dialog press 1\n"
                            "1 dialog press 2\n",
                            false);
    ASSERT_EQ(r.requests.size(), 2u) << r.err;
    const Request& auth = r.requests[0];
    EXPECT_EQ(auth.head.substr(0, auth.head.find("\r\n")), "POST /qzt/uploadhandler.php HTTP/1.1");
    EXPECT_NE(auth.head.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_NE(auth.head.find("\r\nUser-Agent: QZT_DE\r\n"), std::string::npos);
    for (const char* absent : {"\r\nExpect:", "\r\nAccept:", "\r\nAuthorization:"})
      EXPECT_EQ(auth.head.find(absent), std::string::npos) << absent;
    EXPECT_EQ(auth.body,
              "type=Authenticate&user=Anna%20Lena&pass=ge%20heim%261&version=V1.1&vtype=2&lang=0007"
              "&score=4711&ienv=8912&noyb=40412&opt=p%3D1%2B%25");

    const auto fields = form_fields(r.requests[1].body);
    EXPECT_EQ(names(fields), c.fields);
    EXPECT_EQ(fields.front().second, "Upload");
    EXPECT_EQ(fields[1].second.size(), static_cast<std::size_t>(upload::md_hex_length));
    EXPECT_EQ(fields[fields.size() - 2].second, "false");
    EXPECT_EQ(fields.back().second, c.log_type);
    const std::string el = c.value == upload::log_none ? "" : fields[2].second;
    upload::DecodedPayload decoded;
    ASSERT_TRUE(upload::decode_upload_payload(fields[1].second.c_str(), el.c_str(), c.value, decoded));
    // The name as typed (the record is not escaped), the password in its 12 places.
    EXPECT_EQ(std::string(decoded.md_record).substr(6, 38),
              "Anna Lena       ge heim&1   4711  V1.1");
    if (c.value != upload::log_none) {
      EXPECT_EQ(decoded.event_text, event_text);
      EXPECT_TRUE(decoded.event_checksum_ok);
      EXPECT_TRUE(decoded.final_checksum_ok);
    }
    // Continue and Continue: "Senden" is off, and a second press does nothing.
    EXPECT_TRUE(before(r.err, "dialog text 1006: Danke", "dialog enable 1 off")) << r.err;
    EXPECT_NE(r.err.find("dialog button 1 is disabled"), std::string::npos);
    EXPECT_NE(r.err.find("dialog end: 2"), std::string::npos);
  }
}

TEST_F(UploadExchange, TextsCrossTheDialogInTheGamesCodePage) {
  // A reply's text in code page 1252 shows its € „ “ – …; a typed € goes out as byte 0x80 and
  // what the code page lacks as "?".
  const DialogRun r = run({reply("Action=Retry\ntext=5 \x80 \x84gr\xFC\xDF\x93 \x96 \x85\n")},
                          "1 dialog type 1000 \xE2\x82\xAC\xC3\xA4\xE2\x9C\x93\n"
                          "1 dialog type 1003 pw\n"
                          "1 dialog press 1\n1 dialog press 2\n",
                          false);
  EXPECT_NE(r.err.find("dialog text 1006: 5 \xE2\x82\xAC \xE2\x80\x9Egr\xC3\xBC\xC3\x9F\xE2\x80\x9C "
                       "\xE2\x80\x93 \xE2\x80\xA6\n"),
            std::string::npos)
      << r.err;
  ASSERT_EQ(r.requests.size(), 1u) << r.err;
  EXPECT_NE(r.requests[0].body.find("user=%80%E4%3F&"), std::string::npos) << r.requests[0].body;
}

TEST_F(UploadExchange, TheRepliesDecideWhetherSendenStaysEnabled) {
  struct Case {
    const char* name;
    std::vector<Answer> answers;
    std::size_t requests;  // after two presses
    bool disabled;
  };
  const Case cases[] = {
      {"Retry", {reply("Action=Retry\n"), reply("Action=Retry\n")}, 2, false},
      {"Abort", {reply("Action=Abort\n")}, 1, true},
      {"no Action line", {reply("text=Hm\n")}, 1, true},
      {"Continue, then Retry",
       {reply("Action=Continue\n"), reply("Action=Retry\n"), reply("Action=Continue\n"), reply("Action=Retry\n")},
       4, false},
      {"Continue, then Continue", {reply("Action=Continue\n"), reply("Action=Continue\n")}, 2, true},
      {"Continue, then Abort", {reply("Action=Continue\n"), reply("Action=Abort\n")}, 2, true},
      {"Continue, then no Action line", {reply("Action=Continue\n"), reply("text=x\n")}, 2, true},
  };
  for (const Case& c : cases) {
    const DialogRun r = run(c.answers, "1 dialog press 1\n1 dialog press 1\n1 dialog press 2\n", false);
    EXPECT_EQ(r.requests.size(), c.requests) << c.name << "\n" << r.err;
    EXPECT_EQ(r.err.find("dialog enable 1 off") != std::string::npos, c.disabled) << c.name << "\n" << r.err;
  }
}

TEST_F(UploadExchange, EveryPressEncodesTheSavedCopyAfresh) {
  const DialogRun r = run({reply("Action=Continue\nlogtype=normal\n"), reply("Action=Retry\n"),
                           reply("Action=Continue\nlogtype=normal\n"), reply("Action=Retry\n")},
                          "1 dialog press 1\n1 dialog press 1\n1 dialog press 2\n", false);
  ASSERT_EQ(r.requests.size(), 4u) << r.err;
  for (std::size_t i : {1u, 3u}) {
    const auto fields = form_fields(r.requests[i].body);
    ASSERT_EQ(names(fields), (std::vector<std::string>{"type", "md", "el", "comp", "logtype"}));
    EXPECT_EQ(fields[2].second.size(), event_text.size() + 14) << "request " << i;
    upload::DecodedPayload decoded;
    ASSERT_TRUE(upload::decode_upload_payload(fields[1].second.c_str(), fields[2].second.c_str(),
                                              upload::log_normal, decoded));
    EXPECT_EQ(decoded.event_text, event_text) << "request " << i;
    EXPECT_TRUE(decoded.event_checksum_ok && decoded.final_checksum_ok);
  }
}

TEST_F(UploadExchange, TheLastUrlLineOpensBeforeTheMessageShows) {
  // Later lines override earlier ones: of a reply's addresses only the last is opened; one that
  // is no web address is refused and logged.
  const DialogRun r = run({reply("url=file:///etc/passwd\r\nurl=javascript:alert(1)\r\n"
                                 "url=http://example.invalid/a\r\nAction=Retry\r\ntext=Schau\r\n"),
                           reply("url=http://example.invalid/b\r\nurl=file:///etc/passwd\r\nAction=Retry\r\n")},
                          "1 dialog press 1\n1 dialog press 1\n1 dialog press 2\n", false);
  // The line end is no part of the address; the text keeps its "\r".
  EXPECT_TRUE(before(r.err, "open_url: http://example.invalid/a\n", "dialog text 1006: Schau\\r\n")) << r.err;
  EXPECT_EQ(r.err.find("open_url: file:"), std::string::npos);
  EXPECT_EQ(r.err.find("open_url: javascript:"), std::string::npos);
  EXPECT_EQ(r.err.find("open_url: http://example.invalid/b"), std::string::npos) << r.err;
  EXPECT_EQ(r.log.find("javascript:alert(1)"), std::string::npos) << "overridden, never tried";
  EXPECT_NE(r.log.find("ERROR: reply address not opened: file:///etc/passwd"), std::string::npos) << r.log;
}

TEST_F(UploadExchange, TheStatusLineTheLinksAndTheCloseBox) {
  const DialogRun r = run({}, "1 dialog click 1008\n1 dialog click 1009\n1 dialog click 1010\n"
                              "1 dialog click 1000\n1 dialog close\n", true);
  EXPECT_NE(r.err.find("dialog text 1012: Dein Ergebnis: 4711 Punkte\n"), std::string::npos) << r.err;
  const std::string base = "open_url: http://localhost:8642/grumbold/qzt/de/xl-uplb-";
  EXPECT_TRUE(before(r.err, base + "help_redirect.php?from=QZT_XL-Ver1.1DE-UF\n",
                     base + "reg_redirect.php?from=QZT_XL-Ver1.1DE-UR\n"));
  EXPECT_TRUE(before(r.err, base + "reg_redirect.php?from=QZT_XL-Ver1.1DE-UR\n",
                     base + "high_redirect.php?from=QZT_XL-Ver1.1DE-UH\n"));
  EXPECT_EQ(r.err.find("open_url", r.err.find("high_redirect")), std::string::npos) << "1000 is no link";
  // The view made at the start goes with the close box; the dialog ends as "Zurück zum Spiel".
  EXPECT_TRUE(before(r.err, "dialog html view 1006 created", "dialog html view 1006 destroyed"));
  EXPECT_NE(r.err.find("dialog end: 2"), std::string::npos);
  EXPECT_TRUE(r.requests.empty());
}

TEST_F(UploadExchange, ALinkIsBlueAndUnderlinedOnlyUnderThePointer) {
  ASSERT_TRUE(plat::init_headless());
  using plat::DialogMessage;
  upload::upload_dialog_proc(DialogMessage::init, 0);
  for (int id : upload::link_ids) EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, id), -1);
  upload::upload_dialog_proc(DialogMessage::mouse_move, upload::id_register_link);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_register_link), 0x0000FF);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_help_link), -1);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_status), -1);
  upload::upload_dialog_proc(DialogMessage::mouse_move, upload::id_list_link);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_register_link), -1);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_list_link), 0x0000FF);
  upload::upload_dialog_proc(DialogMessage::mouse_move, 0);
  EXPECT_EQ(upload::upload_dialog_proc(DialogMessage::text_colour, upload::id_list_link), -1);
  plat::shutdown();
}

TEST_F(UploadExchange, TheHtmlViewAndItsFailures) {
  const std::string lines = "1 dialog press 1\n1 dialog press 1\n1 dialog press 2\n";
  const auto answers = [] {
    return std::vector<Answer>{reply("Action=Retry\ntext=erste\nhtml=<p>erste</p>\n"),
                               reply("Action=Retry\ntext=zweite\nhtml=<p>zweite</p>\n")};
  };
  // Each reply replaces the view.
  DialogRun r = run(answers(), lines, true);
  EXPECT_TRUE(before(r.err, "dialog html 1006: <p>erste</p>", "dialog html 1006: <p>zweite</p>")) << r.err;
  EXPECT_EQ(r.err.find("dialog text 1006"), std::string::npos);
  EXPECT_TRUE(app::html_enabled);
  // "-nohtml": no view at all.
  r = run(answers(), lines, false);
  EXPECT_EQ(r.err.find("html view"), std::string::npos) << r.err;
  EXPECT_TRUE(before(r.err, "dialog text 1006: erste", "dialog text 1006: zweite"));
  // No view can be made, or none filled: plain text from then on.
  for (const char* fault : {"OleCreate", "Navigate2"}) {
    r = run(answers(), lines, true, fault);
    EXPECT_TRUE(before(r.err, "dialog text 1006: erste", "dialog text 1006: zweite")) << fault << r.err;
    EXPECT_EQ(r.err.find("dialog html 1006:"), std::string::npos) << fault;
    EXPECT_FALSE(app::html_enabled) << fault;
  }
  // The host never started.
  r = run(answers(), lines, true, "OleInitialize");
  EXPECT_EQ(r.err.find("html view"), std::string::npos) << r.err;
}

TEST_F(UploadExchange, BadAnswersLeaveTheDialogUsable) {
  const std::string unreachable = "dialog text 1006: Der Highscore-Server ist gerade nicht erreichbar.";
  const std::string no_text = "dialog text 1006: Der Server hat keine Nachricht geschickt.\n";
  const std::string exact = "Action=Retry\ntext=" + std::string(49999 - 18, 'b');
  struct Case {
    const char* name;
    Answer answer;
    std::string shown;  // a line of stderr that must appear
    bool disabled;
    const char* bytes_read;  // the log's count, when one was read
  };
  const Case cases[] = {
      {"closed at once", close_at_once(), unreachable, false, nullptr},
      {"not HTTP", raw("\x01\x02garbage\xff\n"), unreachable, false, nullptr},
      {"garbage body", reply(std::string("\x01\x02\x03garbage\xff\nmore\n", 17)), no_text, true, "17"},
      {"endless line", endless("aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"), no_text, true, "49999"},
      {"exactly 49999 bytes", reply(exact), "dialog text 1006: " + std::string(15999, 'b') + "\n", false,
       "49999"},
      {"more than the block", reply(exact + "cccc\nAction=Abort\n"),
       "dialog text 1006: " + std::string(15999, 'b') + "\n", false, "49999"},
      {"breaks off midway",
       raw("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nAction=Retry\ntext=Hal"), "dialog text 1006: Hal\n",
       false, "21"},
      {"stops answering", stall(), unreachable, false, nullptr},
      // Longer than the silence limit in all, but moving: read to its end.
      {"answers slowly", trickle("Action=Retry\ntext=Langsam"), "dialog text 1006: Langsam\n", false, "25"},
  };
  for (const Case& c : cases) {
    const DialogRun r = run({c.answer}, "1 dialog press 1\n1 dialog press 2\n", false);
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << c.name << "\n" << r.err.substr(0, 2000);
    EXPECT_EQ(r.err.find("dialog enable 1 off") != std::string::npos, c.disabled) << c.name;
    EXPECT_NE(r.err.find("dialog end: 2"), std::string::npos) << c.name;
    if (c.bytes_read)
      EXPECT_NE(r.log.find(std::string("  bytes read ") + c.bytes_read + "\n"), std::string::npos) << c.name << r.log;
    else
      EXPECT_EQ(r.log.find("  bytes read"), std::string::npos) << c.name;
  }
}

TEST_F(UploadExchange, TheLogTellsTheExchange) {
  const DialogRun r = run({reply("Action=Continue\n"), reply("Action=Continue\n")},
                          "1 dialog press 1\n1 dialog press 2\n", false);
  // The connection may have been made by an earlier test of this run.
  std::size_t at = r.log.find("connect to server...\n");
  for (const char* line : {"authenticate...\n", "  connection: ", "  request: 1\n", "  bytes read 16\n",
                           "connect to server...\n", "upload...\n", "  connect: ", "  request: 1\n",
                           "  bytes read: 16\n"}) {
    ASSERT_NE(at, std::string::npos) << r.log;
    at = r.log.find(line, at);
    EXPECT_NE(at, std::string::npos) << line << "\n" << r.log;
  }
}

TEST(UploadScript, DialogLinesAndTheirMistakes) {
  std::vector<plat::ScriptEvent> events;
  std::string error;
  ASSERT_TRUE(plat::parse_script("5 dialog type 1000 Anna  Lena \n3 dialog type 1005\n4 dialog press 1\n"
                                 "4 dialog click 1009\n9 dialog close\n",
                                 events, error))
      << error;
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].verb, plat::DialogVerb::type);  // frame 3 comes first
  EXPECT_EQ(events[0].x, 1005);
  EXPECT_EQ(events[0].text, "");
  EXPECT_EQ(events[1].verb, plat::DialogVerb::press);
  EXPECT_EQ(events[2].verb, plat::DialogVerb::click);
  EXPECT_EQ(events[2].x, 1009);
  EXPECT_EQ(events[3].text, "Anna  Lena ");
  EXPECT_EQ(events[4].verb, plat::DialogVerb::close);
  for (const char* bad : {"1 dialog\n", "1 dialog push 1\n", "1 dialog press\n", "1 dialog press x\n",
                          "1 dialog press 1 2\n", "1 dialog close now\n", "1 dialog type -4 a\n"}) {
    events.clear();
    EXPECT_FALSE(plat::parse_script(bad, events, error)) << bad;
    EXPECT_EQ(error.rfind("line 1: ", 0), 0u) << error;
  }
}

}  // namespace
