// SPDX-License-Identifier: GPL-3.0-or-later
// makedata: draws every picture of the game, builds the font and writes the texts, as the
// data tree that packdat turns into one archive per edition:
//   <out>/common/...   files all editions share
//   <out>/XS|XL|XXL/... pictures and texts that differ by edition
// Options: --out DIR [--languages DIR], --contact-sheet FILE.png [--only TEXT], --preview-scene DIR.
// Every language of the languages folder (lang/ of the source tree unless given) gets its text
// table and its copies of the pictures with words under data\<code>\ of each edition.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tools/makedata/icons.h"
#include "tools/makedata/art.h"
#include "tools/makedata/gfx_names.h"
#include "tools/makedata/image.h"
#include "tools/makedata/language.h"
#include "tools/makedata/outputs.h"
#include "tools/makedata/render.h"
#include "tools/makedata/sounds/sounds.h"
#include "tools/makedata/typeface.h"

namespace fs = std::filesystem;
using namespace makedata;

namespace {

constexpr const char* edition_dirs[3] = {"XS", "XL", "XXL"};

// Renders one animation and writes it; a language's pass writes only pictures with words of its own.
bool write_picture(const fs::path& root, const std::string& name, const Art& art, int frames, bool& worded,
                   std::string& error) {
    const Image image = render_art(art, frames);
    worded = take_translated_word();
    if (picture_language() && !worded) return true;
    switch (art.format) {
    case Format::bmp24:
        return write_bmp24(archive_path(root, name, ".bmp"), image, error);
    case Format::bmp8:
        return write_bmp8(archive_path(root, name, ".bmp"), image, error);
    case Format::jpeg:
        return write_jpeg(archive_path(root, name, ".jpg"), image, 90, error);
    }
    return false;
}

// German draws every animation and notes those with words a language translates; a language's
// pass draws only those again.
bool write_animations(const Roots& roots, const ArtTable& table, std::set<std::string>& worded, std::string& error) {
    const bool german = picture_language() == nullptr;
    for (const PlannedAnimation& a : planned_animations()) {
        if (!german && worded.count(a.name) == 0) continue;
        const auto it = table.find(a.name);
        if (it == table.end()) {
            error = "no drawing for " + a.name;
            return false;
        }
        bool has_words = false;
        const bool shared = a.rows[0] > 0 && a.rows[0] == a.rows[1] && a.rows[1] == a.rows[2];
        if (shared) {
            if (!write_picture(roots.common, a.name, it->second, a.rows[0], has_words, error)) return false;
        } else {
            for (int e = 0; e < 3; ++e) {
                bool edition_words = false;
                if (a.rows[e] > 0 && !write_picture(roots.edition[e], a.name, it->second, a.rows[e], edition_words, error))
                    return false;
                has_words = has_words || edition_words;
            }
        }
        if (german && has_words) worded.insert(a.name);
    }
    return true;
}

// The archive holds at most 498 files an edition, each named with at most 47 characters.
bool check_tree(const Roots& roots, std::string& error) {
    auto files_under = [](const fs::path& root, std::vector<std::string>& names) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(root, ec); it != fs::recursive_directory_iterator(); ++it)
            if (it->is_regular_file()) names.push_back(fs::relative(it->path(), root).string());
    };
    std::vector<std::string> common;
    files_under(roots.common, common);
    for (int e = 0; e < 3; ++e) {
        std::vector<std::string> names = common;
        files_under(roots.edition[e], names);
        if (names.size() > 498) {
            error = std::string(edition_dirs[e]) + " has " + std::to_string(names.size()) + " files, more than 498";
            return false;
        }
        for (const std::string& n : names)
            if (n.size() > 47) {
                error = "name longer than 47 characters: " + n;
                return false;
            }
    }
    return true;
}

int usage() {
    std::fprintf(stderr,
                 "usage: makedata [--out DIR] [--contact-sheet FILE.png] [--preview-scene DIR] [--icons DIR]\n"
                 "  --out DIR            write the data tree (DIR/common, DIR/XS, DIR/XL, DIR/XXL)\n"
                 "  --languages DIR      the translations (<code>.txt) to build beside German\n"
                 "  --contact-sheet FILE every animation frame by frame in one PNG\n"
                 "  --only TEXT          the contact sheet shows only names containing TEXT\n"
                 "  --preview-scene DIR  the first scene assembled at several scroll positions\n"
                 "  --icons DIR          the game's icon at every size (PNG, SVG) and as a BMP\n");
    return 2;
}

}  // namespace

// fontconfig keeps its configuration cache for the life of the process; under the leak checker
// of a sanitizer build that is not a leak of ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

int main(int argc, char** argv) {
    fs::path out, sheet, preview, icons, languages_dir = GRUMBOLDX_LANGUAGES_DIR;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--out") == 0 && has_value) {
            out = argv[++i];
        } else if (std::strcmp(argv[i], "--contact-sheet") == 0 && has_value) {
            sheet = argv[++i];
        } else if (std::strcmp(argv[i], "--only") == 0 && has_value) {
            only = argv[++i];
        } else if (std::strcmp(argv[i], "--preview-scene") == 0 && has_value) {
            preview = argv[++i];
        } else if (std::strcmp(argv[i], "--languages") == 0 && has_value) {
            languages_dir = argv[++i];
        } else if (std::strcmp(argv[i], "--icons") == 0 && has_value) {
            icons = argv[++i];
        } else {
            return usage();
        }
    }
    if (out.empty() && sheet.empty() && preview.empty() && icons.empty()) return usage();
    if (!icons.empty()) {
        std::string error;
        if (!write_icons(icons, error)) {
            std::fprintf(stderr, "makedata: %s\n", error.c_str());
            return 1;
        }
        if (out.empty() && sheet.empty() && preview.empty()) return 0;
    }

    const auto start = std::chrono::steady_clock::now();
    std::string error;
    if (!open_typeface(error)) {
        std::fprintf(stderr, "makedata: %s\n", error.c_str());
        return 1;
    }
    const ArtTable table = all_art();
    auto fail = [&error]() {
        std::fprintf(stderr, "makedata: %s\n", error.c_str());
        return 1;
    };

    if (!out.empty()) {
        Roots roots;
        roots.common = out / "common";
        for (int e = 0; e < 3; ++e) roots.edition[e] = out / edition_dirs[e];
        std::error_code ec;
        fs::create_directories(roots.common, ec);
        for (const fs::path& p : roots.edition) fs::create_directories(p, ec);
        std::vector<text::Translation> languages;
        if (!read_translations(languages_dir, languages, error)) return fail();
        set_languages(&languages);
        std::set<std::string> worded;
        if (!write_animations(roots, table, worded, error) || !write_backgrounds(roots, error) ||
            !write_font(roots.common, error) || !write_texts(roots, languages, error))
            return fail();
        for (const text::Translation& language : languages) {
            set_picture_language(&language);
            const bool ok = write_animations(roots, table, worded, error) && write_backgrounds(roots, error);
            set_picture_language(nullptr);
            if (!ok) return fail();
        }
        if (!sounds::make_sounds(roots.common, error) || !check_tree(roots, error)) return fail();
    }
    if (!sheet.empty() && !write_contact_sheet(table, sheet, only, error)) return fail();
    if (!preview.empty()) {
        std::error_code ec;
        fs::create_directories(preview, ec);
        if (!write_scene_preview(preview, table, error)) return fail();
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("makedata: done in %.1f s\n", seconds);
    return 0;
}
