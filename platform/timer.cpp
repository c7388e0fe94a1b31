// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/timer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/audio_internal.h"
#include "platform/backend.h"

namespace plat {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int timer_slots = 8;
constexpr int task_slots = 4;

struct TimerSlot {
  std::uint32_t id = 0;  // 0: free
  bool virtual_clock = false;
  std::uint32_t period_ms = 0;
  TimerCallback callback = nullptr;
  void* user = nullptr;
  std::thread thread;
  // Guards what follows; the callback itself runs without it.
  std::mutex lock;
  std::condition_variable wake;
  bool stop = false;
  bool ending = false;  // stopped from its own callback: the thread ends by itself
  std::uint64_t requested = 0, done = 0;  // ticks asked for and run (virtual clock)
  std::uint32_t next_due = 0;             // virtual millisecond of the next tick
};

// Never destroyed: a thread still running when the process ends must not meet a destroyed table.
TimerSlot* const timers = new TimerSlot[timer_slots];
std::uint32_t last_id = 0;
int periods = 0;
std::atomic<void (*)()> tasks[task_slots];

void run_real_time(TimerSlot* t) {
  const auto period = std::chrono::milliseconds(t->period_ms);
  std::unique_lock<std::mutex> hold(t->lock);
  auto next = Clock::now() + period;
  while (!t->wake.wait_until(hold, next, [t] { return t->stop; })) {
    hold.unlock();
    t->callback(t->user);
    hold.lock();
    next += period;
    const auto now = Clock::now();
    if (next <= now) next = now + period;  // fallen behind: the missed ticks are skipped
  }
  t->ending = false;
}

void run_virtual(TimerSlot* t) {
  std::unique_lock<std::mutex> hold(t->lock);
  for (;;) {
    t->wake.wait(hold, [t] { return t->stop || t->requested > t->done; });
    if (t->stop) break;
    hold.unlock();
    t->callback(t->user);
    hold.lock();
    ++t->done;
    t->wake.notify_all();
  }
  t->ending = false;
}

TimerSlot* find(std::uint32_t id) {
  for (int i = 0; i < timer_slots; ++i)
    if (id != 0 && timers[i].id == id) return &timers[i];
  return nullptr;
}

}  // namespace

bool timer_begin_period(std::uint32_t) {
  if (backend().should_fail("timeBeginPeriod")) return false;
  ++periods;  // the clocks used here are already fine-grained: nothing else to ask for
  return true;
}

void timer_end_period(std::uint32_t) {
  if (periods > 0) --periods;
}

std::uint32_t timer_start(std::uint32_t period_ms, TimerCallback callback, void* user) {
  if (period_ms == 0 || !callback || backend().should_fail("timeSetEvent")) return 0;
  for (int i = 0; i < timer_slots; ++i) {
    TimerSlot& t = timers[i];
    {
      std::lock_guard<std::mutex> hold(t.lock);
      if (t.id != 0 || t.ending) continue;
      if (++last_id == 0) ++last_id;
      t.id = last_id;
      t.virtual_clock = is_headless();
      t.period_ms = period_ms;
      t.callback = callback;
      t.user = user;
      t.stop = false;
      t.requested = t.done = 0;
      t.next_due = t.virtual_clock ? backend().time_ms() + period_ms : 0;
    }
    t.thread = std::thread(t.virtual_clock ? run_virtual : run_real_time, &t);
    return t.id;
  }
  return 0;
}

void timer_kill(std::uint32_t id) {
  TimerSlot* t = find(id);
  if (!t) return;
  {
    std::lock_guard<std::mutex> hold(t->lock);
    t->stop = true;
    t->ending = true;
    t->id = 0;
  }
  t->wake.notify_all();
  if (t->thread.get_id() == std::this_thread::get_id()) {
    t->thread.detach();  // its callback is the caller: the thread ends when that returns
    return;
  }
  t->thread.join();
}

bool virtual_timer_due(std::uint32_t after, std::uint32_t until, std::uint32_t& at) {
  bool found = false;
  for (int i = 0; i < timer_slots; ++i) {
    const TimerSlot& t = timers[i];
    if (t.id == 0 || !t.virtual_clock || t.next_due <= after || t.next_due > until) continue;
    if (!found || t.next_due < at) at = t.next_due;
    found = true;
  }
  return found;
}

void run_virtual_timers(std::uint32_t at) {
  for (int i = 0; i < timer_slots; ++i) {
    TimerSlot& t = timers[i];
    if (t.id == 0 || !t.virtual_clock || t.next_due != at) continue;
    t.next_due += t.period_ms;
    std::unique_lock<std::mutex> hold(t.lock);
    const std::uint64_t tick = ++t.requested;
    t.wake.notify_all();
    t.wake.wait(hold, [&t, tick] { return t.done >= tick || t.stop; });
  }
}

void run_on_main_thread(void (*task)()) {
  for (std::atomic<void (*)()>& slot : tasks)
    if (slot.load() == task) return;
  for (std::atomic<void (*)()>& slot : tasks) {
    void (*empty)() = nullptr;
    if (slot.compare_exchange_strong(empty, task)) return;
  }
}

void run_main_thread_tasks() {
  for (std::atomic<void (*)()>& slot : tasks)
    if (void (*task)() = slot.exchange(nullptr)) task();
}

void timers_shutdown() {
  for (int i = 0; i < timer_slots; ++i) timer_kill(timers[i].id);
  for (std::atomic<void (*)()>& slot : tasks) slot.store(nullptr);
  periods = 0;
}

}  // namespace plat
