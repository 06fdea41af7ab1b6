// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/colour_mixing.h"

void LoadGradientTable(PluginContext*) {}
