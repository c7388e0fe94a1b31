// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore table's send button.
#pragma once

namespace front {

// The event record in hex and the check words made ready, full screen left, the upload dialog
// run, the button disabled until the next round, full screen again.
void send_highscore();

}  // namespace front
