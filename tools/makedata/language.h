// SPDX-License-Identifier: GPL-3.0-or-later
// The languages beside German: the translations read from lang/*.txt, and the language the
// pictures are being drawn in. Every word drawn into a picture goes through word(); a picture
// whose words a language translates gets a copy in that language under "data\<code>\...".
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "game/text/translations.h"

namespace makedata {

// Reads every "<code>.txt" of the folder, in the order of their codes.
bool read_translations(const std::filesystem::path& folder, std::vector<text::Translation>& out,
                       std::string& error);

// The languages word() looks the German words up in while German is drawn.
void set_languages(const std::vector<text::Translation>* languages);

// The language pictures are drawn in: null (German) unless a language's pass is running.
void set_picture_language(const text::Translation* language);
const text::Translation* picture_language();

// The word in the language pictures are drawn in. Notes a word that the language translates (while
// German is drawn: that any language translates).
const char* word(const char* german);
// True when such a word was drawn since the last call.
bool take_translated_word();

// The archive name in the language being drawn: "data\gfx\x" → "data\en\gfx\x".
std::string language_name(const std::string& name);

}  // namespace makedata
