// Tintwell core: the host boundary. The host is C and calls the plug-in's
// entry points and callbacks; a C++ exception crossing into it would end the
// host's process with the artist's unsaved work. Every entry point and
// callback runs its body through Guarded.
#pragma once

#include <cstdint>
#include <exception>

// Runs body(); an exception it lets out ends here and `onFailure` is
// returned. The plug-in handles a failed allocation where it happens (the
// plain way, or nothing changed); this is the last line, so whatever threw
// left GState as it was at its last host call, which is consistent.
template <typename Body>
int32_t Guarded(Body&& body, int32_t onFailure) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
}
