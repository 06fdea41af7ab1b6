// Tintwell store: localised texts with built-in fallbacks.
#pragma once

#include "plugin/abi.h"

void OpenLocalisation(PluginContext* context);
void CloseLocalisation(PluginContext* context);
// Text number from the localisation file when it gives a non-empty text,
// otherwise the built-in text of that number ("" when there is none).
const char* LocalisedText(PluginContext* context, int32_t number);
// The built-in text of a number, or null when there is none.
const char* BuiltinText(int32_t number);
