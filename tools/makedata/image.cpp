#include "tools/makedata/image.h"

#include <jpeglib.h>

#include <cstdio>
#include <fstream>

namespace makedata {

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// File header and 40-byte information header of an uncompressed BMP.
void bmp_headers(std::vector<std::uint8_t>& out, int width, int height, int bits, int colours,
                 std::uint32_t image_size) {
    const std::uint32_t offset = 14 + 40 + std::uint32_t(colours) * 4;
    out.push_back('B');
    out.push_back('M');
    put32(out, offset + image_size);
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));  // positive: rows bottom-up
    put16(out, 1);
    put16(out, unsigned(bits));
    put32(out, 0);  // no compression
    put32(out, image_size);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, std::uint32_t(colours));
    put32(out, 0);
}

bool write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& data,
                std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        error = "cannot create " + path.string();
        return false;
    }
    file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!file) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

// Level of each palette cube axis: 6 reds, 7 greens, 6 blues (252 colours after the key).
constexpr int cube_r = 6, cube_g = 7, cube_b = 6;

int cube_level(int value, int levels) { return (value * (levels - 1) + 127) / 255; }
int cube_value(int level, int levels) { return level * 255 / (levels - 1); }

}  // namespace

Image image_from_surface(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface);
    const int h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    Image image(w, h);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            if (a < 128) continue;
            auto un = [a](unsigned c) { return std::uint8_t(std::min(255u, (c * 255 + a / 2) / a)); };
            Rgb8 c{un((p >> 16) & 0xFF), un((p >> 8) & 0xFF), un(p & 0xFF)};
            if (c.r >= 240 && c.b >= 240 && c.g < 16) c.g = 16;  // never the key colour
            if (c.r < 8 && c.g < 8 && c.b < 8) c = {8, 8, 8};
            image.at(x, y) = c;
            image.opaque[std::size_t(y) * w + x] = 1;
        }
    }
    return image;
}

cairo_surface_t* surface_from_image(const Image& image) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    const int stride = cairo_image_surface_get_stride(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = std::size_t(y) * image.width + x;
            const Rgb8 c = image.pixels[i];
            row[x] = image.opaque[i] ? (0xFF000000u | (c.r << 16) | (c.g << 8) | c.b) : 0u;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

bool write_bmp24(const std::filesystem::path& path, const Image& image, std::string& error) {
    const int row_bytes = (image.width * 3 + 3) & ~3;
    std::vector<std::uint8_t> out;
    out.reserve(54 + std::size_t(row_bytes) * image.height);
    bmp_headers(out, image.width, image.height, 24, 0, std::uint32_t(row_bytes) * image.height);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = std::size_t(y) * image.width + x;
            const Rgb8 c = image.opaque[i] ? image.pixels[i] : key_colour;
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (int p = image.width * 3; p < row_bytes; ++p) out.push_back(0);
    }
    return write_file(path, out, error);
}

bool write_bmp8(const std::filesystem::path& path, const Image& image, std::string& error) {
    const int row_bytes = (image.width + 3) & ~3;
    std::vector<std::uint8_t> out;
    bmp_headers(out, image.width, image.height, 8, 256, std::uint32_t(row_bytes) * image.height);
    // Palette: 0 = key, 1..252 = cube, the rest unused (grey).
    out.insert(out.end(), {255, 0, 255, 0});
    for (int r = 0; r < cube_r; ++r)
        for (int g = 0; g < cube_g; ++g)
            for (int b = 0; b < cube_b; ++b) {
                out.push_back(std::uint8_t(cube_value(b, cube_b)));
                out.push_back(std::uint8_t(cube_value(g, cube_g)));
                out.push_back(std::uint8_t(cube_value(r, cube_r)));
                out.push_back(0);
            }
    for (int i = 1 + cube_r * cube_g * cube_b; i < 256; ++i) out.insert(out.end(), {128, 128, 128, 0});
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = std::size_t(y) * image.width + x;
            if (!image.opaque[i]) {
                out.push_back(0);
                continue;
            }
            const Rgb8 c = image.pixels[i];
            out.push_back(std::uint8_t(1 + (cube_level(c.r, cube_r) * cube_g + cube_level(c.g, cube_g)) * cube_b +
                                       cube_level(c.b, cube_b)));
        }
        for (int p = image.width; p < row_bytes; ++p) out.push_back(0);
    }
    return write_file(path, out, error);
}

bool write_mask(const std::filesystem::path& path, const Image& image, std::string& error) {
    const int row_bytes = ((image.width + 31) / 32) * 4;
    std::vector<std::uint8_t> out;
    bmp_headers(out, image.width, image.height, 1, 2, std::uint32_t(row_bytes) * image.height);
    out.insert(out.end(), {0, 0, 0, 0, 255, 255, 255, 0});
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(std::size_t(row_bytes), 0);
        for (int x = 0; x < image.width; ++x)
            if (!image.opaque[std::size_t(y) * image.width + x]) row[std::size_t(x) / 8] |= std::uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return write_file(path, out, error);
}

bool write_jpeg(const std::filesystem::path& path, const Image& image, int quality, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) {
        error = "cannot create " + path.string();
        return false;
    }
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image.width);
    info.image_height = JDIMENSION(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    info.dct_method = JDCT_ISLOW;
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> line(std::size_t(image.width) * 3);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb8 c = image.pixels[std::size_t(y) * image.width + x];
            line[std::size_t(x) * 3] = c.r;
            line[std::size_t(x) * 3 + 1] = c.g;
            line[std::size_t(x) * 3 + 2] = c.b;
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const bool ok = std::fclose(file) == 0;
    if (!ok) error = "cannot write " + path.string();
    return ok;
}

std::filesystem::path archive_path(const std::filesystem::path& root, const std::string& name,
                                   const char* extension) {
    std::filesystem::path p = root;
    std::string part;
    for (char c : name) {
        if (c == '\\') {
            p /= part;
            part.clear();
        } else {
            part += c;
        }
    }
    return p / (part + extension);
}

}  // namespace makedata
