// SPDX-License-Identifier: GPL-3.0-or-later
// Periodic timers on their own threads, on the real clock (SDL backend) and on the virtual one
// (headless backend), and the hand-off of work to the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl.h"
#include "platform/timer.h"

using namespace plat;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

struct Ticks {
  std::atomic<int> count{0};
  std::atomic<int> inside{0};      // callbacks running at this moment
  std::atomic<int> most_inside{0};
  std::atomic<bool> off_main{true};
  std::thread::id main_thread = std::this_thread::get_id();
  std::chrono::milliseconds work{0};
  std::mutex lock;
  std::vector<Clock::time_point> moments;
};

void tick(void* user) {
  auto* t = static_cast<Ticks*>(user);
  const int now_inside = ++t->inside;
  if (now_inside > t->most_inside) t->most_inside = now_inside;
  if (std::this_thread::get_id() == t->main_thread) t->off_main = false;
  {
    std::lock_guard<std::mutex> hold(t->lock);
    t->moments.push_back(Clock::now());
  }
  std::this_thread::sleep_for(t->work);
  --t->inside;
  ++t->count;
}

bool wait_for(const std::atomic<int>& value, int at_least, std::chrono::milliseconds limit = 10s) {
  const auto end = Clock::now() + limit;
  while (value < at_least) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

class RealTimeTimer : public testing::Test {
 protected:
  void SetUp() override {
    plat::shutdown();
    ASSERT_TRUE(plat::init_sdl());
  }
  void TearDown() override { plat::shutdown(); }
};

TEST_F(RealTimeTimer, TicksOnItsOwnThreadNeverBeforeItsMoment) {
  Ticks t;
  const auto started = Clock::now();
  const std::uint32_t id = timer_start(20, tick, &t);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(wait_for(t.count, 6));
  timer_kill(id);
  EXPECT_TRUE(t.off_main);
  // Tick k comes k + 1 periods after the start, or later when the machine is busy (a tick a
  // little late leaves the next on its moment; one that misses whole periods skips them).
  std::lock_guard<std::mutex> hold(t.lock);
  for (std::size_t k = 0; k < t.moments.size(); ++k)
    EXPECT_GE(t.moments[k] - started, 20ms * static_cast<int>(k + 1) - 1ms) << "tick " << k;
}

TEST_F(RealTimeTimer, ASlowTickIsNeverOverlappedAndKillWaitsForIt) {
  Ticks t;
  t.work = 60ms;  // three periods
  const std::uint32_t id = timer_start(20, tick, &t);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(wait_for(t.count, 2));
  while (t.inside == 0) std::this_thread::sleep_for(1ms);
  timer_kill(id);  // in the middle of a tick
  EXPECT_EQ(t.inside, 0) << "the running tick has finished";
  const int after_kill = t.count;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(t.count, after_kill) << "no tick after the kill";
  EXPECT_EQ(t.most_inside, 1);
  timer_kill(id);  // a second kill of the same id is harmless
}

TEST_F(RealTimeTimer, TheShutdownStopsEveryTimer) {
  Ticks a, b;
  ASSERT_NE(timer_start(10, tick, &a), 0u);
  ASSERT_NE(timer_start(15, tick, &b), 0u);
  ASSERT_TRUE(wait_for(a.count, 1));
  ASSERT_TRUE(wait_for(b.count, 1));
  plat::shutdown();
  const int ca = a.count, cb = b.count;
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(a.count, ca);
  EXPECT_EQ(b.count, cb);
}

class VirtualTimer : public testing::Test {
 protected:
  void SetUp() override { start(nullptr); }
  void TearDown() override {
    plat::shutdown();
    unsetenv("GRUMBOLDX_FAIL");
  }
  void start(const char* faults) {
    plat::shutdown();
    if (faults) setenv("GRUMBOLDX_FAIL", faults, 1);
    else unsetenv("GRUMBOLDX_FAIL");
    ASSERT_TRUE(plat::init_headless());
  }
};

void virtual_tick(void* user) {
  auto* t = static_cast<Ticks*>(user);
  if (std::this_thread::get_id() == t->main_thread) t->off_main = false;
  ++t->count;
}

TEST_F(VirtualTimer, TicksWhenTheVirtualClockPassesTheirMoments) {
  Ticks t;
  wait_frame_end(time_ms(), 30);  // the timer starts at 30 ms; a frame lasts 10 ms or more
  const std::uint32_t id = timer_start(100, virtual_tick, &t);
  ASSERT_NE(id, 0u);
  struct Step {
    std::uint32_t ms;
    int ticks;  // in all, after the step
  } steps[] = {{90, 0}, {10, 1}, {99, 1}, {191, 3}, {10, 4}};  // ticks at 130, 230, 330, 430
  for (const Step& s : steps) {
    wait_frame_end(time_ms(), s.ms);
    EXPECT_EQ(t.count, s.ticks) << "at " << time_ms() << " ms";
  }
  timer_kill(id);
  wait_frame_end(time_ms(), 1000);
  EXPECT_EQ(t.count, 4) << "no tick after the kill";
  EXPECT_TRUE(t.off_main) << "ticks run on the timer's thread";
}

TEST_F(VirtualTimer, TimerFaultsFailTheirSteps) {
  Ticks t;
  EXPECT_TRUE(timer_begin_period(100));
  timer_end_period(100);
  start("timeBeginPeriod");
  EXPECT_FALSE(timer_begin_period(100));
  EXPECT_NE(timer_start(100, virtual_tick, &t), 0u);
  start("timeSetEvent");
  EXPECT_TRUE(timer_begin_period(100));
  EXPECT_EQ(timer_start(100, virtual_tick, &t), 0u);
}

std::atomic<int> handed_over{0};
std::thread::id handed_over_on;
void handed_task() {
  ++handed_over;
  handed_over_on = std::this_thread::get_id();
}
void hand_over(void*) {
  run_on_main_thread(handed_task);
  run_on_main_thread(handed_task);  // asked twice before the main thread came round: runs once
}

TEST_F(VirtualTimer, WorkHandedToTheMainThreadRunsWhenItTakesMessages) {
  handed_over = 0;
  const std::uint32_t id = timer_start(100, hand_over, nullptr);
  ASSERT_NE(id, 0u);
  wait_frame_end(time_ms(), 100);
  EXPECT_EQ(handed_over, 0) << "not on the timer's thread";
  Message m;
  peek_message(m);
  EXPECT_EQ(handed_over, 1);
  EXPECT_EQ(handed_over_on, std::this_thread::get_id());
  peek_message(m);
  EXPECT_EQ(handed_over, 1);
  timer_kill(id);
}

}  // namespace
