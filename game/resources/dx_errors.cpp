// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/resources/dx_errors.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "game/resources/log.h"
#include "platform/dx_results.h"

namespace res {

namespace {

struct ErrorName {
  std::int32_t code;
  const char* name;
};

#define NAMED(code) {plat::code, #code}

constexpr ErrorName dd_names[] = {
    NAMED(DDERR_UNSUPPORTED), NAMED(DDERR_GENERIC), NAMED(DDERR_NOTINITIALIZED),
    NAMED(DDERR_OUTOFMEMORY), NAMED(DDERR_INVALIDPARAMS), NAMED(DDERR_ALREADYINITIALIZED),
    NAMED(DDERR_CANNOTATTACHSURFACE), NAMED(DDERR_CANNOTDETACHSURFACE),
    NAMED(DDERR_CURRENTLYNOTAVAIL), NAMED(DDERR_EXCEPTION), NAMED(DDERR_HEIGHTALIGN),
    NAMED(DDERR_INCOMPATIBLEPRIMARY), NAMED(DDERR_INVALIDCAPS), NAMED(DDERR_INVALIDCLIPLIST),
    NAMED(DDERR_INVALIDMODE), NAMED(DDERR_INVALIDOBJECT), NAMED(DDERR_INVALIDPIXELFORMAT),
    NAMED(DDERR_INVALIDRECT), NAMED(DDERR_LOCKEDSURFACES), NAMED(DDERR_NO3D),
    NAMED(DDERR_NOALPHAHW), NAMED(DDERR_NOCLIPLIST), NAMED(DDERR_NOCOLORCONVHW),
    NAMED(DDERR_NOCOOPERATIVELEVELSET), NAMED(DDERR_NOCOLORKEY), NAMED(DDERR_NOCOLORKEYHW),
    NAMED(DDERR_NODIRECTDRAWSUPPORT), NAMED(DDERR_NOEXCLUSIVEMODE), NAMED(DDERR_NOFLIPHW),
    NAMED(DDERR_NOGDI), NAMED(DDERR_NOMIRRORHW), NAMED(DDERR_NOTFOUND),
    NAMED(DDERR_NOOVERLAYHW), NAMED(DDERR_NORASTEROPHW), NAMED(DDERR_NOROTATIONHW),
    NAMED(DDERR_NOSTRETCHHW), NAMED(DDERR_NOT4BITCOLOR), NAMED(DDERR_NOT4BITCOLORINDEX),
    NAMED(DDERR_NOT8BITCOLOR), NAMED(DDERR_NOTEXTUREHW), NAMED(DDERR_NOVSYNCHW),
    NAMED(DDERR_NOZBUFFERHW), NAMED(DDERR_NOZOVERLAYHW), NAMED(DDERR_OUTOFCAPS),
    NAMED(DDERR_OUTOFVIDEOMEMORY), NAMED(DDERR_OVERLAYCANTCLIP),
    NAMED(DDERR_OVERLAYCOLORKEYONLYONEACTIVE), NAMED(DDERR_PALETTEBUSY),
    NAMED(DDERR_COLORKEYNOTSET), NAMED(DDERR_SURFACEALREADYATTACHED),
    NAMED(DDERR_SURFACEALREADYDEPENDENT), NAMED(DDERR_SURFACEBUSY),
    NAMED(DDERR_CANTLOCKSURFACE), NAMED(DDERR_SURFACEISOBSCURED), NAMED(DDERR_SURFACELOST),
    NAMED(DDERR_SURFACENOTATTACHED), NAMED(DDERR_TOOBIGHEIGHT), NAMED(DDERR_TOOBIGSIZE),
    NAMED(DDERR_TOOBIGWIDTH), NAMED(DDERR_UNSUPPORTEDFORMAT), NAMED(DDERR_UNSUPPORTEDMASK),
    NAMED(DDERR_VERTICALBLANKINPROGRESS), NAMED(DDERR_WASSTILLDRAWING), NAMED(DDERR_XALIGN),
    NAMED(DDERR_INVALIDDIRECTDRAWGUID), NAMED(DDERR_DIRECTDRAWALREADYCREATED),
    NAMED(DDERR_NODIRECTDRAWHW), NAMED(DDERR_PRIMARYSURFACEALREADYEXISTS),
    NAMED(DDERR_NOEMULATION), NAMED(DDERR_REGIONTOOSMALL), NAMED(DDERR_CLIPPERISUSINGHWND),
    NAMED(DDERR_NOCLIPPERATTACHED), NAMED(DDERR_NOHWND), NAMED(DDERR_HWNDSUBCLASSED),
    NAMED(DDERR_HWNDALREADYSET), NAMED(DDERR_NOPALETTEATTACHED), NAMED(DDERR_NOPALETTEHW),
    NAMED(DDERR_BLTFASTCANTCLIP), NAMED(DDERR_NOBLTHW), NAMED(DDERR_NODDROPSHW),
    NAMED(DDERR_OVERLAYNOTVISIBLE), NAMED(DDERR_NOOVERLAYDEST), NAMED(DDERR_INVALIDPOSITION),
    NAMED(DDERR_NOTAOVERLAYSURFACE), NAMED(DDERR_EXCLUSIVEMODEALREADYSET),
    NAMED(DDERR_NOTFLIPPABLE), NAMED(DDERR_CANTDUPLICATE), NAMED(DDERR_NOTLOCKED),
    NAMED(DDERR_CANTCREATEDC), NAMED(DDERR_NODC), NAMED(DDERR_WRONGMODE),
    NAMED(DDERR_IMPLICITLYCREATED), NAMED(DDERR_NOTPALETTIZED), NAMED(DDERR_UNSUPPORTEDMODE),
    NAMED(DDERR_NOMIPMAPHW), NAMED(DDERR_INVALIDSURFACETYPE), NAMED(DDERR_DCALREADYCREATED),
    NAMED(DDERR_CANTPAGELOCK), NAMED(DDERR_CANTPAGEUNLOCK), NAMED(DDERR_NOTPAGELOCKED),
};
static_assert(std::size(dd_names) == 100);

constexpr ErrorName ds_names[] = {
    NAMED(DSERR_UNSUPPORTED), NAMED(DSERR_GENERIC), NAMED(DSERR_NOAGGREGATION),
    NAMED(DSERR_OUTOFMEMORY), NAMED(DSERR_INVALIDPARAM), NAMED(DSERR_ALLOCATED),
    NAMED(DSERR_CONTROLUNAVAIL), NAMED(DSERR_INVALIDCALL), NAMED(DSERR_PRIOLEVELNEEDED),
    NAMED(DSERR_BADFORMAT), NAMED(DSERR_NODRIVER), NAMED(DSERR_ALREADYINITIALIZED),
    NAMED(DSERR_BUFFERLOST), NAMED(DSERR_OTHERAPPHASPRIO), NAMED(DSERR_UNINITIALIZED),
};
static_assert(std::size(ds_names) == 15);

#undef NAMED

constexpr int text_size = 500;

template <std::size_t N>
const char* lookup(const ErrorName (&table)[N], std::int32_t code, char* buffer, int size) {
  for (const ErrorName& entry : table)
    if (entry.code == code) return entry.name;
  std::snprintf(buffer, static_cast<std::size_t>(size), "Unknown error (%x)",
                static_cast<unsigned>(code));
  return buffer;
}

template <std::size_t N>
bool report(const ErrorName (&table)[N], const char* kind, std::int32_t code,
            const char* source_file, int line) {
  if (code == 0) return false;
  char name[text_size];
  char text[text_size];
  const char* shown = lookup(table, code, name, text_size);
  // An overlong line is cut to 499 characters.
  // GCC warns of the cut, clang knows no such warning.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif
  std::snprintf(text, sizeof text, "%s Error (%x) in file %s in line %d: \"%s\"\n", kind,
                static_cast<unsigned>(code), source_file, line, shown);
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
  debug_log("%s", text);
  return true;
}

}  // namespace

const char* dd_error_name(std::int32_t result, char* buffer, int buffer_size) {
  return lookup(dd_names, result, buffer, buffer_size);
}

const char* ds_error_name(std::int32_t result, char* buffer, int buffer_size) {
  return lookup(ds_names, result, buffer, buffer_size);
}

bool report_dd_error(std::int32_t result, const char* source_file, int line) {
  return report(dd_names, "DirectX", result, source_file, line);
}

bool report_ds_error(std::int32_t result, const char* source_file, int line) {
  return report(ds_names, "DirectSound", result, source_file, line);
}

}  // namespace res
