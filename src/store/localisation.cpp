// Tintwell store: localised texts with built-in fallbacks.
#include "store/localisation.h"

#include <cstring>

#include "store/builtin_texts.h"

#include "host/host_calls.h"
#include "core/plugin_state.h"

namespace {

constexpr const char kLocalisationFileName[] = "tintwell.loc";

}  // namespace

void OpenLocalisation(PluginContext* context) {
  GState.LocalisationHandle = HostOpenLocalisation(context, kLocalisationFileName);
}

void CloseLocalisation(PluginContext* context) {
  if (!GState.LocalisationHandle) return;
  const HostWord handle = GState.LocalisationHandle;
  GState.LocalisationHandle = 0;
  HostCloseLocalisation(context, handle);
}

const char* LocalisedText(PluginContext* context, int32_t number) {
  const char* builtin = BuiltinText(number);
  if (!builtin) builtin = "";
  // Private numbers belong to texts that are never localised.
  if (number <= 0 || !GState.LocalisationHandle) return builtin;
  const char* text = HostLocalisedString(context, GState.LocalisationHandle, number);
  // An empty text in the file counts as missing.
  if (!text || text[0] == '\0') return builtin;
  return text;
}

size_t GbkPrefixLength(const char* text, size_t limit) {
  size_t length = 0;
  while (length < limit && text[length] != '\0') {
    const unsigned char byte = static_cast<unsigned char>(text[length]);
    // A lead byte at the very end (no trail byte) stands alone.
    const bool pair = byte >= 0x81 && byte <= 0xfe && text[length + 1] != '\0';
    const size_t step = pair ? 2 : 1;
    if (length + step > limit) break;
    length += step;
  }
  return length;
}

const char* CopyLocalisedText(PluginContext* context, int32_t number, char* buffer, size_t bufferSize) {
  if (!buffer || bufferSize == 0) return "";
  const char* text = LocalisedText(context, number);
  const size_t length = GbkPrefixLength(text, bufferSize - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  return buffer;
}
