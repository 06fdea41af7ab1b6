// Placeholder bodies: this behaviour arrives with its own change.
#include "store/colour_scheme.h"

void InitColourScheme(PluginContext*) {}
void LoadColourSchemeSlot(PluginContext*) {}
void SaveColourSchemeSlot(PluginContext*) {}
void SortColourScheme() {}
