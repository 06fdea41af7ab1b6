// Tintwell store: localised texts with built-in fallbacks.
//
// Every title, menu entry, message and help text the user sees goes through
// LocalisedText. The host owns the localisation file ("tintwell.loc") and the
// texts it returns; the plug-in never copies or frees them.
#pragma once

#include "core/abi.h"

// PI_Open, first of all: opens the file; LocalisationHandle stays 0 when the
// host has none.
void OpenLocalisation(PluginContext* context);
// PI_Close: closes the file when it is open.
void CloseLocalisation(PluginContext* context);
// Text number from the localisation file when it gives a non-empty text,
// otherwise the built-in text of that number ("" when there is none either).
// Private (negative) numbers always give the built-in text. Never null.
const char* LocalisedText(PluginContext* context, int32_t number);
