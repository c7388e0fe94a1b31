// SPDX-License-Identifier: GPL-3.0-or-later
// Music streaming: starting and stopping pieces, music switched off and on, the fade, the
// refill's room rule and its focus gating, the restart at the end of a piece, a lost streaming
// buffer, and a piece streamed by the real timer into SDL's (dummy) audio device.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "game/app/app.h"
#include "game/ogg/music.h"
#include "game/sound/sound.h"
#include "platform/sdl.h"
#include "platform/timer.h"
#include "tests/sound_fixture.h"

using namespace sound_fixture;

namespace {

constexpr std::uint32_t ring = sound::streaming_buffer_size;

std::uint32_t ring_distance(std::uint32_t from, std::uint32_t to) { return (to + ring - from) % ring; }

class Music : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    long_piece = ogg_tone(4.0, 2, 44100);
    short_piece = ogg_tone(0.15, 2, 44100);
    use_files({{"long.ogg", long_piece}, {"short.ogg", short_piece}, {"bad.ogg", "RIFF....WAVE"}});
    sound::init_sound();
    ASSERT_TRUE(sound::sound_available);
    ASSERT_NE(sound::streaming_buffer, nullptr);
  }
  void TearDown() override {
    // The music module keeps its state for the whole process: leave it as a fresh one starts.
    if (!sound::music_enabled()) {
      sound::start_music("long.ogg");  // full level again, so M is heard
      sound::toggle_music();
    }
    sound::start_music("long.ogg");
    sound::stop_music();
    SoundTest::TearDown();
  }

  static void let_pass(std::uint32_t ms) { plat::wait_frame_end(plat::time_ms(), ms); }
  static std::uint32_t play_position() {
    std::uint32_t play = 0;
    plat::sound_buffer_get_position(sound::streaming_buffer, &play, nullptr);
    return play;
  }
  // count bytes of the ring from offset on, wrapping.
  static std::string ring_bytes(std::uint32_t offset, std::uint32_t count) {
    void* r1 = nullptr; void* r2 = nullptr;
    std::uint32_t n1 = 0, n2 = 0;
    EXPECT_EQ(plat::sound_buffer_lock(sound::streaming_buffer, offset, count, &r1, &n1, &r2, &n2), plat::DS_OK);
    std::string out(static_cast<const char*>(r1), n1);
    if (r2) out.append(static_cast<const char*>(r2), n2);
    plat::sound_buffer_unlock(sound::streaming_buffer, r1, n1, r2, n2);
    return out;
  }
  static std::uint32_t status() {
    std::uint32_t s = 0;
    plat::sound_buffer_get_status(sound::streaming_buffer, &s);
    return s;
  }
  // The piece as 16-bit little-endian bytes, decoded straight.
  static std::string reference_bytes(const std::string& file) {
    const Decoded d = decode_reference(file);
    return std::string(reinterpret_cast<const char*>(d.samples.data()), d.samples.size() * 2);
  }

  std::string long_piece, short_piece;
};

TEST_F(Music, APieceStartsBehindAGapAndStopsClean) {
  const std::uint32_t play = play_position();
  sound::start_music("long.ogg");
  ASSERT_TRUE(sound::music_requested());
  EXPECT_EQ(sound::music_volume(), 10000);
  EXPECT_EQ(sound::music_write_position(), (play + 30000) % ring);
  EXPECT_EQ(status(), plat::DSBSTATUS_PLAYING | plat::DSBSTATUS_LOOPING);
  std::int32_t volume = 1;
  plat::sound_buffer_get_volume(sound::streaming_buffer, &volume);
  EXPECT_EQ(volume, 0);

  // Half a second of ticks writes the piece from its start, right after the gap.
  const int underruns = sound::music_underruns();
  let_pass(500);
  const std::string expected = reference_bytes(long_piece);
  const std::uint32_t written = ring_distance((play + 30000) % ring, sound::music_write_position());
  ASSERT_GT(written, 44100u * 4) << "more than a second of music";
  EXPECT_TRUE(ring_bytes((play + 30000) % ring, written) == expected.substr(0, written));
  EXPECT_EQ(sound::music_underruns(), underruns);

  // Another piece: the first is stopped, the buffer cleared, the new one starts behind its gap.
  const std::uint32_t before_second = play_position();
  sound::start_music("short.ogg");
  EXPECT_EQ(sound::music_write_position(), (before_second + 30000) % ring);
  EXPECT_EQ(ring_bytes(0, ring), std::string(ring, '\0'));

  sound::stop_music();
  EXPECT_FALSE(sound::music_requested());
  EXPECT_EQ(status(), 0u) << "stopped";
  EXPECT_EQ(ring_bytes(0, ring), std::string(ring, '\0'));
  const std::uint32_t stopped_at = sound::music_write_position();
  let_pass(500);
  EXPECT_EQ(sound::music_write_position(), stopped_at) << "no tick after the stop";
}

