// SPDX-License-Identifier: GPL-3.0-or-later
// Rendering drawn art into pictures, and the developer views (contact sheet, scene preview).
#pragma once

#include <filesystem>
#include <string>

#include "tools/makedata/art.h"
#include "tools/makedata/image.h"

namespace makedata {

// All frames of an animation stacked top to bottom (1 column × frames rows).
Image render_art(const Art& art, int frames);
// The same as a cairo surface (for the developer views).
cairo_surface_t* render_surface(const Art& art, int frames);

// One PNG showing every animation frame by frame, labelled by name.
// only: when not empty, just the animations whose name contains it.
bool write_contact_sheet(const ArtTable& art, const std::filesystem::path& file, const std::string& only,
                         std::string& error);

}  // namespace makedata
