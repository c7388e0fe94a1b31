// SPDX-License-Identifier: GPL-3.0-or-later
// The game's typeface (Comic Neue Bold from Debian's fonts-comic-neue) for FreeType and cairo.
#pragma once

#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace makedata {

inline constexpr const char* typeface_path = "/usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf";

// Opens the typeface once; false with a message when it is missing.
bool open_typeface(std::string& error);
FT_Face typeface_ft();
cairo_font_face_t* typeface_cairo();

}  // namespace makedata
