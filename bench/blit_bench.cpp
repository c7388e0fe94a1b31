// SPDX-License-Identifier: GPL-3.0-or-later
// Blitter benchmarks on 800 x 600 RGB565 pictures. Run: build/bin/blit_bench
//
// The pictures are sprite-like: about a third of the source pixels are the colour key 0, in runs,
// as in the game's trimmed frames and layers.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/gfx/draw.h"
#include "game/gfx/rle.h"
#include "game/gfx/surfaces.h"
#include "platform/platform.h"

namespace {

constexpr int width = 800, height = 600;

std::vector<std::uint16_t> make_picture(unsigned seed) {
  std::vector<std::uint16_t> px(static_cast<std::size_t>(width) * height);
  unsigned s = seed;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      s = s * 1103515245u + 12345u;
      // Transparent in bands and blobs, coloured elsewhere.
      const bool hole = ((x / 24 + y / 16) % 3 == 0) || ((s >> 16) % 17 == 0);
      px[static_cast<std::size_t>(y) * width + x] = hole ? 0 : static_cast<std::uint16_t>(((s >> 8) & 0xFFFF) | 1);
    }
  }
  return px;
}

struct Display {
  Display() {
    plat::open_headless_display(&gfx::primary, &gfx::back_buffer);
    gfx::detect_pixel_format();
  }
};

Display& display() {
  static Display d;
  return d;
}

plat::Surface* surface_from(const std::vector<std::uint16_t>& px, int w, int h, int stride) {
  display();
  plat::Surface* s = gfx::create_surface(w, h);
  void* p = nullptr;
  int pitch = 0;
  plat::surface_lock(s, nullptr, &p, &pitch);
  for (int y = 0; y < h; ++y)
    std::memcpy(static_cast<char*>(p) + static_cast<std::size_t>(y) * pitch, px.data() + static_cast<std::size_t>(y) * stride,
                static_cast<std::size_t>(w) * 2);
  plat::surface_unlock(s);
  return s;
}

const std::vector<std::uint16_t>& source_picture() {
  static const auto px = make_picture(7);
  return px;
}

