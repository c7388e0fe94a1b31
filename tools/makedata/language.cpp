// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/language.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace makedata {

namespace {

const std::vector<text::Translation>* known = nullptr;
const text::Translation* current = nullptr;
bool translated_word = false;

bool translates(const text::Translation& t, const char* german) {
    const auto it = t.words.find(std::string_view(german));
    return it != t.words.end() && it->second != german;
}

}  // namespace

bool read_translations(const std::filesystem::path& folder, std::vector<text::Translation>& out,
                       std::string& error) {
    out.clear();
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".txt") files.push_back(entry.path());
    if (ec) {
        error = "cannot read the languages in " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        text::Translation t;
        std::string why;
        if (!in || !text::parse_translation(text.str(), t, why)) {
            error = file.string() + ": " + (why.empty() ? "cannot be read" : why);
            return false;
        }
        if (t.code != file.stem().string()) {
            error = file.string() + ": its code is " + t.code + ", its name says " + file.stem().string();
            return false;
        }
        out.push_back(std::move(t));
    }
    return true;
}

void set_languages(const std::vector<text::Translation>* languages) { known = languages; }

void set_picture_language(const text::Translation* language) {
    current = language;
    translated_word = false;
}

const text::Translation* picture_language() { return current; }

const char* word(const char* german) {
    if (!current) {
        if (known)
            for (const text::Translation& t : *known) translated_word = translated_word || translates(t, german);
        return german;
    }
    if (!translates(*current, german)) return german;
    translated_word = true;
    return current->words.find(std::string_view(german))->second.c_str();
}

bool take_translated_word() {
    const bool was = translated_word;
    translated_word = false;
    return was;
}

std::string language_name(const std::string& name) {
    if (!current || name.rfind("data\\", 0) != 0) return name;
    return "data\\" + current->code + "\\" + name.substr(5);
}

}  // namespace makedata
