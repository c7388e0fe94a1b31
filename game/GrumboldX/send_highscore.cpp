// SPDX-License-Identifier: GPL-3.0-or-later
// The send button of the highscore screen: what the dialog needs is made ready, the display is
// given up for the desktop while the dialog runs, and built again afterwards.
#include "game/GrumboldX/send_highscore.h"

#include "game/GrumboldX/buttons.h"
#include "game/GrumboldX/window.h"
#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "game/resources/log.h"
#include "game/resources/memory.h"
#include "game/upload/upload.h"

namespace front {

void send_highscore() {
  using namespace upload;
  score_to_send = qzx::score();
  std::size_t length = 0;
  std::uint8_t* record = qzx::event_record_bytes(score_to_send, length);
  make_upload_hex(record, length);
  XFREE(record);
  leave_fullscreen();
  // The counters are unsigned 16-bit values; the words are not cut to 16 bits.
  check_word_1 = (static_cast<int>(qzx::shots_counted()) + qzx::empty_clicks_counted()) * 3 + 8876;
  check_word_2 = static_cast<int>(qzx::reloads_counted()) * 5 + 40402;
  // A dialog the desktop could not show sent nothing: the button stays for another try.
  if (run_upload_dialog()) send_allowed = false;
  free_upload_hex();
  if (enter_fullscreen() != 1) res::debug_log("Failed to switch to fullscreen mode!\n");
}

}  // namespace front