TEST_F(Music, PiecesThatCannotPlayAreLoggedAndNotRequested) {
  struct Case {
    const char* name;
    const char* line;
  } cases[] = {
      {"missing.ogg", "Error loading ogg-file!"},
      {"bad.ogg", "Input does not appear to be an Ogg bitstream."},
  };
  for (const Case& c : cases) {
    res::debug_log_reset();
    sound::start_music(c.name);
    EXPECT_FALSE(sound::music_requested()) << c.name;
    EXPECT_EQ(count_lines_with(c.line), 1) << c.name;
  }
}

TEST_F(Music, WithMusicOffAStartOnlyRemembersThePiece) {
  sound::toggle_music();  // off
  sound::start_music("long.ogg");
  EXPECT_TRUE(sound::music_requested()) << "asked for while off";
  const std::uint32_t before = sound::music_write_position();
  let_pass(500);
  EXPECT_EQ(sound::music_write_position(), before) << "nothing loaded, nothing written";
  EXPECT_EQ(ring_bytes(0, ring), std::string(ring, '\0'));

  const std::uint32_t play = play_position();
  sound::toggle_music();  // on: the remembered piece starts from its beginning at full level
  ASSERT_TRUE(sound::music_requested());
  EXPECT_EQ(sound::music_volume(), 10000);
  let_pass(300);
  EXPECT_EQ(ring_bytes((play + 30000) % ring, 40000), reference_bytes(long_piece).substr(0, 40000));

  sound::toggle_music();  // off while playing: nothing is requested any more
  EXPECT_FALSE(sound::music_requested());
  sound::toggle_music();  // on again at once: silent until a screen starts a piece
  EXPECT_FALSE(sound::music_requested());
}

TEST_F(Music, TheFadeLowersTheVolumeToHalfAndStopsTheMusic) {
  sound::start_music("long.ogg");
  app::frame_time = 1092;  // 60 frames a second
  sound::fade_music_step();
  EXPECT_EQ(sound::music_volume(), 9913);
  std::int32_t volume = 0;
  plat::sound_buffer_get_volume(sound::streaming_buffer, &volume);
  EXPECT_EQ(volume, 9913 - 10000);

  sound::toggle_music();  // M during the fade does nothing
  EXPECT_TRUE(sound::music_requested());

  int frames = 1, last = sound::music_volume();
  while (sound::music_requested() && frames < 1000) {
    sound::fade_music_step();
    ++frames;
    EXPECT_LT(sound::music_volume(), last) << "frame " << frames;
    EXPECT_GE(sound::music_volume(), 5000);
    last = sound::music_volume();
  }
  EXPECT_EQ(sound::music_volume(), 5000);
  EXPECT_FALSE(sound::music_requested()) << "stopped in the frame the volume reached 5000";
  // About half a second at 60 frames a second.
  EXPECT_GE(frames, 30);
  EXPECT_LE(frames, 36);

  sound::toggle_music();  // after the fade M still does nothing until a piece has started
  EXPECT_EQ(sound::music_volume(), 5000);
  const std::uint32_t play = play_position();
  sound::start_music("long.ogg");  // music was never switched off: this piece plays
  EXPECT_EQ(sound::music_volume(), 10000);
  let_pass(200);
  EXPECT_EQ(ring_bytes((play + 30000) % ring, 30000), reference_bytes(long_piece).substr(0, 30000));
}

