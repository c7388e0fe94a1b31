// SPDX-License-Identifier: GPL-3.0-or-later
// Text table parser: any file fills the table without overflow, and every defined text ends
// inside the pool.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "game/text/texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  text::parse_text_table(data, size);
  for (int i = 1; i < text::text_index_count; ++i) {
    const std::uint16_t at = text::text_index[i];
    if (at == text::text_undefined) continue;
    if (at >= text::text_pool_size) std::abort();
    int n = 0;
    while (text::text_pool[at + n]) {
      ++n;
      if (at + n >= text::text_pool_size) std::abort();
    }
  }
  return 0;
}
