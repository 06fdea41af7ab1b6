// Tests of colour/: small helpers shared by the colour test files.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "core/abi.h"
#include "core/plugin_state.h"

namespace colourtest {

// The reference white a user gets by default (each 0.1 above D65).
constexpr float kDefaultWhite[3] = {95.147f, 100.1f, 108.983f};

inline void UseDefaultWhite() {
  for (int i = 0; i < 3; ++i) GState.ReferenceWhite[i] = kDefaultWhite[i];
}

// A context that only carries channel positions (red, green, blue, alpha).
inline PluginContext LayoutContext(int red = 2, int green = 1, int blue = 0, int alpha = 3) {
  PluginContext context{};
  context.RedPosition = static_cast<int8_t>(red);
  context.GreenPosition = static_cast<int8_t>(green);
  context.BluePosition = static_cast<int8_t>(blue);
  context.AlphaPosition = static_cast<int8_t>(alpha);
  return context;
}

// All 24 ways a pixel can place its four channels.
inline std::array<std::array<int, 4>, 24> AllLayouts() {
  std::array<std::array<int, 4>, 24> layouts{};
  std::array<int, 4> order = {0, 1, 2, 3};
  int n = 0;
  do {
    layouts[static_cast<size_t>(n++)] = order;
  } while (std::next_permutation(order.begin(), order.end()));
  return layouts;
}

// Builds a pixel from bytes independently of the code under test.
inline Pixel PackBytes(const PluginContext& context, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return r << (8 * context.RedPosition) | g << (8 * context.GreenPosition) | b << (8 * context.BluePosition) |
         a << (8 * context.AlphaPosition);
}

inline uint32_t ByteAt(Pixel pixel, int position) { return (pixel >> (8 * position)) & 0xffu; }

inline float MaxChannelError(const ColourTriple& a, const ColourTriple& b) {
  return std::max({std::fabs(a.c0 - b.c0), std::fabs(a.c1 - b.c1), std::fabs(a.c2 - b.c2)});
}

}  // namespace colourtest
