// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the text table from the archive.
#include <cstdio>
#include <cstring>

#include "game/gfx/catalogue_table.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/text/texts.h"

namespace text {

void load_texts(const char* language) {
  char file[64];
  if (language && language[0] && std::strcmp(language, "de") != 0 && std::strlen(language) < 8)
    std::snprintf(file, sizeof file, "data\\%s\\text.txt", language);
  else
    std::snprintf(file, sizeof file, "%s", gfx::text_file);
  std::FILE* stream = res::xfopen(file, "rb");
  if (!stream) {
    res::debug_log("Error, can't open text-file!\n");
    parse_text_table(nullptr, 0);
    return;
  }
  // The stream may go on past the stored file (the archive's next file): read just its bytes.
  const int length = res::xflen(file);
  const std::size_t size = length > 0 ? static_cast<std::size_t>(length) : 0;
  auto* bytes = static_cast<std::uint8_t*>(XMALLOC(size));
  const std::size_t got = size ? std::fread(bytes, 1, size, stream) : 0;
  res::xfclose(stream);
  parse_text_table(bytes, got);
  XFREE(bytes);
}

}  // namespace text
