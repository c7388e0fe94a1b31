// SPDX-License-Identifier: GPL-3.0-or-later
// The verifier's pipe messages: little-endian numbers and counted texts in a byte string,
// framed by a 32-bit length, read and written whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace server::wire {

// The longest message either side accepts: a replay text at its longest with room to spare.
inline constexpr std::uint32_t max_message = 2 * 1024 * 1024;

inline void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void put8(std::string& out, std::uint8_t v) { out.push_back(static_cast<char>(v)); }
inline void put_text(std::string& out, std::string_view s) {
  put32(out, static_cast<std::uint32_t>(s.size()));
  out.append(s);
}

class Reader {
 public:
  explicit Reader(std::string_view data) : data_(data) {}
  bool ok() const { return ok_; }
  std::uint32_t u32() {
    if (data_.size() - at_ < 4) return fail();
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(data_[at_ + i])) << (8 * i);
    at_ += 4;
    return v;
  }
  std::uint8_t u8() {
    if (data_.size() - at_ < 1) return static_cast<std::uint8_t>(fail());
    return static_cast<std::uint8_t>(data_[at_++]);
  }
  std::string text() {
    const std::uint32_t n = u32();
    if (!ok_ || data_.size() - at_ < n) {
      fail();
      return {};
    }
    std::string s(data_.substr(at_, n));
    at_ += n;
    return s;
  }
  std::string_view rest() const { return data_.substr(at_); }

 private:
  std::uint32_t fail() {
    ok_ = false;
    at_ = data_.size();
    return 0;
  }
  std::string_view data_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

// Whole-message input and output on file descriptors. read_message waits at most until the
// deadline (milliseconds of the steady clock; negative: no limit) and is false on end of file,
// an error, an over-long message or the deadline.
// A child process of the server's own program in one of its modes ("--verifier" or
// "--render-worker", with an edition's archive): jobs go to its standard input, answers come
// from its descriptor 3. It starts with no signal blocked and SIGPIPE at its default, whatever
// the server's threads have set. False with the reason (and nothing left open) when it cannot
// be started; its greeting is the caller's to read.
struct Child {
  int pid = -1;
  int to = -1;    // the job pipe's writing end
  int from = -1;  // the answer pipe's reading end
};
bool spawn_child(const std::string& program, const char* mode, const std::string& archive, Child& out,
                 std::string& error);

bool write_message(int fd, std::string_view payload);
bool read_message(int fd, std::string& payload, std::int64_t deadline_ms);
std::int64_t now_ms();

}  // namespace server::wire
