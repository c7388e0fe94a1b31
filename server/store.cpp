// SPDX-License-Identifier: GPL-3.0-or-later
// What both stores share.
#include "server/store.h"

namespace server {

namespace {

constexpr const char* state_words[] = {"", "waiting", "rendering", "ready", "failed", "evicted"};

}  // namespace

const char* video_state_word(VideoState s) { return state_words[static_cast<int>(s)]; }

VideoState video_state_from_word(std::string_view word) {
  for (int i = 1; i < static_cast<int>(std::size(state_words)); ++i)
    if (word == state_words[i]) return static_cast<VideoState>(i);
  return VideoState::none;
}

}  // namespace server
