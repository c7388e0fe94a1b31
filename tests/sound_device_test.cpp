// SPDX-License-Identifier: GPL-3.0-or-later
// The platform's sound device and buffers, through the headless backend: what they refuse, how
// a lock splits at the end of a buffer, volume control, the lost state and its restore, the
// device's faults, and buffers that play against the virtual clock and the window's focus.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/audio.h"
#include "platform/platform.h"
#include "tests/test_support.h"

using namespace plat;

namespace {

constexpr WaveFormat mono16{1, 1, 22050, 44100, 2, 16, 0};
constexpr WaveFormat stereo16{1, 2, 44100, 176400, 4, 16, 0};

class SoundDevice : public testing::Test {
 protected:
  void SetUp() override { start(nullptr); }
  void TearDown() override {
    if (device) sound_device_release(device);
    plat::shutdown();
    unsetenv("GRUMBOLDX_FAIL");
  }

  void start(const char* faults) {
    plat::shutdown();
    if (faults) setenv("GRUMBOLDX_FAIL", faults, 1);
    else unsetenv("GRUMBOLDX_FAIL");
    ASSERT_TRUE(plat::init_headless());
    ASSERT_TRUE(plat::window_create("GrumboldX"));
  }

  // Hands the waiting messages out as the main loop does; the new window's focus among them.
  static void take_messages() {
    Message m;
    while (peek_message(m)) {
    }
  }

  SoundBuffer* make(const WaveFormat& format, std::uint32_t bytes, std::uint32_t flags = 0) {
    const SoundBufferDesc desc{sound_buffer_desc_size, flags, bytes, 0, &format};
    SoundBuffer* b = nullptr;
    EXPECT_EQ(sound_buffer_create(device, &desc, &b), DS_OK);
    return b;
  }

  // Lets ms of virtual time pass, as a frame of that length does.
  static void let_pass(std::uint32_t ms) { wait_frame_end(time_ms(), ms); }

