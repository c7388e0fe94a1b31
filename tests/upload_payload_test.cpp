// SPDX-License-Identifier: GPL-3.0-or-later
// The md record and the payload encoding, each encoding undone by the server's decoder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/resources/random.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"

namespace {

std::string check_digits() {
  std::string check;
  for (int i = 0; i < upload::check_text_length; ++i) check += "0123456789abcdef"[(i * 7 + 3) % 16];
  return check;
}

std::string record(const char* user, const char* password, int score, int edition,
                   const std::string& check = check_digits()) {
  char md[upload::md_length + 1];
  upload::build_md_record(user, password, score, edition, check.c_str(), md);
  return std::string(md);
}

TEST(UploadMdRecord, FieldsLandInTheirPlaces) {
  struct Case {
    const char* user;
    const char* password;
    int score;
    int edition;
    const char* block;  // the first 60 characters
  };
  const Case cases[] = {
      {"Anna Lena", "geheim", 1234, 2,
       "      Anna Lena       geheim      1234  V1.12               "},
      // Fifteen characters fill the name's field but its last place.
      {"abcdefghijklmno", "pw", 5, 3,
       "      abcdefghijklmno pw          5     V1.13               "},
      // Only the password field's 12 places, whatever the score's length.
      {"u", "123456789012345", 7, 1,
       "      u               1234567890127     V1.11               "},
      // A score of seven digits runs into the version, which overwrites it.
      {"u", "p", 1234567, 2,
       "      u               p           123456V1.12               "},
      {"u", "p", -50, 2,
       "      u               p           -50   V1.12               "},
  };
  for (const Case& c : cases) {
    const std::string md = record(c.user, c.password, c.score, c.edition);
    ASSERT_EQ(md.size(), static_cast<std::size_t>(upload::md_length)) << c.user;
    EXPECT_EQ(md.substr(0, 60), c.block) << c.user << " " << c.password << " " << c.score;
    EXPECT_EQ(md.substr(60), check_digits());
  }
}

TEST(UploadMdRecord, AMissingCheckTextCountsAsZeros) {
  const std::string md = record("u", "p", 1, 2, "abc");
  ASSERT_EQ(md.size(), static_cast<std::size_t>(upload::md_length));
  EXPECT_EQ(md.substr(60, 3), "abc");
  EXPECT_EQ(md.substr(63), std::string(upload::check_text_length - 3, '0'));
}

// An event record of 32 + 4 n bytes in hex, as the send button makes it.
void make_event_text(int entries, unsigned seed) {
  std::vector<std::uint8_t> bytes(32 + 4 * static_cast<std::size_t>(entries));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed * 17) ^ (i >> 3));
  upload::make_upload_hex(bytes.data(), bytes.size());
  upload::save_upload_hex();
}

class UploadPayload : public testing::Test {
 protected:
  void SetUp() override { res::random_seed(12345); }
  void TearDown() override {
    upload::free_upload_hex();
    upload::free_saved_upload_hex();
  }
};

TEST_F(UploadPayload, EveryEncodingDecodesToWhatWasSent) {
  const std::string md_sent = record("Anna Lena", "geheim", 4711, 3);
  for (int log_type : {upload::log_none, upload::log_normal, upload::log_full}) {
    for (int entries : {0, 1, 250}) {
      for (unsigned seed : {1u, 77u, 90210u}) {
        SCOPED_TRACE("log type " + std::to_string(log_type) + ", " + std::to_string(entries) +
                     " entries, seed " + std::to_string(seed));
        make_event_text(entries, seed);
        const std::string event_text = upload::saved_upload_hex;
        res::random_seed(seed);
        char md[upload::md_length + 1];
        std::memcpy(md, md_sent.c_str(), sizeof md);
        char md_out[upload::md_hex_length + 1];
        upload::encode_upload_payload(md, md_out, log_type);
        ASSERT_EQ(std::strlen(md_out), static_cast<std::size_t>(upload::md_hex_length));
        EXPECT_EQ(std::strspn(md_out, "0123456789abcdef"), std::strlen(md_out));

        upload::DecodedPayload decoded;
        ASSERT_TRUE(upload::decode_upload_payload(md_out, upload::upload_hex, log_type, decoded));
        if (log_type == upload::log_none) {
          EXPECT_EQ(std::string(decoded.md_record), md_sent);
          EXPECT_EQ(std::string(upload::upload_hex), event_text) << "the event text is not sent";
          continue;
        }
        const std::size_t length = event_text.size();
        EXPECT_EQ(std::strlen(upload::upload_hex), length + 14);
        EXPECT_EQ(decoded.event_text, event_text);
        EXPECT_TRUE(decoded.event_checksum_ok);
        EXPECT_TRUE(decoded.final_checksum_ok);
        EXPECT_LT(static_cast<std::size_t>(decoded.positions[0]), length - 2);
        EXPECT_LT(static_cast<std::size_t>(decoded.positions[1]), length);
        EXPECT_LT(static_cast<std::size_t>(decoded.positions[2]), length + 2);
        // The record comes back with the encoding's own fields filled in, the rest as built.
        const std::string back = decoded.md_record;
        char positions[7];
        std::snprintf(positions, sizeof positions, "%02x%02x%02x", decoded.positions[0],
                      decoded.positions[1], decoded.positions[2]);
        EXPECT_EQ(back.substr(0, 6), positions);
        EXPECT_EQ(back.substr(6, 40), md_sent.substr(6, 40));
        char sums[15];
        std::snprintf(sums, sizeof sums, "%02x%02x%02x%08x", decoded.check_start,
                      decoded.check_weight, decoded.check_step, decoded.event_checksum);
        EXPECT_EQ(back.substr(46, 14), sums);
        EXPECT_TRUE(decoded.check_weight == 3 || decoded.check_weight == 7 ||
                    decoded.check_weight == 11 || decoded.check_weight == 13);
        EXPECT_LT(decoded.check_step, 16);
        EXPECT_EQ(back.substr(60), md_sent.substr(60));
      }
    }
  }
}

