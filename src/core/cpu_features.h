// Tintwell core: what the processor offers beyond the build's baseline.
//
// Layer: core/. Asked once and kept: the vector paths that need more than
// SSE2 are compiled for it whatever the build's baseline and chosen at run
// time by this.
#pragma once

// AVX2.
inline bool CpuHasAvx2() {
#if defined(__i386__) || defined(__x86_64__)
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
#else
  return false;
#endif
}
