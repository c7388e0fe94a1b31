// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/web_pages.h"

#include <sys/stat.h>

namespace server {

namespace {

bool ends_with(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

bool allowed_name(const std::string& name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (const char c : name) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

bool regular_file(const std::string& path, struct stat& st) {
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string web_file_type(const std::string& name) {
  if (ends_with(name, ".html")) return "text/html; charset=utf-8";
  if (ends_with(name, ".js")) return "text/javascript; charset=utf-8";
  if (ends_with(name, ".wasm")) return "application/wasm";
  if (ends_with(name, ".data")) return "application/octet-stream";
  if (ends_with(name, ".css")) return "text/css; charset=utf-8";
  if (ends_with(name, ".png")) return "image/png";
  if (ends_with(name, ".ico")) return "image/x-icon";
  return "";
}

std::optional<WebFile> find_web_file(const std::string& web_dir, const std::string& edition_slug,
                                     const std::string& name, bool accepts_gzip) {
  if (web_dir.empty()) return std::nullopt;
  const std::string file = name.empty() ? "index.html" : name;
  if (!allowed_name(file)) return std::nullopt;
  WebFile out;
  out.type = web_file_type(file);
  if (out.type.empty()) return std::nullopt;
  const std::string plain = web_dir + "/" + edition_slug + "/" + file;
  struct stat st {};
  if (accepts_gzip && regular_file(plain + ".gz", st)) {
    out.path = plain + ".gz";
    out.gzip = true;
  } else if (regular_file(plain, st)) {
    out.path = plain;
  } else {
    return std::nullopt;
  }
  out.size = st.st_size;
  out.etag = "\"" + std::to_string(st.st_size) + "-" + std::to_string(st.st_mtim.tv_sec) + "." +
             std::to_string(st.st_mtim.tv_nsec) + (out.gzip ? "-gz" : "") + "\"";
  return out;
}

bool web_edition_built(const std::string& web_dir, const std::string& edition_slug) {
  struct stat st {};
  return !web_dir.empty() && regular_file(web_dir + "/" + edition_slug + "/index.html", st);
}

}  // namespace server