TEST_F(UploadPayload, EachEncodingStartsAgainFromTheSavedCopy) {
  make_event_text(40, 5);
  const std::string event_text = upload::saved_upload_hex;
  const std::string md_sent = record("u", "p", 10, 2);
  std::vector<std::string> sent;
  for (int press = 0; press < 2; ++press) {
    char md[upload::md_length + 1];
    std::memcpy(md, md_sent.c_str(), sizeof md);
    char md_out[upload::md_hex_length + 1];
    upload::encode_upload_payload(md, md_out, upload::log_full);
    upload::DecodedPayload decoded;
    ASSERT_TRUE(upload::decode_upload_payload(md_out, upload::upload_hex, upload::log_full, decoded));
    EXPECT_EQ(decoded.event_text, event_text) << "press " << press;
    EXPECT_TRUE(decoded.event_checksum_ok && decoded.final_checksum_ok);
    sent.emplace_back(upload::upload_hex);
  }
  EXPECT_EQ(sent[0].size(), sent[1].size());
}

TEST_F(UploadPayload, ChangedDataFailsItsChecksum) {
  make_event_text(60, 9);
  char md[upload::md_length + 1];
  std::memcpy(md, record("u", "p", 10, 2).c_str(), sizeof md);
  char md_out[upload::md_hex_length + 1];
  upload::encode_upload_payload(md, md_out, upload::log_normal);
  const std::string el = upload::upload_hex;

  // A digit of the event text far from the insertions (which lie within the first 260 digits).
  std::string event_changed = el;
  event_changed[300] = event_changed[300] == '0' ? '1' : '0';
  upload::DecodedPayload decoded;
  ASSERT_TRUE(upload::decode_upload_payload(md_out, event_changed.c_str(), upload::log_normal, decoded));
  EXPECT_FALSE(decoded.event_checksum_ok);
  EXPECT_TRUE(decoded.final_checksum_ok);

  // A byte of the record past the positions: refused as malformed (it may land in a field of
  // hex digits) or failing the final checksum.
  std::string md_changed = md_out;
  md_changed[200] = md_changed[200] == '0' ? '1' : '0';
  EXPECT_TRUE(!upload::decode_upload_payload(md_changed.c_str(), el.c_str(), upload::log_normal, decoded) ||
              !decoded.final_checksum_ok);
}

TEST_F(UploadPayload, TheDecoderRefusesWhatNoEncodingMakes) {
  make_event_text(10, 3);
  char md[upload::md_length + 1];
  std::memcpy(md, record("u", "p", 10, 2).c_str(), sizeof md);
  char md_out[upload::md_hex_length + 1];
  upload::encode_upload_payload(md, md_out, upload::log_full);
  const std::string good_md = md_out, good_el = upload::upload_hex;
  upload::DecodedPayload decoded;
  ASSERT_TRUE(upload::decode_upload_payload(good_md.c_str(), good_el.c_str(), upload::log_full, decoded));
  std::string not_hex = good_md;
  not_hex[100] = 'g';
  const struct {
    std::string md, el;
  } bad[] = {
      {good_md.substr(2), good_el},
      {not_hex, good_el},
      {good_md, good_el.substr(0, 70)},
      {good_md, good_el.substr(0, good_el.size() - 1) + "x"},
  };
  for (const auto& b : bad)
    EXPECT_FALSE(upload::decode_upload_payload(b.md.c_str(), b.el.c_str(), upload::log_full, decoded))
        << b.md.size() << " " << b.el.size();
  EXPECT_FALSE(upload::decode_upload_payload(good_md.c_str(), nullptr, upload::log_full, decoded));
}

}  // namespace
