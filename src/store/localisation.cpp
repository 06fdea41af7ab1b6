// Tintwell store: localised texts with built-in fallbacks.
#include "store/localisation.h"

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
