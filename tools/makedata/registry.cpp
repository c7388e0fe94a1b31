// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/art.h"

namespace makedata {

ArtTable all_art() {
    ArtTable table;
    add_chicken_art(table);
    add_ui_art(table);
    add_scene1_art(table);
    add_scene2_art(table);
    return table;
}

}  // namespace makedata
