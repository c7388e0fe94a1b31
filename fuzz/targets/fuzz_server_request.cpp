// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore server's reading of a request body, as far as a hostile client can take it
// before a re-simulation: the form fields and the two requests, the upload payload's inverse,
// the md record, the event record and the replay text. Every piece is either refused or read
// within its bytes; what is read keeps the limits the server relies on.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "game/qzX/recording.h"
#include "game/resources/memory.h"
#include "game/upload/payload_decode.h"
#include "game/upload/upload.h"
#include "server/protocol.h"
#include "server/upload_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  server::Request request;
  std::string error;
  if (!server::parse_request(body, request, error)) {
    if (error.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  if (request.type == server::Request::Type::authenticate) {
    const server::AuthenticateRequest& a = request.authenticate;
    if (a.user.size() > server::max_user_name || a.edition < 1 || a.edition > 3) std::abort();
    return 0;
  }
  const server::UploadRequest& u = request.upload;
  if (u.md.size() != server::md_hex_digits) std::abort();
  upload::DecodedPayload payload;
  if (!upload::decode_upload_payload(u.md.c_str(), u.el.c_str(), static_cast<int>(u.log_type), payload)) return 0;
  server::MdRecord md;
  if (server::read_md_record(std::string_view(payload.md_record, server::md_record_size), md, error) &&
      (md.fingerprint.size() != 256 || md.integrity.size() != 40 || md.edition < 1 || md.edition > 3))
    std::abort();
  server::EventRecord events;
  if (server::read_event_record(payload.event_text, events, error) && events.events.size() > qzx::max_events)
    std::abort();
  qzx::DecodedReplay replay;
  if (qzx::decode_replay_text(u.replay.data(), u.replay.size(), replay)) {
    if (replay.length < 20 || replay.length > qzx::frame_log_size || (replay.length - 20) % 8 != 0) std::abort();
    XFREE(replay.frame_log_bytes);
  }
  return 0;
}

// The modules of the game's logs and of the payload's encoding name a few things the fuzzed
// readers never use: the send button's text and the wall clock.
namespace upload {
char* upload_hex = nullptr;
}  // namespace upload
namespace plat {
std::int64_t wall_time_ms() { return 0; }
}  // namespace plat
