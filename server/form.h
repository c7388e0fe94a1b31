// SPDX-License-Identifier: GPL-3.0-or-later
// The request bodies the game posts: "key=value" fields joined by "&". The game escapes unsafe
// characters of the user name, password, version and parameter as %XX and sends every other
// field as hexadecimal digits or fixed words. A "+" is kept as it stands: the game never writes
// a blank as "+", so a "+" in a password is a "+".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace server {

struct FormField {
  std::string key;
  std::string value;  // with the %XX escapes undone
};

struct Form {
  std::vector<FormField> fields;
  // The value of a key, or null when the body has no such field.
  const std::string* find(std::string_view key) const;
};

inline constexpr std::size_t max_form_fields = 16;
inline constexpr std::size_t max_form_key = 16;

// Splits a body into its fields. False, with the reason, for a body that is not one: more than
// max_form_fields fields, an empty or over-long key, a key twice, a field without "=", a broken
// escape, or a control character (a byte below 32, or 127) in a key or a decoded value. An
// empty body gives no fields and is accepted here; the protocol asks for its fields.
bool parse_form(std::string_view body, Form& out, std::string& error);

// Undoes %XX escapes; false for a "%" without two hexadecimal digits after it.
bool percent_decode(std::string_view in, std::string& out);

}  // namespace server
