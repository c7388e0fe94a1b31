// SPDX-License-Identifier: GPL-3.0-or-later
// The second scene (the yard, edition XXL): its round flags, its hiding places, its one-shot
// scenery and the spawn operations of its targets. Each target lives in a scene2_<name>.cpp of
// its own, except the two families of alike targets, one row each: the hiding places
// (scene2_popup.cpp) and the one-shot scenery (scene2_scenery.cpp). The spawn order is the
// table in scene2_targets.cpp. The yard does not scroll: positions are screen pixels, and every
// target is of kind 38 at depth 0 unless its file says otherwise.
#pragma once

#include <cstdint>

#include "game/qzX/enemies.h"

namespace qzx {

// Shooting a piece of scenery silences the hiding place behind it for the rest of the round.
struct Scene2Flags {
  bool doghouse_shot;
  bool window_shot;
  bool barrel1_broken;
  bool barrel2_broken;
  bool barrel3_broken;
  bool chimney_shot;
};
extern Scene2Flags scene2_flags;

// The hiding places a chicken pops out of, in the rows of the pop-up table.
enum HidingPlace {
  hp_barrel01,
  hp_barrel02,
  hp_barrel03,
  hp_chimney,
  hp_windowr,
  hp_topcorner,
  hp_behindwood,
  hp_doghouse,
  hp_frontbigbarrel,
  hp_door,
  hp_bigwindow,
  hiding_place_count
};

// Takes a slot for the hiding place: hidden, waiting 2.0 to 11.9 s.
void spawn_hiding_place(int place);
// The hiding place's object this round, or null.
Enemy* find_hiding_place(int place);
// Scenery in front of a hiding place was broken: a chicken that is just popping out of it
// drops to the last three frames of its animation.
void hiding_place_drop(int place);
// The frames in which a hiding place's chicken can be shot (tests and the art check).
struct PopupFrames {
  int first, last;
};
PopupFrames hiding_place_frames(int place);

// The scenery that a first shot ends, in the rows of its table.
enum SceneryPiece {
  sp_doghouse,
  sp_chimney_pot_left,
  sp_chimney_pot_right,
  sp_window_frame,
  sp_yard_tree,
  sp_axe,
  sp_shore,
  scenery_piece_count
};
// Takes a slot for the piece.
void spawn_scenery_piece(int piece);

// The other scenery and the characters, in the spawn order.
void spawn_barrels();
void spawn_open_door();
void spawn_window();
void spawn_trampoline();
void spawn_clothes();  // three objects, depth 1
void spawn_grave();
void spawn_ghost();

// The grave and its ghost. The ghost asks whether the grave is open and lets it light up as it
// comes out; the grave, once open, sets the ghost's next wait.
bool grave_open();
void grave_light_up();
void ghost_set_wait(std::int32_t wait);

// Shared by the yard's scenery that a shot ends (the pieces above, the window and the open
// door): the shot stops it taking part in shot resolution and plays its animation once.
void scenery_once(Enemy& e);
// Played every frame by such scenery: the animation runs to its end and holds there.
void scenery_hold(Enemy& e);

}  // namespace qzx
