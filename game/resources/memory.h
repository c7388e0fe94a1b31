// SPDX-License-Identifier: GPL-3.0-or-later
// Guarded allocation: never returns null. When the heap is exhausted the failure is logged with
// the caller's source file and line and the process ends with exit code 1.
#pragma once

#include <cstddef>

namespace res {

void* xmalloc(std::size_t size, const char* source_file, int line);
void* xrealloc(void* block, std::size_t size, const char* source_file, int line);
void xfree(void* block, const char* source_file, int line);

}  // namespace res

#define XMALLOC(size) ::res::xmalloc((size), __FILE__, __LINE__)
#define XREALLOC(block, size) ::res::xrealloc((block), (size), __FILE__, __LINE__)
#define XFREE(block) ::res::xfree((block), __FILE__, __LINE__)
