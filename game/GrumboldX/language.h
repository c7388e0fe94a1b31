// SPDX-License-Identifier: GPL-3.0-or-later
// The language the game speaks: "-lang CODE", else the locale's language when the archive holds
// it, else German. It changes what the player reads and sees written, never what the game does
// or records: the texts come from the language's table and the pictures with words from its
// copies in the archive, while the fingerprint is read from the German pictures.
#pragma once

#include <string>

namespace front {

// -lang's value ("" without the option); false with the reason when it has no value or its value
// is not two lower-case letters.
bool language_option(int argc, char** argv, std::string& code, std::string& error);
// Whether the open archive holds the language (German always).
bool archive_has_language(const std::string& code);
// Picks the language once the archive is open (option first, then locale) and sets it for the
// texts and pictures; false with the reason when the option names a language the archive lacks.
bool choose_language(const std::string& option, const std::string& locale, std::string& error);

}  // namespace front
