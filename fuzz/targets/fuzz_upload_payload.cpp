// SPDX-License-Identifier: GPL-3.0-or-later
// The upload payload's inverse on raw values: the first byte picks the log type, the md value
// runs to the first line break and "el" is the rest. Every value is either refused or decoded
// within its bytes into a record of its fixed length with its three insertions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/upload/payload_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const int log_type = data[0] % 3;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t cut = rest.find('\n');
  const std::string md = rest.substr(0, cut);
  const std::string el = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
  upload::DecodedPayload out;
  if (!upload::decode_upload_payload(md.c_str(), el.c_str(), log_type, out)) return 0;
  if (out.md_record[356] != 0) std::abort();
  if (log_type != 0) {
    for (int i = 0; i < 3; ++i)
      if (out.positions[i] < 0 || out.random_bytes[i] < 0 || out.random_bytes[i] > 255) std::abort();
    if (out.event_text.size() > el.size()) std::abort();
  }
  return 0;
}
