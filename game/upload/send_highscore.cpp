// The send button of the highscore screen: what the dialog needs is made ready, the display is
// given up for the desktop while the dialog runs, and built again afterwards.
#include <cstdio>

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/window.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/upload/upload.h"

namespace upload {

char* upload_hex = nullptr;
std::int32_t score_to_send = 0;
int check_word_1 = 0;
int check_word_2 = 0;

void make_upload_hex(const std::uint8_t* bytes, std::size_t length) {
  free_upload_hex();
  upload_hex = static_cast<char*>(XMALLOC(2 * length + upload_hex_spare));
  static constexpr char digits[] = "0123456789abcdef";
  for (std::size_t i = 0; i < length; ++i) {
    upload_hex[2 * i] = digits[bytes[i] >> 4];
    upload_hex[2 * i + 1] = digits[bytes[i] & 15];
  }
  upload_hex[2 * length] = 0;
}

void free_upload_hex() {
  if (upload_hex) XFREE(upload_hex);
  upload_hex = nullptr;
}

void send_highscore() {
  score_to_send = qzx::score();
  std::size_t length = 0;
  std::uint8_t* record = qzx::event_record_bytes(score_to_send, length);
  make_upload_hex(record, length);
  XFREE(record);
  leave_fullscreen();
  // The counters are unsigned 16-bit values; the words are not cut to 16 bits.
  check_word_1 = (static_cast<int>(qzx::shots_counted()) + qzx::empty_clicks_counted()) * 3 + 8876;
  check_word_2 = static_cast<int>(qzx::reloads_counted()) * 5 + 40402;
  run_upload_dialog();
  send_allowed = false;
  free_upload_hex();
  if (enter_fullscreen() != 1) debug_log("Failed to switch to fullscreen mode!\n");
}

}  // namespace upload
