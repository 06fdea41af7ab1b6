// Soak event kinds and invariants for the main panel: gestures on every
// gadget and outside them with random buttons, qualifiers and pressures,
// stray events, notices, host replies and failures, option changes, the
// panel's closing and reopening and the canvas modes it leads into.
#pragma once

#include "soak/soak_harness.h"

namespace soak {

void AddPanelEventKinds(Harness& harness);
// Colours in range and finite, CurrentPixel in step with CurrentRgb, every
// held handle an open requester, live images and requesters bounded; after
// every gesture the current swatch shows the A pen and the A-B gradient
// follows the pens.
void AddPanelInvariants(Harness& harness);

// Bounds for the panel's host objects: one image per picture gadget and
// small window, one requester per window kind.
constexpr int32_t kPanelImageBound = 8;
constexpr int32_t kPanelRequesterBound = 5;

}  // namespace soak
