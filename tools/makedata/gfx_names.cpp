// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/makedata/gfx_names.h"

#include <algorithm>

#include "game/gfx/catalogue_table.h"

namespace makedata {

std::vector<PlannedAnimation> planned_animations() {
    std::vector<PlannedAnimation> out;
    auto add = [&out](const std::string& name, std::array<int, 3> rows) {
        for (PlannedAnimation& a : out)
            if (a.name == name) {
                for (int e = 0; e < 3; ++e) a.rows[e] = std::max(a.rows[e], rows[e]);
                return;
            }
        out.push_back({name, rows});
    };
    add(gfx::loading_picture, {1, 1, 1});
    add(gfx::loading_bar_picture, {1, 1, 1});
    for (const gfx::CatalogueUnit& unit : gfx::catalogue_units)
        for (int k = 0; k < unit.count; ++k) {
            const gfx::CatalogueSprite& s = gfx::catalogue_sprites[unit.first + k];
            std::array<int, 3> rows{};
            for (int e = 1; e <= 3; ++e)
                if (unit.editions & gfx::edition_bit(e)) rows[e - 1] = gfx::catalogue_rows(s, e) * s.columns;
            add(s.name, rows);
        }
    for (const gfx::MenuButton& b : gfx::menu_buttons) add(b.name, {gfx::button_rows, gfx::button_rows, gfx::button_rows});
    for (const gfx::ExitPicture& p : gfx::exit_pictures)
        if (!p.jpeg)
            add(p.name, {p.editions & gfx::ed_xs ? 1 : 0, p.editions & gfx::ed_xl ? 1 : 0, p.editions & gfx::ed_xxl ? 1 : 0});
    return out;
}

std::vector<std::pair<std::string, int>> animation_frames() {
    std::vector<std::pair<std::string, int>> out;
    for (const PlannedAnimation& a : planned_animations())
        out.emplace_back(a.name, *std::max_element(a.rows.begin(), a.rows.end()));
    return out;
}

}  // namespace makedata
