// SPDX-License-Identifier: GPL-3.0-or-later
// packdat: builds, lists and extracts the game's data archive.
//
//   packdat --edition XS|XL|XXL --out FILE ROOT...   store every file under the roots
//   packdat --list FILE                              print the directory
//   packdat --extract FILE DIR                       write the stored files under DIR
//
// The archive starts with a directory of 500 entries of 64 bytes: a 48-byte zero-terminated
// name, the file's offset and length (32-bit little-endian) and 8 reserved bytes. Entry 0 holds
// the edition magic; a zero length ends the directory. Names are relative paths with
// backslashes. Output is reproducible: names sorted, reserved bytes zero.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int entry_size = 64;
constexpr int max_entries = 500;
constexpr int directory_size = entry_size * max_entries;
constexpr int max_files = max_entries - 2;  // the header and the closing entry take two
constexpr int max_name = 47;

struct StoredFile {
  std::string name;  // as the game asks for it: "data\gfx\bg.jpg"
  fs::path source;
  std::uint32_t length = 0;
};

int usage() {
  std::cerr << "usage: packdat --edition XS|XL|XXL --out FILE ROOT...\n"
               "       packdat --list FILE\n"
               "       packdat --extract FILE DIR\n";
  return 2;
}

int refuse(const std::string& why) {
  std::cerr << "packdat: " << why << "; nothing written\n";
  return 2;
}

void put_int(std::vector<unsigned char>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t get_int(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

int pack(const std::string& edition, const fs::path& out, const std::vector<fs::path>& roots) {
  std::string magic;
  if (edition == "XS") magic = "QZT XS V1.0";
  else if (edition == "XL") magic = "QZT XL V1.0";
  else if (edition == "XXL") magic = "QZT XXL V1.0";
  else return refuse("unknown edition \"" + edition + "\" (XS, XL or XXL)");

  std::vector<StoredFile> files;
  for (const fs::path& root : roots) {
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return refuse("no such folder: " + root.string());
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (!it->is_regular_file()) continue;
      std::string name = fs::relative(it->path(), root).generic_string();
      std::replace(name.begin(), name.end(), '/', '\\');
      StoredFile f{name, it->path(), 0};
      const auto size = fs::file_size(it->path());
      if (size == 0) return refuse("empty file " + it->path().string() + " (a zero length ends the directory)");
      if (size > 0x7FFFFFFFu) return refuse("file too large: " + it->path().string());
      f.length = static_cast<std::uint32_t>(size);
      files.push_back(std::move(f));
    }
    if (ec) return refuse("cannot read " + root.string() + ": " + ec.message());
  }
  std::sort(files.begin(), files.end(),
            [](const StoredFile& a, const StoredFile& b) { return a.name < b.name; });
  if (files.size() > static_cast<std::size_t>(max_files))
    return refuse(std::to_string(files.size()) + " files, at most " + std::to_string(max_files) + " fit");
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].name.size() > static_cast<std::size_t>(max_name))
      return refuse("name longer than " + std::to_string(max_name) + " characters: " + files[i].name);
    if (i > 0 && files[i].name == files[i - 1].name) return refuse("two files named " + files[i].name);
  }

  std::vector<unsigned char> archive(directory_size, 0);
  std::memcpy(archive.data(), magic.c_str(), magic.size() + 1);
  put_int(archive, 52, directory_size);  // the header's length must not be zero
  std::uint64_t offset = directory_size;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::size_t at = (i + 1) * entry_size;
    std::memcpy(archive.data() + at, files[i].name.c_str(), files[i].name.size());
    if (offset + files[i].length > 0x7FFFFFFFu) return refuse("archive larger than 2 GiB");
    put_int(archive, at + 48, static_cast<std::uint32_t>(offset));
    put_int(archive, at + 52, files[i].length);
    offset += files[i].length;
  }
  for (const StoredFile& f : files) {
    std::ifstream in(f.source, std::ios::binary);
    std::vector<unsigned char> bytes(f.length);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), f.length)) return refuse("cannot read " + f.source.string());
    archive.insert(archive.end(), bytes.begin(), bytes.end());
  }

  // Written to a neighbour first, so a failed run never leaves a half archive behind.
  const fs::path temporary = out.string() + ".part";
  {
    std::ofstream o(temporary, std::ios::binary | std::ios::trunc);
    if (!o.write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size())))
      return refuse("cannot write " + temporary.string());
  }
  std::error_code ec;
  fs::rename(temporary, out, ec);
  if (ec) return refuse("cannot write " + out.string() + ": " + ec.message());
  std::cout << "packdat: " << out.string() << ": edition " << edition << ", " << files.size()
            << " files, " << archive.size() << " bytes\n";
  return 0;
}

bool read_archive(const fs::path& file, std::vector<unsigned char>& bytes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  if (bytes.size() < directory_size) bytes.resize(directory_size, 0);
  return true;
}

std::string entry_name(const unsigned char* entry) {
  return std::string(reinterpret_cast<const char*>(entry), strnlen(reinterpret_cast<const char*>(entry), 48));
}

// A stored name may be written only below the target folder.
bool safe_name(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos) return false;
  std::string part;
  for (char c : name + '\\') {
    if (c == '\\' || c == '/') {
      if (part.empty() || part == "." || part == "..") return false;
      part.clear();
    } else {
      part += c;
    }
  }
  return true;
}

int list_or_extract(const fs::path& file, const fs::path* target) {
  std::vector<unsigned char> bytes;
  if (!read_archive(file, bytes)) {
    std::cerr << "packdat: cannot read " << file.string() << "\n";
    return 2;
  }
  std::cout << "header: " << entry_name(bytes.data()) << "\n";
  for (int i = 1; i < max_entries; ++i) {
    const unsigned char* e = bytes.data() + i * entry_size;
    const std::uint32_t offset = get_int(e + 48), length = get_int(e + 52);
    if (length == 0) break;
    const std::string name = entry_name(e);
    if (!target) {
      std::cout << name << " " << length << " " << offset << "\n";
      continue;
    }
    if (!safe_name(name)) {
      std::cerr << "packdat: refusing to extract unsafe name \"" << name << "\"\n";
      return 2;
    }
    if (offset > bytes.size() || length > bytes.size() - offset) {
      std::cerr << "packdat: " << name << " lies outside the archive\n";
      return 2;
    }
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const fs::path path = *target / relative;
    fs::create_directories(path.parent_path());
    std::ofstream o(path, std::ios::binary | std::ios::trunc);
    if (!o.write(reinterpret_cast<const char*>(bytes.data() + offset), length)) {
      std::cerr << "packdat: cannot write " << path.string() << "\n";
      return 2;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 2 && args[0] == "--list") return list_or_extract(args[1], nullptr);
  if (args.size() == 3 && args[0] == "--extract") {
    const fs::path target = args[2];
    return list_or_extract(args[1], &target);
  }
  std::string edition, out;
  std::vector<fs::path> roots;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--edition" && i + 1 < args.size()) edition = args[++i];
    else if (args[i] == "--out" && i + 1 < args.size()) out = args[++i];
    else if (!args[i].empty() && args[i][0] == '-') return usage();
    else roots.emplace_back(args[i]);
  }
  if (edition.empty() || out.empty() || roots.empty()) return usage();
  return pack(edition, out, roots);
}
