// Soak event kinds and invariants for the canvas side: pointer messages to
// the FX-brush watch and the brush mode (whole strokes and stray moves),
// the FX-brush options and commands that open and close them, tool replies
// with odd numbers, the scope window and its click, overlay requests, the
// host ending a stroke, and Smart Fill runs with replies that hold no number.
#pragma once

#include "soak/soak_harness.h"

namespace soak {

void AddCanvasEventKinds(Harness& harness);
// Undo groups closed after every event, the scope picture alive while held.
void AddCanvasInvariants(Harness& harness);

}  // namespace soak
