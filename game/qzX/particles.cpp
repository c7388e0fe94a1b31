// SPDX-License-Identifier: GPL-3.0-or-later
// Particles: sparks and splinters, 512 at most, in a table of their own.
#include <cmath>

#include "game/app/app.h"
#include "game/gfx/draw.h"
#include "game/gfx/layers.h"
#include "game/qzX/round.h"
#include "game/qzX/sprite_numbers.h"
#include "game/resources/random.h"

namespace qzx {

Particle particles[particle_slots];

namespace {
int particle_cursor = 0;

constexpr std::uint16_t p_gravity = 0x40;
constexpr std::uint16_t p_lifetime = 0x20;
constexpr std::uint16_t p_damped = 0x10;

Particle* particle_alloc() {
  for (int n = 0; n < particle_slots; ++n) {
    const int i = (particle_cursor + n) % particle_slots;
    if (particles[i].flags == 0) {
      particle_cursor = (i + 1) % particle_slots;
      return &particles[i];
    }
  }
  return nullptr;
}

std::int32_t per_second(std::int32_t v) {
  return static_cast<std::int32_t>(static_cast<std::int64_t>(v) * app::frame_time / 65536);
}
}  // namespace

void clear_particles() {
  for (auto& p : particles) p = Particle{};
  particle_cursor = 0;
}

void particle_burst(int x, int y, double angle, int depth, int frame) {
  const int e = res::random(62);
  const int f = res::random(100);
  for (int k = 0; k < 20; ++k) {
    const int g = res::random(10), h = res::random(10);
    const int speed = res::random(40) + 33;
    const int spread = res::random(f + 80);
    const std::int32_t life = res::random(500) * 27 + 9450;
    const int shown = frame + res::random(2);
    const double direction = spread / 100.0 + e / 100.0 + angle + 0.785;
    Particle* p = particle_alloc();
    if (!p) continue;
    p->flags = p_gravity | p_lifetime | p_damped;
    p->frame = static_cast<std::int16_t>(shown);
    p->depth = static_cast<std::int16_t>(depth);
    p->x = (x + g + gfx::layer_offset(depth) - 5) << 16;
    p->y = (y + h - 5) << 16;
    p->vx = static_cast<std::int32_t>(speed * 350000.0 * std::cos(direction));
    p->vy = static_cast<std::int32_t>(speed * 350000.0 * std::sin(direction));
    p->life = life;
  }
}

void update_particles() {
  for (auto& p : particles) {
    if (!p.flags) continue;
    p.x += per_second(p.vx);
    p.y += per_second(p.vy);
    if ((p.y >> 16) >= 600) {
      p.flags = 0;
      continue;
    }
    if (p.flags & p_gravity) p.vy += 30 * app::frame_time;
    if (p.flags & p_lifetime) {
      p.life -= app::frame_time;
      if (p.life <= 0) {
        p.flags = 0;
        continue;
      }
    }
    if (p.flags & p_damped) {
      const std::int32_t k = app::frame_time / 18;
      p.vx -= static_cast<std::int32_t>(static_cast<std::int64_t>(p.vx) * k / 1000);
      p.vy -= static_cast<std::int32_t>(static_cast<std::int64_t>(p.vy) * k / 1000);
    }
    gfx::draw_sprite(spr_particle, p.frame, (p.x >> 16) - gfx::layer_offset(p.depth), p.y >> 16,
                     p.depth, 0, 0);
  }
}

}  // namespace qzx
