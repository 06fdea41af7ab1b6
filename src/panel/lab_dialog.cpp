// Tintwell panel: the LAB reference dialog's event callback.
//
// For now only its closing is handled:
//   101 closing -> the reference white is stored and the handle cleared, so
//                  the dialog never leaves a stale handle behind.
// The host calls it on its own thread; it always returns 1.
#include "panel/lab_dialog.h"

#include "host/host_functions.h"
#include "plugin/plugin_state.h"
#include "store/settings.h"

int32_t TW_CALL LabDialogEvents(PluginContext* context, int32_t event, HostWord, HostWord*) {
  if (event == kEventClosing) {
    GState.LabDialogRequester = 0;
    SaveReferenceWhite(context);
  }
  return 1;
}
