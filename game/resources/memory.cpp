// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/memory.h"

#include <cstdlib>

#include "game/resources/fatal.h"
#include "game/resources/log.h"

namespace res {

namespace {
[[noreturn]] void out_of_memory(const char* source_file, int line) {
  debug_log("ERROR: not enough memory in %s, line %d\n", source_file, line);
  fatal_exit(1);
}
}  // namespace

void* xmalloc(std::size_t size, const char* source_file, int line) {
  void* block = std::malloc(size ? size : 1);
  if (!block) out_of_memory(source_file, line);
  return block;
}

void* xrealloc(void* block, std::size_t size, const char* source_file, int line) {
  void* grown = std::realloc(block, size ? size : 1);
  if (!grown) out_of_memory(source_file, line);
  return grown;
}

void xfree(void* block, const char*, int) { std::free(block); }

}  // namespace res
