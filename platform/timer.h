// SPDX-License-Identifier: GPL-3.0-or-later
// Periodic timers on threads of their own, and the hand-off of work from such a thread to the
// main thread. In the SDL backend a timer follows the real clock; in the headless backend it
// follows the virtual clock: its ticks run (still on its own thread) when the clock passes their
// moments, while the main thread waits, so headless runs stay repeatable.
#pragma once

#include <cstdint>

namespace plat {

// The timer resolution a periodic timer of period_ms needs (timeBeginPeriod, timeEndPeriod).
// False when it cannot be had (the headless backend fails it on request: "timeBeginPeriod").
bool timer_begin_period(std::uint32_t period_ms);
void timer_end_period(std::uint32_t period_ms);

using TimerCallback = void (*)(void* user);

// Starts a periodic timer: callback(user) every period_ms milliseconds on the timer's own
// thread, the first tick one period from now. One tick never overlaps the next; a tick that
// falls behind skips the ticks it missed. Returns the timer's id, 0 when none could be made (the
// headless backend fails it on request: "timeSetEvent").
std::uint32_t timer_start(std::uint32_t period_ms, TimerCallback callback, void* user);
// Stops the timer: when this returns its callback is not running and never runs again.
// Harmless for an id that is not running. From the timer's own callback it only stops it.
void timer_kill(std::uint32_t id);

// Hands task to the main thread, which runs it the next time it takes a message (peek_message,
// wait_message) or calls run_main_thread_tasks. A task already waiting is not added twice.
// Safe from any thread.
void run_on_main_thread(void (*task)());
void run_main_thread_tasks();

}  // namespace plat
