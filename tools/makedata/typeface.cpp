// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/typeface.h"

#include <cairo-ft.h>

namespace makedata {

namespace {
FT_Library library = nullptr;
FT_Face face = nullptr;
cairo_font_face_t* cairo_face = nullptr;
}  // namespace

bool open_typeface(std::string& error) {
    if (face) return true;
    if (FT_Init_FreeType(&library) != 0) {
        error = "FreeType cannot start";
        return false;
    }
    if (FT_New_Face(library, typeface_path, 0, &face) != 0) {
        error = std::string("cannot open the typeface ") + typeface_path + " (package fonts-comic-neue)";
        return false;
    }
    cairo_face = cairo_ft_font_face_create_for_ft_face(face, 0);
    return true;
}

FT_Face typeface_ft() { return face; }
cairo_font_face_t* typeface_cairo() { return cairo_face; }

}  // namespace makedata
