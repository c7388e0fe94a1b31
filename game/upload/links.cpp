// SPDX-License-Identifier: GPL-3.0-or-later
// Web addresses: the dialog's three links on the redirect server, and the addresses replies
// ask the game to open.
#include <cstring>
#include <string>

#include "game/app/app.h"
#include "game/resources/log.h"
#include "game/upload/redirect_server.h"
#include "game/upload/upload.h"
#include "platform/platform.h"

namespace upload {

namespace {

struct LinkPaths {
  int id;
  const char* path[3];  // XS, XL, XXL
};

constexpr LinkPaths link_paths[link_count] = {
    {id_help_link,
     {"/grumbold/qzt/de/xs-uplb-help_redirect.php?from=QZT_XS-Ver1.1DE-UF",
      "/grumbold/qzt/de/xl-uplb-help_redirect.php?from=QZT_XL-Ver1.1DE-UF",
      "/grumbold/qzt/de/xxl-uplb-help_redirect.php?from=QZT_XXL-Ver1.1DE-UF"}},
    {id_register_link,
     {"/grumbold/qzt/de/xs-uplb-reg_redirect.php?from=QZT_XS-Ver1.1DE-UR",
      "/grumbold/qzt/de/xl-uplb-reg_redirect.php?from=QZT_XL-Ver1.1DE-UR",
      "/grumbold/qzt/de/xxl-uplb-reg_redirect.php?from=QZT_XXL-Ver1.1DE-UR"}},
    {id_list_link,
     {"/grumbold/qzt/de/xs-uplb-high_redirect.php?from=QZT_XS-Ver1.1DE-UH",
      "/grumbold/qzt/de/xl-uplb-high_redirect.php?from=QZT_XL-Ver1.1DE-UH",
      "/grumbold/qzt/de/xxl-uplb-high_redirect.php?from=QZT_XXL-Ver1.1DE-UH"}},
};

}  // namespace

std::string language_path(const char* path) {
  std::string p = path;
  const std::string& code = app::language;
  if (code.size() != 2 || code == "de") return p;
  const std::size_t folder = p.find("/de/");
  if (folder != std::string::npos) p.replace(folder + 1, 2, code);
  const std::size_t from = p.find("DE-", p.find("?from="));
  if (from != std::string::npos)
    for (int k = 0; k < 2; ++k) p[from + k] = static_cast<char>(code[k] - 'a' + 'A');
  return p;
}

void link_address(int link_id, int edition, char* out, std::size_t room) {
  if (room == 0) return;
  out[0] = 0;
  const int e = edition < app::edition_xs ? 0 : edition > app::edition_xxl ? 2 : edition - 1;
  for (const LinkPaths& l : link_paths)
    if (l.id == link_id) redirect_address(language_path(l.path[e]).c_str(), out, room);
}

void open_reply_address(const char* value) {
  // With "\r\n" line ends the value keeps its "\r"; it is no part of the address.
  std::string address = value;
  while (!address.empty() && (address.back() == '\r' || address.back() == ' ' || address.back() == '\t'))
    address.pop_back();
  bool plain = true;
  for (const char c : address) plain = plain && static_cast<unsigned char>(c) > ' ' && c != 127;
  // Only web addresses: a server must not make the game open files or start programs.
  if (!plain || !plat::open_url(address.c_str()))
    res::debug_log("ERROR: reply address not opened: %s\n", value);
}

}  // namespace upload
