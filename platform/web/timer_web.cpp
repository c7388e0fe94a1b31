// SPDX-License-Identifier: GPL-3.0-or-later
// The timers of platform/timer.h on the web, where the page has one thread: a timer on the real
// clock is an interval of the browser's event loop, whose ticks run while the game's main loop
// waits (its waits give the page back to the browser); a timer on the headless backend's virtual
// clock ticks right where the clock passes its moment. Either way a tick runs on the one thread,
// so no tick overlaps another or the game's own code, and a browser that falls behind drops
// the ticks it missed instead of running them all at once.
#include <emscripten/eventloop.h>

#include "platform/audio_internal.h"
#include "platform/backend.h"
#include "platform/timer.h"

namespace plat {

namespace {

constexpr int timer_slots = 8;
constexpr int task_slots = 4;

struct TimerSlot {
  std::uint32_t id = 0;  // 0: free
  bool virtual_clock = false;
  std::uint32_t period_ms = 0;
  TimerCallback callback = nullptr;
  void* user = nullptr;
  long interval = 0;      // the browser's interval (real clock)
  std::uint32_t next_due = 0;  // virtual millisecond of the next tick
};

TimerSlot timers[timer_slots];
std::uint32_t last_id = 0;
int periods = 0;
void (*tasks[task_slots])() = {};

TimerSlot* find(std::uint32_t id) {
  for (TimerSlot& t : timers)
    if (id != 0 && t.id == id) return &t;
  return nullptr;
}

void tick(void* slot) {
  TimerSlot& t = *static_cast<TimerSlot*>(slot);
  if (t.id != 0) t.callback(t.user);
}

}  // namespace

bool timer_begin_period(std::uint32_t) {
  if (backend().should_fail("timeBeginPeriod")) return false;
  ++periods;
  return true;
}

void timer_end_period(std::uint32_t) {
  if (periods > 0) --periods;
}

std::uint32_t timer_start(std::uint32_t period_ms, TimerCallback callback, void* user) {
  if (period_ms == 0 || !callback || backend().should_fail("timeSetEvent")) return 0;
  for (TimerSlot& t : timers) {
    if (t.id != 0) continue;
    if (++last_id == 0) ++last_id;
    t.id = last_id;
    t.virtual_clock = is_headless();
    t.period_ms = period_ms;
    t.callback = callback;
    t.user = user;
    t.next_due = t.virtual_clock ? backend().time_ms() + period_ms : 0;
    t.interval = t.virtual_clock ? 0 : emscripten_set_interval(tick, period_ms, &t);
    return t.id;
  }
  return 0;
}

void timer_kill(std::uint32_t id) {
  TimerSlot* t = find(id);
  if (!t) return;
  if (t->interval) emscripten_clear_interval(t->interval);
  t->interval = 0;
  t->id = 0;
}

bool virtual_timer_due(std::uint32_t after, std::uint32_t until, std::uint32_t& at) {
  bool found = false;
  for (const TimerSlot& t : timers) {
    if (t.id == 0 || !t.virtual_clock || t.next_due <= after || t.next_due > until) continue;
    if (!found || t.next_due < at) at = t.next_due;
    found = true;
  }
  return found;
}

void run_virtual_timers(std::uint32_t at) {
  for (TimerSlot& t : timers) {
    if (t.id == 0 || !t.virtual_clock || t.next_due != at) continue;
    t.next_due += t.period_ms;
    t.callback(t.user);
  }
}

void run_on_main_thread(void (*task)()) {
  for (auto& slot : tasks)
    if (slot == task) return;
  for (auto& slot : tasks)
    if (!slot) {
      slot = task;
      return;
    }
}

void run_main_thread_tasks() {
  for (auto& slot : tasks)
    if (void (*task)() = slot) {
      slot = nullptr;
      task();
    }
}

void timers_shutdown() {
  for (const TimerSlot& t : timers) timer_kill(t.id);
  for (auto& slot : tasks) slot = nullptr;
  periods = 0;
}

}  // namespace plat
