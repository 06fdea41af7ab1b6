// Tintwell store: localised texts with built-in fallbacks.
//
// Every title, menu entry, message and help text the user sees goes through
// LocalisedText. The host owns the localisation file ("tintwell.loc") and the
// texts it returns; the plug-in never copies or frees them.
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

// Longest text, in bytes without the NUL, that the plug-in hands the host as
// a title, menu entry or help text. Every built-in text fits with room to
// spare; a longer text from the localisation file is cut to it.
constexpr size_t kHostTextLimit = 255;
constexpr size_t kHostTextBufferSize = kHostTextLimit + 1;

// Length of the longest prefix of text that has at most limit bytes and
// does not end inside a two-byte GBK character (lead byte 0x81..0xFE).
size_t GbkPrefixLength(const char* text, size_t limit);
// LocalisedText copied into buffer, cut with GbkPrefixLength to at most
// bufferSize - 1 bytes and NUL-terminated. Returns buffer. The copy also
// keeps the text when the host reuses its own storage for the next look-up.
const char* CopyLocalisedText(PluginContext* context, int32_t number, char* buffer, size_t bufferSize);
