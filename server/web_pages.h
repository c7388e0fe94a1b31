// SPDX-License-Identifier: GPL-3.0-or-later
// The game in the browser, as files the server hands out: each edition's built page (its HTML,
// script, WebAssembly and data) in a folder of its own, DIR/xs, DIR/xl and DIR/xxl. A name from
// an address is only ever looked up inside that folder: letters, digits, '_', '-' and '.', not
// starting with '.', of a known kind. A file that has a gzip copy beside it (NAME.gz) goes out
// compressed to a browser that takes gzip.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace server {

// The content type of a page file by its name's ending; "" for a kind the server does not hand
// out.
std::string web_file_type(const std::string& name);

struct WebFile {
  std::string path;  // what to open
  std::string type;
  bool gzip = false;  // path is the compressed copy
  std::int64_t size = 0;
  std::string etag;   // from the size and the modification time
};
// The file an edition's page address names ("" for the page itself, index.html), or nothing
// when the name is not allowed or the file is not there.
std::optional<WebFile> find_web_file(const std::string& web_dir, const std::string& edition_slug,
                                     const std::string& name, bool accepts_gzip);
// Whether an edition's page is there to play.
bool web_edition_built(const std::string& web_dir, const std::string& edition_slug);

}  // namespace server
