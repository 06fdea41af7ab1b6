// Tintwell colour: the CIE lighten/darken filter pass.
//
// Layer: colour/. The filter runs inside the host's filter call (PI_Work);
// the paint-mode button asks the host to start that call.
#pragma once

#include "colour/colour_models.h"
#include "core/abi.h"

// Lightens (lighten non-zero) or darkens the source toward `colour` into the
// destination (the same image, or one of its size).
void CieLightenDarkenFilter(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten,
                            const PixelAndRgb& colour);

// The filter has a plain per-pixel path and vector paths picked from what the
// processor offers; all give the same bytes. Naming a path lets tests and
// benchmarks hold each one to that.
enum class FilterPath { kAuto, kScalar, kSse2, kAvx2 };
bool FilterPathAvailable(FilterPath path);
// Like CieLightenDarkenFilter on the given path (kAuto: the best available;
// an unavailable path falls back to the scalar one) and number of threads
// (0: as CieLightenDarkenFilter chooses, one per usable processor for large
// pictures; n > 0: n threads over 3n bands whatever the picture's size).
void CieLightenDarkenFilterOnPath(PluginContext* context, HostImage* source, HostImage* destination, int32_t lighten,
                                  const PixelAndRgb& colour, FilterPath path, int32_t threads = 0);
