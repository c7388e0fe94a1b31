// SPDX-License-Identifier: GPL-3.0-or-later
// The upload's payload as the highscore server reads it: the inverse of the game's encoding,
// shared by the game's tests and the server.
//
// The md record (356 characters): three insertion positions ("%02x" at 0, 2, 4; blanks for log
// type none), user name (6, 16 wide), password (22, 12), score (34, 6), "V1.1" (40), edition
// digit and a blank (44), the event checksum's start sum, weight and step ("%02x" at 46, 48, 50)
// and value ("%08x" at 52; all blanks for none), then the 296-digit check text.
//
// Log type none: the md value is each md byte XOR payload_key[i mod 9] in hex; no "el".
// Log types normal and full: the event checksum d = weighted_sum(s0, event text, L, w, t) is
// written into the record; three random bytes r1, r2, r3 are inserted as hex pairs into the
// event text at p1, p2 (of the lengthened text) and p3, which go into the record; bytes 6.. of
// the record get k[i mod 6] added, k = (-r1, r2, r3, -r2, -r3, r1), and are shuffled by m = 350
// swaps of 6 + (7j mod m) with 6 + (3 + 17j mod m); the final checksum weighted_sum(0, record,
// 356, 9, 4) is appended to the event text as "%08x", which is sent as "el"; the md value is
// the record in hex.
#pragma once

#include <cstdint>
#include <string>

namespace upload {

// The game window's title, the key of log type none.
inline constexpr char payload_key[] = "GrumboldX";
inline constexpr int payload_key_length = 9;

struct DecodedPayload {
  char md_record[357] = {};  // the record as the game built it, ended by 0
  int positions[3] = {-1, -1, -1};  // p1, p2, p3; -1 for log type none
  int random_bytes[3] = {-1, -1, -1};  // r1, r2, r3
  int check_start = 0, check_weight = 0, check_step = 0;
  std::uint32_t event_checksum = 0;  // as sent in the record
  std::uint32_t final_checksum = 0;  // as sent at the end of "el"
  std::string event_text;            // "el" without the insertions and the final checksum
  bool event_checksum_ok = false;    // d matches the recovered event text
  bool final_checksum_ok = false;    // matches the encoded record
};

// Undoes the encoding. el is ignored (and may be null) for log type none. False when the
// values are not of the encoding's form (lengths, hex digits, positions out of range); the
// checksums are reported, not required.
bool decode_upload_payload(const char* md_hex, const char* el, int log_type, DecodedPayload& out);

// The 712-digit md value and the event checksum fields follow from these two; shared by the
// encoder and the decoder.
int weight_choice(int index);  // 3, 7, 11, 13
// The shuffle's j-th swap: the two positions (from 6 on) it exchanges in a record of n bytes.
void shuffle_pair(int j, int n, int& a, int& b);

}  // namespace upload
