// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/image.h"
#include "tools/makedata/language.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
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

}  // namespace

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

namespace {

// A box of the median cut over 5-bit colours (the display keeps 5 bits per channel).
struct ColourBox {
    std::vector<std::uint16_t> colours;  // 15-bit keys r << 10 | g << 5 | b, each once
    std::uint64_t weight = 0;
};

int channel(std::uint16_t c, int k) { return (c >> (10 - 5 * k)) & 31; }

// Up to 255 palette colours for the picture's opaque pixels: the median cut of the colour
// histogram, each box giving its weighted mean.
std::vector<Rgb8> build_palette(const Image& image) {
    std::vector<std::uint32_t> count(32768, 0);
    for (std::size_t i = 0; i < image.pixels.size(); ++i)
        if (image.opaque[i]) {
            const Rgb8 c = image.pixels[i];
            ++count[(c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3)];
        }
    std::vector<ColourBox> boxes(1);
    for (std::uint32_t c = 0; c < 32768; ++c)
        if (count[c]) {
            boxes[0].colours.push_back(std::uint16_t(c));
            boxes[0].weight += count[c];
        }
    if (boxes[0].colours.empty()) return {};
    while (boxes.size() < 255) {
        // split the box with the widest channel range (weighted by its pixel count)
        int best = -1, best_channel = 0;
        double best_score = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colours.size() < 2) continue;
            for (int k = 0; k < 3; ++k) {
                int lo = 31, hi = 0;
                for (std::uint16_t c : boxes[i].colours) {
                    lo = std::min(lo, channel(c, k));
                    hi = std::max(hi, channel(c, k));
                }
                const double score = double(hi - lo) * std::sqrt(double(boxes[i].weight));
                if (score > best_score) {
                    best_score = score;
                    best = int(i);
                    best_channel = k;
                }
            }
        }
        if (best < 0) break;
        ColourBox& box = boxes[std::size_t(best)];
        std::sort(box.colours.begin(), box.colours.end(), [best_channel](std::uint16_t a, std::uint16_t b) {
            const int ca = channel(a, best_channel), cb = channel(b, best_channel);
            return ca != cb ? ca < cb : a < b;
        });
        std::uint64_t half = 0, acc = 0;
        for (std::uint16_t c : box.colours) half += count[c];
        half /= 2;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < box.colours.size(); ++i) {
            acc += count[box.colours[i]];
            cut = i + 1;
            if (acc >= half) break;
        }
        ColourBox upper;
        upper.colours.assign(box.colours.begin() + std::ptrdiff_t(cut), box.colours.end());
        box.colours.resize(cut);
        box.weight = 0;
        for (std::uint16_t c : box.colours) box.weight += count[c];
        for (std::uint16_t c : upper.colours) upper.weight += count[c];
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb8> palette;
    for (const ColourBox& box : boxes) {
        double r = 0, g = 0, b = 0, w = 0;
        for (std::uint16_t c : box.colours) {
            const double n = count[c];
            r += n * (channel(c, 0) * 8 + 4);
            g += n * (channel(c, 1) * 8 + 4);
            b += n * (channel(c, 2) * 8 + 4);
            w += n;
        }
        Rgb8 p{std::uint8_t(std::min(255.0, r / w)), std::uint8_t(std::min(255.0, g / w)),
               std::uint8_t(std::min(255.0, b / w))};
        if (p.r >= 240 && p.b >= 240 && p.g < 8) p.g = 8;  // never the key
        if (p.r < 8 && p.g < 8 && p.b < 8) p = {8, 8, 8};
        palette.push_back(p);
    }
    return palette;
}

}  // namespace

bool write_bmp8(const std::filesystem::path& path, const Image& image, std::string& error) {
    const int row_bytes = (image.width + 3) & ~3;
    const std::vector<Rgb8> palette = build_palette(image);
    std::vector<std::uint8_t> out;
    bmp_headers(out, image.width, image.height, 8, 256, std::uint32_t(row_bytes) * image.height);
    // Palette: 0 = the magenta key, then the picture's own colours, the rest unused (grey).
    out.insert(out.end(), {255, 0, 255, 0});
    for (const Rgb8& p : palette) out.insert(out.end(), {p.b, p.g, p.r, 0});
    for (std::size_t i = 1 + palette.size(); i < 256; ++i) out.insert(out.end(), {128, 128, 128, 0});
    // each 5-bit colour maps to its nearest palette entry, found once
    std::vector<std::int16_t> nearest(32768, -1);
    auto index_of = [&](Rgb8 c) {
        const int key = (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3);
        if (nearest[std::size_t(key)] < 0) {
            int best = 0, best_d = 1 << 30;
            for (std::size_t i = 0; i < palette.size(); ++i) {
                const int dr = int(palette[i].r) - ((key >> 10) * 8 + 4), dg = int(palette[i].g) - (((key >> 5) & 31) * 8 + 4),
                          db = int(palette[i].b) - ((key & 31) * 8 + 4);
                const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (d < best_d) {
                    best_d = d;
                    best = int(i);
                }
            }
            nearest[std::size_t(key)] = std::int16_t(best);
        }
        return std::uint8_t(1 + nearest[std::size_t(key)]);
    };
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const std::size_t i = std::size_t(y) * image.width + x;
            out.push_back(image.opaque[i] ? index_of(image.pixels[i]) : 0);
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
    for (char c : language_name(name)) {
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
