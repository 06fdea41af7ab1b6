// Tintwell requesters: the LAB reference dialog.
//
// Opened from the panel; its own callback builds its gadgets and handles its
// events. For now only its closing is handled:
//   101 closing -> the reference white is stored and the handle cleared, so
//                  the dialog never leaves a stale handle behind.
// Requester layer; calls host/ and store/.
#include "requesters/lab_dialog.h"

#include "core/plugin_state.h"
#include "host/host_calls.h"
#include "host/host_functions.h"
#include "requesters/requester_support.h"
#include "store/localisation.h"
#include "store/settings.h"

namespace {

constexpr int32_t kLabDialogWidth = 185;
constexpr int32_t kLabDialogHeight = 83;
constexpr int32_t kLabDialogX = 200;
constexpr int32_t kLabDialogY = 200;

}  // namespace

void OpenLabDialog(PluginContext* context) {
  if (GState.LabDialogRequester) return;
  const RequesterHandle dialog =
      HostOpenCallbackRequester(context, kLabDialogWidth, kLabDialogHeight, kLabDialogX, kLabDialogY,
                                kReqFlagsLabDialog, LocalisedText(context, texts::kLabDialogTitle), LabDialogEvents);
  if (!dialog) {
    ShowRequesterOpenFailure(context);
    return;
  }
  GState.LabDialogRequester = dialog;
}

int32_t TW_CALL LabDialogEvents(PluginContext* context, int32_t event, HostWord, HostWord*) {
  if (event == kEventClosing) {
    GState.LabDialogRequester = 0;
    SaveReferenceWhite(context);
  }
  return 1;
}
