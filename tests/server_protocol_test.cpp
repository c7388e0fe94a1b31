// SPDX-License-Identifier: GPL-3.0-or-later
// The server's reading of the game's request bodies, its reply lines, the redirect addresses it
// answers, its request rate per address and its languages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/charts.h"
#include "server/form.h"
#include "server/http_server.h"
#include "server/judge.h"
#include "server/languages.h"
#include "server/messages.h"
#include "server/pages.h"
#include "server/protocol.h"
#include "server/rate_limit.h"
#include "server/reply.h"

using namespace server;

namespace {

const std::string md712(712, 'a');

std::string authenticate_body(const std::string& user = "Gustav") {
  return "type=Authenticate&user=" + user +
         "&pass=geheim%2112&version=V1.1&vtype=2&lang=0007&score=1234&ienv=9500&noyb=40412&opt=";
}

TEST(ServerForm, FieldsAreSplitAndEscapesUndoneButPlusStays) {
  Form f;
  std::string error;
  ASSERT_TRUE(parse_form("a=1&b=x%20y%2b&c=p+q&d=", f, error)) << error;
  ASSERT_EQ(f.fields.size(), 4u);
  EXPECT_EQ(*f.find("b"), "x y+");
  EXPECT_EQ(*f.find("c"), "p+q");
  EXPECT_EQ(*f.find("d"), "");
  EXPECT_EQ(f.find("e"), nullptr);
  EXPECT_TRUE(parse_form("", f, error));
  EXPECT_TRUE(f.fields.empty());
}

TEST(ServerForm, BodiesThatAreNotFormsAreRefused) {
  const std::string many = [] {
    std::string s;
    for (int i = 0; i < 17; ++i) s += (i ? "&k" : "k") + std::to_string(i) + "=v";
    return s;
  }();
  for (const std::string& body : {std::string("a=1&a=2"), std::string("novalue"), std::string("a=1&"),
                                  std::string("=1"), std::string("a=%4"), std::string("a=%zz"),
                                  std::string("a=x%0Ay"), std::string("a=\x01"), std::string(17, 'k') + "=1",
                                  many}) {
    SCOPED_TRACE(body);
    Form f;
    std::string error;
    EXPECT_FALSE(parse_form(body, f, error));
    EXPECT_FALSE(error.empty());
  }
}

TEST(ServerRequest, AnAuthenticationAsTheGameSendsIt) {
  Request r;
  std::string error;
  ASSERT_TRUE(parse_request(authenticate_body(), r, error)) << error;
  ASSERT_EQ(r.type, Request::Type::authenticate);
  EXPECT_EQ(r.authenticate.user, "Gustav");
  EXPECT_EQ(r.authenticate.password, "geheim!12");
  EXPECT_EQ(r.authenticate.version, "V1.1");
  EXPECT_EQ(r.authenticate.edition, 2);
  EXPECT_EQ(r.authenticate.score, 1234);
  EXPECT_EQ(r.authenticate.check_word_1, 9500);
  EXPECT_EQ(r.authenticate.check_word_2, 40412);
  EXPECT_EQ(r.authenticate.parameter, "");
}

TEST(ServerRequest, UploadsOfEachLogTypeCarryTheirFields) {
  struct Case {
    std::string body;
    LogType type;
  } cases[] = {
      {"type=Upload&md=" + md712 + "&comp=false&logtype=none", LogType::none},
      {"type=Upload&md=" + md712 + "&el=0a1b&comp=false&logtype=normal", LogType::normal},
      {"type=Upload&md=" + md712 + "&el=0a1b&replay=ffee&comp=false&logtype=full", LogType::full},
  };
  for (const Case& c : cases) {
    Request r;
    std::string error;
    ASSERT_TRUE(parse_request(c.body, r, error)) << error;
    EXPECT_EQ(r.type, Request::Type::upload);
    EXPECT_EQ(r.upload.log_type, c.type);
    EXPECT_EQ(r.upload.md, md712);
    EXPECT_EQ(r.upload.replay, c.type == LogType::full ? "ffee" : "");
  }
}

TEST(ServerRequest, MalformedRequestsAreRefused) {
  const std::string upload = "type=Upload&md=" + md712;
  const std::string cases[] = {
      "",
      "type=Register",
      "user=a&pass=b",
      "type=Authenticate&user=Gustav",                                         // fields missing
      authenticate_body("Sechzehn_Zeichen"),                                   // name over 15
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=4&score=1&ienv=1&noyb=1",  // no edition 4
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=1e3&ienv=1&noyb=1",
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=99999999999&ienv=1&noyb=1",
      "type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&score=1&ienv=1&noyb=1&opt=" + std::string(64, 'o'),
      "type=Upload&md=" + std::string(710, 'a') + "&comp=false&logtype=none",  // md too short
      "type=Upload&md=" + std::string(711, 'a') + "g&comp=false&logtype=none", // not hex
      upload + "&comp=true&logtype=none",
      upload + "&comp=false&logtype=most",
      upload + "&comp=false&logtype=full",                                     // no el, no replay
      upload + "&el=00&comp=false&logtype=none",                               // el without asking
      upload + "&el=0x&replay=00&comp=false&logtype=full",
      upload + "&el=" + std::string(max_event_text + 2, '0') + "&comp=false&logtype=normal",
  };
  for (const std::string& body : cases) {
    SCOPED_TRACE(body.substr(0, 100));
    Request r;
    std::string error;
    EXPECT_FALSE(parse_request(body, r, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find("geheim"), std::string::npos);
  }
}

TEST(ServerReply, OneLinePerFieldInTheGamesCharacters) {
  Reply r;
  r.action = Action::proceed;
  r.text = "Geprüft!\nZeile zwei\r";
  r.html = "<p>Grüße – ✓</p>";
  r.logtype = "full";
  EXPECT_EQ(write_reply(r), "Action=Continue\ntext=Gepr\xFC" "ft! Zeile zwei \nhtml=<p>Gr&#252;&#223;e &#8211; "
                            "&#10003;</p>\nlogtype=full\n");
  EXPECT_EQ(write_reply(Reply{}), "Action=Abort\n");
  r.action = Action::retry;
  r.text = "";
  r.html = "";
  r.logtype = "";
  EXPECT_EQ(write_reply(r), "Action=Retry\n");
  // The game's code page has € „ “ – …; broken UTF-8 and what it lacks become "?".
  EXPECT_EQ(to_cp1252_line("a\xC3z\xE2\x9C\x93"), "a?z?");
  EXPECT_EQ(to_cp1252_line("5 \xE2\x82\xAC \xE2\x80\x9Ej\xE2\x80\x9C \xE2\x80\x93 \xE2\x80\xA6 \xC2\x85"),
            "5 \x80 \x84j\x93 \x96 \x85 ?");
  EXPECT_EQ(html_escape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
}

TEST(ServerRedirects, EveryAddressOfTheGameLeadsToAPage) {
  struct Case {
    const char* path;
    const char* target;
  } cases[] = {
      {"/grumbold/qzt/de/xs-uplb-help_redirect.php", "/help/xs"},
      {"/grumbold/qzt/de/xl-uplb-reg_redirect.php", "/register/xl"},
      {"/grumbold/qzt/de/xxl-uplb-high_redirect.php", "/list/xxl"},
      {"/grumbold/qzt/de/xs_c1_redirect.php", "/list/xs"},
      {"/grumbold/qzt/de/xs_c2_redirect.php", "/"},
      {"/grumbold/qzt/de/xs_c3_redirect.php", "/help/xs"},
      {"/grumbold/qzt/de/xs_c4_redirect.php", "/"},
      {"/grumbold/qzt/de/xl_c1_redirect.php", "/list/xl"},
      {"/grumbold/qzt/de/xl_c2_redirect.php", "/"},
      {"/grumbold/qzt/de/xxl_c1_redirect.php", ""},
      {"/grumbold/qzt/de/xl-uplb-other_redirect.php", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(redirect_target(c.path), c.target) << c.path;
}

TEST(ServerRateLimit, ABurstThenTheRate) {
  RateLimit limit(2, 3);
  const auto t0 = RateLimit::Clock::now();
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(limit.allow("10.0.0.1", t0));
  EXPECT_FALSE(limit.allow("10.0.0.1", t0));
  EXPECT_TRUE(limit.allow("10.0.0.2", t0));  // each address has its own bucket
  EXPECT_EQ(limit.wait_seconds("10.0.0.1", t0), 1);
  EXPECT_TRUE(limit.allow("10.0.0.1", t0 + std::chrono::milliseconds(500)));
  EXPECT_FALSE(limit.allow("10.0.0.1", t0 + std::chrono::milliseconds(500)));
  RateLimit open(0, 1);
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(open.allow("10.0.0.1", t0));
}

// ---- languages -------------------------------------------------------------------------------

TEST(ServerLanguages, APageSpeaksItsParameterElseItsCookieElseTheBrowsersLanguage) {
  struct Case {
    const char* parameter;
    const char* cookie;
    const char* accept;
    const char* code;
    bool from_parameter;
  } cases[] = {
      {"", "", "", "de", false},
      {"en", "lang=de", "de", "en", true},
      {"fr", "", "en-GB,de;q=0.5", "en", false},  // a language the server lacks is no choice
      {"EN", "", "", "de", false},
      {"", "theme=dark; lang=en; x=1", "de", "en", false},
      {"", "lang=xx", "en", "en", false},
      {"", "", "en-GB", "en", false},
      {"", "", "EN_us;q=0.8, de;q=0.7", "en", false},
      {"", "", "de;q=0.5, en;q=0.9", "en", false},
      {"", "", "en, de", "en", false},  // equal liking: the first named
      {"", "", "de, en", "de", false},
      {"", "", "fr-CA, fr;q=0.9", "de", false},
      {"", "", "fr, *;q=0.5", "de", false},
      {"", "", "*, de;q=0", "en", false},
      {"", "", "en;q=0, *", "de", false},
      {"", "", "en-GB;q=0.3, en;q=0, de;q=0.2", "de", false},  // the language's own range wins
      {"", "", "en;q=abc, de;q=0.1", "de", false},              // a range with a broken q-value is none
      {"", "", "en;q=1.5", "de", false},
      {"", "", " en ; q = 0.70 , de ; q=0.6", "en", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.parameter) + " | " + c.cookie + " | " + c.accept);
    const LanguageChoice choice = choose_language(c.parameter, c.cookie, c.accept);
    ASSERT_NE(choice.language, nullptr);
    EXPECT_EQ(choice.language->code, c.code);
    EXPECT_EQ(choice.from_parameter, c.from_parameter);
  }
}

TEST(ServerLanguages, TheGameNamesItsLanguageByNumberAndItsLinksCarryIt) {
  struct Number {
    const char* field;
    const char* code;
  } numbers[] = {{"&lang=0009", "en"}, {"&lang=9", "en"}, {"&lang=0007", "de"}, {"&lang=0419", "de"},
                 {"&lang=", "de"},     {"", "de"}};
  for (const Number& n : numbers) {
    Request r;
    std::string error;
    const std::string body =
        "type=Authenticate&user=Gustav&pass=geheim12&version=V1.1&vtype=2" + std::string(n.field) + "&score=1&ienv=1&noyb=1";
    ASSERT_TRUE(parse_request(body, r, error)) << error;
    EXPECT_EQ(language_for_upload(r.authenticate.language).code, n.code) << n.field;
  }
  Request r;
  std::string error;
  EXPECT_FALSE(parse_request("type=Authenticate&user=a&pass=b&version=V1.1&vtype=2&lang=00g9&score=1&ienv=1&noyb=1",
                             r, error));

  const Language& en = *language_by_code("en");
  struct Link {
    const char* url;
    const Language& language;
    const char* becomes;
  } links[] = {
      {"http://h:1/register/xl", en, "http://h:1/register/xl?lang=en"},
      {"/list/xl?page=2#r27", en, "/list/xl?page=2&lang=en#r27"},
      {"/list/xl#r3", en, "/list/xl?lang=en#r3"},
      {"/list/xl?page=2#r27", german(), "/list/xl?page=2#r27"},
  };
  for (const Link& l : links) EXPECT_EQ(with_language(l.url, l.language), l.becomes) << l.url;

  // The game's links name its language in their path.
  struct Redirect {
    const char* path;
    const char* target;
  } redirects[] = {
      {"/grumbold/qzt/en/xs-uplb-help_redirect.php", "/help/xs?lang=en"},
      {"/grumbold/qzt/en/xxl-uplb-high_redirect.php", "/list/xxl?lang=en"},
      {"/grumbold/qzt/en/xl_c1_redirect.php", "/list/xl?lang=en"},
      {"/grumbold/qzt/en/xl_c2_redirect.php", "/?lang=en"},
      {"/grumbold/qzt/fr/xs-uplb-help_redirect.php", ""},
      {"/grumbold/qzt/EN/xs-uplb-help_redirect.php", ""},
  };
  for (const Redirect& d : redirects) EXPECT_EQ(redirect_target(d.path), d.target) << d.path;
}

// Every page and every reply the server has, in English: no text may fall back to German.
TEST(ServerLanguages, EveryPageAndEveryReplyHasItsEnglish) {
  const Language* en = language_by_code("en");
  ASSERT_NE(en, nullptr);
  forget_missing_translations();
  const PageContext c{en, "/list/xl", "page=2"};
  std::vector<std::string> said = {index_page(c, {1, 2, 3}), registered_page(c, 2, "Gustav"), not_found_page(c)};
  for (int edition = 1; edition <= 3; ++edition) said.push_back(help_page(c, edition));
  for (FormError e :
       {FormError::none, FormError::name, FormError::password, FormError::mismatch, FormError::name_taken})
    said.push_back(register_page(c, 2, e, "Gustav"));
  for (Trouble t : {Trouble::too_many_requests, Trouble::foreign_form, Trouble::fields_in_address, Trouble::busy,
                    Trouble::list_unreadable})
    said.push_back(trouble_page(c, t));
  const std::vector<ListEntry> entries = {{26, "Anna", 900, 1710201600, true, 7},
                                          {27, "Bert", 800, 1710201600, false, 8}};
  said.push_back(list_page(c, 2, entries, 2, 60, 25));  // with both neighbours' links
  EXPECT_NE(said.back().find("<a href=\"/game/7\">Anna</a>"), std::string::npos);
  said.push_back(list_page(c, 1, {}, 1, 0, 25));
  EXPECT_NE(said.back().find("<html lang=\"en\">"), std::string::npos);
  EXPECT_NE(said[said.size() - 2].find("<td>2024-03-12</td>"), std::string::npos);
  // A game's page in every video state, its charts naming every target there is.
  ListedGame game;
  game.result.id = 7;
  game.result.edition = 2;
  game.result.listed_score = 900;
  game.result.created = 1710201600;
  game.name = "Anna";
  Timeline timeline;
  timeline.length_ms = 91000;
  timeline.scores = {{1000, 25}, {2000, 40}};
  timeline.events = {{1000, 104, 0}, {1500, 50003, 0}, {1600, 45, 0}, {2000, 50002, 0}, {2100, 20, 0}};
  for (int code = 1; code < 100; ++code)
    if (target_name(code)) timeline.events.push_back({3000, static_cast<std::uint16_t>(code), 0});
  for (VideoShown v : {VideoShown::ready, VideoShown::preparing, VideoShown::failed, VideoShown::none})
    said.push_back(game_page(c, game, &timeline, v));
  said.push_back(game_page(c, game, nullptr, VideoShown::none));
  const Timeline quiet;  // no hits at all
  said.push_back(game_page(c, game, &quiet, VideoShown::none));

  const std::string url = "http://h/list/xl?lang=en";
  std::vector<Reply> replies = {malformed_request_reply(*en),
                                unreadable_request_reply(*en),
                                too_many_requests_reply(*en),
                                server_busy_reply(*en),
                                unsupported_version_reply(*en),
                                unsupported_edition_reply(*en, 3),
                                unknown_user_reply(*en, "Gustav", url),
                                wrong_password_reply(*en, "Gustav"),
                                too_many_tries_reply(*en),
                                authenticated_reply(*en, "Gustav", 1234),
                                no_recording_reply(*en),
                                damaged_data_reply(*en),
                                login_failed_reply(*en),
                                cannot_check_reply(*en),
                                listed_already_reply(*en, 2, url),
                                verified_reply(*en, 900, 900, 3, 10, 2, url),
                                verified_reply(*en, 920, 900, 3, 10, 2, url)};  // a bonus not confirmed
  for (SendAgain why : {SendAgain::expired, SendAgain::none_open, SendAgain::used_meanwhile})
    replies.push_back(send_again_reply(*en, why));
  for (const char* code : {reason::claim, reason::version, reason::fingerprint, reason::integrity, reason::event_log,
                           reason::check_words, reason::score, reason::events, reason::replay, reason::duplicate,
                           "something else"})
    replies.push_back(refused_reply(*en, 1234, code));
  for (const Reply& r : replies) {
    EXPECT_FALSE(r.text.empty());
    said.push_back(r.text);
    said.push_back(r.html);
  }

  EXPECT_EQ(missing_translations(), std::set<std::string>{});
  // A text that never went through a lookup would still be German.
  for (const std::string& text : said)
    for (const char* german : {"ä", "ö", "ü", "ß", "Ä", "Ö", "Ü", "„", " und ", " der ", " nicht "})
      EXPECT_EQ(text.find(german), std::string::npos) << german << " in " << text;
}

TEST(ServerLanguages, ATranslationIsOneMoreFileAndAFaultyOneIsNamedWithItsLine) {
  const LanguageFile english{"lang/en.txt", "[language]\ncode = en\nname = English\nupload = 0009\n"};
  const std::string french = "[language]\ncode = fr\nname = Français\nupload = 000c\n[server]\n";
  const std::string good =
      french + "Hilfe = Aide\nSeite {} von {} · {} Ergebnisse = Page {} sur {} · {} résultats\n";
  std::string error;
  const std::vector<Language> three = read_languages(std::vector<LanguageFile>{{"lang/fr.txt", good}, english}, error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(three.size(), 3u);
  EXPECT_EQ(three[0].code, "de");
  EXPECT_EQ(three[1].code, "en");
  EXPECT_EQ(three[2].name, "Français");
  EXPECT_EQ(three[2].upload_code, 12);
  EXPECT_EQ(tr(three[2], "Seite {} von {} · {} Ergebnisse", {"2", "3", "60"}), "Page 2 sur 3 · 60 résultats");

  struct Case {
    const char* path;
    std::string text;
    const char* says;
  } cases[] = {
      {"lang/fr.txt", french + "Hilfe Aide\n", "lang/fr.txt: line 6: "},
      {"lang/fr.txt", french + "Hilfe = Aide\nSeite {} von {} = Page {}\n", "lang/fr.txt: line 7: "},
      {"lang/fr.txt", "[language]\ncode = fr\n", "lang/fr.txt: [language] needs"},
      {"lang/es.txt", good, "lang/es.txt: the code fr is not"},
      {"lang/fr.txt", "[language]\ncode = fr\nname = Français\nupload = 0009\n", "lang/fr.txt: the upload number"},
  };
  for (const Case& c : cases) {
    const std::vector<Language> known = read_languages(std::vector<LanguageFile>{english, {c.path, c.text}}, error);
    EXPECT_EQ(error.rfind(c.says, 0), 0u) << error;
    EXPECT_EQ(known.size(), 2u) << c.says;
  }
}

}  // namespace
