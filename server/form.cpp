// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/form.h"

namespace server {

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool has_control_character(std::string_view s) {
  for (char c : s) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127) return true;
  }
  return false;
}

}  // namespace

const std::string* Form::find(std::string_view key) const {
  for (const FormField& f : fields)
    if (f.key == key) return &f.value;
  return nullptr;
}

bool percent_decode(std::string_view in, std::string& out) {
  out.clear();
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out.push_back(in[i]);
      continue;
    }
    if (i + 2 >= in.size()) return false;
    const int high = hex_value(in[i + 1]);
    const int low = hex_value(in[i + 2]);
    if (high < 0 || low < 0) return false;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return true;
}

bool parse_form(std::string_view body, Form& out, std::string& error) {
  out.fields.clear();
  if (body.empty()) return true;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(start, end - start);
    if (out.fields.size() == max_form_fields) {
      error = "more than " + std::to_string(max_form_fields) + " fields";
      return false;
    }
    const std::size_t equals = field.find('=');
    if (equals == std::string_view::npos) {
      error = "a field without \"=\"";
      return false;
    }
    FormField f;
    if (!percent_decode(field.substr(0, equals), f.key) || !percent_decode(field.substr(equals + 1), f.value)) {
      error = "a broken %-escape";
      return false;
    }
    if (f.key.empty() || f.key.size() > max_form_key) {
      error = "an empty or over-long key";
      return false;
    }
    if (has_control_character(f.key) || has_control_character(f.value)) {
      error = "a control character in field " + (has_control_character(f.key) ? std::string("?") : f.key);
      return false;
    }
    if (out.find(f.key)) {
      error = "field " + f.key + " twice";
      return false;
    }
    out.fields.push_back(std::move(f));
    if (end == body.size()) break;
    start = end + 1;
  }
  return true;
}

}  // namespace server
