// SPDX-License-Identifier: GPL-3.0-or-later
// What differs between the SDL backend and the headless one. Internal to the platform layer.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>

#include "platform/audio_internal.h"
#include "platform/platform.h"

namespace plat {

enum class DisplayStep { create, cooperative_level, query_interface, set_mode, create_primary,
                         get_back_buffer };

class Backend {
 public:
  virtual ~Backend() = default;
  virtual bool window_create(const char* title) = 0;
  virtual void window_destroy() = 0;
  virtual bool window_exists() const = 0;
  virtual void confine_pointer(bool on) = 0;
  // Picture coordinates, already kept inside 0..799 x 0..599.
  virtual void warp_pointer(int x, int y) = 0;
  // Moves every waiting input event into the queue as window messages; never blocks.
  virtual void pump_events(std::deque<Message>& queue) = 0;
  // Blocks until at least one message has been queued.
  virtual void wait_event(std::deque<Message>& queue) = 0;
  virtual void message_box(const char* text, const char* title) = 0;
  // An address already checked to be http:// or https://.
  virtual bool open_url(const char* address) = 0;
  virtual std::uint32_t time_ms() = 0;
  virtual void wait_frame_end(std::uint32_t t0, std::uint32_t min_ms) = 0;
  // Milliseconds since 1970 on the wall clock.
  virtual std::int64_t wall_ms() = 0;
  virtual bool next_recorded_frame(std::int32_t& length_ms, std::int32_t& frame_time) = 0;
  virtual HRESULT display_step(DisplayStep step) = 0;
  virtual void display_release() = 0;
  // Shows the picture, 16-bit pixels in the backend's pixel_format().
  virtual HRESULT present(const std::uint16_t* pixels, int pitch_bytes) = 0;
  virtual PixelFormat pixel_format() const = 0;
  // Fault injection: whether the named operation should fail now ("Lock", "Flip", ...).
  virtual bool should_fail(const char* operation) = 0;
  // The sound device's output for the mixer; null when there is none.
  virtual std::unique_ptr<AudioOutput> open_audio(Mixer& mixer) = 0;
  // Shows or hides the game's window while a desktop dialog runs.
  virtual void window_show(bool shown) = 0;
};

std::unique_ptr<Backend> make_headless_backend(bool& ok);

// Makes backend the layer's one backend (the program's choice, made once before anything else).
void use_backend(std::unique_ptr<Backend> backend, bool headless);
// The chosen backend; the headless one when the program chose none.
Backend& backend();

// Whether the program asked to present in step with the screen's refresh (set_vsync).
bool vsync_wanted();

// Frees every surface and forgets the display object (the layer's shutdown).
void forget_display();

// The 565 and 555 pixel layouts the display can have.
constexpr PixelFormat format_565{0xF800, 0x07E0, 0x001F};
constexpr PixelFormat format_555{0x7C00, 0x03E0, 0x001F};

// Writes 16-bit pixels as an RGB PNG. False when the file cannot be written.
bool write_png(const char* path, const std::uint16_t* pixels, int width, int height,
               int pitch_bytes, const PixelFormat& format);

}  // namespace plat
