// Tintwell core: the bytes of a Pixel at the context's channel positions.
// A position is a byte index 0..3 (only its low two bits count, so a bad
// position from a host can never shift out of the word).
#pragma once

#include <cstdint>

#include "core/abi.h"

inline uint32_t ChannelShift(int8_t position) { return 8u * static_cast<uint32_t>(position & 3); }

inline uint8_t ChannelByte(Pixel pixel, int8_t position) {
  return static_cast<uint8_t>(pixel >> ChannelShift(position));
}
