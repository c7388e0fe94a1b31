// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/accounts.h"

#include <crypt.h>
#include <openssl/crypto.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace server {

namespace {

constexpr std::string_view refused_password_characters = " &=+%#?";

}  // namespace

bool valid_user_name(std::string_view name) {
  if (name.size() < min_user_name || name.size() > 15) return false;
  for (char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

bool valid_password(std::string_view password) {
  if (password.size() < min_password || password.size() > max_password) return false;
  for (char c : password)
    if (c < 33 || c > 126 || refused_password_characters.find(c) != std::string_view::npos) return false;
  return true;
}

std::string name_key(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

std::string hash_password(std::string_view password) {
  char salt[CRYPT_GENSALT_OUTPUT_SIZE];
  // Count 0 asks for the library's default cost; the salt comes from the system's entropy.
  if (!crypt_gensalt_rn("$y$", 0, nullptr, 0, salt, sizeof salt)) return {};
  // crypt_data is large (tens of kilobytes): on the heap, not on a worker thread's stack.
  auto data = std::make_unique<crypt_data>();
  const std::string clear(password);
  const char* hash = crypt_rn(clear.c_str(), salt, data.get(), sizeof *data);
  std::string out = hash && hash[0] != '*' ? hash : "";
  OPENSSL_cleanse(data.get(), sizeof *data);
  return out;
}

bool password_matches(std::string_view password, const std::string& hash) {
  if (hash.empty() || hash[0] != '$') return false;
  auto data = std::make_unique<crypt_data>();
  const std::string clear(password);
  const char* again = crypt_rn(clear.c_str(), hash.c_str(), data.get(), sizeof *data);
  const bool same = again && std::strlen(again) == hash.size() &&
                    CRYPTO_memcmp(again, hash.data(), hash.size()) == 0;
  OPENSSL_cleanse(data.get(), sizeof *data);
  return same;
}

CredentialCache::CredentialCache(std::chrono::seconds keep, GuessLimits limits) : keep_(keep), limits_(limits) {
  if (RAND_bytes(key_, sizeof key_) != 1) throw std::runtime_error("no random bytes for the credential cache");
}

std::string CredentialCache::digest(std::string_view name, std::string_view password,
                                    const std::string& hash) const {
  // Length-prefixed parts, so that no two different triples give the same message.
  std::string message;
  const std::string key = name_key(name);
  for (std::string_view part : {std::string_view(key), password, std::string_view(hash)}) {
    message += std::to_string(part.size());
    message += ':';
    message += part;
  }
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  HMAC(EVP_sha256(), key_, sizeof key_, reinterpret_cast<const unsigned char*>(message.data()),
       message.size(), out, &length);
  OPENSSL_cleanse(message.data(), message.size());
  return std::string(reinterpret_cast<const char*>(out), length);
}

bool CredentialCache::knows(std::string_view name, std::string_view password, const std::string& hash) {
  const std::string d = digest(name, password, hash);
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  const auto it = entries_.find(name_key(name));
  if (it == entries_.end()) return false;
  if (it->second.until < now) {
    entries_.erase(it);
    return false;
  }
  return it->second.digest.size() == d.size() &&
         CRYPTO_memcmp(it->second.digest.data(), d.data(), d.size()) == 0;
}

void CredentialCache::remember(std::string_view name, std::string_view password, const std::string& hash) {
  Entry e{digest(name, password, hash), std::chrono::steady_clock::now() + keep_};
  std::lock_guard lock(mutex_);
  // Every so often the expired entries go, so the map holds only the recently active players.
  if (entries_.size() >= 4096) {
    const auto now = std::chrono::steady_clock::now();
    for (auto it = entries_.begin(); it != entries_.end();)
      it = it->second.until < now ? entries_.erase(it) : std::next(it);
  }
  entries_[name_key(name)] = std::move(e);
}

bool CredentialCache::held_back(std::string_view name) {
  std::lock_guard lock(mutex_);
  const auto it = failures_.find(name_key(name));
  return it != failures_.end() && it->second.held_until > std::chrono::steady_clock::now();
}

void CredentialCache::note_failure(std::string_view name) {
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard lock(mutex_);
  // Like the pairs, only the recently active accounts are kept.
  if (failures_.size() >= 4096) {
    for (auto it = failures_.begin(); it != failures_.end();)
      it = it->second.first + failure_window < now && it->second.held_until < now ? failures_.erase(it)
                                                                                  : std::next(it);
  }
  Failures& f = failures_[name_key(name)];
  if (f.count == 0 || f.first + failure_window < now) f = Failures{0, now, {}};
  if (++f.count >= limits_.failures_allowed) {
    f.held_until = now + limits_.hold_time;
    f.count = 0;  // a fresh count once the hold is over
  }
}

void CredentialCache::note_success(std::string_view name) {
  std::lock_guard lock(mutex_);
  failures_.erase(name_key(name));
}

void CredentialCache::begin_hashing() {
  std::unique_lock lock(hashing_mutex_);
  hashing_turn_.wait(lock, [this] { return hashing_ < std::max(1, limits_.hashing_at_once); });
  ++hashing_;
  ++hashes_;
  most_hashing_ = std::max(most_hashing_, hashing_);
}

void CredentialCache::end_hashing() {
  {
    std::lock_guard lock(hashing_mutex_);
    --hashing_;
  }
  hashing_turn_.notify_one();
}

int CredentialCache::hashes_run() const {
  std::lock_guard lock(hashing_mutex_);
  return hashes_;
}

int CredentialCache::most_hashing_at_once() const {
  std::lock_guard lock(hashing_mutex_);
  return most_hashing_;
}

PasswordCheck check_password(CredentialCache& cache, std::string_view name, std::string_view password,
                             const std::string& hash) {
  if (cache.knows(name, password, hash)) return PasswordCheck::right;
  if (cache.held_back(name)) return PasswordCheck::wait;
  cache.begin_hashing();
  const bool same = password_matches(password, hash);
  cache.end_hashing();
  if (!same) {
    cache.note_failure(name);
    return PasswordCheck::wrong;
  }
  cache.remember(name, password, hash);
  cache.note_success(name);
  return PasswordCheck::right;
}

}  // namespace server