TEST_F(Music, TheRefillFillsTheRoomLeftAQuarterBehindThePlayPosition) {
  // The timer only ticks when virtual time passes; here the ticks are called by hand, with the
  // play position put where each case wants it.
  const std::string piece = reference_bytes(long_piece);
  // The first write position lies 500 bytes before the end, so the first writes wrap.
  ASSERT_EQ(plat::sound_buffer_set_position(sound::streaming_buffer, ring - 30000 - 500), plat::DS_OK);
  sound::start_music("long.ogg");
  ASSERT_EQ(sound::music_write_position(), ring - 500);
  struct Case {
    const char* name;
    std::uint32_t play_after_write;  // play position (whole frames), measured from the write position
  } cases[] = {
      {"the play position just behind: the whole buffer free", ring - 4},
      {"exactly a quarter ahead: no room", 88200},
      {"one frame of room", 88204},
      {"11800 bytes of room", 100000},
      {"more room than a tick may fill", 200000},
  };
  std::uint32_t streamed = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t write = sound::music_write_position();
    ASSERT_EQ(plat::sound_buffer_set_position(sound::streaming_buffer, (write + c.play_after_write) % ring), plat::DS_OK);
    sound::refill_streaming_buffer();
    const std::uint32_t written = ring_distance(write, sound::music_write_position());
    const int room = std::min(40000, static_cast<int>(c.play_after_write) - 88200);
    if (room < 1) {
      EXPECT_EQ(written, 0u);
    } else {
      EXPECT_GE(written, static_cast<std::uint32_t>(room)) << "the room is filled";
      EXPECT_LT(written, static_cast<std::uint32_t>(room) + 1024) << "by chunks of at most 1024 bytes";
    }
    EXPECT_TRUE(ring_bytes(write, std::max(written, 4u)).substr(0, written) == piece.substr(streamed, written))
        << "the piece goes on where the last tick stopped";
    streamed += written;
  }
  // Without the focus a tick writes nothing; with it back, writing goes on from the old place.
  const std::uint32_t write = sound::music_write_position();
  ASSERT_EQ(plat::sound_buffer_set_position(sound::streaming_buffer, (write + 200000) % ring), plat::DS_OK);
  app::app_active = false;
  sound::refill_streaming_buffer();
  EXPECT_EQ(sound::music_write_position(), write);
  app::app_active = true;
  sound::refill_streaming_buffer();
  const std::uint32_t written = ring_distance(write, sound::music_write_position());
  EXPECT_GE(written, 40000u);
  EXPECT_TRUE(ring_bytes(write, written) == piece.substr(streamed, written));
}

TEST_F(Music, AtTheEndOfAPieceDecodingStartsItAgain) {
  const std::string piece = reference_bytes(short_piece);
  sound::start_music("short.ogg");
  std::string decoded;
  int n = 0;
  while ((n = sound::decode_music_chunk()) > 0) {
    EXPECT_LE(n, 1024);
    decoded.append(reinterpret_cast<const char*>(sound::music_decode_buffer()), static_cast<std::size_t>(n));
  }
  EXPECT_TRUE(decoded == piece) << "the whole piece, then 0 once";
  n = sound::decode_music_chunk();
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sound::music_decode_buffer()), static_cast<std::size_t>(n)),
            piece.substr(0, static_cast<std::size_t>(n)))
      << "from its beginning again";
}

TEST_F(Music, ALongPlayLoopsThePieceWithoutUnderrun) {
  const std::string piece = reference_bytes(short_piece);
  const int underruns = sound::music_underruns();
  sound::start_music("short.ogg");
  for (int frame = 0; frame < 600; ++frame) let_pass(frame % 7 == 0 ? 45 : 10);  // dips in the frame rate
  EXPECT_EQ(sound::music_underruns(), underruns);
  EXPECT_EQ(count_lines_with("underrun"), 0);
  // What lies ahead of the play position is the piece again and again, with no gap: the tick
  // that met the end wrote nothing more, the next went on with the piece's beginning.
  const std::uint32_t now = play_position();
  const std::string ahead = ring_bytes(now, ring_distance(now, sound::music_write_position()));
  ASSERT_GE(ahead.size(), 88200u) << "at least half a second decoded ahead";
  std::string repeated;
  while (repeated.size() < ahead.size() + 2 * piece.size()) repeated += piece;
  std::size_t phase = 0;
  while (phase < piece.size() && repeated.compare(phase, 256, ahead, 0, 256) != 0) phase += 4;
  ASSERT_LT(phase, piece.size()) << "the bytes ahead are no part of the piece";
  EXPECT_TRUE(repeated.compare(phase, ahead.size(), ahead) == 0);
}

