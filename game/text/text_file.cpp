// Reading the text table from the archive.
#include <cstdio>

#include "game/gfx/catalogue_table.h"
#include "game/resources/archive.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/text/texts.h"

namespace text {

void load_texts() {
  const int length = xflen(gfx::text_file);
  std::FILE* stream = length > 0 ? xfopen(gfx::text_file, "rb") : nullptr;
  if (!stream) {
    debug_log("Error, can't open text-file!\n");
    parse_text_table(nullptr, 0);
    return;
  }
  auto* bytes = static_cast<std::uint8_t*>(XMALLOC(static_cast<std::size_t>(length)));
  const std::size_t got = std::fread(bytes, 1, static_cast<std::size_t>(length), stream);
  xfclose(stream);
  parse_text_table(bytes, got);
  XFREE(bytes);
}

}  // namespace text
