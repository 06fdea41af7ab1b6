// Placeholder bodies: this behaviour arrives with its own change.
#include "store/settings.h"

void LoadSettings(PluginContext*) {}
void LoadStoredPens(PluginContext*) {}
void SaveSettings(PluginContext*) {}
void SaveReferenceWhite(PluginContext*) {}
