// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/rate_limit.h"

#include <algorithm>
#include <cmath>

namespace server {

void RateLimit::refill(Bucket& b, Clock::time_point now) const {
  const double seconds = std::chrono::duration<double>(now - b.at).count();
  if (seconds > 0) b.tokens = std::min(burst_, b.tokens + seconds * rate_);
  b.at = std::max(b.at, now);
}

bool RateLimit::allow(const std::string& address, Clock::time_point now) {
  if (rate_ <= 0) return true;
  std::lock_guard lock(mutex_);
  // Full buckets say nothing: they go when the table grows, so it holds only recent callers.
  if (buckets_.size() >= 65536) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
      refill(it->second, now);
      it = it->second.tokens >= burst_ ? buckets_.erase(it) : std::next(it);
    }
  }
  auto [it, fresh] = buckets_.try_emplace(address, Bucket{burst_, now});
  Bucket& b = it->second;
  if (!fresh) refill(b, now);
  if (b.tokens < 1) return false;
  b.tokens -= 1;
  return true;
}

int RateLimit::wait_seconds(const std::string& address, Clock::time_point now) {
  if (rate_ <= 0) return 1;
  std::lock_guard lock(mutex_);
  const auto it = buckets_.find(address);
  if (it == buckets_.end()) return 1;
  refill(it->second, now);
  const double missing = 1 - it->second.tokens;
  return missing <= 0 ? 1 : std::max(1, static_cast<int>(std::ceil(missing / rate_)));
}

}  // namespace server
