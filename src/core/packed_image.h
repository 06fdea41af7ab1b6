// Tintwell core: expanding a packed picture (PackBits on 4-byte pixels).
//
// Layer: core/ (pure; the stand-in host uses it for HostUnpackImage too, so it
// lives in this header alone). The stream is a sequence of packets, each
// starting with a control byte c:
//   0..127   c + 1 literal pixels follow, 4 bytes each;
//   129..255 one pixel follows, repeated 257 - c times;
//   128      not used (skipped, and the stream counts as malformed).
// Pixel bytes are copied unchanged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/abi.h"

struct UnpackResult {
  size_t Consumed;   // bytes of the stream read
  int32_t Produced;  // pixels written from the stream
  bool Clean;        // the stream ended exactly at the pixel count, no 128, no packet cut short
};

// Expands `packed` (at most packedSize bytes are read) into exactly
// pixelCount pixels (never more are written). Whatever the stream leaves
// unwritten - it ran out or was malformed - is set to 0 (transparent
// black), so the picture never shows stale memory. A packet running past the
// pixel count is cut there.
inline UnpackResult UnpackImage(const uint8_t* packed, size_t packedSize, Pixel* destination,
                                int32_t pixelCount) {
  UnpackResult result{0, 0, true};
  if (!destination || pixelCount <= 0) {
    result.Clean = false;
    return result;
  }
  if (!packed) packedSize = 0;
  size_t pos = 0;
  int32_t produced = 0;
  while (produced < pixelCount) {
    if (pos >= packedSize) {
      result.Clean = false;  // ran out
      break;
    }
    const uint8_t control = packed[pos++];
    if (control == 128) {
      result.Clean = false;
      continue;
    }
    const bool literal = control < 128;
    int32_t run = literal ? control + 1 : 257 - control;
    const size_t need = literal ? 4u * static_cast<size_t>(run) : 4u;
    if (packedSize - pos < need) {
      result.Clean = false;  // the packet's pixels are cut off: none of them is used
      break;
    }
    if (run > pixelCount - produced) {
      result.Clean = false;
      run = pixelCount - produced;
    }
    if (literal) {
      std::memcpy(destination + produced, packed + pos, 4u * static_cast<size_t>(run));
    } else {
      Pixel value;
      std::memcpy(&value, packed + pos, 4);
      for (int32_t i = 0; i < run; ++i) destination[produced + i] = value;
    }
    produced += run;
    pos += need;
  }
  for (int32_t i = produced; i < pixelCount; ++i) destination[i] = 0;
  result.Consumed = pos;
  result.Produced = produced;
  return result;
}
