// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/archive.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "game/app/app.h"
#include "game/resources/log.h"

namespace res {

#ifdef GRUMBOLDX_LOOSE_FILES
bool use_data_archive = false;  // a development build that reads the data tree from disk
#else
bool use_data_archive = true;
#endif

namespace {

unsigned char directory[archive_directory_size];
std::FILE* archive_stream = nullptr;

std::int32_t read_int(const unsigned char* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) |
                                   static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 |
                                   static_cast<std::uint32_t>(p[3]) << 24);
}

const unsigned char* entry_at(int index) { return directory + index * archive_entry_size; }
std::int32_t entry_offset(int index) { return read_int(entry_at(index) + 48); }
std::int32_t entry_length(int index) { return read_int(entry_at(index) + 52); }

// Exact, case-sensitive comparison including the terminating zero, never past the name field.
bool entry_name_is(int index, const char* name) {
  const std::size_t length = std::strlen(name);
  return length < archive_name_size && std::memcmp(entry_at(index), name, length + 1) == 0;
}

struct Lookup {
  int found;    // the selected entry, or -1
  int stopped;  // the entry where the search ended
};

// Linear search: entry 0 first, then entry after entry until one of length 0.
Lookup find_entry(const char* name) {
  if (entry_name_is(0, name)) return {entry_length(0) > 0 ? 0 : -1, 0};
  int current = 0;
  while (entry_length(current) != 0) {
    ++current;
    if (current >= archive_max_entries) return {-1, archive_max_entries - 1};
    if (entry_name_is(current, name)) {
      // A zero length counts as not found; so does a corrupt negative size or position.
      const bool usable = entry_length(current) > 0 && entry_offset(current) >= 0;
      return {usable ? current : -1, current};
    }
  }
  return {-1, current};
}

bool is_optional(const char* name) { return std::strncmp(name, "****", 4) == 0; }

// Loose files use the stored name with the directory separators of this system.
std::string loose_path(const char* name) {
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

}  // namespace

int xfinit(const char* archive_path) {
  if (!use_data_archive) return 1;
  debug_log("open data file: %s\n", archive_path);
  archive_stream = std::fopen(archive_path, "rb");
  if (!archive_stream) {
    debug_log("  file not found\n");
    return 0;
  }
  std::memset(directory, 0, sizeof directory);
  const std::size_t got = std::fread(directory, 1, sizeof directory, archive_stream);
  (void)got;  // a short archive leaves the rest of the directory zero
  app::edition = -1;
  if (std::memcmp(directory, archive_magic_xxl, 13) == 0) app::edition = app::edition_xxl;
  if (std::memcmp(directory, archive_magic_xl, 12) == 0) app::edition = app::edition_xl;
  if (std::memcmp(directory, archive_magic_xs, 12) == 0) app::edition = app::edition_xs;
  return app::edition == -1 ? 0 : 1;
}

int xflen(const char* path) {
  if (!use_data_archive) {
    std::FILE* f = std::fopen(loose_path(path).c_str(), "rb");
    if (!f) {
      debug_log("xflen file not found: %s\n", path);
      return 0;
    }
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return static_cast<int>(size);
  }
  const Lookup hit = find_entry(path);
  if (hit.found < 0) {
    if (!is_optional(path)) debug_log("ERROR: xflen could not find file %s\n", path);
    return 0;
  }
  return entry_length(hit.found);
}

int xfexist(const char* base, const char* extension) {
  char name[100];
  std::snprintf(name, sizeof name, "%s%s", base, extension);
  if (!use_data_archive) {
    std::FILE* f = std::fopen(loose_path(name).c_str(), "rb");
    if (!f) return 0;
    std::fclose(f);
    return 1;
  }
  if (is_optional(name)) return 1;
  return find_entry(name).found >= 0 ? 1 : 0;
}

std::FILE* xfopen(const char* path, const char* mode) {
  if (!use_data_archive) return std::fopen(loose_path(path).c_str(), mode);
  if (!archive_stream) return nullptr;
  const Lookup hit = find_entry(path);
  int entry = hit.found;
  if (entry < 0) {
    if (!is_optional(path)) {
      debug_log("ERROR: xfopen could not find file %s\n", path);
      return nullptr;
    }
    entry = hit.stopped;
  }
  std::fseek(archive_stream, entry_offset(entry), SEEK_SET);
  return archive_stream;
}

void xfclose(std::FILE* stream) {
  if (!use_data_archive && stream) std::fclose(stream);
}

void xfdone() {
  if (archive_stream) std::fclose(archive_stream);
  archive_stream = nullptr;
}

}  // namespace res