  test_support::InScratchDir here;
  plat::SoundDevice* device = nullptr;
};

TEST_F(SoundDevice, BuffersTheMixerCannotPlayAreRefused) {
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  struct Case {
    const char* name;
    WaveFormat format;
    std::uint32_t desc_size, bytes;
    HRESULT expected;
  } cases[] = {
      {"mono 16-bit", mono16, 20, 1000, DS_OK},
      {"stereo 8-bit", {1, 2, 11025, 22050, 2, 8, 0}, 20, 1000, DS_OK},
      {"not PCM", {2, 1, 22050, 44100, 2, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"no channels", {1, 0, 22050, 0, 0, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"six channels", {1, 6, 22050, 264600, 12, 16, 0}, 20, 1200, DSERR_BADFORMAT},
      {"12 bits", {1, 1, 22050, 44100, 2, 12, 0}, 20, 1000, DSERR_BADFORMAT},
      {"rate 0", {1, 1, 0, 0, 2, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"rate 99", {1, 1, 99, 198, 2, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"rate 200001", {1, 1, 200001, 400002, 2, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"block align that does not fit", {1, 2, 22050, 88200, 2, 16, 0}, 20, 1000, DSERR_BADFORMAT},
      {"3 bytes", mono16, 20, 3, DSERR_INVALIDPARAM},
      {"a description of another size", mono16, 24, 1000, DSERR_INVALIDPARAM},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SoundBufferDesc desc{c.desc_size, 0, c.bytes, 0, &c.format};
    SoundBuffer* b = nullptr;
    EXPECT_EQ(sound_buffer_create(device, &desc, &b), c.expected);
    EXPECT_EQ(b != nullptr, c.expected == DS_OK);
    if (b) sound_buffer_release(b);
  }
}

TEST_F(SoundDevice, ALockPastTheEndYieldsASecondRegionAtTheStart) {
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  SoundBuffer* b = make(stereo16, 1000);
  struct Case {
    std::uint32_t offset, bytes;
    std::uint32_t first, second;  // region lengths; the second starts at the buffer's start
  } cases[] = {{0, 1000, 1000, 0}, {900, 300, 100, 200}, {996, 4, 4, 0}, {999, 1000, 1, 999}, {40, 60, 60, 0}};
  void* base = nullptr;
  {
    void* r1 = nullptr; void* r2 = nullptr;
    std::uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(sound_buffer_lock(b, 0, 4, &r1, &n1, &r2, &n2), DS_OK);
    base = r1;
    ASSERT_EQ(sound_buffer_unlock(b, r1, n1, r2, n2), DS_OK);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    void* r1 = nullptr; void* r2 = nullptr;
    std::uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(sound_buffer_lock(b, c.offset, c.bytes, &r1, &n1, &r2, &n2), DS_OK);
    EXPECT_EQ(static_cast<char*>(r1) - static_cast<char*>(base), c.offset);
    EXPECT_EQ(n1, c.first);
    EXPECT_EQ(n2, c.second);
    EXPECT_EQ(r2, c.second ? base : nullptr);
    EXPECT_EQ(n1 + n2, c.bytes) << "every locked byte is in one of the regions";
    // One lock at a time; the unlock names the regions the lock gave.
    void* x1 = nullptr; void* x2 = nullptr;
    std::uint32_t m1 = 0, m2 = 0;
    EXPECT_EQ(sound_buffer_lock(b, 0, 4, &x1, &m1, &x2, &m2), DSERR_INVALIDCALL);
    EXPECT_EQ(sound_buffer_unlock(b, base, n1, r2, n2), c.offset ? DSERR_INVALIDPARAM : DS_OK);
    if (c.offset) {
      EXPECT_EQ(sound_buffer_unlock(b, r1, n1, r2, n2), DS_OK);
    }
  }
  void* r1 = nullptr; void* r2 = nullptr;
  std::uint32_t n1 = 0, n2 = 0;
  EXPECT_EQ(sound_buffer_lock(b, 1000, 4, &r1, &n1, &r2, &n2), DSERR_INVALIDPARAM);
  EXPECT_EQ(sound_buffer_lock(b, 0, 1001, &r1, &n1, &r2, &n2), DSERR_INVALIDPARAM);
  EXPECT_EQ(sound_buffer_lock(b, 0, 0, &r1, &n1, &r2, &n2), DSERR_INVALIDPARAM);
}

TEST_F(SoundDevice, OnlyBuffersMadeWithVolumeControlTakeAVolume) {
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  SoundBuffer* plain = make(mono16, 100);
  SoundBuffer* controlled = make(mono16, 100, DSBCAPS_CTRLVOLUME);
  std::int32_t volume = 1;
  EXPECT_EQ(sound_buffer_set_volume(plain, -100), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(sound_buffer_get_volume(plain, &volume), DSERR_CONTROLUNAVAIL);
  EXPECT_EQ(sound_buffer_get_volume(controlled, &volume), DS_OK);
  EXPECT_EQ(volume, 0) << "full level at first";
  for (std::int32_t v : {DSBVOLUME_MIN, -87, DSBVOLUME_MAX}) {
    EXPECT_EQ(sound_buffer_set_volume(controlled, v), DS_OK);
    EXPECT_EQ(sound_buffer_get_volume(controlled, &volume), DS_OK);
    EXPECT_EQ(volume, v);
  }
  EXPECT_EQ(sound_buffer_set_volume(controlled, -10001), DSERR_INVALIDPARAM);
  EXPECT_EQ(sound_buffer_set_volume(controlled, 1), DSERR_INVALIDPARAM);
}

TEST_F(SoundDevice, ALostBufferAnswersTheLostStatusUntilRestored) {
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  SoundBuffer* b = make(mono16, 1000);
  ASSERT_EQ(sound_buffer_play(b, DSBPLAY_LOOPING), DS_OK);
  std::uint32_t status = 0;
  ASSERT_EQ(sound_buffer_get_status(b, &status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
  sound_device_lose_buffers();
  ASSERT_EQ(sound_buffer_get_status(b, &status), DS_OK);
  EXPECT_EQ(status, DSBSTATUS_BUFFERLOST) << "exactly the lost status";
  void* r1 = nullptr; void* r2 = nullptr;
  std::uint32_t n1 = 0, n2 = 0;
  EXPECT_EQ(sound_buffer_lock(b, 0, 10, &r1, &n1, &r2, &n2), DSERR_BUFFERLOST);
  EXPECT_EQ(sound_buffer_play(b, 0), DSERR_BUFFERLOST);
  EXPECT_EQ(sound_buffer_restore(b), DS_OK);
  ASSERT_EQ(sound_buffer_get_status(b, &status), DS_OK);
  EXPECT_EQ(status, 0u) << "restored: stopped, not lost";
  EXPECT_EQ(sound_buffer_play(b, 0), DS_OK);
}

TEST_F(SoundDevice, FaultsOfTheDeviceAnswerTheirCodes) {
  struct Case {
    const char* fault;
    HRESULT create, cooperative;
  } cases[] = {
      {"DirectSoundCreate", DSERR_NODRIVER, DS_OK},
      {"SoundCooperativeLevel", DS_OK, DSERR_ALLOCATED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    start(c.fault);
    plat::SoundDevice* d = nullptr;
    EXPECT_EQ(sound_device_create(&d), c.create);
    if (!d) continue;
    EXPECT_EQ(sound_device_set_cooperative_level(d, DSSCL_EXCLUSIVE), c.cooperative);
    sound_device_release(d);
  }
  start(nullptr);
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  plat::SoundDevice* second = nullptr;
  EXPECT_EQ(sound_device_create(&second), DSERR_ALLOCATED) << "one device object at a time";
}

TEST_F(SoundDevice, BuffersPlayAgainstTheVirtualClockWhileTheWindowHasTheFocus) {
  ASSERT_EQ(sound_device_create(&device), DS_OK);
  SoundBuffer* effect = make(mono16, 22050 * 2);  // one second at half rate
  SoundBuffer* ring = make(stereo16, 352800);
  ASSERT_EQ(sound_buffer_play(effect, 0), DS_OK);
  ASSERT_EQ(sound_buffer_play(ring, DSBPLAY_LOOPING), DS_OK);
  std::uint32_t play = 0;
  // The window's focus has not reached the game yet: the device holds.
  let_pass(100);
  ASSERT_EQ(sound_buffer_get_position(ring, &play, nullptr), DS_OK);
  EXPECT_EQ(play, 0u);
  take_messages();
  struct Step {
    std::uint32_t ms;
    std::uint32_t effect_at, ring_at;
    bool effect_playing;
  } steps[] = {
      // Half-rate effect frames, ring bytes (88200 frames a lap), from the moment of the focus.
      {10, 220, 441 * 4, true},
      {490, 11025, 22050 * 4, true},
      {1000, 22050, 66150 * 4, false},  // the effect ended after a second and stays at its end
      {1500, 22050, (132300 % 88200) * 4, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.ms);
    let_pass(s.ms);
    ASSERT_EQ(sound_buffer_get_position(effect, &play, nullptr), DS_OK);
    EXPECT_EQ(play / 2, s.effect_at);
    ASSERT_EQ(sound_buffer_get_position(ring, &play, nullptr), DS_OK);
    EXPECT_EQ(play, s.ring_at);
    std::uint32_t status = 0;
    ASSERT_EQ(sound_buffer_get_status(effect, &status), DS_OK);
    EXPECT_EQ(static_cast<bool>(status & DSBSTATUS_PLAYING), s.effect_playing);
  }
  // Losing the focus holds everything where it is.
  post_message(WM_KILLFOCUS);
  take_messages();
  ASSERT_EQ(sound_buffer_get_position(ring, &play, nullptr), DS_OK);
  let_pass(700);
  std::uint32_t later = 0;
  ASSERT_EQ(sound_buffer_get_position(ring, &later, nullptr), DS_OK);
  EXPECT_EQ(later, play);
}

}  // namespace
