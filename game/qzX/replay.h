// SPDX-License-Identifier: GPL-3.0-or-later
// Replays. After every finished game its recording is kept in a file of our own ("lastgame.rec"):
// the frame log (frame time and packed input of every in-game frame), the start time, the noise
// state and, beyond what the upload carries, the round clock of every frame and the frame's real
// length. A re-simulation runs the round again from such a recording, frame by frame, with the
// drawing switched off, and gives the event log and the score it reaches.
//
// The upload carries only the frame log and the start time; there the round clock is estimated
// from the frame times, the whole seconds and the time-over bits of the frame log.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/qzX/recording.h"
#include "game/qzX/round.h"
#include "platform/platform.h"

namespace qzx {

// "lastgame.rec": magic "GXREC\r\n\x1a", version, then little-endian fields (see replay_file.cpp).
inline constexpr std::uint32_t recording_version = 1;
inline constexpr const char* last_game_file = "lastgame.rec";

struct RecordedFrame {
  std::uint16_t frame_time;  // the 16.16 frame time the frame's logic used
  std::uint32_t input;       // packed input
  std::int32_t round_time;   // the round clock at the frame's start
  std::int32_t length_ms;    // the frame's real length (pacing a replay in a window)
};

struct Recording {
  int edition = 2;
  bool penalty = false;  // the highscore file failed its check: magazine of 2, halved popups
  std::uint32_t start_seconds = 0, start_millis = 0;
  std::int32_t noise_start = 999;
  std::vector<RecordedFrame> frames;
  std::vector<EventEntry> events;
  std::int32_t score = 0;
};

// ---- capture while a game runs ----
// At the first-scene set-up, before the recording starts: the noise state of this game.
void note_recording_start();
// Every in-game frame beside its frame-log entry: the round clock the frame saw.
void note_round_clock(std::int32_t round_time);
// At the end of every in-game frame: its real length.
void note_frame_length(std::int32_t length_ms);
// The recording of the game that just ended (its logs, clocks and the final score).
Recording current_recording(std::int32_t final_score);

// ---- the file ----
// Written to a temporary file beside the target and renamed over it; false (and a log line) on
// failure, the old file untouched.
bool save_recording(const Recording& r, const char* path);
// False with a reason for a file that is missing, truncated, of another version or malformed.
bool load_recording(const char* path, Recording& out, std::string& error);
// The same for a file's bytes.
bool read_recording(const std::uint8_t* data, std::size_t size, Recording& out, std::string& error);

// ---- re-simulation ----
enum class ClockSource {
  recorded,      // the round clock of every frame as recorded (exact)
  reconstructed  // estimated from the frame log alone (upload data)
};
struct ReplayResult {
  std::vector<EventEntry> events;
  std::int32_t score = 0;
  int frames_run = 0;
  bool finished = false;  // the game ended on the last frame, as recorded
};
// Runs the whole recording with drawing switched off, in the running edition (the caller makes
// sure it is the recording's). Leaves the round state behind as the last frame left it.
// before_frame, when given, runs before each frame's logic with the frame's index (a test that
// changes the world at one frame does it alike in play and in the re-simulation).
ReplayResult simulate_recording(const Recording& r, ClockSource clock,
                                const std::function<void(int)>& before_frame = {});
// The same, a frame at a time: the start of the recorded game (drawing off unless asked for, the
// recorded seed, noise state and highscore penalty), one frame with its frame time, input and
// round clock, and the end (drawing and the penalty as they were).
void begin_replay(const Recording& r, bool drawing = false);
RoundOutcome replay_frame(std::uint16_t frame_time, std::uint32_t input, std::int32_t round_time);
void end_replay();
// The round clock of every frame from the chosen source.
std::vector<std::int32_t> round_clocks(const Recording& r, ClockSource clock);
// The score and event log the round has reached.
void take_outcome(ReplayResult& result);
// ---- rendering: the replay as a player saw it ----
// Where a rendered replay goes: every frame's composed 800 x 600 picture with the moment it is
// shown from (milliseconds from the game's start), and the sound mixed while it is shown (44100
// stereo 16-bit frames a second). A false answer stops the rendering.
class RenderSink {
 public:
  virtual ~RenderSink() = default;
  virtual bool picture(const std::uint16_t* pixels, int pitch_bytes, const plat::PixelFormat& format,
                       std::int64_t time_ms) = 0;
  virtual bool sound(const std::int16_t* samples, int frames) = 0;
  // After each frame: how many of the recording's frames have been rendered.
  virtual void progress(int frames_done, int frames_total) {
    (void)frames_done;
    (void)frames_total;
  }
};
struct RenderResult {
  ReplayResult replay;
  std::int64_t length_ms = 0;  // the rendered time, pictures and sound
  bool completed = false;      // the sink took every frame (false: it stopped the rendering)
};
// Runs the recording with the drawing on, from a black screen through the round's opening
// transition to its last frame, with the starting shot's sound, the round's sounds, the head-up
// display, shaking and the switch into the yard, exactly as the game draws them. Needs the
// headless backend with the display open, the pictures, the font and the sounds loaded and the
// sound device made. The logic runs as in simulate_recording: the events and score are the same.
RenderResult render_recording(const Recording& r, ClockSource clock, RenderSink& sink);
// When each frame starts, in milliseconds from the game's start, and (one more entry) when the
// last one ends: the recorded lengths, or for a recording that has none (an upload's) the frame
// times, summed exactly and rounded to the millisecond.
std::vector<std::int64_t> frame_start_times_ms(const Recording& r);

// A packed input word as the round reads it.
FrameInput unpack_input(std::uint32_t input);

// The round clock of every frame, estimated from the frame times, the whole seconds and the
// time-over bits of the frame log.
std::vector<std::int32_t> estimate_round_clock(const Recording& r);

// A recording made only from what an upload carries: the decoded frame log and start time.
// False when the frame log's header does not fit its length.
bool recording_from_upload(const DecodedReplay& d, bool penalty, Recording& out);

// The first difference between two event logs (noise pairs included), or -1 when they agree.
int first_event_difference(const std::vector<EventEntry>& a, const std::vector<EventEntry>& b);

}  // namespace qzx
