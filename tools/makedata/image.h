// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures in memory and the file formats the game reads: BMP (24-bit with the magenta key,
// 8-bit palette, 1-bit mask) and baseline JPEG.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace makedata {

struct Rgb8 {
    std::uint8_t r, g, b;
};

// An opaque-or-transparent picture: every pixel is a colour or the key (transparent).
struct Image {
    int width = 0, height = 0;
    std::vector<Rgb8> pixels;     // row by row, top to bottom
    std::vector<std::uint8_t> opaque;  // 1 = colour, 0 = transparent
    Image() = default;
    Image(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h), opaque(std::size_t(w) * h) {}
    Rgb8& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
    bool is_opaque(int x, int y) const { return opaque[std::size_t(y) * width + x] != 0; }
};

inline constexpr Rgb8 key_colour{255, 0, 255};

// Converts a cairo ARGB32 surface: alpha of at least half becomes an opaque pixel (colour
// un-premultiplied), anything less transparent. Opaque pixels never come out as the key colour
// and pure black is kept as the darkest grey the game shows.
Image image_from_surface(cairo_surface_t* surface);
// A cairo surface of the image (transparent pixels fully transparent).
cairo_surface_t* surface_from_image(const Image& image);

// Writers; false and a message on failure. 24-bit: transparent pixels are written as the key.
// Writes the bytes to path, making its folders; false with the reason.
bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& data, std::string& error);
bool write_bmp24(const std::filesystem::path& path, const Image& image, std::string& error);
// 8-bit palette: index 0 is the key, the rest the picture's own colours (median cut).
bool write_bmp8(const std::filesystem::path& path, const Image& image, std::string& error);
// 1-bit mask of the transparency: a set bit means transparent.
bool write_mask(const std::filesystem::path& path, const Image& image, std::string& error);
// Baseline JPEG of the colours (transparent pixels as they are stored).
bool write_jpeg(const std::filesystem::path& path, const Image& image, int quality, std::string& error);

// Files of an edition tree: the archive name "data\gfx\x" (without extension) as a path under root,
// in the folder of the language pictures are being drawn in (see language.h).
std::filesystem::path archive_path(const std::filesystem::path& root, const std::string& name,
                                   const char* extension);

}  // namespace makedata
