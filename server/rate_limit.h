// SPDX-License-Identifier: GPL-3.0-or-later
// Requests per address: a bucket of burst tokens per address, refilled at rate tokens a second;
// a request takes one or is refused. A rate of 0 lets everything through.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

class RateLimit {
 public:
  using Clock = std::chrono::steady_clock;
  RateLimit(double rate, double burst) : rate_(rate), burst_(burst) {}
  bool allow(const std::string& address, Clock::time_point now = Clock::now());
  // Seconds until the address has a token again (for Retry-After), at least 1.
  int wait_seconds(const std::string& address, Clock::time_point now = Clock::now());

 private:
  struct Bucket {
    double tokens;
    Clock::time_point at;
  };
  void refill(Bucket& b, Clock::time_point now) const;
  double rate_, burst_;
  std::mutex mutex_;
  std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace server
