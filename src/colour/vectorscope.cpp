// Placeholder bodies: this behaviour arrives with its own change.
#include "colour/vectorscope.h"

void VectorscopeUpdate(PluginContext*, Pixel) {}