void BM_Memcpy(benchmark::State& state) {
  const auto& src = source_picture();
  std::vector<std::uint16_t> dst(src.size());
  for (auto _ : state) {
    std::memcpy(dst.data(), src.data(), src.size() * 2);
    benchmark::DoNotOptimize(dst.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(src.size()) * 2);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond);

void BM_ColourKeyedCopy(benchmark::State& state) {
  plat::Surface* src = surface_from(source_picture(), width, height, width);
  plat::Surface* dst = surface_from(make_picture(3), width, height, width);
  for (auto _ : state) {
    benchmark::DoNotOptimize(plat::blt_fast(dst, 0, 0, src, nullptr, true));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
  plat::surface_release(src);
  plat::surface_release(dst);
}
BENCHMARK(BM_ColourKeyedCopy)->Unit(benchmark::kMicrosecond);

void BM_SdlColourKeyedBlit(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
  const auto& px = source_picture();
  const auto other = make_picture(3);
  for (int y = 0; y < height; ++y) {
    std::memcpy(static_cast<char*>(src->pixels) + y * src->pitch, px.data() + y * width, width * 2);
    std::memcpy(static_cast<char*>(dst->pixels) + y * dst->pitch, other.data() + y * width, width * 2);
  }
  SDL_SetColorKey(src, SDL_TRUE, 0);
  for (auto _ : state) {
    SDL_Rect where{0, 0, width, height};
    benchmark::DoNotOptimize(SDL_BlitSurface(src, nullptr, dst, &where));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}
BENCHMARK(BM_SdlColourKeyedBlit)->Unit(benchmark::kMicrosecond);

void BM_Blend565(benchmark::State& state) {
  const auto& src = source_picture();
  auto dst = make_picture(3);
  for (auto _ : state) {
    for (int y = 0; y < height; ++y)
      gfx::blend_row(dst.data() + static_cast<std::size_t>(y) * width, src.data() + static_cast<std::size_t>(y) * width, width, 128, 6);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
}
BENCHMARK(BM_Blend565)->Unit(benchmark::kMicrosecond);

// Decoding every row of a packed 800 x 600 frame (16-bit form) into a surface-sized buffer.
void BM_PackedDecode16(benchmark::State& state) {
  const auto& src = source_picture();
  std::vector<std::uint16_t> packed(gfx::rle16_row_bound(width) * height);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) at += gfx::rle16_encode_row(src.data() + static_cast<std::size_t>(y) * width, width, packed.data() + at);
  std::vector<std::uint16_t> out(src.size());
  for (auto _ : state) {
    const std::uint16_t* row = packed.data();
    for (int y = 0; y < height; ++y) row += gfx::rle16_decode_row(row, width, out.data() + static_cast<std::size_t>(y) * width);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
  state.counters["packed_bytes"] = static_cast<double>(at * 2);
}
BENCHMARK(BM_PackedDecode16)->Unit(benchmark::kMicrosecond);

void BM_PackedDecode8(benchmark::State& state) {
  const auto& src = source_picture();
  std::vector<std::uint8_t> indices(src.size());
  for (std::size_t i = 0; i < src.size(); ++i) indices[i] = src[i] ? static_cast<std::uint8_t>(src[i] % 200 + 1) : 0;
  std::vector<std::uint8_t> packed(gfx::rle8_row_bound(width) * height);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) at += gfx::rle8_encode_row(indices.data() + static_cast<std::size_t>(y) * width, width, packed.data() + at);
  std::uint16_t palette[256];
  for (int i = 0; i < 256; ++i) palette[i] = static_cast<std::uint16_t>(i ? i * 257 : 0);
  std::vector<std::uint16_t> out(src.size());
  for (auto _ : state) {
    const std::uint8_t* row = packed.data();
    for (int y = 0; y < height; ++y) row += gfx::rle8_decode_row(row, palette, width, out.data() + static_cast<std::size_t>(y) * width);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * width * height * 2);
}
BENCHMARK(BM_PackedDecode8)->Unit(benchmark::kMicrosecond);

// A typical frame of a round: five layer entries, 60 sprites of 64 x 64 and 40 glyphs of 12 x 16,
// with the game's count of frame surfaces alive (every blit checks its surfaces).
void BM_TypicalFlush(benchmark::State& state) {
  display();
  const int extra_surfaces = static_cast<int>(state.range(0));
  std::vector<plat::Surface*> idle;
  for (int i = 0; i < extra_surfaces; ++i) idle.push_back(gfx::create_surface(8, 8));
  const auto& px = source_picture();
  plat::Surface* layers[5];
  const int layer_heights[5] = {600, 420, 330, 260, 200};
  for (int i = 0; i < 5; ++i) layers[i] = surface_from(px, width, layer_heights[i], width);
  plat::Surface* sprite = surface_from(px, 64, 64, width);
  plat::Surface* font = surface_from(px, 256, 64, width);
  for (auto _ : state) {
    gfx::clear_draw_list();
    for (int i = 0; i < 5; ++i)
      gfx::draw_band_entry(layers[i], 0, 600 - layer_heights[i], 12 + 5 * i, plat::Rect{0, 0, 800, layer_heights[i]}, -1 - i, true);
    for (int i = 0; i < 60; ++i)
      gfx::draw_surface(sprite, (i * 97) % 760, (i * 53) % 560, i % 5, plat::Rect{0, 0, 64, 64});
    for (int i = 0; i < 40; ++i)
      gfx::draw_surface(font, 16 + i * 13, 16, 0, plat::Rect{(i * 12) % 240, 0, (i * 12) % 240 + 12, 16});
    gfx::flush_draw_list();
    benchmark::ClobberMemory();
  }
  for (plat::Surface* s : idle) plat::surface_release(s);
  for (plat::Surface* s : layers) plat::surface_release(s);
  plat::surface_release(sprite);
  plat::surface_release(font);
}
BENCHMARK(BM_TypicalFlush)->Arg(0)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
