// Placeholder bodies: this behaviour arrives with its own change.
#include "requesters/lab_dialog_window.h"

void OpenLabDialog(PluginContext*) {}
