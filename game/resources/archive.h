// SPDX-License-Identifier: GPL-3.0-or-later
// The data archive grumboldX.dat: a directory of up to 500 entries of 64 bytes (name up to 47
// characters, offset, length, reserved) followed by the stored files. Entry 0 carries the
// edition magic; the directory ends at the first entry of length 0. Stored files are named by
// their relative path with backslashes ("data\gfx\bg.jpg"), case-sensitive.
//
// Reading protocol: ask xflen, allocate that many bytes, xfopen, read exactly that many bytes
// from the returned stream, xfclose. Only one stored file is read at a time.
#pragma once

#include <cstdio>

namespace res {

constexpr int archive_entry_size = 64;
constexpr int archive_max_entries = 500;
constexpr int archive_directory_size = archive_entry_size * archive_max_entries;  // 32000
constexpr int archive_name_size = 48;

// Edition magics, compared including their terminating zero.
constexpr const char* archive_magic_xs = "QZT XS V1.0";
constexpr const char* archive_magic_xl = "QZT XL V1.0";
constexpr const char* archive_magic_xxl = "QZT XXL V1.0";

// Loose-file mode (a development set-up that reads files from disk instead of the archive).
// On in the shipped build; tests may switch it before xfinit.
extern bool use_data_archive;

int xfinit(const char* archive_path);  // 1 = ok, 0 = failure; sets the edition from the header
int xflen(const char* path);           // size in bytes, 0 when missing
int xfexist(const char* base, const char* extension);
std::FILE* xfopen(const char* path, const char* mode);
void xfclose(std::FILE* stream);
void xfdone();

}  // namespace res
