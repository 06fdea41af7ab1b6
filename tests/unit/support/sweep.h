// Exhaustive sweeps (every float of a range, every colour of the 8-bit cube)
// run whole in the native build, under the CTest label "sweep", where the
// test command sets TINTWELL_SWEEP=full. Under the sanitizers and wine they
// are sampled: they step by the stride given, a prime, so every region of
// the range is still visited and the run stays short.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

inline uint32_t SweepStride(uint32_t sampled) {
  const char* mode = std::getenv("TINTWELL_SWEEP");
  return mode && std::strcmp(mode, "full") == 0 ? 1u : sampled;
}
