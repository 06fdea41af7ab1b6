// Tintwell benchmarks: the picture the filter benchmarks work on, and the
// in-place floor they are measured against. Shared by the native benchmark
// and the Win32 one that drives the real DLL, so both measure the same.
#pragma once

#include <emmintrin.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "core/abi.h"

namespace benchpicture {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr size_t kPixels = static_cast<size_t>(kWidth) * kHeight;
// The host's usual channel order.
constexpr int kRed = 2, kGreen = 1, kBlue = 0, kAlpha = 3;

// A premultiplied 4K picture, mostly opaque, with smooth colour areas.
// Scattered: 5 % transparent and 5 % partly transparent pixels at random
// places (the worst case for the vector paths). Clustered: transparent holes
// with soft, partly transparent edges, as painted artwork has them.
inline std::vector<Pixel> MakePicture(bool clustered) {
  std::vector<Pixel> pixels(kPixels);
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> percent(0, 99);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint32_t a = 255;
      if (clustered) {
        const float s = std::sin(static_cast<float>(x) * 0.013f) * std::sin(static_cast<float>(y) * 0.021f);
        const float edge = (0.93f - s) / 0.03f * 255.0f;
        a = edge <= 0.0f ? 0u : edge >= 255.0f ? 255u : static_cast<uint32_t>(edge);
      } else {
        const int kind = percent(rng);
        if (kind < 5) {
          a = 0;
        } else if (kind < 10) {
          a = static_cast<uint32_t>(1 + byte(rng) % 254);
        }
      }
      const uint32_t r = (static_cast<uint32_t>(x / 15) + static_cast<uint32_t>(byte(rng) & 15)) & 255;
      const uint32_t g = (static_cast<uint32_t>(y / 9) + static_cast<uint32_t>(byte(rng) & 15)) & 255;
      const uint32_t b = static_cast<uint32_t>(byte(rng));
      pixels[static_cast<size_t>(y) * kWidth + x] = r * a / 255 << (8 * kRed) | g * a / 255 << (8 * kGreen) |
                                                    b * a / 255 << (8 * kBlue) | a << (8 * kAlpha);
    }
  }
  return pixels;
}

// The least any in-place pass over the picture costs: every pixel loaded,
// ORed with a constant and stored back, four at a time with SSE2, on one
// thread. Unlike memcpy it is the same code in every build (the C
// libraries' copies differ), so ratios to it compare across builds.
__attribute__((noinline)) inline void InPlaceFloor(Pixel* pixels, size_t count) {
  const __m128i bits = _mm_set1_epi32(0x01000000);
  const size_t vectorEnd = count / 4 * 4;
  for (size_t i = 0; i < vectorEnd; i += 4) {
    __m128i* const at = reinterpret_cast<__m128i*>(pixels + i);
    _mm_storeu_si128(at, _mm_or_si128(_mm_loadu_si128(at), bits));
  }
  for (size_t i = vectorEnd; i < count; ++i) pixels[i] |= 0x01000000u;
}

}  // namespace benchpicture
