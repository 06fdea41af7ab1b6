// Tintwell store: localised texts with built-in fallbacks.
//
// Every title, menu entry, message and help text the user sees goes through
// LocalisedText. The host owns the localisation file ("tintwell.loc") and the
// texts it returns; the plug-in never frees them, and copies one only where
// it must outlive the next look-up (the option menu's entries).
#pragma once

#include <cstddef>

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

// Length of the longest prefix of text that has at most limit bytes and
// does not end inside a two-byte GBK character (lead byte 0x81..0xFE).
size_t GbkPrefixLength(const char* text, size_t limit);
// LocalisedText copied into buffer, for a text that must outlive the next
// look-up (the host may reuse its storage): whole when it fits, else cut with
// GbkPrefixLength to bufferSize - 1 bytes; NUL-terminated. Returns buffer.
// Texts the host takes at once are passed straight from LocalisedText, whole.
const char* CopyLocalisedText(PluginContext* context, int32_t number, char* buffer, size_t bufferSize);
