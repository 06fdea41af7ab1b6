// Placeholder bodies: this behaviour arrives with its own change.
#include "store/localisation.h"

void OpenLocalisation(PluginContext*) {}
void CloseLocalisation(PluginContext*) {}
const char* LocalisedText(PluginContext*, int32_t number) { const char* t = BuiltinText(number); return t ? t : ""; }
const char* BuiltinText(int32_t number) { return number == 100 ? "Tintwell" : number == 30000 ? "Can't Open Requester !" : nullptr; }
