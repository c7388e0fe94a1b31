// SPDX-License-Identifier: GPL-3.0-or-later
// The highscore table: the eight best results of this computer, best first, and its file
// "highscores.txt" in the working folder. The file is UTF-16 little-endian text without a
// byte-order mark, every line ending in the single unit 0x000A:
//    1  (empty)
//    2  "           Grumbold X"
//    3  "       %4d-%02d-%02d %02d:%02d:%02d"   the time of saving, UTC
//    4  (empty)
//    5..12  "%-24s %8d"   name and score of places 1 to 8
//   13  (empty)
//   14  33 dashes
//   15..22  the three check strings of places 1 to 8 (highscore_check.h)
//   23  (empty: a ninth triple that is never filled)
// A file whose check strings do not match is rejected: the table keeps its defaults and the
// rounds are played with the penalty until the table is saved again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace front {

constexpr int highscore_places = 8;
constexpr int highscore_name_room = 20;  // UTF-16 units of a name, its terminator included
constexpr int typed_name_units = 10;     // a name typed in, or read from the file, is cut here
constexpr int highscore_line_units = 98; // the longest piece of a line read at once
// A file longer than this cannot be a table (a saved one has under 2 KiB): it is rejected
// without being read further.
constexpr std::size_t highscore_file_limit = 65536;
constexpr const char* highscore_file_name = "highscores.txt";

struct HighscoreEntry {
  char16_t name[highscore_name_room];
  std::int32_t score;
};

extern HighscoreEntry highscore_table[highscore_places];
// The place the last round's score took, 0..7, or -1.
extern int new_entry_rank;

// Names from texts 20 to 27; scores 1000 .. 50 in edition XXL, 500 .. 50 in the others.
void set_default_highscores();
// Reads the file over the defaults; a missing file leaves them, a rejected one logs
// "Highscore-file not valid!" and sets the penalty. Afterwards the table counts as set up.
void load_highscores();
// The same on a file image already in memory; true when it was accepted.
bool load_highscores_from(const std::uint8_t* bytes, std::size_t size);
// Whether load_highscores has run in this process: only then may the end of the program save
// the table, so a start that failed earlier never overwrites the player's file.
bool highscores_set_up();

// Writes the file with fresh check strings and the current time, and clears the penalty. The
// file is written under a temporary name in the same folder and renamed over the old one once
// it is complete, so a failing write leaves the old table whole; the failure is logged.
void save_highscores();
// The file image for a saving time (UTC), as save_highscores writes it; computes the check
// strings on the way.
struct HighscoreTime {
  int year, month, day, hour, minute, second;
};
std::string format_highscore_file(const HighscoreTime& when);

// Makes room for a new score: every entry whose score is strictly lower moves one place down
// (the eighth drops out). Returns the highest place whose old score was lower, or -1; an equal
// score ranks below. The caller sets the entry's score, and later its name.
int insert_highscore(std::int32_t score);

}  // namespace front
