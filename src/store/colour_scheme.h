// Tintwell store: colour schemes of the palette slider and their slot file.
#pragma once

#include "plugin/abi.h"

// PI_Open: initialise the scheme and load slot 0.
void InitColourScheme(PluginContext* context);
void LoadColourSchemeSlot(PluginContext* context);
void SaveColourSchemeSlot(PluginContext* context);
void SortColourScheme();
