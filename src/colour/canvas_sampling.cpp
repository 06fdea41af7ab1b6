// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/canvas_sampling.h"

void CanvasPickEvent(PluginContext*, HostWord*) {}
