// SPDX-License-Identifier: GPL-3.0-or-later
// Readable log lines for display and sound result codes. Each returns false for success (0)
// and writes nothing; any other code is logged with its name and the caller's place, and true
// is returned so the caller treats the call as failed.
#pragma once

#include <cstdint>

namespace res {

bool report_dd_error(std::int32_t result, const char* source_file, int line);
bool report_ds_error(std::int32_t result, const char* source_file, int line);

// The name a reporter prints for a code ("Unknown error (%x)" when the table lacks it).
const char* dd_error_name(std::int32_t result, char* buffer, int buffer_size);
const char* ds_error_name(std::int32_t result, char* buffer, int buffer_size);

}  // namespace res

#define REPORT_DD(result) ::res::report_dd_error((result), __FILE__, __LINE__)
#define REPORT_DS(result) ::res::report_ds_error((result), __FILE__, __LINE__)
