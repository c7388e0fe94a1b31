// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/protocol.h"

#include <charconv>
#include <limits>

#include "server/form.h"

namespace server {

namespace {

bool read_integer(const std::string& text, std::int64_t lowest, std::int64_t highest, std::int64_t& out) {
  if (text.empty() || text.size() > 11) return false;
  const char* end = text.data() + text.size();
  const auto [rest, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && rest == end && out >= lowest && out <= highest;
}

// The lang field: up to four hexadecimal digits; an empty one leaves the default.
bool read_language(const std::string& text, int& out) {
  if (text.size() > 4 || !is_hex(text)) return false;
  if (!text.empty()) out = static_cast<int>(std::stoul(text, nullptr, 16));
  return true;
}

// A field that must be there, with at most most characters.
const std::string* required(const Form& form, const char* key, std::size_t most, std::string& error) {
  const std::string* v = form.find(key);
  if (!v) {
    error = std::string("field ") + key + " missing";
    return nullptr;
  }
  if (v->size() > most) {
    error = std::string("field ") + key + " longer than " + std::to_string(most);
    return nullptr;
  }
  return v;
}

bool parse_authenticate(const Form& form, AuthenticateRequest& a, std::string& error) {
  const std::string* user = required(form, "user", max_user_name, error);
  const std::string* pass = user ? required(form, "pass", max_password_field, error) : nullptr;
  const std::string* version = pass ? required(form, "version", 8, error) : nullptr;
  const std::string* vtype = version ? required(form, "vtype", 1, error) : nullptr;
  const std::string* score = vtype ? required(form, "score", 11, error) : nullptr;
  const std::string* ienv = score ? required(form, "ienv", 11, error) : nullptr;
  const std::string* noyb = ienv ? required(form, "noyb", 11, error) : nullptr;
  if (!noyb) return false;
  const std::string* lang = form.find("lang");
  const std::string* opt = form.find("opt");
  if ((lang && !read_language(*lang, a.language)) || (opt && opt->size() > max_parameter)) {
    error = "field lang or opt malformed";
    return false;
  }
  std::int64_t edition = 0, points = 0;
  if (!read_integer(*vtype, 1, 3, edition)) {
    error = "field vtype is not an edition";
    return false;
  }
  if (!read_integer(*score, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(), points) ||
      !read_integer(*ienv, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(), a.check_word_1) ||
      !read_integer(*noyb, std::numeric_limits<std::int32_t>::min(),
                    std::numeric_limits<std::int32_t>::max(), a.check_word_2)) {
    error = "field score, ienv or noyb is not a number";
    return false;
  }
  a.user = *user;
  a.password = *pass;
  a.version = *version;
  a.edition = static_cast<int>(edition);
  a.score = static_cast<std::int32_t>(points);
  a.parameter = opt ? *opt : std::string();
  return true;
}

bool parse_upload(const Form& form, UploadRequest& u, std::string& error) {
  const std::string* md = required(form, "md", md_hex_digits, error);
  const std::string* comp = md ? required(form, "comp", 5, error) : nullptr;
  const std::string* logtype = comp ? required(form, "logtype", 6, error) : nullptr;
  if (!logtype) return false;
  if (md->size() != md_hex_digits || !is_hex(*md)) {
    error = "field md is not 712 hexadecimal digits";
    return false;
  }
  if (*comp != "false") {
    error = "field comp is not \"false\"";
    return false;
  }
  if (*logtype == "none")
    u.log_type = LogType::none;
  else if (*logtype == "normal")
    u.log_type = LogType::normal;
  else if (*logtype == "full")
    u.log_type = LogType::full;
  else {
    error = "field logtype is not a log type";
    return false;
  }
  const std::string* el = form.find("el");
  const std::string* replay = form.find("replay");
  const std::string* lang = form.find("lang");
  if (lang && !read_language(*lang, u.language)) {
    error = "field lang malformed";
    return false;
  }
  if ((el != nullptr) != (u.log_type != LogType::none) || (replay != nullptr) != (u.log_type == LogType::full)) {
    error = "fields el and replay do not match the log type";
    return false;
  }
  if (el && (el->size() > max_event_text || !is_hex(*el))) {
    error = "field el is not an event text";
    return false;
  }
  if (replay && (replay->size() > max_replay_text || !is_hex(*replay))) {
    error = "field replay is not a replay text";
    return false;
  }
  u.md = *md;
  u.el = el ? *el : std::string();
  u.replay = replay ? *replay : std::string();
  return true;
}

}  // namespace

const char* log_type_word(LogType t) {
  switch (t) {
    case LogType::normal: return "normal";
    case LogType::full: return "full";
    case LogType::none: break;
  }
  return "none";
}

bool is_hex(std::string_view s) {
  for (char c : s)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

bool parse_request(std::string_view body, Request& out, std::string& error) {
  out = Request{};
  if (body.size() > max_request_body) {
    error = "body too long";
    return false;
  }
  Form form;
  if (!parse_form(body, form, error)) return false;
  const std::string* type = form.find("type");
  if (!type) {
    error = "field type missing";
    return false;
  }
  if (*type == "Authenticate") {
    out.type = Request::Type::authenticate;
    return parse_authenticate(form, out.authenticate, error);
  }
  if (*type == "Upload") {
    out.type = Request::Type::upload;
    return parse_upload(form, out.upload, error);
  }
  error = "unknown type";
  return false;
}

}  // namespace server
