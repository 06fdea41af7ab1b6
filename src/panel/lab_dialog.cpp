// Placeholder bodies: this behaviour arrives with its own change.
#include "panel/lab_dialog.h"

int32_t TW_CALL LabDialogEvents(PluginContext*, int32_t, HostWord, HostWord*) { return 1; }