TEST_F(Music, ALostStreamingBufferIsRestoredOnTheMainThread) {
  sound::start_music("long.ogg");
  let_pass(200);
  plat::sound_device_lose_buffers();
  res::debug_log_reset();
  let_pass(100);  // a tick finds the buffer lost and hands the restore over
  EXPECT_TRUE(sound::music_requested()) << "not restored on the timer's thread";
  EXPECT_EQ(status(), plat::DSBSTATUS_BUFFERLOST);
  take_messages();  // the main thread's next look at its messages
  EXPECT_FALSE(sound::music_requested()) << "the restore stopped the music";
  EXPECT_EQ(status(), plat::DSBSTATUS_PLAYING | plat::DSBSTATUS_LOOPING) << "a new streaming buffer plays silence";
  EXPECT_EQ(count_lines_with("create streaming buffer"), 1);
  sound::start_music("long.ogg");  // a screen starts its piece again
  EXPECT_TRUE(sound::music_requested());
}

TEST_F(Music, ARestoreAskedForBeforeTheEndDoesNotRunAfterIt) {
  sound::start_music("long.ogg");
  let_pass(200);
  plat::sound_device_lose_buffers();
  let_pass(100);
  sound::terminate_sound(true);  // the end of the program comes first
  res::debug_log_reset();
  take_messages();
  EXPECT_EQ(sound::sound_device, nullptr);
  EXPECT_EQ(count_lines_with("create streaming buffer"), 0);
}

// The real thing: SDL's audio thread (its dummy driver keeps real time without hardware) pulls
// the mix while the timer refills on its own thread and the main thread starts, fades and stops.
class MusicOnTheRealClock : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("GRUMBOLDX_FAIL");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    test_support::reset_app_state();
    res::debug_log_reset();
    plat::shutdown();
    ASSERT_TRUE(plat::init_sdl());
    plat::post_message(plat::WM_SETFOCUS);  // the focus, as a window would get it
    plat::Message m;
    while (plat::peek_message(m)) {
    }
    app::app_active = true;
    test_support::make_archive(here.path() / "test.dat", res::archive_magic_xl,
                               {{"m.ogg", ogg_tone(3.0, 2, 44100)}});
    ASSERT_EQ(res::xfinit((here.path() / "test.dat").c_str()), 1);
  }
  void TearDown() override {
    sound::terminate_sound(true);
    plat::shutdown();
    res::xfdone();
    unsetenv("SDL_AUDIODRIVER");
  }
  test_support::InScratchDir here;
};

TEST_F(MusicOnTheRealClock, StreamsWhileTheAudioThreadPlays) {
  sound::init_sound();
  ASSERT_TRUE(sound::sound_available);
  for (int round = 0; round < 3; ++round) {
    sound::start_music("m.ogg");
    ASSERT_TRUE(sound::music_requested());
    const std::uint32_t start = sound::music_write_position();
    std::uint32_t play_before = 0, play_after = 0;
    plat::sound_buffer_get_position(sound::streaming_buffer, &play_before, nullptr);
    // A few ticks' time at least; on a loaded machine (or under a sanitizer) the threads may
    // need longer before both have moved.
    const auto started = std::chrono::steady_clock::now();
    const auto waited = [&] { return std::chrono::steady_clock::now() - started; };
    const auto moved = [&] { return play_after != play_before && sound::music_write_position() != start; };
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      plat::sound_buffer_get_position(sound::streaming_buffer, &play_after, nullptr);
    } while ((waited() < std::chrono::milliseconds(400) || !moved()) && waited() < std::chrono::seconds(20));
    EXPECT_NE(play_after, play_before) << "the audio thread plays the buffer";
    EXPECT_NE(sound::music_write_position(), start) << "the timer wrote music";
    if (round == 1) {
      app::frame_time = 1092;
      while (sound::music_requested()) sound::fade_music_step();
    } else {
      sound::stop_music();
    }
    EXPECT_FALSE(sound::music_requested());
  }
}

}  // namespace
